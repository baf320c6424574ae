#include "host/standin/NewDocument.h"

#include "host/sdk/Errors.h"
#include "host/standin/Command.h"
#include "host/standin/Document.h"
#include "host/standin/Faults.h"
#include "host/standin/Recorder.h"
#include "host/standin/Session.h"

#include <algorithm>
#include <memory>
#include <optional>

namespace host {

namespace {

constexpr ImplementationID kNewDocCmdImpl{0xF0C000};
constexpr ImplementationID kNewDocCmdDataImpl{0xF0C001};
constexpr ImplementationID kNewWinCmdImpl{0xF0C002};
constexpr ImplementationID kRenameDocCmdImpl{0xF0C003};
constexpr ImplementationID kStringDataImpl{0xF0C004};
constexpr ImplementationID kSessionPageSetupPrefsImpl{0xF0C005};

struct NewDocumentState {
    PageSetup sessionPageSetup;
    int created = 0;
};

NewDocumentState& TheState() {
    static NewDocumentState state;
    return state;
}

std::string Flag(bool value) {
    return value ? "true" : "false";
}

class NewDocCmdData final : public CPMUnknown<INewDocCmdData> {
public:
    using CPMUnknown::CPMUnknown;
    void SetFirstOption(std::int32_t value) override {
        RecordCall("SetFirstOption " + std::to_string(value));
    }
    void SetSecondOption(std::int32_t value) override {
        RecordCall("SetSecondOption " + std::to_string(value));
    }
    void SetMargins(PMReal left, PMReal top, PMReal right, PMReal bottom) override {
        m_margins = {left, top, right, bottom};
        RecordCall("SetMargins " + Number(left) + " " + Number(top) + " " + Number(right) + " " +
                   Number(bottom));
    }
    void SetBleed(const PMRect& bleed) override {
        m_bleed = {bleed.Left(), bleed.Top(), bleed.Right(), bleed.Bottom()};
        RecordCall("SetBleed " + Number(bleed.Left()) + " " + Number(bleed.Top()) + " " +
                   Number(bleed.Right()) + " " + Number(bleed.Bottom()));
    }
    void SetBleedOption(std::int32_t value) override {
        RecordCall("SetBleedOption " + std::to_string(value));
    }
    void SetColumns(std::int32_t count, PMReal gutter, std::int32_t direction) override {
        RecordCall("SetColumns " + std::to_string(count) + " " + Number(gutter) + " " +
                   std::to_string(direction));
    }
    void SetColumnOption(std::int32_t value) override {
        RecordCall("SetColumnOption " + std::to_string(value));
    }
    void SetPageSize(const PMPageSize& size) override {
        m_pageSize = size;
        RecordCall("SetPageSize " + Number(size.Width()) + " " + Number(size.Height()));
    }
    void SetWide(bool wide) override { RecordCall("SetWide " + Flag(wide)); }
    void SetSpreadOption(std::int32_t value) override {
        RecordCall("SetSpreadOption " + std::to_string(value));
    }
    void SetPageSetupValue(std::int32_t value) override {
        RecordCall("SetPageSetupValue " + std::to_string(value));
    }

