#pragma once

#include "engine/cycle/ColumnClasses.h"

#include <cstdint>
#include <map>
#include <optional>
#include <span>
#include <vector>

namespace ondulix::engine::cycle {

// The frame classes of each representative column whose smallest sum (entries signed) can reach
// a threshold, found a block at a time when a search first asks about the block, then kept.
class ReachingClasses {
public:
    ReachingClasses(std::span<const TickedTable> tables, std::uint64_t sharedModulus, Columns columns, int sign,
                    std::int32_t threshold);

    // The first frame class m >= from of a column, seen through its representative shifted by
    // `shift` frame classes, whose smallest sum reaches the threshold.
    std::optional<std::uint64_t> next(std::int32_t representative, std::uint64_t shift, std::uint64_t from);

private:
    struct Bits {
        std::vector<std::uint64_t> words;
        std::vector<char> scanned; // per block of kClassRun classes
    };

    Bits& bitsOf(std::int32_t representative);
    void scan(Bits& bits, std::int32_t representative, std::uint64_t block);
    static std::optional<std::uint64_t> firstSet(const Bits& bits, std::uint64_t from, std::uint64_t to);

    std::span<const TickedTable> tables_;
    std::uint64_t modulus_;
    Columns columns_;
    int sign_;
    std::int32_t threshold_;
    std::map<std::int32_t, Bits> bits_;
    std::vector<std::int32_t> low_;
    std::vector<std::int32_t> high_;
};

} // namespace ondulix::engine::cycle
