// Live what-if: what one preview costs, from the fields as they stand to the curves window
// drawn again (the run without a result file, its series and plant page, the four charts
// brought up to date in place, laid out and drawn), for the default line (two zones) and the
// largest (14 zones × 1999 steps), at a laptop's size (1366 × 700) with the run OK'd last
// drawn against it. The preview runs after a pause of LivePreview::kPauseMs (150 ms) and must
// cost well under it.
#include <benchmark/benchmark.h>

#include <QApplication>
#include <QPixmap>
#include <QTemporaryDir>
#include <memory>
#include <string>

#include "LargestRun.h"
#include "SilentMessages.h"
#include "app/CurvesWindow.h"
#include "app/LivePreview.h"
#include "app/MainWindow.h"
#include "app/WindowLook.h"
#include "params/FieldTable.h"

namespace quillmere {
namespace {

constexpr QSize kLaptop{1366, 700};  // [px]
constexpr const char* kStages[] = {"run and charts built", "laid out", "drawn"};

//! The main window and its curves after one OK of `fields` (the defaults without them), the
//! result file in a directory of its own.
struct PreviewWindows {
  explicit PreviewWindows(const FieldTexts* fields)
      : curves(look, messages, '.'), form(look, messages, '.', {}, &curves) {
    curves.resize(kLaptop);
    if (fields != nullptr) {
      for (const FieldSpec& field : AllFields()) {
        form.Fields().SetText(field.name, fields->Text(field.name));
      }
    }
    form.Fields().SetText("Edit250",
                          directory.filePath(QStringLiteral("result.txt")).toStdString());
    form.BitBtn1Click();
    QApplication::processEvents();
  }
  QTemporaryDir directory;
  WindowLook look = ChooseWindowLook();
  SilentMessages messages;
  CurvesWindow curves;
  TForm1 form;
};

// Each round previews another line speed, as typing does: with the argument 0 the run and
// its charts built, 1 also laid out, 2 also drawn (the whole cost the user waits for).
void PreviewRounds(benchmark::State& state, const FieldTexts* fields) {
  PreviewWindows windows(fields);
  LivePreview& preview = *windows.form.Preview();
  bool faster = false;
  for (auto _ : state) {
    windows.form.Fields().SetText("Edit6", faster ? "1.1" : "0.9");
    faster = !faster;
    preview.RunNow();
    if (state.range(0) > 0) QApplication::processEvents();
    if (state.range(0) > 1) benchmark::DoNotOptimize(windows.curves.grab());
  }
  if (!windows.curves.Previewing()) state.SkipWithError("no preview drawn");
}

void BM_LivePreviewDefaultLine(benchmark::State& state) {
  PreviewRounds(state, nullptr);
  state.SetLabel(kStages[state.range(0)] + std::string(", 2 zones, 1366 x 700"));
}
BENCHMARK(BM_LivePreviewDefaultLine)->Arg(0)->Arg(1)->Arg(2)->Unit(benchmark::kMillisecond);

void BM_LivePreviewFourteenZones(benchmark::State& state) {
  const MemoryFieldTexts fields = LargestRunFields();
  PreviewRounds(state, &fields);
  state.SetLabel(kStages[state.range(0)] + std::string(", 14 zones x 1999 steps, 1366 x 700"));
}
BENCHMARK(BM_LivePreviewFourteenZones)->Arg(0)->Arg(1)->Arg(2)->Unit(benchmark::kMillisecond);

}  // namespace
}  // namespace quillmere
