#include "engine/cycle/CrtSearch.h"

#include "engine/cycle/CycleMath.h"

#include <algorithm>
#include <array>
#include <numeric>

namespace ondulix::engine::cycle {

CrtSearch::CrtSearch(std::span<const TickedTable> tables, std::uint64_t sharedModulus, Columns columns,
                     const ColumnClasses& columnClasses, int sign, std::int32_t threshold, SearchLimits limits,
                     MonotoneQueue<Node>& queue)
    : tables_(tables), modulus_(sharedModulus), columns_(columns), columnClasses_(columnClasses), sign_(sign),
      threshold_(threshold), limits_(limits), reaching_(tables, sharedModulus, columns, sign, threshold),
      queue_(queue) {
    queue_.clear();
    const std::vector<const TickedTable*> choosing = SparsestFirst(tables, sign, threshold);
    const std::size_t inA = (choosing.size() + 1) / 2;
    for (std::size_t i = 0; i < choosing.size(); ++i)
        (i < inA ? a_ : b_).tables.push_back(choosing[i]);
    a_.stride = sharedModulus;
    for (const TickedTable* t : a_.tables)
        a_.cycle *= static_cast<std::uint64_t>(t->choices);
    b_.stride = sharedModulus * a_.cycle;
    for (const TickedTable* t : b_.tables)
        b_.cycle *= static_cast<std::uint64_t>(t->choices);
    for (Group* group : {&a_, &b_})
        for (const TickedTable* t : group->tables)
            group->orbits.push_back(OrbitsOf(*t, group->stride, sign));
}

CrtSearch::Outcome CrtSearch::run(const std::vector<std::int32_t>& representativeLow) {
    // Columns whose smallest sum over the cycle cannot reach the threshold are left out.
    for (std::int32_t column = 0; column < columns_.count; ++column)
        if (at(representativeLow, columnClasses_.representative(column)) <= threshold_)
            pushNextClass(column, 0);
    while (!queue_.empty()) {
        const Node node = queue_.pop();
        if (node.level == kFrameClass) {
            if (!setUp(node.key, node.column))
                return Outcome::TooLarge;
            pushNextClass(node.column, node.key + 1);
            continue;
        }
        if (node.level == kSettled || candidateSum(at(cursors_, node.level), node.key) <= threshold_) {
            hit_ = Hit{node.key, node.column};
            return Outcome::Found;
        }
        Cursor& cursor = at(cursors_, node.level);
        if (++cursor.next < cursor.a->bySteps().size())
            queue_.push({frameOf(cursor), node.column, node.level});
        else
            settleAfterA(cursor);
    }
    return Outcome::None;
}

void CrtSearch::pushNextClass(std::int32_t column, std::uint64_t from) {
    const auto m =
        reaching_.next(columnClasses_.representative(column), columnClasses_.shiftOf(column, modulus_), from);
    if (m)
        queue_.push({*m, column, kFrameClass});
}

bool CrtSearch::setUp(std::uint64_t frameClass, std::int32_t column) {
    const std::int32_t x = columns_.x(column);
    Cursor cursor{frameClass, column};
    for (const TickedTable& t : tables_)
        if (t.choices == 1)
            cursor.constant += sign_ * t.entry(t.motion.indexAt(frameClass, x));
    cursor.a = indexFor(a_, frameClass, x, threshold_ - cursor.constant - lowOf(b_, frameClass, x),
                        StepIndex::Use::Enumeration);
    if (!cursor.a)
        return false;
    const std::vector<StepIndex::Step>& steps = cursor.a->bySteps();
    if (steps.empty())
        return true; // nothing in this frame class reaches the threshold
    cursor.psi = stepIn(a_, *cursor.a, frameClass, x);
    cursor.first = static_cast<std::size_t>(
        std::lower_bound(steps.begin(), steps.end(), cursor.psi,
                         [](const StepIndex::Step& s, std::uint32_t v) { return s.step < v; }) -
        steps.begin());
    cursors_.push_back(cursor);
    queue_.push({frameOf(cursor), column, static_cast<std::int32_t>(cursors_.size() - 1)});
    return true;
}

std::int32_t CrtSearch::lowOf(const Group& group, std::uint64_t frameClass, std::int32_t x) const {
    std::int32_t sum = 0;
    for (const TickedTable* t : group.tables)
        sum += t->low(t->classAt(frameClass, x), sign_);
    return sum;
}

const StepIndex* CrtSearch::indexFor(Group& group, std::uint64_t frameClass, std::int32_t x, std::int32_t budget,
                                     StepIndex::Use use) {
    std::array<std::int32_t, 2> classes{-1, -1};
    std::array<std::span<const std::int32_t>, 2> values{};
    for (std::size_t g = 0; g < group.tables.size(); ++g) {
        const TickedTable& t = *group.tables[g];
        classes[g] = t.classAt(frameClass, x);
        values[g] = std::span(group.orbits[g].values)
                        .subspan(static_cast<std::size_t>(classes[g] * t.choices), static_cast<std::size_t>(t.choices));
    }
    std::unique_ptr<StepIndex>& index = group.indexes[{classes[0], classes[1], budget}];
    if (!index) {
        if (indexed_ > limits_.mostIndexedInAll)
            return nullptr;
        index = std::make_unique<StepIndex>(values[0], values[1], budget, use, limits_.mostIndexed);
        indexed_ += index->size();
    }
    return index->usable() ? index.get() : nullptr;
}

std::uint32_t CrtSearch::stepIn(const Group& group, const StepIndex& index, std::uint64_t frame, std::int32_t x) const {
    std::array<std::uint32_t, 2> places{0, 0};
    for (std::size_t g = 0; g < group.tables.size(); ++g) {
        const TickedTable& t = *group.tables[g];
        places[g] = static_cast<std::uint32_t>(at(group.orbits[g].position, t.motion.indexAt(frame, x)) % t.choices);
    }
    return index.stepOf(places[0], places[1]);
}

// f' of one of the cursor's A steps: how many strides of M frames after its frame class.
std::uint64_t CrtSearch::stepsOf(const Cursor& cursor, const StepIndex::Step& s) const {
    return (s.step + a_.cycle - cursor.psi) % a_.cycle;
}

std::uint64_t CrtSearch::frameOf(const Cursor& cursor) const {
    const std::vector<StepIndex::Step>& steps = cursor.a->bySteps();
    return cursor.frameClass + modulus_ * stepsOf(cursor, steps[(cursor.first + cursor.next) % steps.size()]);
}

// The signed sum in the frame of the cursor's current candidate: A's part is in its index entry.
std::int32_t CrtSearch::candidateSum(const Cursor& cursor, std::uint64_t frame) const {
    const std::vector<StepIndex::Step>& steps = cursor.a->bySteps();
    std::int32_t sum = cursor.constant + steps[(cursor.first + cursor.next) % steps.size()].sum;
    const std::int32_t x = columns_.x(cursor.column);
    for (const TickedTable* t : b_.tables)
        sum += sign_ * t->entry(t->motion.indexAt(frame, x));
    return sum;
}

std::int32_t CrtSearch::sumAt(std::uint64_t frame, std::int32_t column) const {
    const std::int32_t x = columns_.x(column);
    std::int32_t sum = 0;
    for (const TickedTable& t : tables_)
        sum += t.entry(t.motion.indexAt(frame, x));
    return sign_ * sum;
}

// No frame of the cursor with f' below Q_A hits; its first hit, if any, is queued.
void CrtSearch::settleAfterA(const Cursor& cursor) {
    if (b_.tables.empty())
        return; // the cursor has seen every frame of its class
    const std::int32_t x = columns_.x(cursor.column);
    const StepIndex* b = indexFor(b_, cursor.frameClass, x,
                                  threshold_ - cursor.constant - lowOf(a_, cursor.frameClass, x),
                                  StepIndex::Use::Successors);
    const std::optional<std::uint64_t> first = b ? settleByIndex(cursor, *b) : settleByStepping(cursor);
    if (first)
        queue_.push({*first, cursor.column, kSettled});
}

// For each of A's steps, the fewest strides of M Q_A frames until B is within what is left of
// the threshold; the earliest.
std::optional<std::uint64_t> CrtSearch::settleByIndex(const Cursor& cursor, const StepIndex& b) const {
    const std::int32_t x = columns_.x(cursor.column);
    const std::uint64_t bStep = stepIn(b_, b, cursor.frameClass, x);
    // M frames move B's step by the inverse of Q_A modulo Q_B.
    const std::uint64_t perStep = inverseOf(a_.cycle % b_.cycle, b_.cycle);
    std::optional<std::uint64_t> first;
    for (const StepIndex::Step& s : cursor.a->bySteps()) {
        const std::uint64_t steps = stepsOf(cursor, s);
        const auto from = static_cast<std::uint32_t>((bStep + steps % b_.cycle * perStep) % b_.cycle);
        if (const auto strides = b.stepsFrom(from, threshold_ - cursor.constant - s.sum)) {
            const std::uint64_t hit = cursor.frameClass + modulus_ * (steps + a_.cycle * *strides);
            first = std::min(first.value_or(hit), hit);
        }
    }
    return first;
}

// B's index would be too large: B comes within its budget so often that stepping through the
// strides finds it soon. A's steps with the most room go first, so that the earliest hit found
// so far soon bounds the others.
std::optional<std::uint64_t> CrtSearch::settleByStepping(const Cursor& cursor) const {
    std::vector<StepIndex::Step> steps = cursor.a->bySteps();
    std::stable_sort(steps.begin(), steps.end(), [](const auto& p, const auto& q) { return p.sum < q.sum; });
    std::optional<std::uint64_t> first;
    for (const StepIndex::Step& s : steps)
        for (std::uint64_t strides = 1; strides < b_.cycle; ++strides) {
            const std::uint64_t frame = cursor.frameClass + modulus_ * (stepsOf(cursor, s) + a_.cycle * strides);
            if (first && frame >= *first)
                break;
            if (sumAt(frame, cursor.column) <= threshold_) {
                first = frame;
                break;
            }
        }
    return first;
}

} // namespace ondulix::engine::cycle
