// A picture box rasterises a column wipe by rewriting only the rows that hold something, and
// repaints only the rectangle that changed. What it shows and what picture() returns must be,
// pixel for pixel, what rasterising every primitive at once gives. The window's logic runs without a display, driven by random frames,
// edits, resizes and stray drawing; every picture box it draws into is mirrored onto two real
// surfaces, one drawn in bursts as the window draws, one handed each primitive outside any burst,
// and the two are compared at random moments. The same test runs at a device pixel ratio of 2.

#include "ui/MainWindowLayout.h"
#include "display/PlotColours.h"
#include "support/HeadlessWindow.h"
#include "ui/qt/QtSurface.h"
#include "OnScreen.h"

#include <QCoreApplication>
#include <QImage>
#include <QPixmap>
#include <QTest>

#include <gtest/gtest.h>

#include <array>
#include <chrono>
#include <memory>
#include <random>
#include <sstream>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

namespace ondulix::ui::qt {
namespace {

using toolkit::DrawOp;
using C = FormControls;
constexpr toolkit::Colour kDarkGrey = display::kPlotBack;
using display::kPlotGreen;

// Where two pictures first differ, for a readable failure.
std::string difference(const QImage& a, const QImage& b) {
    if (a.size() != b.size() || a.devicePixelRatio() != b.devicePixelRatio())
        return "sizes differ";
    for (int y = 0; y < a.height(); ++y)
        for (int x = 0; x < a.width(); ++x)
            if (a.pixel(x, y) != b.pixel(x, y)) {
                std::ostringstream out;
                out << "first difference at " << x << "," << y << ": " << std::hex << a.pixel(x, y) << " shown, "
                    << b.pixel(x, y) << " when drawn at once";
                return out.str();
            }
    return {};
}

// One picture box of the layout, twice: `shown` gets the primitives in bursts, as the window
// draws them; `everyFrame` gets each one outside any burst, so it rasterises them as they come.
struct MirroredBox {
    QtSurface shown;
    QtSurface everyFrame;

    MirroredBox(const LayoutItem& item, QSize size)
        : shown(item.back.value_or(kDarkGrey), item.scale, item.sunkenBorder),
          everyFrame(item.back.value_or(kDarkGrey), item.scale, item.sunkenBorder) {
        resize(size);
        shown.show();
        everyFrame.show();
    }
    void resize(QSize size) {
        shown.resize(size);
        everyFrame.resize(size);
    }
    void setScale(toolkit::UserScale scale) {
        shown.setScale(scale);
        everyFrame.setScale(scale);
    }
    void apply(const DrawOp& op) {
        apply(shown, op);
        apply(everyFrame, op);
    }
    void apply(QtSurface& surface, const DrawOp& op) {
        if (op.kind != DrawOp::Kind::Clear && op.scale != surface.scale())
            surface.setScale(op.scale);
        switch (op.kind) {
        case DrawOp::Kind::Clear: surface.clear(); break;
        case DrawOp::Kind::Point: surface.point(op.x1, op.y1, op.colour); break;
        case DrawOp::Kind::Line: surface.line(op.x1, op.y1, op.x2, op.y2, op.colour); break;
        case DrawOp::Kind::Wipe: // the line it stands for, where each primitive is drawn alone
            if (&surface == &shown)
                surface.wipeColumn(op.x1, op.colour);
            else
                surface.line(op.x1, op.y1, op.x2, op.y2, op.colour);
            break;
        }
    }

    // The end of the preview frame that starts at ops[first]: wipes in one colour and scale,
    // each followed by at most one dot in its column; `first` where no frame starts there.
    static std::size_t frameEnd(const std::vector<DrawOp>& ops, std::size_t first) {
        std::size_t end = first;
        while (end < ops.size() && ops[end].kind == DrawOp::Kind::Wipe && ops[end].colour == ops[first].colour &&
               ops[end].scale == ops[first].scale) {
            const DrawOp& wipe = ops[end++];
            if (end < ops.size() && ops[end].kind == DrawOp::Kind::Point && ops[end].x1 == wipe.x1 &&
                ops[end].scale == wipe.scale && ops[end].colour == dotColour(ops, first))
                ++end;
        }
        return end;
    }
    static toolkit::Colour dotColour(const std::vector<DrawOp>& ops, std::size_t first) {
        for (std::size_t i = first; i < ops.size() && ops[i].kind != DrawOp::Kind::Line; ++i)
            if (ops[i].kind == DrawOp::Kind::Point)
                return ops[i].colour;
        return kPlotGreen;
    }

