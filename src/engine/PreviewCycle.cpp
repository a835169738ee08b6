#include "engine/PreviewCycle.h"

#include <algorithm>
#include <bit>
#include <cmath>
#include <limits>
#include <map>
#include <memory>
#include <numeric>
#include <stdexcept>
#include <string>
#include <utility>
#include <vector>

namespace ondulix::engine {
namespace {

// Entries within +-2^22 keep a sum of four within +-2^24, exact in single precision.
constexpr std::int32_t kLargestEntry = 1 << 22;

template <class T>
const T& at(const std::vector<T>& v, std::int64_t i) {
    return v[static_cast<std::size_t>(i)];
}

template <class T>
T& at(std::vector<T>& v, std::int64_t i) {
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

// The inverse of a modulo n, for a coprime to n (n >= 1).
std::uint64_t inverseOf(std::uint64_t a, std::uint64_t n) {
    std::int64_t r0 = static_cast<std::int64_t>(n), r1 = static_cast<std::int64_t>(a % n);
    std::int64_t s0 = 0, s1 = 1;
    while (r1 != 0) {
        const std::int64_t q = r0 / r1;
        r0 = std::exchange(r1, r0 - q * r1);
        s0 = std::exchange(s1, s0 - q * s1);
    }
    const auto m = static_cast<std::int64_t>(n);
    return static_cast<std::uint64_t>(((s0 % m) + m) % m);
}

// x = residue (mod modulus).
struct Congruence {
    std::uint64_t residue = 0;
    std::uint64_t modulus = 1;
};

// Both congruences at once, or nothing when they contradict. The moduli here divide the shared
// modulus below, so the products stay far inside 64 bits.
std::optional<Congruence> merged(Congruence a, Congruence b) {
    const std::uint64_t g = std::gcd(a.modulus, b.modulus);
    const std::uint64_t gap = (b.residue + b.modulus - a.residue % b.modulus) % b.modulus;
    if (gap % g != 0)
        return std::nullopt;
    const std::uint64_t n = b.modulus / g;
    const std::uint64_t t = (gap / g) % n * inverseOf(a.modulus / g % n, n) % n;
    const std::uint64_t modulus = a.modulus / g * b.modulus;
    return Congruence{(a.residue + a.modulus * t) % modulus, modulus};
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
        const auto turn = static_cast<std::uint32_t>(modOf(frame, length)) * static_cast<std::uint32_t>(step);
        return static_cast<std::int32_t>((turn + static_cast<std::uint32_t>(start + x)) % static_cast<std::uint32_t>(length));
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

// The frame modulus M that makes the tables independent: the lcm of the pairwise gcds of the
// periods, which holds every prime to its second-highest power among them.
std::uint64_t sharedModulusOf(const std::vector<Motion>& ticked) {
    std::uint64_t modulus = 1;
    for (std::size_t a = 0; a < ticked.size(); ++a)
        for (std::size_t b = a + 1; b < ticked.size(); ++b)
            modulus = lcmOf(modulus, static_cast<std::uint64_t>(std::gcd(ticked[a].period, ticked[b].period)));
    return modulus;
}

// One ticked table, with the smallest and largest entry of every class. Frames that agree modulo
// M let the table show any index of one class: the indices congruent modulo `classCount` =
// Length / choices, where `choices` = P / gcd(P, M) is how many there are. Entries are taken with
// a sign: -1 turns the largest into the smallest, so one search serves both directions.
struct TickedTable {
    Motion motion;
    std::span<const std::int32_t> entries;
    std::int32_t choices = 1;
    std::int32_t classCount = 1;
    std::int32_t classStep = 0; // how far one frame moves the class
    std::vector<std::int32_t> classMin;
    std::vector<std::int32_t> classMax;

    TickedTable(const PreviewCycleTable& t, std::uint64_t sharedModulus)
        : motion(t), entries(t.entries.first(static_cast<std::size_t>(t.Length))) {
        const auto period = static_cast<std::uint64_t>(motion.period);
        choices = static_cast<std::int32_t>(period / std::gcd(period, sharedModulus));
        classCount = motion.length / choices;
        classStep = motion.step % classCount;
        classMin.assign(static_cast<std::size_t>(classCount), std::numeric_limits<std::int32_t>::max());
        classMax.assign(static_cast<std::size_t>(classCount), std::numeric_limits<std::int32_t>::min());
        for (std::int32_t i = 0; i < motion.length; ++i) {
            at(classMin, i % classCount) = std::min(at(classMin, i % classCount), entry(i));
            at(classMax, i % classCount) = std::max(at(classMax, i % classCount), entry(i));
        }
        layOutClassOrbits();
    }

    // From one frame class to the next the class moves by classStep, so a column reads the class
    // extremes along an orbit of classOrbit classes; laid out in that order they are read
    // straight through.
    std::int32_t classOrbit = 1;
    std::vector<std::int32_t> orbitMin;   // classMin along the orbits, one orbit after the other
    std::vector<std::int32_t> orbitMax;
    std::vector<std::int32_t> classPlace; // class -> its place in orbitMin and orbitMax

    void layOutClassOrbits() {
        const std::int32_t orbits = std::gcd(classStep, classCount);
        classOrbit = classCount / orbits;
        orbitMin.resize(classMin.size());
        orbitMax.resize(classMax.size());
        classPlace.resize(classMin.size());
        for (std::int32_t o = 0; o < orbits; ++o)
            for (std::int32_t i = 0, c = o; i < classOrbit; ++i, c = (c + classStep) % classCount) {
                at(orbitMin, o * classOrbit + i) = at(classMin, c);
                at(orbitMax, o * classOrbit + i) = at(classMax, c);
                at(classPlace, c) = o * classOrbit + i;
            }
    }

    std::int32_t entry(std::int32_t index) const { return entries[static_cast<std::size_t>(index)]; }
    std::int32_t classAt(std::uint64_t frame, std::int32_t x) const {
        return classCount == 1 ? 0 : motion.indexAt(frame, x) % classCount;
    }
    std::int32_t low(std::int32_t c, int sign) const { return sign > 0 ? at(classMin, c) : -at(classMax, c); }
    std::int32_t high(std::int32_t c, int sign) const { return sign > 0 ? at(classMax, c) : -at(classMin, c); }
    std::int32_t lowest(int sign) const {
        return sign > 0 ? *std::min_element(classMin.begin(), classMin.end())
                        : -*std::max_element(classMax.begin(), classMax.end());
    }
};

// The smallest and largest sums a column can show in each of a run of frame classes m0, m0 + 1,
// ..., added up table by table from the class orbits: straight runs of additions, which is what
// makes sweeping every frame class of every column affordable when the periods share large
// factors.
void addClassSums(std::span<const TickedTable> tables, std::int32_t x, std::uint64_t m0,
                  std::span<std::int32_t> low, std::span<std::int32_t> high) {
    std::int32_t* __restrict lows = low.data(); // the buffers never overlap the tables
    std::int32_t* __restrict highs = high.data();
    for (std::size_t t = 0; t < tables.size(); ++t) {
        const TickedTable& table = tables[t];
        const std::int32_t place = at(table.classPlace, table.classAt(m0, x));
        const std::int32_t base = place / table.classOrbit * table.classOrbit;
        std::int32_t offset = place - base;
        for (std::size_t i = 0; i < low.size();) {
            const auto run = std::min(static_cast<std::size_t>(table.classOrbit - offset), low.size() - i);
            const std::int32_t* __restrict mins = table.orbitMin.data() + base + offset;
            const std::int32_t* __restrict maxs = table.orbitMax.data() + base + offset;
            if (t == 0) {
                std::copy_n(mins, run, lows + i);
                std::copy_n(maxs, run, highs + i);
            } else {
                for (std::size_t u = 0; u < run; ++u)
                    lows[i + u] += mins[u];
                for (std::size_t u = 0; u < run; ++u)
                    highs[i + u] += maxs[u];
            }
            i += run;
            offset = 0;
        }
    }
    if (tables.empty()) {
        std::fill(low.begin(), low.end(), 0);
        std::fill(high.begin(), high.end(), 0);
    }
}

// Plain loops, so that the compiler can reduce several lanes at once.
std::int32_t smallestOf(std::span<const std::int32_t> values) {
    std::int32_t smallest = std::numeric_limits<std::int32_t>::max();
    for (const std::int32_t v : values)
        smallest = std::min(smallest, v);
    return smallest;
}

std::int32_t largestOf(std::span<const std::int32_t> values) {
    std::int32_t largest = std::numeric_limits<std::int32_t>::min();
    for (const std::int32_t v : values)
        largest = std::max(largest, v);
    return largest;
}

// Frame classes are summed in runs of this many.
constexpr std::uint64_t kClassRun = 4096;

// Columns that see the same frame classes, only shifted. Column k's classes at frame class m are
// column (k mod period)'s at m + (k div period) * shift (mod M): moving right by `period` columns
// moves every table by the same number of frames. With pairwise coprime periods M is 1 and one
// column stands for all; with equal speeds, too.
struct ColumnClasses {
    std::int32_t period = 1; // the columns 0 .. period - 1 stand for all
    std::uint64_t shift = 0;

    std::int32_t representative(std::int32_t column) const { return column % period; }
    std::uint64_t shiftOf(std::int32_t column, std::uint64_t sharedModulus) const {
        return static_cast<std::uint64_t>(column / period) % sharedModulus * shift % sharedModulus;
    }
};

// The frames, modulo M, by which moving x columns to the right moves every table at once, if any.
std::optional<Congruence> framesForColumns(std::span<const TickedTable> tables, std::int32_t x) {
    Congruence frames;
    for (const TickedTable& t : tables) {
        // frames * step = x (mod classCount)
        const std::int32_t g = std::gcd(t.classStep, t.classCount);
        if (x % g != 0)
            return std::nullopt;
        const auto n = static_cast<std::uint64_t>(t.classCount / g);
        const std::uint64_t need = static_cast<std::uint64_t>(x % t.classCount / g) *
                                   inverseOf(static_cast<std::uint64_t>(t.classStep / g), n) % n;
        const auto both = merged(frames, {need, n});
        if (!both)
            return std::nullopt;
        frames = *both;
    }
    return frames;
}

ColumnClasses columnClassesOf(std::span<const TickedTable> tables, Columns columns) {
    for (std::int32_t k = 1; k < columns.count; ++k)
        if (const auto frames = framesForColumns(tables, columns.x(k)))
            return {k, frames->residue};
    return {std::max(columns.count, 1), 0};
}

// Per representative column, the smallest and the largest sum over the whole cycle. This pass
// runs through every frame class of every representative column, which is the bulk of the work
// when the periods share large factors, so it keeps to one tight loop for both.
struct ColumnExtremes {
    std::vector<std::int32_t> low;     // smallest sum
    std::vector<std::int32_t> negHigh; // minus the largest sum, so that sign -1 reads it as a low
};

ColumnExtremes representativeExtremes(std::span<const TickedTable> tables, std::uint64_t sharedModulus,
                                      Columns columns, const ColumnClasses& classes) {
    ColumnExtremes extremes;
    std::vector<std::int32_t> low(kClassRun), high(kClassRun);
    for (std::int32_t r = 0; r < std::min(classes.period, columns.count); ++r) {
        std::int32_t smallest = std::numeric_limits<std::int32_t>::max();
        std::int32_t largest = std::numeric_limits<std::int32_t>::min();
        for (std::uint64_t m = 0; m < sharedModulus; m += kClassRun) {
            const auto run = static_cast<std::size_t>(std::min(kClassRun, sharedModulus - m));
            addClassSums(tables, columns.x(r), m, std::span(low).first(run), std::span(high).first(run));
            smallest = std::min(smallest, smallestOf(std::span(low).first(run)));
            largest = std::max(largest, largestOf(std::span(high).first(run)));
        }
        extremes.low.push_back(smallest);
        extremes.negHigh.push_back(-largest);
    }
    return extremes;
}

// The frame classes of each representative column whose smallest sum reaches a threshold,
// found a block at a time when the search first asks about the block, then kept.
class ReachingClasses {
public:
    ReachingClasses(std::span<const TickedTable> tables, std::uint64_t sharedModulus, Columns columns, int sign,
                    std::int32_t threshold)
        : tables_(tables), modulus_(sharedModulus), columns_(columns), sign_(sign), threshold_(threshold) {}

    // The first frame class m >= from of a column, seen through its representative shifted by
    // `shift`, whose smallest sum reaches the threshold.
    std::optional<std::uint64_t> next(std::int32_t representative, std::uint64_t shift, std::uint64_t from) {
        Bits& bits = bitsOf(representative);
        std::uint64_t m = from;
        while (m < modulus_) {
            const std::uint64_t position = (m + shift) % modulus_;
            const std::uint64_t block = position / kBlock;
            if (!at(bits.scanned, static_cast<std::int64_t>(block)))
                scan(bits, representative, block);
            // Within this block, and not past the end of the column's classes.
            const std::uint64_t end = std::min({(block + 1) * kBlock, modulus_, position + (modulus_ - m)});
            if (const auto found = firstSet(bits, position, end))
                return m + (*found - position);
            m += end - position;
        }
        return std::nullopt;
    }

private:
    static constexpr std::uint64_t kBlock = kClassRun;

    struct Bits {
        std::vector<std::uint64_t> words;
        std::vector<char> scanned; // per block
    };

    Bits& bitsOf(std::int32_t representative) {
        Bits& bits = bits_[representative];
        if (bits.words.empty()) {
            bits.words.assign(static_cast<std::size_t>((modulus_ + 63) / 64), 0);
            bits.scanned.assign(static_cast<std::size_t>((modulus_ + kBlock - 1) / kBlock), 0);
        }
        return bits;
    }

    void scan(Bits& bits, std::int32_t representative, std::uint64_t block) {
        const std::uint64_t from = block * kBlock;
        const auto run = static_cast<std::size_t>(std::min(kBlock, modulus_ - from));
        addClassSums(tables_, columns_.x(representative), from, std::span(low_).first(run), std::span(high_).first(run));
        for (std::size_t i = 0; i < run; ++i)
            if ((sign_ > 0 ? low_[i] : -high_[i]) <= threshold_)
                at(bits.words, static_cast<std::int64_t>((from + i) / 64)) |= std::uint64_t{1} << ((from + i) % 64);
        at(bits.scanned, static_cast<std::int64_t>(block)) = 1;
    }

    static std::optional<std::uint64_t> firstSet(const Bits& bits, std::uint64_t from, std::uint64_t to) {
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

    std::span<const TickedTable> tables_;
    std::uint64_t modulus_;
    Columns columns_;
    int sign_;
    std::int32_t threshold_;
    std::map<std::int32_t, Bits> bits_;
    std::vector<std::int32_t> low_ = std::vector<std::int32_t>(kBlock);
    std::vector<std::int32_t> high_ = std::vector<std::int32_t>(kBlock);
};

// Finds the first position at or after `from` whose value is at most a limit, touching a few
// cache lines: the values and, above them, the minimum of every 16, of every 256, and so on.
class FirstAtMostIndex {
public:
    explicit FirstAtMostIndex(std::vector<std::int32_t> values) {
        levels_.push_back(std::move(values));
        while (levels_.back().size() > 1) {
            const std::vector<std::int32_t>& below = levels_.back();
            std::vector<std::int32_t> above((below.size() + kFan - 1) / kFan, std::numeric_limits<std::int32_t>::max());
            for (std::size_t i = 0; i < below.size(); ++i)
                above[i / kFan] = std::min(above[i / kFan], below[i]);
            levels_.push_back(std::move(above));
        }
    }

    const std::vector<std::int32_t>& values() const { return levels_.front(); }

    // The first position >= from holding at most `most`, or -1.
    std::int32_t first(std::int32_t from, std::int32_t most) const {
        auto position = static_cast<std::size_t>(from);
        for (std::size_t level = 0; level < levels_.size(); ++level) {
            const std::vector<std::int32_t>& v = levels_[level];
            const std::size_t end = std::min((position / kFan + 1) * kFan, v.size());
            for (; position < end; ++position)
                if (v[position] <= most)
                    return descend(level, position, most);
            position = (end + kFan - 1) / kFan; // the next group, one level up
        }
        return -1;
    }

private:
    static constexpr std::size_t kFan = 16; // 16 values fill a cache line

    std::int32_t descend(std::size_t level, std::size_t position, std::int32_t most) const {
        while (level > 0) {
            --level;
            position *= kFan;
            while (levels_[level][position] > most)
                ++position;
        }
        return static_cast<std::int32_t>(position);
    }

    std::vector<std::vector<std::int32_t>> levels_;
};

// A queue of search nodes by (frame, column) for frames that never go back: every frame pushed is
// at least the one last popped, as children lie after their parents. Entries sit in buckets by
// the highest bit in which their frame differs from the last one popped (a radix heap), so a pop
// walks memory in order instead of sifting through one large heap. Entries of the last frame
// itself are kept as a small heap by column.
template <class Entry>
class MonotoneQueue {
public:
    bool empty() const { return size_ == 0; }

    // Empties the queue but keeps its memory for the next search.
    void clear() {
        for (std::vector<Entry>& bucket : buckets_)
            bucket.clear();
        last_ = 0;
        size_ = 0;
    }

    void push(const Entry& e) {
        place(e);
        ++size_;
    }

    Entry pop() {
        std::vector<Entry>& now = buckets_[0];
        if (now.empty())
            refill();
        std::pop_heap(now.begin(), now.end(), laterColumn);
        const Entry e = now.back();
        now.pop_back();
        --size_;
        return e;
    }

private:
    static bool laterColumn(const Entry& a, const Entry& b) { return a.column > b.column; }

    void place(const Entry& e) {
        std::vector<Entry>& bucket = buckets_[static_cast<std::size_t>(std::bit_width(e.key ^ last_))];
        bucket.push_back(e);
        if (&bucket == &buckets_[0])
            std::push_heap(bucket.begin(), bucket.end(), laterColumn);
    }

    void refill() {
        std::size_t i = 1;
        while (buckets_[i].empty())
            ++i;
        moving_.swap(buckets_[i]); // both keep their capacity: refills come by the hundred thousand
        last_ = std::min_element(moving_.begin(), moving_.end(), [](const Entry& a, const Entry& b) {
                    return a.key < b.key;
                })->key;
        for (const Entry& e : moving_)
            place(e);
        moving_.clear();
    }

    std::array<std::vector<Entry>, 65> buckets_;
    std::vector<Entry> moving_;
    std::uint64_t last_ = 0;
    std::size_t size_ = 0;
};

// The place combinations of one or two tables whose signed entries sum to at most a budget,
// as steps. Both tables move one place along their orbits per step, and the orbit sizes are
// coprime, so the combination of places (i, j) comes once per cycle, at step CRT(i, j) counted
// from places (0, 0); that map is linear, so from places (a, b) it comes after
// CRT(i, j) - CRT(a, b) steps, modulo the cycle. A single table's step is its place.
class StepIndex {
public:
    struct Step {
        std::uint32_t step = 0;
        std::int32_t sum = 0;
    };
    enum class Use { Successors, Enumeration };

    StepIndex(std::span<const std::int32_t> first, std::span<const std::int32_t> second, std::int32_t budget, Use use)
        : firstSize_(static_cast<std::uint32_t>(first.size())),
          secondSize_(second.empty() ? 1u : static_cast<std::uint32_t>(second.size())),
          inverse_(static_cast<std::uint32_t>(inverseOf(firstSize_ % secondSize_, secondSize_))) {
        const std::array<std::int32_t, 1> none{0};
        if (second.empty())
            second = none;
        const std::vector<std::uint32_t> firstOrder = byValue(first), secondOrder = byValue(second);
        // Count first: loose budgets combine too much to index.
        std::size_t combinations = 0;
        std::size_t reach = secondOrder.size();
        for (const std::uint32_t i : firstOrder) {
            while (reach > 0 && first[i] + second[secondOrder[reach - 1]] > budget)
                --reach;
            combinations += reach;
        }
        if (combinations > kMostCombinations)
            return;
        std::vector<Step> steps;
        steps.reserve(combinations);
        for (const std::uint32_t i : firstOrder)
            for (const std::uint32_t j : secondOrder) {
                if (first[i] + second[j] > budget)
                    break;
                steps.push_back({stepOf(i, j), first[i] + second[j]});
            }
        radixSortBySteps(steps);
        if (use == Use::Enumeration) {
            bySteps_ = std::move(steps);
            usable_ = true;
            return;
        }
        // Per sum, its steps in order: a stable split of the sorted steps.
        for (const Step& st : steps)
            if (std::find(sums_.begin(), sums_.end(), st.sum) == sums_.end()) {
                if (sums_.size() == kMostSums)
                    return;
                sums_.push_back(st.sum);
            }
        std::sort(sums_.begin(), sums_.end());
        std::vector<std::size_t> fill(sums_.size() + 1, 0);
        for (const Step& st : steps)
            ++fill[level(st.sum) + 1];
        for (std::size_t k = 1; k < fill.size(); ++k)
            fill[k] += fill[k - 1];
        starts_ = fill;
        steps_.resize(steps.size());
        for (const Step& st : steps)
            steps_[fill[level(st.sum)]++] = st.step;
        usable_ = true;
    }

    bool usable() const { return usable_; }
    std::uint32_t cycle() const { return firstSize_ * secondSize_; }

    // The step at which places i and j come together, from places 0 and 0.
    std::uint32_t stepOf(std::uint32_t i, std::uint32_t j) const {
        const std::uint64_t gap = (j + secondSize_ - i % secondSize_) % secondSize_;
        return i + firstSize_ * static_cast<std::uint32_t>(gap * inverse_ % secondSize_);
    }

    // The fewest steps from step `from` to a combination that sums to at most `budget`.
    std::optional<std::uint32_t> stepsFrom(std::uint32_t from, std::int32_t budget) const {
        std::optional<std::uint32_t> best;
        for (std::size_t k = 0; k < sums_.size() && sums_[k] <= budget; ++k) {
            const auto begin = steps_.begin() + static_cast<std::ptrdiff_t>(starts_[k]);
            const auto end = steps_.begin() + static_cast<std::ptrdiff_t>(starts_[k + 1]);
            const auto next = std::lower_bound(begin, end, from);
            const std::uint32_t steps = next != end ? *next - from : *begin + cycle() - from;
            best = std::min(best.value_or(steps), steps);
        }
        return best;
    }

    // Every combination within the budget, by step.
    const std::vector<Step>& bySteps() const { return bySteps_; }

private:
    static constexpr std::size_t kMostCombinations = std::size_t{1} << 18;
    static constexpr std::size_t kMostSums = 64;

    static std::vector<std::uint32_t> byValue(std::span<const std::int32_t> values) {
        std::vector<std::uint32_t> order(values.size());
        std::iota(order.begin(), order.end(), 0u);
        std::stable_sort(order.begin(), order.end(), [&](std::uint32_t a, std::uint32_t b) { return values[a] < values[b]; });
        return order;
    }

    // Steps are below 2^28: three passes of ten bits.
    static void radixSortBySteps(std::vector<Step>& steps) {
        std::vector<Step> other(steps.size());
        for (unsigned shift = 0; shift < 30; shift += 10) {
            std::array<std::size_t, 1025> place{};
            for (const Step& st : steps)
                ++place[((st.step >> shift) & 1023u) + 1];
            for (std::size_t b = 1; b < place.size(); ++b)
                place[b] += place[b - 1];
            for (const Step& st : steps)
                other[place[(st.step >> shift) & 1023u]++] = st;
            steps.swap(other);
        }
    }

    std::size_t level(std::int32_t sum) const {
        return static_cast<std::size_t>(std::lower_bound(sums_.begin(), sums_.end(), sum) - sums_.begin());
    }

    std::uint32_t firstSize_;
    std::uint32_t secondSize_;
    std::uint32_t inverse_; // of firstSize modulo secondSize
    std::vector<Step> bySteps_;
    std::vector<std::int32_t> sums_;
    std::vector<std::size_t> starts_; // steps_[starts_[k] .. starts_[k + 1]) have sum sums_[k]
    std::vector<std::uint32_t> steps_;
    bool usable_ = false;
};

// A search node still to visit: a frame class of a column (level -1), or a node that has chosen
// the tables of levels 0 to `level`. Its key alone says which: frames that agree modulo a level's
// modulusAbove share the choices above it, so the node's parent is key mod modulusAbove and its
// choice key div modulusAbove. Everything else is recomputed from the key when it is visited,
// which keeps the queue small.
struct SearchNode {
    std::uint64_t key = 0; // the smallest frame under it
    std::int32_t column = 0;
    std::int32_t level = -1;
};

// A node whose every frame reaches the threshold; its key is the first of them.
constexpr std::int32_t kSettled = -2;
constexpr std::int32_t kCursor = -4; // CoprimeSearch: the next frame of a column's cursor

// How far a search got in its turn.
enum class Outcome { Found, None, NotYet };

struct Hit {
    std::uint64_t frame = 0;
    std::int32_t column = 0;
};

// A table's signed entries laid out along the orbits of the stride by which `modulusAbove` frames
// move its index, one orbit (class) after the other, and where each index sits in them.
struct Orbits {
    std::vector<std::int32_t> values;
    std::vector<std::int32_t> position;
};

Orbits orbitsOf(const TickedTable& t, std::uint64_t modulusAbove, int sign) {
    const std::int32_t length = t.motion.length;
    const auto stride =
        static_cast<std::int32_t>(static_cast<std::int64_t>(modOf(modulusAbove, length)) * t.motion.step % length);
    const std::int32_t size = length / std::gcd(stride, length);
    if (size != t.choices)
        throw std::logic_error("preview cycle: a table's orbit is not its class");
    Orbits orbits{std::vector<std::int32_t>(static_cast<std::size_t>(length)),
                  std::vector<std::int32_t>(static_cast<std::size_t>(length))};
    for (std::int32_t c = 0; c < t.classCount; ++c) {
        std::int32_t index = c;
        for (std::int32_t place = c * size; place < (c + 1) * size; ++place) {
            at(orbits.values, place) = sign * t.entry(index);
            at(orbits.position, index) = place;
            index = (index + stride) % length;
        }
    }
    return orbits;
}

// The tables in the order the searches fix them: those with a choice sparsest first (the fewer
// of its entries can reach the threshold, the fewer candidates survive early), single choices
// last.
std::vector<const TickedTable*> sparsestFirst(std::span<const TickedTable> tables, int sign, std::int32_t threshold) {
    std::int32_t lowest = 0;
    for (const TickedTable& t : tables)
        lowest += t.lowest(sign);
    std::vector<std::pair<double, const TickedTable*>> order;
    for (const TickedTable& t : tables) {
        const std::int32_t budget = threshold - (lowest - t.lowest(sign));
        const auto reaching =
            std::count_if(t.entries.begin(), t.entries.end(), [&](std::int32_t e) { return sign * e <= budget; });
        order.emplace_back(t.choices == 1 ? 2.0 : static_cast<double>(reaching) / t.motion.length, &t);
    }
    std::stable_sort(order.begin(), order.end(), [](const auto& a, const auto& b) { return a.first < b.first; });
    std::vector<const TickedTable*> sorted;
    for (const auto& entry : order)
        sorted.push_back(entry.second);
    return sorted;
}



// The frames one after the other, as the preview draws them. A frame costs a handful of
// operations per column, so sums that come early, however common, are found here long before the
// search would have sorted them out.
class FrameWalk {
public:
    FrameWalk(std::span<const TickedTable> tables, Columns columns, int sign, std::int32_t threshold,
              std::uint64_t cycle)
        : tables_(tables), columns_(columns), sign_(sign), threshold_(threshold), cycle_(cycle) {
        for (std::size_t t = 0; t < tables.size(); ++t) {
            position_[t] = tables[t].motion.start;
            columnStep_[t] = columns.step % tables[t].motion.length;
        }
    }

    bool finished() const { return next_ >= cycle_; }

    // Walks at most `frames` further frames: the first hit, if one comes.
    std::optional<Hit> walk(std::uint64_t frames) {
        for (; frames > 0 && next_ < cycle_; --frames, ++next_) {
            std::array<std::int32_t, kTableCount> index = position_;
            for (std::int32_t column = 0; column < columns_.count; ++column) {
                std::int32_t sum = 0;
                for (std::size_t t = 0; t < tables_.size(); ++t) {
                    sum += tables_[t].entry(index[t]);
                    index[t] += columnStep_[t];
                    if (index[t] >= tables_[t].motion.length)
                        index[t] -= tables_[t].motion.length;
                }
                if (sign_ * sum <= threshold_)
                    return Hit{next_, column};
            }
            for (std::size_t t = 0; t < tables_.size(); ++t) {
                position_[t] += tables_[t].motion.step;
                if (position_[t] >= tables_[t].motion.length)
                    position_[t] -= tables_[t].motion.length;
            }
        }
        return std::nullopt;
    }

private:
    std::span<const TickedTable> tables_;
    Columns columns_;
    int sign_;
    std::int32_t threshold_;
    std::uint64_t cycle_;
    std::uint64_t next_ = 0;
    std::array<std::int32_t, kTableCount> position_{};   // each table's index at x = 0 in frame next_
    std::array<std::int32_t, kTableCount> columnStep_{}; // the column step modulo each Length
};

// The first (frame, column) whose sum, with the entries taken with `sign`, is at most a
// threshold; sign -1 finds the first sum of at least minus that threshold.
class ThresholdSearch {
public:
    ThresholdSearch(std::span<const TickedTable> tables, std::uint64_t sharedModulus, Columns columns,
                    const ColumnClasses& columnClasses, int sign, std::int32_t threshold,
                    MonotoneQueue<SearchNode>& queue)
        : tables_(tables), modulus_(sharedModulus), columns_(columns), columnClasses_(columnClasses), sign_(sign),
          threshold_(threshold), reaching_(tables, sharedModulus, columns, sign, threshold), queue_(queue) {
        queue_.clear();
        std::uint64_t above = sharedModulus;
        for (const TickedTable* table : sparsestFirst(tables_, sign_, threshold_)) {
            levels_.push_back(levelOf(*table, above));
            above *= static_cast<std::uint64_t>(table->choices);
        }
        preparePairs();
    }

    // Queues the first frame class of every column whose smallest sum over the cycle can reach
    // the threshold.
    void start(const std::vector<std::int32_t>& representativeLow) {
        for (std::int32_t column = 0; column < columns_.count; ++column)
            if (at(representativeLow, columnClasses_.representative(column)) <= threshold_)
                pushNextClass(column, 0);
    }

    // Visits at most `visits` nodes; Found leaves the answer in hit().
    Outcome run(std::uint64_t visits) {
        for (; visits > 0; --visits) {
            if (queue_.empty())
                return Outcome::None;
            const SearchNode node = queue_.pop();
            if (node.level == kSettled || visit(node, node.level + 1)) {
                hit_ = Hit{node.key, node.column};
                return Outcome::Found;
            }
            if (node.level < 0)
                pushNextClass(node.column, node.key + 1);
            else
                pushNextSibling(node);
        }
        return Outcome::NotYet;
    }

    Hit hit() const { return hit_; }

private:
    // A table's turn in the search. Under a node, frames step by `modulusAbove`, which moves the
    // table's index by a fixed stride; the orbits of that stride (one per class, one after the
    // other) list its choices in increasing frame order.
    struct Level {
        const TickedTable* table = nullptr;
        std::uint64_t modulusAbove = 1;
        std::int32_t choices = 1;
        std::vector<std::int32_t> orbitPosition; // index -> its place in the orbits
        FirstAtMostIndex orbits;                 // the signed entries in orbit order
    };

    Level levelOf(const TickedTable& t, std::uint64_t modulusAbove) const {
        Orbits orbits = orbitsOf(t, modulusAbove, sign_);
        return Level{&t, modulusAbove, t.choices, std::move(orbits.position), FirstAtMostIndex(std::move(orbits.values))};
    }

    // The last two levels with a choice are settled together by a pair index, when one fits.
    void preparePairs() {
        const auto choiceLevels = static_cast<std::int32_t>(
            std::count_if(levels_.begin(), levels_.end(), [](const Level& l) { return l.choices > 1; }));
        if (choiceLevels < 2)
            return;
        pairLevel_ = choiceLevels - 2;
        secondOrbits_ = orbitsOf(*at(levels_, pairLevel_ + 1).table, at(levels_, pairLevel_).modulusAbove, sign_);
        pairBudget_ = threshold_;
        for (std::int32_t j = 0; j < static_cast<std::int32_t>(levels_.size()); ++j)
            if (j != pairLevel_ && j != pairLevel_ + 1)
                pairBudget_ -= at(levels_, j).table->lowest(sign_);
    }

    const StepIndex* pairIndexFor(std::int32_t firstClass, std::int32_t secondClass) {
        std::unique_ptr<StepIndex>& index = pairIndexes_[{firstClass, secondClass}];
        if (!index) {
            const Level& first = at(levels_, pairLevel_);
            const Level& second = at(levels_, pairLevel_ + 1);
            const auto firstValues = std::span(first.orbits.values()).subspan(
                static_cast<std::size_t>(firstClass * first.choices), static_cast<std::size_t>(first.choices));
            const auto secondValues = std::span(secondOrbits_.values).subspan(
                static_cast<std::size_t>(secondClass * second.choices), static_cast<std::size_t>(second.choices));
            index = std::make_unique<StepIndex>(firstValues, secondValues, pairBudget_, StepIndex::Use::Successors);
        }
        return index->usable() ? index.get() : nullptr;
    }

    // Settles a node at the pair level at once, if a pair index fits: its first hit is queued.
    bool settlePair(const SearchNode& node, std::int32_t x, std::int32_t partial) {
        const Level& first = at(levels_, pairLevel_);
        const Level& second = at(levels_, pairLevel_ + 1);
        const std::int32_t firstIndex = first.table->motion.indexAt(node.key, x);
        const std::int32_t secondIndex = second.table->motion.indexAt(node.key, x);
        const std::int32_t firstClass = firstIndex % first.table->classCount;
        const std::int32_t secondClass = secondIndex % second.table->classCount;
        const StepIndex* index = pairIndexFor(firstClass, secondClass);
        if (!index)
            return false;
        const auto step = index->stepsFrom(
            index->stepOf(static_cast<std::uint32_t>(at(first.orbitPosition, firstIndex) - firstClass * first.choices),
                          static_cast<std::uint32_t>(at(secondOrbits_.position, secondIndex) - secondClass * second.choices)),
            threshold_ - partial - freeLow(node.key, x, pairLevel_ + 2));
        if (step)
            queue_.push({node.key + first.modulusAbove * *step, node.column, kSettled});
        return true;
    }

    void pushNextClass(std::int32_t column, std::uint64_t from) {
        const auto m = reaching_.next(columnClasses_.representative(column),
                                      columnClasses_.shiftOf(column, modulus_), from);
        if (m)
            queue_.push({*m, column, -1});
    }

    std::int32_t signedEntry(std::int32_t level, std::uint64_t frame, std::int32_t x) const {
        const TickedTable& t = *at(levels_, level).table;
        return sign_ * t.entry(t.motion.indexAt(frame, x));
    }

    // The signed sum of the tables chosen above `depth` in the node with the given key.
    std::int32_t chosenSum(std::uint64_t key, std::int32_t x, std::int32_t depth) const {
        std::int32_t sum = 0;
        for (std::int32_t j = 0; j < depth; ++j)
            sum += signedEntry(j, key, x);
        return sum;
    }

    // The smallest signed sum the tables from level `from` on can still add under the node.
    std::int32_t freeLow(std::uint64_t key, std::int32_t x, std::int32_t from) const {
        std::int32_t sum = 0;
        for (std::int32_t j = from; j < static_cast<std::int32_t>(levels_.size()); ++j) {
            const TickedTable& t = *at(levels_, j).table;
            sum += t.low(t.classAt(key, x), sign_);
        }
        return sum;
    }

    std::int32_t freeHigh(std::uint64_t key, std::int32_t x, std::int32_t from) const {
        std::int32_t sum = 0;
        for (std::int32_t j = from; j < static_cast<std::int32_t>(levels_.size()); ++j) {
            const TickedTable& t = *at(levels_, j).table;
            sum += t.high(t.classAt(key, x), sign_);
        }
        return sum;
    }

    // Visits a node that has chosen the tables above `depth` and whose smallest sum reaches the
    // threshold: a hit when every frame under it does, otherwise its first promising child is
    // queued.
    bool visit(const SearchNode& node, std::int32_t depth) {
        const std::int32_t x = columns_.x(node.column);
        const std::int32_t partial = chosenSum(node.key, x, depth);
        if (partial + freeHigh(node.key, x, depth) <= threshold_)
            return true;
        if (depth == pairLevel_ && settlePair(node, x, partial))
            return false;
        pushChoice(node.key, node.column, depth, 0, partial + freeLow(node.key, x, depth + 1));
        return false;
    }

    // Queues the next choice of the same parent as the given node, if one can still reach the
    // threshold.
    void pushNextSibling(const SearchNode& node) {
        const std::uint64_t modulusAbove = at(levels_, node.level).modulusAbove;
        const std::uint64_t parent = node.key % modulusAbove;
        const std::int32_t x = columns_.x(node.column);
        const std::int32_t fixedLow = chosenSum(parent, x, node.level) + freeLow(parent, x, node.level + 1);
        pushChoice(parent, node.column, node.level, static_cast<std::int32_t>(node.key / modulusAbove) + 1, fixedLow);
    }

    // Queues the first choice >= from of the table at `level` under the node `parent` whose entry
    // can still reach the threshold, given the smallest sum `fixedLow` of the other tables.
    void pushChoice(std::uint64_t parent, std::int32_t column, std::int32_t level, std::int32_t from,
                    std::int32_t fixedLow) {
        const Level& l = at(levels_, level);
        if (from >= l.choices)
            return;
        const std::int32_t budget = threshold_ - fixedLow;
        const std::int32_t start = at(l.orbitPosition, l.table->motion.indexAt(parent, columns_.x(column)));
        const std::int32_t base = start / l.choices * l.choices;
        const std::int32_t offset = start - base;
        // Along the orbit from the parent's own place, wrapping at the end of its class.
        std::int32_t choice = -1;
        if (offset + from < l.choices) {
            const std::int32_t found = l.orbits.first(start + from, budget);
            if (found >= 0 && found < base + l.choices)
                choice = found - start;
        }
        if (choice < 0) {
            const std::int32_t found = l.orbits.first(base + std::max(0, offset + from - l.choices), budget);
            if (found >= 0 && found < start)
                choice = found - base + l.choices - offset;
        }
        if (choice >= 0)
            queue_.push({parent + l.modulusAbove * static_cast<std::uint64_t>(choice), column, level});
    }

    std::span<const TickedTable> tables_;
    std::uint64_t modulus_;
    Columns columns_;
    ColumnClasses columnClasses_;
    int sign_;
    std::int32_t threshold_;
    ReachingClasses reaching_;
    std::vector<Level> levels_;
    std::int32_t pairLevel_ = -1; // none
    Orbits secondOrbits_;         // the second pair table along the first one's stride
    std::int32_t pairBudget_ = 0; // the largest budget a pair can be given
    std::map<std::pair<std::int32_t, std::int32_t>, std::unique_ptr<StepIndex>> pairIndexes_;
    MonotoneQueue<SearchNode>& queue_;
    Hit hit_;
};

// The first hit when the periods are pairwise coprime (M = 1), the long cycles. The tables with
// a choice split into two groups, A and B, of at most two each. Frame f shows A's combination
// at step f + psi (mod Q_A) of A's index, psi depending on the column only, so the frames below
// Q_A at which A can still reach the threshold are A's steps read from psi on: in increasing
// order, without a search. Every frame below Q_A that hits is one of them, so a merge of all
// columns' such frames, each checked directly, finds the first hit if it comes before Q_A.
// After that, a frame is f = a + Q_A * u with a below Q_A, and the fewest u for which B comes
// within its budget is one lookup in B's index laid out along the stride of Q_A frames.
class CoprimeSearch {
public:
    CoprimeSearch(std::span<const TickedTable> tables, Columns columns, const ColumnClasses& columnClasses, int sign,
                  std::int32_t threshold, MonotoneQueue<SearchNode>& queue)
        : tables_(tables), columns_(columns), columnClasses_(columnClasses), sign_(sign), threshold_(threshold),
          queue_(queue) {
        queue_.clear();
        for (const TickedTable* t : sparsestFirst(tables, sign, threshold))
            if (t->choices > 1)
                choosing_.push_back(t);
        const std::size_t inA = choosing_.size() / 2;
        for (std::size_t i = 0; i < choosing_.size(); ++i) {
            Group& group = i < inA ? a_ : b_;
            group.tables.push_back(choosing_[i]);
            group.cycle *= static_cast<std::uint64_t>(choosing_[i]->choices);
        }
        for (const TickedTable* t : a_.tables)
            a_.orbits.push_back(orbitsOf(*t, 1, sign));
        for (const TickedTable* t : b_.tables)
            b_.orbits.push_back(orbitsOf(*t, a_.cycle, sign));
    }

    // Sets up every column that can reach the threshold; false when the search does not apply
    // (fewer than two tables with a choice) or an index would grow too large.
    bool start(const std::vector<std::int32_t>& representativeLow) {
        if (choosing_.size() < 2)
            return false;
        cursors_.resize(static_cast<std::size_t>(columns_.count));
        for (std::int32_t column = 0; column < columns_.count; ++column) {
            if (at(representativeLow, columnClasses_.representative(column)) > threshold_)
                continue;
            if (!setUp(column))
                return false;
        }
        return true;
    }

    // Runs to the answer; NotYet when B's index would grow too large to finish this way.
    Outcome run() {
        while (!queue_.empty()) {
            const SearchNode node = queue_.pop();
            if (node.level == kSettled || sumAt(node.key, node.column) <= threshold_) {
                hit_ = Hit{node.key, node.column};
                return Outcome::Found;
            }
            Cursor& cursor = at(cursors_, node.column);
            if (++cursor.next < cursor.a->bySteps().size())
                queue_.push({frameOf(cursor), node.column, kCursor});
            else if (!settleAfterA(node.column))
                return Outcome::NotYet;
        }
        return Outcome::None;
    }

    Hit hit() const { return hit_; }

private:
    struct Group {
        std::vector<const TickedTable*> tables;
        std::vector<Orbits> orbits;
        std::uint64_t cycle = 1;
        std::map<std::tuple<std::int32_t, std::int32_t, std::int32_t>, std::unique_ptr<StepIndex>> indexes;
    };

    // A column's walk through A's steps from psi on.
    struct Cursor {
        const StepIndex* a = nullptr;
        std::uint32_t psi = 0;       // A's step in frame 0
        std::size_t first = 0;       // where psi falls among A's steps
        std::size_t next = 0;        // how many of them have been checked
        std::int32_t constant = 0;   // the tables without a choice, in this column
    };

    bool setUp(std::int32_t column) {
        const std::int32_t x = columns_.x(column);
        Cursor& cursor = at(cursors_, column);
        for (const TickedTable& t : tables_)
            if (t.choices == 1)
                cursor.constant += sign_ * t.entry(t.motion.indexAt(0, x));
        cursor.a = indexFor(a_, x, threshold_ - cursor.constant - lowOf(b_, x), StepIndex::Use::Enumeration);
        if (!cursor.a)
            return false;
        cursor.psi = stepAt0(a_, *cursor.a, x);
        const std::vector<StepIndex::Step>& steps = cursor.a->bySteps();
        if (steps.empty())
            return true; // this column never reaches the threshold
        cursor.first = static_cast<std::size_t>(
            std::lower_bound(steps.begin(), steps.end(), cursor.psi,
                             [](const StepIndex::Step& s, std::uint32_t v) { return s.step < v; }) -
            steps.begin());
        queue_.push({frameOf(cursor), column, kCursor});
        return true;
    }

    // The smallest signed sum a group can show in a column.
    std::int32_t lowOf(const Group& group, std::int32_t x) const {
        std::int32_t sum = 0;
        for (const TickedTable* t : group.tables)
            sum += t->low(t->classAt(0, x), sign_);
        return sum;
    }

    const StepIndex* indexFor(Group& group, std::int32_t x, std::int32_t budget, StepIndex::Use use) {
        std::array<std::int32_t, 2> classes{-1, -1};
        std::array<std::span<const std::int32_t>, 2> values{};
        for (std::size_t g = 0; g < group.tables.size(); ++g) {
            const TickedTable& t = *group.tables[g];
            classes[g] = t.classAt(0, x);
            values[g] = std::span(group.orbits[g].values)
                            .subspan(static_cast<std::size_t>(classes[g] * t.choices), static_cast<std::size_t>(t.choices));
        }
        std::unique_ptr<StepIndex>& index = group.indexes[{classes[0], classes[1], budget}];
        if (!index)
            index = std::make_unique<StepIndex>(values[0], values[1], budget, use);
        return index->usable() ? index.get() : nullptr;
    }

    // The group's step in frame 0 of the column.
    std::uint32_t stepAt0(const Group& group, const StepIndex& index, std::int32_t x) const {
        std::array<std::uint32_t, 2> places{0, 0};
        for (std::size_t g = 0; g < group.tables.size(); ++g) {
            const TickedTable& t = *group.tables[g];
            const std::int32_t place = at(group.orbits[g].position, t.motion.indexAt(0, x));
            places[g] = static_cast<std::uint32_t>(place % t.choices);
        }
        return index.stepOf(places[0], places[1]);
    }

    // The frame of the cursor's current A step.
    std::uint64_t frameOf(const Cursor& cursor) const {
        const std::vector<StepIndex::Step>& steps = cursor.a->bySteps();
        const std::uint32_t step = steps[(cursor.first + cursor.next) % steps.size()].step;
        return (step + a_.cycle - cursor.psi) % a_.cycle;
    }

    std::int32_t sumAt(std::uint64_t frame, std::int32_t column) const {
        const std::int32_t x = columns_.x(column);
        std::int32_t sum = 0;
        for (const TickedTable& t : tables_)
            sum += t.entry(t.motion.indexAt(frame, x));
        return sign_ * sum;
    }

    // No frame of the column below Q_A hits: for each of A's steps, the fewest strides of Q_A
    // frames until B is within what is left of the threshold; the earliest is queued.
    bool settleAfterA(std::int32_t column) {
        const Cursor& cursor = at(cursors_, column);
        const std::int32_t x = columns_.x(column);
        // B is only needed here, so its index is built only here.
        const StepIndex* b = indexFor(b_, x, threshold_ - cursor.constant - lowOf(a_, x), StepIndex::Use::Successors);
        if (!b)
            return false;
        const std::uint32_t bStepAt0 = stepAt0(b_, *b, x);
        const std::uint64_t bCycle = b_.cycle;
        // One frame moves B's step by the inverse of Q_A modulo Q_B.
        const std::uint64_t perFrame = inverseOf(a_.cycle % bCycle, bCycle);
        std::optional<std::uint64_t> first;
        for (const StepIndex::Step& s : cursor.a->bySteps()) {
            const std::uint64_t frame = (s.step + a_.cycle - cursor.psi) % a_.cycle;
            const auto from = static_cast<std::uint32_t>((bStepAt0 + frame % bCycle * perFrame) % bCycle);
            if (const auto strides = b->stepsFrom(from, threshold_ - cursor.constant - s.sum)) {
                const std::uint64_t hit = frame + a_.cycle * *strides;
                first = std::min(first.value_or(hit), hit);
            }
        }
        if (first)
            queue_.push({*first, column, kSettled});
        return true;
    }

    std::span<const TickedTable> tables_;
    Columns columns_;
    ColumnClasses columnClasses_;
    int sign_;
    std::int32_t threshold_;
    std::vector<const TickedTable*> choosing_; // the tables with a choice, sparsest first
    Group a_;
    Group b_;
    std::vector<Cursor> cursors_; // per column
    MonotoneQueue<SearchNode>& queue_;
    Hit hit_;
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

// The whole analysis over the ticked tables of one input with at least one column.
class CycleAnalysis {
public:
    CycleAnalysis(const PreviewCycleInput& input, Columns columns) : columns_(columns) {
        std::vector<Motion> ticked;
        for (const PreviewCycleTable& t : input.tables)
            if (t.ticked)
                ticked.emplace_back(t);
        sharedModulus_ = sharedModulusOf(ticked);
        for (const Motion& m : ticked)
            searchCycle_ = lcmOf(searchCycle_, static_cast<std::uint64_t>(m.period));
        for (const PreviewCycleTable& t : input.tables)
            if (t.ticked)
                tables_.emplace_back(t, sharedModulus_);
        columnClasses_ = columnClassesOf(tables_, columns);
        ColumnExtremes extremes = representativeExtremes(tables_, sharedModulus_, columns, columnClasses_);
        lows_[0] = std::move(extremes.low);
        lows_[1] = std::move(extremes.negHigh);
    }

    std::int32_t smallest() const { return *std::min_element(lows_[0].begin(), lows_[0].end()); }
    std::int32_t largest() const { return -*std::min_element(lows_[1].begin(), lows_[1].end()); }

    // The first sum of at most `limit` (sign +1) or at least `-limit` (sign -1).
    std::optional<CycleSample> firstReaching(int sign, std::int32_t limit) {
        const auto known = answers_.find({sign, limit});
        if (known != answers_.end())
            return known->second;
        std::optional<CycleSample> answer;
        if (const std::optional<Hit> hit = firstHit(sign, limit))
            answer = CycleSample{hit->frame, columns_.x(hit->column), sumAt(*hit)};
        return answers_[{sign, limit}] = answer;
    }

private:
    // A walk through the frames and the search run side by side, in turns of doubling length,
    // until either has the answer. A search visit costs about as much as 30 column sums; the
    // walk gets an eighth of that, which is plenty for sums that come early, however common, and
    // costs rare late ones an eighth more than the search alone.
    std::optional<Hit> firstHit(int sign, std::int32_t limit) {
        const std::vector<std::int32_t>& lows = lows_[sign > 0 ? 0 : 1];
        if (sharedModulus_ == 1) {
            // Its first phase walks the frames itself, checking only those that can hit.
            CoprimeSearch search(tables_, columns_, columnClasses_, sign, limit, queue_);
            if (search.start(lows)) {
                if (const Outcome outcome = search.run(); outcome != Outcome::NotYet)
                    return outcome == Outcome::Found ? std::optional(search.hit()) : std::nullopt;
            }
        }
        ThresholdSearch search(tables_, sharedModulus_, columns_, columnClasses_, sign, limit, queue_);
        search.start(lows);
        return race(sign, limit, search);
    }

    template <class Search>
    std::optional<Hit> race(int sign, std::int32_t limit, Search& search) {
        FrameWalk walk(tables_, columns_, sign, limit, searchCycle_);
        const auto columns = static_cast<std::uint64_t>(columns_.count);
        for (std::uint64_t visits = kFirstTurn;; visits *= 2) {
            if (const auto hit = walk.walk((visits * kWalkSumsPerVisit + columns - 1) / columns))
                return hit;
            if (walk.finished())
                return std::nullopt;
            switch (search.run(visits)) {
            case Outcome::Found:
                return search.hit();
            case Outcome::None:
                return std::nullopt;
            case Outcome::NotYet:
                break;
            }
        }
    }

    static constexpr std::uint64_t kFirstTurn = 256;      // search visits in the first turn
    static constexpr std::uint64_t kWalkSumsPerVisit = 4; // column sums walked per search visit

    std::int32_t sumAt(const Hit& hit) const {
        std::int32_t sum = 0;
        for (const TickedTable& t : tables_)
            sum += t.entry(t.motion.indexAt(hit.frame, columns_.x(hit.column)));
        return sum;
    }

    Columns columns_;
    std::uint64_t sharedModulus_ = 1;
    std::uint64_t searchCycle_ = 1; // the ticked tables repeat together after this many frames
    std::vector<TickedTable> tables_;
    ColumnClasses columnClasses_;
    std::array<std::vector<std::int32_t>, 2> lows_; // per representative column, for sign +1 and -1
    std::map<std::pair<int, std::int32_t>, std::optional<CycleSample>> answers_;
    MonotoneQueue<SearchNode> queue_; // shared by the searches, which keeps its memory warm
};

} // namespace

PreviewCycleReport AnalysePreviewCycle(const PreviewCycleInput& input) {
    requireValid(input);
    PreviewCycleReport report;
    for (const PreviewCycleTable& t : input.tables)
        report.cycleFrames = lcmOf(report.cycleFrames, static_cast<std::uint64_t>(Motion(t).period));
    const Columns columns = columnsOf(input);
    if (columns.count == 0)
        return report;

    CycleAnalysis analysis(input, columns);
    const std::int32_t smallest = analysis.smallest();
    const std::int32_t largest = analysis.largest();
    report.smallest = analysis.firstReaching(+1, smallest);
    report.largest = analysis.firstReaching(-1, -largest);
    const double pastTop = largestPastTop(input.top);
    if (pastTop >= smallest)
        report.firstPastTop = analysis.firstReaching(+1, static_cast<std::int32_t>(std::min<double>(pastTop, largest)));
    const double pastBottom = smallestPastBottom(input.top, input.bottom);
    if (pastBottom <= largest)
        report.firstPastBottom =
            analysis.firstReaching(-1, -static_cast<std::int32_t>(std::max<double>(pastBottom, smallest)));
    return report;
}

} // namespace ondulix::engine
