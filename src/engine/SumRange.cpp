#include "engine/SumRange.h"

#include "engine/FrameArithmetic.h"

#include <algorithm>
#include <limits>
#include <numeric>
#include <span>
#include <vector>

// How the range is found, and what it costs.
//
// Table t shows at column x in frame f the entry (start + x + step f) mod Length: it comes back
// every P = Length / gcd(Length, step) frames, so it depends on f mod P alone. Only the part of P
// that other ticked tables' periods share ties t to them: h = gcd(P, lcm of the other periods).
// Over the frames f = r (mod h), t shows freely every entry it shows for any such f, so it stands
// for the extremes m(r) of those entries: P steps per column (1).
//
// The ticked tables are split into two groups A and B of at most two; a group's tables depend on
// the frame modulo Q = lcm of their h, and two residues modulo Q_A and Q_B come together in a
// frame exactly when they agree modulo R = gcd(Q_A, Q_B) (Chinese remainder theorem). So the
// extremes over the cycle are the extremes over r mod R of G_A(r) + G_B(r), where G(r) is the
// extreme of the group's sum over its residues y = r (mod R): Q_A + Q_B + R steps (2). Of the
// ways to split, the cheapest by exactly that count is taken.
//
// Columns that show the same as another column a fixed number of frames later give its range:
// each column's tables are brought to a normal form up to such a shift, and only distinct forms
// are computed (3).
//
// The bound. Cut every frame modulus into layers by prime and power, each shared by a set S of
// at least two tables, of n_S residues: then lcm(h) = M = prod n_S and h_t = prod over S holding t
// of n_S, so prod h_t >= M^2 and M <= 2^28 for four tables of at most 16384 frames (2^21 for three,
// 2^14 for two). As Q_A, Q_B and R divide M, a column costs at most 4 * 2^14 steps of (1) and
// 3 M of (2): at most 2^16 + 3 * 2^28 for four tables, 2^16 + 3 * 2^21 for three, 2^15 + 3 * 2^14
// for two, times the distinct columns (at most the 193 columns a frame draws). The cheapest split
// stays far below 3 M: Q_A = M / n_cd and Q_B = M / n_ab for groups {a, b} and {c, d}, and the
// worst we could construct (periods that share six coprime factors near 25, one per pair of
// tables) costs 2 M / 25, about 1.2 * 10^7 steps per column. Memory: the m of each table and G of
// each group, at most 4 * 2^14 + 4 R values.

namespace ondulix::engine {
namespace {

constexpr std::int32_t kNoLow = std::numeric_limits<std::int32_t>::max();
constexpr std::int32_t kNoHigh = std::numeric_limits<std::int32_t>::min();

// One ticked table as the frames move it.
struct Walker {
    std::span<const std::int32_t> entries;
    std::int32_t length = 1;
    std::int32_t step = 0;   // Speed modulo Length
    std::int32_t start = 0;  // Position modulo Length
    std::int32_t spread = 1; // gcd(step, Length): a column sees one coset of it
    std::int32_t period = 1; // Length / spread
    std::int32_t turn = 0;   // (step / spread)^-1 modulo the period
    std::int32_t shared = 1; // h: the part of the period other tables share

    explicit Walker(const PreviewCycleTable& t)
        : entries(t.entries.first(static_cast<std::size_t>(t.Length))), length(t.Length),
          step(floorMod(t.Speed, t.Length)), start(floorMod(t.Position, t.Length)), spread(std::gcd(step, length)),
          period(length / spread),
          turn(static_cast<std::int32_t>(inverseOf(static_cast<std::uint64_t>(step / spread),
                                                   static_cast<std::uint64_t>(period)))) {}

