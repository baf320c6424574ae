// Destination lists, groups and the group list with their records 'GG' and 'LL', and the reader
// of the destination-identifier set.
#include "model/BDestinationList.h"

#include "encoding/ByteOrder.h"
#include "model/JobFilePart.h"
#include "utils/UKeyStream.h"

#include <algorithm>
#include <cstdint>
#include <istream>
#include <string>

namespace {

constexpr std::uint16_t kKeyGroups = 'GG';
constexpr std::uint16_t kKeySelected = 'GA';
constexpr std::uint16_t kKeyGd = 'Gd';
constexpr std::uint16_t kKeyDestinations = 'LL';

// A first code that names no publication and takes no part in the common code.
constexpr const char* kOtherCode = "Other";

// The first group of `groups` that `matches`, else null; const when the list is.
template <typename Groups, typename Predicate>
auto firstGroup(Groups& groups, Predicate matches) -> decltype(&groups.front()) {
    for (auto& group : groups) {
        if (matches(group))
            return &group;
    }
    return nullptr;
}

} // namespace

// --- BDestinationList -----------------------------------------------------------------------

bool BDestinationList::HasUnexported() const {
    return std::any_of(begin(), end(), [](const BDestination& d) { return !d.IsExported(); });
}

bool BDestinationList::AllExported() const {
    return !HasUnexported();
}

void BDestinationList::MarkAllExported() {
    for (BDestination& destination : *this)
        destination.SetExported(true);
    m_flags[0] = false;
    m_hasDestinations = false;
}

bool BDestinationList::ClearExportedByIdentifier(const DestinationIdentifierSet& identifiers) {
    bool matched = false;
    for (BDestination& destination : *this) {
        if (identifiers.count(destination.GetIdentifier()) != 0) {
            destination.SetExported(false);
            matched = true;
        }
    }
    return matched;
}

void BDestinationList::UpdateSummary() {
    m_hasDestinations = !empty();
    m_hasBleed = std::any_of(begin(), end(), [](const BDestination& d) { return d.HasBleed(); });
}

void BDestinationList::GetSummaryFlags(bool& hasDestinations, bool& hasBleed) const {
    hasDestinations = m_hasDestinations;
    hasBleed = m_hasBleed;
}

ustring BDestinationList::CommonFirstCode() const {
    ustring common;
    for (const BDestination& destination : *this) {
        const ustring& code = destination.GetFirstCode();
        if (code.empty() || code == kOtherCode)
            continue;
        if (common.empty())
            common = code;
        else if (code != common)
            return ustring();
    }
    return common;
}

// --- BGroup ---------------------------------------------------------------------------------

BDestination* BGroup::CreateDestination() {
    auto destination = std::make_unique<BDestination>(GetOwner());
    destination->SetGroup(this);
    return &Append(std::move(destination));
}

void BGroup::Read(UKeyInStream& in) {
    in.select_key(kKeySelected).read_bool(m_selected);
    in.select_key(kKeyGd).read_bool(m_gd);
    // The size summary takes each destination as it is read, while it is at hand: a pass over
    // the list afterwards reached into every destination's memory again, and a large job's
    // destinations outgrow the caches.
    bool summing = SummariseSizes();
    in.enter_record(kKeyDestinations);
    while (in.next_item()) {
        BDestination* destination = CreateDestination();
        destination->Read(in);
        m_hasBleed = destination->HasBleed();
        summing = summing && AddToSizeSummary(*destination);
    }
    in.leave();
}

void BGroup::Write(UKeyOutStream& out, std::int32_t mask) {
    const bool unexportedOnly = (mask & kJobFilePartUnexported) != 0;
    out.select_key(kKeySelected).write_bool(m_selected);
    out.select_key(kKeyGd).write_bool(m_gd);
    out.begin_record(kKeyDestinations);
    for (BDestination& destination : *this) {
        if (unexportedOnly && destination.IsExported())
            continue;
        destination.Write(out);
        if (unexportedOnly)
            destination.SetExported(true);
    }
    out.end();
}

void BGroup::UpdateSizeSummary() {
    SummariseSizes();
}

bool BGroup::SummariseSizes() {
    m_minWidth = 0.0;
    m_minHeight = 0.0;
    m_effectiveWidth = 0.0;
    m_effectiveHeight = 0.0;
    for (const BDestination& destination : *this) {
        if (!AddToSizeSummary(destination))
            return false;
    }
    return true;
}

bool BGroup::AddToSizeSummary(const BDestination& destination) {
    if (destination.HasBleed()) {
        m_minWidth = 0.0;
        m_minHeight = 0.0;
        m_effectiveWidth = destination.GetWidth();
        m_effectiveHeight = destination.GetHeight();
        return false;
    }
    if (destination.UpdatesGroupMinWidth(m_minWidth))
        m_minWidth = destination.GetWidth();
    if (destination.UpdatesGroupMinHeight(m_minHeight))
        m_minHeight = destination.GetHeight();
    m_effectiveWidth = m_minWidth;
    m_effectiveHeight = m_minHeight;
    return true;
}

double GetExcessWidth(const BDestination& destination) {
    return destination.GetExcessWidth();
}

double GetExcessHeight(const BDestination& destination) {
    return destination.GetExcessHeight();
}

// --- BGroupList -----------------------------------------------------------------------------

