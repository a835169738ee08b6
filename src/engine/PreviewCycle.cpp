#include "engine/PreviewCycle.h"

#include <algorithm>
#include <bit>
#include <cmath>
#include <functional>
#include <limits>
#include <numeric>
#include <queue>
#include <stdexcept>
#include <string>
#include <vector>

namespace ondulix::engine {
namespace {

// Entries within +-2^22 keep a sum of four within +-2^24, exact in single precision.
constexpr std::int32_t kLargestEntry = 1 << 22;

template <class T>
const T& at(const std::vector<T>& v, std::int32_t i) {
    return v[static_cast<std::size_t>(i)];
}

template <class T>
T& at(std::vector<T>& v, std::int32_t i) {
    return v[static_cast<std::size_t>(i)];
}

std::int32_t floorMod(std::int64_t value, std::int32_t modulus) {
    const auto r = static_cast<std::int32_t>(value % modulus);
    return r < 0 ? r + modulus : r;
}

std::int32_t modOf(std::uint64_t value, std::int32_t modulus) {
    return static_cast<std::int32_t>(value % static_cast<std::uint64_t>(modulus));
}

// Four periods of at most 16384 frames have an lcm of at most 2^56; the check keeps it so.
std::uint64_t lcmOf(std::uint64_t a, std::uint64_t b) {
    const std::uint64_t factor = b / std::gcd(a, b);
    if (a > std::numeric_limits<std::uint64_t>::max() / factor)
        throw std::logic_error("preview cycle: the cycle length does not fit in 64 bits");
    return a * factor;
}

// How one table's index moves from frame to frame.
struct Motion {
    std::int32_t length = 1;
    std::int32_t step = 0;   // Speed modulo Length
    std::int32_t start = 0;  // Position modulo Length
    std::int32_t period = 1; // frames until the position is back: Length / gcd(Length, step)

    explicit Motion(const PreviewCycleTable& t)
        : length(t.Length), step(floorMod(t.Speed, t.Length)), start(floorMod(t.Position, t.Length)),
          period(t.Length / std::gcd(t.Length, step)) {}

    // The entry that column x reads in the given frame.
    std::int32_t indexAt(std::uint64_t frame, std::int32_t x) const {
        return floorMod(static_cast<std::int64_t>(modOf(frame, length)) * step + start + x, length);
    }
};

struct Columns {
    std::int32_t count = 0; // x = 0, step, 2 step, ... : count columns
    std::int32_t step = 1;
    std::int32_t x(std::int32_t column) const { return column * step; }
};

// The columns the frame's loop `for (x = 0; x <= last; x += step)` draws: x is whole, so the
// loop stops after the last multiple of the step not above floor(last).
Columns columnsOf(const PreviewCycleInput& in) {
    if (!(in.lastColumn >= 0.0))
        return {0, in.columnStep};
    return {static_cast<std::int32_t>(std::floor(in.lastColumn)) / in.columnStep + 1, in.columnStep};
}

void require(bool condition, const std::string& what) {
    if (!condition)
        throw std::invalid_argument("preview cycle: " + what);
}

void requireValid(const PreviewCycleInput& in) {
    for (std::size_t i = 0; i < in.tables.size(); ++i) {
        const PreviewCycleTable& t = in.tables[i];
        const std::string table = "table " + std::to_string(i);
        require(t.Length >= 1 && t.Length <= kMaxLength, table + " needs a Length of 1 to 16384");
        if (!t.ticked)
            continue;
        require(t.entries.size() >= static_cast<std::size_t>(t.Length), table + " has fewer entries than its Length");
        const auto entries = t.entries.first(static_cast<std::size_t>(t.Length));
        require(std::all_of(entries.begin(), entries.end(),
                            [](std::int32_t e) { return e >= -kLargestEntry && e <= kLargestEntry; }),
                table + " has an entry beyond +-2^22");
    }
    require(in.columnStep >= 1, "the column step must be at least 1");
    require(!(in.lastColumn > kMaxLength), "the last column must be at most 16384");
}

// One ticked table, with the smallest and largest entry of every class. Frames that agree modulo
// the shared modulus M let the table show any index of one class: the indices congruent modulo
// `classCount` = Length / choices, where `choices` = P / gcd(P, M) is how many there are.
struct TickedTable {
    Motion motion;
    std::span<const std::int32_t> entries;
    std::int32_t choices = 1;
    std::int32_t classCount = 1;
    std::vector<std::int32_t> classMin;
    std::vector<std::int32_t> classMax;

