// Tables: table models with their cells (fill, edge strokes, cell attributes and text) and the
// table frames of page items, each showing areas of one table model.
//
// Grid addresses count rows and columns from 0; a grid area runs from its first row and column up
// to, not including, its end row and end column. The text of a table is a story
// (host/sdk/Text.h), the story of the text frame that holds the table: each cell's text is a range
// of it after the story's own text, which the frames show, the cells' ranges in row order. No
// command changes a table.
#pragma once

#include "host/sdk/Database.h"
#include "host/sdk/Geometry.h"

#include <compare>
#include <cstdint>
#include <memory>
#include <vector>

struct GridAddress {
    std::int32_t row = 0;
    std::int32_t column = 0;
    auto operator<=>(const GridAddress&) const = default;
};

// A run of rows or columns.
struct GridSpan {
    std::int32_t start = 0;
    std::int32_t count = 0;
    bool operator==(const GridSpan&) const = default;
};

struct GridArea {
    std::int32_t firstRow = 0;
    std::int32_t firstColumn = 0;
    std::int32_t endRow = 0;    // exclusive
    std::int32_t endColumn = 0; // exclusive

    GridSpan Rows() const { return {firstRow, endRow - firstRow}; }
    GridSpan Columns() const { return {firstColumn, endColumn - firstColumn}; }
    bool IsEmpty() const { return endRow <= firstRow || endColumn <= firstColumn; }
    bool Contains(const GridAddress& at) const {
        return at.row >= firstRow && at.row < endRow && at.column >= firstColumn &&
               at.column < endColumn;
    }
    // The cells both areas hold (empty when they do not meet).
    GridArea Intersect(const GridArea& other) const;
    bool operator==(const GridArea&) const = default;
};

// The attributes a cell carries, by class, in the order the cell holds them.
class AttributeBossList {
public:
    explicit AttributeBossList(std::vector<ClassID> classes) : m_classes(std::move(classes)) {}
    std::int32_t CountBosses() const { return static_cast<std::int32_t>(m_classes.size()); }
    // kInvalidClass outside the list.
    ClassID GetClassN(std::int32_t index) const;

private:
    std::vector<ClassID> m_classes;
};

// A table model.
class ITableModel : public IPMUnknown {
public:
    static constexpr PMIID kDefaultIID{0xF0A002};

    // Every cell of the table: rows and columns from 0.
    virtual GridArea GetTotalArea() const = 0;
};

// The stroke type of an edge without stroke.
inline constexpr ClassID kNoStrokeBoss{0x1040C};

// The cells of a table model (interface 0xB612 of the model). Sides of an edge: 0 top, 1 left,
// 2 bottom, 3 right. An address outside the table, or a cell the model gives nothing for, has
// no fill, edges of stroke type kNoStrokeBoss and weight 0, and no attribute list.
class ITableAccess : public IPMUnknown {
public:
    static constexpr PMIID kDefaultIID{0xB612};

    // kInvalidUID when the cell has no fill.
    virtual UID GetFillColor(const GridAddress& at) const = 0;
    virtual PMReal GetFillTint(const GridAddress& at) const = 0;
    virtual ClassID GetStrokeType(const GridAddress& at, std::int32_t side) const = 0;
    virtual PMReal GetStrokeWeight(const GridAddress& at, std::int32_t side) const = 0;
    // kInvalidUID when the edge has no colour.
    virtual UID GetStrokeColor(const GridAddress& at, std::int32_t side) const = 0;
    virtual PMReal GetStrokeTint(const GridAddress& at, std::int32_t side) const = 0;
    // The classes of the cell's attributes; null when the cell has no attribute list.
    virtual std::unique_ptr<AttributeBossList> QueryCellAttributes(const GridAddress& at) const = 0;
    // The cell's attribute of that class asked for `iid`, with a new reference; null when the cell
    // has no such attribute or the attribute has no such interface. The two options are the
    // host's.
    virtual IPMUnknown* QueryCellAttribute(const GridAddress& at, ClassID attribute, PMIID iid,
                                           std::int32_t option1, std::int32_t option2) const = 0;
};

// The value of a cell attribute: a class (0xB626), a real number (0xB614) or a UID (0xB61C).
class IAttrClassValue : public IPMUnknown {
public:
    static constexpr PMIID kDefaultIID{0xB626};
    virtual ClassID GetValue() const = 0;
};
class IAttrRealValue : public IPMUnknown {
public:
    static constexpr PMIID kDefaultIID{0xB614};
    virtual PMReal GetValue() const = 0;
};
class IAttrUIDValue : public IPMUnknown {
public:
    static constexpr PMIID kDefaultIID{0xB61C};
    virtual UID GetValue() const = 0;
};

// The table frame of a page item: the areas of one table model that it shows.
class ITableFrame : public IPMUnknown {
public:
    static constexpr PMIID kDefaultIID{0xB62E};

    // The table model with a new reference; null when the frame names none.
    virtual ITableModel* QueryTableModel() const = 0;
    // Whether any cell of the area is shown in this frame.
    virtual bool IsAreaShown(const GridArea& area) const = 0;
    // The frame's areas within `area`, in the frame's order; areas that do not meet it are left
    // out.
    virtual std::vector<GridArea> GetCellAreas(const GridArea& area) const = 0;
};

// The text of a table model (interface 0xB650 of the model, when the table has text).
class ITableText : public IPMUnknown {
public:
    static constexpr PMIID kDefaultIID{0xB650};

    // The table's story, with a new reference; null when the table's story is gone.
    virtual IPMUnknown* QueryStory() const = 0;
    // The text of the first cell of the area, in row order, whose text is not empty and starts at
    // or after `position`: `position` becomes its start and its length is returned; 0 when there
    // is no such cell.
    virtual std::int32_t GetNextTextRange(const GridArea& area, std::int32_t& position) const = 0;
};
