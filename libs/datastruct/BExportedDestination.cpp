// Exported destinations and their sorted list, record 'EL'.
#include "model/BExportedDestination.h"

#include "utils/UKeyStream.h"

#include <algorithm>

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

void BExportedDestinationList::Read(UKeyInStream& in) {
    in.enter_record(kKeyExportedList);
    while (in.next_item()) {
        auto item = std::make_unique<BExportedDestination>();
        item->Read(in);
        Insert(std::move(item));
    }
    in.leave();
}

void BExportedDestinationList::Write(UKeyOutStream& out) const {
    out.begin_record(kKeyExportedList);
    for (const BExportedDestination& item : m_items)
        item.Write(out);
    out.end();
}