    TickedTable(const PreviewCycleTable& t, std::uint64_t sharedModulus)
        : motion(t), entries(t.entries.first(static_cast<std::size_t>(t.Length))) {
        const auto period = static_cast<std::uint64_t>(motion.period);
        choices = static_cast<std::int32_t>(period / std::gcd(period, sharedModulus));
        classCount = motion.length / choices;
        classMin.assign(static_cast<std::size_t>(classCount), std::numeric_limits<std::int32_t>::max());
        classMax.assign(static_cast<std::size_t>(classCount), std::numeric_limits<std::int32_t>::min());
        for (std::int32_t i = 0; i < motion.length; ++i) {
            const std::int32_t e = entry(i);
            at(classMin, i % classCount) = std::min(at(classMin, i % classCount), e);
            at(classMax, i % classCount) = std::max(at(classMax, i % classCount), e);
        }
    }

    std::int32_t entry(std::int32_t index) const { return entries[static_cast<std::size_t>(index)]; }
    std::int32_t classAt(std::uint64_t frame, std::int32_t x) const { return motion.indexAt(frame, x) % classCount; }
    // A class's extremes with the entries taken with a sign (-1 turns the largest into the smallest).
    std::int32_t low(std::int32_t c, int sign) const { return sign > 0 ? at(classMin, c) : -at(classMax, c); }
    std::int32_t high(std::int32_t c, int sign) const { return sign > 0 ? at(classMax, c) : -at(classMin, c); }
    std::int32_t lowest(int sign) const {
        return sign > 0 ? *std::min_element(classMin.begin(), classMin.end())
                        : -*std::max_element(classMax.begin(), classMax.end());
    }
};

// The frame modulus that makes the tables independent: the lcm of the pairwise gcds of the
// periods, which holds every prime to its second-highest power among them.
std::uint64_t sharedModulusOf(const std::vector<Motion>& ticked) {
    std::uint64_t modulus = 1;
    for (std::size_t a = 0; a < ticked.size(); ++a)
        for (std::size_t b = a + 1; b < ticked.size(); ++b)
            modulus = lcmOf(modulus, static_cast<std::uint64_t>(std::gcd(ticked[a].period, ticked[b].period)));
    return modulus;
}

// Walks the classes of one column through the frame classes m = 0, 1, 2, ... of the shared
// modulus: each step of m moves every table's class by its step.
class ClassCursor {
public:
    ClassCursor(std::span<const TickedTable> tables, std::int32_t x, std::uint64_t m) : tables_(tables) {
        for (std::size_t t = 0; t < tables.size(); ++t)
            class_[t] = tables[t].classAt(m, x);
    }
    void next() {
        for (std::size_t t = 0; t < tables_.size(); ++t) {
            const TickedTable& table = tables_[t];
            class_[t] += table.motion.step % table.classCount;
            if (class_[t] >= table.classCount)
                class_[t] -= table.classCount;
        }
    }
    std::int32_t low(int sign) const {
        std::int32_t sum = 0;
        for (std::size_t t = 0; t < tables_.size(); ++t)
            sum += tables_[t].low(class_[t], sign);
        return sum;
    }

private:
    std::span<const TickedTable> tables_;
    std::array<std::int32_t, kTableCount> class_{};
};

// Answers "the first position in [from, to) holding a value of at most `most`" in O(log n).
class FirstAtMostTree {
public:
    explicit FirstAtMostTree(const std::vector<std::int32_t>& values)
        : leaves_(static_cast<std::int32_t>(std::bit_ceil(std::max<std::size_t>(values.size(), 1)))),
          min_(2 * static_cast<std::size_t>(leaves_), std::numeric_limits<std::int32_t>::max()) {
        std::copy(values.begin(), values.end(), min_.begin() + leaves_);
        for (std::int32_t node = leaves_ - 1; node >= 1; --node)
            at(min_, node) = std::min(at(min_, 2 * node), at(min_, 2 * node + 1));
    }

    std::int32_t first(std::int32_t from, std::int32_t to, std::int32_t most) const {
        return find(1, 0, leaves_, from, to, most);
    }

private:
    std::int32_t find(std::int32_t node, std::int32_t lo, std::int32_t hi, std::int32_t from, std::int32_t to,
                      std::int32_t most) const {
        if (hi <= from || to <= lo || at(min_, node) > most)
            return -1;
        if (hi - lo == 1)
            return lo;
        const std::int32_t mid = lo + (hi - lo) / 2;
        const std::int32_t left = find(2 * node, lo, mid, from, to, most);
        return left >= 0 ? left : find(2 * node + 1, mid, hi, from, to, most);
    }

