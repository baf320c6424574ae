// Page-item records: the copy rules, the matrix list, the file-type table and the records of the
// page-item file.
#include "model/BPageItem.h"

#include "model/KeyStrings.h"
#include "model/PageItemFileKeys.h"
#include "utils/UKeyStream.h"

#include <algorithm>
#include <iterator>
#include <new>

namespace {

constexpr std::uint16_t kKeyScale1 = 1112;
constexpr std::uint16_t kKeyScale2 = 1113;
constexpr std::uint16_t kKeyFlag1562 = 1562;
constexpr std::uint16_t kKeyFlags = 1564;

// Indexed by BPlacedFileType.
constexpr const char* kFileTypeNames[] = {"",     "EPS", "PDF", "TIFF", "PICT",
                                          "JPEG", "BMP", "PSD", "SCT"};
constexpr std::int32_t kFileTypeCount = std::size(kFileTypeNames);

} // namespace

BPageItem::BPageItem(const BPageItem& other) : BPageItemValues(other) {
    SetMatrix(other.GetMatrix(0));
}

BPageItem& BPageItem::operator=(const BPageItem& other) {
    if (this == &other)
        return *this;
    BPageItemValues::operator=(other);
    SetMatrix(other.GetMatrix(0));
    return *this;
}

void BPageItem::AppendMatrix(const double* matrix) {
    if (matrix == nullptr)
        return;
    Matrix appended;
    std::copy_n(matrix, appended.size(), appended.begin());
    try {
        m_matrices.push_back(appended);
    } catch (const std::bad_alloc&) {
        m_matrices = {};
    }
}

void BPageItem::SetMatrix(const double* matrix) {
    // Kept until the end: `matrix` may point into it.
    const std::vector<Matrix> previous = std::move(m_matrices);
    m_matrices.clear();
    AppendMatrix(matrix);
}

const double* BPageItem::GetMatrix(std::int32_t index) const {
    if (index < 0 || index >= GetMatrixCount())
        return nullptr;
    return m_matrices[static_cast<std::size_t>(index)].data();
}

void BPageItem::Write(UKeyOutStream& out) const {
    out.select_key(kPageItemKindKey).write_int(kind);
    if (!m_matrices.empty()) {
        out.begin_array(kPageItemMatrixKey);
        for (double value : m_matrices.front())
            out.write_double(value);
        out.end();
    }
    out.select_key(kKeyScale1).write_double(scale1);
    out.select_key(kKeyScale2).write_double(scale2);
    if (!problems.empty()) {
        out.begin_record(kProblemsKey);
        for (const ustring& problem : problems)
            out.select_key(kProblemKey).write_string(problem);
        out.end();
    }
}

BTextRunItem& BTextRunItem::operator=(const BTextRunItem& other) {
    BPageItem::operator=(other);
    runValue = other.runValue;
    return *this;
}

BPlacedGraphic::BPlacedGraphic() {
    kind = kPlacedGraphic;
    options[0] = false;
}

BPlacedGraphic& BPlacedGraphic::operator=(const BPlacedGraphic& other) {
    BPageItem::operator=(other);
    BPlacedGraphicValues::operator=(other);
    return *this;
}

