#pragma once

#include <array>
#include <bit>
#include <cstdint>
#include <cstdlib>
#include <new>
#include <span>
#include <utility>
#include <vector>

namespace ondulix::engine {

inline constexpr int kTableCount = 4;
// The longest table, 2^14 entries; Offset, Periods and the typed bounds share this limit.
inline constexpr int kMaxLength = 16384;
// Entries 0 to 65536 of every table; at most 0 to 16384 are ever written.
inline constexpr int kValueCapacity = 65537;

// The single-precision pi (bit pattern 0x40490FDB, 3.1415927): the tables are defined with it,
// not with the exact pi, and the difference shows in the entries.
inline constexpr float Pi = std::bit_cast<float>(0x40490FDBu);

// The settings of one table. The amplitude is kept in two forms, bounds (Minimum, Maximum) and
// centre form (Origin, Range); the form the user edited last is the source of the other.
struct TableParams {
    std::int32_t Length = 0;
    std::int32_t Minimum = 0;
    std::int32_t Maximum = 0;
    std::int32_t Origin = 0;
    std::int32_t Range = 0;
    std::int32_t Offset = 0;
    std::int32_t Periods = 0;
    std::int32_t Speed = 0; // the table's step through the preview, in entries per frame

    friend bool operator==(const TableParams&, const TableParams&) = default;
};

// The preview's running state, apart from the settings: the entry of each table shown at the
// preview's left edge in the next frame. Advanced by every frame, set back to 0 when a table's
// Speed is read as 0.
struct PreviewPositions {
    std::array<std::int32_t, kTableCount> Position{};

    friend bool operator==(const PreviewPositions&, const PreviewPositions&) = default;
};

// Zeroed memory straight from the system: a large calloc is fresh pages that read as zero, so
// only the pages later written are ever touched (filling a megabyte of entries with zeros, most
// of them never written, cost a page fault per 4 KiB at the window's start-up). Elements made
// without a value are left as the memory has them, zero.
template <class T>
struct ZeroedAllocator {
    using value_type = T;

    ZeroedAllocator() = default;
    template <class U>
    ZeroedAllocator(const ZeroedAllocator<U>&) {}

    T* allocate(std::size_t n) {
        if (void* memory = std::calloc(n, sizeof(T)))
            return static_cast<T*>(memory);
        throw std::bad_alloc();
    }
    void deallocate(T* p, std::size_t) { std::free(p); }

    template <class U, class... Args>
    void construct(U* p, Args&&... args) {
        if constexpr (sizeof...(Args) > 0)
            ::new (static_cast<void*>(p)) U(std::forward<Args>(args)...);
        else
            ::new (static_cast<void*>(p)) U; // already zero
    }

    template <class U>
    friend bool operator==(const ZeroedAllocator&, const ZeroedAllocator<U>&) {
        return true;
    }
};

// The computed entries of the four tables: fixed capacity, zero-filled once, never resized or
// cleared, so entries above a shrunk Length keep what a longer computation left there.
class Values {
public:
    Values() : entries_(static_cast<std::size_t>(kTableCount) * kValueCapacity) {}

    std::int32_t operator()(int table, int entry) const { return entries_[index(table, entry)]; }
    std::int32_t& operator()(int table, int entry) { return entries_[index(table, entry)]; }

    std::span<std::int32_t, kValueCapacity> row(int table) {
        return std::span<std::int32_t, kValueCapacity>(entries_.data() + index(table, 0), kValueCapacity);
    }
    std::span<const std::int32_t, kValueCapacity> row(int table) const {
        return std::span<const std::int32_t, kValueCapacity>(entries_.data() + index(table, 0), kValueCapacity);
    }

private:
    static std::size_t index(int table, int entry) {
        return static_cast<std::size_t>(table) * kValueCapacity + static_cast<std::size_t>(entry);
    }
    std::vector<std::int32_t, ZeroedAllocator<std::int32_t>> entries_;
};

// The tables' part of the model: four tables' settings, where the preview stands in each, and
// their computed entries.
struct TableSet {
    std::array<TableParams, kTableCount> tables{};
    PreviewPositions preview;
    Values values;

    TableParams& table(int i) { return tables[static_cast<std::size_t>(i)]; }
    const TableParams& table(int i) const { return tables[static_cast<std::size_t>(i)]; }
};

} // namespace ondulix::engine
