#include "host/standin/PDFExport.h"

#include "host/sdk/Errors.h"
#include "host/sdk/Progress.h"
#include "host/standin/Document.h"
#include "host/standin/ExportOutput.h"
#include "host/standin/PDFFile.h"
#include "host/standin/PageDrawing.h"
#include "host/standin/Progress.h"
#include "host/standin/Recorder.h"

#include <map>
#include <ostream>
#include <string>
#include <vector>

namespace host {

namespace {

constexpr ImplementationID kPDFExportCmdImpl{0xF0F000};
constexpr ImplementationID kPDFExportPrefsImpl{0xF0F001};
constexpr ImplementationID kFirstCommandFlagImpl{0xF0F002};
constexpr ImplementationID kSecondCommandFlagImpl{0xF0F003};
constexpr ImplementationID kOutputFileImpl{0xF0F004};
constexpr ImplementationID kPageOutputImpl{0xF0F005};

class PDFExportPrefs final : public CPMUnknown<IPDFExportPrefs> {
public:
    using CPMUnknown::CPMUnknown;
    void SetOption(std::int32_t operation, std::int32_t value) override {
        m_options[operation] = value;
        RecordCall("SetOption " + std::to_string(operation) + " " + std::to_string(value));
    }
    void SetOptionText(const PMString& text, std::int32_t selector) override {
        m_optionText = text;
        RecordCall("SetOptionText \"" + text.GetUTF8String() + "\" " + std::to_string(selector));
    }
    PMString GetOptionText() const override { return m_optionText; }
    void SetFlattenerStyleName(const PMString& name) override {
        RecordCall("SetFlattenerStyleName \"" + name.GetUTF8String() + "\"");
    }
    void SetProgressBar(RangeProgressBar* bar) override {
        m_bar = bar;
        RecordCall("SetProgressBar");
    }

