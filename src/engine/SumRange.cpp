#include "engine/SumRange.h"

#include "engine/FrameArithmetic.h"

#include <algorithm>
#include <array>
#include <limits>
#include <map>
#include <numeric>
#include <optional>
#include <set>
#include <span>
#include <tuple>
#include <type_traits>
#include <utility>
#include <vector>

// How the range is found, and what it costs.
//
// Table t shows at column x in frame f the entry (start + x + step f) mod Length: it comes back
// every P = Length / gcd(Length, step) frames, so it depends on f mod P alone, and a column sees
// one coset of the spread gcd(Length, step), another column that sees the same coset seeing it a
// shift of some frames later. Only the part of P that other ticked tables' periods share ties t
// to them: h = gcd(P, lcm of the other periods). Over the frames f = r (mod h), t shows freely
// every entry it shows for any such f, so it stands for the extremes m(r) of those entries,
// folded once per coset it shows: at most Length steps per table (1).
//
// The ticked tables are split into two groups A and B of at most two; a group's tables depend on
// the frame modulo Q = lcm of their h, and two residues modulo Q_A and Q_B come together in a
// frame exactly when they agree modulo R = gcd(Q_A, Q_B) (Chinese remainder theorem). So a
// column's extremes over the cycle are the extremes over r mod R of G_A(r) + G_B(r), where G(r)
// is the extreme of the group's sum over its residues y = r (mod R): Q_A + Q_B + R steps (2).
//
// Columns whose tables show the same as another column's a fixed number of frames later have its
// range, and columns whose group shows the same as another column's group a fixed number of
// frames later have its G, rotated by that number (3): each column's tables, and each group's,
// are brought to a normal form up to such a shift, and only distinct forms are folded. A split
// then costs F_A Q_A + F_B Q_B + K R steps for F_g distinct forms of group g and K distinct
// columns, and the cheapest split by that count is taken. The smallest sums are found in one pass
// and the largest in another, each folding and reading one side of every fold: as many steps,
// but the folds kept for later columns take half the cache. The groups' folds take 16-bit values
// where the tables' spans allow (always for the window's own sines), twice as many per step, and
// a pair of tables whose spans add up to at most 252 is folded in 8 bits, twice as many again.
// A group's residues are folded a block at a time, several of their Q / R rounds in one pass over
// the block, so that the block's extremes are loaded and stored once for all of them; first all
// the lows, then all the highs, so that one side of the two tables' folds stays in the
// first-level cache where both sides would not. The sums of
// the two groups are compared in 16 bits as well where they need 17, exactly but for runs whose
// every sum lies near the top, which are compared again in 32 bits. Fewer than 256 residues are
// folded into copies of them side by side, at most 4096 values, which are then folded into each
// other: at most 2 * 4096 steps more per fold, counted below.
//
// The bound. Cut every frame modulus into layers by prime and power, each shared by a set S of
// at least two tables, of n_S residues: then lcm(h) = M = prod n_S and h_t = prod over S holding t
// of n_S, so prod h_t >= M^2 and M <= 2^28 for four tables of at most 16384 frames (2^21 for three,
// 2^14 for two). As Q_A, Q_B and R divide M and F_g and K are at most the K columns a frame draws
// (193 at most), the range costs at most 4 * 2^14 steps of (1) and K (3 M + 2^14) of (2) with
// the copies of two folds: at most 2^16 + 193 (3 * 2^28 + 2^14) for four tables,
// 2^16 + 193 (3 * 2^21 + 2^14) for three, 2^15 + 193 * 2^16 for two. The cheapest split stays
// far below that: Q_A = M / n_cd and Q_B = M / n_ab for groups {a, b} and {c, d}, and a group has
// at most as many forms as residues its two tables share (n_ab times the spreads), so
// F_A Q_A + F_B Q_B is about 2 M where every pair of tables shares its own factor. The worst we
// could construct, six coprime factors near 25, one per pair, has M near 2.4 * 10^8 and costs
// some 5 * 10^8 steps; bench/range-worst searches for slow cases, and bench/run holds the slowest
// it found to a target.
// Memory: the folds of each table's cosets, at most 2 * 4 * 2^14 values (and once more in 8 bits,
// each running on by a block), of one group's forms, kept up to 32 MB.

namespace ondulix::engine {
namespace {

constexpr std::int32_t kNoLow = std::numeric_limits<std::int32_t>::max();
constexpr std::int32_t kNoHigh = std::numeric_limits<std::int32_t>::min();

// Extremes over residues: low[r] and high[r]. Every residue gets a value before it is read.
template <class V>
struct ExtremesOf {
    std::vector<V> low, high;

    explicit ExtremesOf(std::size_t n = 0)
        : low(n, std::numeric_limits<V>::max()), high(n, std::numeric_limits<V>::min()) {}
    std::size_t size() const { return low.size(); }
};
using Extremes = ExtremesOf<std::int32_t>;

// One ticked table as the frames move it. Column x shows in frame f the entry
// coset + spread * (u (f + shift) mod period), u = step / spread: a column sees one coset of the
// spread, and another column that sees the same coset sees it some frames later or earlier.
class Walker {
public:
    explicit Walker(const PreviewCycleTable& t)
        : entries_(t.entries.first(static_cast<std::size_t>(t.Length))), length_(t.Length),
          step_(floorMod(t.Speed, t.Length)), start_(floorMod(t.Position, t.Length)), spread_(std::gcd(step_, length_)),
          period_(length_ / spread_),
          turn_(static_cast<std::int32_t>(inverseOf(static_cast<std::uint64_t>(step_ / spread_),
                                                    static_cast<std::uint64_t>(period_)))) {}