    // Column x, frame f shows entry coset + spread * ((step / spread) * (f + shift) mod period).
    std::int32_t cosetAt(std::int32_t x) const { return (start + x) % spread; }
    std::int32_t shiftAt(std::int32_t x) const {
        const std::int64_t k = (start + x) % length / spread; // (start + x - coset) / spread mod period
        return static_cast<std::int32_t>(k * turn % period);
    }
};

// Extremes over residues: low[r] and high[r].
struct Extremes {
    std::vector<std::int32_t> low, high;

    explicit Extremes(std::size_t n = 0) : low(n, kNoLow), high(n, kNoHigh) {}
    std::size_t size() const { return low.size(); }
};

// (1): the extremes of the entries table w shows at column x over the frames f = r (mod shared).
void foldTable(const Walker& w, std::int32_t x, Extremes& m) {
    std::fill(m.low.begin(), m.low.end(), kNoLow);
    std::fill(m.high.begin(), m.high.end(), kNoHigh);
    const auto shared = static_cast<std::size_t>(w.shared);
    std::int32_t index = (w.start + x) % w.length;
    std::size_t r = 0;
    for (std::int32_t f = 0; f < w.period; ++f) {
        const std::int32_t e = w.entries[static_cast<std::size_t>(index)];
        m.low[r] = std::min(m.low[r], e);
        m.high[r] = std::max(m.high[r], e);
        index += w.step;
        index -= index >= w.length ? w.length : 0;
        r = r + 1 == shared ? 0 : r + 1;
    }
}

ONDULIX_WIDE_INTEGER_CLONES void addSideBySide(const std::int32_t* a, const std::int32_t* b, std::int32_t* to,
                                               std::size_t n) {
    for (std::size_t k = 0; k < n; ++k)
        to[k] = a[k] + b[k];
}

ONDULIX_WIDE_INTEGER_CLONES void keepExtremes(const std::int32_t* low, const std::int32_t* high, std::int32_t* toLow,
                                              std::int32_t* toHigh, std::size_t n) {
    for (std::size_t k = 0; k < n; ++k) {
        toLow[k] = std::min(toLow[k], low[k]);
        toHigh[k] = std::max(toHigh[k], high[k]);
    }
}

// n values for the residues place, place + 1, ... (mod to.size()) folded into `to`; place moves on.
void foldRun(const std::int32_t* low, const std::int32_t* high, std::size_t n, Extremes& to, std::size_t& place) {
    const std::size_t root = to.size();
    if (root == 1) { // one residue: a plain minimum and maximum, not n runs of one
        to.low[0] = std::min(to.low[0], *std::min_element(low, low + n));
        to.high[0] = std::max(to.high[0], *std::max_element(high, high + n));
        return;
    }
    while (n > 0) {
        const std::size_t piece = std::min(n, root - place);
        keepExtremes(low, high, &to.low[place], &to.high[place], piece);
        low += piece;
        high += piece;
        n -= piece;
        place = place + piece == root ? 0 : place + piece;
    }
}

// Sums are formed this many at a time before they are folded.
constexpr std::size_t kRun = 4096;

// (2): G(r), the extremes of the group's sum over its residues y = r (mod root), y < lcm of the
// members' sizes.
void foldGroup(const std::vector<const Extremes*>& members, std::uint64_t modulus, Extremes& g) {
    std::fill(g.low.begin(), g.low.end(), kNoLow);
    std::fill(g.high.begin(), g.high.end(), kNoHigh);
    std::size_t place = 0;
    if (members.empty()) {
        g.low.assign(g.size(), 0);
        g.high.assign(g.size(), 0);
        return;
    }
    if (members.size() == 1)
        return foldRun(members[0]->low.data(), members[0]->high.data(), members[0]->size(), g, place);
    const Extremes& a = *members[0];
    const Extremes& b = *members[1];
    std::vector<std::int32_t> low(kRun), high(kRun);
    std::size_t ia = 0, ib = 0;
    for (std::uint64_t y = 0; y < modulus;) {
        const std::size_t n = std::min({static_cast<std::size_t>(modulus - y), a.size() - ia, b.size() - ib, kRun});
        addSideBySide(&a.low[ia], &b.low[ib], low.data(), n);
        addSideBySide(&a.high[ia], &b.high[ib], high.data(), n);
        foldRun(low.data(), high.data(), n, g, place);
        ia = ia + n == a.size() ? 0 : ia + n;
        ib = ib + n == b.size() ? 0 : ib + n;
        y += n;
    }
}

// The tables in two groups of at most two, as (2) combines them.
struct Split {
    std::array<std::vector<std::size_t>, 2> members;
    std::array<std::uint64_t, 2> modulus{1, 1}; // Q: the lcm of the members' shared parts
    std::uint64_t root = 1;                     // R = gcd(Q_A, Q_B)

