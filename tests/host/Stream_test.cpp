#include "host/standin/Stream.h"

#include <gtest/gtest.h>

namespace {

TEST(MemoryStream, ReadsBackWhatItWroteLittleEndianWithARelativeSeek) {
    auto writer = MemoryStream::Writer();
    std::int16_t version = 4;
    std::int32_t length = 0x01020304;
    UID uid{77};
    writer->XferInt16(version);
    writer->XferInt32(length);
    writer->XferReference(uid);
    EXPECT_EQ(std::vector<std::uint8_t>(writer->Bytes().begin(), writer->Bytes().begin() + 6),
              (std::vector<std::uint8_t>{4, 0, 4, 3, 2, 1}));

    auto reader = MemoryStream::Reader(writer->Bytes());
    reader->XferInt16(version);
    reader->Seek(-2, IPMStream::kSeekFromCurrent); // the version again, as the length's start
    reader->XferInt32(length);
    EXPECT_EQ(length, 0x03040004);
    reader->Seek(2, IPMStream::kSeekFromStart);
    std::tie(length, uid) = std::tuple(0, UID());
    reader->XferInt32(length);
    reader->XferReference(uid);
    EXPECT_EQ(std::tuple(length, uid), std::tuple(0x01020304, UID{77}));
    EXPECT_FALSE(reader->Failed());
    EXPECT_EQ(reader->Remaining(), 0u);
}

TEST(MemoryStream, AReadPastTheEndFailsAndYieldsZeros) {
    auto reader = MemoryStream::Reader({1, 2, 3});
    std::int32_t value = -1;
    reader->XferInt32(value);
    EXPECT_TRUE(reader->Failed());
    EXPECT_EQ(value, 0);
    std::int16_t after = -1;
    reader->XferInt16(after); // nothing more is read once failed
    EXPECT_EQ(after, 0);

    auto seeking = MemoryStream::Reader({1, 2});
    seeking->Seek(-1, IPMStream::kSeekFromStart);
    EXPECT_TRUE(seeking->Failed());
}

} // namespace
