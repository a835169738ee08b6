#pragma once

#include "cycle/ClassExtremes.h"
#include "cycle/CycleMath.h"
#include "cycle/Deadline.h"
#include "cycle/SearchPlan.h"
#include "cycle/StepIndex.h"

#include <array>
#include <cstdint>
#include <functional>
#include <map>
#include <memory>
#include <optional>
#include <span>
#include <tuple>
#include <utility>
#include <vector>

namespace ondulix::cycle {

// The first (frame, column) whose sum, with the entries taken with `sign`, is at most a
// threshold, over a cycle far too long to walk, by meeting in the middle.
//
// Frame r + R h of a root class r shows group A at step h mod Q_A and group B at step h mod Q_B,
// with Q_A and Q_B coprime (see TableGroups). So the frames of one column and root class (a
// cursor) come in rounds of Q_A frames, round u being h = u Q_A .. u Q_A + Q_A - 1; in each round
// group A shows each of its combinations once, at the step given by A's index, and every frame of
// round u comes before every frame of round u + 1 of any cursor. Rounds are searched in order for
// all cursors at once, and each round in windows of h that double in size, so the first window
// with a hit holds the answer. A window is searched through A's combinations within the budget
// in step order, each checked against group B. Once a window the other way, which pays for its
// looks into the buckets, costs no more than a few times what that has cost, the rest of the
// round goes the other way: through the entries of one table C of group B that can
// still reach the threshold, each of which fixes h modulo C's orbit, and so picks A's candidates
// from one bucket of A's index (A's steps by their remainder modulo C's orbit). A cursor whose
// rounds cost more than settling it outright is settled: each of A's combinations meets B within
// the budget first after the fewest rounds, which is one successor lookup in B's index laid out
// by rounds.
//
// Root classes come from ClassExtremes, only those whose smallest sum reaches the threshold, or,
// where the plan takes another root modulus, from the classes of the tables.
class CrtSearch {
public:
    enum class Outcome { Found, None, TooLarge };

    // The plan, the deadline and the pool its indexes take their memory from outlive the search,
    // which looks at the deadline before each root class it sets up and each piece of a round it
    // searches.
    CrtSearch(const SearchPlan& plan, Columns columns, int sign, std::int32_t threshold, SearchLimits limits,
              const Deadline& deadline, BufferPool& pool);

    // Runs to the answer, leaving it in hit(). TooLarge: A's index for some root class would
    // outgrow the limits; its tables then reach the threshold so often that walking the frames is
    // the better way.
    Outcome run(ClassExtremes& extremes);

    Hit hit() const { return *best_; }

private:
    // A group's tables with a choice within a root class, with their entries along their orbits.
    struct Group {
        std::vector<const TickedTable*> tables;
        std::vector<Orbits> orbits; // along the root modulus: one step of the group per place
        std::int32_t shared = 1;    // gcd of the two tables' choices
        std::uint64_t cycle = 1;    // Q: steps until the group's places repeat
        std::map<std::tuple<const std::vector<Orbits>*, std::int32_t, std::int32_t, std::int32_t, std::int32_t>,
                 std::unique_ptr<StepIndex>>
            indexes; // by the orbits they were built along, classes, phase and budget
    };

    // One column in one root class, and where its tables stand at h = 0.
    struct Cursor {
        std::uint64_t rootClass = 0;
        std::int32_t column = 0;
        std::int32_t constant = 0; // the tables without a choice
        std::int32_t lowA = 0;     // the smallest sum A can add in this class
        std::array<std::int32_t, 2> classes{}; // of B's tables C and D
        std::array<std::int32_t, 2> places{};
        StepIndex* a = nullptr;
        std::uint32_t psi = 0; // A's step at h = 0
        // The other way through a round: B's combinations within the budget, or C's entries, as
        // steps modulo the bucket modulus with their sums, and the step at h = 0.
        std::span<const StepIndex::Step> other;
        std::uint32_t otherStart = 0;
        double otherRoundCost = 0.0;  // of a whole round the other way
        double otherWindowCost = 0.0; // of any window the other way, beside its candidates
        std::uint64_t otherFewest = 1; // steps worth searching at once the other way
        std::uint64_t fewest = 1;     // and through A
        bool throughOther = false;    // the rounds go the other way now
        double roundCost = 0.0;       // of a whole round, the cheaper way
        double settleCost = 0.0;      // of settling the cursor outright
        bool layoutCounted = false;   // B's index by rounds is in settleCost
        double spent = 0.0;
        double spentThroughA = 0.0;
        std::uint64_t searchedTo = 0; // h up to which it has been searched
    };

