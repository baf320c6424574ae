// WriteBuffer: the growing byte buffer of the writers that put many short pieces one after
// another (the compact JSON text, the binary message form). Each writer first makes room for
// what it puts, then puts it through a raw cursor: a std::string append checked its room and
// called memcpy for every piece, which cost more than the pieces. Grown bytes are left
// uninitialised: every one is written before it is read.
#pragma once

#include <algorithm>
#include <cstddef>
#include <cstring>
#include <memory>

class WriteBuffer {
public:
    WriteBuffer() = default;
    WriteBuffer(const WriteBuffer&) = delete;
    WriteBuffer& operator=(const WriteBuffer&) = delete;

    void makeRoom(std::size_t count) {
        if (static_cast<std::size_t>(m_limit - m_cursor) < count)
            grow(count);
    }
    void put(char c) { *m_cursor++ = c; }
    // A piece of at most 16 bytes is copied as two overlapping words instead of by memcpy.
    void put(const void* bytes, std::size_t count) {
        const auto* from = static_cast<const char*>(bytes);
        if (count >= 8 && count <= 16) {
            copyWord<8>(from, 0);
            copyWord<8>(from, count - 8);
        } else if (count >= 4 && count < 8) {
            copyWord<4>(from, 0);
            copyWord<4>(from, count - 4);
        } else if (count < 4) {
            for (std::size_t i = 0; i < count; ++i)
                m_cursor[i] = from[i];
        } else {
            std::memcpy(m_cursor, from, count);
        }
        m_cursor += count;
    }
    // The room after the bytes, for a writer that fills it itself and then moves the cursor.
    char* cursor() { return m_cursor; }
    void advance(char* to) { m_cursor = to; }
    const char* data() const { return m_bytes.get(); }
    std::size_t size() const { return static_cast<std::size_t>(m_cursor - m_bytes.get()); }

private:
    // The `Width` bytes at `from + at` to the cursor + `at`.
    template <std::size_t Width>
    void copyWord(const char* from, std::size_t at) {
        char word[Width];
        std::memcpy(word, from + at, Width);
        std::memcpy(m_cursor + at, word, Width);
    }

    void grow(std::size_t count) {
        const std::size_t used = size();
        const auto capacity = static_cast<std::size_t>(m_limit - m_bytes.get());
        const std::size_t grown = std::max({2 * capacity, used + count, std::size_t{256}});
        auto bytes = std::make_unique_for_overwrite<char[]>(grown);
        if (used != 0)
            std::memcpy(bytes.get(), m_bytes.get(), used);
        m_bytes = std::move(bytes);
        m_cursor = m_bytes.get() + used;
        m_limit = m_bytes.get() + grown;
    }

    std::unique_ptr<char[]> m_bytes;
    char* m_cursor = nullptr;
    char* m_limit = nullptr;
};
