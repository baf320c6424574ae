#include "Analysis/UZEPTableAnalyzer.h"

#include "Analysis/ZEPColorAnalysis.h"
#include "Analysis/ZEPPageItemInfo.h"
#include "Plugin/CZEPException.h"

#include <algorithm>
#include <cmath>
#include <cstddef>

namespace {

constexpr std::uint32_t kAttributeIDs[7][5] = {
    {0xB64C, 0xB6AB, 0xB6BD, 0xB650, 0xB648}, {0xB649, 0xB6A8, 0xB6BA, 0xB64D, 0xB645},
    {0xB64A, 0xB6AA, 0xB6BC, 0xB64F, 0xB647}, {0xB64B, 0xB6A9, 0xB6BB, 0xB64E, 0xB646},
    {0xB6E9, 0xB6EC, 0xB6ED, 0xB6EB, 0xB6EA}, {0xB6EE, 0xB6F1, 0xB6F2, 0xB6F0, 0xB6EF},
    {0xB6DA, 0xB6DB, 0xB6DC, 0xB6D9, 0xB6D8},
};

ClassID AttributeID(std::int32_t row, std::size_t column) {
    return ClassID(kAttributeIDs[static_cast<std::size_t>(row)][column]);
}

// The cell line attribute, the only attribute class the walk visits.
constexpr ClassID kCellLineColorAttribute{0xB6DA};
constexpr PMReal kTolerance = 1e-8;
constexpr char16_t kObjectReplacementCharacter = 0xFFFC;

// A character that shows: not one the composer ignores as a control character, and not the
// stand-in for an anchored object.
bool IsVisible(char16_t character) {
    return !UnicodeClass::IsIgnoredCharacter(character, UnicodeClass::kControlCharacters) &&
           character != kObjectReplacementCharacter;
}

bool IsZero(PMReal value) {
    return std::abs(value) <= kTolerance;
}

} // namespace

bool ScanVisibleRuns(ITextModel* textModel, std::int32_t start, std::int32_t length,
                     const std::function<bool(ITextAttributes*)>& onVisible) {
    WideString text;
    textModel->CopyRange(start, length, text);
    InterfacePtr<IComposeScanner> scanner(textModel, UseDefaultIID{});
    if (!scanner)
        return false;
    const std::int64_t end = std::int64_t{start} + length;
    for (std::int64_t position = start; position < end;) {
        std::int32_t runLength = 0;
        InterfacePtr<ITextAttributes> run(
            scanner->QueryAttributesAt(static_cast<std::int32_t>(position), &runLength));
        if (!run)
            return true;
        const std::int64_t clipped = std::min<std::int64_t>(runLength, end - position);
        if (clipped < 1)
            return true;
        // The run's characters among those copied (fewer when the story ends before the range).
        const std::int64_t first = position - start;
        const std::int64_t last =
            std::min<std::int64_t>(first + clipped, static_cast<std::int64_t>(text.size()));
        for (std::int64_t i = first; i < last; ++i)
            if (IsVisible(text[static_cast<std::size_t>(i)])) {
                if (!onVisible(run.get()))
                    return true;
                break;
            }
        position += clipped;
    }
    return true;
}

namespace TableColorAttributeIDs {

std::int32_t GetRowCount() {
    return static_cast<std::int32_t>(std::size(kAttributeIDs));
}
ClassID GetColorAttribute(std::int32_t row) {
    return AttributeID(row, 0);
}
ClassID GetTintAttribute(std::int32_t row) {
    return AttributeID(row, 1);
}
ClassID GetTypeAttribute(std::int32_t row) {
    return AttributeID(row, 3);
}
ClassID GetWeightAttribute(std::int32_t row) {
    return AttributeID(row, 4);
}

} // namespace TableColorAttributeIDs

UZEPTableAnalyzer::UZEPTableAnalyzer(ITableModel* tableModel, const GridArea& area)
    : m_database(GetUIDRef(tableModel).GetDataBase()), m_tableModel(tableModel),
      m_tableAccess(tableModel, UseDefaultIID{}), m_area(area) {}

void UZEPTableAnalyzer::Run() {
    m_stop = false;
    AnalyseTable();
    AnalyseText();
}

bool UZEPTableAnalyzer::Stop() {
    m_stop = true;
    return true;
}

bool UZEPTableAnalyzer::AnalyseTable() {
    BeginTable();
    if (m_stop)
        return m_stop;
    VisitRows(m_area.Rows());
    if (m_stop)
        return m_stop;
    VisitColumns(m_area.Columns());
    if (m_stop)
        return m_stop;
    VisitCells();
    return m_stop;
}

void UZEPTableAnalyzer::BeginTable() {}
void UZEPTableAnalyzer::VisitColumns(const GridSpan&) {}
void UZEPTableAnalyzer::VisitRows(const GridSpan&) {}

void UZEPTableAnalyzer::VisitCells() {
    if (!m_tableAccess)
        return;
    for (std::int32_t row = m_area.firstRow; row < m_area.endRow; ++row)
        for (std::int32_t column = m_area.firstColumn; column < m_area.endColumn; ++column) {
            VisitCell({row, column});
            if (m_stop)
                return;
        }
}

void UZEPTableAnalyzer::VisitCell(const GridAddress& at) {
    VisitCellContent(at);
    if (m_stop)
        return;
    for (std::int32_t side = 0; side < 4; ++side) {
        VisitCellEdge(at, side);
        if (m_stop)
            return;
    }
    const std::unique_ptr<AttributeBossList> attributes = m_tableAccess->QueryCellAttributes(at);
    if (!attributes)
        return;
    for (std::int32_t i = 0; i < attributes->CountBosses(); ++i)
        if (attributes->GetClassN(i) == kCellLineColorAttribute) {
            VisitCellAttribute(at, kCellLineColorAttribute);
            if (m_stop)
                return;
        }
}

