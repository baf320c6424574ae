#include "utils/UException.h"

#include "support/Test.h"

namespace {

TEST(UException, CarriesItsDomainCodeAndMessageAsAStandardException) {
    const UException e(ustring("abc"), 7);
    EXPECT_STREQ(static_cast<const std::exception&>(e).what(), "abc");
    EXPECT_EQ(e.domain(), 0x5554494Cu); // 'UTIL'
    EXPECT_EQ(e.code(), 7u);
    EXPECT_STREQ(UException(42).what(), "");
    EXPECT_EQ(UException(42).code(), 42u);
}

} // namespace
