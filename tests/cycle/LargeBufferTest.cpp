#include "cycle/LargeBuffer.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <numeric>

namespace ondulix::cycle {
namespace {

// Buffers from half a huge page up come whole huge pages at a huge page's alignment; smaller ones
// from the ordinary allocator. Either way they hold what is written, grow and give back their
// memory (the sanitizer build checks the last).
TEST(LargeBufferTest, SmallAndLargeBuffersHoldWhatIsWritten) {
    constexpr std::size_t kHugePage = std::size_t{2} << 20;
    for (const std::size_t count : {std::size_t{1}, std::size_t{1000}, kHugePage / 8 - 1, kHugePage / 8,
                                    kHugePage / 4 + 3, 3 * kHugePage / 4}) {
        LargeBuffer<std::int32_t> buffer(count);
        ASSERT_EQ(count, buffer.size());
        if (count * sizeof(std::int32_t) >= kHugePage / 2) {
#if defined(__linux__)
            EXPECT_EQ(0u, reinterpret_cast<std::uintptr_t>(buffer.data()) % kHugePage) << count;
#endif
        }
        std::iota(buffer.begin(), buffer.end(), 7);
        EXPECT_EQ(7, buffer.front());
        EXPECT_EQ(static_cast<std::int32_t>(count) + 6, buffer.back());
        buffer.resize(count * 2, -1); // a move to a new buffer, which may be the other kind
        EXPECT_EQ(static_cast<std::int32_t>(count) + 6, buffer[count - 1]);
        EXPECT_EQ(-1, buffer.back());
    }
    // Values given at construction are constructed as given; plain elements are only sized.
    const LargeBuffer<std::int32_t> filled(5, 3);
    EXPECT_EQ(15, std::accumulate(filled.begin(), filled.end(), 0));
    // Allocators of any element type are interchangeable.
    EXPECT_TRUE(LargeBufferAllocator<int>() == LargeBufferAllocator<int>(LargeBufferAllocator<char>()));
}

// Buffers with a pool take their huge pages from the blocks earlier buffers gave back, the smallest
// that holds them, and fresh ones where none does; the pool frees them all in the end.
TEST(LargeBufferTest, BuffersOfAPoolReuseTheBlocksGivenBack) {
    constexpr std::size_t kHugePage = BufferPool::kHugePage;
    BufferPool pool;
    const LargeBufferAllocator<std::int32_t> withPool(&pool);
    const auto blockOf = [&](std::size_t count) {
        LargeBuffer<std::int32_t> buffer(count, 5, withPool);
        EXPECT_EQ(5, buffer.back());
        return buffer.data();
    };
    const std::int32_t* const twoPages = blockOf(2 * kHugePage / 4);
    EXPECT_EQ(twoPages, blockOf(kHugePage / 4 + 1)); // rounded up to two pages, the one kept
    const std::int32_t* onePage = nullptr;
    {
        LargeBuffer<std::int32_t> a(kHugePage / 4, withPool), b(kHugePage / 4, withPool);
        EXPECT_TRUE(a.data() == twoPages || b.data() == twoPages);
        onePage = a.data() == twoPages ? b.data() : a.data();
        std::iota(a.begin(), a.end(), 0);
        LargeBuffer<std::int32_t> moved(withPool);
        moved = std::move(a); // keeps a's block
        EXPECT_EQ(static_cast<std::int32_t>(kHugePage / 4) - 1, moved.back());
    }
    EXPECT_EQ(onePage, blockOf(kHugePage / 8)); // the smallest that holds it
    EXPECT_TRUE(LargeBufferAllocator<int>(&pool) != LargeBufferAllocator<int>());
}

} // namespace
} // namespace ondulix::cycle
