// Runs of consecutive pages that make up an advertisement: section-relative runs ('LX' in the job
// file) and absolute runs numbered 1, 2, 3, ... through the document ('PR'), with the merging of
// new pages into the last run and the conversions between page numbers and 1-based positions.
#pragma once

#include "model/OwningList.h"
#include "utils/ustring.h"

#include <cstdint>

class UKeyInStream;
class UKeyOutStream;

// Numbering style of a run as a character code. Producers of section runs may also set '1', '2',
// '3', 'A', 'R', 'a' and 'r'; every style is passed through unchanged.
enum BPageRangeStyle : std::int32_t {
    kPageRangeStyleDefault = 'N',
    kPageRangeStyleAbsolute = '+',
};

// One run: pages firstPage .. firstPage + pageCount - 1.
struct BPageRange {
    BPageRange() = default;
    BPageRange(const ustring& section, std::int32_t first, std::int32_t count, std::int32_t style)
        : sectionName(section), firstPage(first), pageCount(count), style(style) {}

    // Fields of the current item of the stream's current record: 'sS', 'sN' and, with
    // `withSection`, 'sP' and 'sF'. Absent numbers keep their value, an absent name becomes
    // empty; a negative page count is taken as 0.
    void Read(UKeyInStream& in, bool withSection);
    void Write(UKeyOutStream& out, bool withSection) const;

    // Whether the run holds `page` (computed without overflow).
    bool Holds(std::int32_t page) const;

    ustring sectionName; // empty for absolute runs
    std::int32_t firstPage = 0;
    std::int32_t pageCount = 0;
    std::int32_t style = kPageRangeStyleDefault;
    std::int32_t absoluteStart = 0; // 1-based position of firstPage in its list; set by Read
};

// Absolute runs (style '+'), in the order they were added.
class BPageRangeAbsoluteList : public OwningList<BPageRange> {
public:
    // Extends the last run when `first` continues it, else appends a run of style '+'.
    void AddRun(std::int32_t first, std::int32_t count);
    // 1-based position of an absolute page among the list's pages; 0 when no run holds it (or
    // when the position does not fit in 32 bits).
    std::uint32_t GetPosition(std::int32_t page) const;
    // Sum of the page counts, taken in 64 bits.
    std::int64_t GetPageCount() const;

    // The record 'PR': one item of 'sS' and 'sN' per run. Reading appends without clearing.
    void Read(UKeyInStream& in);
    void Write(UKeyOutStream& out) const;
};

// Section-relative runs, in document order.
class BPageRangeList : public OwningList<BPageRange> {
public:
    // Extends the last run by one page when it has the same section name and style and `page`
    // continues it; else appends a run of one page.
    void AddPage(const ustring& sectionName, std::int32_t style, std::int32_t page);
    // Replaces `out` with one absolute run per section run, numbered on from 1 in list order.
    void ToAbsolute(BPageRangeAbsoluteList& out) const;
    // Position of `page` counted as part of `run` (the same object), whether or not the run holds
    // it; `inside` tells whether it does. 0, `inside` untouched, when the run is not in the list;
    // 0 also when the position is not a 32-bit unsigned number.
    std::uint32_t GetPosition(const BPageRange* run, std::int32_t page, bool& inside) const;
    // The run holding the 1-based `position` and, in `page`, its page number there; null and
    // `page` untouched for position 0 or past the last page.
    const BPageRange* GetRunAt(std::uint32_t position, std::int32_t& page) const;
    // Sum of the page counts, taken in 64 bits.
    std::int64_t GetPageCount() const;
    // First page of the first run; 1 for an empty list.
    std::int32_t GetFirstPage() const;
    // Empty, or one run with an empty section name, first page 1 and style 'N'.
    bool IsDefault() const;

    // The record 'LX': one item of 'sS', 'sN', 'sP' and 'sF' per run. Reading appends without
    // clearing; a run read without 'sF' has style 0.
    void Read(UKeyInStream& in);
    void Write(UKeyOutStream& out) const;
};
