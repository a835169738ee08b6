#pragma once

#include "WindowMeasures.h"

#include <chrono>
#include <string>
#include <vector>

class QString;

namespace ondulix::bench {

// The preview on a real X server (Xvfb, under bench/run) against an empty 2 ms timer in a bare
// window of the real one's size, 599 x 478, on the same server. Each runs in a child process of
// its own with the xcb platform, so that each has its own connection to the server and nothing
// of the other; the parent has them run in alternating turns, one at a time, as the offscreen
// comparison does, and adds up what they report. Qt's offscreen platform paints into memory
// only; on a server every repaint also travels to the server and back.
//
// A child is this benchmark started as "ondulix_window_perf --turn-child preview|bare". It shows
// its window, warms up, prints "ready", and then answers each "turn <milliseconds>" on standard
// input by running its timer for that long and printing
//
//     turn <wall seconds> <processor seconds> <frames or ticks>
//
// "end" makes it print "consistent 1" (or 0: whether the preview's positions match the frames
// it counted) and exit.
enum class TurnChild { Preview, BareWindow };

const char* TurnChildName(TurnChild which);
int RunTurnChild(int& argc, char** argv, TurnChild which);

struct ServerPreviewFigures {
    TickFigures emptyTimer;
    PreviewFigures preview;
    std::vector<TickFigures> emptyTurns; // turn by turn, as PreviewComparison has them
    std::vector<TickFigures> previewTurns;
    bool ok = false;
    std::string note; // what went wrong, when something did
};

ServerPreviewFigures MeasurePreviewOnServer(const QString& program, int turns, std::chrono::milliseconds turn);

} // namespace ondulix::bench
