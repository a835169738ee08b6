#include "cycle/TickedTable.h"

#include "cycle/CycleMath.h"

#include <algorithm>
#include <stdexcept>

namespace ondulix::cycle {

Motion::Motion(const engine::PreviewCycleTable& t)
    : length(t.Length), step(floorMod(t.Speed, t.Length)), start(floorMod(t.Position, t.Length)),
      period(t.Length / std::gcd(t.Length, step)) {}

std::int32_t Motion::indexAt(std::uint64_t frame, std::int32_t x) const {
    // A 32-bit remainder is much cheaper, and most frames asked about fit.
    const auto length32 = static_cast<std::uint32_t>(length);
    const std::uint32_t turns = frame <= 0xFFFFFFFFu ? static_cast<std::uint32_t>(frame) % length32
                                                     : static_cast<std::uint32_t>(modOf(frame, length));
    const auto turn = turns * static_cast<std::uint32_t>(step);
    const auto index = (turn + static_cast<std::uint32_t>(start + x)) % static_cast<std::uint32_t>(length);
    return static_cast<std::int32_t>(index);
}

std::uint64_t SharedModulus(const std::vector<Motion>& ticked) {
    std::uint64_t modulus = 1;
    for (std::size_t a = 0; a < ticked.size(); ++a)
        for (std::size_t b = a + 1; b < ticked.size(); ++b)
            modulus = lcmOf(modulus, static_cast<std::uint64_t>(std::gcd(ticked[a].period, ticked[b].period)));
    return modulus;
}

TickedTable::TickedTable(const engine::PreviewCycleTable& t, std::uint64_t sharedModulus)
    : motion(t), entries(t.entries.first(static_cast<std::size_t>(t.Length))) {
    const auto period = static_cast<std::uint64_t>(motion.period);
    choices = static_cast<std::int32_t>(period / std::gcd(period, sharedModulus));
    classCount = motion.length / choices;
    classStep = motion.step % classCount;
    classMin_.assign(static_cast<std::size_t>(classCount), std::numeric_limits<std::int32_t>::max());
    classMax_.assign(static_cast<std::size_t>(classCount), std::numeric_limits<std::int32_t>::min());
    // Index i is in class i mod classCount: the classes come round one after the other.
    for (std::int32_t i = 0, c = 0; i < motion.length; ++i, c = c + 1 == classCount ? 0 : c + 1) {
        at(classMin_, c) = std::min(at(classMin_, c), entry(i));
        at(classMax_, c) = std::max(at(classMax_, c), entry(i));
    }

    const std::int32_t orbits = std::gcd(classStep, classCount);
    classOrbit = classCount / orbits;
    orbitMin.resize(classMin_.size());
    orbitMax.resize(classMax_.size());
    classPlace.resize(classMin_.size());
    for (std::int32_t o = 0; o < orbits; ++o)
        for (std::int32_t i = 0, c = o; i < classOrbit; ++i) {
            at(orbitMin, o * classOrbit + i) = at(classMin_, c);
            at(orbitMax, o * classOrbit + i) = at(classMax_, c);
            at(classPlace, c) = o * classOrbit + i;
            c += classStep;
            c -= c >= classCount ? classCount : 0;
        }
}

std::int32_t TickedTable::low(std::int32_t c, int sign) const {
    return sign > 0 ? at(classMin_, c) : -at(classMax_, c);
}

std::int32_t TickedTable::high(std::int32_t c, int sign) const {
    return sign > 0 ? at(classMax_, c) : -at(classMin_, c);
}

std::int32_t TickedTable::lowest(int sign) const {
    return sign > 0 ? *std::min_element(classMin_.begin(), classMin_.end())
                    : -*std::max_element(classMax_.begin(), classMax_.end());
}

Orbits OrbitsOf(const TickedTable& t, std::uint64_t stride, int sign) {
    const std::int32_t length = t.motion.length;
    const auto indexStride =
        static_cast<std::int32_t>(static_cast<std::int64_t>(modOf(stride, length)) * t.motion.step % length);
    // Frames that agree modulo M keep their class, so a stride of a multiple of M frames walks
    // each class in one orbit of `choices` places.
    if (length / std::gcd(indexStride, length) != t.choices)
        throw std::logic_error("preview cycle: an orbit must cover exactly its class");
    Orbits orbits{std::vector<std::int32_t>(static_cast<std::size_t>(length)),
                  std::vector<std::int32_t>(static_cast<std::size_t>(length))};
    for (std::int32_t c = 0; c < t.classCount; ++c) {
        std::int32_t index = c;
        for (std::int32_t place = c * t.choices; place < (c + 1) * t.choices; ++place) {
            at(orbits.values, place) = sign * t.entry(index);
            at(orbits.position, index) = place;
            index += indexStride;
            index -= index >= length ? length : 0;
        }
    }
    return orbits;
}

std::vector<const TickedTable*> SparsestFirst(std::span<const TickedTable> tables, int sign, std::int32_t threshold) {
    std::int32_t lowest = 0;
    for (const TickedTable& t : tables)
        lowest += t.lowest(sign);
    std::vector<std::pair<double, const TickedTable*>> order;
    for (const TickedTable& t : tables) {
        if (t.choices == 1)
            continue;
        const std::int32_t budget = threshold - (lowest - t.lowest(sign));
        const auto reaching =
            std::count_if(t.entries.begin(), t.entries.end(), [&](std::int32_t e) { return sign * e <= budget; });
        order.emplace_back(static_cast<double>(reaching) / t.motion.length, &t);
    }
    std::stable_sort(order.begin(), order.end(), [](const auto& a, const auto& b) { return a.first < b.first; });
    std::vector<const TickedTable*> sorted;
    for (const auto& entry : order)
        sorted.push_back(entry.second);
    return sorted;
}

} // namespace ondulix::cycle
