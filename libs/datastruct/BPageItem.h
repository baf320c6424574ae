// The analysis records of the exported pages' items (page items, text runs, placed graphics):
// their kind, the check identifiers found on them, their transformations, and their form in the
// job's page-item file.
#pragma once

#include "utils/FilePath.h"
#include "utils/ustring.h"

#include <array>
#include <cstdint>
#include <memory>
#include <set>
#include <span>
#include <vector>

class UKeyOutStream;

// The file types of placed content; 0 is unknown.
enum BPlacedFileType : std::int32_t {
    kPlacedFileUnknown = 0,
    kPlacedFileEPS,
    kPlacedFilePDF,
    kPlacedFileTIFF,
    kPlacedFilePICT,
    kPlacedFileJPEG,
    kPlacedFileBMP,
    kPlacedFilePSD,
    kPlacedFileSCT,
};

// The check identifiers that the plug-in's page-item analysis records on these records, each
// once, in the order of the README's table of them ("What the plug-in examines"): the text
// frame's overflow, the fonts of text runs, the colours and kinds of placed content, transparency
// on items, on text frames and on pages, and items kept out of print. No other check identifier
// is ever recorded.
std::span<const ustring* const> RecordedCheckIdentifiers();
// Whether `checkIdentifier` is one of RecordedCheckIdentifiers (byte-exact).
bool IsRecordedCheckIdentifier(const ustring& checkIdentifier);

// The values of a page item that copies take. The analysis values (flags, integers and doubles
// without a key below) are filled by the document analysis and read by the export; they are kept
// and copied here but never stored.
struct BPageItemValues {
    enum Kind : std::int32_t { kTextRun = 10, kPageItem = 20, kPlacedGraphic = 210 };

    std::int32_t kind = kPageItem;
    std::int32_t page = 0; // -1 document level, 1 to n the exported pages
    std::array<bool, 2> analysisFlags{};
    std::array<std::int32_t, 2> analysisValues{};
    std::array<bool, 8> options{true, true};
    double scale1 = 1.0; // 1112
    double scale2 = 1.0; // 1113
    std::array<double, 2> measures{};
    std::set<ustring> problems; // ascending byte order
    std::array<bool, 3> moreFlags{};
    std::int64_t analysisWord = 0;
};

// One page item.
class BPageItem : public BPageItemValues {
public:
    // Six doubles: an affine transformation into page coordinates, in the host's element order.
    using Matrix = std::array<double, 6>;

    BPageItem() = default;
    // Copies take the values and the first matrix; `unsharedValues` stay as they are (-1, -1 in a
    // copy).
    BPageItem(const BPageItem& other);
    BPageItem& operator=(const BPageItem& other);
    // Records are deleted through a BPageItem pointer.
    virtual ~BPageItem() = default;

    // Inserts a check identifier; a duplicate changes nothing.
    void AddProblem(const ustring& checkIdentifier) { problems.insert(checkIdentifier); }
    bool HasProblem(const ustring& checkIdentifier) const {
        return problems.contains(checkIdentifier);
    }

    // Appends six doubles (null: nothing); when there is no memory for it the list is emptied.
    void AppendMatrix(const double* matrix);
    // Empties the list, then appends `matrix` (which may point into this list).
    void SetMatrix(const double* matrix);
    std::int32_t GetMatrixCount() const { return static_cast<std::int32_t>(m_matrices.size()); }
    // The index-th matrix's six values; null outside the list.
    const double* GetMatrix(std::int32_t index) const;

    // 1110 kind; 1111 the first matrix (an array of six doubles) when there is one; 1112 and
    // 1113 the scales; 1114 the problems (a record of strings under 10) when there are any.
    virtual void Write(UKeyOutStream& out) const;

    std::array<std::int32_t, 2> unsharedValues{-1, -1};

private:
    std::vector<Matrix> m_matrices;
};

// One run of text.
class BTextRunItem : public BPageItem {
public:
    BTextRunItem() { kind = kTextRun; }
    // The page-item copy plus `runValue` (not `runScale`).
    BTextRunItem(const BTextRunItem& other) : BPageItem(other), runValue(other.runValue) {}
    BTextRunItem& operator=(const BTextRunItem& other);

    std::int32_t runValue = 0;
    double runScale = 1.0;
};

// The values of placed content that copies take.
struct BPlacedGraphicValues {
    std::uint32_t flags = 0;                    // 1564
    bool isBitmap = false;                      // 1560
    std::int32_t fileType = kPlacedFileUnknown; // 1561, by name
    bool flag1562 = false;
    ustring linkPath; // 1570
    std::array<double, 2> graphicMeasures{};
    bool graphicFlag = false;
    std::array<std::int32_t, 2> graphicValues{0, 1};
    std::uint32_t colorSpaceCode = 0; // 0 none, 1 grey, 2 RGB, 3 CMYK, 6 Lab
    std::array<std::int32_t, 2> moreGraphicValues{};
};

// Placed content (an image or a placed file).
class BPlacedGraphic : public BPageItem, public BPlacedGraphicValues {
public:
    BPlacedGraphic();
    // The page-item copy plus the placed-content values; the profile file with its flag, the
    // second file and `lastFlag` stay as they are.
    BPlacedGraphic(const BPlacedGraphic& other) : BPageItem(other), BPlacedGraphicValues(other) {}
    BPlacedGraphic& operator=(const BPlacedGraphic& other);

    // The table's name of the file type ("" for unknown, and for an index outside the table).
    ustring GetFileTypeName() const;
    // The index of the table entry equal to `name` (byte-exact), 0 when none.
    void SetFileTypeByName(const ustring& name);
    void SetLinkPath(const ustring& text) { linkPath = text; }

    // The page-item fields, then 1560 isBitmap, 1562 flag1562, 1564 flags; 1570 the link path
    // when not empty; 1561 the file type's name when known; 570 the profile file's path when
    // `hasProfileFile` is set and it is an existing file.
    void Write(UKeyOutStream& out) const override;

    bool hasProfileFile = false;
    UFileSpecCore profileFile; // 570
    UFileSpecCore secondFile;
    bool lastFlag = false;
};

// The records of a page set, shared, in the order they were added.
class BPageItemList {
public:
    void Append(std::shared_ptr<BPageItem> item) { m_items.push_back(std::move(item)); }
    void Clear() { m_items.clear(); }
    std::size_t size() const { return m_items.size(); }
    bool empty() const { return m_items.empty(); }
    const std::shared_ptr<BPageItem>& operator[](std::size_t i) { return m_items[i]; }
    std::shared_ptr<const BPageItem> operator[](std::size_t i) const { return m_items[i]; }

    // A record 140 holding every item of `page`, in list order (empty when there is none).
    void Write(UKeyOutStream& out, std::int32_t page) const;
    // The items, null ones included, in list order.
    std::span<const std::shared_ptr<BPageItem>> Items() const { return m_items; }
    // The non-null items in ascending page order, list order kept within a page. A writer that
    // visits every page walks this once instead of scanning the whole list for each page.
    std::vector<const BPageItem*> SortedByPage() const;

private:
    std::vector<std::shared_ptr<BPageItem>> m_items;
};