std::span<const ustring* const> RecordedCheckIdentifiers() {
    static const ustring* const kRecorded[] = {
        // A text frame, and the composed runs of text frames and table cells.
        &keystr::TextBoxOverflowed,
        &keystr::FontStatusNotAvailable,
        &keystr::FontStatusFauxed,
        &keystr::FontStatusSubstituted,
        &keystr::Type1FontUsedInLayout,
        &keystr::TrueTypeFontUsedInLayout,
        &keystr::CIDFontUsedInLayout,
        &keystr::UnknownFontTypeUsedInLayout,
        &keystr::BitmapFontUsedInLayout,
        &keystr::OpenTypeCFFFontUsedInLayout,
        &keystr::OpenTypeCIDFontUsedInLayout,
        &keystr::OpenTypeTrueTypeFontUsedInLayout,
        // The colours of an item with a record, and placed content.
        &keystr::PlacedGraphicIsRGB,
        &keystr::PlacedGraphicIsGrayscale,
        &keystr::PlacedGraphicIsCMYK,
        &keystr::PlacedGraphicIsLab,
        &keystr::PlacedGraphicContainsSpots,
        &keystr::SoftMaskUsedOnImage,
        &keystr::PlacedPDFHasTransparentElements,
        &keystr::PlacedGraphicHasOveriddenProfile,
        // Transparency on an item, on a text frame, on a page.
        &keystr::OpacityTransparencyAppliedToObject,
        &keystr::BlendModeTransparencyAppliedToObject,
        &keystr::FeatherTransparencyAppliedToObject,
        &keystr::DropShadowTransparencyAppliedToObject,
        &keystr::TransparencyAppliedToObject,
        &keystr::TransparencyAppliedToTextFrame,
        &keystr::TransparencyFlattenerWillCauseTextToBeConvertedToOutlines,
        &keystr::TransparentObjectsOverlapTextFrame,
        &keystr::TransparencyOnPageFlattenedUsingGlobalFlattener,
        &keystr::TransparencyOnPageFlattenedUsingSpreadFlattener,
        &keystr::TransparencyOnPageButIsDisabledOnPage,
        &keystr::TransparencyBlendSpaceSetToRGB,
        &keystr::TransparencyBlendSpaceSetToCMYK,
        // Items kept out of print.
        &keystr::PrintoutSuppressed,
    };
    return kRecorded;
}

bool IsRecordedCheckIdentifier(const ustring& checkIdentifier) {
    const std::span<const ustring* const> recorded = RecordedCheckIdentifiers();
    return std::any_of(recorded.begin(), recorded.end(),
                       [&](const ustring* tag) { return *tag == checkIdentifier; });
}

ustring BPlacedGraphic::GetFileTypeName() const {
    if (fileType < 0 || fileType >= kFileTypeCount)
        return ustring();
    return ustring(kFileTypeNames[fileType]);
}

void BPlacedGraphic::SetFileTypeByName(const ustring& name) {
    fileType = kPlacedFileUnknown;
    for (std::int32_t i = 0; i < kFileTypeCount; ++i) {
        if (name == kFileTypeNames[i]) {
            fileType = i;
            return;
        }
    }
}

void BPlacedGraphic::Write(UKeyOutStream& out) const {
    BPageItem::Write(out);
    out.select_key(kIsBitmapKey).write_bool(isBitmap);
    out.select_key(kKeyFlag1562).write_bool(flag1562);
    out.select_key(kKeyFlags).write_int(static_cast<std::int32_t>(flags));
    if (!linkPath.empty())
        out.select_key(kLinkPathKey).write_string(linkPath);
    const ustring typeName = GetFileTypeName();
    if (!typeName.empty())
        out.select_key(kFileTypeKey).write_string(typeName);
    if (hasProfileFile && profileFile.is_file())
        out.select_key(kProfileFileKey).write_string(profileFile.path());
}

void BPageItemList::Write(UKeyOutStream& out, std::int32_t page) const {
    out.begin_record(kPageItemsKey);
    for (const auto& item : m_items) {
        if (item != nullptr && item->page == page)
            item->Write(out);
    }
    out.end();
}

std::vector<const BPageItem*> BPageItemList::SortedByPage() const {
    std::vector<const BPageItem*> sorted;
    sorted.reserve(m_items.size());
    bool inOrder = true;
    for (const auto& item : m_items) {
        if (item == nullptr)
            continue;
        inOrder = inOrder && (sorted.empty() || sorted.back()->page <= item->page);
        sorted.push_back(item.get());
    }
    // Items mostly come in page order already. Otherwise each item's page is taken once, beside
    // its pointer: a sort that looked it up through the pointer went to every item's memory at
    // every comparison.
    if (inOrder)
        return sorted;
    struct PageOf {
        std::int32_t page;
        const BPageItem* item;
    };
    std::vector<PageOf> pages;
    pages.reserve(sorted.size());
    for (const BPageItem* item : sorted)
        pages.push_back({item->page, item});
    std::stable_sort(pages.begin(), pages.end(),
                     [](const PageOf& a, const PageOf& b) { return a.page < b.page; });
    for (std::size_t i = 0; i < pages.size(); ++i)
        sorted[i] = pages[i].item;
    return sorted;
}
