// Page runs: merging, position arithmetic (in 64 bits, so that no sum of 32-bit counts can
// overflow) and the 'LX' and 'PR' records.
#include "model/BPageRange.h"

#include "utils/UKeyStream.h"

#include <algorithm>
#include <limits>

namespace {

constexpr std::uint16_t kKeyFirstPage = 'sS';
constexpr std::uint16_t kKeyPageCount = 'sN';
constexpr std::uint16_t kKeySectionName = 'sP';
constexpr std::uint16_t kKeyStyle = 'sF';
constexpr std::uint16_t kKeySectionRuns = 'LX';
constexpr std::uint16_t kKeyAbsoluteRuns = 'PR';

constexpr std::int64_t kMaxInt32 = std::numeric_limits<std::int32_t>::max();

std::int32_t saturateToInt32(std::int64_t value) {
    return static_cast<std::int32_t>(
        std::clamp<std::int64_t>(value, std::numeric_limits<std::int32_t>::min(), kMaxInt32));
}

// A position as the 32-bit unsigned number callers get; 0 when it is not one.
std::uint32_t toPosition(std::int64_t position) {
    if (position < 0 || position > std::numeric_limits<std::uint32_t>::max())
        return 0;
    return static_cast<std::uint32_t>(position);
}

// Whether `first` continues `run` and the run can take `count` more pages.
bool continues(const BPageRange& run, std::int64_t first, std::int64_t count) {
    return std::int64_t{run.firstPage} + run.pageCount == first &&
           std::int64_t{run.pageCount} + count <= kMaxInt32;
}

std::int64_t sumOfCounts(const OwningList<BPageRange>& runs) {
    std::int64_t sum = 0;
    for (const BPageRange& run : runs)
        sum += run.pageCount;
    return sum;
}

} // namespace

void BPageRange::Read(UKeyInStream& in, bool withSection) {
    in.select_key(kKeyFirstPage).read_int(firstPage);
    in.select_key(kKeyPageCount).read_int(pageCount);
    pageCount = std::max(pageCount, 0);
    if (withSection) {
        in.select_key(kKeySectionName).read_string(sectionName);
        in.select_key(kKeyStyle).read_int(style);
    }
}

void BPageRange::Write(UKeyOutStream& out, bool withSection) const {
    out.select_key(kKeyFirstPage).write_int(firstPage);
    out.select_key(kKeyPageCount).write_int(pageCount);
    if (withSection) {
        out.select_key(kKeySectionName).write_string(sectionName);
        out.select_key(kKeyStyle).write_int(style);
    }
}

bool BPageRange::Holds(std::int32_t page) const {
    return firstPage <= page && std::int64_t{page} <= std::int64_t{firstPage} + pageCount - 1;
}

void BPageRangeAbsoluteList::AddRun(std::int32_t first, std::int32_t count) {
    if (!empty() && continues(back(), first, count)) {
        back().pageCount += count;
        return;
    }
    Append(std::make_unique<BPageRange>(ustring(), first, count, kPageRangeStyleAbsolute));
}

std::uint32_t BPageRangeAbsoluteList::GetPosition(std::int32_t page) const {
    std::int64_t earlier = 0;
    for (const BPageRange& run : *this) {
        if (run.Holds(page))
            return toPosition(std::int64_t{page} - run.firstPage + earlier + 1);
        earlier += run.pageCount;
    }
    return 0;
}

std::int64_t BPageRangeAbsoluteList::GetPageCount() const {
    return sumOfCounts(*this);
}

void BPageRangeAbsoluteList::Read(UKeyInStream& in) {
    in.enter_record(kKeyAbsoluteRuns);
    while (in.next_item()) {
        auto run = std::make_unique<BPageRange>();
        run->style = kPageRangeStyleAbsolute;
        run->Read(in, false);
        run->absoluteStart = run->firstPage;
        Append(std::move(run));
    }
    in.leave();
}

void BPageRangeAbsoluteList::Write(UKeyOutStream& out) const {
    out.begin_record(kKeyAbsoluteRuns);
    for (const BPageRange& run : *this)
        run.Write(out, false);
    out.end();
}

void BPageRangeList::AddPage(const ustring& sectionName, std::int32_t style, std::int32_t page) {
    if (!empty()) {
        BPageRange& last = back();
        if (last.sectionName == sectionName && last.style == style && continues(last, page, 1)) {
            ++last.pageCount;
            return;
        }
    }
    Append(std::make_unique<BPageRange>(sectionName, page, 1, style));
}

void BPageRangeList::ToAbsolute(BPageRangeAbsoluteList& out) const {
    out.Clear();
    std::int64_t earlier = 0;
    for (const BPageRange& run : *this) {
        out.Append(std::make_unique<BPageRange>(ustring(), saturateToInt32(earlier + 1),
                                                run.pageCount, kPageRangeStyleAbsolute));
        earlier += run.pageCount;
    }
}

std::uint32_t BPageRangeList::GetPosition(const BPageRange* run, std::int32_t page,
                                          bool& inside) const {
    std::int64_t earlier = 0;
    for (const BPageRange& candidate : *this) {
        if (&candidate == run) {
            inside = run->Holds(page);
            return toPosition(earlier + 1 + (std::int64_t{page} - run->firstPage));
        }
        earlier += candidate.pageCount;
    }
    return 0;
}

const BPageRange* BPageRangeList::GetRunAt(std::uint32_t position, std::int32_t& page) const {
    if (position == 0)
        return nullptr;
    std::int64_t earlier = 0;
    for (const BPageRange& run : *this) {
        if (position <= earlier + run.pageCount) {
            const std::int64_t found = std::int64_t{run.firstPage} + position - earlier - 1;
            if (found > kMaxInt32)
                return nullptr;
            page = static_cast<std::int32_t>(found);
            return &run;
        }
        earlier += run.pageCount;
    }
    return nullptr;
}

std::int64_t BPageRangeList::GetPageCount() const {
    return sumOfCounts(*this);
}

std::int32_t BPageRangeList::GetFirstPage() const {
    return empty() ? 1 : front().firstPage;
}

bool BPageRangeList::IsDefault() const {
    if (empty())
        return true;
    if (size() != 1)
        return false;
    const BPageRange& run = front();
    return run.sectionName.empty() && run.firstPage == 1 && run.style == kPageRangeStyleDefault;
}

void BPageRangeList::Read(UKeyInStream& in) {
    std::int64_t earlier = sumOfCounts(*this);
    in.enter_record(kKeySectionRuns);
    while (in.next_item()) {
        auto run = std::make_unique<BPageRange>();
        run->style = 0;
        run->Read(in, true);
        run->absoluteStart = saturateToInt32(earlier + 1);
        earlier += run->pageCount;
        Append(std::move(run));
    }
    in.leave();
}

void BPageRangeList::Write(UKeyOutStream& out) const {
    out.begin_record(kKeySectionRuns);
    for (const BPageRange& run : *this)
        run.Write(out, true);
    out.end();
}