    std::int32_t start() const { return start_; }
    std::int32_t step() const { return step_; }
    std::int32_t spread() const { return spread_; }
    std::int32_t length() const { return length_; }
    std::int32_t period() const { return period_; }
    std::int32_t turn() const { return turn_; }
    std::int32_t shared() const { return shared_; }
    void setShared(std::int32_t shared) { shared_ = shared; }

    std::int32_t lowest() const { return *std::min_element(entries_.begin(), entries_.end()); }
    std::int32_t highest() const { return *std::max_element(entries_.begin(), entries_.end()); }

    std::int32_t cosetAt(std::int32_t x) const { return (start_ + x) % spread_; }
    std::int32_t shiftAt(std::int32_t x) const {
        const std::int64_t k = (start_ + x) % length_ / spread_;
        return static_cast<std::int32_t>(k * turn_ % period_ % shared_);
    }

    // (1): the extremes of the coset's entries over the frames f = r (mod shared) with shift 0.
    const Extremes& foldOf(std::int32_t coset) {
        auto [place, added] = folds_.try_emplace(coset, static_cast<std::size_t>(shared_));
        if (added) {
            Extremes& m = place->second;
            std::int32_t index = coset;
            std::size_t r = 0;
            for (std::int32_t f = 0; f < period_; ++f) {
                const std::int32_t e = entries_[static_cast<std::size_t>(index)];
                m.low[r] = std::min(m.low[r], e);
                m.high[r] = std::max(m.high[r], e);
                index += step_;
                index -= index >= length_ ? length_ : 0;
                r = r + 1 == m.size() ? 0 : r + 1;
            }
        }
        return place->second;
    }

private:
    std::span<const std::int32_t> entries_;
    std::int32_t length_, step_, start_, spread_, period_, turn_;
    std::int32_t shared_ = 1; // h: the part of the period other tables share
    std::map<std::int32_t, Extremes> folds_;
};

// What one column shows of each table: the coset and the shift.
struct Seen {
    std::int32_t coset = 0;
    std::int32_t shift = 0;
};
using ColumnView = std::vector<Seen>;

// (3): a column's view of some of the tables up to one shift D of all of them: per table, its
// coset and its shift in a normal form, and D modulo `modulus`. Keeping the tables before t as
// they are leaves D free in multiples of the lcm of their shared parts, which moves t's shift
// through the multiples of the gcd of that lcm and t's shared part: the smallest shift reached
// is the normal one.
struct Form {
    std::vector<std::int32_t> key;
    std::uint64_t shift = 0; // D modulo the modulus asked for
};

Form normalFormOf(const std::vector<Walker>& tables, const std::vector<std::size_t>& members, const ColumnView& view,
                  std::uint64_t modulus) {
    std::vector<std::uint64_t> shifts;
    for (const std::size_t t : members)
        shifts.push_back(static_cast<std::uint64_t>(view[t].shift));
    Form form;
    std::uint64_t free = 1; // the shifts D still free: multiples of this
    for (std::size_t k = 0; k < members.size(); ++k) {
        const auto shared = static_cast<std::uint64_t>(tables[members[k]].shared());
        const std::uint64_t g = std::gcd(free, shared);
        const std::uint64_t normal = shifts[k] % g;
        const std::uint64_t need = (normal + shared - shifts[k]) % shared; // a multiple of g
        const std::uint64_t rest = shared / g;
        const std::uint64_t j = need / g * inverseOf(free / g % rest, rest) % rest; // free * j = need
        for (std::size_t later = k + 1; later < members.size(); ++later) {
            const auto other = static_cast<std::uint64_t>(tables[members[later]].shared());
            shifts[later] = (shifts[later] + free % other * j) % other;
        }
        form.shift = (form.shift + free % modulus * j) % modulus;
        free = lcmOf(free, shared);
        form.key.push_back(view[members[k]].coset);
        form.key.push_back(static_cast<std::int32_t>(normal));
    }
    return form;
}

// The loops over many residues, for 32-bit values and for 16- and 8-bit ones, which take two and
// four times as many at a time: each is written once and built for every width.
template <class V>
[[gnu::always_inline]] inline void addSideBySideOf(const V* a, const V* b, V* to, std::size_t n) {
    for (std::size_t k = 0; k < n; ++k)
        to[k] = static_cast<V>(a[k] + b[k]);
}

template <class V>
[[gnu::always_inline]] inline void keepExtremesOf(const V* low, const V* high, V* __restrict toLow,
                                                  V* __restrict toHigh, std::size_t n) {
    for (std::size_t k = 0; k < n; ++k) {
        toLow[k] = std::min(toLow[k], low[k]);
        toHigh[k] = std::max(toHigh[k], high[k]);
    }
}

// The sums of two groups' folds are taken one side at a time: the smallest of their lows, or
// the largest of their highs (`Low` says which).
template <bool Low, class V>
[[gnu::always_inline]] inline void extremeOfSumsOf(const V* a, const V* b, std::size_t n, SumRange& range) {
    std::int32_t kept = Low ? range.smallest : range.largest;
    for (std::size_t k = 0; k < n; ++k) {
        const std::int32_t sum = std::int32_t{a[k]} + std::int32_t{b[k]};
        kept = Low ? std::min(kept, sum) : std::max(kept, sum);
    }
    (Low ? range.smallest : range.largest) = kept;
}

#define ONDULIX_FOR_EACH_WIDTH(V)                                                                                      \
    ONDULIX_WIDEST_INTEGER_CLONES void addSideBySide(const V* a, const V* b, V* to, std::size_t n) {                   \
        addSideBySideOf(a, b, to, n);                                                                                  \
    }                                                                                                                  \
    ONDULIX_WIDEST_INTEGER_CLONES void keepExtremes(const V* low, const V* high, V* toLow, V* toHigh, std::size_t n) { \
        keepExtremesOf(low, high, toLow, toHigh, n);                                                                   \
    }
ONDULIX_FOR_EACH_WIDTH(std::int32_t)
ONDULIX_FOR_EACH_WIDTH(std::int16_t)
ONDULIX_FOR_EACH_WIDTH(std::int8_t)
#undef ONDULIX_FOR_EACH_WIDTH

// The sums of the two groups, in 32 bits (8-bit folds are widened before).
#define ONDULIX_FOR_EACH_WIDTH(V)                                                                     \
    ONDULIX_WIDEST_INTEGER_CLONES void extremeOfSums(const V* a, const V* b, std::size_t n, bool low, \
                                                     SumRange& range) {                               \
        low ? extremeOfSumsOf<true>(a, b, n, range) : extremeOfSumsOf<false>(a, b, n, range);         \
    }
ONDULIX_FOR_EACH_WIDTH(std::int32_t)
ONDULIX_FOR_EACH_WIDTH(std::int16_t)
#undef ONDULIX_FOR_EACH_WIDTH

// The same with the sums in 16 bits, where they fit: twice as many at a time. The second group's
// values may be 8-bit ones, as its fold keeps them where they fit, read widened.
template <bool Low, class W>
[[gnu::always_inline]] inline void extremeOfNarrowSumsOf(const std::int16_t* a, const W* b, std::size_t n,
                                                         SumRange& range) {
    std::int16_t kept = Low ? std::numeric_limits<std::int16_t>::max() : std::numeric_limits<std::int16_t>::min();
    for (std::size_t k = 0; k < n; ++k) {
        const auto sum = static_cast<std::int16_t>(a[k] + b[k]);
        kept = Low ? std::min(kept, sum) : std::max(kept, sum);
    }
    if (Low)
        range.smallest = std::min<std::int32_t>(range.smallest, kept);
    else
        range.largest = std::max<std::int32_t>(range.largest, kept);
}

#define ONDULIX_FOR_EACH_WIDTH(W)                                                                            \
    ONDULIX_WIDEST_INTEGER_CLONES void extremeOfNarrowSums(const std::int16_t* a, const W* b, std::size_t n, \
                                                           bool low, SumRange& range) {                      \
        low ? extremeOfNarrowSumsOf<true>(a, b, n, range) : extremeOfNarrowSumsOf<false>(a, b, n, range);    \
    }
ONDULIX_FOR_EACH_WIDTH(std::int16_t)
ONDULIX_FOR_EACH_WIDTH(std::int8_t)
#undef ONDULIX_FOR_EACH_WIDTH

// The same where the sums need 17 bits, still sixteen at a time: the values moved up by 32768
// (the smallest sums) or taken from 32767 (the largest) and added without sign, stopping at
// 65535. The smallest of such sums is exact below 65535, which it is unless every sum of the run
// lies within 32768 of the top of what two values can add up to. False when it is not.
template <bool Low>
[[gnu::always_inline]] inline bool extremeOfWideSumsOf(const std::int16_t* a, const std::int16_t* b, std::size_t n,
                                                       SumRange& range) {
    constexpr std::uint16_t kStop = std::numeric_limits<std::uint16_t>::max();
    constexpr std::uint16_t kFlip = Low ? 0x8000U : 0x7FFFU; // up by 32768, or taken from 32767
    std::uint16_t least = kStop; // the smallest of the raised (or lowered) sums
    for (std::size_t k = 0; k < n; ++k) {
        const auto x = static_cast<std::uint16_t>(static_cast<std::uint16_t>(a[k]) ^ kFlip);
        const auto y = static_cast<std::uint16_t>(static_cast<std::uint16_t>(b[k]) ^ kFlip);
        auto sum = static_cast<std::uint16_t>(x + y);
        sum |= static_cast<std::uint16_t>(-static_cast<std::uint16_t>(sum < x)); // written so it vectorises
        least = least < sum ? least : sum;
    }
    if (least == kStop)
        return false;
    if (Low)
        range.smallest = std::min(range.smallest, std::int32_t{least} - 65536);
    else
        range.largest = std::max(range.largest, 65534 - std::int32_t{least});
    return true;
}

ONDULIX_WIDEST_INTEGER_CLONES bool extremeOfWideSums(const std::int16_t* a, const std::int16_t* b, std::size_t n,
                                                     bool low, SumRange& range) {
    return low ? extremeOfWideSumsOf<true>(a, b, n, range) : extremeOfWideSumsOf<false>(a, b, n, range);
}

// One side's extreme of n sums, formed in 16 bits where they fit (`narrow`), in 32 otherwise.
template <class V>
void extremeOfRun(const V* a, const V* b, std::size_t n, bool low, SumRange& range, bool narrow) {
    if constexpr (std::is_same_v<V, std::int16_t>) {
        if (narrow)
            return extremeOfNarrowSums(a, b, n, low, range);
        if (extremeOfWideSums(a, b, n, low, range))
            return;
    }
    extremeOfSums(a, b, n, low, range);
}

// n values for the residues place, place + 1, ... (mod to.size()) folded into `to`; place moves on.
template <class V>
void foldRun(const V* low, const V* high, std::size_t n, ExtremesOf<V>& to, std::size_t& place) {
    const std::size_t root = to.size();
    while (n > 0) {
        const std::size_t piece = std::min(n, root - place);
        keepExtremes(low, high, &to.low[place], &to.high[place], piece);
        low += piece;
        high += piece;
        n -= piece;
        place = place + piece == root ? 0 : place + piece;
    }
}

// Where the residues are fewer than kFewResidues, sums are formed kRun at a time and folded into
// up to kRun / root copies of the residues side by side, so that a run is folded in long pieces;
// otherwise they are folded a block of residues at a time, the block's extremes staying in the
// first-level cache while every round of the group's residues y = r (mod root) passes over it,
// several rounds in one pass.
constexpr std::size_t kRun = 4096;
constexpr std::size_t kFewResidues = 256;
// A block's 16-bit lows take 4 KB: it stays in the first-level cache beside the rounds' streams;
// shorter blocks start the streams more often, 1024 and 4096 do as well (bench/range-worst --corpus).
constexpr std::size_t kBlock = 2048;
// Rounds folded in one pass over a block: each pass loads and stores the block's extremes once;
// with twelve the compiler no longer vectorises the pass, four do nearly as well
// (bench/range-worst --corpus: seed 7 case 8485, seed 11 case 3888).
constexpr std::size_t kRoundsAtOnce = 8;

// One table of a group as a form shows it: its extremes over `residues` residues, read from
// `shift` on. The fold runs on by kBlock values that repeat it from its start, so that a block
// read from any residue needs no wrapping.
template <class V>
struct Member {
    const ExtremesOf<V>* fold;
    std::size_t residues;
    std::size_t shift;
};

// Where one round reads both members' folds, on one side, for the block at hand.
template <class V>
struct RoundReads {
    const V* a;
    const V* b;
};

// The block's lows (or highs) over K rounds at once; the first pass over a block (`Fresh`)
// starts them.
template <class V, bool Low, std::size_t K, bool Fresh>
[[gnu::always_inline]] inline void foldRoundsOf(const RoundReads<V>* reads, V* __restrict to, std::size_t n) {
    // Held apart from `reads`, which 8-bit stores might change as far as the compiler knows.
    const std::array<RoundReads<V>, K> at = [&]<std::size_t... Q>(std::index_sequence<Q...>) {
        return std::array<RoundReads<V>, K>{reads[Q]...};
    }(std::make_index_sequence<K>{});
    constexpr V kStart = Low ? std::numeric_limits<V>::max() : std::numeric_limits<V>::min();
    // The reads never overlap the block's extremes: no checks of that before the vector loop.
#pragma GCC ivdep
    for (std::size_t k = 0; k < n; ++k) {
        V kept = Fresh ? kStart : to[k];
        for (std::size_t q = 0; q < K; ++q) {
            const auto sum = static_cast<V>(at[q].a[k] + at[q].b[k]);
            kept = Low ? std::min(kept, sum) : std::max(kept, sum);
        }
        to[k] = kept;
    }
}

template <class V, bool Low, std::size_t... K>
[[gnu::always_inline]] inline void foldRoundsUpTo(const RoundReads<V>* reads, std::size_t rounds, bool fresh, V* to,
                                                  std::size_t n, std::index_sequence<K...>) {
    ((rounds == K + 1 ? fresh ? foldRoundsOf<V, Low, K + 1, true>(reads, to, n)
                              : foldRoundsOf<V, Low, K + 1, false>(reads, to, n)
                      : void()),
     ...);
}

#define ONDULIX_FOR_EACH_WIDTH(V)                                                                             \
    ONDULIX_WIDEST_INTEGER_CLONES void foldRounds(const RoundReads<V>* reads, std::size_t rounds, bool fresh, \
                                                  bool low, V* to, std::size_t n) {                           \
        if (low)                                                                                              \
            foldRoundsUpTo<V, true>(reads, rounds, fresh, to, n, std::make_index_sequence<kRoundsAtOnce>{});  \
        else                                                                                                  \
            foldRoundsUpTo<V, false>(reads, rounds, fresh, to, n, std::make_index_sequence<kRoundsAtOnce>{}); \
    }
ONDULIX_FOR_EACH_WIDTH(std::int32_t)
ONDULIX_FOR_EACH_WIDTH(std::int16_t)
ONDULIX_FOR_EACH_WIDTH(std::int8_t)
#undef ONDULIX_FOR_EACH_WIDTH

// The extremes over y below `modulus` of the members' sum, y = r (mod g.size()), a run of sums at
// a time.
template <class V>
void foldGroupRuns(const std::vector<Member<V>>& members, std::uint64_t modulus, ExtremesOf<V>& g) {
    std::size_t place = 0;
    if (members.size() == 1) {
        const ExtremesOf<V>& m = *members[0].fold;
        const std::size_t from = members[0].shift;
        foldRun(&m.low[from], &m.high[from], members[0].residues - from, g, place);
        foldRun(m.low.data(), m.high.data(), from, g, place);
        return;
    }
    const ExtremesOf<V>& a = *members[0].fold;
    const ExtremesOf<V>& b = *members[1].fold;
    const std::size_t sizeA = members[0].residues, sizeB = members[1].residues;
    std::size_t ia = members[0].shift, ib = members[1].shift;
    std::vector<V> low(kRun), high(kRun);
    for (std::uint64_t y = 0; y < modulus;) {
        const std::size_t n = std::min({static_cast<std::size_t>(modulus - y), sizeA - ia, sizeB - ib, kRun});
        addSideBySide(&a.low[ia], &b.low[ib], low.data(), n);
        addSideBySide(&a.high[ia], &b.high[ib], high.data(), n);
        foldRun(low.data(), high.data(), n, g, place);
        ia = ia + n == sizeA ? 0 : ia + n;
        ib = ib + n == sizeB ? 0 : ib + n;
        y += n;
    }
}

// (2) for a group of fewer than two tables or with few residues: both sides of G at once.
template <class V>
void foldSmallGroup(const std::vector<Member<V>>& members, std::uint64_t modulus, ExtremesOf<V>& g) {
    const std::size_t root = g.size();
    std::fill(g.low.begin(), g.low.end(), members.empty() ? V{0} : std::numeric_limits<V>::max());
    std::fill(g.high.begin(), g.high.end(), members.empty() ? V{0} : std::numeric_limits<V>::min());
    // Few residues that come round many times would make many short runs: they are folded
    // into copies side by side, residue r standing at r, r + root, ..., the copies then into g.
    const auto copies = static_cast<std::size_t>(std::min<std::uint64_t>(kRun / root, modulus / root));
    if (members.empty() || root >= kFewResidues || copies < 2)
        return members.empty() ? void() : foldGroupRuns(members, modulus, g);
    ExtremesOf<V> side(root * copies);
    foldGroupRuns(members, modulus, side);
    for (std::size_t left = copies; left > 1;) { // the upper half of the copies onto the lower
        const std::size_t half = left / 2;
        keepExtremes(&side.low[(left - half) * root], &side.high[(left - half) * root], side.low.data(),
                     side.high.data(), half * root);
        left -= half;
    }
    keepExtremes(side.low.data(), side.high.data(), g.low.data(), g.high.data(), root);
}

// (2): G(r), the extremes of the group's sum over its residues y = r (mod g.size()), y below
// `modulus`, the lcm of the members' shared parts: the lows or the highs (`low`), one side of G.
template <class V>
void foldGroup(const std::vector<Member<V>>& members, std::uint64_t modulus, bool low, std::vector<V>& g) {
    const std::size_t root = g.size();
    if (members.size() != 2 || root < kFewResidues) {
        ExtremesOf<V> both(root);
        foldSmallGroup(members, modulus, both);
        const std::vector<V>& side = low ? both.low : both.high;
        std::copy(side.begin(), side.end(), g.begin());
        return;
    }
    // Many residues: a block at a time, whose first pass of rounds starts its extremes.
    const ExtremesOf<V>& a = *members[0].fold;
    const ExtremesOf<V>& b = *members[1].fold;
    const std::size_t sizeA = members[0].residues, sizeB = members[1].residues;
    const auto rounds = static_cast<std::size_t>(modulus / root);
    // Round u reads the members from u * root + first + shift on: each round moves the places on
    // by the root, each block by the block.
    const std::size_t roundA = root % sizeA, roundB = root % sizeB;
    const V* fromA = low ? a.low.data() : a.high.data();
    const V* fromB = low ? b.low.data() : b.high.data();
    V* to = g.data();
    std::array<RoundReads<V>, kRoundsAtOnce> reads{};
    for (std::size_t first = 0; first < root; first += kBlock) {
        const std::size_t count = std::min(kBlock, root - first);
        auto ia = static_cast<std::size_t>((first + members[0].shift) % sizeA);
        auto ib = static_cast<std::size_t>((first + members[1].shift) % sizeB);
        for (std::size_t round = 0; round < rounds;) {
            const std::size_t together = std::min(kRoundsAtOnce, rounds - round);
            for (std::size_t q = 0; q < together; ++q) {
                reads[q] = {fromA + ia, fromB + ib};
                ia = ia + roundA >= sizeA ? ia + roundA - sizeA : ia + roundA;
                ib = ib + roundB >= sizeB ? ib + roundB - sizeB : ib + roundB;
            }
            foldRounds(reads.data(), together, round == 0, low, to + first, count);
            round += together;
        }
    }
}

// The tables in two groups of at most two, as (2) combines them.
struct Split {
    std::array<std::vector<std::size_t>, 2> members;
    std::array<std::uint64_t, 2> modulus{1, 1}; // Q: the lcm of the members' shared parts
    std::uint64_t root = 1;                     // R = gcd(Q_A, Q_B)
    std::array<std::size_t, 2> forms{1, 1};     // the distinct forms of each group the columns show
};

// The ways to put the tables into two groups of at most two, each way once.
std::vector<Split> splitsOf(const std::vector<Walker>& tables) {
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
    std::vector<Split> splits;
    for (const auto& way : ways) {
        Split s{way};
        for (std::size_t g = 0; g < 2; ++g)
            for (const std::size_t t : way[g])
                s.modulus[g] = lcmOf(s.modulus[g], static_cast<std::uint64_t>(tables[t].shared()));
        s.root = std::gcd(s.modulus[0], s.modulus[1]);
        splits.push_back(s);
    }
    return splits;
}

std::size_t distinctForms(const std::vector<Walker>& tables, const std::vector<std::size_t>& members,
                          const std::vector<ColumnView>& columns) {
    std::set<std::vector<std::int32_t>> forms;
    for (const ColumnView& view : columns)
        forms.insert(normalFormOf(tables, members, view, 1).key);
    return forms.size();
}

// What a residue costs beside a step of a group's fold, which streams through the first-level
// cache: added for a column, each of the two groups' folds read from further away (1.5), and kept
// for later columns, in memory the system first has to hand over page by page (6). Measured on
// bench/run's range row (bench/range-worst --corpus: large_shared_pairs, many_root_classes and
// the random cases).
constexpr double kColumnResidue = 1.5;
constexpr double kKeptResidue = 6.0;

// The split that costs least: each group folded once per form its columns show, the fewer forms
// kept, and the two groups' folds added once per column.
Split cheapestSplit(const std::vector<Walker>& tables, const std::vector<ColumnView>& columns) {
    std::optional<Split> best;
    double least = 0.0;
    for (const Split& s : splitsOf(tables)) {
        Split counted = s;
        const auto root = static_cast<double>(s.root);
        double cost = kColumnResidue * static_cast<double>(columns.size()) * root;
        for (std::size_t g = 0; g < 2; ++g) {
            counted.forms[g] = distinctForms(tables, s.members[g], columns);
            cost += static_cast<double>(counted.forms[g]) * static_cast<double>(s.modulus[g]);
        }
        cost += kKeptResidue * static_cast<double>(std::min(counted.forms[0], counted.forms[1])) * root;
        if (!best || cost < least) {
            best = counted;
            least = cost;
        }
    }
    return *best;
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
                others = lcmOf(others, static_cast<std::uint64_t>(tables[s].period()));
        tables[t].setShared(static_cast<std::int32_t>(std::gcd(others, static_cast<std::uint64_t>(tables[t].period()))));
    }
    return tables;
}

// The columns that differ in more than a shift of all tables by one number of frames.
std::vector<ColumnView> distinctColumns(const std::vector<Walker>& tables, const PreviewCycleInput& input) {
    std::vector<std::size_t> all(tables.size());
    std::iota(all.begin(), all.end(), std::size_t{0});
    std::map<std::vector<std::int32_t>, ColumnView> distinct;
    for (std::int32_t column = 0; column < ColumnCount(input); ++column) {
        const std::int32_t x = column * input.columnStep;
        ColumnView view;
        for (const Walker& w : tables)
            view.push_back({w.cosetAt(x), w.shiftAt(x)});
        distinct.try_emplace(normalFormOf(tables, all, view, 1).key, view);
    }
    std::vector<ColumnView> columns;
    for (auto& [key, view] : distinct)
        columns.push_back(std::move(view));
    return columns;
}

// Two entries less the middles of their spans (lowest + floor(span / 2)) add up within -126 to
// 127 where the spans add up to this at most.
constexpr std::int64_t kSmallSpans = 252;

// Folds of one group kept for the columns that show its form again, up to this many bytes; past
// it a form is folded again for each column (the cost the split was chosen by assumes them kept).
constexpr std::size_t kMostKept = std::size_t{1} << 25;

// The entries of each table less its offset, where they fit in V: a group's sums (less the
// offsets) then fit as well, and the sums of the two groups are formed in 32 bits.
struct Narrowing {
    std::vector<std::int32_t> offset; // per table
    bool fits = false;                // every group's sums fit in 16 bits
    bool sumsFit = false;             // and so do the sums of all tables
};

// Entries less the middle of their span lie within -ceil(span / 2) to ceil(span / 2): the sums of
// all tables fit in 16 bits where those add up to at most 32767. Otherwise, entries within
// [lowest, lowest + 49151] less lowest + 16384 lie within -16384 to 32767, and two of them add up
// within 16 bits where their spans add up to at most 65535.
Narrowing narrowingOf(const std::vector<Walker>& tables, const Split& split) {
    Narrowing n{{}, true, false};
    std::vector<std::int64_t> span;
    std::int64_t halves = 0;
    for (const Walker& w : tables) {
        span.push_back(std::int64_t{w.highest()} - w.lowest());
        halves += (span.back() + 1) / 2;
    }
    if (halves <= 32767) {
        for (std::size_t t = 0; t < tables.size(); ++t)
            n.offset.push_back(tables[t].lowest() + static_cast<std::int32_t>(span[t] / 2));
        n.sumsFit = true;
        return n;
    }
    for (std::size_t t = 0; t < tables.size(); ++t) {
        n.offset.push_back(tables[t].lowest() + 16384);
        n.fits = n.fits && span[t] <= 49151;
    }
    for (const auto& members : split.members)
        if (members.size() == 2)
            n.fits = n.fits && span[members[0]] + span[members[1]] <= 65535;
    return n;
}

// The sums' extremes over the distinct columns, the groups' folds shared by the columns that show
// the same form of a group: columns in the order of the outer group's forms, so that each is
// folded once, the inner group's folds kept (the group with fewer forms, so that fewer are kept).
// Values of type V, less the offsets.
template <class V>
class SplitRange {
public:
    SplitRange(std::vector<Walker>& tables, const Split& split, std::vector<std::int32_t> offset, bool sumsFit)
        : tables_(tables), split_(split), offset_(std::move(offset)), sumsFit_(sumsFit) {
        for (const Walker& w : tables_)
            smallOffset_.push_back(w.lowest() + (w.highest() - w.lowest()) / 2);
        for (std::size_t g = 0; g < 2; ++g) {
            const auto& members = split_.members[g];
            std::int64_t spans = 0;
            for (const std::size_t t : members)
                spans += std::int64_t{tables_[t].highest()} - tables_[t].lowest();
            small_[g] = members.size() == 2 && spans <= kSmallSpans;
        }
    }

