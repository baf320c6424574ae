#include "model/BExportedDestination.h"

#include "support/KeyStreamBytes.h"
#include "support/LinearTime.h"
#include "support/Test.h"

#include <algorithm>

namespace {

std::unique_ptr<BExportedDestination> Exported(std::int32_t identifier, std::int32_t firstPage) {
    auto item = std::make_unique<BExportedDestination>();
    item->identifier = identifier;
    item->pages.AddRun(firstPage, 1);
    return item;
}

// The identifier and first page of each item, in list order.
std::vector<std::pair<int, int>> Items(const BExportedDestinationList& list) {
    std::vector<std::pair<int, int>> items;
    for (const BExportedDestination& item : list.GetItems())
        items.emplace_back(item.identifier, item.pages[0].firstPage);
    return items;
}

} // namespace

TEST(BExportedDestinationList, KeepsAscendingIdentifiersInsertingAfterEqualOnes) {
    BExportedDestinationList list;
    for (const auto& [identifier, page] : {std::pair{5, 1}, {3, 2}, {5, 3}, {-1, 4}})
        list.Insert(Exported(identifier, page));
    EXPECT_EQ(Items(list), (std::vector<std::pair<int, int>>{{-1, 4}, {3, 2}, {5, 1}, {5, 3}}));
    // Read in the stored order 5, 3, 5, each inserted where it belongs.
    KeyStreamReader reader(writeKeyStream([](UKeyOutStream& out) {
        out.begin_record('EL');
        for (const auto& [identifier, page] : {std::pair{5, 10}, {3, 20}, {5, 30}}) {
            out.select_key('ID').write_int(identifier).begin_record('PR');
            out.select_key('sS').write_int(page).select_key('sN').write_int(2).end();
        }
        out.end();
    }));
    BExportedDestinationList read;
    read.Read(reader.in);
    EXPECT_EQ(Items(read), (std::vector<std::pair<int, int>>{{3, 20}, {5, 10}, {5, 30}}));
    EXPECT_EQ(read.GetItems()[2].pages[0].pageCount, 2);
}

// A long list stored in descending order, read into a list that holds an item already: sorted
// in after it, in about the time the same list stored in ascending order takes (inserting each
// in its place took minutes for the descending one).
TEST(BExportedDestinationList, ReadsALongListInAnyOrderInLinearTime) {
    constexpr int kCount = 150'000;
    const auto stored = [](bool ascending) {
        return writeKeyStream([ascending](UKeyOutStream& out) {
            out.begin_record('EL');
            for (int i = 0; i < kCount; ++i)
                out.select_key('ID').write_int(ascending ? i + 1 : kCount - i);
            out.end();
        });
    };
    KeyStreamReader ascending(stored(true));
    KeyStreamReader descending(stored(false));
    BExportedDestinationList reference;
    BExportedDestinationList list;
    list.Insert(Exported(kCount, 7));
    EXPECT_TRUE(TookLinearTime(SecondsOf([&] { reference.Read(ascending.in); }),
                               SecondsOf([&] { list.Read(descending.in); })));
    const auto& items = list.GetItems();
    ASSERT_EQ(items.size(), std::size_t{kCount} + 1);
    EXPECT_TRUE(std::is_sorted(items.begin(), items.end(), [](const auto& a, const auto& b) {
        return a.identifier < b.identifier;
    }));
    EXPECT_EQ(items[kCount - 1].pages.size(), 1u); // the item held before the equal one read
    EXPECT_TRUE(items[kCount].identifier == kCount && items[kCount].pages.empty());
}

TEST(BExportedDestinationList, WritesTheRecordByteForByte) {
    BExportedDestinationList list;
    list.Insert(Exported(3, 2));
    EXPECT_EQ(hex(afterHead(writeKeyStream([&](UKeyOutStream& out) { list.Write(out); }))),
              "45 4C FF 00 00 00 17 06 49 44 01 02 03 "
              "50 52 FF 00 00 00 0A 06 73 53 01 02 02 73 4E 01 02 01");
}
