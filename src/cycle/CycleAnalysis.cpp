#include "cycle/CycleAnalysis.h"

#include "cycle/CycleMath.h"
#include "cycle/FrameWalk.h"

#include <algorithm>
#include <numeric>

namespace ondulix::cycle {
namespace {

std::vector<Motion> tickedMotions(const engine::PreviewCycleInput& input) {
    std::vector<Motion> ticked;
    for (const engine::PreviewCycleTable& t : input.tables)
        if (t.ticked)
            ticked.emplace_back(t);
    return ticked;
}

// The split with the fewest root classes, and of those the one whose groups' classes are fewest:
// the extremes add once per group class and column, then once per root class and column.
const TableGroups& cheapestForExtremes(const std::vector<TableGroups>& splits) {
    return *std::min_element(splits.begin(), splits.end(), [](const TableGroups& a, const TableGroups& b) {
        return std::pair(a.rootModulus, a.groupModulus[0] + a.groupModulus[1]) <
               std::pair(b.rootModulus, b.groupModulus[0] + b.groupModulus[1]);
    });
}

// The frames D after which column 0 shows what one column step to the right shows now: D Speed
// = step (modulo Length) for every ticked table, one D modulo the cycle for all of them.
std::optional<std::uint64_t> framesPerColumnStep(const std::vector<TickedTable>& tables, std::int32_t columnStep) {
    Congruence frames;
    for (const TickedTable& t : tables) {
        const Motion& m = t.motion;
        const std::int32_t shared = std::gcd(m.step, m.length); // the length itself for a still table
        const std::int32_t columns = columnStep % m.length;
        if (columns % shared != 0)
            return std::nullopt;
        const auto period = static_cast<std::uint64_t>(m.length / shared);
        const std::uint64_t need = static_cast<std::uint64_t>(columns / shared) *
                                   inverseOf(static_cast<std::uint64_t>(m.step / shared), period) % period;
        const auto both = merged(frames, {need, period});
        if (!both)
            return std::nullopt;
        frames = *both;
    }
    return frames.residue;
}

// Searches estimated to cost less than this go without a walk first (in column sums, which the
// walk adds many at a time, so that one costs less than a unit of the search's estimate: 2^27 of
// them take about 45 ms, 25 ms with AVX2); how far the walk may go is a search limit.
// What the rows of bench/run (ondulix_cycle_perf) did with a quarter and four times each constant
// in this folder, one at a time, is said beside it; "no row moved" is beyond the noise of a shared
// machine, about a third.
// kWorthWalking trades a walk that finds nothing against a search slow to find an early hit: a
// quarter of it makes primes_full_amplitude 1.9 times slower, four times it twice_primes 0.6.
constexpr double kWorthWalking = 1 << 18;

// Column 0 answers for all columns only where a walk of the first D frames of all of them, which
// a hit of column 0 before D (K - 1) needs, adds at most this many column sums, some 45 ms' worth
// in the worst case: the search of one column against that of all; a quarter or four times it
// moved no row.
constexpr double kLongestColumnWalk = 1 << 27;

// Setting up a root class of columns takes 2 to 3 us, in which the walk adds about this many
// column sums: the plan counts a microsecond, which ranks the splits well but would stop the walk
// short of hits that a search of many small root classes takes longer to find (large_shared_pairs,
// whose largest sum the walk finds); four times it makes twice_primes and
// shared_pairs_alternating_speeds 1.4 times slower, a quarter of it moved no row.
constexpr double kColumnSumsPerCursor = 6000;

// The first frames are looked at before any search: edges well inside the sums are passed at once,
// as in the window's start-up preview (the row defaults); 1 or 16 moved no row.
constexpr std::uint64_t kEarlyFrames = 4;

} // namespace

CycleAnalysis::CycleAnalysis(const engine::PreviewCycleInput& input, Columns columns, SearchLimits limits,
                             const Deadline& deadline)
    : input_(input), columns_(columns), limits_(limits), deadline_(deadline), splits_(AllSplits(tickedMotions(input))),
      extremes_(input, cheapestForExtremes(splits_), columns, limits.foldsKept) {
    for (const engine::PreviewCycleTable& t : input.tables)
        if (t.ticked) {
            tables_.emplace_back(t, extremes_.rootModulus());
            cycle_ = lcmOf(cycle_, static_cast<std::uint64_t>(tables_.back().motion.period));
        }
    // Column 0 alone answers for all where the columns' frames do not wrap around the cycle and the
    // first D frames of all columns are worth walking.
    const auto perColumn = framesPerColumnStep(tables_, columns_.step);
    const auto lastColumn = static_cast<std::uint64_t>(columns_.count - 1);
    if (columns_.count > 1 && perColumn && *perColumn * lastColumn < cycle_ &&
        static_cast<double>(*perColumn) * columns_.count <= kLongestColumnWalk)
        framesPerColumn_ = perColumn;
}

std::optional<engine::CycleSample> CycleAnalysis::firstReaching(int sign, std::int32_t limit) {
    // An edge next to an extreme asks the same question as the extreme itself.
    const auto known = answers_.find({sign, limit});
    if (known != answers_.end())
        return known->second;
    std::optional<engine::CycleSample> answer;
    if (const std::optional<Hit> hit = firstHit(sign, limit))
        answer = engine::CycleSample{hit->frame, columns_.x(hit->column), sumAt(*hit)};
    return answers_[{sign, limit}] = answer;
}

std::optional<Hit> CycleAnalysis::firstHit(int sign, std::int32_t limit) {
    if (framesPerColumn_)
        return firstThroughColumnZero(sign, limit);
    // An edge well inside the sums is passed at once, before counting and planning cost anything.
    if (const auto hit = firstInEarlyFrames(sign, limit))
        return hit;
    SearchGoal goal{sign, limit, extremes_.rootModulus(), extremes_.countReaching(sign, limit), 0};
    for (std::int32_t column = 0; column < columns_.count; ++column)
        goal.reachingColumns += extremes_.columnLow(sign, column) <= limit ? 1 : 0;
    const SearchPlan plan = PlanSearch(input_, splits_, goal, limits_);
    // A hit that comes early is found sooner by walking the frames: a walk as long as the search
    // is estimated to take, up to about a millisecond, costs at most that much more where it
    // finds nothing. Cheap searches only look at the first few frames.
    const double walk = plan.cost + plan.cursors * kColumnSumsPerCursor;
    std::uint64_t walked = kEarlyFrames;
    if (plan.cost >= kWorthWalking) {
        const FrameWalk::Stop stop = walkOf(sign).firstWithin(
            limit, kEarlyFrames, cycle_,
            static_cast<std::uint64_t>(std::min(walk, static_cast<double>(limits_.walkAhead))), deadline_);
        if (stop.hit)
            return stop.hit;
        walked = stop.reached;
    }
    CrtSearch search(plan, columns_, sign, limit, limits_, deadline_, pool_);
    switch (search.run(extremes_)) {
    case CrtSearch::Outcome::Found:
        return search.hit();
    case CrtSearch::Outcome::None:
        return std::nullopt;
    case CrtSearch::Outcome::TooLarge:
        break;
    }
    return walkOf(sign).first(limit, walked, cycle_, deadline_);
}

// Column k shows in frame f what column 0 shows in frame f + D k, so all columns see column 0's
// first hit n; the last column sees it first, in frame n - D (K - 1), and nothing any column shows
// before comes earlier. Only a hit of column 0 before D (K - 1) is seen earlier, by the column
// that reaches it within its first D frames, which a walk of those frames finds.
std::optional<Hit> CycleAnalysis::firstThroughColumnZero(int sign, std::int32_t limit) {
    if (!columnZero_)
        columnZero_ = std::make_unique<CycleAnalysis>(input_, Columns{1, columns_.step}, limits_, deadline_);
    const std::optional<Hit> first = columnZero_->firstHit(sign, limit);
    if (!first)
        return std::nullopt;
    const std::uint64_t perColumn = *framesPerColumn_;
    const std::int32_t lastColumn = columns_.count - 1;
    if (perColumn == 0) // every column shows the same sums
        return first;
    if (first->frame >= perColumn * static_cast<std::uint64_t>(lastColumn))
        return Hit{first->frame - perColumn * static_cast<std::uint64_t>(lastColumn), lastColumn};
    return walkOf(sign).first(limit, 0, perColumn, deadline_);
}

std::optional<Hit> CycleAnalysis::firstInEarlyFrames(int sign, std::int32_t limit) const {
    for (std::uint64_t frame = 0; frame < std::min(kEarlyFrames, cycle_); ++frame)
        for (std::int32_t column = 0; column < columns_.count; ++column)
            if (sign * sumAt({frame, column}) <= limit)
                return Hit{frame, column};
    return std::nullopt;
}

const FrameWalk& CycleAnalysis::walkOf(int sign) {
    std::optional<FrameWalk>& walk = walks_[sign > 0 ? 0 : 1];
    if (!walk)
        walk.emplace(tables_, columns_, sign, cycle_);
    return *walk;
}

std::int32_t CycleAnalysis::sumAt(const Hit& hit) const {
    std::int32_t sum = 0;
    for (const TickedTable& t : tables_)
        sum += t.entry(t.motion.indexAt(hit.frame, columns_.x(hit.column)));
    return sum;
}

} // namespace ondulix::cycle
