// The window's logic on the in-memory toolkit: a keystroke that the clamp turns into two full
// computations, and one preview frame at the widest extent.
#include "ui/HeadlessWindow.h"

#include <benchmark/benchmark.h>

namespace {

using ondulix::ui::HeadlessWindow;

void quietSurfaces(HeadlessWindow& w) {
    w.picPreview.setRecording(false);
    for (auto& plot : w.SinusPic)
        plot.setRecording(false);
}

// "20000" typed over txtSinLen(0) with Periods and Offset at their limit: the clamp writes
// "16384", whose handler runs nested and computes the table; the outer run computes it again.
void BM_KeystrokeClamped(benchmark::State& state) {
    HeadlessWindow w;
    w.load();
    quietSurfaces(w);
    HeadlessWindow::pasteOver(w.txtSinWaves[0], "16384");
    HeadlessWindow::pasteOver(w.txtSinOffs[0], "16384");
    for (auto _ : state) {
        w.txtSinLen[0].setText("20000");
        benchmark::DoNotOptimize(w.tableSet().values(0, 16384));
    }
    if (w.txtSinLen[0].text() != "16384")
        state.SkipWithError("the clamp did not run");
}
BENCHMARK(BM_KeystrokeClamped);

void BM_PreviewFrame(benchmark::State& state) {
    HeadlessWindow w;
    w.load();
    quietSurfaces(w);
    HeadlessWindow::pasteOver(w.txtPrvXmax, "16384");
    for (auto _ : state)
        w.form().PreviewFrame();
    state.counters["columns"] = 129;
}
BENCHMARK(BM_PreviewFrame)->Unit(benchmark::kMicrosecond);

} // namespace
