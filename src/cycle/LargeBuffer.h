#pragma once

#include <cstddef>
#include <cstdlib>
#include <map>
#include <memory>
#include <new>
#include <type_traits>
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
// and for smaller buffers, this is the ordinary allocator.
//
// Even a huge page is cleared by the system when first touched, and finding one free may take
// it much longer now and then, so the blocks that one analysis's buffers give back are kept for
// its next buffers: a search that builds indexes one after the other touches fresh memory only
// for as much as it holds at once, and the searches after it none.
class BufferPool {
public:
    static constexpr std::size_t kHugePage = std::size_t{2} << 20;

    BufferPool() = default;
    BufferPool(const BufferPool&) = delete;
    BufferPool& operator=(const BufferPool&) = delete;
    ~BufferPool() {
        for (const auto& [bytes, block] : kept_)
            Release(block);
    }

    // The bytes to ask for, in whole huge pages, for a buffer of at least half a huge page (so
    // that rounding up at most doubles it); else 0: such buffers come from the ordinary allocator.
    static std::size_t hugeBytes(std::size_t bytes) {
        return bytes < kHugePage / 2 ? 0 : (bytes + kHugePage - 1) / kHugePage * kHugePage;
    }

    // A block of at least `bytes` (from hugeBytes): the smallest kept one that holds them, else a
    // fresh one.
    void* take(std::size_t bytes) {
        const auto kept = kept_.lower_bound(bytes);
        if (kept == kept_.end()) {
            void* block = Fresh(bytes);
            lent_.emplace(block, bytes);
            return block;
        }
        void* block = kept->second;
        lent_.emplace(block, kept->first);
        kept_.erase(kept);
        return block;
    }

    // Gives back a block from take(), for a later take().
    void giveBack(void* block) {
        const auto lent = lent_.find(block);
        kept_.emplace(lent->second, block);
        lent_.erase(lent);
    }

    // A block of huge pages of its own, not kept: given back with Release.
    static void* Fresh(std::size_t bytes) {
#if defined(__linux__)
        void* block = std::aligned_alloc(kHugePage, bytes);
        if (!block)
            throw std::bad_alloc();
        ::madvise(block, bytes, MADV_HUGEPAGE); // only advice: without it the pages are small
        return block;
#else
        return ::operator new(bytes);
#endif
    }
    static void Release(void* block) {
#if defined(__linux__)
        std::free(block);
#else
        ::operator delete(block);
#endif
    }

private:
    std::multimap<std::size_t, void*> kept_; // by size
    std::map<void*, std::size_t> lent_;      // and the size of each
};

// Buffers of huge pages from a pool where one is given, else of their own; smaller buffers from
// the ordinary allocator. Every such buffer is written through once it is sized, so sizing it
// leaves the elements unwritten.
template <class T>
struct LargeBufferAllocator {
    using value_type = T;
    // A buffer moved or swapped keeps the pool its memory came from.
    using propagate_on_container_move_assignment = std::true_type;
    using propagate_on_container_swap = std::true_type;

    BufferPool* pool = nullptr;

    LargeBufferAllocator() = default;
    explicit LargeBufferAllocator(BufferPool* from) : pool(from) {}
    template <class U>
    LargeBufferAllocator(const LargeBufferAllocator<U>& other) : pool(other.pool) {}

    T* allocate(std::size_t n) {
        if (const std::size_t bytes = BufferPool::hugeBytes(n * sizeof(T)))
            return static_cast<T*>(pool ? pool->take(bytes) : BufferPool::Fresh(bytes));
        return std::allocator<T>().allocate(n);
    }

    void deallocate(T* p, std::size_t n) {
        if (BufferPool::hugeBytes(n * sizeof(T)) == 0)
            std::allocator<T>().deallocate(p, n);
        else if (pool)
            pool->giveBack(p);
        else
            BufferPool::Release(p);
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

    template <class U>
    friend bool operator==(const LargeBufferAllocator& a, const LargeBufferAllocator<U>& b) {
        return a.pool == b.pool;
    }
};

template <class T>
using LargeBuffer = std::vector<T, LargeBufferAllocator<T>>;

} // namespace ondulix::cycle
