// UException: the domain tag, code and message, and their copies.
#include "utils/UException.h"

#include <gtest/gtest.h>

#include <cstring>
#include <memory>
#include <stdexcept>

TEST(UException, CarriesTheUtilDomainTheCodeAndTheMessage) {
    const UException e(ustring("abc"), 7);
    EXPECT_STREQ(e.what(), "abc");
    EXPECT_EQ(e.domain(), 0x5554494Cu);
    EXPECT_EQ(e.code(), 7u);

    // Stored little-endian: the bytes in memory read L, I, T, U.
    const std::uint32_t domain = e.domain();
    char bytes[4];
    std::memcpy(bytes, &domain, sizeof bytes);
    EXPECT_EQ(std::string(bytes, 4), "LITU");
}

TEST(UException, MadeFromACodeAloneHasAnEmptyText) {
    const UException e(42);
    EXPECT_STREQ(e.what(), "");
    EXPECT_EQ(e.domain(), UException::kUtilDomain);
    EXPECT_EQ(e.code(), 42u);
}

TEST(UException, CopiesKeepDomainCodeAndAMessageOfTheirOwn) {
    auto original =
        std::make_unique<UException>(ustring("a message longer than the inline form"), 3);
    const UException copy(*original);
    UException assigned(0);
    assigned = *original;
    original.reset();

    for (const UException* e : std::initializer_list<const UException*>{&copy, &assigned}) {
        EXPECT_STREQ(e->what(), "a message longer than the inline form");
        EXPECT_EQ(e->domain(), UException::kUtilDomain);
        EXPECT_EQ(e->code(), 3u);
    }
}

namespace {

// A subclass of another layer writes its own tag over 'UTIL'.
class TaggedException : public UException {
public:
    TaggedException() : UException(ustring("tagged"), 9) { m_domain = 'PLUG'; }
};

} // namespace

TEST(UException, IsCaughtAsAStandardExceptionWithASubclassTag) {
    try {
        throw TaggedException();
    } catch (const std::exception& e) {
        EXPECT_STREQ(e.what(), "tagged");
        const auto* tagged = dynamic_cast<const UException*>(&e);
        ASSERT_NE(tagged, nullptr);
        EXPECT_EQ(tagged->domain(), 0x504C5547u);
        EXPECT_EQ(tagged->code(), 9u);
    }
}