    // B's tables at the start of one round of one cursor: the entries `alpha` steps into it.
    struct RoundOfB {
        std::size_t tables = 0;
        std::array<const std::int32_t*, 2> values{}; // the tables' classes along their orbits
        std::array<std::uint32_t, 2> start{};        // their places at the round's start
        std::array<Remainders, 2> choices{}; // modulo the tables' choices

        std::int32_t value(std::size_t t, std::uint32_t alpha) const {
            return values[t][choices[t].of(std::uint64_t{start[t]} + alpha)];
        }
        std::int32_t sum(std::uint32_t alpha) const {
            return (tables > 0 ? value(0, alpha) : 0) + (tables > 1 ? value(1, alpha) : 0);
        }
    };

    void forEachReachingClass(const ClassExtremes& extremes,
                              const std::function<void(std::int32_t, std::uint64_t)>& visit) const;
    bool setUp(std::uint64_t rootClass, std::int32_t column);
    void searchRounds();
    std::optional<std::uint64_t> firstIn(Cursor& cursor, std::uint64_t round, std::uint64_t from,
                                         std::uint64_t to);
    std::optional<std::uint64_t> throughA(const Cursor& cursor, std::uint64_t round, std::uint64_t from,
                                          std::uint64_t to) const;
    std::optional<std::uint64_t> throughOther(const Cursor& cursor, std::uint64_t round, std::uint64_t from,
                                              std::uint64_t to) const;
    void setUpOtherWay(Cursor& cursor);
    StepIndex* roundIndexOfB(const Cursor& cursor);
    std::optional<std::uint64_t> settle(const Cursor& cursor, std::uint64_t round, StepIndex& b) const;
    void offer(const Cursor& cursor, std::optional<std::uint64_t> h);
    std::uint64_t worthSearchingTo(const Cursor& cursor) const;

    RoundOfB roundOfB(const Cursor& cursor, std::uint64_t round) const;
    std::span<const StepIndex::Step> reachingPlacesOfC(std::int32_t cClass, std::int32_t budget);
    std::int32_t placeIn(const Group& group, std::size_t t, const std::vector<Orbits>& orbits,
                         std::int32_t index) const;
    // Indexes within exactly the budget, or within it or a looser one, for users that check each
    // combination's sum themselves.
    enum class Budget { Exactly, AtLeast };
    StepIndex* indexFor(Group& group, const std::vector<Orbits>& orbits, std::array<std::int32_t, 2> classes,
                        std::array<std::int32_t, 2> places, std::int32_t budget, Budget kind = Budget::Exactly);
    const PlaceOrder& orderOf(const Group& group, const std::vector<Orbits>& orbits, std::size_t t,
                              std::int32_t placeClass);

    std::span<const TickedTable> tables_;
    std::uint64_t root_;
    Columns columns_;
    int sign_;
    std::int32_t threshold_;
    SearchLimits limits_;
    const Deadline& deadline_;
    BufferPool& pool_;
    std::size_t indexed_ = 0; // combinations in all indexes so far
    bool tooLarge_ = false;
    std::vector<const TickedTable*> constants_;
    Group a_;
    Group b_;                          // C is its table 0
    std::vector<Orbits> roundOrbits_;  // B's tables along rounds: one place per Q_A steps
    // Rounds go the other way through B's combinations where B's cycle is short enough to sort A's
    // steps into that many buckets, else through C's entries, D being checked for each.
    bool throughB_ = false;
    std::uint32_t bucketModulus_ = 1;
    std::map<std::int32_t, std::vector<std::uint32_t>> cByValue_; // per class of C, its places by value
    std::map<std::pair<std::int32_t, std::int32_t>, std::vector<StepIndex::Step>> cReaching_; // by class, budget
    PlaceOrder noTable_{{}, 1};
    std::map<std::tuple<const std::vector<Orbits>*, std::size_t, std::int32_t>, std::unique_ptr<PlaceOrder>> orders_;
    std::vector<Cursor> cursors_;
    std::optional<Hit> best_;
};

} // namespace ondulix::cycle
