#pragma once

#include "engine/PreviewCycle.h"

#include <cstdint>
#include <span>
#include <vector>

namespace ondulix::cycle {

// How one table's index moves from frame to frame.
struct Motion {
    std::int32_t length = 1;
    std::int32_t step = 0;   // Speed modulo Length
    std::int32_t start = 0;  // Position modulo Length
    std::int32_t period = 1; // frames until the position is back: Length / gcd(Length, step)

    explicit Motion(const engine::PreviewCycleTable& t);

    // The entry that column x reads in the given frame.
    std::int32_t indexAt(std::uint64_t frame, std::int32_t x) const;
};

// The frame modulus M that makes the tables independent: the lcm of the pairwise gcds of the
// periods, which holds every prime to its second-highest power among them.
std::uint64_t SharedModulus(const std::vector<Motion>& ticked);

// One ticked table, seen through the frame classes: frames that agree modulo M let it show any
// index of one class, the indices congruent modulo `classCount`; `choices` (= P / gcd(P, M)) is
// how many there are in a class. Keeps the smallest and largest entry of every class.
class TickedTable {
public:
    TickedTable(const engine::PreviewCycleTable& t, std::uint64_t sharedModulus);

    Motion motion;
    std::span<const std::int32_t> entries;
    std::int32_t choices = 1;
    std::int32_t classCount = 1;
    std::int32_t classStep = 0; // how far one frame moves the class

    std::int32_t entry(std::int32_t index) const { return entries[static_cast<std::size_t>(index)]; }
    std::int32_t classAt(std::uint64_t frame, std::int32_t x) const {
        return classCount == 1 ? 0 : motion.indexAt(frame, x) % classCount;
    }
    // A class's extremes with the entries taken with a sign: -1 turns the largest into the
    // smallest, so that one search looks for both small and large sums.
    std::int32_t low(std::int32_t c, int sign) const;
    std::int32_t high(std::int32_t c, int sign) const;
    std::int32_t lowest(int sign) const;

    // From one frame class to the next the class moves by classStep, so a column reads the class
    // extremes along orbits of classOrbit classes; laid out in that order they read straight
    // through.
    std::int32_t classOrbit = 1;
    std::vector<std::int32_t> orbitMin; // classMin along the orbits, one orbit after the other
    std::vector<std::int32_t> orbitMax;
    std::vector<std::int32_t> classPlace; // class -> its place in orbitMin and orbitMax

private:
    std::vector<std::int32_t> classMin_;
    std::vector<std::int32_t> classMax_;
};

// A table's signed entries laid out along the orbits of the stride by which `stride` frames move
// its index, one orbit (class) after the other, and where each index sits in them. Each orbit
// has `choices` places.
struct Orbits {
    std::vector<std::int32_t> values;
    std::vector<std::int32_t> position;
};

Orbits OrbitsOf(const TickedTable& t, std::uint64_t stride, int sign);

// The tables with a choice, sparsest first: the fewer of its entries can reach the threshold,
// the fewer candidates a table lets through.
std::vector<const TickedTable*> SparsestFirst(std::span<const TickedTable> tables, int sign, std::int32_t threshold);

} // namespace ondulix::cycle