BGroup* BGroupList::AddGroup() {
    return &Append(std::make_unique<BGroup>(m_owner));
}

BDestination* BGroupList::AddDestination() {
    BGroup& group = empty() ? *AddGroup() : front();
    return group.CreateDestination();
}

BGroup* BGroupList::GetSelectedGroup() {
    return firstGroup(*this, [](const BGroup& group) { return group.IsSelected(); });
}

const BGroup* BGroupList::GetSelectedGroup() const {
    return firstGroup(*this, [](const BGroup& group) { return group.IsSelected(); });
}

void BGroupList::SelectGroup(const BGroup* selected) {
    for (BGroup& group : *this)
        group.SetSelected(&group == selected);
}

BGroup* BGroupList::FindFirstUnexportedGroup() {
    return firstGroup(*this, [](const BGroup& group) { return !group.AllExported(); });
}

const BGroup* BGroupList::FindGroupOf(const BDestination* destination) const {
    return firstGroup(*this,
                      [destination](const BGroup& group) { return group.Contains(destination); });
}

std::int32_t BGroupList::CountDestinations() const {
    std::size_t count = 0;
    for (const BGroup& group : *this)
        count += group.size();
    return static_cast<std::int32_t>(count);
}

void BGroupList::CollectDestinations(std::vector<BDestination*>& target) {
    target.clear();
    for (BGroup& group : *this) {
        for (BDestination& destination : group)
            target.push_back(&destination);
    }
}

std::int32_t BGroupList::CountStoredGroups(UKeyInStream& in) {
    std::int32_t count = 0;
    in.enter_record(kKeyGroups);
    while (in.next_item())
        ++count;
    in.leave();
    return count;
}

void BGroupList::Read(UKeyInStream& in) {
    Clear();
    in.enter_record(kKeyGroups);
    while (in.next_item())
        AddGroup()->Read(in);
    in.leave();
}

void BGroupList::Write(UKeyOutStream& out, std::int32_t mask) {
    const bool selectedOnly = (mask & kJobFilePartSelectedGroups) != 0;
    out.begin_record(kKeyGroups);
    for (BGroup& group : *this) {
        if (selectedOnly && !group.IsSelected())
            continue;
        group.Write(out, mask);
    }
    out.end();
}

// --- the destination-identifier set ---------------------------------------------------------

namespace {

// Bytes between the read position and the end of the stream; -1 when the stream cannot tell.
std::int64_t RemainingBytes(std::istream& in) {
    const std::istream::pos_type here = in.tellg();
    if (here == std::istream::pos_type(-1))
        return -1;
    in.seekg(0, std::ios::end);
    const std::istream::pos_type end = in.tellg();
    in.seekg(here);
    if (end == std::istream::pos_type(-1) || !in)
        return -1;
    return static_cast<std::int64_t>(end - here);
}

[[nodiscard]] bool ReadBigEndian32(std::istream& in, std::int32_t& value) {
    std::uint32_t raw = 0;
    if (!in.read(reinterpret_cast<char*>(&raw), sizeof raw))
        return false;
    value = static_cast<std::int32_t>(from_big_endian32(raw));
    return true;
}

// Reads `length` bytes in bounded steps, so that a stream whose size is unknown cannot make it
// allocate more than it delivers.
[[nodiscard]] bool ReadText(std::istream& in, std::int64_t length, ustring& text) {
    constexpr std::int64_t kStep = 4096;
    std::string bytes;
    while (static_cast<std::int64_t>(bytes.size()) < length) {
        const std::size_t have = bytes.size();
        const auto step = static_cast<std::size_t>(std::min(kStep, length - std::int64_t(have)));
        bytes.resize(have + step);
        if (!in.read(bytes.data() + have, static_cast<std::streamsize>(step)))
            return false;
    }
    // Made, not assigned: a stored text may be as long as a string can be made, one byte longer
    // than an assignment may lengthen one to.
    text = ustring(bytes.data(), bytes.size());
    return true;
}

[[nodiscard]] bool ReadIdentifiers(std::istream& in, DestinationIdentifierSet& identifiers) {
    std::int32_t count = 0;
    if (!ReadBigEndian32(in, count))
        return false;
    // Each entry takes at least its 4-byte number or length. The bytes left are measured once
    // and counted down as strings are read.
    const std::int64_t entries = count < 0 ? -std::int64_t{count} : std::int64_t{count};
    std::int64_t remaining = RemainingBytes(in);
    if (remaining >= 0 && entries > remaining / 4)
        return false;

    for (std::int64_t i = 0; i < entries; ++i) {
        std::int32_t number = 0;
        if (!ReadBigEndian32(in, number))
            return false;
        if (count >= 0) {
            identifiers.insert(ustring(std::to_string(number)));
            continue;
        }
        if (number < 0 || static_cast<std::uint64_t>(number) > ustring::kMaxLength)
            return false;
        if (remaining >= 0) {
            remaining -= 4 + std::int64_t{number};
            if (remaining < 0)
                return false;
        }
        ustring text;
        if (!ReadText(in, number, text))
            return false;
        identifiers.insert(std::move(text));
    }
    return true;
}

} // namespace

bool ReadDestinationIdentifierSet(std::istream& in, DestinationIdentifierSet& identifiers) {
    identifiers.clear();
    if (ReadIdentifiers(in, identifiers))
        return true;
    identifiers.clear();
    return false;
}
