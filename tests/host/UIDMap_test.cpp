// The UID map answers every lookup as a std::map of the same entries does, through every change,
// copy and move, whichever way its UIDs lie.
#include "host/standin/UIDMap.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdint>
#include <map>
#include <random>
#include <stdexcept>
#include <string>
#include <utility>
#include <vector>

namespace {

using host::UIDMap;

// Every lookup of `map` agrees with `expected`, for its UIDs, their neighbours and UIDs never used.
void ExpectSame(const UIDMap<std::string>& map, const std::map<UID, std::string>& expected,
                const std::vector<std::uint32_t>& probes) {
    ASSERT_EQ(map.size(), expected.size());
    ASSERT_TRUE(std::equal(map.begin(), map.end(), expected.begin(), expected.end()));
    for (std::uint32_t probe : probes) {
        const UID uid(probe);
        const auto found = map.find(uid);
        const auto wanted = expected.find(uid);
        ASSERT_EQ(found == map.end(), wanted == expected.end()) << probe;
        ASSERT_EQ(map.contains(uid), wanted != expected.end()) << probe;
        if (wanted != expected.end()) {
            EXPECT_EQ(found->first, uid);
            EXPECT_EQ(found->second, wanted->second);
            EXPECT_EQ(&map.at(uid), &found->second);
        } else {
            EXPECT_THROW(static_cast<void>(map.at(uid)), std::out_of_range);
        }
    }
}

struct Layout {
    const char* name;
    std::uint32_t first;
    std::uint32_t stride; // between the UIDs of a run
    std::uint32_t gap;    // between runs
    std::uint32_t runLength;
};

class UIDMapTest : public testing::TestWithParam<Layout> {};

TEST_P(UIDMapTest, AnswersAsAnOrderedMapThroughEveryChange) {
    const Layout& layout = GetParam();
    std::vector<std::uint32_t> uids;
    for (std::uint32_t run = 0, uid = layout.first; uids.size() < 3000; ++run) {
        for (std::uint32_t i = 0; i < layout.runLength && uids.size() < 3000; ++i)
            uids.push_back(uid + i * layout.stride);
        uid += layout.runLength * layout.stride + layout.gap;
    }
    std::vector<std::uint32_t> probes = uids;
    for (std::uint32_t uid : uids)
        for (std::uint32_t near : {uid - 1, uid + 1, uid + 5, uid ^ 0x80000000u})
            probes.push_back(near);
    probes.push_back(0);

    std::mt19937 random(layout.first);
    UIDMap<std::string> map;
    std::map<UID, std::string> expected;
    for (int round = 0; round < 4; ++round) {
        std::shuffle(uids.begin(), uids.end(), random);
        // Insert all, each way the map offers; then take out a third, each way too.
        for (std::size_t i = 0; i < uids.size(); ++i) {
            const UID uid(uids[i]);
            const std::string value = std::to_string(uids[i] + round);
            switch (i % 4) {
            case 0:
                EXPECT_EQ(map.emplace(uid, value).second, expected.emplace(uid, value).second);
                break;
            case 1:
                EXPECT_EQ(map.try_emplace(uid, value).second,
                          expected.try_emplace(uid, value).second);
                break;
            case 2:
                map[uid] = value;
                expected[uid] = value;
                break;
            default:
                EXPECT_EQ(map.insert_or_assign(uid, value).second,
                          expected.insert_or_assign(uid, value).second);
            }
        }
        ExpectSame(map, expected, probes);
        for (std::size_t i = 0; i < uids.size(); i += 3) {
            const UID uid(uids[i]);
            if (i % 2 == 0) {
                EXPECT_EQ(map.erase(uid), expected.erase(uid));
            } else if (auto found = map.find(uid); found != map.end()) {
                const auto next = map.erase(found);
                const auto wanted = expected.erase(expected.find(uid));
                EXPECT_EQ(next == map.end(), wanted == expected.end());
                if (next != map.end()) {
                    EXPECT_EQ(next->first, wanted->first);
                }
            }
        }
        ExpectSame(map, expected, probes);
        // A copy has an index of its own; a moved map takes the index along.
        UIDMap<std::string> copy(map);
        map.clear();
        ExpectSame(copy, expected, probes);
        ExpectSame(map, {}, probes);
        UIDMap<std::string> moved(std::move(copy));
        ExpectSame(moved, expected, probes);
        map = moved;
        moved = UIDMap<std::string>();
        ExpectSame(map, expected, probes);
    }
}

INSTANTIATE_TEST_SUITE_P(Layouts, UIDMapTest,
                         testing::Values(Layout{"Dense", 1, 1, 0, 3000},
                                         Layout{"RunsFarApart", 100, 1, 99996, 4},
                                         Layout{"EveryFourth", 7, 4, 0, 3000},
                                         Layout{"ApartByPowersOfTwo", 0, 1024, 0, 3000},
                                         Layout{"HighUIDs", 0xFFFFF000u, 1, 0, 3000}),
                         [](const testing::TestParamInfo<Layout>& info) {
                             return std::string(info.param.name);
                         });

} // namespace
