#include "engine/cycle/ReachingClasses.h"

#include "engine/cycle/CycleMath.h"

#include <algorithm>
#include <bit>

namespace ondulix::engine::cycle {

ReachingClasses::ReachingClasses(std::span<const TickedTable> tables, std::uint64_t sharedModulus, Columns columns,
                                 int sign, std::int32_t threshold)
    : tables_(tables), modulus_(sharedModulus), columns_(columns), sign_(sign), threshold_(threshold),
      low_(kClassRun), high_(kClassRun) {}

std::optional<std::uint64_t> ReachingClasses::next(std::int32_t representative, std::uint64_t shift,
                                                   std::uint64_t from) {
    Bits& bits = bitsOf(representative);
    std::uint64_t m = from;
    while (m < modulus_) {
        const std::uint64_t position = (m + shift) % modulus_;
        const std::uint64_t block = position / kClassRun;
        if (!at(bits.scanned, static_cast<std::int64_t>(block)))
            scan(bits, representative, block);
        // Within this block, and not past the end of the column's classes.
        const std::uint64_t end = std::min({(block + 1) * kClassRun, modulus_, position + (modulus_ - m)});
        if (const auto found = firstSet(bits, position, end))
            return m + (*found - position);
        m += end - position;
    }
    return std::nullopt;
}

ReachingClasses::Bits& ReachingClasses::bitsOf(std::int32_t representative) {
    Bits& bits = bits_[representative];
    if (bits.words.empty()) {
        bits.words.assign(static_cast<std::size_t>((modulus_ + 63) / 64), 0);
        bits.scanned.assign(static_cast<std::size_t>((modulus_ + kClassRun - 1) / kClassRun), 0);
    }
    return bits;
}

void ReachingClasses::scan(Bits& bits, std::int32_t representative, std::uint64_t block) {
    const std::uint64_t from = block * kClassRun;
    const auto run = static_cast<std::size_t>(std::min(kClassRun, modulus_ - from));
    AddClassSums(tables_, columns_.x(representative), from, std::span(low_).first(run), std::span(high_).first(run));
    for (std::size_t i = 0; i < run; ++i)
        if ((sign_ > 0 ? low_[i] : -high_[i]) <= threshold_)
            at(bits.words, static_cast<std::int64_t>((from + i) / 64)) |= std::uint64_t{1} << ((from + i) % 64);
    at(bits.scanned, static_cast<std::int64_t>(block)) = 1;
}

std::optional<std::uint64_t> ReachingClasses::firstSet(const Bits& bits, std::uint64_t from, std::uint64_t to) {
    for (std::uint64_t word = from / 64; word * 64 < to; ++word) {
        std::uint64_t w = at(bits.words, static_cast<std::int64_t>(word));
        if (word == from / 64)
            w &= ~std::uint64_t{0} << (from % 64);
        if (w != 0) {
            const std::uint64_t found = word * 64 + static_cast<std::uint64_t>(std::countr_zero(w));
            return found < to ? std::optional(found) : std::nullopt;
        }
    }
    return std::nullopt;
}

} // namespace ondulix::engine::cycle