    std::int32_t leaves_;
    std::vector<std::int32_t> min_;
};

struct Hit {
    std::uint64_t frame = 0;
    std::int32_t column = 0;
};

// The first (frame, column) whose sum, with the entries taken with `sign`, is at most a
// threshold; sign -1 finds the first sum of at least minus that threshold.
class ThresholdSearch {
public:
    ThresholdSearch(std::span<const TickedTable> tables, std::uint64_t sharedModulus, Columns columns, int sign,
                    std::int32_t threshold, std::span<const std::int32_t> columnLow)
        : tables_(tables), modulus_(sharedModulus), columns_(columns), sign_(sign), threshold_(threshold),
          columnLow_(columnLow) {
        orderLevels();
        std::uint64_t above = sharedModulus;
        for (Level& level : levels_) {
            layOutOrbits(level, above);
            above *= static_cast<std::uint64_t>(level.table->choices);
        }
    }

    std::optional<Hit> first() {
        for (std::int32_t column = 0; column < columns_.count; ++column)
            if (columnLow_[static_cast<std::size_t>(column)] <= threshold_)
                pushNextClass(column, 0);
        while (!queue_.empty()) {
            const Pending p = queue_.top();
            queue_.pop();
            if (p.level < 0) {
                if (visit(p.key, p.column, 0, 0))
                    return Hit{p.key, p.column};
                pushNextClass(p.column, p.key + 1);
                continue;
            }
            const Level& level = at(levels_, p.level);
            const std::int32_t value = at(level.orbitValue, p.orbitBase + (p.orbitOffset + p.choice) % level.choices);
            if (visit(p.key, p.column, p.level + 1, p.partial + value))
                return Hit{p.key, p.column};
            pushChoice(p, nextChoice(level, p.orbitBase, p.orbitOffset, p.choice + 1, p.budget));
        }
        return std::nullopt;
    }

private:
    // A table's turn in the search. Under a node, frames step by `modulusAbove`, which moves the
    // table's index by a fixed stride; the orbits of that stride (one per class) list its choices
    // in increasing frame order.
    struct Level {
        const TickedTable* table = nullptr;
        std::uint64_t modulusAbove = 1;
        std::int32_t choices = 1;
        std::vector<std::int32_t> orbitValue;    // orbit of class c at c * choices, signed entries
        std::vector<std::int32_t> orbitPosition; // index -> its place within its orbit
        std::optional<FirstAtMostTree> tree;
    };

    // A node still to visit: the next frame class of a column (level -1), or choice `choice` of
    // the table at `level` under the node (parentKey, partial).
    struct Pending {
        std::uint64_t key = 0; // the smallest frame under it
        std::uint64_t parentKey = 0;
        std::int32_t column = 0;
        std::int32_t level = -1;
        std::int32_t partial = 0; // signed sum of the tables chosen above
        std::int32_t budget = 0;  // the largest entry of this level's table that can still reach the threshold
        std::int32_t choice = 0;
        std::int32_t orbitBase = 0;
        std::int32_t orbitOffset = 0;

        bool operator>(const Pending& other) const {
            return key != other.key ? key > other.key : column > other.column;
        }
    };

    // Tables with a single choice go last: once only they are left, a node's bounds are exact and
    // it is decided without descending. The others go sparsest first: the fewer of its entries can
    // reach the threshold, the fewer nodes survive near the root.
    void orderLevels() {
        std::int32_t lowest = 0;
        for (const TickedTable& t : tables_)
            lowest += t.lowest(sign_);
        std::vector<std::pair<double, const TickedTable*>> order;
        for (const TickedTable& t : tables_) {
            const std::int32_t budget = threshold_ - (lowest - t.lowest(sign_));
            const auto reaching =
                std::count_if(t.entries.begin(), t.entries.end(), [&](std::int32_t e) { return sign_ * e <= budget; });
            order.emplace_back(t.choices == 1 ? 2.0 : static_cast<double>(reaching) / t.motion.length, &t);
        }
        std::stable_sort(order.begin(), order.end(), [](const auto& a, const auto& b) { return a.first < b.first; });
        for (const auto& entry : order) {
            levels_.emplace_back();
            levels_.back().table = entry.second;
        }
    }