    // The shown box gets a preview frame as the window says it, all at once; the other box
    // gets each of its primitives alone.
    void sayFrame(const std::vector<DrawOp>& ops, std::size_t first, std::size_t end) {
        std::vector<toolkit::Surface::ColumnDot> columns;
        for (std::size_t i = first; i < end; ++i) {
            if (ops[i].kind == DrawOp::Kind::Wipe)
                columns.push_back({ops[i].x1, 0.0f, false});
            else
                columns.back() = {ops[i].x1, ops[i].y1, true};
            apply(everyFrame, ops[i]);
        }
        if (ops[first].scale != shown.scale())
            shown.setScale(ops[first].scale);
        shown.wipeColumnsAndDot(columns, ops[first].colour, dotColour(ops, first));
    }

    // Replays what the headless box drew since the last call: each run of points and lines is
    // one burst, as a preview frame or a plot is in the window.
    void mirror(toolkit::MemorySurface& source) {
        bool inBurst = false;
        const std::vector<DrawOp>& ops = source.operations();
        for (std::size_t i = 0; i < ops.size();) {
            const DrawOp& op = ops[i];
            const bool drawing = op.kind != DrawOp::Kind::Clear;
            if (drawing != inBurst) {
                drawing ? shown.beginDrawing() : shown.endDrawing();
                inBurst = drawing;
            }
            if (const std::size_t end = frameEnd(ops, i); end > i) {
                sayFrame(ops, i, end);
                i = end;
                continue;
            }
            apply(op);
            ++i;
        }
        if (inBurst)
            shown.endDrawing();
        setScale(source.scale()); // an edit may change the scale and draw nothing
        source.forgetOperations();
    }

