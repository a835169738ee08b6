#pragma once

// What the cycle search's tests share: tables whose entries the input's spans point at, drawn at
// random from a seed, and the plain walk of the frames that every answer is checked against.

#include "engine/PreviewCycle.h"

#include <array>
#include <cstdint>
#include <optional>
#include <random>
#include <vector>

namespace ondulix::cycle::testing {

inline std::int32_t pick(std::mt19937& rng, std::int32_t lo, std::int32_t hi) {
    return lo + static_cast<std::int32_t>(rng() % static_cast<std::uint32_t>(hi - lo + 1));
}

// An input and the entries it points at.
struct Tables {
    std::array<std::vector<std::int32_t>, engine::kTableCount> entries;
    engine::PreviewCycleInput input;

    Tables() = default;
    Tables(const Tables& other) : entries(other.entries), input(other.input) { attach(); }
    Tables& operator=(const Tables& other) {
        entries = other.entries;
        input = other.input;
        attach();
        return *this;
    }

    void attach() {
        for (std::size_t t = 0; t < engine::kTableCount; ++t)
            input.tables[t].entries = entries[t];
    }
};

// The sum column x shows in frame f, as the frame computes it.
inline std::int32_t SumAt(const engine::PreviewCycleInput& in, std::uint64_t frame, std::int32_t x) {
    std::int32_t sum = 0;
    for (const engine::PreviewCycleTable& t : in.tables) {
        if (!t.ticked)
            continue;
        const auto length = static_cast<std::uint64_t>(t.Length);
        const std::uint64_t speed = static_cast<std::uint64_t>((t.Speed % t.Length + t.Length) % t.Length);
        const std::uint64_t start = static_cast<std::uint64_t>((t.Position % t.Length + t.Length) % t.Length);
        const std::uint64_t index = (start + frame % length * speed + static_cast<std::uint64_t>(x)) % length;
        sum += t.entries[static_cast<std::size_t>(index)];
    }
    return sum;
}

// Calls visit(frame, x, sum) for every column of frames 0 .. frames - 1 in the order the
// preview draws them, until it returns true; the indexes move on by additions alone.
template <class Visit>
void ForEachSum(const engine::PreviewCycleInput& in, std::uint64_t frames, Visit visit) {
    struct Walked {
        const std::int32_t* entries;
        std::int32_t length, speed, column, position;
    };
    std::vector<Walked> tables;
    for (const engine::PreviewCycleTable& t : in.tables)
        if (t.ticked)
            tables.push_back({t.entries.data(), t.Length, (t.Speed % t.Length + t.Length) % t.Length,
                              in.columnStep % t.Length, (t.Position % t.Length + t.Length) % t.Length});
    const std::int32_t columns = engine::ColumnCount(in);
    std::vector<std::int32_t> index(tables.size());
    for (std::uint64_t f = 0; f < frames; ++f) {
        for (std::size_t t = 0; t < tables.size(); ++t)
            index[t] = tables[t].position;
        for (std::int32_t c = 0; c < columns; ++c) {
            std::int32_t sum = 0;
            for (std::size_t t = 0; t < tables.size(); ++t) {
                sum += tables[t].entries[index[t]];
                index[t] += tables[t].column;
                index[t] -= index[t] >= tables[t].length ? tables[t].length : 0;
            }
            if (visit(f, c * in.columnStep, sum))
                return;
        }
        for (Walked& t : tables) {
            t.position += t.speed;
            t.position -= t.position >= t.length ? t.length : 0;
        }
    }
}

// The first frame and column, from frame 0 up to (not including) `frames`, whose sum taken with
// `sign` is at most `limit`: one frame after the other, one column after the other.
inline std::optional<engine::CycleSample> WalkToFirst(const engine::PreviewCycleInput& in, int sign,
                                                      std::int32_t limit, std::uint64_t frames) {
    std::optional<engine::CycleSample> first;
    ForEachSum(in, frames, [&](std::uint64_t f, std::int32_t x, std::int32_t sum) {
        if (sign * sum <= limit)
            first = engine::CycleSample{f, x, sum};
        return first.has_value();
    });
    return first;
}

} // namespace ondulix::cycle::testing
