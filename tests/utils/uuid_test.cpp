// uuid: the text form in memory byte order, the lenient parse and generation.
#include "utils/uuid.h"

#include <gtest/gtest.h>

#include <string_view>

namespace {

const uuid kSample{{0x01, 0x23, 0x45, 0x67, 0x89, 0xab, 0xcd, 0xef, 0xfe, 0xdc, 0xba, 0x98, 0x76,
                    0x54, 0x32, 0x10}};

} // namespace

TEST(Uuid, TextShowsTheBytesInMemoryOrderInUpperCase) {
    EXPECT_EQ(kSample.toString().view(), "01234567-89AB-CDEF-FEDC-BA9876543210");
    EXPECT_EQ(uuid().toString().view(), "00000000-0000-0000-0000-000000000000");
}

TEST(Uuid, ParseSkipsNonDigitsAndPadsOrCutsTo32Digits) {
    using namespace std::literals;
    const struct {
        std::string_view text;
        const char* expected;
    } cases[] = {
        {"{0123456789abcdefFEDCBA9876543210}", "01234567-89AB-CDEF-FEDC-BA9876543210"},
        {"ab:c", "ABC00000-0000-0000-0000-000000000000"},
        {"01234567-89AB-CDEF-FEDC-BA9876543210-ffff", "01234567-89AB-CDEF-FEDC-BA9876543210"},
        {"xyz g", "00000000-0000-0000-0000-000000000000"},
        {"1\0"
         "2"sv,
         "12000000-0000-0000-0000-000000000000"}, // a NUL is skipped like any other non-digit
    };
    EXPECT_EQ(uuid::fromString(kSample.toString()), kSample);
    for (const auto& c : cases) {
        const ustring text(c.text.data(), c.text.size());
        EXPECT_EQ(uuid::fromString(text).toString().view(), c.expected) << c.text;
    }
}

TEST(Uuid, GeneratedIdentifiersAreRandomVersion4AndSurviveTheirText) {
    const uuid a = uuid::generate();
    const uuid b = uuid::generate();
    EXPECT_NE(a, b);
    for (const uuid& u : {a, b}) {
        const ustring text = u.toString();
        ASSERT_EQ(text.size(), 36u);
        for (std::size_t i = 0; i < text.size(); ++i) {
            const char ch = text.c_str()[i];
            if (i == 8 || i == 13 || i == 18 || i == 23)
                EXPECT_EQ(ch, '-') << text.c_str();
            else
                EXPECT_TRUE((ch >= '0' && ch <= '9') || (ch >= 'A' && ch <= 'F')) << text.c_str();
        }
        // The version is the high half of byte 7, the variant the top bits of byte 8.
        EXPECT_EQ(text.c_str()[16], '4') << text.c_str();
        EXPECT_NE(std::string("89AB").find(text.c_str()[19]), std::string::npos) << text.c_str();
        EXPECT_EQ(uuid::fromString(text), u);
    }
}
