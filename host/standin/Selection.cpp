#include "host/standin/Selection.h"

#include "host/standin/Document.h"
#include "host/standin/Layout.h"

#include <stdexcept>

namespace host {

namespace {

constexpr ImplementationID kSelectionUtilsImpl{0xF02010};
constexpr ImplementationID kSelectionManagerImpl{0xF02011};
constexpr ImplementationID kIntegratorTargetImpl{0xF02012};
constexpr ImplementationID kLayoutTargetImpl{0xF02013};
constexpr ImplementationID kLayoutSelectionSuiteImpl{0xF03110};

enum class SelectionKind { None, Layout, Text };

// What the user has selected, and in which document's database.
struct SelectionState {
    SelectionKind kind = SelectionKind::None;
    IDataBase* document = nullptr;
    UIDList items;
};

SelectionState& TheSelection() {
    static SelectionState selection;
    return selection;
}

IDataBase* FrontDataBase() {
    const Document* front = FrontDocument();
    return front ? front->db.get() : nullptr;
}

// The kind of the current selection: the one made, while its document is the front document.
SelectionKind CurrentKind() {
    const SelectionState& selection = TheSelection();
    if (selection.kind == SelectionKind::None || selection.document != FrontDataBase())
        return SelectionKind::None;
    return selection.kind;
}

// The selected page items that still exist; an empty list of no database when the layout
// selection is not the current one.
UIDList SelectedItems() {
    if (CurrentKind() != SelectionKind::Layout)
        return UIDList();
    const UIDList& selected = TheSelection().items;
    UIDList items(selected.GetDataBase());
    for (UID uid : selected.UIDs())
        if (selected.GetDataBase()->GetClass(uid) != kInvalidClass)
            items.Append(uid);
    return items;
}

class LayoutTarget final : public CPMUnknown<ILayoutTarget> {
public:
    explicit LayoutTarget(IPMUnknown* boss) : CPMUnknown<ILayoutTarget>(boss) {}

    UIDList GetUIDList(int /*listOption*/, int /*itemOption*/) const override {
        return SelectedItems();
    }
};

class IntegratorTarget final : public CPMUnknown<IIntegratorTarget> {
public:
    explicit IntegratorTarget(IPMUnknown* boss)
        : CPMUnknown<IIntegratorTarget>(boss),
          m_layout(CreateObject(kLayoutSelectionBoss, IPMUnknown::kDefaultIID)),
          m_text(CreateObject(kTextSelectionBoss, IPMUnknown::kDefaultIID)) {}

    std::vector<InterfacePtr<IPMUnknown>> GetTarget(PMIID iid) const override {
        std::vector<InterfacePtr<IPMUnknown>> suites;
        InterfacePtr<IPMUnknown> suite(Active(), iid);
        if (suite)
            suites.push_back(std::move(suite));
        return suites;
    }

private:
    const IPMUnknown* Active() const {
        switch (CurrentKind()) {
        case SelectionKind::Layout:
            return m_layout.get();
        case SelectionKind::Text:
            return m_text.get();
        case SelectionKind::None:
            break;
        }
        return nullptr;
    }

    // The bosses of the concrete selections, made with the manager.
    InterfacePtr<IPMUnknown> m_layout;
    InterfacePtr<IPMUnknown> m_text;
};

class SelectionManager final : public CPMUnknown<ISelectionManager> {
public:
    explicit SelectionManager(IPMUnknown* boss) : CPMUnknown<ISelectionManager>(boss) {}
};

class LayoutSelectionSuite final : public CPMUnknown<ILayoutSelectionSuite> {
public:
    using CPMUnknown::CPMUnknown;

