// Exported destinations and their sorted list, record 'EL'.
#include "model/BExportedDestination.h"

#include "utils/UKeyStream.h"

#include <algorithm>
#include <vector>

namespace {

constexpr std::uint16_t kKeyExportedList = 'EL';
constexpr std::uint16_t kKeyIdentifier = 'ID';

} // namespace

void BExportedDestination::Read(UKeyInStream& in) {
    in.select_key(kKeyIdentifier).read_int(identifier);
    pages.Read(in);
}

void BExportedDestination::Write(UKeyOutStream& out) const {
    out.select_key(kKeyIdentifier).write_int(identifier);
    pages.Write(out);
}

void BExportedDestinationList::Insert(std::unique_ptr<BExportedDestination> item) {
    const auto position = std::upper_bound(
        m_items.begin(), m_items.end(), item->identifier,
        [](std::int32_t identifier, const auto& other) { return identifier < other.identifier; });
    m_items.InsertAt(static_cast<std::size_t>(position - m_items.begin()), std::move(item));
}

// The items are read aside and then sorted in with the list's own: inserting each in its place
// moved the items after it every time, which took time in the square of the items (a stored list
// in descending order held the reader for minutes). A stable sort puts each after every item
// with a lower or equal identifier, as Insert does, and a read that fails leaves the list alone.
void BExportedDestinationList::Read(UKeyInStream& in) {
    std::vector<std::unique_ptr<BExportedDestination>> read;
    in.enter_record(kKeyExportedList);
    while (in.next_item()) {
        auto item = std::make_unique<BExportedDestination>();
        item->Read(in);
        read.push_back(std::move(item));
    }
    in.leave();
    if (read.empty())
        return;
    for (auto& item : read)
        m_items.Append(std::move(item));
    m_items.StableSort([](const BExportedDestination& a, const BExportedDestination& b) {
        return a.identifier < b.identifier;
    });
}

void BExportedDestinationList::Write(UKeyOutStream& out) const {
    out.begin_record(kKeyExportedList);
    for (const BExportedDestination& item : m_items)
        item.Write(out);
    out.end();
}
