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
// The real window and the two bare ones are measured by the same program, so all pay the same
// program loading. Both bare windows have one widget at the place of each control of the real
// one: Qt's standard widgets of the same kinds with the same texts (labels, text boxes, check
// boxes, buttons, frames), or blank widgets without any text.
enum class ProbedWindow { Real, Standard, Blank };

int RunFirstPaintProbe(int& argc, char** argv, ProbedWindow which);

// How many widgets the real window's layout creates; the bare window gets as many.
int RealWindowWidgetCount();

} // namespace ondulix::bench
