#include "cycle/ClassExtremes.h"

#include "cycle/CycleMath.h"

#include <algorithm>
#include <array>
#include <limits>
#include <numeric>
#include <type_traits>
#include <variant>

namespace ondulix::cycle {
namespace {

// Calls each(r, a, b, n) for the straight runs of n root classes from r on that read a fold
// shifted by shiftA at a = (r + shiftA) mod size and one shifted by shiftB at b, at most three.
template <class Each>
void forEachStraightRun(std::size_t size, std::uint64_t shiftA, std::uint64_t shiftB, Each each) {
    for (std::size_t r = 0; r < size;) {
        const auto a = static_cast<std::size_t>((r + shiftA) % size);
        const auto b = static_cast<std::size_t>((r + shiftB) % size);
        const std::size_t n = std::min({size - r, size - a, size - b});
        each(r, a, b, n);
        r += n;
    }
}

// How many of n sums of two values side by side are at most the threshold (`sign` +1) or at least
// its negative (-1): the root classes whose smallest signed sum reaches it.
template <class A, class B>
ONDULIX_WIDEST_INTEGER_CLONES std::size_t countReachingSums(const A* a, const B* b, std::size_t n, int sign,
                                                            std::int32_t threshold) {
    std::size_t count = 0;
    if (sign > 0)
        for (std::size_t r = 0; r < n; ++r)
            count += std::int32_t{a[r]} + b[r] <= threshold ? 1 : 0;
    else
        for (std::size_t r = 0; r < n; ++r)
            count += std::int32_t{a[r]} + b[r] >= -threshold ? 1 : 0;
    return count;
}

// Root classes are scanned for reaching sums in blocks of this many, each counted at full width
// first and looked through one by one only where it holds one: the scan against the looks; four
// times or a quarter of it moved no row of bench/run (ondulix_cycle_perf).
constexpr std::size_t kScanBlock = 256;

// The smallest of n sums of lows side by side, and the largest of the sums of highs.
template <class A, class B>
ONDULIX_WIDEST_INTEGER_CLONES void extremesOfSums(const A* lowsA, const B* lowsB, const A* highsA, const B* highsB,
                                                  std::size_t n, std::int32_t& smallest, std::int32_t& largest) {
    std::int32_t low = smallest;
    std::int32_t high = largest;
    for (std::size_t r = 0; r < n; ++r) {
        low = std::min(low, std::int32_t{lowsA[r]} + lowsB[r]);
        high = std::max(high, std::int32_t{highsA[r]} + highsB[r]);
    }
    smallest = low;
    largest = high;
}

// Where a table's class extremes, in V, stand along their orbit as the group classes go by: one
// group class on moves one place on, back to the orbit's start at its end.
template <class V>
struct OrbitReader {
    const V* mins = nullptr; // the orbit's first place
    const V* maxs = nullptr;
    std::size_t place = 0;
    std::size_t length = 1;

