#include "host/standin/DocumentSetup.h"

#include "host/sdk/Errors.h"
#include "host/standin/Command.h"
#include "host/standin/Document.h"
#include "host/standin/Layout.h"
#include "host/standin/Recorder.h"

#include <optional>
#include <string>

namespace host {

namespace {

constexpr ImplementationID kDocSetupCmdImpl{0xF08010};
constexpr ImplementationID kDocSetupCmdDataImpl{0xF08011};

std::string Flag(bool value) {
    return value ? "true" : "false";
}

class DocSetupCmdData final : public CPMUnknown<IDocSetupCmdData> {
public:
    using CPMUnknown::CPMUnknown;
    void SetTargetDocument(const UIDRef& document) override {
        m_target = document;
        RecordCall("SetTargetDocument " + std::to_string(document.GetUID().Get()));
    }
    void SetPageSize(const PMPageSize& size) override {
        m_pageSize = size;
        RecordCall("SetPageSize " + Number(size.Width()) + " " + Number(size.Height()));
    }
    void SetPageCount(std::int16_t count) override {
        RecordCall("SetPageCount " + std::to_string(count));
    }
    void SetFlag(bool flag) override { RecordCall("SetFlag " + Flag(flag)); }
    void SetWide(bool wide) override { RecordCall("SetWide " + Flag(wide)); }
    void SetBleed(const PMRect& bleed) override {
        m_bleed = Sides{bleed.Left(), bleed.Top(), bleed.Right(), bleed.Bottom()};
        RecordCall("SetBleed " + Number(bleed.Left()) + " " + Number(bleed.Top()) + " " +
                   Number(bleed.Right()) + " " + Number(bleed.Bottom()));
    }
    void SetBleedOption(bool option) override { RecordCall("SetBleedOption " + Flag(option)); }
    void SetValue(std::int32_t value) override { RecordCall("SetValue " + std::to_string(value)); }
    void SetSwitch(bool switchOn) override { RecordCall("SetSwitch " + Flag(switchOn)); }

    const UIDRef& Target() const { return m_target; }
    const std::optional<PMPageSize>& PageSize() const { return m_pageSize; }
    const std::optional<Sides>& Bleed() const { return m_bleed; }

private:
    UIDRef m_target;
    std::optional<PMPageSize> m_pageSize;
    std::optional<Sides> m_bleed;
};

class DocSetupCmd final : public Command {
public:
    using Command::Command;
    PMString CreateName() override { return PMString("Document Setup"); }

protected:
    void Do() override {
        InterfacePtr<IDocSetupCmdData> iData(this, UseDefaultIID{});
        const auto* data = static_cast<const DocSetupCmdData*>(iData.get());
        Document* document = data ? DocumentOf(data->Target().GetDataBase()) : nullptr;
        if (!document || data->Target().GetUID() != document->document) {
            ErrorUtils::PMSetGlobalErrorCode(kFailure);
            return;
        }
        Layout* layout = &document->layout;
        if (const auto& size = data->PageSize())
            for (const auto& [page, unused] : layout->pages)
                SetPageSize(*document, page, size->Width(), size->Height());
        if (data->Bleed() && layout->pageSetup) {
            const auto bleed = [layout]() -> Sides& { return layout->pageSetup->bleed; };
            RecordUndo([bleed, old = bleed()] { bleed() = old; });
            bleed() = *data->Bleed();
        }
    }
};

} // namespace

void RegisterDocumentSetupClasses() {
    ObjectModel& model = ObjectModel::Instance();
    model.RegisterImplementation(PluginID{0}, kDocSetupCmdImpl,
                                 ImplementationFunctionsOf<DocSetupCmd>());
    model.RegisterImplementation(PluginID{0}, kDocSetupCmdDataImpl,
                                 ImplementationFunctionsOf<DocSetupCmdData>());
    model.AddToClass(kDocSetupCmdBoss, {{ICommand::kDefaultIID, kDocSetupCmdImpl},
                                        {IDocSetupCmdData::kDefaultIID, kDocSetupCmdDataImpl}});
}

} // namespace host
