// The table analysers: a walk over an area of a table's cells (their fill, the strokes of their
// edges and their cell line attribute) and over the text of those cells, with one virtual
// operation per step and per finding, so that a subclass decides what to do with what is found.
//
// After every step the walk tests the stop flag and, when it is set, returns at once.
#pragma once

#include "host/sdk/Colors.h"
#include "host/sdk/Tables.h"
#include "host/sdk/Text.h"

#include <cstdint>
#include <functional>

class ZEPPageItemInfo;

// Walks the attribute runs of the text model's range [start, start + length) (from its compose
// scanner) and hands each one that shows a character other than the composer's ignored
// characters and the object replacement character (0xFFFC) to `onVisible`, once, until it
// answers false. Ends at a position without a run or with an empty one. False when the text
// model has no compose scanner.
bool ScanVisibleRuns(ITextModel* textModel, std::int32_t start, std::int32_t length,
                     const std::function<bool(ITextAttributes*)>& onVisible);

// The colour attributes of table cells, by row: the colour attribute that names the row, its
// tint, a fifth class that is not read, its stroke type and its weight.
namespace TableColorAttributeIDs {
std::int32_t GetRowCount();
ClassID GetColorAttribute(std::int32_t row);
ClassID GetTintAttribute(std::int32_t row);
ClassID GetTypeAttribute(std::int32_t row);
ClassID GetWeightAttribute(std::int32_t row);
} // namespace TableColorAttributeIDs

class UZEPTableAnalyzer {
public:
    // The walk over `area` of the table model (not owned).
    UZEPTableAnalyzer(ITableModel* tableModel, const GridArea& area);
    virtual ~UZEPTableAnalyzer() = default;
    UZEPTableAnalyzer(const UZEPTableAnalyzer&) = delete;
    UZEPTableAnalyzer& operator=(const UZEPTableAnalyzer&) = delete;

    // Clears the stop flag, walks the cells row by row, then the cells' text. The text of a
    // table whose text has no text model throws 0x52E1E "(txModel) == NULL", and one whose text
    // model has no compose scanner "(iComposeScanner) == NULL".
    virtual void Run();
    // Ends the walk; answers true.
    virtual bool Stop();
    // Hands each attribute run of the text range (from the text model's compose scanner) that
    // shows a character other than the composer's ignored characters and the object replacement
    // character (0xFFFC) to OnCellObject, once.
    virtual void ScanTextRange(ITextModel* textModel, std::int32_t start, std::int32_t length);
    // The text of the area's cells, one cell's range at a time.
    virtual void OnTextRange(ITextModel* textModel, std::int32_t start, std::int32_t length);
    // A run of visible text: its stroke colour, then its fill colour, to OnColorObject.
    virtual void OnCellObject(ITextAttributes* run);
    // A colour found: of a cell's fill (stroke false), of an edge or a cell line (stroke true).
    virtual void OnColorObject(IColorObject* color, PMReal tint, bool stroke) = 0;

protected:
    // The hooks, then the cells; answers the stop flag.
    virtual bool AnalyseTable();
    virtual void AnalyseText();
    virtual void BeginTable();
    virtual void VisitColumns(const GridSpan& columns);
    virtual void VisitRows(const GridSpan& rows);
    // The fill, the edges of sides 0 to 3, then each attribute of the cell line class 0xB6DA.
    virtual void VisitCell(const GridAddress& at);
    virtual void VisitCellContent(const GridAddress& at);
    // A cell line attribute's colour, when the attribute strokes the line (its type is not
    // "no stroke" and its weight not 0); without a tint attribute, the colour's own tint.
    virtual void VisitCellAttribute(const GridAddress& at, ClassID attribute);
    // The edge's colour, when the edge is stroked (its type is not "no stroke", its weight not 0).
    virtual void VisitCellEdge(const GridAddress& at, std::int32_t side);
    // Every address of the area, rows outer, columns inner, also the addresses inside a merged
    // cell; nothing for a table model without cell access.
    virtual void VisitCells();

    IDataBase* m_database;
    ITableModel* m_tableModel;
    InterfacePtr<ITableAccess> m_tableAccess;
    GridArea m_area;
    bool m_stop = false;
};

// Forwards what the walk finds to the analysis record of the item that shows the table.
class UZEPPageItemTableAnalyzer : public UZEPTableAnalyzer {
public:
    UZEPPageItemTableAnalyzer(ITableModel* tableModel, const GridArea& area, ZEPPageItemInfo& info);

    void OnTextRange(ITextModel* textModel, std::int32_t start, std::int32_t length) override;
    void OnCellObject(ITextAttributes* run) override;
    void OnColorObject(IColorObject* color, PMReal tint, bool stroke) override;

private:
    ZEPPageItemInfo& m_info;
};

// Stops at the first colour that is not of the tested colour class.
class UZEPTableColorChecker : public UZEPTableAnalyzer {
public:
    using UZEPTableAnalyzer::UZEPTableAnalyzer;

    void OnColorObject(IColorObject* color, PMReal tint, bool stroke) override;
    bool Found() const { return m_found; }

private:
    bool m_found = false;
};

// Walks the area of the table for the item's record; a table that cannot be analysed (any
// exception) leaves the record as the walk left it.
void RunTableAnalysis(ITableModel* tableModel, const GridArea& area, ZEPPageItemInfo& info);
