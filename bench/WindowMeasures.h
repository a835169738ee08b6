#pragma once

#include "engine/TableSet.h"
#include "support/MemoryDialogs.h"

#include <QTimer>

#include <array>
#include <chrono>
#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <vector>

namespace ondulix::ui::qt {
class MainWindow;
}

namespace ondulix::bench {

// Measurements on the real window in this process: the preview's frame rate and processor time
// next to an empty timer's, keystroke latencies next to a bare loop of sines, and a save next to
// writing the same bytes into memory.

// The real window, with a save dialog that answers a path set in advance and a message box that
// only records, so that nothing waits on a modal box; files go through the real file store.
struct MeasuredWindow {
    toolkit::MemorySaveDialog saveDialog;
    toolkit::MemoryMessageBox messageBox;
    std::unique_ptr<ui::qt::MainWindow> form;

    MeasuredWindow();
    ~MeasuredWindow();
};

struct TickFigures {
    double perSecond = 0.0;  // ticks or frames per second of wall time
    double cpuPercent = 0.0; // processor time of the whole process, in % of one core
    std::int64_t count = 0;
};

// Runs the event loop for the given time, so that timers tick and windows repaint.
void RunEventLoop(std::chrono::milliseconds duration);

// Wall and processor time, and a count, added up over turns of the event loop.
class TurnTotals {
public:
    // Runs the event loop for one turn and adds what it took and how far `count` advanced.
    void run(std::chrono::milliseconds duration, const std::function<std::int64_t()>& count);
    void add(double seconds, double cpuSeconds, std::int64_t count);

    double seconds() const { return seconds_; }
    double cpuSeconds() const { return cpuSeconds_; }
    std::int64_t count() const { return count_; }
    TickFigures figures() const;
    // Each turn on its own, in the order run.
    const std::vector<TickFigures>& turns() const { return turns_; }

private:
    double seconds_ = 0.0;
    double cpuSeconds_ = 0.0;
    std::int64_t count_ = 0;
    std::vector<TickFigures> turns_;
};

// The baseline of the preview: a 2 ms Qt::PreciseTimer whose slot only counts its ticks.
class EmptyTimer {
public:
    EmptyTimer();
    void start() { timer_.start(); }
    void stop() { timer_.stop(); }
    std::int64_t ticks() const { return ticks_; }

private:
    QTimer timer_;
    std::int64_t ticks_ = 0;
};

// The preview of the window, with its frames counted around the window's own tick handler, so
// that a tick that did not run a whole frame is not counted. The window's handler is put back
// when this ends.
class CountedPreview {
public:
    explicit CountedPreview(MeasuredWindow& window);
    ~CountedPreview();
    CountedPreview(const CountedPreview&) = delete;
    CountedPreview& operator=(const CountedPreview&) = delete;

    void start();
    void stop();
    std::int64_t frames() const { return frames_; }
    // From here on, consistent() compares the tables' positions with the frames counted.
    void markStart();
    // Whether frames ran since markStart() and every table's position advanced by exactly
    // frames x speed.
    bool consistent() const;

private:
    MeasuredWindow& window_;
    std::int64_t frames_ = 0;
    std::int64_t framesAtMark_ = 0;
    std::array<std::int32_t, engine::kTableCount> positionsAtMark_{};
};

// The preview of the shown window against an empty 2 ms precise timer, the most ticks the
// event loop delivers and what they cost, in turns: one timer runs at a time. `consistent`
// tells whether every table's position advanced by exactly frames x speed.
struct PreviewFigures : TickFigures {
    bool consistent = false;
};
struct PreviewComparison {
    TickFigures emptyTimer;
    PreviewFigures preview;
    // Turn by turn: the empty timer's turn and the preview's turn after it.
    std::vector<TickFigures> emptyTurns;
    std::vector<TickFigures> previewTurns;
};
PreviewComparison MeasurePreviewAgainstEmptyTimer(MeasuredWindow& window, int turns, std::chrono::milliseconds turn);

// Latencies in milliseconds of one key press sent to a box of the window, from the send to the
// return of the box's change handler (it runs inside the send), each sample next to one bare loop
// of 16,385 sines timed right after it.
struct KeystrokeFigures {
    std::vector<double> keyMs;
    std::vector<double> bareSineMs;
    bool asExpected = false; // the box ended as it should after every sample
    std::string note;        // what went wrong, when something did
};

// "20000" typed over txtSinLen(0) with Periods and Offset 16384: the fifth key is timed, which
// the clamp turns into a nested run and two computations of 16,385 entries.
KeystrokeFigures MeasureClampedKeystroke(MeasuredWindow& window, int samples);

// An ordinary digit typed at the end of txtSinWaves(1), the table at its default Length.
KeystrokeFigures MeasureDigitKeystroke(MeasuredWindow& window, int samples);

// "write file" with all four tables at Length 16384: the save command with the real file store
// (a temporary file renamed over the target) against writing the same text into a string.
struct SaveFigures {
    std::vector<double> saveMs;
    std::vector<double> inMemoryMs;
    std::size_t bytes = 0;
    bool asExpected = false; // every save wrote exactly the text, and no message was shown
    std::string note;
};
SaveFigures MeasureSave(MeasuredWindow& window, const std::string& path, int samples);

} // namespace ondulix::bench
