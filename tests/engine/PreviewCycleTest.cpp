#include "cycle/CycleAnalysis.h"
#include "cycle/PreviewCycleSearch.h"

#include "display/PreviewFrame.h"
#include "engine/PreviewView.h"
#include "engine/NumberText.h"
#include "support/MemorySurface.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <numeric>
#include <ostream>
#include <random>
#include <vector>

namespace ondulix::engine {

void PrintTo(const CycleSample& s, std::ostream* out) {
    *out << "{frame " << s.frame << ", x " << s.x << ", sum " << s.sum << "}";
}

void PrintTo(const PreviewCycleReport& r, std::ostream* out) {
    const auto print = [out](const char* name, const std::optional<CycleSample>& s) {
        *out << ", " << name << " ";
        if (s)
            PrintTo(*s, out);
        else
            *out << "none";
    };
    *out << "{cycle " << r.cycleFrames << ", sums " << r.smallestSum.value_or(0) << " to " << r.largestSum.value_or(0)
         << (r.passesTop ? ", passes top" : "") << (r.passesBottom ? ", passes bottom" : "")
         << (r.unsettled.any() ? ", unsettled" : "");
    print("smallest", r.smallest);
    print("largest", r.largest);
    print("past top", r.firstPastTop);
    print("past bottom", r.firstPastBottom);
    *out << "}";
}

namespace {

using toolkit::DrawOp;

// The real preview frame, walked until every position is back at its start, gathered into the
// report the analysis gives. Each frame is drawn three times from the same positions: at a scale
// tall enough that every sum is drawn (the sums are read from the points), with only the real
// top edge (a missing point is a sum past the top), and at the real scale (a missing point that
// the top-only frame drew is past the bottom; the edges it reports passed must say the same).
// Then the positions move on.
PreviewCycleReport walkRealPreview(const PreviewCycleInput& in) {
    TableSet set;
    Participation ticked{};
    toolkit::MemorySurface picture;
    for (std::size_t t = 0; t < kTableCount; ++t) {
        const PreviewCycleTable& table = in.tables[t];
        set.tables[t].Length = table.Length;
        set.tables[t].Speed = table.Speed;
        set.preview.Position[t] = table.Position;
        ticked[t] = table.ticked;
        const auto row = set.values.row(static_cast<int>(t));
        std::copy_n(table.entries.begin(), table.ticked ? table.Length : 0, row.begin());
    }
    EXPECT_EQ(in.top + (in.bottom - in.top), in.bottom) << "the bounds need a height that adds back exactly";
    PreviewView view;
    view.setWidth(static_cast<float>(in.lastColumn));
    EXPECT_EQ(view.columnStep(), in.columnStep);
    EXPECT_EQ(view.lastColumn(), in.lastColumn);

    // One drawing of the frame between the given edges: the x and, if drawn, the y of every
    // column, and the edges the frame reports passed.
    struct Drawn {
        std::vector<std::pair<std::int32_t, std::optional<float>>> columns;
        display::PeakFlags flags;
    };
    const auto draw = [&](float top, float height) {
        view.setTop(top);
        view.setHeight(height);
        picture.forgetOperations();
        Drawn drawn;
        display::FrameScratch scratch;
        drawn.flags = display::DrawPreviewFrame(picture, set, view, ticked, scratch);
        for (const DrawOp& op : picture.operations())
            if (op.kind == DrawOp::Kind::Wipe)
                drawn.columns.emplace_back(static_cast<std::int32_t>(op.x1), std::nullopt);
            else if (op.kind == DrawOp::Kind::Point)
                drawn.columns.back().second = op.y1;
        return drawn;
    };
    const auto startPositions = [&] {
        std::array<std::int32_t, kTableCount> p{};
        for (std::size_t t = 0; t < kTableCount; ++t)
            p[t] = WrapIndex(set.preview.Position[t], set.tables[t].Length);
        return p;
    };
    const auto start = startPositions();

    PreviewCycleReport walked;
    walked.cycleFrames = 0;
    do {
        const std::uint64_t f = walked.cycleFrames++;
        const auto sums = draw(-1e9f, 2e9f).columns;
        const auto topOnly = draw(static_cast<float>(in.top), 1e30f).columns;
        const Drawn real = draw(static_cast<float>(in.top), static_cast<float>(in.bottom - in.top));
        AdvancePositions(set);
        bool pastTop = false, pastBottom = false;
        for (std::size_t c = 0; c < sums.size(); ++c) {
            const CycleSample here{f, sums[c].first, static_cast<std::int32_t>(*sums[c].second)};
            if (!walked.smallest || here.sum < walked.smallest->sum)
                walked.smallest = here;
            if (!walked.largest || here.sum > walked.largest->sum)
                walked.largest = here;
            const bool top = !topOnly[c].second, bottom = !top && !real.columns[c].second;
            if (top && !walked.firstPastTop)
                walked.firstPastTop = here;
            if (bottom && !walked.firstPastBottom)
                walked.firstPastBottom = here;
            pastTop |= top;
            pastBottom |= bottom;
        }
        EXPECT_EQ(real.flags.upper, pastTop) << "frame " << f;
        EXPECT_EQ(real.flags.lower, pastBottom) << "frame " << f;
    } while (startPositions() != start && walked.cycleFrames < 100000);
    if (walked.smallest)
        walked.smallestSum = walked.smallest->sum;
    if (walked.largest)
        walked.largestSum = walked.largest->sum;
    walked.passesTop = walked.firstPastTop.has_value();
    walked.passesBottom = walked.firstPastBottom.has_value();
    return walked;
}

// Tables whose entries the input's spans point at.
struct Tables {
    std::array<std::vector<std::int32_t>, kTableCount> entries;
    PreviewCycleInput input;