    SumRange over(std::vector<ColumnView> columns) {
        const std::size_t inner = split_.forms[0] < split_.forms[1] ? 0 : 1;
        const std::size_t outer = 1 - inner;
        const std::vector<Column> ordered = orderedColumns(std::move(columns), inner, outer);
        const auto root = static_cast<std::size_t>(split_.root);
        // The buffers are made as they are first needed: fresh memory costs as it is first touched.
        std::vector<V> outerFold, innerScratch; // one side of a group's fold, as each pass needs
        // Where all sums fit in 16 bits, an outer group folded in 8 bits is added as it is: its
        // offsets are then the same as the 16-bit ones (the middles of the spans).
        const bool outerNarrow = std::is_same_v<V, std::int16_t> && sumsFit_ && small_[outer] && liftOf(outer) == 0;
        std::vector<std::int8_t> outerSmallFold(outerNarrow ? root : 0);
        // Kept folds past their last use, whose memory is at hand: the second pass keeps its sides
        // in the memory of the first's.
        std::vector<std::vector<V>> spare;
        SumRange range{kNoLow, kNoHigh};
        // The smallest sums first, then the largest: each pass folds and reads one side of the
        // groups' folds, so that the folds it keeps take half the cache.
        for (const bool low : {true, false}) {
            std::map<std::vector<std::int32_t>, int> innerUses; // only a form shown again is kept
            for (const Column& column : ordered)
                ++innerUses[column.inner.key];
            std::optional<std::vector<std::int32_t>> folded; // the outer form in outerFold
            std::map<std::vector<std::int32_t>, std::vector<V>> kept;
            for (const auto& [outerForm, innerForm, view] : ordered) {
                if (folded != outerForm.key) {
                    if (outerNarrow)
                        foldGroup(membersOf(outer, view, smallFolds_, smallOffset_), split_.modulus[outer], low,
                                  outerSmallFold);
                    else
                        foldGroupOf(outer, view, low, sized(outerFold, root));
                    folded = outerForm.key;
                }
                const std::vector<V>* innerFold = nullptr;
                if (const auto found = kept.find(innerForm.key); found != kept.end())
                    innerFold = &found->second;
                else {
                    const bool keep =
                        innerUses[innerForm.key] > 1 && (kept.size() + 1) * root * sizeof(V) <= kMostKept;
                    std::vector<V>* into = nullptr;
                    if (!keep)
                        into = &sized(innerScratch, root);
                    else if (spare.empty())
                        into = &kept.try_emplace(innerForm.key, root).first->second;
                    else {
                        into = &kept.try_emplace(innerForm.key, std::move(spare.back())).first->second;
                        spare.pop_back();
                    }
                    foldGroupOf(inner, view, low, *into);
                    innerFold = into;
                }
                if (outerNarrow)
                    addRotated(*innerFold, innerForm.shift, outerSmallFold, outerForm.shift, low, range, true);
                else
                    addRotated(outerFold, outerForm.shift, *innerFold, innerForm.shift, low, range, sumsFit_);
                if (--innerUses[innerForm.key] == 0)
                    if (const auto done = kept.find(innerForm.key); done != kept.end()) {
                        spare.push_back(std::move(done->second));
                        kept.erase(done);
                    }
            }
        }
        std::int32_t offsets = 0;
        for (const std::int32_t o : offset_)
            offsets += o;
        return {range.smallest + offsets, range.largest + offsets};
    }

private:
    // A column with the forms its two groups show.
    struct Column {
        Form outer, inner;
        ColumnView view;
    };

