#pragma once

#include "toolkit/MemoryToolkit.h"

#include <chrono>
#include <cstdint>
#include <memory>
#include <string>
#include <vector>

namespace ondulix::ui::qt {
class Form1;
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
    std::unique_ptr<ui::qt::Form1> form;

    MeasuredWindow();
    ~MeasuredWindow();
};

struct TickFigures {
    double perSecond = 0.0;  // ticks or frames per second of wall time
    double cpuPercent = 0.0; // processor time of the whole process, in % of one core
    std::int64_t count = 0;
};

// The preview of the shown window against an empty 2 ms precise timer, the most ticks the
// event loop delivers and what they cost, in turns: one timer runs at a time. Preview frames are
// counted around the timer's tick handler, so that a tick that did not run a whole frame is not
// counted; `consistent` tells whether every table's position advanced by exactly frames x speed.
struct PreviewFigures : TickFigures {
    bool consistent = false;
};
struct PreviewComparison {
    TickFigures emptyTimer;
    PreviewFigures preview;
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
