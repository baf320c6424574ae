// The stand-in's model of a document's tables (host/sdk/Tables.h). The data live in
// host::Document::tables and the facets read them live; no command changes them.
#pragma once

#include "host/sdk/Tables.h"
#include "host/standin/Colors.h"
#include "host/standin/ObjectModel.h"

#include <array>
#include <map>
#include <optional>
#include <variant>

namespace host {

// The solid stroke type a description's edges get when they name none.
inline constexpr ClassID kSolidStrokeBoss{0xF0A010};
inline constexpr ClassID kTableModelBoss{0xF0A011};

struct CellEdge {
    ClassID type = kSolidStrokeBoss;
    PMReal weight = 1;
    Paint paint;
};

struct CellAttribute {
    ClassID cls;
    std::variant<ClassID, PMReal, UID> value; // the interface it answers to: 0xB626, 0xB614, 0xB61C
};

// A range of the table's story.
struct CellText {
    std::int32_t start = 0;
    std::int32_t length = 0;
};

struct Cell {
    std::optional<Paint> fill;
    std::array<std::optional<CellEdge>, 4> edges; // by side
    std::optional<std::vector<CellAttribute>> attributes;
    CellText text; // none when its length is 0
};

struct Table {
    std::int32_t rows = 0;
    std::int32_t columns = 0;
    std::map<GridAddress, Cell> cells;
    UID story; // a story of the document (host/standin/Text.h); kInvalidUID: no text interface
};

struct TableFrame {
    UID model;
    std::vector<GridArea> areas;
};

struct Tables {
    std::map<UID, Table> models;
    std::map<UID, TableFrame> frames; // by page item
};

// The text of the cells that the table frame of `item` shows, range by range in the order in
// which a walk meets them that asks the table's text (ITableText::GetNextTextRange) for each of
// the frame's cell areas within the table (ITableFrame::GetCellAreas) in turn, from position 0
// and on after each range. Empty when the item has no table frame or its table no text.
std::vector<CellText> ShownCellText(const Tables& tables, UID item);

// Gives a stored page item its table frame (interface 0xB62E).
void AttachTableFrameFacet(Boss& item);
// Gives a stored table model its text interface (0xB650).
void AttachTableTextFacet(Boss& model);

// Registers the table model class (part of host::Reset).
void RegisterTableClasses();

} // namespace host
