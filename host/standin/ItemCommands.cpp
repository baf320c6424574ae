#include "host/standin/ItemCommands.h"

#include "host/sdk/Errors.h"
#include "host/standin/Command.h"
#include "host/standin/Document.h"

#include <algorithm>
#include <set>
#include <vector>

namespace host {

namespace {

constexpr ImplementationID kGroupCmdImpl{0xF0E110};
constexpr ImplementationID kGroupCmdDataImpl{0xF0E111};
constexpr ImplementationID kTransformCmdImpl{0xF0E112};
constexpr ImplementationID kTransformCmdDataImpl{0xF0E113};
constexpr ImplementationID kTransformUtilsImpl{0xF0E114};

// Sets a value of the layout found through `access`, journaled by the way it was found.
template <typename Access, typename Value>
void JournaledChange(Access access, Value value) {
    RecordUndo([access, old = access()] { access() = old; });
    access() = std::move(value);
}

// The items' document when every UID names a page item of it; else null.
Document* PageItemsDocument(const UIDList& items) {
    Document* document = DocumentOf(items.GetDataBase());
    if (!document || items.IsEmpty())
        return nullptr;
    for (UID uid : items.UIDs())
        if (!document->layout.items.contains(uid))
            return nullptr;
    return document;
}

class GroupCmdData final : public CPMUnknown<IGroupCmdData> {
public:
    using CPMUnknown::CPMUnknown;
    void Set(std::unique_ptr<UIDList> items) override { m_items = std::move(items); }
    const UIDList* Items() const { return m_items.get(); }

private:
    std::unique_ptr<UIDList> m_items;
};

class GroupCmd final : public Command {
public:
    using Command::Command;
    PMString CreateName() override { return PMString("Group"); }

protected:
    void Do() override {
        InterfacePtr<IGroupCmdData> data(this, UseDefaultIID{});
        const UIDList* items =
            data ? static_cast<const GroupCmdData*>(data.get())->Items() : nullptr;
        Document* document = items ? PageItemsDocument(*items) : nullptr;
        const UID spread = document ? document->layout.items.at((*items)[0]).spread : kInvalidUID;
        if (!document || !std::all_of(items->UIDs().begin(), items->UIDs().end(), [&](UID uid) {
                const Item& item = document->layout.items.at(uid);
                return item.parent == kInvalidUID && item.spread == spread;
            })) {
            ErrorUtils::PMSetGlobalErrorCode(kFailure);
            return;
        }
        SetItemList(UIDList(UIDRef(document->db.get(), Group(*document, spread, *items))));
    }

private:
    static UID Group(Document& document, UID spread, const UIDList& items) {
        Layout* layout = &document.layout;
        const std::set<UID> chosen(items.UIDs().begin(), items.UIDs().end());
        const std::vector<UID>& onSpread = layout->spreadData.at(spread).items;
        std::vector<UID> members;
        std::copy_if(onSpread.begin(), onSpread.end(), std::back_inserter(members),
                     [&chosen](UID uid) { return chosen.contains(uid); });
        const UID group = document.db->NewObject(kGroupItemBoss);
        Item item;
        item.cls = kGroupItemBoss;
        item.spread = spread;
        item.layer = layout->items.at(members.back()).layer;
        item.group = true;
        item.items = members;
        for (UID member : members) {
            JournaledChange([layout, member]() -> UID& { return layout->items.at(member).parent; },
                            group);
            JournaledChange([layout, member]() -> UID& { return layout->items.at(member).layer; },
                            item.layer);
        }
        std::vector<UID> remaining;
        for (UID uid : onSpread)
            if (uid == members.back())
                remaining.push_back(group);
            else if (!chosen.contains(uid))
                remaining.push_back(uid);
        RecordUndo([layout, group] { layout->items.erase(group); });
        layout->items.emplace(group, std::move(item));
        JournaledChange(
            [layout, spread]() -> std::vector<UID>& { return layout->spreadData.at(spread).items; },
            std::move(remaining));
        return group;
    }
};

class ITransformCmdData : public IPMUnknown {
public:
    static constexpr PMIID kDefaultIID{0xF0E004};
    virtual void Set(const UIDList& items, const PMMatrix& transform) = 0;
};

class TransformCmdData final : public CPMUnknown<ITransformCmdData> {
public:
    using CPMUnknown::CPMUnknown;
    void Set(const UIDList& items, const PMMatrix& transform) override {
        m_items = items;
        m_transform = transform;
    }
    UIDList m_items;
    PMMatrix m_transform;
};

class TransformCmd final : public Command {
public:
    using Command::Command;
    PMString CreateName() override { return PMString("Transform"); }

protected:
    void Do() override {
        InterfacePtr<ITransformCmdData> data(this, UseDefaultIID{});
        const auto* request = static_cast<const TransformCmdData*>(data.get());
        Document* document = request ? PageItemsDocument(request->m_items) : nullptr;
        if (!document) {
            ErrorUtils::PMSetGlobalErrorCode(kFailure);
            return;
        }
        for (UID uid : request->m_items.UIDs())
            Transform(*document, uid, request->m_transform);
    }

private:
    static void Transform(Document& document, UID uid, const PMMatrix& transform) {
        Layout* where = &document.layout;
        const Item& item = where->items.at(uid);
        if (item.group) {
            for (UID member : std::vector<UID>(item.items))
                Transform(document, member, transform);
        } else if (item.guide) {
            const PMReal at = item.guide->position;
            const PMPoint moved =
                transform.Transform(item.guide->horizontal ? PMPoint(0, at) : PMPoint(at, 0));
            JournaledChange(
                [where, uid]() -> PMReal& { return where->items.at(uid).guide->position; },
                item.guide->horizontal ? moved.Y() : moved.X());
        } else {
            PMMatrix matrix = item.matrix;
            matrix.PostConcat(transform);
            SetItemMatrix(document, uid, matrix);
        }
    }
};

class TransformUtils final : public CPMUnknown<ITransformUtils> {
public:
    using CPMUnknown::CPMUnknown;
    ErrorCode TransformItems(const UIDList& items, const CoordinateSpace& /*space*/,
                             const TransformOrigin& origin, const TransformMatrix& matrix,
                             std::int32_t /*mode*/) override {
        InterfacePtr<ICommand> command(CmdUtils::CreateCommand(kTransformCmdBoss));
        InterfacePtr<ITransformCmdData> data(command, UseDefaultIID{});
        if (!command || !data)
            return kFailure;
        const PMReal x = origin.point.X() + origin.offset.X();
        const PMReal y = origin.point.Y() + origin.offset.Y();
        PMMatrix transform(1, 0, 0, 1, -x, -y);
        transform.PostConcat(matrix.matrix);
        transform.Translate(x, y);
        data->Set(items, transform);
        return CmdUtils::ProcessCommand(command.get());
    }
};

} // namespace

void RegisterItemCommandClasses() {
    ObjectModel& model = ObjectModel::Instance();
    const auto reg = [&model](ImplementationID id, const ImplementationFunctions& functions) {
        model.RegisterImplementation(PluginID{0}, id, functions);
    };
    reg(kGroupCmdImpl, ImplementationFunctionsOf<GroupCmd>());
    reg(kGroupCmdDataImpl, ImplementationFunctionsOf<GroupCmdData>());
    reg(kTransformCmdImpl, ImplementationFunctionsOf<TransformCmd>());
    reg(kTransformCmdDataImpl, ImplementationFunctionsOf<TransformCmdData>());
    reg(kTransformUtilsImpl, ImplementationFunctionsOf<TransformUtils>());
    model.AddToClass(kGroupCmdBoss, {{ICommand::kDefaultIID, kGroupCmdImpl},
                                     {IGroupCmdData::kDefaultIID, kGroupCmdDataImpl}});
    model.AddToClass(kTransformCmdBoss, {{ICommand::kDefaultIID, kTransformCmdImpl},
                                         {ITransformCmdData::kDefaultIID, kTransformCmdDataImpl}});
    model.AddToClass(kUtilsBoss, {{ITransformUtils::kDefaultIID, kTransformUtilsImpl}});
}

} // namespace host
