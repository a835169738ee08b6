#pragma once

namespace ondulix::bench {

// The child process of the start-up measurement: it builds one window, shows it, notes the
// instant of the monotonic clock at which the window's first paint was complete, lets the window
// run for half a second more, and prints that instant and its peak resident memory on standard
// output:
//
//     first-paint-ns 1234567890
//     peak-resident-kib 45678
//
// The real window and the bare one (a window with as many plain widgets as the real one has
// controls) are measured by the same program, so both pay the same program loading.
enum class ProbedWindow { Real, Bare };

int RunFirstPaintProbe(int& argc, char** argv, ProbedWindow which);

// How many widgets the real window's layout creates; the bare window gets as many.
int RealWindowWidgetCount();

} // namespace ondulix::bench