    // The box as a paint shows it now, and the picture as read.
    void expectSame(const std::string& context) {
        const std::string painted = difference(shown.grab().toImage(), everyFrame.grab().toImage());
        EXPECT_TRUE(painted.empty()) << context << ", painted: " << painted;
        const std::string read = difference(shown.picture(), everyFrame.picture());
        EXPECT_TRUE(read.empty()) << context << ", picture(): " << read;
    }
};

// The texts a user might leave in a box: widths that make the column step shrink and grow, bounds
// that move the edges or put the sums beyond them, speeds and lengths, and junk.
constexpr std::array<std::string_view, 20> kTexts = {
    "512", "256", "100", "191", "7",   "1",    "0",    "2000", "16384", "-512",
    "-100", "300", "-3",  "64",  "3.5", "1e3", "&H80", "abc",  "",      "-16384",
};

// The boxes whose edits touch the preview or a plot: the preview's extents clear it and change
// its scale and column step, a speed clears it, the others recompute a table and its plot.
std::vector<std::pair<std::string, toolkit::MemoryTextBox*>> editableBoxes(HeadlessWindow& window) {
    std::vector<std::pair<std::string, toolkit::MemoryTextBox*>> boxes = {
        {"txtPrvXmax", &window.control(&C::txtPrvXmax)},
        {"txtPrvYmin", &window.control(&C::txtPrvYmin)},
        {"txtPrvYmax", &window.control(&C::txtPrvYmax)}};
    const std::pair<const char*, TableRow<toolkit::TextBox> C::*> rows[] = {
        {"txtSinSpeed", &C::txtSinSpeed}, {"txtSinLen", &C::txtSinLen}, {"txtSinWaves", &C::txtSinWaves},
        {"txtSinOffs", &C::txtSinOffs},   {"txtSinMin", &C::txtSinMin}, {"txtSinMax", &C::txtSinMax}};
    for (const auto& [name, row] : rows)
        for (int t = 0; t < engine::kTableCount; ++t)
            boxes.emplace_back(std::string(name) + "(" + std::to_string(t) + ")", &window.control(row, t));
    return boxes;
}

// Stray drawing on the preview, at any column and often between those a frame draws in: short
// wipes, full ones, points and diagonals.
void drawStray(MirroredBox& box, std::mt19937& random) {
    const toolkit::UserScale scale = box.shown.scale();
    std::uniform_int_distribution<int> column(0, 520);
    std::uniform_real_distribution<float> along(0.0f, 1.0f);
    const auto y = [&] { return scale.top + along(random) * scale.height; };
    const int count = 1 + static_cast<int>(random() % 6);
    for (int i = 0; i < count; ++i) {
        const auto x = static_cast<float>(column(random));
        const toolkit::Colour colour = random() % 2 ? kPlotGreen : kDarkGrey;
        switch (random() % 4) {
        case 0: box.apply({DrawOp::Kind::Line, x, y(), x, y(), colour, scale}); break;
        case 1: box.apply({DrawOp::Kind::Line, x, scale.top, x, scale.top + scale.height, colour, scale}); break;
        case 2: box.apply({DrawOp::Kind::Point, x, y(), x, y(), colour, scale}); break;
        default: box.apply({DrawOp::Kind::Line, x, y(), x + 40.0f, y(), colour, scale}); break;
        }
    }
}

// A burst shaped like a frame: in each of `count` columns, `step` apart from `first`, a wipe and
// then a point. The wipes may stop short of an edge (`from` and `to` are fractions of the height)
// and the points may land beside their column; a frame's own columns have neither.
struct Sweep {
    int first = 0;
    int step = 4;
    int count = 129;
    float from = 0.0f;
    float to = 1.0f;
    int pointShift = 0;
};

Sweep randomSweep(std::mt19937& random) {
    constexpr std::array kFirst = {0, 0, 1, 2};
    constexpr std::array kStep = {4, 4, 2, 8};
    constexpr std::array kCount = {129, 129, 1, 2};
    constexpr std::array kFrom = {0.0f, 0.0f, 0.0f, 0.01f, 0.005f};
    constexpr std::array kTo = {1.0f, 1.0f, 1.0f, 0.99f, 0.995f}; // a row short of the bottom, or so
    constexpr std::array kShift = {0, 0, 0, 1};
    const auto pick = [&random](const auto& options) { return options[random() % options.size()]; };
    return {pick(kFirst), pick(kStep), pick(kCount), pick(kFrom), pick(kTo), pick(kShift)};
}

// A sweep that differs from `sweep` in one respect: where it starts, how many columns, how far
// its wipes reach, or where its points land.
Sweep varied(Sweep sweep, std::mt19937& random) {
    switch (random() % 4) {
    case 0: sweep.first += 1 + static_cast<int>(random() % 3); break;
    case 1: sweep.count = sweep.count == 129 ? 128 : 129; break;
    case 2: sweep.to = sweep.to == 1.0f ? 0.99f : 1.0f; break;
    default: sweep.pointShift = 1 - sweep.pointShift; break;
    }
    return sweep;
}

void drawSweep(MirroredBox& box, const Sweep& sweep, std::mt19937& random) {
    const toolkit::UserScale scale = box.shown.scale();
    std::uniform_real_distribution<float> along(0.0f, 1.0f);
    const toolkit::DrawingBurst burst(box.shown);
    for (int i = 0; i < sweep.count; ++i) {
        const auto x = static_cast<float>(sweep.first + i * sweep.step);
        box.apply({DrawOp::Kind::Line, x, scale.top + sweep.from * scale.height, x,
                   scale.top + sweep.to * scale.height, kDarkGrey, scale});
        const auto pointX = static_cast<float>(sweep.first + i * sweep.step + sweep.pointShift);
        const float y = scale.top + along(random) * scale.height;
        box.apply({DrawOp::Kind::Point, pointX, y, pointX, y, kPlotGreen, scale});
    }
}

// A scale the input rules could set: other extents, or the y axis turned upward.
toolkit::UserScale randomScale(std::mt19937& random) {
    constexpr std::array<toolkit::UserScale, 5> kScales = {{
        {0, -512, 512, 1024}, {0, -300, 512, 600}, {0, -512, 256, 1024}, {0, 512, 512, -1024}, {0, -100, 520, 900},
    }};
    return kScales[random() % kScales.size()];
}

TEST(QtSurfaceDeferredDrawing, ShowsWhatDrawingEveryPrimitiveAtOnceWouldShow) {
    const QSize previewSize(281, 89); // the layout's boxes in pixels
    const QSize plotSize(129, 89);
    for (std::uint32_t seed = 1; seed <= 10; ++seed) {
        std::mt19937 random(seed);
        HeadlessWindow window;
        window.load();
        MirroredBox preview(layoutItem("picPreview"), previewSize);
        std::array<std::unique_ptr<MirroredBox>, engine::kTableCount> plots;
        for (int t = 0; t < engine::kTableCount; ++t)
            plots[static_cast<std::size_t>(t)] = std::make_unique<MirroredBox>(layoutItem("SinusPic", t), plotSize);
        const auto mirrorAll = [&] {
            preview.mirror(window.control(&C::picPreview));
            for (int t = 0; t < engine::kTableCount; ++t)
                plots[static_cast<std::size_t>(t)]->mirror(window.control(&C::SinusPic, t));
        };
        mirrorAll();
        const auto boxes = editableBoxes(window);

        std::string last = "start-up";
        int frames = 0;
        for (int step = 0; step < 400; ++step) {
            const std::string context = "seed " + std::to_string(seed) + ", step " + std::to_string(step) + " after " + last;
            const auto choice = random() % 100;
            if (choice < 50) { // a run of frames, each its own burst
                const int run = 1 + static_cast<int>(random() % 8);
                for (int i = 0; i < run; ++i) {
                    window.logic().onPreviewTick();
                    mirrorAll();
                }
                frames += run;
                last = std::to_string(run) + " frames";
            } else if (choice < 55) { // a frame with more drawn in its burst than its columns
                preview.shown.beginDrawing();
                window.logic().onPreviewTick();
                preview.mirror(window.control(&C::picPreview));
                drawStray(preview, random);
                preview.shown.endDrawing();
                last = "a frame with stray drawing";
            } else if (choice < 62) { // bursts like frames, each a little different from the last
                Sweep sweep = randomSweep(random);
                for (int i = 0, n = 1 + static_cast<int>(random() % 3); i < n; ++i) {
                    drawSweep(preview, sweep, random);
                    sweep = varied(sweep, random);
                }
                last = "sweeps";
            } else if (choice < 64) { // a new scale without a clear; the next frame restores it
                preview.setScale(randomScale(random));
                last = "a scale";
            } else if (choice < 75) { // an edit, pasted or typed key by key
                const auto& [name, box] = boxes[random() % boxes.size()];
                const std::string_view text = kTexts[random() % kTexts.size()];
                if (random() % 3 == 0)
                    HeadlessWindow::typeOver(*box, text);
                else
                    HeadlessWindow::pasteOver(*box, text);
                mirrorAll();
                last = name + " \"" + std::string(text) + "\"";
            } else if (choice < 80) {
                auto& check = window.control(&C::checkSin, static_cast<int>(random() % engine::kTableCount));
                check.setChecked(!check.isChecked());
                last = "a check box";
            } else if (choice < 83) {
                preview.resize({100 + static_cast<int>(random() % 300), 20 + static_cast<int>(random() % 120)});
                last = "a resize";
            } else if (choice < 88) { // stray drawing, in a burst of its own or outside any
                const bool burst = random() % 2 == 0;
                if (burst)
                    preview.shown.beginDrawing();
                drawStray(preview, random);
                if (burst)
                    preview.shown.endDrawing();
                last = "stray drawing";
            } else if (choice < 94) { // the event loop: repaints as the screen would get them
                QCoreApplication::processEvents();
                last = "a pass of the event loop";
            } else {
                preview.expectSame(context);
                for (const auto& plot : plots)
                    plot->expectSame(context + ", a plot");
                if (::testing::Test::HasFailure())
                    return;
            }
        }
        preview.expectSame("seed " + std::to_string(seed) + ", at the end");
        EXPECT_GT(frames, 500); // most bursts were frames, most of them painted over
    }
}

QImage onScreen(QtSurface& surface) { return OnScreen(surface, surface.contentsRect()); }

// Frames at the preview's pace in real time: the repaint each refresh period owes is paid by the
// next frame, over the rectangle that changed since the screen was last given the picture (how
// often that happens depends on the machine's pace; QtSurfaceTest checks the pacing itself). Edits,
// stray drawing, resizes and grabs (paints that never reach the screen) come in between; each time
// the frames pause and the last repaint is paid, the screen shows the picture pixel for pixel.
TEST(QtSurfaceDeferredDrawing, TheScreenShowsThePictureWhileFramesRunInRealTime) {
    using Clock = std::chrono::steady_clock;
    std::mt19937 random(11);
    HeadlessWindow window;
    window.load();
    MirroredBox preview(layoutItem("picPreview"), QSize(281, 89));
    preview.mirror(window.control(&C::picPreview));
    const auto boxes = editableBoxes(window);
    for (int pause = 0; pause < 30; ++pause) {
        const auto until = Clock::now() + std::chrono::milliseconds(30 + random() % 50);
        while (Clock::now() < until) {
            window.logic().onPreviewTick();
            preview.mirror(window.control(&C::picPreview));
            const auto choice = random() % 200;
            if (choice < 3) {
                const auto& box = boxes[random() % boxes.size()].second;
                HeadlessWindow::pasteOver(*box, kTexts[random() % kTexts.size()]);
                preview.mirror(window.control(&C::picPreview));
            } else if (choice < 6) {
                drawStray(preview, random);
            } else if (choice < 7) {
                preview.resize({200 + static_cast<int>(random() % 200), 40 + static_cast<int>(random() % 80)});
            } else if (choice < 10) {
                preview.shown.grab(); // a paint that never reaches the screen
            }
            QTest::qWait(2);
        }
        // Past the refresh period the repaint still owed is due; qWait() may return from a sleep
        // without a last pass of the event loop, so one more pass pays it.
        QTest::qWait(40);
        QCoreApplication::processEvents();
        const std::string context = "pause " + std::to_string(pause);
        const std::string shown = difference(onScreen(preview.shown), preview.shown.picture());
        ASSERT_TRUE(shown.empty()) << context << ", on the screen: " << shown;
        if (pause % 3 == 2)
            preview.expectSame(context);
    }
}

} // namespace
} // namespace ondulix::ui::qt
