// Tests of the exported destinations: sorted insertion and the record 'EL'.
#include "BExportedDestination.h"
#include "UKeyStream.h"

#include <gtest/gtest.h>

#include <sstream>
#include <string>

namespace {

std::unique_ptr<BExportedDestination> Exported(std::int32_t identifier, std::int32_t firstPage) {
    auto item = std::make_unique<BExportedDestination>();
    item->identifier = identifier;
    item->pages.AddRun(firstPage, 1);
    return item;
}

std::string WriteList(const BExportedDestinationList& list) {
    std::ostringstream bytes;
    {
        UKeyOutStream out(bytes, 0);
        list.Write(out);
        out.close();
    }
    return bytes.str();
}

} // namespace

TEST(BExportedDestinationList, KeepsAscendingIdentifiersInsertingAfterEqualOnes) {
    BExportedDestinationList list;
    list.Insert(Exported(5, 1));
    list.Insert(Exported(3, 2));
    list.Insert(Exported(5, 3));
    list.Insert(Exported(-1, 4));
    ASSERT_EQ(list.size(), 4u);
    const std::int32_t identifiers[] = {-1, 3, 5, 5};
    const std::int32_t pages[] = {4, 2, 1, 3};
    for (std::size_t i = 0; i < list.size(); ++i) {
        EXPECT_EQ(list[i].identifier, identifiers[i]) << i;
        EXPECT_EQ(list[i].pages[0].firstPage, pages[i]) << i;
    }
}

TEST(BExportedDestinationList, WritesTheRecordByteForByte) {
    BExportedDestinationList list;
    list.Insert(Exported(3, 2));
    const std::string expected("EL\xFF\0\0\0\x17\x06"
                               "ID\x01\x02\x03"
                               "PR\xFF\0\0\0\x0A\x06"
                               "sS\x01\x02\x02"
                               "sN\x01\x02\x01",
                               31);
    EXPECT_EQ(WriteList(list).substr(13), expected);
}

TEST(BExportedDestinationList, ReadsItemsInStoredOrderIntoSortedOrder) {
    // The stored order is 5, 3, 5.
    std::ostringstream bytes;
    {
        UKeyOutStream out(bytes, 0);
        out.begin_record('EL');
        for (const auto& [identifier, page] : {std::pair{5, 10}, {3, 20}, {5, 30}}) {
            out.select_key('ID').write_int(identifier);
            out.begin_record('PR');
            out.select_key('sS').write_int(page);
            out.select_key('sN').write_int(2);
            out.end();
        }
        out.end();
        out.close();
    }
    std::istringstream in(bytes.str());
    UKeyInStream reader(in);
    BExportedDestinationList list;
    list.Read(reader);
    ASSERT_EQ(list.size(), 3u);
    EXPECT_EQ(list[0].identifier, 3);
    EXPECT_EQ(list[1].identifier, 5);
    EXPECT_EQ(list[1].pages[0].firstPage, 10);
    EXPECT_EQ(list[2].identifier, 5);
    EXPECT_EQ(list[2].pages[0].firstPage, 30);
    EXPECT_EQ(list[2].pages[0].pageCount, 2);
}
