#pragma once

#include "engine/PreviewCycle.h"
#include "cycle/ColumnClasses.h"
#include "cycle/LargeBuffer.h"
#include "cycle/TableGroups.h"

#include <array>
#include <cstdint>
#include <functional>
#include <span>
#include <variant>
#include <vector>

namespace ondulix::cycle {

// The smallest and largest sum each column shows in each root class (frames that agree modulo
// the root modulus R), exactly. Once the frame is fixed modulo its group modulus, a group's tables
// choose their entries freely, so the group's extremes there are sums of class extremes; folding
// the group modulus onto R takes the extreme over the factors only the group's tables share. The
// two groups are free of each other within a root class, so a column's extreme there is the sum
// of the groups'. Cost: per group and column, one addition per table and group class (fewer where
// columns see the same classes shifted), then one per root class.
// A table's class extremes along their orbits (TickedTable::orbitMin and orbitMax) less an offset,
// in 16 bits.
struct NarrowOrbits {
    std::vector<std::int16_t> mins, maxs;
    std::int32_t offset = 0;
};

class ClassExtremes {
public:
    // Folds of up to `mostKept` entries are kept for the searches; the rest are folded again
    // whenever a search needs them.
    ClassExtremes(const engine::PreviewCycleInput& input, const TableGroups& groups, Columns columns, std::size_t mostKept);

    std::uint64_t rootModulus() const { return root_; }
    std::int32_t smallest() const;
    std::int32_t largest() const;

    // The smallest sum column k shows over the whole cycle, with the entries taken with `sign`.
    std::int32_t columnLow(int sign, std::int32_t column) const;

    // How many root classes of columns have a smallest signed sum of at most the threshold.
    std::uint64_t countReaching(int sign, std::int32_t threshold);

    // Calls visit(column, r) for each column and root class r whose smallest signed sum is at
    // most the threshold.
    void forEachReaching(int sign, std::int32_t threshold,
                         const std::function<void(std::int32_t, std::uint64_t)>& visit);

private:
    // A group's folds in V: per representative column, the folds over the root classes, one after
    // the other, empty when not kept; and one fold made when needed.
    template <class V>
    struct Folds {
        LargeBuffer<V> lows, highs;
        std::vector<V> scratchLow, scratchHigh;
    };

    struct Group {
        std::vector<TickedTable> tables; // classes with respect to the group modulus
        std::uint64_t modulus = 1;
        ColumnClasses columnClasses;
        std::vector<NarrowOrbits> narrow; // per table, where the group's sums fit in 16 bits
        // In 16 bits less the narrow orbits' offsets where the group's sums fit, which halves the
        // memory the kept folds take and the system clears for them: many_root_classes keeps 27 MB.
        std::variant<Folds<std::int16_t>, Folds<std::int32_t>> folds;
        std::int32_t offset = 0; // of every fold entry
    };

    // One group's extremes for one column, over the root classes, each `offset` less than it is:
    // entry r belongs to root class r - shift (mod R).
    template <class V>
    struct Values {
        std::span<const V> low, high;
    };
    struct Fold {
        std::variant<Values<std::int16_t>, Values<std::int32_t>> values;
        std::int32_t offset = 0;
        std::uint64_t shift = 0;
    };

    Fold foldOf(std::size_t g, std::int32_t column);
    template <class V>
    void fold(const Group& group, std::int32_t x, std::span<V> low, std::span<V> high);
    static bool kept(const Group& group);
    void keepFoldsThatFit(std::size_t mostKept);
    template <class Each>
    void forEachReachingColumn(int sign, std::int32_t threshold, Each each);
    // Calls each(column, fold of group 0, fold of group 1) for every wanted column, in an order
    // that folds a group whose folds are not kept once per representative column.
    void forEachColumn(const std::function<bool(std::int32_t)>& wanted,
                       const std::function<void(std::int32_t, const Fold&, const Fold&)>& each);

    std::uint64_t root_;
    Columns columns_;
    std::array<Group, 2> groups_;
    std::vector<std::int32_t> columnLow_;  // per column, the smallest sum
    std::vector<std::int32_t> columnHigh_; // and the largest
};

} // namespace ondulix::cycle