    const Sides& Margins() const { return m_margins; }
    const Sides& Bleed() const { return m_bleed; }
    const PMPageSize& PageSize() const { return m_pageSize; }

private:
    Sides m_margins;
    Sides m_bleed;
    PMPageSize m_pageSize{612, 792};
};

// Takes the document out of the open documents, if it is there.
void CloseDocument(const Document* document) {
    auto& open = OpenDocuments();
    std::erase_if(open, [document](const auto& held) { return held.get() == document; });
    CountModelChange();
}

// One layer, one spread with one page, and the page-setup preferences of the data.
void LayOut(Document& document, const NewDocCmdData& data) {
    Layout& layout = document.layout;
    const UID layer = document.db->NewObject(kDocumentLayerBoss);
    layout.layers.push_back(layer);
    layout.layerData.emplace(layer, Layer{"Layer 1"});
    const UID spread = document.db->NewObject(kSpreadBoss);
    const UID page = document.db->NewObject(kPageBoss);
    layout.spreads.push_back(spread);
    layout.spreadData[spread].pages.push_back(page);
    layout.pages.emplace(
        page, Page{spread, data.PageSize().Width(), data.PageSize().Height(), data.Margins()});
    layout.pageSetup = TheState().sessionPageSetup;
    layout.pageSetup->bleed = data.Bleed();
    Boss* workspace = document.db->GetBoss(document.workspace);
    workspace->AttachFacet(IPageSetupPrefs::kDefaultIID, NewPageSetupPrefsFacet(workspace));
}

class NewDocCmd final : public Command {
public:
    using Command::Command;
    PMString CreateName() override { return PMString("New Document"); }

protected:
    void Do() override {
        InterfacePtr<INewDocCmdData> iData(this, UseDefaultIID{});
        const auto* data = static_cast<const NewDocCmdData*>(iData.get());
        if (!data) {
            ErrorUtils::PMSetGlobalErrorCode(kFailure);
            return;
        }
        // Journaled first, so that it is undone last: everything journaled while the document
        // is made refers to the document.
        const Document* front = FrontDocument();
        auto created = std::make_shared<const Document*>(nullptr);
        RecordUndo([created, front] {
            CloseDocument(*created);
            SetFrontDocument(front);
        });
        std::unique_ptr<Document> document =
            CreateDocument("Untitled-" + std::to_string(++TheState().created));
        *created = document.get();
        LayOut(*document, *data);
        Document& opened = OpenDocument(std::move(document));
        SetFrontDocument(front);
        SetItemList(UIDList(UIDRef(opened.db.get(), opened.document)));
    }
};

// The open document whose document object the list names first, or null.
Document* ListedDocument(const UIDList& list) {
    Document* document = DocumentOf(list.GetDataBase());
    return document && !list.IsEmpty() && list[0] == document->document ? document : nullptr;
}

class NewWinCmd final : public Command {
public:
    using Command::Command;
    PMString CreateName() override { return PMString("New Window"); }

protected:
    void Do() override {
        Document* document = ListedDocument(*GetItemList());
        if (!document) {
            ErrorUtils::PMSetGlobalErrorCode(kFailure);
            return;
        }
        RecordUndo([front = FrontDocument()] { SetFrontDocument(front); });
        const std::vector<UID> pages = document->layout.PageList();
        if (document->view == kInvalidUID && !pages.empty()) {
            JournaledSet(document->view, document->db->NewObject(kLayoutViewBoss));
            JournaledSet(
                document->layout.view,
                std::optional<View>(View{document->layout.pages.at(pages[0]).spread, pages[0]}));
        }
        SetFrontDocument(document);
    }
};

class StringData final : public CPMUnknown<IStringData> {
public:
    using CPMUnknown::CPMUnknown;
    void Set(const PMString& text) override { m_text = text; }
    const PMString& Get() const override { return m_text; }

private:
    PMString m_text;
};

class RenameDocCmd final : public Command {
public:
    using Command::Command;
    PMString CreateName() override { return PMString("Rename Document"); }

protected:
    void Do() override {
        InterfacePtr<IStringData> name(this, UseDefaultIID{});
        Document* document = ListedDocument(*GetItemList());
        if (!document || !name) {
            ErrorUtils::PMSetGlobalErrorCode(kFailure);
            return;
        }
        const HostOwnAccess own;
        document->Get()->SetName(name->Get());
    }
};

class SessionPageSetupPrefs final : public CPMUnknown<IPageSetupPrefs> {
public:
    using CPMUnknown::CPMUnknown;
    bool GetFlag() const override { return SessionPageSetup().flag; }
    PMRect GetDocumentBleed() const override {
        const Sides& bleed = SessionPageSetup().bleed;
        return {bleed.top, bleed.left, bleed.bottom, bleed.right};
    }
    std::int32_t GetValue() const override { return SessionPageSetup().value; }
    bool GetSwitch() const override { return SessionPageSetup().switchOn; }
};

} // namespace

PageSetup& SessionPageSetup() {
    return TheState().sessionPageSetup;
}

void RegisterNewDocumentClasses() {
    TheState() = NewDocumentState{};
    ObjectModel& model = ObjectModel::Instance();
    model.RegisterImplementation(PluginID{0}, kNewDocCmdImpl,
                                 ImplementationFunctionsOf<NewDocCmd>());
    model.RegisterImplementation(PluginID{0}, kNewDocCmdDataImpl,
                                 ImplementationFunctionsOf<NewDocCmdData>());
    model.RegisterImplementation(PluginID{0}, kNewWinCmdImpl,
                                 ImplementationFunctionsOf<NewWinCmd>());
    model.RegisterImplementation(PluginID{0}, kRenameDocCmdImpl,
                                 ImplementationFunctionsOf<RenameDocCmd>());
    model.RegisterImplementation(PluginID{0}, kStringDataImpl,
                                 ImplementationFunctionsOf<StringData>());
    model.RegisterImplementation(PluginID{0}, kSessionPageSetupPrefsImpl,
                                 ImplementationFunctionsOf<SessionPageSetupPrefs>());
    model.AddToClass(kNewDocCmdBoss, {{ICommand::kDefaultIID, kNewDocCmdImpl},
                                      {INewDocCmdData::kDefaultIID, kNewDocCmdDataImpl}});
    model.AddToClass(kNewWinCmdBoss, {{ICommand::kDefaultIID, kNewWinCmdImpl}});
    model.AddToClass(kRenameDocCmdBoss, {{ICommand::kDefaultIID, kRenameDocCmdImpl},
                                         {IStringData::kDefaultIID, kStringDataImpl}});
    model.AddToClass(kSessionBoss, {{IPageSetupPrefs::kDefaultIID, kSessionPageSetupPrefsImpl}});
}

} // namespace host