    OrbitReader() = default;
    OrbitReader(const TickedTable& t, const V* orbitMin, const V* orbitMax, std::int32_t x) {
        const std::int32_t at0 = at(t.classPlace, t.classAt(0, x));
        const std::int32_t first = at0 / t.classOrbit * t.classOrbit;
        mins = orbitMin + first;
        maxs = orbitMax + first;
        place = static_cast<std::size_t>(at0 - first);
        length = static_cast<std::size_t>(t.classOrbit);
    }
    std::size_t left() const { return length - place; }
    void advance(std::size_t n) { place = place + n == length ? 0 : place + n; }
};

// One straight piece of the N tables' class sums, n group classes whose class extremes stand side
// by side: folded into the extremes of the n root classes they fall on (Fold), or written there
// as they are, apart from the tables. Like the sums and counts over the folds, also built for
// 64-byte vectors where the processor has them: many_root_classes (bench/run, ondulix_cycle_perf)
// 0.9 times the time.
template <bool Fold, std::size_t N, class V>
ONDULIX_WIDEST_INTEGER_CLONES void combinePiece(const std::array<const V*, N>& mins, const std::array<const V*, N>& maxs,
                                                V* __restrict lows, V* __restrict highs, std::size_t n) {
    for (std::size_t k = 0; k < n; ++k) {
        V low = 0;
        V high = 0;
        for (std::size_t t = 0; t < N; ++t) {
            low = static_cast<V>(low + mins[t][k]);
            high = static_cast<V>(high + maxs[t][k]);
        }
        if constexpr (Fold) {
            lows[k] = std::min(lows[k], low);
            highs[k] = std::max(highs[k], high);
        } else {
            lows[k] = low;
            highs[k] = high;
        }
    }
}

// Root classes are folded in blocks of this many, each through all its group classes before the
// next, so that the block's extremes stay in the nearest cache while the tables stream past:
// a quarter or four times it made many_root_classes (bench/run, ondulix_cycle_perf) 1.03 to 1.07
// times slower, and kept the fold of large_shared_pairs as it was.
constexpr std::size_t kFoldBlock = 2048;

// The N tables' class sums over the group classes 0 .. modulus - 1 (a multiple of the root
// classes, low.size() of them), folded onto the root classes block by block: group class
// r + root k is root class r, and each block of root classes takes its group classes k after k in
// straight pieces, each ending where an orbit wraps. The class extremes are the readers', in V.
template <std::size_t N, class V>
void foldSums(const std::array<OrbitReader<V>, N>& atStart, std::uint64_t modulus, std::span<V> low,
              std::span<V> high) {
    const std::size_t root = low.size();
    const std::uint64_t folds = modulus / root;
    std::array<V, kFoldBlock> blockLow, blockHigh, stretchLow, stretchHigh;
    for (std::size_t block = 0; block < root; block += kFoldBlock) {
        const std::size_t size = std::min(root - block, kFoldBlock);
        std::fill_n(blockLow.begin(), size, std::numeric_limits<V>::max());
        std::fill_n(blockHigh.begin(), size, std::numeric_limits<V>::min());
        // Where the tables stand at the block's first group class, block + root k, moved on by
        // root places from one k to the next.
        std::array<OrbitReader<V>, N> atFold = atStart;
        std::array<std::size_t, N> rootStep{};
        for (std::size_t t = 0; t < N; ++t) {
            OrbitReader<V>& reader = atFold[t];
            reader.place = (reader.place + block % reader.length) % reader.length;
            rootStep[t] = root % reader.length;
        }
        // Fewer root classes than a block: the group classes of several folds follow one another,
        // so their sums are formed in one stretch, then folded row by row.
        const std::uint64_t rows = root < kFoldBlock ? kFoldBlock / root : 1;
        for (std::uint64_t k = 0; k < folds; k += rows) {
            const std::uint64_t these = std::min(rows, folds - k);
            std::array<OrbitReader<V>, N> readers = atFold;
            for (std::size_t t = 0; t < N; ++t) {
                OrbitReader<V>& reader = atFold[t];
                reader.place += these == 1 ? rootStep[t] : root * these % reader.length;
                reader.place -= reader.place >= reader.length ? reader.length : 0;
            }
            const auto stretch = static_cast<std::size_t>(these) * size;
            for (std::size_t r = 0; r < stretch;) {
                std::size_t piece = stretch - r;
                std::array<const V*, N> mins{}, maxs{};
                for (std::size_t t = 0; t < N; ++t) {
                    piece = std::min(piece, readers[t].left());
                    mins[t] = readers[t].mins + readers[t].place;
                    maxs[t] = readers[t].maxs + readers[t].place;
                }
                if (these == 1)
                    combinePiece<true, N, V>(mins, maxs, blockLow.data() + r, blockHigh.data() + r, piece);
                else
                    combinePiece<false, N, V>(mins, maxs, stretchLow.data() + r, stretchHigh.data() + r, piece);
                for (OrbitReader<V>& reader : readers)
                    reader.advance(piece);
                r += piece;
            }
            for (std::size_t row = 0; these > 1 && row < these; ++row)
                combinePiece<true, 1, V>({stretchLow.data() + row * size}, {stretchHigh.data() + row * size}, blockLow.data(),
                                        blockHigh.data(), size);
        }
        std::copy_n(blockLow.begin(), size, low.begin() + static_cast<std::ptrdiff_t>(block));
        std::copy_n(blockHigh.begin(), size, high.begin() + static_cast<std::ptrdiff_t>(block));
    }
}

// The N tables' class sums folded onto the root classes: in 16 bits from the narrow orbits, less
// their offsets, or in 32 from the tables' own.
template <std::size_t N, class V>
void foldSums(std::span<const TickedTable> tables, std::span<const NarrowOrbits> narrow, std::int32_t x,
              std::uint64_t modulus, std::span<V> low, std::span<V> high) {
    std::array<OrbitReader<V>, N> readers;
    for (std::size_t t = 0; t < N; ++t) {
        if constexpr (std::is_same_v<V, std::int16_t>)
            readers[t] = OrbitReader<V>(tables[t], narrow[t].mins.data(), narrow[t].maxs.data(), x);
        else
            readers[t] = OrbitReader<V>(tables[t], tables[t].orbitMin.data(), tables[t].orbitMax.data(), x);
    }
    return foldSums<N, V>(readers, modulus, low, high);
}

// The group's class extremes less the middle of each table's span, in 16 bits, where every sum of
// them fits (the tables' half spans add up to at most 32767): folding then adds twice as many at
// once. Else none.
std::vector<NarrowOrbits> narrowOrbitsOf(std::span<const TickedTable> tables) {
    std::vector<NarrowOrbits> narrow;
    std::int64_t halves = 0;
    for (const TickedTable& t : tables) {
        const std::int32_t lowest = t.lowest(+1);
        const std::int64_t span = std::int64_t{-t.lowest(-1)} - lowest;
        halves += (span + 1) / 2;
        NarrowOrbits n{{}, {}, lowest + static_cast<std::int32_t>(span / 2)};
        for (const std::int32_t v : t.orbitMin)
            n.mins.push_back(static_cast<std::int16_t>(v - n.offset));
        for (const std::int32_t v : t.orbitMax)
            n.maxs.push_back(static_cast<std::int16_t>(v - n.offset));
        narrow.push_back(std::move(n));
    }
    if (halves > std::numeric_limits<std::int16_t>::max())
        narrow.clear();
    return narrow;
}

// Folds are kept where a group has at least this many group classes per root class: their memory
// and writing against folding again for each search. In bench/run (ondulix_cycle_perf, two runs)
// four times it made primes_default_amplitudes, round_lengths_speeds and twice_primes 0.6 to 0.7
// times as slow, but shared_pairs_alternating_speeds 1.3 times slower; a quarter of it moved no row.
constexpr std::uint64_t kWorthKeeping = 4;

std::size_t representativesOf(const ColumnClasses& classes, Columns columns) {
    return static_cast<std::size_t>(std::min(classes.period, columns.count));
}

} // namespace

ClassExtremes::ClassExtremes(const engine::PreviewCycleInput& input, const TableGroups& groups, Columns columns,
                             std::size_t mostKept)
    : root_(groups.rootModulus), columns_(columns) {
    std::vector<const engine::PreviewCycleTable*> ticked;
    for (const engine::PreviewCycleTable& t : input.tables)
        if (t.ticked)
            ticked.push_back(&t);
    for (std::size_t g = 0; g < groups_.size(); ++g) {
        Group& group = groups_[g];
        group.modulus = groups.groupModulus[g];
        for (const std::size_t member : groups.members[g])
            group.tables.emplace_back(*ticked[member], group.modulus);
        group.columnClasses = ColumnClassesOf(group.tables, columns);
        group.narrow = narrowOrbitsOf(group.tables);
        if (group.narrow.empty())
            group.folds = Folds<std::int32_t>{};
        for (const NarrowOrbits& n : group.narrow)
            group.offset += n.offset;
        std::visit(
            [&](auto& folds) {
                folds.scratchLow.resize(static_cast<std::size_t>(root_));
                folds.scratchHigh.resize(static_cast<std::size_t>(root_));
            },
            group.folds);
    }
    keepFoldsThatFit(mostKept);
    columnLow_.assign(static_cast<std::size_t>(columns.count), 0);
    columnHigh_.assign(static_cast<std::size_t>(columns.count), 0);
    // A column's extremes over the cycle: over the root classes, the sums of the groups' folds.
    const auto root = static_cast<std::size_t>(root_);
    forEachColumn([](std::int32_t) { return true; },
                  [&](std::int32_t column, const Fold& a, const Fold& b) {
                      std::int32_t low = std::numeric_limits<std::int32_t>::max();
                      std::int32_t high = std::numeric_limits<std::int32_t>::min();
                      std::visit(
                          [&](const auto& va, const auto& vb) {
                              forEachStraightRun(root, a.shift, b.shift,
                                                 [&](std::size_t, std::size_t ia, std::size_t ib, std::size_t n) {
                                  extremesOfSums(&va.low[ia], &vb.low[ib], &va.high[ia], &vb.high[ib], n, low,
                                                 high);
                              });
                          },
                          a.values, b.values);
                      at(columnLow_, column) = low + a.offset + b.offset;
                      at(columnHigh_, column) = high + a.offset + b.offset;
                  });
}

std::int32_t ClassExtremes::smallest() const {
    return *std::min_element(columnLow_.begin(), columnLow_.end());
}

std::int32_t ClassExtremes::largest() const {
    return *std::max_element(columnHigh_.begin(), columnHigh_.end());
}

std::int32_t ClassExtremes::columnLow(int sign, std::int32_t column) const {
    return sign > 0 ? at(columnLow_, column) : -at(columnHigh_, column);
}

std::uint64_t ClassExtremes::countReaching(int sign, std::int32_t threshold) {
    std::uint64_t count = 0;
    forEachReachingColumn(sign, threshold,
                          [&](std::int32_t, const auto* a, const auto* b, std::int32_t within, std::size_t,
                              std::size_t n) { count += countReachingSums(a, b, n, sign, within); });
    return count;
}

void ClassExtremes::forEachReaching(int sign, std::int32_t threshold,
                                    const std::function<void(std::int32_t, std::uint64_t)>& visit) {
    forEachReachingColumn(sign, threshold, [&](std::int32_t column, const auto* a, const auto* b, std::int32_t within,
                                               std::size_t r, std::size_t n) {
        for (std::size_t block = 0; block < n; block += kScanBlock) {
            const std::size_t end = std::min(n, block + kScanBlock);
            if (countReachingSums(a + block, b + block, end - block, sign, within) == 0)
                continue;
            for (std::size_t k = block; k < end; ++k)
                if (sign * (a[k] + b[k]) <= within)
                    visit(column, r + k);
        }
    });
}

// For each column that reaches the threshold, the straight runs of its root classes r .. r + n - 1
// with the two groups' smallest sums there (their largest, for sign -1) side by side, in the order
// of the root classes, less the folds' offsets, and the threshold that their signed sum is then
// held to.
template <class Each>
void ClassExtremes::forEachReachingColumn(int sign, std::int32_t threshold, Each each) {
    const auto root = static_cast<std::size_t>(root_);
    forEachColumn([&](std::int32_t column) { return columnLow(sign, column) <= threshold; },
                  [&](std::int32_t column, const Fold& a, const Fold& b) {
                      const std::int32_t within = threshold - sign * (a.offset + b.offset);
                      std::visit(
                          [&](const auto& va, const auto& vb) {
                              const auto* lowsA = (sign > 0 ? va.low : va.high).data();
                              const auto* lowsB = (sign > 0 ? vb.low : vb.high).data();
                              forEachStraightRun(root, a.shift, b.shift,
                                                 [&](std::size_t r, std::size_t ia, std::size_t ib, std::size_t n) {
                                                     each(column, lowsA + ia, lowsB + ib, within, r, n);
                                                 });
                          },
                          a.values, b.values);
                  });
}

ClassExtremes::Fold ClassExtremes::foldOf(std::size_t g, std::int32_t column) {
    Group& group = groups_[g];
    const std::int32_t representative = group.columnClasses.representative(column);
    Fold result{{}, group.offset, group.columnClasses.shiftOf(column, group.modulus) % root_};
    std::visit(
        [&](auto& folds) {
            using V = typename decltype(folds.scratchLow)::value_type;
            if (!folds.lows.empty()) {
                const auto root = static_cast<std::size_t>(root_);
                const std::size_t first = static_cast<std::size_t>(representative) * root;
                result.values = Values<V>{std::span<const V>(folds.lows).subspan(first, root),
                                        std::span<const V>(folds.highs).subspan(first, root)};
                return;
            }
            fold<V>(group, columns_.x(representative), folds.scratchLow, folds.scratchHigh);
            result.values = Values<V>{folds.scratchLow, folds.scratchHigh};
        },
        group.folds);
    return result;
}

// The group's class sums over all group classes m folded onto m mod R: group class r + R k is the
// root class r with the k-th choice of the factors the group keeps to itself.
template <class V>
void ClassExtremes::fold(const Group& group, std::int32_t x, std::span<V> low, std::span<V> high) {
    switch (group.tables.size()) {
    case 0:
        std::fill(low.begin(), low.end(), 0);
        std::fill(high.begin(), high.end(), 0);
        return;
    case 1:
        return foldSums<1, V>(group.tables, group.narrow, x, group.modulus, low, high);
    default:
        return foldSums<2, V>(group.tables, group.narrow, x, group.modulus, low, high);
    }
}

bool ClassExtremes::kept(const Group& group) {
    return std::visit([](const auto& folds) { return !folds.lows.empty(); }, group.folds);
}

// Keeps the folds of the groups that fold several group classes onto each root class, as long as
// they fit, the smaller first; a group not kept is folded again whenever a column needs it, which
// costs little more than reading a kept fold where its group classes are the root classes.
void ClassExtremes::keepFoldsThatFit(std::size_t mostKept) {
    std::array<std::size_t, 2> order{0, 1};
    const auto need = [&](std::size_t g) {
        return representativesOf(groups_[g].columnClasses, columns_) * static_cast<std::size_t>(root_) * 2;
    };
    if (need(1) < need(0))
        std::swap(order[0], order[1]);
    std::size_t kept = 0;
    for (const std::size_t g : order) {
        Group& group = groups_[g];
        if (group.modulus < kWorthKeeping * root_ || kept + need(g) > mostKept)
            continue;
        kept += need(g);
        const std::size_t representatives = representativesOf(group.columnClasses, columns_);
        const auto root = static_cast<std::size_t>(root_);
        std::visit(
            [&](auto& folds) {
                using V = typename decltype(folds.scratchLow)::value_type;
                folds.lows.resize(representatives * root);
                folds.highs.resize(representatives * root);
                for (std::size_t r = 0; r < representatives; ++r)
                    fold<V>(group, columns_.x(static_cast<std::int32_t>(r)),
                            std::span<V>(folds.lows).subspan(r * root, root),
                            std::span<V>(folds.highs).subspan(r * root, root));
            },
            group.folds);
    }
}

void ClassExtremes::forEachColumn(const std::function<bool(std::int32_t)>& wanted,
                                  const std::function<void(std::int32_t, const Fold&, const Fold&)>& each) {
    // Columns in the order of the representatives of a group whose folds are not kept, so that
    // each of them is folded once.
    const std::size_t unkept = kept(groups_[1]) ? 0 : 1;
    std::vector<std::int32_t> order(static_cast<std::size_t>(columns_.count));
    std::iota(order.begin(), order.end(), 0);
    const ColumnClasses& classes = groups_[unkept].columnClasses;
    std::stable_sort(order.begin(), order.end(), [&](std::int32_t a, std::int32_t b) {
        return classes.representative(a) < classes.representative(b);
    });
    std::array<std::int32_t, 2> folded{-1, -1}; // the representative each scratch fold holds
    std::array<Fold, 2> folds;
    for (const std::int32_t column : order) {
        if (!wanted(column))
            continue;
        for (std::size_t g = 0; g < 2; ++g) {
            Group& group = groups_[g];
            const std::int32_t representative = group.columnClasses.representative(column);
            if (!kept(group) && folded[g] == representative) {
                folds[g].shift = group.columnClasses.shiftOf(column, group.modulus) % root_;
                continue;
            }
            folds[g] = foldOf(g, column);
            folded[g] = representative;
        }
        each(column, folds[0], folds[1]);
    }
}

} // namespace ondulix::cycle