    void layOutOrbits(Level& level, std::uint64_t modulusAbove) const {
        const TickedTable& t = *level.table;
        const std::int32_t length = t.motion.length;
        const auto stride = static_cast<std::int32_t>(
            static_cast<std::int64_t>(modOf(modulusAbove, length)) * t.motion.step % length);
        level.modulusAbove = modulusAbove;
        level.choices = length / std::gcd(stride, length);
        if (level.choices != t.choices)
            throw std::logic_error("preview cycle: a table's orbit is not its class");
        level.orbitValue.resize(static_cast<std::size_t>(length));
        level.orbitPosition.resize(static_cast<std::size_t>(length));
        for (std::int32_t c = 0; c < t.classCount; ++c) {
            std::int32_t index = c;
            for (std::int32_t place = 0; place < level.choices; ++place) {
                at(level.orbitValue, c * level.choices + place) = sign_ * t.entry(index);
                at(level.orbitPosition, index) = place;
                index = (index + stride) % length;
            }
        }
        level.tree.emplace(level.orbitValue);
    }

    // The next frame class m >= from of the column whose smallest sum reaches the threshold.
    void pushNextClass(std::int32_t column, std::uint64_t from) {
        if (from >= modulus_)
            return;
        ClassCursor cursor(tables_, columns_.x(column), from);
        for (std::uint64_t m = from; m < modulus_; ++m, cursor.next())
            if (cursor.low(sign_) <= threshold_) {
                Pending p;
                p.key = m;
                p.column = column;
                queue_.push(p);
                return;
            }
    }

    // Visits the node with the given key whose first `depth` tables are chosen: a hit when every
    // frame under it reaches the threshold, otherwise its first promising child is queued.
    // Only nodes whose smallest sum reaches the threshold are visited.
    bool visit(std::uint64_t key, std::int32_t column, std::int32_t depth, std::int32_t partial) {
        const std::int32_t x = columns_.x(column);
        std::int32_t freeLow = 0;
        std::int32_t freeHigh = 0;
        std::int32_t ownLow = 0;
        for (std::int32_t j = depth; j < static_cast<std::int32_t>(levels_.size()); ++j) {
            const TickedTable& t = *at(levels_, j).table;
            const std::int32_t c = t.classAt(key, x);
            freeLow += t.low(c, sign_);
            freeHigh += t.high(c, sign_);
            if (j == depth)
                ownLow = t.low(c, sign_);
        }
        if (partial + freeHigh <= threshold_)
            return true;

        const Level& level = at(levels_, depth);
        const std::int32_t index = level.table->motion.indexAt(key, x);
        Pending p;
        p.parentKey = key;
        p.column = column;
        p.level = depth;
        p.partial = partial;
        p.budget = threshold_ - partial - (freeLow - ownLow);
        p.orbitBase = (index % level.table->classCount) * level.choices;
        p.orbitOffset = at(level.orbitPosition, index);
        pushChoice(p, nextChoice(level, p.orbitBase, p.orbitOffset, 0, p.budget));
        return false;
    }

    // The first choice >= from along the orbit (starting at the parent's own index) whose entry
    // is within the budget, or -1.
    static std::int32_t nextChoice(const Level& level, std::int32_t base, std::int32_t offset, std::int32_t from,
                                   std::int32_t budget) {
        const std::int32_t n = level.choices;
        if (from >= n)
            return -1;
        const std::int32_t start = offset + from;
        if (start < n) {
            const std::int32_t found = level.tree->first(base + start, base + n, budget);
            if (found >= 0)
                return found - base - offset;
        }
        const std::int32_t found = level.tree->first(base + std::max(0, start - n), base + offset, budget);
        return found >= 0 ? found - base + n - offset : -1;
    }

    void pushChoice(Pending p, std::int32_t choice) {
        if (choice < 0)
            return;
        p.choice = choice;
        p.key = p.parentKey + at(levels_, p.level).modulusAbove * static_cast<std::uint64_t>(choice);
        queue_.push(p);
    }