    std::uint64_t cost() const { return modulus[0] + modulus[1] + root; }
};

// The ways to put n tables into two groups of at most two, each way once; the cheapest.
Split cheapestSplit(const std::vector<Walker>& tables) {
    const std::size_t n = tables.size();
    std::vector<std::array<std::vector<std::size_t>, 2>> ways;
    if (n < 3) {
        ways.emplace_back();
        for (std::size_t t = 0; t < n; ++t)
            ways.back()[t].push_back(t);
    } else {
        // Three tables: each pair against the third; four: table 0 with each other one.
        for (std::size_t partner = 1; partner < n; ++partner)
            for (std::size_t first = 0; first < (n == 4 ? 1 : partner); ++first) {
                std::array<std::vector<std::size_t>, 2> way;
                for (std::size_t t = 0; t < n; ++t)
                    way[t == first || t == partner ? 0 : 1].push_back(t);
                ways.push_back(way);
            }
    }
    std::optional<Split> best;
    for (const auto& way : ways) {
        Split s{way};
        for (std::size_t g = 0; g < 2; ++g)
            for (const std::size_t t : way[g])
                s.modulus[g] = lcmOf(s.modulus[g], static_cast<std::uint64_t>(tables[t].shared));
        s.root = std::gcd(s.modulus[0], s.modulus[1]);
        if (!best || s.cost() < best->cost())
            best = s;
    }
    return *best;
}

// (3): column x up to a shift of all tables by one number of frames: per table, the coset it sees
// and its shift modulo its shared part, brought to a normal form. A shift D changes each table's
// shift by D; keeping the tables before t as they are leaves D free in multiples of the lcm of
// their shared parts, which moves t's shift through the multiples of the gcd of that lcm and
// t's shared part: the smallest shift reached is the normal one.
std::vector<std::int32_t> normalFormOf(const std::vector<Walker>& tables, std::int32_t x) {
    std::vector<std::uint64_t> shifts;
    for (const Walker& w : tables)
        shifts.push_back(static_cast<std::uint64_t>(w.shiftAt(x) % w.shared));
    std::vector<std::int32_t> form;
    std::uint64_t free = 1; // the common shifts left: multiples of this
    for (std::size_t t = 0; t < tables.size(); ++t) {
        const auto shared = static_cast<std::uint64_t>(tables[t].shared);
        const std::uint64_t g = std::gcd(free, shared);
        const std::uint64_t normal = shifts[t] % g;
        const std::uint64_t need = (normal + shared - shifts[t]) % shared; // a multiple of g
        const std::uint64_t rest = shared / g;
        const std::uint64_t j = need / g * inverseOf(free / g % rest, rest) % rest; // free * j = need
        for (std::size_t s = t + 1; s < tables.size(); ++s) {
            const auto other = static_cast<std::uint64_t>(tables[s].shared);
            shifts[s] = (shifts[s] + free % other * j) % other;
        }
        free = lcmOf(free, shared);
        form.push_back(tables[t].cosetAt(x));
        form.push_back(static_cast<std::int32_t>(normal));
    }
    return form;
}

std::vector<Walker> tickedWalkers(const PreviewCycleInput& input) {
    std::vector<Walker> tables;
    for (const PreviewCycleTable& t : input.tables)
        if (t.ticked)
            tables.emplace_back(t);
    for (std::size_t t = 0; t < tables.size(); ++t) {
        std::uint64_t others = 1;
        for (std::size_t s = 0; s < tables.size(); ++s)
            if (s != t)
                others = lcmOf(others, static_cast<std::uint64_t>(tables[s].period));
        tables[t].shared = static_cast<std::int32_t>(std::gcd(others, static_cast<std::uint64_t>(tables[t].period)));
    }
    return tables;
}

// The range of one column over the whole cycle.
class ColumnRange {
public:
    explicit ColumnRange(const std::vector<Walker>& tables) : tables_(tables), split_(cheapestSplit(tables)) {
        for (const Walker& w : tables)
            folds_.emplace_back(static_cast<std::size_t>(w.shared));
        for (Extremes& g : groups_)
            g = Extremes(static_cast<std::size_t>(split_.root));
    }

