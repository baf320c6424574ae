#include "host/standin/Document.h"

#include "host/sdk/Actions.h"
#include "host/sdk/Panels.h"
#include "host/standin/Command.h"
#include "host/standin/Faults.h"
#include "host/standin/Recorder.h"
#include "host/standin/Session.h"

namespace host {

namespace {

constexpr ImplementationID kDocumentImpl{0xF00210};
constexpr ImplementationID kApplicationImpl{0xF00211};
constexpr ImplementationID kDocumentListImpl{0xF00212};
constexpr ImplementationID kLayoutUtilsImpl{0xF00213};

class DocumentFacet final : public CPMUnknown<IDocument> {
public:
    explicit DocumentFacet(IPMUnknown* boss) : CPMUnknown<IDocument>(boss) {}

    UIDRef GetDocWorkSpace() const override { return {GetUIDRef(this).GetDataBase(), m_workspace}; }
    PMString GetName() const override { return m_name; }
    void SetName(const PMString& name) override { JournaledSet(m_name, name); }

    void SetWorkspace(UID workspace) { m_workspace = workspace; }

private:
    UID m_workspace = kInvalidUID;
    PMString m_name;
};

class Application final : public CPMUnknown<IApplication> {
public:
    explicit Application(IPMUnknown* boss) : CPMUnknown<IApplication>(boss) {}
    IDocumentList* QueryDocumentList() const override {
        return static_cast<IDocumentList*>(QueryInterface(IDocumentList::kDefaultIID));
    }
    IPanelMgr* QueryPanelManager() const override {
        return static_cast<IPanelMgr*>(QueryInterface(IPanelMgr::kDefaultIID));
    }
    IActionManager* QueryActionManager() const override {
        return static_cast<IActionManager*>(QueryInterface(IActionManager::kDefaultIID));
    }
};

class DocumentList final : public CPMUnknown<IDocumentList> {
public:
    explicit DocumentList(IPMUnknown* boss) : CPMUnknown<IDocumentList>(boss) {}
    int GetDocCount() const override { return static_cast<int>(OpenDocuments().size()); }
    IDocument* GetNthDoc(int index) const override {
        const auto& documents = OpenDocuments();
        if (index < 0 || static_cast<std::size_t>(index) >= documents.size())
            return nullptr;
        return documents[static_cast<std::size_t>(index)]->Get();
    }
};

class LayoutUtils final : public CPMUnknown<ILayoutUtils> {
public:
    explicit LayoutUtils(IPMUnknown* boss) : CPMUnknown<ILayoutUtils>(boss) {}
    IDocument* GetFrontDocument() const override {
        const Document* front = FrontDocument();
        return front ? front->Get() : nullptr;
    }
    ILayoutControlData* QueryFrontLayoutData() const override {
        const Document* front = FrontDocument();
        if (!front || front->view == kInvalidUID)
            return nullptr;
        return static_cast<ILayoutControlData*>(
            front->db->Instantiate(front->view, ILayoutControlData::kDefaultIID));
    }
    void InvalidateViews(const IDocument* document) const override {
        for (const auto& open : OpenDocuments())
            if (document && open->Get() == document && open->view != kInvalidUID)
                Recorder::Instance().Record(Channel::Redraws,
                                            "invalidate " + document->GetName().GetUTF8String());
    }
};

struct Documents {
    std::vector<std::unique_ptr<Document>> open;
    const Document* front = nullptr;
};

Documents& TheDocuments() {
    static Documents documents;
    return documents;
}

} // namespace

Located Locate(const IPMUnknown* object) {
    const UIDRef ref = GetUIDRef(object);
    return {DocumentOf(ref.GetDataBase()), ref.GetUID()};
}

Located LocateBoss(const IPMUnknown* boss) {
    const auto* held = static_cast<const Boss*>(boss);
    return {DocumentOf(held->GetDataBase()), held->GetUID()};
}

IDocument* Document::Get() const {
    InterfacePtr<IDocument> document(UIDRef(db.get(), this->document), UseDefaultIID{});
    return document.get(); // the database holds the document
}

void RegisterDocumentClasses() {
    ObjectModel& model = ObjectModel::Instance();
    model.RegisterImplementation(PluginID{0}, kDocumentImpl,
                                 ImplementationFunctionsOf<DocumentFacet>());
    model.RegisterImplementation(PluginID{0}, kApplicationImpl,
                                 ImplementationFunctionsOf<Application>());
    model.RegisterImplementation(PluginID{0}, kDocumentListImpl,
                                 ImplementationFunctionsOf<DocumentList>());
    model.RegisterImplementation(PluginID{0}, kLayoutUtilsImpl,
                                 ImplementationFunctionsOf<LayoutUtils>());
    model.AddToClass(kDocBoss, {{IDocument::kDefaultIID, kDocumentImpl}});
    model.AddToClass(kDocWorkspaceBoss, {});
    model.AddToClass(kApplicationBoss, {{IApplication::kDefaultIID, kApplicationImpl},
                                        {IDocumentList::kDefaultIID, kDocumentListImpl}});
    model.AddToClass(kUtilsBoss, {{ILayoutUtils::kDefaultIID, kLayoutUtilsImpl}});
}

std::unique_ptr<Document> CreateDocument(const std::string& name) {
    auto document = std::make_unique<Document>();
    document->db = std::make_unique<DataBase>(name);
    document->document = document->db->NewObject(kDocBoss);
    document->workspace = document->db->NewObject(kDocWorkspaceBoss);
    const HostOwnAccess own;
    auto* facet = static_cast<DocumentFacet*>(document->Get());
    facet->SetWorkspace(document->workspace);
    facet->SetName(PMString(name));
    return document;
}

Document& OpenDocument(std::unique_ptr<Document> document) {
    Documents& documents = TheDocuments();
    documents.open.push_back(std::move(document));
    documents.front = documents.open.back().get();
    CountModelChange();
    return *documents.open.back();
}

Document& NewDocument(const std::string& name) {
    return OpenDocument(CreateDocument(name));
}

std::vector<std::unique_ptr<Document>>& OpenDocuments() {
    return TheDocuments().open;
}

Document* FrontDocument() {
    return const_cast<Document*>(TheDocuments().front);
}

void SetFrontDocument(const Document* document) {
    TheDocuments().front = document;
    CountModelChange();
}

void CloseAllDocuments() {
    TheDocuments().front = nullptr;
    TheDocuments().open.clear();
    CountModelChange();
}

} // namespace host

namespace UtilsBoss {

IPMUnknown* QueryUtils(PMIID iid) {
    return host::UtilsRef().GetDataBase()
               ? host::UtilsRef().GetDataBase()->Instantiate(host::UtilsRef().GetUID(), iid)
               : nullptr;
}

} // namespace UtilsBoss
