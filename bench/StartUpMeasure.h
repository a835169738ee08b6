#pragma once

#include <string>
#include <vector>

class QString;

namespace ondulix::bench {

// Start-up and peak memory of a fresh process, for the real window and for the bare one: the
// benchmark starts itself as a child (see FirstPaintProbe.h) and takes the time from just before
// the child is spawned to the instant the child reports for its window's first paint.
struct StartUpFigures {
    std::vector<double> realMs, bareMs;           // spawn to first paint
    std::vector<double> realPeakMB, barePeakMB;   // peak resident memory, in 10^6 bytes
    bool ok = true;
    std::string note; // why a child failed, when one did
};

// Alternates real and bare children, `rounds` of each.
StartUpFigures MeasureStartUp(const QString& program, int rounds);

} // namespace ondulix::bench