    SumRange at(std::int32_t x) {
        for (std::size_t t = 0; t < tables_.size(); ++t)
            foldTable(tables_[t], x, folds_[t]);
        for (std::size_t g = 0; g < 2; ++g) {
            std::vector<const Extremes*> members;
            for (const std::size_t t : split_.members[g])
                members.push_back(&folds_[t]);
            foldGroup(members, split_.modulus[g], groups_[g]);
        }
        SumRange range{kNoLow, kNoHigh};
        for (std::size_t r = 0; r < groups_[0].size(); ++r) {
            range.smallest = std::min(range.smallest, groups_[0].low[r] + groups_[1].low[r]);
            range.largest = std::max(range.largest, groups_[0].high[r] + groups_[1].high[r]);
        }
        return range;
    }

private:
    const std::vector<Walker>& tables_;
    Split split_;
    std::vector<Extremes> folds_;
    std::array<Extremes, 2> groups_;
};

} // namespace

std::optional<SumRange> PreviewSumRange(const PreviewCycleInput& input) {
    CheckCycleInput(input);
    const std::int32_t columns = ColumnCount(input);
    if (columns == 0)
        return std::nullopt;
    const std::vector<Walker> tables = tickedWalkers(input);
    std::vector<std::pair<std::vector<std::int32_t>, std::int32_t>> forms; // normal form, its first x
    for (std::int32_t column = 0; column < columns; ++column) {
        const std::int32_t x = column * input.columnStep;
        forms.emplace_back(normalFormOf(tables, x), x);
    }
    std::stable_sort(forms.begin(), forms.end(), [](const auto& a, const auto& b) { return a.first < b.first; });
    forms.erase(std::unique(forms.begin(), forms.end(), [](const auto& a, const auto& b) { return a.first == b.first; }),
                forms.end());
    ColumnRange column(tables);
    SumRange range{kNoLow, kNoHigh};
    for (const auto& form : forms) {
        const SumRange r = column.at(form.second);
        range.smallest = std::min(range.smallest, r.smallest);
        range.largest = std::max(range.largest, r.largest);
    }
    return range;
}

bool ComesToPositions(const PreviewCycleInput& input, const std::array<std::int32_t, kTableCount>& positions) {
    Congruence frames; // the frames in which the tables so far stand there
    for (std::size_t t = 0; t < input.tables.size(); ++t) {
        if (!input.tables[t].ticked)
            continue;
        const Walker w(input.tables[t]);
        const std::int32_t gap = floorMod(static_cast<std::int64_t>(positions[t]) - w.start, w.length);
        if (gap % w.spread != 0)
            return false;
        const auto frame = static_cast<std::uint64_t>(static_cast<std::int64_t>(gap / w.spread) * w.turn % w.period);
        const auto both = merged(frames, {frame, static_cast<std::uint64_t>(w.period)});
        if (!both)
            return false;
        frames = *both;
    }
    return true;
}

} // namespace ondulix::engine