    // "1.3" to "1.7" by the compatibility.
    std::string Version() const {
        const auto found = m_options.find(kCompatibility);
        const std::int32_t code = found == m_options.end() ? 14 : found->second;
        return code >= 13 && code <= 17 ? "1." + std::to_string(code - 10) : "1.4";
    }
    RangeProgressBar* Bar() const { return m_bar; }

private:
    std::map<std::int32_t, std::int32_t> m_options;
    PMString m_optionText{"Standard"};
    RangeProgressBar* m_bar = nullptr;
};

template <std::uint32_t kInterface>
class CommandFlag final : public CPMUnknown<ICommandFlag> {
public:
    using CPMUnknown::CPMUnknown;
    void Set(std::int32_t value) override {
        RecordCall("SetFlag " + Hex(kInterface) + " " + std::to_string(value));
    }
};

class OutputFile final : public CPMUnknown<IOutputFile> {
public:
    using CPMUnknown::CPMUnknown;
    void SetFile(const IDFile& file) override { m_file = file; }
    const IDFile& File() const { return m_file; }

private:
    IDFile m_file;
};

class PageOutput final : public CPMUnknown<IPageOutput> {
public:
    using CPMUnknown::CPMUnknown;
    void SetPages(const UIDList& pages, std::int32_t option) override {
        m_pages = pages;
        std::string call = "SetPages";
        for (UID page : pages.UIDs())
            call += " " + std::to_string(page.Get());
        RecordCall(call + " " + std::to_string(option));
    }
    void SetDocumentName(const PMString& name) override {
        m_name = name;
        RecordCall("SetDocumentName \"" + name.GetUTF8String() + "\"");
    }
    const UIDList& Pages() const { return m_pages; }
    const PMString& Name() const { return m_name; }

private:
    UIDList m_pages;
    PMString m_name;
};

bool WritePDF(std::ostream& out, const Document& document, const std::vector<UID>& pages,
              const PDFExportPrefs& prefs, const std::string& title) {
    const Sides bleed = document.layout.pageSetup ? document.layout.pageSetup->bleed : Sides{};
    std::vector<PDFPage> drawn;
    for (UID uid : pages) {
        const Page& page = document.layout.pages.at(uid);
        const double top = bleed.bottom + page.height;
        const std::vector<DrawnItem> items = DrawPage(document, uid, bleed);
        std::vector<PDFSeparation> separations;
        for (const DrawColor& separation : Separations(items))
            separations.push_back({separation.name, separation.values});
        drawn.push_back({bleed.left + page.width + bleed.right,
                         top + bleed.top,
                         {bleed.left, bleed.bottom, bleed.left + page.width, top},
                         PDFContent(items),
                         std::move(separations)});
        if (prefs.Bar())
            prefs.Bar()->SetPosition(static_cast<std::int32_t>(drawn.size()));
    }
    const std::string bytes = PDFFileBytes(drawn, prefs.Version(), title);
    out.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
    return static_cast<bool>(out);
}

class PDFExportCmd final : public Command {
public:
    using Command::Command;
    PMString CreateName() override { return PMString("Export PDF"); }

protected:
    void Do() override {
        InterfacePtr<IPDFExportPrefs> iPrefs(this, UseDefaultIID{});
        InterfacePtr<IOutputFile> iFile(this, UseDefaultIID{});
        InterfacePtr<IPageOutput> iOutput(this, UseDefaultIID{});
        const auto* prefs = static_cast<const PDFExportPrefs*>(iPrefs.get());
        const auto* file = static_cast<const OutputFile*>(iFile.get());
        const auto* output = static_cast<const PageOutput*>(iOutput.get());
        const Document* document = output ? DocumentOf(output->Pages().GetDataBase()) : nullptr;
        bool pagesKnown = document != nullptr;
        for (UID page : document ? output->Pages().UIDs() : std::vector<UID>())
            pagesKnown = pagesKnown && document->layout.pages.contains(page);
        if (!prefs || !file || !pagesKnown) {
            ErrorUtils::PMSetGlobalErrorCode(kFailure);
            return;
        }
        int error = 0;
        const ErrorCode written = WriteOutputFile(
            file->File(),
            [&](std::ostream& out) {
                return WritePDF(out, *document, output->Pages().UIDs(), *prefs,
                                output->Name().GetUTF8String());
            },
            error);
        if (written != kSuccess) {
            const PMString text = UnwritableFileText(file->File(), error);
            ErrorUtils::PMSetGlobalErrorCode(written, &text);
        }
    }
};

} // namespace

void RegisterPDFExportClasses() {
    ObjectModel& model = ObjectModel::Instance();
    const auto reg = [&model](ImplementationID id, const ImplementationFunctions& functions) {
        model.RegisterImplementation(PluginID{0}, id, functions);
    };
    reg(kPDFExportCmdImpl, ImplementationFunctionsOf<PDFExportCmd>());
    reg(kPDFExportPrefsImpl, ImplementationFunctionsOf<PDFExportPrefs>());
    reg(kFirstCommandFlagImpl, ImplementationFunctionsOf<CommandFlag<0x10014>>());
    reg(kSecondCommandFlagImpl, ImplementationFunctionsOf<CommandFlag<0xE20>>());
    reg(kOutputFileImpl, ImplementationFunctionsOf<OutputFile>());
    reg(kPageOutputImpl, ImplementationFunctionsOf<PageOutput>());
    model.AddToClass(kPDFExportCmdBoss, {{ICommand::kDefaultIID, kPDFExportCmdImpl},
                                         {IPDFExportPrefs::kDefaultIID, kPDFExportPrefsImpl},
                                         {ICommandFlag::kDefaultIID, kFirstCommandFlagImpl},
                                         {IID_ISECONDCOMMANDFLAG, kSecondCommandFlagImpl},
                                         {IOutputFile::kDefaultIID, kOutputFileImpl},
                                         {IPageOutput::kDefaultIID, kPageOutputImpl}});
}

} // namespace host