    void attach() {
        for (std::size_t t = 0; t < kTableCount; ++t)
            input.tables[t].entries = entries[t];
    }
};

std::int32_t pick(std::mt19937& rng, std::int32_t lo, std::int32_t hi) {
    return std::uniform_int_distribution<std::int32_t>(lo, hi)(rng);
}

// A random preview whose whole cycle is short enough to walk: small lengths with any speed, long
// ones with a speed that visits few entries, Length 1, unticked tables, few and many columns,
// and bounds placed on, beside and far from the sums.
void randomise(Tables& c, std::mt19937& rng) {
    const std::array<double, 8> widths{0, 1, 16384, 1.0 * pick(rng, 2, 191), 1.0 * pick(rng, 192, 16384),
                                       pick(rng, 2, 2000) + 0.5, 128.0 * pick(rng, 1, 128), -3};
    c.input.lastColumn = widths[static_cast<std::size_t>(pick(rng, 0, 7))];
    PreviewView view;
    view.setWidth(static_cast<float>(c.input.lastColumn));
    c.input.columnStep = view.columnStep();
    // Keeps the walk to about 50000 columns.
    const auto columns = static_cast<std::uint64_t>(std::max(0.0, c.input.lastColumn)) /
                             static_cast<std::uint64_t>(c.input.columnStep) + 1;
    std::uint64_t cycle = 0;
    do {
        cycle = 1;
        for (std::size_t t = 0; t < kTableCount; ++t) {
            PreviewCycleTable& table = c.input.tables[t];
            const std::int32_t kind = pick(rng, 0, 9);
            table.Length = kind == 0   ? 1
                           : kind < 7 ? pick(rng, 2, 24)
                           : kind < 9 ? pick(rng, 25, 60)
                                      : 16384 >> pick(rng, 0, 5); // speeds of 64 * k visit few entries
            table.Speed = kind == 9 ? 64 * pick(rng, -4, 4) : pick(rng, 0, 6) == 0 ? 0 : pick(rng, -256, 256);
            table.Position = pick(rng, 0, 100000);
            table.ticked = pick(rng, 0, 4) != 0;
            const std::int32_t reach = std::array{0, 1, 3, 40, 32768}[static_cast<std::size_t>(pick(rng, 0, 4))];
            c.entries[t].resize(static_cast<std::size_t>(table.Length));
            for (std::int32_t& e : c.entries[t])
                e = pick(rng, -reach, reach);
            const std::int32_t step = ((table.Speed % table.Length) + table.Length) % table.Length;
            cycle = std::lcm(cycle, static_cast<std::uint64_t>(table.Length / std::gcd(table.Length, step)));
        }
    } while (cycle * columns > 50000);
    c.attach();


    // An actual sum of some frame and column, so that the bounds can sit exactly on one.
    const auto someSum = [&] {
        const std::int32_t f = pick(rng, 0, 50), x = pick(rng, 0, 200);
        std::int32_t sum = 0;
        for (std::size_t t = 0; t < kTableCount; ++t) {
            const PreviewCycleTable& table = c.input.tables[t];
            if (table.ticked)
                sum += c.entries[t][static_cast<std::size_t>(
                    (static_cast<std::int64_t>(table.Position) + f * table.Speed + x) % table.Length + table.Length) %
                                                       static_cast<std::size_t>(table.Length)];
        }
        return static_cast<float>(sum);
    };
    const std::array<float, 4> nudges{0.0f, 0.5f, -0.25f, 1.0f};
    const float top = someSum() + nudges[static_cast<std::size_t>(pick(rng, 0, 3))];
    float height = someSum() - top + nudges[static_cast<std::size_t>(pick(rng, 0, 3))];
    c.input.top = top;
    if (pick(rng, 0, 19) != 0) // the input rules keep the bottom below the top; the frame does not need it
        height = std::abs(height);
    c.input.bottom = top + (height == 0.0f ? 1.0f : height); // in single precision, as the frame adds
}

// Also with indexes limited to a few combinations, which sends the search down its other ways:
// walking the frames, and stepping to the second group of tables instead of looking it up.
TEST(PreviewCycleTest, AgreesWithTheRealFrameOverWholeShortCycles) {
    std::mt19937 rng(20240611);
    for (int n = 0; n < 2000; ++n) {
        Tables c;
        randomise(c, rng);
        SCOPED_TRACE("case " + std::to_string(n));
        const PreviewCycleReport real = walkRealPreview(c.input);
        ASSERT_EQ(cycle::SearchPreviewCycle(c.input), real);
        for (const std::size_t most : {std::size_t{0}, std::size_t{4}, std::size_t{16}})
            ASSERT_EQ(cycle::SearchPreviewCycle(c.input, cycle::SearchBudget{}, cycle::SearchLimits{most, std::size_t{1} << 24}), real) << most;
    }
}

// Tables that are 0 everywhere except a dip at one entry, walked at speed 1 from position 0: a
// table dips in frame f at column x when f + x is its dip's index modulo its Length.
Tables dips(const std::array<std::int32_t, kTableCount>& lengths, const std::array<std::int32_t, kTableCount>& dipAt,
            const std::array<std::int32_t, kTableCount>& depth) {
    Tables c;
    for (std::size_t t = 0; t < kTableCount; ++t) {
        c.entries[t].assign(static_cast<std::size_t>(lengths[t]), 0);
        c.entries[t][static_cast<std::size_t>(dipAt[t])] = -depth[t];
        c.input.tables[t] = {{}, lengths[t], 1, 0, true};
    }
    c.attach();
    return c;
}

TEST(PreviewCycleTest, FindsTheFirstFramesOfCyclesTooLongToWalk) {
    // Four primes, each table dipping at its last entry, columns x = 0 to 3. All four dip together
    // where f + x = -1 modulo every length, that is f = -1 - x modulo their product
    // N = 16381 * 16369 * 16363 * 16361 = 268140589 * 267715043 = 71785269314180327: column 3
    // gets there first, at frame N - 4. The cycle is N frames, and a sum of 0 shows at once.
    Tables primes = dips({16381, 16369, 16363, 16361}, {16380, 16368, 16362, 16360}, {1, 1, 1, 1});
    primes.input.lastColumn = 3;
    primes.input.top = -3.5f;
    primes.input.bottom = 0.0f;
    const PreviewCycleReport p = cycle::SearchPreviewCycle(primes.input);
    EXPECT_EQ(p.cycleFrames, 71785269314180327u);
    EXPECT_EQ(p.smallest, (CycleSample{71785269314180323u, 3, -4}));
    EXPECT_EQ(p.firstPastTop, p.smallest);
    EXPECT_EQ(p.largest, (CycleSample{0, 0, 0}));
    EXPECT_EQ(p.firstPastBottom, std::nullopt);

    // Shared factors: lengths 2^14, 2^12 * 3, 5^6 and 11^4, one column. Table 1 dips at entry 0
    // (f = 0 mod 2^12 * 3) and table 0 at its last (f = -1 mod 2^14), so they never dip together:
    // f would be both 0 and -1 mod 2^12. Tables 0, 2 and 3 dip by 2 together at f = -1 mod
    // 2^14 * 5^6 * 11^4 = 16384 * 15625 * 14641 = 3748096000000, first at 3748095999999, for the
    // smallest sum -6 (with table 1 the best is -5). Table 1 dips in frame 0, so the first sum of
    // 0 is in frame 1. The cycle is 3 times as long: 11244288000000 frames.
    Tables shared = dips({16384, 12288, 15625, 14641}, {16383, 0, 15624, 14640}, {2, 1, 2, 2});
    shared.input.top = -5.5f;
    shared.input.bottom = -0.5f;
    const PreviewCycleReport s = cycle::SearchPreviewCycle(shared.input);
    EXPECT_EQ(s.cycleFrames, 11244288000000u);
    EXPECT_EQ(s.smallest, (CycleSample{3748095999999u, 0, -6}));
    EXPECT_EQ(s.firstPastTop, s.smallest);
    EXPECT_EQ(s.largest, (CycleSample{1, 0, 0}));
    EXPECT_EQ(s.firstPastBottom, s.largest);

    // Unticked, table 1 no longer dips, so frame 0 shows the first 0; its factor 3 still counts
    // towards the cycle.
    shared.input.tables[1].ticked = false;
    const PreviewCycleReport u = cycle::SearchPreviewCycle(shared.input);
    EXPECT_EQ(u.cycleFrames, 11244288000000u);
    EXPECT_EQ(u.smallest, (CycleSample{3748095999999u, 0, -6}));
    EXPECT_EQ(u.largest, (CycleSample{0, 0, 0}));
}

TEST(PreviewCycleTest, RefusesInputTheFrameCannotHave) {
    const std::vector<std::int32_t> entries(16, 0);
    const std::vector<std::int32_t> huge(16, (1 << 22) + 1);
    const auto input = [&](auto change) {
        PreviewCycleInput in;
        for (PreviewCycleTable& t : in.tables)
            t = {entries, 16, 1, 0, true};
        change(in);
        return in;
    };
    EXPECT_NO_THROW(cycle::SearchPreviewCycle(input([](PreviewCycleInput&) {})));
    EXPECT_THROW(cycle::SearchPreviewCycle(input([](auto& in) { in.tables[1].Length = 0; })), std::invalid_argument);
    EXPECT_THROW(cycle::SearchPreviewCycle(input([](auto& in) { in.tables[2].Length = 17; })), std::invalid_argument);
    EXPECT_THROW(cycle::SearchPreviewCycle(input([&](auto& in) { in.tables[3].entries = huge; })), std::invalid_argument);
    EXPECT_THROW(cycle::SearchPreviewCycle(input([](auto& in) { in.columnStep = 0; })), std::invalid_argument);
    EXPECT_THROW(cycle::SearchPreviewCycle(input([](auto& in) { in.lastColumn = 16385; })), std::invalid_argument);
    // An unticked table's entries are never read.
    EXPECT_NO_THROW(cycle::SearchPreviewCycle(input([](auto& in) { in.tables[0] = {{}, 16, 1, 0, false}; })));
}

} // namespace
} // namespace ondulix::engine
