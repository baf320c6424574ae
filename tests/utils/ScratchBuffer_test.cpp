#include "utils/ScratchBuffer.h"

#include "support/Test.h"

#include <limits>
#include <new>

namespace {

template <typename T, std::size_t N>
void fill(ScratchBuffer<T, N>& buffer) {
    for (std::size_t i = 0; i < buffer.size(); ++i)
        buffer[i] = static_cast<T>(i);
}

TEST(ScratchBuffer, HoldsTheCountAskedForInlineOrOnTheHeapAndOnlyGrows) {
    for (std::size_t count : {1, 1024, 1025}) {
        ScratchBuffer<std::uint32_t> buffer(count);
        EXPECT_EQ(buffer.size(), count);
        fill(buffer);
        EXPECT_EQ(buffer[count - 1], count - 1);
    }
    ScratchBuffer<char16_t, 16> buffer(10);
    buffer.resize(16);
    fill(buffer);
    buffer.resize(5000);
    EXPECT_EQ(buffer.size(), 5000u);
    fill(buffer);
    const char16_t* before = buffer.get();
    buffer.resize(10); // smaller: nothing changes, the contents stay
    EXPECT_EQ(buffer.size(), 5000u);
    EXPECT_EQ(buffer.get(), before);
    EXPECT_EQ(buffer[4999], 4999);
}

TEST(ScratchBuffer, RefusesACountBeyondTheAddressSpaceAndStaysAsItWas) {
    constexpr std::size_t huge = std::numeric_limits<std::size_t>::max() / 2;
    EXPECT_THROW(ScratchBuffer<std::uint32_t> buffer(huge), std::bad_alloc);
    ScratchBuffer<std::uint32_t> buffer(1);
    EXPECT_THROW(buffer.resize(huge), std::bad_alloc);
    EXPECT_EQ(buffer.size(), 1u);
    fill(buffer);
}

} // namespace