void UZEPTableAnalyzer::VisitCellContent(const GridAddress& at) {
    InterfacePtr<IColorObject> color(UIDRef(m_database, m_tableAccess->GetFillColor(at)),
                                     UseDefaultIID{});
    if (color)
        OnColorObject(color.get(), m_tableAccess->GetFillTint(at), false);
}

void UZEPTableAnalyzer::VisitCellEdge(const GridAddress& at, std::int32_t side) {
    if (m_tableAccess->GetStrokeType(at, side) == kNoStrokeBoss ||
        IsZero(m_tableAccess->GetStrokeWeight(at, side)))
        return;
    InterfacePtr<IColorObject> color(UIDRef(m_database, m_tableAccess->GetStrokeColor(at, side)),
                                     UseDefaultIID{});
    if (color)
        OnColorObject(color.get(), m_tableAccess->GetStrokeTint(at, side), true);
}

void UZEPTableAnalyzer::VisitCellAttribute(const GridAddress& at, ClassID attribute) {
    namespace ids = TableColorAttributeIDs;
    std::int32_t row = 0;
    while (row < ids::GetRowCount() && ids::GetColorAttribute(row) != attribute)
        ++row;
    if (row == ids::GetRowCount())
        return;
    const auto query = [&](ClassID cls, PMIID iid) {
        return InterfacePtr<IPMUnknown>(m_tableAccess->QueryCellAttribute(at, cls, iid, 0, 1));
    };
    InterfacePtr<IAttrClassValue> type(
        query(ids::GetTypeAttribute(row), IAttrClassValue::kDefaultIID), UseDefaultIID{});
    if (!type || type->GetValue() == kNoStrokeBoss)
        return;
    InterfacePtr<IAttrRealValue> weight(
        query(ids::GetWeightAttribute(row), IAttrRealValue::kDefaultIID), UseDefaultIID{});
    if (!weight || IsZero(weight->GetValue()))
        return;
    InterfacePtr<IAttrUIDValue> colorUID(
        query(ids::GetColorAttribute(row), IAttrUIDValue::kDefaultIID), UseDefaultIID{});
    if (!colorUID)
        return;
    InterfacePtr<IColorObject> color(UIDRef(m_database, colorUID->GetValue()), UseDefaultIID{});
    if (!color)
        return;
    InterfacePtr<IAttrRealValue> tint(
        query(ids::GetTintAttribute(row), IAttrRealValue::kDefaultIID), UseDefaultIID{});
    OnColorObject(color.get(), tint ? tint->GetValue() : GetColorTint(color.get()), true);
}

void UZEPTableAnalyzer::AnalyseText() {
    InterfacePtr<ITableText> tableText(m_tableModel, UseDefaultIID{});
    if (!tableText)
        return;
    InterfacePtr<IPMUnknown> story(tableText->QueryStory());
    InterfacePtr<ITextModel> txModel(story, UseDefaultIID{});
    ThrowIfNull(txModel, "txModel");
    InterfacePtr<IComposeScanner> iComposeScanner(txModel, UseDefaultIID{});
    ThrowIfNull(iComposeScanner, "iComposeScanner");
    std::int32_t position = 0;
    for (;;) {
        const std::int32_t length = tableText->GetNextTextRange(m_area, position);
        if (length <= 0)
            return;
        OnTextRange(txModel.get(), position, length);
        if (m_stop)
            return;
        position += length;
    }
}

void UZEPTableAnalyzer::OnTextRange(ITextModel*, std::int32_t, std::int32_t) {}

void UZEPTableAnalyzer::ScanTextRange(ITextModel* textModel, std::int32_t start,
                                      std::int32_t length) {
    static_cast<void>(ScanVisibleRuns(textModel, start, length, [this](ITextAttributes* run) {
        OnCellObject(run);
        return !m_stop;
    }));
}

void UZEPTableAnalyzer::OnCellObject(ITextAttributes* run) {
    for (const bool stroke : {true, false}) {
        PMReal tint = 0;
        const UID uid = run->GetColor(stroke, tint);
        InterfacePtr<IColorObject> color(UIDRef(m_database, uid), UseDefaultIID{});
        if (!color)
            continue;
        OnColorObject(color.get(), tint, stroke);
        if (m_stop)
            return;
    }
}

UZEPPageItemTableAnalyzer::UZEPPageItemTableAnalyzer(ITableModel* tableModel, const GridArea& area,
                                                     ZEPPageItemInfo& info)
    : UZEPTableAnalyzer(tableModel, area), m_info(info) {}

void UZEPPageItemTableAnalyzer::OnTextRange(ITextModel* textModel, std::int32_t start,
                                            std::int32_t length) {
    m_info.CollectTextRuns(textModel, start, length);
}

void UZEPPageItemTableAnalyzer::OnCellObject(ITextAttributes* run) {
    m_info.OnVisibleText(run);
}

void UZEPPageItemTableAnalyzer::OnColorObject(IColorObject* color, PMReal tint, bool stroke) {
    m_info.CollectInks(color, tint, stroke);
}

void UZEPTableColorChecker::OnColorObject(IColorObject* color, PMReal, bool) {
    if (IsColorOfClass(color))
        return;
    m_found = true;
    Stop();
}

void RunTableAnalysis(ITableModel* tableModel, const GridArea& area, ZEPPageItemInfo& info) {
    try {
        UZEPPageItemTableAnalyzer analyzer(tableModel, area, info);
        analyzer.Run();
    } catch (...) {
        // A table that cannot be analysed leaves the rest of the item's analysis untouched.
    }
}
