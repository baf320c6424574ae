#include "host/standin/Tables.h"

#include "host/standin/Document.h"
#include "host/standin/Faults.h"
#include "host/standin/ObjectModel.h"

#include <algorithm>
#include <limits>

GridArea GridArea::Intersect(const GridArea& other) const {
    GridArea both{std::max(firstRow, other.firstRow), std::max(firstColumn, other.firstColumn),
                  std::min(endRow, other.endRow), std::min(endColumn, other.endColumn)};
    return both.IsEmpty() ? GridArea{} : both;
}

ClassID AttributeBossList::GetClassN(std::int32_t index) const {
    return index < 0 || static_cast<std::size_t>(index) >= m_classes.size()
               ? kInvalidClass
               : m_classes[static_cast<std::size_t>(index)];
}

namespace host {

namespace {

// The frame's areas within `area`, in the frame's order (ITableFrame::GetCellAreas).
std::vector<GridArea> CellAreas(const TableFrame& frame, const GridArea& area) {
    std::vector<GridArea> areas;
    for (const GridArea& shown : frame.areas)
        if (const GridArea both = shown.Intersect(area); !both.IsEmpty())
            areas.push_back(both);
    return areas;
}

// ITableText::GetNextTextRange.
std::int32_t NextTextRange(const Table& table, const GridArea& area, std::int32_t& position) {
    for (const auto& [at, cell] : table.cells)
        if (area.Contains(at) && cell.text.length > 0 && cell.text.start >= position) {
            position = cell.text.start;
            return cell.text.length;
        }
    return 0;
}

constexpr ImplementationID kTableModelImpl{0xF0A110};
constexpr ImplementationID kTableAccessImpl{0xF0A111};

const Table* TableOf(const IPMUnknown* model) {
    const Located at = Locate(model);
    return at.document ? FindByUID(at.document->tables.models, at.uid) : nullptr;
}

// A host-made object with one interface, held only by its references; null when the host cannot
// make it.
template <typename Facet, typename... Args>
IPMUnknown* NewValueObject(ClassID cls, PMIID iid, Args&&... args) {
    if (!Faults::Instance().CanMake(cls, iid))
        return nullptr;
    auto* boss = new Boss(cls, {});
    auto facet = std::make_unique<Facet>(boss, std::forward<Args>(args)...);
    IPMUnknown* result = facet.get();
    boss->AttachFacet(iid, std::move(facet));
    result->AddRef();
    return result;
}

template <typename I, typename Value>
class AttrValue final : public CPMUnknown<I> {
public:
    AttrValue(IPMUnknown* boss, Value value) : CPMUnknown<I>(boss), m_value(value) {}
    Value GetValue() const override { return m_value; }

private:
    Value m_value;
};

class TableModel final : public CPMUnknown<ITableModel> {
public:
    using CPMUnknown::CPMUnknown;
    GridArea GetTotalArea() const override {
        const Table* table = TableOf(this);
        return table ? GridArea{0, 0, table->rows, table->columns} : GridArea{};
    }
};

class TableAccess final : public CPMUnknown<ITableAccess> {
public:
    using CPMUnknown::CPMUnknown;
    UID GetFillColor(const GridAddress& at) const override {
        const Cell* cell = CellAt(at);
        return cell && cell->fill ? cell->fill->color : kInvalidUID;
    }
    PMReal GetFillTint(const GridAddress& at) const override {
        const Cell* cell = CellAt(at);
        return cell && cell->fill ? cell->fill->tint : Paint{}.tint;
    }
    ClassID GetStrokeType(const GridAddress& at, std::int32_t side) const override {
        const CellEdge* edge = EdgeAt(at, side);
        return edge ? edge->type : kNoStrokeBoss;
    }
    PMReal GetStrokeWeight(const GridAddress& at, std::int32_t side) const override {
        const CellEdge* edge = EdgeAt(at, side);
        return edge ? edge->weight : 0;
    }
    UID GetStrokeColor(const GridAddress& at, std::int32_t side) const override {
        const CellEdge* edge = EdgeAt(at, side);
        return edge ? edge->paint.color : kInvalidUID;
    }
    PMReal GetStrokeTint(const GridAddress& at, std::int32_t side) const override {
        const CellEdge* edge = EdgeAt(at, side);
        return edge ? edge->paint.tint : Paint{}.tint;
    }
    std::unique_ptr<AttributeBossList> QueryCellAttributes(const GridAddress& at) const override {
        const Cell* cell = CellAt(at);
        if (!cell || !cell->attributes)
            return nullptr;
        std::vector<ClassID> classes;
        for (const CellAttribute& attribute : *cell->attributes)
            classes.push_back(attribute.cls);
        return std::make_unique<AttributeBossList>(std::move(classes));
    }
    IPMUnknown* QueryCellAttribute(const GridAddress& at, ClassID cls, PMIID iid, std::int32_t,
                                   std::int32_t) const override {
        const Cell* cell = CellAt(at);
        if (!cell || !cell->attributes)
            return nullptr;
        for (const CellAttribute& attribute : *cell->attributes) {
            if (attribute.cls != cls)
                continue;
            if (const auto* type = std::get_if<ClassID>(&attribute.value);
                type && iid == IAttrClassValue::kDefaultIID)
                return NewValueObject<AttrValue<IAttrClassValue, ClassID>>(cls, iid, *type);
            if (const auto* real = std::get_if<PMReal>(&attribute.value);
                real && iid == IAttrRealValue::kDefaultIID)
                return NewValueObject<AttrValue<IAttrRealValue, PMReal>>(cls, iid, *real);
            if (const auto* uid = std::get_if<UID>(&attribute.value);
                uid && iid == IAttrUIDValue::kDefaultIID)
                return NewValueObject<AttrValue<IAttrUIDValue, UID>>(cls, iid, *uid);
            return nullptr;
        }
        return nullptr;
    }

private:
    const Cell* CellAt(const GridAddress& at) const {
        const Table* table = TableOf(this);
        if (!table)
            return nullptr;
        auto found = table->cells.find(at);
        return found == table->cells.end() ? nullptr : &found->second;
    }
    const CellEdge* EdgeAt(const GridAddress& at, std::int32_t side) const {
        const Cell* cell = CellAt(at);
        if (!cell || side < 0 || side > 3 || !cell->edges[static_cast<std::size_t>(side)])
            return nullptr;
        return &*cell->edges[static_cast<std::size_t>(side)];
    }
};

class TableFrameFacet final : public CPMUnknown<ITableFrame> {
public:
    using CPMUnknown::CPMUnknown;
    ITableModel* QueryTableModel() const override {
        const Located at = Locate(this);
        const TableFrame* frame = FrameOf(at);
        if (!frame)
            return nullptr;
        return static_cast<ITableModel*>(
            at.document->db->Instantiate(frame->model, ITableModel::kDefaultIID));
    }
    bool IsAreaShown(const GridArea& area) const override { return !GetCellAreas(area).empty(); }
    std::vector<GridArea> GetCellAreas(const GridArea& area) const override {
        const TableFrame* frame = FrameOf(Locate(this));
        return frame ? CellAreas(*frame, area) : std::vector<GridArea>{};
    }

private:
    static const TableFrame* FrameOf(const Located& at) {
        return at.document ? FindByUID(at.document->tables.frames, at.uid) : nullptr;
    }
};

class TableTextFacet final : public CPMUnknown<ITableText> {
public:
    using CPMUnknown::CPMUnknown;
    IPMUnknown* QueryStory() const override {
        const Table* table = TableOf(this);
        return table ? GetUIDRef(this).GetDataBase()->Instantiate(table->story,
                                                                  IPMUnknown::kDefaultIID)
                     : nullptr;
    }
    std::int32_t GetNextTextRange(const GridArea& area, std::int32_t& position) const override {
        const Table* table = TableOf(this);
        return table ? NextTextRange(*table, area, position) : 0;
    }
};

} // namespace

std::vector<CellText> ShownCellText(const Tables& tables, UID item) {
    std::vector<CellText> ranges;
    const TableFrame* frame = FindByUID(tables.frames, item);
    const Table* table = frame ? FindByUID(tables.models, frame->model) : nullptr;
    if (!table || table->story == kInvalidUID)
        return ranges;
    for (const GridArea& area : CellAreas(*frame, {0, 0, table->rows, table->columns})) {
        std::int32_t position = 0;
        for (std::int32_t length; (length = NextTextRange(*table, area, position)) > 0;) {
            ranges.push_back({position, length});
            if (position > std::numeric_limits<std::int32_t>::max() - length)
                break;
            position += length;
        }
    }
    return ranges;
}

void AttachTableFrameFacet(Boss& item) {
    item.AttachFacet(ITableFrame::kDefaultIID, std::make_unique<TableFrameFacet>(&item));
}

void AttachTableTextFacet(Boss& model) {
    model.AttachFacet(ITableText::kDefaultIID, std::make_unique<TableTextFacet>(&model));
}

void RegisterTableClasses() {
    ObjectModel& model = ObjectModel::Instance();
    model.RegisterImplementation(PluginID{0}, kTableModelImpl,
                                 ImplementationFunctionsOf<TableModel>());
    model.RegisterImplementation(PluginID{0}, kTableAccessImpl,
                                 ImplementationFunctionsOf<TableAccess>());
    model.AddToClass(kTableModelBoss, {{ITableModel::kDefaultIID, kTableModelImpl},
                                       {ITableAccess::kDefaultIID, kTableAccessImpl}});
}

} // namespace host
