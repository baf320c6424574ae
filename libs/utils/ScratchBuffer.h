// A temporary array for one call: up to 1024 elements live inline (on the caller's stack),
// more come from the heap. Used by the text conversions and the stream readers.
#pragma once

#include <cstddef>
#include <limits>
#include <new>

template <typename T>
class ScratchBuffer {
public:
    static constexpr std::size_t kInlineCount = 1024;

    explicit ScratchBuffer(std::size_t count) : count_(count) { allocate(count); }
    ~ScratchBuffer() { delete[] heap_; }

    ScratchBuffer(const ScratchBuffer&) = delete;
    ScratchBuffer& operator=(const ScratchBuffer&) = delete;

    // Only grows: when n exceeds the count, the count becomes n and the buffer is replaced
    // (its contents are not kept).
    void resize(std::size_t n) {
        if (n <= count_) {
            return;
        }
        delete[] heap_;
        heap_ = nullptr;
        ptr_ = inline_;
        count_ = n;
        allocate(n);
    }

    T* get() { return ptr_; }
    const T* get() const { return ptr_; }
    T& operator[](std::size_t i) { return ptr_[i]; }
    const T& operator[](std::size_t i) const { return ptr_[i]; }
    std::size_t size() const { return count_; }
    bool onHeap() const { return heap_ != nullptr; }

private:
    void allocate(std::size_t n) {
        if (n > kInlineCount) {
            // A byte size that would overflow asks for the largest size, which the allocator
            // refuses with its own exception.
            constexpr std::size_t maxCount = std::numeric_limits<std::size_t>::max() / sizeof(T);
            if (n > maxCount) {
                throw std::bad_array_new_length();
            }
            heap_ = new T[n];
            ptr_ = heap_;
        }
    }

    T inline_[kInlineCount];
    T* heap_ = nullptr;
    std::size_t count_;
    T* ptr_ = inline_;
};
