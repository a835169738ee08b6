#pragma once

#include <cstddef>
#include <cstdlib>
#include <memory>
#include <new>
#include <utility>
#include <vector>

#if defined(__linux__)
#include <sys/mman.h>
#endif

namespace ondulix::cycle {

// Memory for buffers of megabytes that are written once and then read many times: indexes, walks
// and class extremes. Every page of fresh memory costs a fault when first touched, and on some
// virtual machines each fault costs about 10 us, so that filling a 4 MB buffer of 4 KiB pages
// spends 10 ms in the kernel, more than computing its contents. Where the system hands out
// 2 MiB pages on request (Linux's transparent huge pages), such buffers ask for them; elsewhere,
// and for smaller buffers, this is the ordinary allocator. Every such buffer is written through
// once it is sized, so sizing it leaves the elements unwritten.
template <class T>
struct LargeBufferAllocator {
    using value_type = T;

    LargeBufferAllocator() = default;
    template <class U>
    LargeBufferAllocator(const LargeBufferAllocator<U>&) {}

    T* allocate(std::size_t n) {
#if defined(__linux__)
        if (const std::size_t bytes = hugeBytes(n)) {
            void* p = std::aligned_alloc(kHugePage, bytes);
            if (!p)
                throw std::bad_alloc();
            ::madvise(p, bytes, MADV_HUGEPAGE); // only advice: without it the pages are small
            return static_cast<T*>(p);
        }
#endif
        return std::allocator<T>().allocate(n);
    }

    void deallocate(T* p, std::size_t n) {
#if defined(__linux__)
        if (hugeBytes(n) != 0) {
            std::free(p);
            return;
        }
#endif
        std::allocator<T>().deallocate(p, n);
    }

    // Elements are left as they come, not zeroed: each buffer is written through before it is read.
    template <class U>
    void construct(U* p) noexcept {
        ::new (static_cast<void*>(p)) U;
    }
    template <class U, class... Args>
    void construct(U* p, Args&&... args) {
        ::new (static_cast<void*>(p)) U(std::forward<Args>(args)...);
    }

    friend bool operator==(const LargeBufferAllocator&, const LargeBufferAllocator&) { return true; }

private:
    static constexpr std::size_t kHugePage = std::size_t{2} << 20;

    // The bytes to ask for, in whole huge pages, for a buffer of at least half a huge page (so
    // that rounding up at most doubles it); else 0.
    static std::size_t hugeBytes(std::size_t n) {
        const std::size_t bytes = n * sizeof(T);
        return bytes < kHugePage / 2 ? 0 : (bytes + kHugePage - 1) / kHugePage * kHugePage;
    }
};

template <class T>
using LargeBuffer = std::vector<T, LargeBufferAllocator<T>>;

} // namespace ondulix::cycle
