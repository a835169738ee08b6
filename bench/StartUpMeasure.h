#pragma once

#include "FirstPaintProbe.h"

#include <array>
#include <string>
#include <vector>

class QString;

namespace ondulix::bench {

// Start-up and peak memory of a fresh process, for the real window and for the two bare ones:
// the benchmark starts itself as a child (see FirstPaintProbe.h) and takes the time from just
// before the child is spawned to the instant the child reports for its window's first paint.
struct StartUpFigures {
    struct Runs {
        std::vector<double> startUpMs; // spawn to first paint
        std::vector<double> peakMB;    // peak resident memory, in 10^6 bytes
    };
    Runs real, standard, blank;
    bool ok = true;
    std::string note; // why a child failed, when one did

    Runs& of(ProbedWindow which) {
        return which == ProbedWindow::Real ? real : which == ProbedWindow::Standard ? standard : blank;
    }
};

// The probe's argument for each window, as RunFirstPaintProbe's caller reads it.
const char* ProbeName(ProbedWindow which);

// Alternates the three windows, `rounds` children of each.
StartUpFigures MeasureStartUp(const QString& program, int rounds);

} // namespace ondulix::bench
