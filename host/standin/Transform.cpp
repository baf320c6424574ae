#include "host/standin/Transform.h"

#include "host/sdk/Command.h"
#include "host/sdk/Errors.h"
#include "host/sdk/Selection.h"
#include "host/standin/Document.h"
#include "host/standin/Recorder.h"

#include <cmath>
#include <optional>

namespace host {

namespace {

constexpr ImplementationID kGeometrySuiteImpl{0xF0D110};
constexpr ImplementationID kItemListTestUtilsImpl{0xF0D111};
constexpr ImplementationID kResizeCmdImpl{0xF0D112};

std::string Text(const PMPoint& point) {
    return Number(point.X()) + " " + Number(point.Y());
}

std::string Text(const PMMatrix& matrix) {
    if (matrix.IsIdentity())
        return "identity";
    std::string text = "[";
    for (int i = 0; i < 6; ++i)
        text += (i ? " " : "") + Number(matrix[i]);
    return text + "]";
}

std::string Text(const CoordinateSpace& space) {
    return std::to_string(space.kind) + " " + Text(space.matrix);
}

// Scales the page items (the members of groups, not guides) of its item list by the factors
// about the anchor, in pasteboard coordinates.
class ResizeCmd final : public Command {
public:
    using Command::Command;
    PMString CreateName() override { return PMString("Resize"); }
    void Set(const PMPoint& anchor, PMReal sx, PMReal sy) {
        m_anchor = anchor;
        m_sx = sx;
        m_sy = sy;
    }

protected:
    void Do() override {
        Document* document = DocumentOf(GetItemList()->GetDataBase());
        if (!document)
            return;
        for (UID uid : GetItemList()->UIDs())
            Scale(*document, uid);
    }

private:
    void Scale(Document& document, UID uid) {
        const Item& item = document.layout.items.at(uid);
        if (item.group) {
            for (UID member : std::vector<UID>(item.items))
                Scale(document, member);
            return;
        }
        if (item.guide)
            return;
        const PMPoint offset = document.layout.spreadData.at(item.spread).offset;
        PMMatrix matrix = item.matrix;
        matrix.Translate(offset.X() - m_anchor.X(), offset.Y() - m_anchor.Y());
        matrix.Scale(m_sx, m_sy);
        matrix.Translate(m_anchor.X() - offset.X(), m_anchor.Y() - offset.Y());
        SetItemMatrix(document, uid, matrix);
    }

    PMPoint m_anchor;
    PMReal m_sx = 1;
    PMReal m_sy = 1;
};

class GeometrySuite final : public CPMUnknown<IGeometrySuite> {
public:
    using CPMUnknown::CPMUnknown;

    ErrorCode Resize(const CoordinateSpace& space, std::int32_t boundsKind,
                     const ReferencePoint& reference, const ResizeValue& value,
                     std::int32_t final) override {
        Recorder::Instance().Record(Channel::Calls,
                                    Describe(space, boundsKind, reference, value, final));
        const UIDList items = SelectedItems();
        const Document* document = DocumentOf(items.GetDataBase());
        const std::optional<PMRect> bounds =
            document ? Bounds(*document, items, boundsKind) : std::nullopt;
        if (!bounds)
            return kFailure;
        PMPoint anchor = reference.point;
        if (reference.kind == 2)
            anchor = {bounds->Left() + reference.point.X() * bounds->Width(),
                      bounds->Top() + reference.point.Y() * bounds->Height()};
        else if (reference.kind != 0)
            return kFailure;
        PMReal sx = value.x;
        PMReal sy = value.y;
        if (value.values[0] == 0) {
            sx = value.x / bounds->Width();
            sy = value.y / bounds->Height();
        } else if (value.values[0] != 2) {
            return kFailure;
        }
        if (!(std::isfinite(sx) && sx > 0 && std::isfinite(sy) && sy > 0))
            return kFailure;

        InterfacePtr<ICommand> command(CmdUtils::CreateCommand(kResizeCmdBoss));
        if (!command)
            return kFailure;
        command->SetItemList(items);
        static_cast<ResizeCmd*>(command.get())->Set(anchor, sx, sy);
        return CmdUtils::ProcessCommand(command.get());
    }

private:
    UIDList SelectedItems() const {
        InterfacePtr<IIntegratorTarget> integrator(this, UseDefaultIID{});
        if (!integrator)
            return {};
        for (const InterfacePtr<IPMUnknown>& suite :
             integrator->GetTarget(ILayoutTarget::kDefaultIID))
            return static_cast<const ILayoutTarget*>(suite.get())->GetUIDList(1, 0);
        return {};
    }

