#include "cycle/CrtSearch.h"

#include "cycle/CycleMath.h"

#include <algorithm>
#include <cmath>
#include <limits>
#include <numeric>

namespace ondulix::cycle {
namespace {

// Settling a cursor costs a successor lookup, a few comparisons each, per combination of A: it
// trades settling against rounds; a quarter or four times it moved no row of bench/run
// (ondulix_cycle_perf, as for every constant here).
constexpr double kLookupCost = 8.0;

// A round is searched in windows of h that double in size from Q_A / kFirstWindows on, so that a
// hit early in a round is found without searching the rest of it, at the price of more windows:
// eight times it made twice_primes_amplitude_16 and primes_default_amplitudes take 1.13 times the
// instructions (callgrind, ondulix_cycle_perf --case), an eighth of it wide_group_a 1.08 times.
constexpr std::uint64_t kFirstWindows = 128;

// A cursor searches windows of at least this many of A's combinations: fewer windows against
// searching past an early hit; a quarter or four times it moved no row.
constexpr double kFewestPerWindow = 64.0;

// Rounds go through A's combinations until a window the other way, long enough to repay its looks
// into the buckets, costs at most this many times what going through A has cost with the next
// window: the spending grows about as the windows do, so a hit soon after the switch is not
// overshot by much, and one far into a round is found mostly the other way.
constexpr double kOtherWayGrowth = 8.0;

// A's index is sorted into at most this many buckets for going through B's combinations, else
// rounds go through C's entries: the buckets' memory against looks at D; a quarter or four times
// it moved no row.
constexpr std::uint64_t kMostBuckets = std::uint64_t{1} << 16;

// Where a step would go among steps sorted by step.
std::size_t placeAmong(std::span<const StepIndex::Step> steps, std::uint64_t step) {
    return static_cast<std::size_t>(
        std::lower_bound(steps.begin(), steps.end(), step,
                         [](const StepIndex::Step& s, std::uint64_t v) { return s.step < v; }) -
        steps.begin());
}

// The first of the steps, sorted, at or after `from`, by halving without branches: a bucket's
// comparisons are too irregular to predict, and each look into one would wait on them. From step
// 0, where the early part of a window that reaches around A's cycle starts, it is the first.
const StepIndex::Step* firstFrom(std::span<const StepIndex::Step> steps, std::uint32_t from) {
    if (steps.empty() || from == 0)
        return steps.data();
    const StepIndex::Step* base = steps.data();
    for (std::size_t n = steps.size(); n > 1;) {
        const std::size_t half = n / 2;
        base = base[half].step < from ? base + half : base;
        n -= half;
    }
    return base + (base->step < from ? 1 : 0);
}

} // namespace

CrtSearch::CrtSearch(const SearchPlan& plan, Columns columns, int sign, std::int32_t threshold, SearchLimits limits,
                     const Deadline& deadline, BufferPool& pool)
    : tables_(plan.tables), root_(plan.rootModulus), columns_(columns), sign_(sign), threshold_(threshold),
      limits_(limits), deadline_(deadline), pool_(pool) {
    for (const std::size_t t : plan.a)
        a_.tables.push_back(&tables_[t]);
    for (const std::size_t t : plan.b)
        b_.tables.push_back(&tables_[t]);
    for (const std::size_t t : plan.constants)
        constants_.push_back(&tables_[t]);
    for (Group* group : {&a_, &b_}) {
        for (const TickedTable* t : group->tables) {
            group->cycle = lcmOf(group->cycle, static_cast<std::uint64_t>(t->choices));
            group->orbits.push_back(OrbitsOf(*t, root_, sign));
        }
        if (group->tables.size() == 2)
            group->shared = std::gcd(group->tables[0]->choices, group->tables[1]->choices);
    }
    for (const TickedTable* t : b_.tables)
        roundOrbits_.push_back(OrbitsOf(*t, root_ * a_.cycle, sign));
    throughB_ = b_.cycle <= kMostBuckets;
    if (!b_.tables.empty())
        bucketModulus_ = static_cast<std::uint32_t>(throughB_ ? b_.cycle
                                                              : static_cast<std::uint64_t>(b_.tables[0]->choices));
}

CrtSearch::Outcome CrtSearch::run(ClassExtremes& extremes) {
    const auto visit = [&](std::int32_t column, std::uint64_t rootClass) {
        if (tooLarge_)
            return;
        deadline_.check();
        if (!setUp(rootClass, column)) {
            tooLarge_ = true;
            return;
        }
        if (cursors_.size() >= limits_.cursorsAtOnce)
            searchRounds();
    };
    if (root_ == extremes.rootModulus())
        extremes.forEachReaching(sign_, threshold_, visit);
    else
        forEachReachingClass(extremes, visit);
    if (tooLarge_)
        return Outcome::TooLarge;
    searchRounds();
    return best_ ? Outcome::Found : Outcome::None;
}

// The root classes of each column that reaches the threshold whose tables' class extremes can,
// when the search's root classes are not the class extremes' own.
void CrtSearch::forEachReachingClass(const ClassExtremes& extremes,
                                     const std::function<void(std::int32_t, std::uint64_t)>& visit) const {
    for (std::int32_t column = 0; column < columns_.count; ++column) {
        if (extremes.columnLow(sign_, column) > threshold_)
            continue;
        for (std::uint64_t r = 0; r < root_; ++r) {
            std::int32_t low = 0;
            for (const TickedTable& t : tables_)
                low += t.low(t.classAt(r, columns_.x(column)), sign_);
            if (low <= threshold_)
                visit(column, r);
        }
    }
}

std::int32_t CrtSearch::placeIn(const Group& group, std::size_t t, const std::vector<Orbits>& orbits,
                                std::int32_t index) const {
    return at(orbits[t].position, index) % group.tables[t]->choices;
}

bool CrtSearch::setUp(std::uint64_t rootClass, std::int32_t column) {
    const std::int32_t x = columns_.x(column);
    Cursor cursor;
    cursor.rootClass = rootClass;
    cursor.column = column;
    for (const TickedTable* t : constants_)
        cursor.constant += sign_ * t->entry(t->motion.indexAt(rootClass, x));
    std::array<std::int32_t, 2> aClasses{-1, -1}, aPlaces{0, 0};
    std::int32_t lowB = 0;
    for (std::size_t t = 0; t < a_.tables.size(); ++t) {
        const TickedTable& table = *a_.tables[t];
        const std::int32_t index = table.motion.indexAt(rootClass, x);
        aClasses[t] = index % table.classCount;
        aPlaces[t] = placeIn(a_, t, a_.orbits, index);
    }
    for (std::size_t t = 0; t < b_.tables.size(); ++t) {
        const TickedTable& table = *b_.tables[t];
        const std::int32_t index = table.motion.indexAt(rootClass, x);
        cursor.classes[t] = index % table.classCount;
        cursor.places[t] = placeIn(b_, t, b_.orbits, index);
        lowB += table.low(cursor.classes[t], sign_);
    }
    StepIndex* a = indexFor(a_, a_.orbits, aClasses, aPlaces, threshold_ - cursor.constant - lowB);
    if (!a)
        return false;
    if (a->size() == 0)
        return true; // nothing in this root class reaches the threshold
    cursor.a = a;
    cursor.lowA = a->lowest(); // where A's tables share factors, more than their classes' extremes
    cursor.psi = a->stepOf(static_cast<std::uint32_t>(aPlaces[0]), static_cast<std::uint32_t>(aPlaces[1]));
    setUpOtherWay(cursor);
    cursor.settleCost = static_cast<double>(a->size()) * kLookupCost;
    cursors_.push_back(cursor);
    return true;
}

// The other way through the cursor's rounds, and what a whole round costs either way. Going
// through A's combinations costs one check each; going the other way costs, for each of B's
// combinations (or C's entries), a look into two buckets, and a check per candidate found there.
void CrtSearch::setUpOtherWay(Cursor& cursor) {
    const auto combinations = static_cast<double>(cursor.a->size());
    const auto cycle = static_cast<double>(a_.cycle);
    cursor.roundCost = combinations;
    cursor.fewest = std::max<std::uint64_t>(1, static_cast<std::uint64_t>(kFewestPerWindow / combinations * cycle));
    if (b_.tables.empty())
        return;
    if (throughB_) {
        const std::int32_t x = columns_.x(cursor.column);
        std::array<std::int32_t, 2> places{0, 0};
        for (std::size_t t = 0; t < b_.tables.size(); ++t)
            places[t] = placeIn(b_, t, b_.orbits, b_.tables[t]->motion.indexAt(cursor.rootClass, x));
        // Each candidate is checked against the threshold, so B's combinations within a looser
        // budget will do: root classes whose A is least alike share B's indexes.
        StepIndex* b = indexFor(b_, b_.orbits, cursor.classes, places, threshold_ - cursor.constant - cursor.lowA,
                                Budget::AtLeast);
        if (!b)
            return; // B comes within its budget too often: A's combinations it is
        cursor.other = b->bySteps();
        cursor.otherStart = b->stepOf(static_cast<std::uint32_t>(places[0]), static_cast<std::uint32_t>(places[1]));
    } else {
        const std::int32_t lowD = b_.tables.size() == 2 ? b_.tables[1]->low(cursor.classes[1], sign_) : 0;
        cursor.other = reachingPlacesOfC(cursor.classes[0], threshold_ - cursor.constant - cursor.lowA - lowD);
        cursor.otherStart = static_cast<std::uint32_t>(cursor.places[0]);
    }
    const double perBucket = combinations / bucketModulus_;
    const double looks = 2.0 * static_cast<double>(cursor.other.size());
    const double lookCost = 1.0 + std::log2(1.0 + perBucket);
    cursor.otherRoundCost = looks * (lookCost + perBucket);
    cursor.otherWindowCost = looks * lookCost;
    cursor.roundCost = std::min(combinations, cursor.otherRoundCost);
    // Windows where looking into the buckets costs no more than the candidates found there.
    cursor.otherFewest =
        std::max<std::uint64_t>(1, static_cast<std::uint64_t>(std::min(1.0, lookCost / perBucket) * cycle));
}

// C's places in one of its classes whose signed entry is within the budget, with the entry, in
// the order of the places, so that the buckets they pick are read in order too.
std::span<const StepIndex::Step> CrtSearch::reachingPlacesOfC(std::int32_t cClass, std::int32_t budget) {
    std::vector<StepIndex::Step>& reaching = cReaching_[{cClass, budget}];
    if (!reaching.empty())
        return reaching;
    const TickedTable& c = *b_.tables[0];
    const std::int32_t* values = b_.orbits[0].values.data() + cClass * c.choices;
    std::vector<std::uint32_t>& byValue = cByValue_[cClass];
    if (byValue.empty())
        byValue = PlacesByValue(std::span(values, static_cast<std::size_t>(c.choices)));
    for (const std::uint32_t place : byValue) {
        if (values[place] > budget)
            break;
        reaching.push_back({place, values[place]});
    }
    std::sort(reaching.begin(), reaching.end(), [](const auto& p, const auto& q) { return p.step < q.step; });
    return reaching;
}

StepIndex* CrtSearch::indexFor(Group& group, const std::vector<Orbits>& orbits, std::array<std::int32_t, 2> classes,
                               std::array<std::int32_t, 2> places, std::int32_t budget, Budget kind) {
    const std::int32_t phase = (places[1] - places[0] % group.shared + group.shared) % group.shared;
    const auto key = std::tuple(&orbits, classes[0], classes[1], phase, budget);
    if (kind == Budget::AtLeast) {
        // The first index at or above the budget, if it is this one but for its budget.
        const auto looser = group.indexes.lower_bound(key);
        if (looser != group.indexes.end()) {
            auto same = key;
            std::get<4>(same) = std::get<4>(looser->first);
            if (looser->first == same && looser->second->usable())
                return looser->second.get();
        }
    }
    // Only indexes that were made are kept: a looser budget's lookup above takes any it finds.
    auto index = group.indexes.find(key);
    if (index == group.indexes.end()) {
        if (indexed_ > limits_.mostIndexedInAll)
            return nullptr;
        index = group.indexes
                    .emplace(key, std::make_unique<StepIndex>(orderOf(group, orbits, 0, classes[0]),
                                                              orderOf(group, orbits, 1, classes[1]),
                                                              Pairing{group.shared, phase}, budget, limits_.mostIndexed, &pool_))
                    .first;
        indexed_ += index->second->size();
    }
    return index->second->usable() ? index->second.get() : nullptr;
}

// A group table's places in one class, in the order an index pairs them.
const PlaceOrder& CrtSearch::orderOf(const Group& group, const std::vector<Orbits>& orbits, std::size_t t,
                                     std::int32_t placeClass) {
    if (t >= group.tables.size())
        return noTable_;
    std::unique_ptr<PlaceOrder>& order = orders_[{&orbits, t, placeClass}];
    if (!order) {
        const auto choices = static_cast<std::size_t>(group.tables[t]->choices);
        order = std::make_unique<PlaceOrder>(
            std::span(orbits[t].values).subspan(static_cast<std::size_t>(placeClass) * choices, choices),
            static_cast<std::uint32_t>(group.shared));
    }
    return *order;
}

// Round by round, and within a round window by window of h, over all cursors: every frame of a
// window comes before every frame of the next of any cursor, so the first window with a hit holds
// the answer, unless a settled cursor's first hit comes earlier.
void CrtSearch::searchRounds() {
    std::vector<Cursor> live = std::move(cursors_);
    cursors_.clear();
    const std::uint64_t firstWindow = std::max<std::uint64_t>(1, a_.cycle / kFirstWindows);
    for (std::uint64_t round = 0; round < b_.cycle && !live.empty(); ++round) {
        std::erase_if(live, [&](Cursor& cursor) {
            if (cursor.spent + cursor.roundCost <= cursor.settleCost)
                return false;
            deadline_.check();
            StepIndex* b = roundIndexOfB(cursor);
            if (!b) {
                // B comes within its budget too often to index: rounds it is, to the end.
                cursor.settleCost = std::numeric_limits<double>::infinity();
                return false;
            }
            // Laying B's index out costs about a write per combination, once for the cursors that
            // share it: settling is worth that only where the rounds cost more still.
            if (!b->laidOutBySteps() && !cursor.layoutCounted) {
                cursor.layoutCounted = true;
                cursor.settleCost += static_cast<double>(b->size());
                if (cursor.spent + cursor.roundCost <= cursor.settleCost)
                    return false;
            }
            offer(cursor, settle(cursor, round, *b));
            return true;
        });
        for (std::uint64_t from = 0, to = firstWindow; from < a_.cycle; from = to, to = std::min(a_.cycle, 2 * to)) {
            // Every frame from here on is at least R h.
            if (best_ && best_->frame < root_ * (a_.cycle * round + from))
                return;
            std::erase_if(live, [&](Cursor& cursor) {
                if (cursor.searchedTo >= a_.cycle * round + to)
                    return false;
                deadline_.check();
                const std::optional<std::uint64_t> h = firstIn(cursor, round, from, to);
                offer(cursor, h);
                return h.has_value();
            });
        }
    }
}

void CrtSearch::offer(const Cursor& cursor, std::optional<std::uint64_t> h) {
    if (!h)
        return;
    const Hit hit{cursor.rootClass + root_ * *h, cursor.column};
    if (!best_ || hit.frame < best_->frame || (hit.frame == best_->frame && hit.column < best_->column))
        best_ = hit;
}

// The first h of the cursor whose frame comes after the best hit so far.
std::uint64_t CrtSearch::worthSearchingTo(const Cursor& cursor) const {
    if (!best_)
        return std::numeric_limits<std::uint64_t>::max();
    if (best_->frame < cursor.rootClass)
        return 0;
    return (best_->frame - cursor.rootClass) / root_ + 1;
}

// The cursor's first hit with h = round Q_A + from .. round Q_A + to - 1, or further on where the
// window is too short to be worth searching alone; the cursor then has searched to there. Windows
// go through A's combinations until a window the other way, long enough to repay its looks into
// the buckets, costs no more than a few times what going through A has cost (kOtherWayGrowth);
// from then on the other way, where a round costs less that way. A hit early in a round is found
// cheaply through A, and a late one costs little more than going the other way from the start.
// Going through A needs A's index by step, the other way by bucket as well.
std::optional<std::uint64_t> CrtSearch::firstIn(Cursor& cursor, std::uint64_t round, std::uint64_t from,
                                                std::uint64_t to) {
    const std::uint64_t start = a_.cycle * round;
    from = std::max(from, cursor.searchedTo - std::min(cursor.searchedTo, start));
    const auto combinations = static_cast<double>(cursor.a->size());
    const auto shareOf = [&](std::uint64_t steps) { return static_cast<double>(steps) / static_cast<double>(a_.cycle); };
    // A hit past the best so far could not replace it: other cursors' windows stop there.
    const std::uint64_t worth = worthSearchingTo(cursor);
    if (worth <= start + from)
        return std::nullopt;
    const std::uint64_t last = std::min(a_.cycle, worth - start);
    std::uint64_t end = std::min(last, std::max(to, from + cursor.fewest));
    const std::uint64_t otherEnd = std::min(last, std::max(to, from + cursor.otherFewest));
    // The other way costs its looks into the buckets in every window, and its candidates in
    // proportion to the window's share of a round.
    const double otherCost = cursor.otherWindowCost + (cursor.otherRoundCost - cursor.otherWindowCost) *
                                                          shareOf(otherEnd - from);
    const double throughACost = combinations * shareOf(end - from);
    if (!cursor.throughOther && !cursor.other.empty() && cursor.otherRoundCost < combinations &&
        otherCost <= kOtherWayGrowth * (cursor.spentThroughA + throughACost))
        cursor.throughOther = true;
    if (cursor.throughOther) {
        end = otherEnd;
        cursor.searchedTo = start + end;
        cursor.spent += cursor.otherRoundCost * shareOf(end - from);
        cursor.a->fillBuckets(bucketModulus_);
        return throughOther(cursor, round, from, end);
    }
    cursor.searchedTo = start + end;
    cursor.spent += throughACost;
    cursor.spentThroughA += throughACost;
    return throughA(cursor, round, from, end);
}

// A's combinations in the order they come; the first that B completes.
std::optional<std::uint64_t> CrtSearch::throughA(const Cursor& cursor, std::uint64_t round, std::uint64_t from,
                                                 std::uint64_t to) const {
    const LargeBuffer<StepIndex::Step>& steps = cursor.a->bySteps();
    const RoundOfB b = roundOfB(cursor, round);
    const auto cycle = static_cast<std::uint32_t>(a_.cycle);
    for (std::size_t k = 0, i = placeAmong(steps, (cursor.psi + from) % a_.cycle); k < steps.size(); ++k, ++i) {
        i = i == steps.size() ? 0 : i; // around the cycle
        const StepIndex::Step& s = steps[i];
        const std::uint32_t alpha = s.step >= cursor.psi ? s.step - cursor.psi : s.step + cycle - cursor.psi;
        if (alpha < from || alpha >= to)
            break;
        if (cursor.constant + s.sum + b.sum(alpha) <= threshold_)
            return alpha + a_.cycle * round;
    }
    return std::nullopt;
}

// B's combinations, or C's entries, that can reach the threshold, each fixing h modulo the bucket
// modulus, which picks A's candidates from one bucket of its index.
std::optional<std::uint64_t> CrtSearch::throughOther(const Cursor& cursor, std::uint64_t round, std::uint64_t from,
                                                     std::uint64_t to) const {
    const RoundOfB b = roundOfB(cursor, round);
    const std::uint32_t modulus = bucketModulus_;
    const bool checkD = !throughB_ && b_.tables.size() == 2;
    // What D leaves at most for the others: candidates past it need no look at D's entry.
    const std::int32_t beforeD = threshold_ - (checkD ? b_.tables[1]->low(cursor.classes[1], sign_) : 0);
    // The other way's step at h = round Q_A + alpha is its step at the round's start plus alpha,
    // and alpha = step - psi, or step - psi + Q_A for A's steps before psi.
    const auto start = static_cast<std::uint32_t>((cursor.otherStart + round * a_.cycle) % modulus);
    const std::uint32_t psiShift = cursor.psi % modulus;
    const auto cycleShift = static_cast<std::uint32_t>(a_.cycle % modulus);
    const auto psi = static_cast<std::int64_t>(cursor.psi), cycle = static_cast<std::int64_t>(a_.cycle);
    // A's steps s with from <= alpha < to: psi + from <= s < psi + to for steps from psi on, and
    // psi + from - Q_A <= s < psi + to - Q_A before it.
    const std::int64_t lateFrom = psi + static_cast<std::int64_t>(from);
    const std::int64_t lateTo = std::min(psi + static_cast<std::int64_t>(to), cycle);
    const std::int64_t earlyFrom = std::max<std::int64_t>(lateFrom - cycle, 0);
    const std::int64_t earlyTo = std::min(psi + static_cast<std::int64_t>(to) - cycle, psi);
    std::optional<std::uint32_t> first; // alpha
    // D's entry alpha steps into the round, and what it leaves for the others.
    const std::int32_t* const dValues = checkD ? b.values[1] : nullptr;
    const Remainders dPlaces = b.choices[1];
    const std::uint64_t dStart = b.start[1];
    const std::int32_t beforeOthers = threshold_ - cursor.constant;
    const auto check = [&](std::span<const StepIndex::Step> bucket, std::int64_t lo, std::int64_t hi,
                           std::int32_t otherSum, std::int64_t wrap) {
        // Only steps before the first hit so far can come before it.
        if (first)
            hi = std::min(hi, static_cast<std::int64_t>(*first) + psi - wrap);
        if (lo >= hi)
            return;
        // The window lies within A's cycle, below 2^32.
        const auto stepFrom = static_cast<std::uint32_t>(lo), stepTo = static_cast<std::uint32_t>(hi);
        const StepIndex::Step* const end = bucket.data() + bucket.size();
        const StepIndex::Step* s = firstFrom(bucket, stepFrom);
        // What A's combination may add at most, beside the others' sums, and with D's entry.
        const std::int32_t most = beforeD - cursor.constant - otherSum;
        const std::int32_t withD = beforeOthers - otherSum;
        const auto shift = static_cast<std::uint32_t>(wrap - psi); // alpha = step + shift, modulo 2^32
        for (; s != end && s->step < stepTo; ++s) {
            if (s->sum > most)
                continue;
            const std::uint32_t alpha = s->step + shift;
            if (!checkD || s->sum + dValues[dPlaces.of(dStart + alpha)] <= withD) {
                first = alpha; // the bucket's later steps come later
                return;
            }
        }
    };
    // Windows that do not reach around past psi have no early steps, nor late ones past it.
    const bool anyLate = lateFrom < lateTo, anyEarly = earlyFrom < earlyTo;
    for (const StepIndex::Step& other : cursor.other) {
        // alpha = the other way's step - its step at the round's start, modulo the bucket modulus ...
        const std::uint32_t alpha = other.step >= start ? other.step - start : other.step + modulus - start;
        // ... so A's step leaves this remainder, or this one for steps before psi.
        const std::uint32_t late = alpha + psiShift >= modulus ? alpha + psiShift - modulus : alpha + psiShift;
        if (anyLate)
            check(cursor.a->bucket(late), lateFrom, lateTo, other.sum, 0);
        if (anyEarly)
            check(cursor.a->bucket(late >= cycleShift ? late - cycleShift : late + modulus - cycleShift), earlyFrom,
                  earlyTo, other.sum, cycle);
    }
    if (!first)
        return std::nullopt;
    return *first + a_.cycle * round;
}

// Where B's tables stand at the start of a round, to look up their entries a number of steps on.
CrtSearch::RoundOfB CrtSearch::roundOfB(const Cursor& cursor, std::uint64_t round) const {
    RoundOfB b;
    b.tables = b_.tables.size();
    for (std::size_t t = 0; t < b.tables; ++t) {
        const TickedTable& table = *b_.tables[t];
        const auto choices = static_cast<std::uint32_t>(table.choices);
        b.choices[t] = Remainders(choices);
        b.start[t] = static_cast<std::uint32_t>((static_cast<std::uint64_t>(cursor.places[t]) + round * a_.cycle) %
                                                choices);
        b.values[t] = b_.orbits[t].values.data() + cursor.classes[t] * table.choices;
    }
    return b;
}

// B's index laid out by rounds, for the cursor's root class and column, if it can be built.
StepIndex* CrtSearch::roundIndexOfB(const Cursor& cursor) {
    if (b_.tables.empty())
        return nullptr; // a single round, searched already
    const std::int32_t x = columns_.x(cursor.column);
    std::array<std::int32_t, 2> places{0, 0};
    for (std::size_t t = 0; t < b_.tables.size(); ++t)
        places[t] = placeIn(b_, t, roundOrbits_, b_.tables[t]->motion.indexAt(cursor.rootClass, x));
    // Settling passes each lookup its own budget, so an index within a looser one will do.
    return indexFor(b_, roundOrbits_, cursor.classes, places, threshold_ - cursor.constant - cursor.lowA,
                    Budget::AtLeast);
}

// The cursor's first hit from the given round on: for each of A's combinations, the fewest
// rounds until B is within what is left of the threshold; the earliest.
std::optional<std::uint64_t> CrtSearch::settle(const Cursor& cursor, std::uint64_t round, StepIndex& b) const {
    const std::int32_t x = columns_.x(cursor.column);
    std::array<std::uint32_t, 2> places{0, 0};
    for (std::size_t t = 0; t < b_.tables.size(); ++t)
        places[t] = static_cast<std::uint32_t>(
            placeIn(b_, t, roundOrbits_, b_.tables[t]->motion.indexAt(cursor.rootClass, x)));
    const std::uint64_t bStep = b.stepOf(places[0], places[1]);
    // One step of h moves B's round step by the inverse of Q_A modulo Q_B.
    const std::uint64_t perStep = inverseOf(a_.cycle % b_.cycle, b_.cycle);
    std::optional<std::uint64_t> first;
    for (const StepIndex::Step& s : cursor.a->bySteps()) {
        const std::uint64_t alpha = (s.step + a_.cycle - cursor.psi) % a_.cycle;
        const auto from = static_cast<std::uint32_t>((bStep + alpha % b_.cycle * perStep + round) % b_.cycle);
        if (const auto rounds = b.stepsFrom(from, threshold_ - cursor.constant - s.sum)) {
            if (round + *rounds >= b_.cycle)
                continue; // back to a round already searched, which had no hit
            const std::uint64_t h = alpha + a_.cycle * (round + *rounds);
            first = std::min(first.value_or(h), h);
        }
    }
    return first;
}

} // namespace ondulix::cycle