    // The columns by outer form, so that each is folded once; the outer forms in the order of the
    // inner forms their columns show, and each one's columns by inner form, so that folds shown
    // again come back soon, while they are still in the cache, and fewer are kept at once.
    std::vector<Column> orderedColumns(std::vector<ColumnView> views, std::size_t inner, std::size_t outer) const {
        std::vector<Column> columns;
        std::map<std::vector<std::int32_t>, std::vector<std::vector<std::int32_t>>> innersOf; // by outer form
        for (ColumnView& view : views) {
            columns.push_back({formOf(outer, view), formOf(inner, view), std::move(view)});
            innersOf[columns.back().outer.key].push_back(columns.back().inner.key);
        }
        for (auto& [key, inners] : innersOf)
            std::sort(inners.begin(), inners.end());
        std::sort(columns.begin(), columns.end(), [&](const Column& a, const Column& b) {
            return std::tie(innersOf[a.outer.key], a.outer.key, a.inner.key) <
                   std::tie(innersOf[b.outer.key], b.outer.key, b.inner.key);
        });
        return columns;
    }

    Form formOf(std::size_t g, const ColumnView& view) const {
        return normalFormOf(tables_, split_.members[g], view, split_.root);
    }

    // A table's extremes over a coset in W, less its offset, and as many values more from the
    // start as a block of the groups' residues reads past the end.
    template <class W>
    const ExtremesOf<W>& foldOf(std::map<std::pair<std::size_t, std::int32_t>, ExtremesOf<W>>& folds, std::size_t t,
                                std::int32_t coset, std::int32_t offset) {
        auto [place, added] = folds.try_emplace({t, coset});
        if (added) {
            const Extremes& wide = tables_[t].foldOf(coset);
            const std::size_t residues = wide.size();
            const std::size_t total = residues + static_cast<std::size_t>(std::min<std::uint64_t>(kBlock, split_.root));
            ExtremesOf<W>& narrow = place->second;
            narrow.low.resize(total);
            narrow.high.resize(total);
            for (std::size_t k = 0; k < total; ++k) {
                const std::size_t from = k < residues ? k : k - residues; // k - residues is below k
                narrow.low[k] = k < residues ? static_cast<W>(wide.low[k] - offset) : narrow.low[from];
                narrow.high[k] = k < residues ? static_cast<W>(wide.high[k] - offset) : narrow.high[from];
            }
        }
        return place->second;
    }

