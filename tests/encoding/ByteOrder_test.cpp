#include "encoding/ByteOrder.h"

#include "encoding/ConvertUTF.h"
#include "support/Test.h"

#include <cstring>

namespace {

template <typename T>
std::string bytesOf(T value) {
    return std::string(reinterpret_cast<const char*>(&value), sizeof value);
}

TEST(ByteOrder, PutsTheMostSignificantByteFirstAtAnyAlignment) {
    EXPECT_EQ(bytesOf(to_big_endian16(0x0102)), "\x01\x02");
    EXPECT_EQ(bytesOf(to_big_endian32(0x01020304)), "\x01\x02\x03\x04");
    EXPECT_EQ(bytesOf(to_big_endian64(0x0102030405060708)), "\x01\x02\x03\x04\x05\x06\x07\x08");
    EXPECT_EQ(from_big_endian16(to_big_endian16(0xFFFE)), 0xFFFE);
    EXPECT_EQ(from_big_endian32(to_big_endian32(0x80000001)), 0x80000001u);
    EXPECT_EQ(from_big_endian64(to_big_endian64(0x8000000000000001)), 0x8000000000000001u);
    const unsigned char bytes[] = {0x00, 0x12, 0x34, 0xFF, 0xFE, 0x01};
    EXPECT_EQ(ReadBigEndian16(bytes + 1), 0x1234);
    EXPECT_EQ(ReadBigEndian16(bytes + 3), 0xFFFE);
    EXPECT_EQ(loadBigEndian(bytes + 1, 3), 0x1234FFu);
    EXPECT_EQ(loadLittleEndian(bytes + 1, 3), 0xFF3412u);
    unsigned char out[6] = {};
    storeBigEndian(0x0A0B0C, 3, out + 1);
    storeLittleEndian(0x0A0B, 2, out + 4);
    EXPECT_EQ(std::memcmp(out, "\x00\x0A\x0B\x0C\x0B\x0A", 6), 0);
}

} // namespace