    void SelectItems(const UIDList& items, int, int) override {
        if (items.GetDataBase() == FrontDataBase())
            SelectLayoutItems(items);
        else
            ClearSelection();
    }
    void SelectSpreadItems(const IHierarchy* spread, int, int) override {
        ClearSelection();
        Document* document = DocumentOf(GetUIDRef(spread).GetDataBase());
        if (!spread || document != FrontDocument())
            return;
        auto data = document->layout.spreadData.find(spread->GetSpreadUID());
        if (data == document->layout.spreadData.end())
            return;
        UIDList items(document->db.get());
        for (UID item : data->second.items)
            items.Append(item);
        SelectLayoutItems(items);
    }
    void DeselectAll() override { ClearSelection(); }
    bool IsSelectionEmpty() const override { return SelectedItems().IsEmpty(); }
};

class SelectionUtils final : public CPMUnknown<ISelectionUtils> {
public:
    explicit SelectionUtils(IPMUnknown* boss) : CPMUnknown<ISelectionUtils>(boss) {}

    ILayoutSelectionSuite*
    QueryLayoutSelectionSuite(const ISelectionManager* manager) const override {
        if (!manager || !FrontDocument())
            return nullptr;
        return static_cast<ILayoutSelectionSuite*>(
            manager->QueryInterface(ILayoutSelectionSuite::kDefaultIID));
    }
    ILayoutSelectionSuite* QueryActiveLayoutSelectionSuite() const override {
        return QueryLayoutSelectionSuite(GetActiveSelection());
    }

    ISelectionManager* GetActiveSelection() const override {
        // Made on first use, when every plug-in has added its suites to the classes.
        if (!m_manager)
            m_manager.reset(static_cast<ISelectionManager*>(
                CreateObject(kSelectionManagerBoss, ISelectionManager::kDefaultIID)));
        return m_manager.get();
    }

private:
    mutable InterfacePtr<ISelectionManager> m_manager;
};

} // namespace

void SelectLayoutItems(const UIDList& items) {
    if (items.IsEmpty()) {
        ClearSelection();
        return;
    }
    if (items.GetDataBase() == nullptr || items.GetDataBase() != FrontDataBase())
        throw std::invalid_argument("SelectLayoutItems: the items are not of the front document");
    TheSelection() = {SelectionKind::Layout, items.GetDataBase(), items};
}

void SelectText() {
    IDataBase* front = FrontDataBase();
    if (!front)
        throw std::logic_error("SelectText: no document is open");
    TheSelection() = {SelectionKind::Text, front, UIDList()};
}

void ClearSelection() {
    TheSelection() = {};
}

void RegisterSelectionClasses() {
    ObjectModel& model = ObjectModel::Instance();
    model.RegisterImplementation(PluginID{0}, kSelectionUtilsImpl,
                                 ImplementationFunctionsOf<SelectionUtils>());
    model.RegisterImplementation(PluginID{0}, kSelectionManagerImpl,
                                 ImplementationFunctionsOf<SelectionManager>());
    model.RegisterImplementation(PluginID{0}, kIntegratorTargetImpl,
                                 ImplementationFunctionsOf<IntegratorTarget>());
    model.RegisterImplementation(PluginID{0}, kLayoutTargetImpl,
                                 ImplementationFunctionsOf<LayoutTarget>());
    model.RegisterImplementation(PluginID{0}, kLayoutSelectionSuiteImpl,
                                 ImplementationFunctionsOf<LayoutSelectionSuite>());
    model.AddToClass(kUtilsBoss, {{ISelectionUtils::kDefaultIID, kSelectionUtilsImpl}});
    model.AddToClass(kSelectionManagerBoss,
                     {{ISelectionManager::kDefaultIID, kSelectionManagerImpl},
                      {IIntegratorTarget::kDefaultIID, kIntegratorTargetImpl},
                      {ILayoutSelectionSuite::kDefaultIID, kLayoutSelectionSuiteImpl}});
    model.AddToClass(kLayoutSelectionBoss, {{ILayoutTarget::kDefaultIID, kLayoutTargetImpl}});
    model.AddToClass(kTextSelectionBoss, {});
}

} // namespace host