    // The members as the group's normal form shows them, in W less `offsets`.
    template <class W>
    std::vector<Member<W>> membersOf(std::size_t g, const ColumnView& view,
                                     std::map<std::pair<std::size_t, std::int32_t>, ExtremesOf<W>>& folds,
                                     const std::vector<std::int32_t>& offsets) {
        const Form form = formOf(g, view);
        std::vector<Member<W>> members;
        for (std::size_t k = 0; k < split_.members[g].size(); ++k) {
            const std::size_t t = split_.members[g][k];
            members.push_back({&foldOf(folds, t, form.key[2 * k], offsets[t]),
                               static_cast<std::size_t>(tables_[t].shared()),
                               static_cast<std::size_t>(form.key[2 * k + 1])});
        }
        return members;
    }

    // G of group g for the column's form, in V less the offsets. A pair of tables whose spans add
    // up to kSmallSpans at most is folded in 8 bits, twice as many sums at a time, less offsets
    // of its own (the middles of the spans), and widened.
    // One side (`low`) of G, as foldGroup.
    void foldGroupOf(std::size_t g, const ColumnView& view, bool low, std::vector<V>& into) {
        if (!small_[g])
            return foldGroup(membersOf(g, view, folds_, offset_), split_.modulus[g], low, into);
        foldGroup(membersOf(g, view, smallFolds_, smallOffset_), split_.modulus[g], low,
                  sized(smallScratch_, into.size()));
        const std::int32_t lift = liftOf(g);
        for (std::size_t r = 0; r < into.size(); ++r)
            into[r] = static_cast<V>(smallScratch_[r] + lift);
    }

