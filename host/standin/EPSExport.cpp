#include "host/standin/EPSExport.h"

#include "host/sdk/Errors.h"
#include "host/standin/Command.h"
#include "host/standin/Document.h"
#include "host/standin/ExportOutput.h"
#include "host/standin/PageDrawing.h"
#include "host/standin/Recorder.h"

#include <cmath>
#include <cstdio>
#include <optional>
#include <ostream>
#include <string>

namespace host {

namespace {

constexpr ImplementationID kEPSExportPrefsCmdImpl{0xF0F010};
constexpr ImplementationID kEPSExportPrefsCmdDataImpl{0xF0F011};
constexpr ImplementationID kEPSExportCmdImpl{0xF0F012};
constexpr ImplementationID kEPSExportCmdDataImpl{0xF0F013};

class EPSExportPrefsCmdData final : public CPMUnknown<IEPSExportPrefsCmdData> {
public:
    using CPMUnknown::CPMUnknown;
    void SetOption(std::int32_t operation, std::int32_t value) override {
        m_values[operation] = static_cast<double>(value);
        RecordCall("SetOption " + std::to_string(operation) + " " + std::to_string(value));
    }
    void SetPages(const PMString& pages) override {
        m_values[kPages] = pages.GetUTF8String();
        RecordCall("SetPages \"" + pages.GetUTF8String() + "\"");
    }
    void SetBleedEdge(std::int32_t operation, PMReal value) override {
        m_values[operation] = value;
        RecordCall("SetBleedEdge " + std::to_string(operation) + " " + Number(value));
    }
    void SetFlattenerStyle(const UID* style) override {
        const UID uid = style ? *style : kInvalidUID;
        m_values[30] = static_cast<double>(uid.Get());
        RecordCall("SetFlattenerStyle " + std::to_string(uid.Get()));
    }
    const EPSExportPrefs& Values() const { return m_values; }

private:
    EPSExportPrefs m_values;
};

EPSExportPrefs& ThePrefs() {
    static EPSExportPrefs prefs;
    return prefs;
}

class EPSExportPrefsCmd final : public Command {
public:
    using Command::Command;
    PMString CreateName() override { return PMString("EPS Export Preferences"); }

protected:
    void Do() override {
        InterfacePtr<IEPSExportPrefsCmdData> iData(this, UseDefaultIID{});
        if (!iData) {
            ErrorUtils::PMSetGlobalErrorCode(kFailure);
            return;
        }
        EPSExportPrefs prefs = ThePrefs();
        for (const auto& [operation, value] :
             static_cast<EPSExportPrefsCmdData*>(iData.get())->Values())
            prefs[operation] = value;
        JournaledSessionSet(ThePrefs(), std::move(prefs));
    }
};

class EPSExportCmdData final : public CPMUnknown<IEPSExportCmdData> {
public:
    using CPMUnknown::CPMUnknown;
    void SetExport(const IDFile& file, IDocument* document, std::int32_t first,
                   std::int32_t second) override {
        m_file = file;
        m_db = document ? GetUIDRef(document).GetDataBase() : nullptr;
        RecordCall("SetExport \"" + (document ? document->GetName().GetUTF8String() : "") + "\" " +
                   std::to_string(first) + " " + std::to_string(second));
    }
    const IDFile& File() const { return m_file; }
    // The document, while it is open.
    const Document* GetDocument() const { return m_db ? DocumentOf(m_db) : nullptr; }

private:
    IDFile m_file;
    const IDataBase* m_db = nullptr;
};

double PrefNumber(std::int32_t operation) {
    const auto found = ThePrefs().find(operation);
    const double* value = found == ThePrefs().end() ? nullptr : std::get_if<double>(&found->second);
    return value ? *value : 0;
}

// The page that the preferences' page text "+N" names.
std::optional<UID> PrefPage(const Document& document) {
    const auto found = ThePrefs().find(IEPSExportPrefsCmdData::kPages);
    const std::string* text =
        found == ThePrefs().end() ? nullptr : std::get_if<std::string>(&found->second);
    const std::vector<UID> pages = document.layout.PageList();
    unsigned long number = 0;
    std::size_t used = 0;
    if (!text || text->size() < 2 || (*text)[0] != '+' || (*text)[1] < '0' || (*text)[1] > '9')
        return std::nullopt;
    try {
        number = std::stoul(text->substr(1), &used);
    } catch (const std::exception&) {
        return std::nullopt;
    }
    if (used + 1 != text->size() || number < 1 || number > pages.size())
        return std::nullopt;
    return pages[number - 1];
}

std::string EPSNumber(double value) {
    char text[64];
    std::snprintf(text, sizeof text, "%.4f", value);
    return text;
}

bool WriteEPS(std::ostream& out, const Document& document, UID page, const Sides& bleed) {
    const Page& data = document.layout.pages.at(page);
    const double width = bleed.left + data.width + bleed.right;
    const double height = bleed.bottom + data.height + bleed.top;
    out << "%!PS-Adobe-3.0 EPSF-3.0\n"
        << "%%BoundingBox: 0 0 " << static_cast<long long>(std::ceil(width)) << " "
        << static_cast<long long>(std::ceil(height)) << "\n"
        << "%%HiResBoundingBox: 0 0 " << EPSNumber(width) << " " << EPSNumber(height) << "\n"
        << "%%Creator: zephost\n"
        << "%%Title: " << document.Get()->GetName().GetUTF8String() << "\n"
        << "%%Pages: 1\n%%EndComments\n%%BeginProlog\n"
        << kPostScriptProlog << "%%EndProlog\n%%Page: 1 1\n"
        << PostScriptContent(DrawPage(document, page, bleed));
    out << "showpage\n%%Trailer\n%%EOF\n";
    return static_cast<bool>(out);
}

class EPSExportCmd final : public Command {
public:
    using Command::Command;
    PMString CreateName() override { return PMString("Export EPS"); }

protected:
    void Do() override {
        InterfacePtr<IEPSExportCmdData> iData(this, UseDefaultIID{});
        const auto* data = static_cast<const EPSExportCmdData*>(iData.get());
        const Document* document = data ? data->GetDocument() : nullptr;
        const std::optional<UID> page = document ? PrefPage(*document) : std::nullopt;
        if (!page) {
            ErrorUtils::PMSetGlobalErrorCode(kFailure);
            return;
        }
        Sides bleed;
        if (PrefNumber(IEPSExportPrefsCmdData::kBleedMode) ==
            IEPSExportPrefsCmdData::kBleedModeEdges)
            bleed = {PrefNumber(IEPSExportPrefsCmdData::kBleedLeft),
                     PrefNumber(IEPSExportPrefsCmdData::kBleedTop),
                     PrefNumber(IEPSExportPrefsCmdData::kBleedRight),
                     PrefNumber(IEPSExportPrefsCmdData::kBleedBottom)};
        int error = 0;
        const ErrorCode written = WriteOutputFile(
            data->File(), [&](std::ostream& out) { return WriteEPS(out, *document, *page, bleed); },
            error);
        if (written != kSuccess) {
            const PMString text = UnwritableFileText(data->File(), error);
            ErrorUtils::PMSetGlobalErrorCode(written, &text);
        }
    }
};

} // namespace

EPSExportPrefs& SessionEPSExportPrefs() {
    return ThePrefs();
}

void RegisterEPSExportClasses() {
    ThePrefs().clear();
    ObjectModel& model = ObjectModel::Instance();
    const auto reg = [&model](ImplementationID id, const ImplementationFunctions& functions) {
        model.RegisterImplementation(PluginID{0}, id, functions);
    };
    reg(kEPSExportPrefsCmdImpl, ImplementationFunctionsOf<EPSExportPrefsCmd>());
    reg(kEPSExportPrefsCmdDataImpl, ImplementationFunctionsOf<EPSExportPrefsCmdData>());
    reg(kEPSExportCmdImpl, ImplementationFunctionsOf<EPSExportCmd>());
    reg(kEPSExportCmdDataImpl, ImplementationFunctionsOf<EPSExportCmdData>());
    model.AddToClass(kEPSExportPrefsCmdBoss,
                     {{ICommand::kDefaultIID, kEPSExportPrefsCmdImpl},
                      {IEPSExportPrefsCmdData::kDefaultIID, kEPSExportPrefsCmdDataImpl}});
    model.AddToClass(kEPSExportCmdBoss, {{ICommand::kDefaultIID, kEPSExportCmdImpl},
                                         {IEPSExportCmdData::kDefaultIID, kEPSExportCmdDataImpl}});
}

} // namespace host