    // The union of the items' bounds in pasteboard coordinates; nothing for no items.
    static std::optional<PMRect> Bounds(const Document& document, const UIDList& items,
                                        std::int32_t kind) {
        const Layout& layout = document.layout;
        std::optional<PMRect> bounds;
        for (UID uid : items.UIDs()) {
            std::optional<PMRect> one = layout.SpreadCoordinateBounds(uid, kind);
            if (!one || !layout.items.contains(uid))
                continue;
            const PMPoint offset = layout.spreadData.at(layout.SpreadOf(uid)).offset;
            one->MoveRel(offset.X(), offset.Y());
            if (bounds)
                bounds->Union(*one);
            else
                bounds = one;
        }
        return bounds;
    }

    static std::string Describe(const CoordinateSpace& space, std::int32_t boundsKind,
                                const ReferencePoint& r, const ResizeValue& v, std::int32_t final) {
        std::string text = "Resize " + Text(space) + " " + std::to_string(boundsKind) + " | " +
                           std::to_string(r.first) + " " + Text(r.matrix) + " " +
                           std::to_string(r.kind) + " " + std::to_string(r.subKind) + " " +
                           Text(r.point) + " " + Text(r.second) + " " + std::to_string(r.last1) +
                           " " + std::to_string(r.last2) + " | " + Text(v.space);
        for (std::int32_t value : v.values)
            text += " " + std::to_string(value);
        return text + " " + Number(v.x) + " " + Number(v.y) + " | " + std::to_string(final);
    }
};

// The letters of the item and, for a group, of its members.
void CollectTests(const Layout& layout, UID uid, std::string& tests) {
    const Item& item = layout.items.at(uid);
    tests += item.tests;
    for (UID member : item.items)
        CollectTests(layout, member, tests);
}

class ItemListTestUtils final : public CPMUnknown<IItemListTestUtils> {
public:
    using CPMUnknown::CPMUnknown;

    bool TestA(const ItemListValue& value) const override { return Holds(value, 'A'); }
    bool TestB(const ItemListValue& value) const override { return Holds(value, 'B'); }
    bool TestD(const ItemListValue& value) const override { return Holds(value, 'D'); }
    ItemListValue ComputeValue(const UIDList& items,
                               const CoordinateSpace& /*space*/) const override {
        ItemListValue value;
        const Document* document = DocumentOf(items.GetDataBase());
        if (!document)
            return value;
        for (UID uid : items.UIDs())
            if (document->layout.items.contains(uid))
                CollectTests(document->layout, uid, value.tests);
        return value;
    }

private:
    static bool Holds(const ItemListValue& value, char test) {
        return value.tests.find(test) != std::string::npos;
    }
};

} // namespace

void RegisterTransformClasses() {
    ObjectModel& model = ObjectModel::Instance();
    model.RegisterImplementation(PluginID{0}, kGeometrySuiteImpl,
                                 ImplementationFunctionsOf<GeometrySuite>());
    model.RegisterImplementation(PluginID{0}, kItemListTestUtilsImpl,
                                 ImplementationFunctionsOf<ItemListTestUtils>());
    model.RegisterImplementation(PluginID{0}, kResizeCmdImpl,
                                 ImplementationFunctionsOf<ResizeCmd>());
    model.AddToClass(kSelectionManagerBoss, {{IGeometrySuite::kDefaultIID, kGeometrySuiteImpl}});
    model.AddToClass(kUtilsBoss, {{IItemListTestUtils::kDefaultIID, kItemListTestUtilsImpl}});
    model.AddToClass(kResizeCmdBoss, {{ICommand::kDefaultIID, kResizeCmdImpl}});
}

} // namespace host
