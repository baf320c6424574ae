#include "utils/uuid.h"

#include "support/Test.h"

using namespace std::literals;

namespace {

TEST(Uuid, TextShowsTheBytesInMemoryOrderAndParseSkipsNonDigitsAndPadsOrCutsTo32) {
    const uuid sample{{0x01, 0x23, 0x45, 0x67, 0x89, 0xab, 0xcd, 0xef, 0xfe, 0xdc, 0xba, 0x98, 0x76,
                       0x54, 0x32, 0x10}};
    EXPECT_EQ(sample.toString().view(), "01234567-89AB-CDEF-FEDC-BA9876543210");
    EXPECT_EQ(uuid::fromString(sample.toString()), sample);
    const std::pair<std::string_view, const char*> cases[] = {
        {"{0123456789abcdefFEDCBA9876543210}", "01234567-89AB-CDEF-FEDC-BA9876543210"},
        {"ab:c", "ABC00000-0000-0000-0000-000000000000"},
        {"01234567-89AB-CDEF-FEDC-BA9876543210-ffff", "01234567-89AB-CDEF-FEDC-BA9876543210"},
        {"xyz g", "00000000-0000-0000-0000-000000000000"},
        {"1\0z2"sv, "12000000-0000-0000-0000-000000000000"}, // a NUL is one more non-digit
    };
    for (const auto& [text, expected] : cases)
        EXPECT_EQ(uuid::fromString(ustring(text)).toString().view(), expected) << text;
}

TEST(Uuid, GeneratedIdentifiersAreRandomVersion4) {
    const uuid a = uuid::generate();
    const uuid b = uuid::generate();
    EXPECT_NE(a, b);
    for (const uuid& u : {a, b}) {
        // The version is the high half of byte 7, the variant the top bits of byte 8.
        EXPECT_EQ(u.bytes[7] >> 4, 4);
        EXPECT_EQ(u.bytes[8] >> 6, 2);
        EXPECT_EQ(uuid::fromString(u.toString()), u);
    }
}

} // namespace
