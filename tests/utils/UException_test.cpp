// UException: the domain tag, code and message, and a subclass's own tag.
#include "utils/UException.h"

#include "support/Test.h"

namespace {

// A subclass of another layer writes its own tag over 'UTIL'.
class TaggedException : public UException {
public:
    TaggedException() : UException(ustring("tagged"), 9) { m_domain = 'PLUG'; }
};

TEST(UException, CarriesItsDomainCodeAndMessageAsAStandardException) {
    const UException e(ustring("abc"), 7);
    EXPECT_STREQ(e.what(), "abc");
    EXPECT_EQ(e.domain(), 0x5554494Cu); // 'UTIL'
    EXPECT_EQ(e.code(), 7u);
    EXPECT_STREQ(UException(42).what(), "");
    EXPECT_EQ(UException(42).code(), 42u);
    try {
        throw TaggedException();
    } catch (const std::exception& caught) {
        EXPECT_STREQ(caught.what(), "tagged");
        const auto* tagged = dynamic_cast<const UException*>(&caught);
        ASSERT_NE(tagged, nullptr);
        EXPECT_EQ(tagged->domain(), 0x504C5547u);
        EXPECT_EQ(tagged->code(), 9u);
    }
}

} // namespace