    template <class W>
    static std::vector<W>& sized(std::vector<W>& buffer, std::size_t size) {
        buffer.resize(size);
        return buffer;
    }

    // What group g's 8-bit folds are less its V folds.
    std::int32_t liftOf(std::size_t g) const {
        std::int32_t lift = 0;
        for (const std::size_t t : split_.members[g])
            lift += smallOffset_[t] - offset_[t];
        return lift;
    }

    // The smallest (`low`) or the largest over r of a(r - shiftA) + b(r - shiftB), one side of the
    // folds of forms that the column shows shifted by D_A and D_B.
    // The sums are formed in V where they fit (`narrow`), in 32 bits otherwise; b's values may
    // be 8-bit ones where the sums fit in 16 bits.
    template <class W>
    static void addRotated(const std::vector<V>& a, std::uint64_t shiftA, const std::vector<W>& b,
                           std::uint64_t shiftB, bool low, SumRange& range, bool narrow) {
        const std::size_t root = a.size();
        const V* fromA = a.data();
        const W* fromB = b.data();
        std::size_t ia = static_cast<std::size_t>((root - shiftA % root) % root);
        std::size_t ib = static_cast<std::size_t>((root - shiftB % root) % root);
        for (std::size_t r = 0; r < root;) {
            const std::size_t n = std::min({root - r, root - ia, root - ib});
            if constexpr (std::is_same_v<V, W>)
                extremeOfRun(fromA + ia, fromB + ib, n, low, range, narrow);
            else if constexpr (std::is_same_v<V, std::int16_t>)
                extremeOfNarrowSums(fromA + ia, fromB + ib, n, low, range);
            r += n;
            ia = ia + n == root ? 0 : ia + n;
            ib = ib + n == root ? 0 : ib + n;
        }
    }

