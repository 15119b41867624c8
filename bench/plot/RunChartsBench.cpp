// The drying curves of the largest run, 14 zones of 1999 steps (28,000 points a line): building
// the four charts, and drawing one as a view repaints it (the same size) and as it redraws
// after a resize or a zoom (new geometry for every line).
#include <benchmark/benchmark.h>

#include <QGraphicsScene>
#include <QImage>
#include <QPainter>
#include <memory>

#include "LargestRun.h"
#include "plot/ChartFile.h"
#include "plot/RunCharts.h"
#include "sim/RunSeries.h"

namespace quillmere::plot {
namespace {

constexpr int kChartWidth = 800;  // [px] about a chart of the curves window on a large screen

RunChartOptions Options(const benchmark::State& state) {
  return {AlongDryer::Position, SolventAmount::ResidualRatio,
          state.range(0) != 0 ? kChartWidth : 0};
}

void SetLabels(benchmark::State& state) {
  state.SetLabel(state.range(0) != 0 ? "thinned to 800 px" : "every point");
}

void BM_BuildTheFourCharts(benchmark::State& state) {
  const ChartedRun runs[]{{&LargestRun(), {}, {}}};
  const RunChartOptions options = Options(state);
  for (auto _ : state) {
    for (const RunChart kind : kRunCharts)
      benchmark::DoNotOptimize(BuildRunChart(kind, runs, options));
  }
  SetLabels(state);
}
BENCHMARK(BM_BuildTheFourCharts)->Arg(0)->Arg(1)->Unit(benchmark::kMillisecond);

// The solvent chart (two lines of 28,000 points) laid out in a scene, painted into an image.
void DrawSolventChart(benchmark::State& state, bool newGeometry) {
  const ChartedRun runs[]{{&LargestRun(), {}, {}}};
  std::unique_ptr<QChart> chart = SolventChart(runs, Options(state));
  QGraphicsScene scene;
  scene.addItem(chart.get());
  const QSizeF sizes[]{{kChartWidth, 500}, {kChartWidth - 1, 499}};
  chart->setGeometry(QRectF(QPointF(0, 0), sizes[0]));
  QImage image(kChartWidth, 500, QImage::Format_ARGB32_Premultiplied);
  int n = 0;
  for (auto _ : state) {
    if (newGeometry) chart->setGeometry(QRectF(QPointF(0, 0), sizes[++n % 2]));
    image.fill(Qt::white);
    QPainter painter(&image);
    painter.setRenderHint(QPainter::Antialiasing);
    scene.render(&painter);
  }
  scene.removeItem(chart.get());
  SetLabels(state);
}

void BM_RepaintSolventChart(benchmark::State& state) {
  DrawSolventChart(state, false);
}
BENCHMARK(BM_RepaintSolventChart)->Arg(0)->Arg(1)->Unit(benchmark::kMillisecond);

void BM_ResizeAndRepaintSolventChart(benchmark::State& state) {
  DrawSolventChart(state, true);
}
BENCHMARK(BM_ResizeAndRepaintSolventChart)->Arg(0)->Arg(1)->Unit(benchmark::kMillisecond);

}  // namespace
}  // namespace quillmere::plot

int main(int argc, char** argv) {
  quillmere::plot::ChartApplication application;
  benchmark::Initialize(&argc, argv);
  if (benchmark::ReportUnrecognizedArguments(argc, argv)) return 1;
  benchmark::RunSpecifiedBenchmarks();
  benchmark::Shutdown();
  return 0;
}
