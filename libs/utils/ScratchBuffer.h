// A temporary array for one call: up to InlineCount elements (1024 unless a caller asks for
// fewer) live inline, on the caller's stack; more come from the heap. Used by the text
// conversions, the stream readers and the formatting engine.
#pragma once

#include <cstddef>
#include <limits>
#include <new>

template <typename T, std::size_t InlineCount = 1024>
class ScratchBuffer {
public:
    static constexpr std::size_t kInlineCount = InlineCount;

    explicit ScratchBuffer(std::size_t count)
        : m_heap(allocate(count)), m_count(count), m_ptr(m_heap ? m_heap : m_inline) {}
    ~ScratchBuffer() { delete[] m_heap; }

    ScratchBuffer(const ScratchBuffer&) = delete;
    ScratchBuffer& operator=(const ScratchBuffer&) = delete;

    // Only grows: when n exceeds the count, the count becomes n and the buffer is replaced by
    // the inline array (up to kInlineCount elements) or a new heap array; the old contents are not
    // kept. When the allocation fails the buffer is left as it was.
    void resize(std::size_t n) {
        if (n <= m_count) {
            return;
        }
        T* fresh = allocate(n);
        delete[] m_heap;
        m_heap = fresh;
        m_count = n;
        m_ptr = m_heap ? m_heap : m_inline;
    }

    T* get() { return m_ptr; }
    const T* get() const { return m_ptr; }
    T& operator[](std::size_t i) { return m_ptr[i]; }
    const T& operator[](std::size_t i) const { return m_ptr[i]; }
    std::size_t size() const { return m_count; }

private:
    // A heap array for more than kInlineCount elements, else null. A byte size that would overflow
    // is refused with the allocator's exception (std::bad_array_new_length, a std::bad_alloc).
    static T* allocate(std::size_t n) {
        if (n <= kInlineCount) {
            return nullptr;
        }
        constexpr std::size_t maxCount = std::numeric_limits<std::size_t>::max() / sizeof(T);
        if (n > maxCount) {
            throw std::bad_array_new_length();
        }
        return new T[n];
    }

    T m_inline[kInlineCount];
    T* m_heap;
    std::size_t m_count;
    T* m_ptr;
};
