// Tests of ScratchBuffer: where the elements live, and how resize grows the buffer.
#include "utils/ScratchBuffer.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <limits>
#include <new>

namespace {

// Writes every element, so the sanitizer sees a buffer smaller than its size.
template <typename T>
void fill(ScratchBuffer<T>& buffer) {
    for (std::size_t i = 0; i < buffer.size(); ++i) {
        buffer[i] = static_cast<T>(i);
    }
}

TEST(ScratchBuffer, KeepsUpTo1024ElementsInlineAndMoreOnTheHeap) {
    ScratchBuffer<char> inlineChars(1024);
    ScratchBuffer<char> heapChars(1025);
    ScratchBuffer<char16_t> inlineUnits(1024);
    ScratchBuffer<std::uint32_t> heapValues(1025);
    EXPECT_FALSE(inlineChars.onHeap());
    EXPECT_TRUE(heapChars.onHeap());
    EXPECT_FALSE(inlineUnits.onHeap());
    EXPECT_TRUE(heapValues.onHeap());
    EXPECT_EQ(heapChars.size(), 1025u);
    fill(inlineChars);
    fill(heapChars);
    fill(inlineUnits);
    fill(heapValues);
    EXPECT_EQ(heapValues[1024], 1024u);
}

TEST(ScratchBuffer, ResizeOnlyGrows) {
    ScratchBuffer<char16_t> buffer(2000);
    const char16_t* before = buffer.get();
    buffer.resize(10);
    EXPECT_EQ(buffer.size(), 2000u);
    EXPECT_EQ(buffer.get(), before);
    EXPECT_TRUE(buffer.onHeap());
}

TEST(ScratchBuffer, ResizeMovesToTheHeapPast1024Elements) {
    ScratchBuffer<char> buffer(10);
    buffer.resize(1024);
    EXPECT_EQ(buffer.size(), 1024u);
    EXPECT_FALSE(buffer.onHeap());
    buffer.resize(1025);
    EXPECT_EQ(buffer.size(), 1025u);
    EXPECT_TRUE(buffer.onHeap());
    fill(buffer);
    buffer.resize(5000);
    EXPECT_EQ(buffer.size(), 5000u);
    EXPECT_TRUE(buffer.onHeap());
    fill(buffer);
}

TEST(ScratchBuffer, RefusesASizeBeyondTheAddressSpace) {
    constexpr std::size_t huge = std::numeric_limits<std::size_t>::max() / 2;
    EXPECT_THROW(ScratchBuffer<std::uint32_t> buffer(huge), std::bad_alloc);
    ScratchBuffer<std::uint32_t> buffer(1);
    EXPECT_THROW(buffer.resize(huge), std::bad_alloc);
    EXPECT_EQ(buffer.size(), 1u);
    EXPECT_FALSE(buffer.onHeap());
}

} // namespace
