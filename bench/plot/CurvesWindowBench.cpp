// The "Drying curves" window with the largest run and two runs kept (three runs of 14 zones ×
// 1999 steps drawn in each of the four charts), at a laptop's size (1366 × 700): a run shown
// (the four charts built, laid out and drawn), and the window drawn again as it is.
#include <benchmark/benchmark.h>

#include <QApplication>
#include <QPixmap>

#include "LargestRun.h"
#include "SilentMessages.h"
#include "analysis/RunComparison.h"
#include "app/CurvesWindow.h"
#include "app/WindowLook.h"

namespace quillmere {
namespace {

constexpr QSize kLaptop{1366, 700};  // [px]

struct KeptRuns {
  KeptRuns() : window(look, messages, '.') {
    window.resize(kLaptop);
    for (const char* speed : {"0.8", "0.9"}) {
      const MemoryFieldTexts fields = LargestRunFields(speed);
      window.ShowRun(RunOf(fields), InputsOf(fields));
      window.KeepRun();
    }
    inputs = InputsOf(LargestRunFields());
  }
  WindowLook look = ChooseWindowLook();
  SilentMessages messages;
  CurvesWindow window;
  RunInputs inputs;
};

void BM_CurvesWindowShowsARun(benchmark::State& state) {
  KeptRuns kept;
  for (auto _ : state) {
    kept.window.ShowRun(LargestRun(), kept.inputs);
    QApplication::processEvents();
    benchmark::DoNotOptimize(kept.window.grab());
  }
  state.SetLabel("14 zones, two runs kept, 1366 x 700");
}
BENCHMARK(BM_CurvesWindowShowsARun)->Unit(benchmark::kMillisecond);

void BM_CurvesWindowRepaint(benchmark::State& state) {
  KeptRuns kept;
  kept.window.ShowRun(LargestRun(), kept.inputs);
  QApplication::processEvents();
  for (auto _ : state) benchmark::DoNotOptimize(kept.window.grab());
  state.SetLabel("14 zones, two runs kept, 1366 x 700");
}
BENCHMARK(BM_CurvesWindowRepaint)->Unit(benchmark::kMillisecond);

}  // namespace
}  // namespace quillmere
