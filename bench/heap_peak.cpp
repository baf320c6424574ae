// The replaceable allocation functions of the benchmark program: each takes its block from
// malloc and, while a count runs, adds its usable size to the heap in use and to the peak; each
// deallocation takes the block's usable size away again. Outside a count they only test one flag.
#include "heap_peak.h"

#include <atomic>
#include <cstdlib>
#include <malloc.h>
#include <new>

namespace {

std::atomic<bool> counting{false};
std::atomic<std::int64_t> inUse{0};
std::atomic<std::int64_t> peak{0};

void* Counted(void* block) {
    if (block && counting.load(std::memory_order_relaxed)) {
        const auto size = static_cast<std::int64_t>(malloc_usable_size(block));
        const std::int64_t now = inUse.fetch_add(size, std::memory_order_relaxed) + size;
        std::int64_t highest = peak.load(std::memory_order_relaxed);
        while (now > highest &&
               !peak.compare_exchange_weak(highest, now, std::memory_order_relaxed)) {
        }
    }
    return block;
}

void Release(void* block) noexcept {
    if (block && counting.load(std::memory_order_relaxed))
        inUse.fetch_sub(static_cast<std::int64_t>(malloc_usable_size(block)),
                        std::memory_order_relaxed);
    std::free(block);
}

void* Allocate(std::size_t size) {
    void* block = Counted(std::malloc(size == 0 ? 1 : size));
    if (!block)
        throw std::bad_alloc();
    return block;
}

void* AllocateAligned(std::size_t size, std::align_val_t alignment) {
    const auto align = static_cast<std::size_t>(alignment);
    void* block = nullptr;
    if (posix_memalign(&block, align < sizeof(void*) ? sizeof(void*) : align,
                       size == 0 ? 1 : size) != 0)
        throw std::bad_alloc();
    return Counted(block);
}

} // namespace

namespace heap_peak {

void Start() {
    inUse.store(0, std::memory_order_relaxed);
    peak.store(0, std::memory_order_relaxed);
    counting.store(true, std::memory_order_seq_cst);
}

void ForgetPeak() {
    peak.store(inUse.load(std::memory_order_relaxed), std::memory_order_relaxed);
}

std::int64_t Stop() {
    counting.store(false, std::memory_order_seq_cst);
    return peak.load(std::memory_order_relaxed);
}

} // namespace heap_peak

void* operator new(std::size_t size) {
    return Allocate(size);
}
void* operator new[](std::size_t size) {
    return Allocate(size);
}
void* operator new(std::size_t size, const std::nothrow_t&) noexcept {
    try {
        return Allocate(size);
    } catch (...) {
        return nullptr;
    }
}
void* operator new[](std::size_t size, const std::nothrow_t&) noexcept {
    try {
        return Allocate(size);
    } catch (...) {
        return nullptr;
    }
}
void* operator new(std::size_t size, std::align_val_t alignment) {
    return AllocateAligned(size, alignment);
}
void* operator new[](std::size_t size, std::align_val_t alignment) {
    return AllocateAligned(size, alignment);
}
void* operator new(std::size_t size, std::align_val_t alignment, const std::nothrow_t&) noexcept {
    try {
        return AllocateAligned(size, alignment);
    } catch (...) {
        return nullptr;
    }
}
void* operator new[](std::size_t size, std::align_val_t alignment, const std::nothrow_t&) noexcept {
    try {
        return AllocateAligned(size, alignment);
    } catch (...) {
        return nullptr;
    }
}

void operator delete(void* block) noexcept {
    Release(block);
}
void operator delete[](void* block) noexcept {
    Release(block);
}
void operator delete(void* block, std::size_t) noexcept {
    Release(block);
}
void operator delete[](void* block, std::size_t) noexcept {
    Release(block);
}
void operator delete(void* block, const std::nothrow_t&) noexcept {
    Release(block);
}
void operator delete[](void* block, const std::nothrow_t&) noexcept {
    Release(block);
}
void operator delete(void* block, std::align_val_t) noexcept {
    Release(block);
}
void operator delete[](void* block, std::align_val_t) noexcept {
    Release(block);
}
void operator delete(void* block, std::size_t, std::align_val_t) noexcept {
    Release(block);
}
void operator delete[](void* block, std::size_t, std::align_val_t) noexcept {
    Release(block);
}
void operator delete(void* block, std::align_val_t, const std::nothrow_t&) noexcept {
    Release(block);
}
void operator delete[](void* block, std::align_val_t, const std::nothrow_t&) noexcept {
    Release(block);
}
