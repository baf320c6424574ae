// Page-item records: the copy rules, the matrix list with its growth, the file-type table and the
// records of the page-item file.
#include "model/BPageItem.h"

#include "utils/UKeyStream.h"

#include <algorithm>
#include <iterator>
#include <limits>
#include <new>

namespace {

constexpr std::uint16_t kKeyProblem = 10;
constexpr std::uint16_t kKeyPageItems = 140;
constexpr std::uint16_t kKeyProfileFile = 570;
constexpr std::uint16_t kKeyKind = 1110;
constexpr std::uint16_t kKeyMatrix = 1111;
constexpr std::uint16_t kKeyScale1 = 1112;
constexpr std::uint16_t kKeyScale2 = 1113;
constexpr std::uint16_t kKeyProblems = 1114;
constexpr std::uint16_t kKeyIsBitmap = 1560;
constexpr std::uint16_t kKeyFileType = 1561;
constexpr std::uint16_t kKeyFlag1562 = 1562;
constexpr std::uint16_t kKeyFlags = 1564;
constexpr std::uint16_t kKeyLinkPath = 1570;

// Indexed by BPlacedFileType.
constexpr const char* kFileTypeNames[] = {"",     "EPS", "PDF", "TIFF", "PICT",
                                          "JPEG", "BMP", "PSD", "SCT"};
constexpr std::int32_t kFileTypeCount = std::size(kFileTypeNames);

} // namespace

BPageItem::BPageItem(const BPageItem& other) {
    *this = other;
}

BPageItem& BPageItem::operator=(const BPageItem& other) {
    if (this == &other)
        return *this;
    kind = other.kind;
    page = other.page;
    analysisFlags = other.analysisFlags;
    analysisValues = other.analysisValues;
    options = other.options;
    SetMatrix(other.GetMatrix(0));
    scale1 = other.scale1;
    scale2 = other.scale2;
    measures = other.measures;
    problems = other.problems;
    moreFlags = other.moreFlags;
    analysisWord = other.analysisWord;
    return *this;
}

void BPageItem::AppendMatrix(const double* matrix) {
    if (matrix == nullptr)
        return;
    if (matrixCount_ == matrixCapacity_) {
        const std::int64_t capacity = matrixCapacity_ == 0 ? 1
                                      : matrixCapacity_ >= 1024
                                          ? std::int64_t{matrixCapacity_} + 1024
                                          : std::int64_t{matrixCapacity_} * 2;
        Matrix* grown = capacity <= std::numeric_limits<std::int32_t>::max()
                            ? new (std::nothrow) Matrix[static_cast<std::size_t>(capacity)]
                            : nullptr;
        if (grown == nullptr) {
            matrices_.reset();
            matrixCount_ = matrixCapacity_ = 0;
            return;
        }
        std::copy_n(matrices_.get(), matrixCount_, grown);
        matrices_.reset(grown);
        matrixCapacity_ = static_cast<std::int32_t>(capacity);
    }
    std::copy_n(matrix, 6, matrices_[matrixCount_].begin());
    ++matrixCount_;
}

void BPageItem::SetMatrix(const double* matrix) {
    // The argument may lie in the storage about to be freed.
    Matrix kept{};
    if (matrix != nullptr)
        std::copy_n(matrix, 6, kept.begin());
    matrices_.reset();
    matrixCount_ = matrixCapacity_ = 0;
    AppendMatrix(matrix != nullptr ? kept.data() : nullptr);
}

const double* BPageItem::GetMatrix(std::int32_t index) const {
    if (index < 0 || index >= matrixCount_)
        return nullptr;
    return matrices_[index].data();
}

void BPageItem::Write(UKeyOutStream& out) const {
    out.select_key(kKeyKind).write_int(kind);
    if (matrixCount_ > 0) {
        out.begin_array(kKeyMatrix);
        for (double value : matrices_[0])
            out.write_double(value);
        out.end();
    }
    out.select_key(kKeyScale1).write_double(scale1);
    out.select_key(kKeyScale2).write_double(scale2);
    if (!problems.empty()) {
        out.begin_record(kKeyProblems);
        for (const ustring& problem : problems)
            out.select_key(kKeyProblem).write_string(problem);
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

BPlacedGraphic::BPlacedGraphic(const BPlacedGraphic& other) : BPageItem(other) {
    copyGraphicFields(other);
}

BPlacedGraphic& BPlacedGraphic::operator=(const BPlacedGraphic& other) {
    BPageItem::operator=(other);
    copyGraphicFields(other);
    return *this;
}

void BPlacedGraphic::copyGraphicFields(const BPlacedGraphic& other) {
    flags = other.flags;
    isBitmap = other.isBitmap;
    fileType = other.fileType;
    flag1562 = other.flag1562;
    linkPath = other.linkPath;
    graphicMeasures = other.graphicMeasures;
    graphicFlag = other.graphicFlag;
    graphicValues = other.graphicValues;
    colorSpaceCode = other.colorSpaceCode;
    moreGraphicValues = other.moreGraphicValues;
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
    out.select_key(kKeyIsBitmap).write_bool(isBitmap);
    out.select_key(kKeyFlag1562).write_bool(flag1562);
    out.select_key(kKeyFlags).write_int(static_cast<std::int32_t>(flags));
    if (!linkPath.empty())
        out.select_key(kKeyLinkPath).write_string(linkPath);
    const ustring typeName = GetFileTypeName();
    if (!typeName.empty())
        out.select_key(kKeyFileType).write_string(typeName);
    if (hasProfileFile && profileFile.is_file())
        out.select_key(kKeyProfileFile).write_string(profileFile.path());
}

void BPageItemList::Write(UKeyOutStream& out, std::int32_t page) const {
    out.begin_record(kKeyPageItems);
    for (const auto& item : items_) {
        if (item != nullptr && item->page == page)
            item->Write(out);
    }
    out.end();
}

std::vector<const BPageItem*> BPageItemList::SortedByPage() const {
    std::vector<const BPageItem*> sorted;
    sorted.reserve(items_.size());
    for (const auto& item : items_) {
        if (item != nullptr)
            sorted.push_back(item.get());
    }
    std::stable_sort(sorted.begin(), sorted.end(),
                     [](const BPageItem* a, const BPageItem* b) { return a->page < b->page; });
    return sorted;
}

void BPageItemList::WriteRecord(UKeyOutStream& out, std::span<const BPageItem* const> items) {
    out.begin_record(kKeyPageItems);
    for (const BPageItem* item : items)
        item->Write(out);
    out.end();
}