    std::span<const TickedTable> tables_;
    std::uint64_t modulus_;
    Columns columns_;
    int sign_;
    std::int32_t threshold_;
    std::span<const std::int32_t> columnLow_;
    std::vector<Level> levels_;
    std::priority_queue<Pending, std::vector<Pending>, std::greater<>> queue_;
};

// The frame tests float(sum) < top first, then float(sum) > bottom. Sums are whole and exact in
// single precision, so each test is a whole-number limit: the largest sum past the top edge ...
double largestPastTop(float top) {
    return std::isnan(top) ? -std::numeric_limits<double>::infinity() : std::ceil(static_cast<double>(top)) - 1.0;
}

// ... and the smallest sum past the bottom edge that is not already past the top one.
double smallestPastBottom(float top, float bottom) {
    const double below = std::isnan(bottom) ? std::numeric_limits<double>::infinity()
                                            : std::floor(static_cast<double>(bottom)) + 1.0;
    return std::max(below, largestPastTop(top) + 1.0);
}

// The smallest and largest sum each column reaches over the whole cycle: for every frame class
// the tables are independent, so the extremes are sums of class extremes.
struct ColumnExtremes {
    std::vector<std::int32_t> low;     // smallest sum per column
    std::vector<std::int32_t> negHigh; // minus the largest sum per column
};

ColumnExtremes columnExtremesOf(std::span<const TickedTable> tables, std::uint64_t sharedModulus, Columns columns) {
    ColumnExtremes extremes{std::vector<std::int32_t>(static_cast<std::size_t>(columns.count)),
                            std::vector<std::int32_t>(static_cast<std::size_t>(columns.count))};
    for (std::int32_t column = 0; column < columns.count; ++column) {
        ClassCursor cursor(tables, columns.x(column), 0);
        std::int32_t low = cursor.low(+1);
        std::int32_t negHigh = cursor.low(-1);
        for (std::uint64_t m = 1; m < sharedModulus; ++m) {
            cursor.next();
            low = std::min(low, cursor.low(+1));
            negHigh = std::min(negHigh, cursor.low(-1));
        }
        at(extremes.low, column) = low;
        at(extremes.negHigh, column) = negHigh;
    }
    return extremes;
}

} // namespace

PreviewCycleReport AnalysePreviewCycle(const PreviewCycleInput& input) {
    requireValid(input);
    PreviewCycleReport report;
    std::vector<Motion> ticked;
    for (const PreviewCycleTable& t : input.tables) {
        const Motion motion(t);
        report.cycleFrames = lcmOf(report.cycleFrames, static_cast<std::uint64_t>(motion.period));
        if (t.ticked)
            ticked.push_back(motion);
    }
    const Columns columns = columnsOf(input);
    if (columns.count == 0)
        return report;

    const std::uint64_t sharedModulus = sharedModulusOf(ticked);
    std::vector<TickedTable> tables;
    for (const PreviewCycleTable& t : input.tables)
        if (t.ticked)
            tables.emplace_back(t, sharedModulus);
    const ColumnExtremes extremes = columnExtremesOf(tables, sharedModulus, columns);
    const std::int32_t smallest = *std::min_element(extremes.low.begin(), extremes.low.end());
    const std::int32_t largest = -*std::min_element(extremes.negHigh.begin(), extremes.negHigh.end());

    const auto sumAt = [&](const Hit& hit) {
        std::int32_t sum = 0;
        for (const TickedTable& t : tables)
            sum += t.entry(t.motion.indexAt(hit.frame, columns.x(hit.column)));
        return sum;
    };
    // The first sum of at most `limit` (sign +1) or at least `-limit` (sign -1).
    const auto firstReaching = [&](int sign, std::int32_t limit) -> std::optional<CycleSample> {
        const std::vector<std::int32_t>& columnLow = sign > 0 ? extremes.low : extremes.negHigh;
        const std::optional<Hit> hit = ThresholdSearch(tables, sharedModulus, columns, sign, limit, columnLow).first();
        if (!hit)
            return std::nullopt;
        return CycleSample{hit->frame, columns.x(hit->column), sumAt(*hit)};
    };

    report.smallest = firstReaching(+1, smallest);
    report.largest = firstReaching(-1, -largest);
    const double pastTop = largestPastTop(input.top);
    if (pastTop >= smallest)
        report.firstPastTop = firstReaching(+1, static_cast<std::int32_t>(std::min<double>(pastTop, largest)));
    const double pastBottom = smallestPastBottom(input.top, input.bottom);
    if (pastBottom <= largest)
        report.firstPastBottom = firstReaching(-1, -static_cast<std::int32_t>(std::max<double>(pastBottom, smallest)));
    return report;
}

} // namespace ondulix::engine