    std::vector<Walker>& tables_;
    const Split& split_;
    std::vector<std::int32_t> offset_;
    bool sumsFit_;
    std::map<std::pair<std::size_t, std::int32_t>, ExtremesOf<V>> folds_;
    std::array<bool, 2> small_{};          // per group: folded in 8 bits
    std::vector<std::int32_t> smallOffset_; // per table, for those folds
    std::map<std::pair<std::size_t, std::int32_t>, ExtremesOf<std::int8_t>> smallFolds_;
    std::vector<std::int8_t> smallScratch_;
};

} // namespace

std::optional<SumRange> PreviewSumRange(const PreviewCycleInput& input) {
    CheckCycleInput(input);
    if (ColumnCount(input) == 0)
        return std::nullopt;
    std::vector<Walker> tables = tickedWalkers(input);
    if (tables.empty())
        return SumRange{0, 0};
    std::vector<ColumnView> columns = distinctColumns(tables, input);
    const Split split = cheapestSplit(tables, columns);
    // The preview's tables (amplitudes up to 16384) nearly always fit in 16 bits, which halves
    // the time of the folds; the entries the cycle takes may be wider.
    const Narrowing narrowing = narrowingOf(tables, split);
    if (narrowing.fits)
        return SplitRange<std::int16_t>(tables, split, narrowing.offset, narrowing.sumsFit).over(std::move(columns));
    return SplitRange<std::int32_t>(tables, split, std::vector<std::int32_t>(tables.size(), 0), false)
        .over(std::move(columns));
}

bool ComesToPositions(const PreviewCycleInput& input, const std::array<std::int32_t, kTableCount>& positions) {
    Congruence frames; // the frames in which the tables so far stand there
    for (std::size_t t = 0; t < input.tables.size(); ++t) {
        if (!input.tables[t].ticked)
            continue;
        const Walker w(input.tables[t]);
        const std::int32_t gap = floorMod(static_cast<std::int64_t>(positions[t]) - w.start(), w.length());
        if (gap % w.spread() != 0)
            return false;
        const auto frame =
            static_cast<std::uint64_t>(static_cast<std::int64_t>(gap / w.spread()) * w.turn() % w.period());
        const auto both = merged(frames, {frame, static_cast<std::uint64_t>(w.period())});
        if (!both)
            return false;
        frames = *both;
    }
    return true;
}

} // namespace ondulix::engine
