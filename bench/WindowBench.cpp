// The window's logic on the in-memory toolkit: a keystroke that the clamp turns into a nested run
// and one full computation, and one preview frame at the widest extent.
#include "support/HeadlessWindow.h"

#include <benchmark/benchmark.h>

namespace {

using ondulix::ui::HeadlessWindow;
using C = ondulix::ui::FormControls;

void quietSurfaces(HeadlessWindow& w) {
    w.control(&C::picPreview).setRecording(false);
    for (int i = 0; i < 4; ++i)
        w.control(&C::SinusPic, i).setRecording(false);
}

// The "0" that makes "2000" in txtSinLen(0) read "20000", with Periods and Offset at their
// limit: the clamp writes "16384", whose handler runs nested and computes the table; the outer
// run finds it computed from the same parameters. Before each keystroke, untimed, the box gets
// "2000" back, so that every keystroke changes the table.
void BM_KeystrokeClamped(benchmark::State& state) {
    HeadlessWindow w;
    w.load();
    quietSurfaces(w);
    HeadlessWindow::pasteOver(w.control(&C::txtSinWaves, 0), "16384");
    HeadlessWindow::pasteOver(w.control(&C::txtSinOffs, 0), "16384");
    auto& length = w.control(&C::txtSinLen, 0);
    for (auto _ : state) {
        state.PauseTiming();
        length.setText("2000");
        state.ResumeTiming();
        length.setText("20000");
        benchmark::DoNotOptimize(w.tableSet().values(0, 16384));
    }
    if (w.control(&C::txtSinLen, 0).text() != "16384")
        state.SkipWithError("the clamp did not run");
}
BENCHMARK(BM_KeystrokeClamped);

void BM_PreviewFrame(benchmark::State& state) {
    HeadlessWindow w;
    w.load();
    quietSurfaces(w);
    HeadlessWindow::pasteOver(w.control(&C::txtPrvXmax), "16384");
    for (auto _ : state)
        w.logic().PreviewFrame();
    state.counters["columns"] = 129;
}
BENCHMARK(BM_PreviewFrame)->Unit(benchmark::kMicrosecond);

} // namespace
