#include "plot/OptimumCharts.h"

#include <QValueAxis>
#include <algorithm>

#include "plot/ChartFile.h"
#include "plot/LineChart.h"
#include "plot/RunCharts.h"
#include "sim/MiscCalc.h"

namespace quillmere::plot {
namespace {

//! The chart a limit is drawn on, and its line's height there.
struct LimitLine {
  RunChart Chart;
  double Height;
};

std::optional<LimitLine> LineOf(const Limit& limit) {
  switch (limit.What) {
    case quillmere::Quantity::ExitResidual1:
    case quillmere::Quantity::ExitResidual2:
      return LimitLine{RunChart::Solvent, limit.Bound};
    case quillmere::Quantity::WebTemperature:
      return LimitLine{RunChart::WebTemperature, limit.Bound};
    case quillmere::Quantity::VapourPressure:
      return LimitLine{RunChart::VapourPressure, limit.Bound * kTotalPressure};
    default:
      return std::nullopt;
  }
}

}  // namespace

std::vector<std::unique_ptr<QChart>> OptimumCharts(const RunSeries& run,
                                                   std::span<const Limit> limits) {
  const ChartedRun charted{&run, QStringLiteral("Optimum"), std::nullopt};
  const std::vector<double> zones = ZoneBoundaries(run, AlongDryer::Position);
  const double end = zones.empty() ? 1.0 : zones.back();
  std::vector<std::unique_ptr<QChart>> charts;
  for (const RunChart kind :
       {RunChart::WebTemperature, RunChart::Solvent, RunChart::VapourPressure}) {
    std::unique_ptr<QChart> chart = BuildRunChart(kind, std::span(&charted, 1));
    QValueAxis& y = *YAxis(*chart);
    double low = y.min();
    double high = y.max();
    int drawn = 0;
    for (const Limit& limit : limits) {
      const std::optional<LimitLine> line = LineOf(limit);
      if (!line || line->Chart != kind) continue;
      // "<=" would read as the start of a markup tag in the legend.
      NamedSeries series{
          QStringLiteral("Limit ") + QString::fromStdString(limit.Text).replace("<=", " ≤ "),
          {QPointF(0, line->Height), QPointF(end, line->Height)},
          SeriesLook::Dashed,
          QColor(0xc0, 0x20, 0x20)};
      if (drawn++ > 0) series.Colour = QColor(0x80, 0x20, 0xa0);
      AddSeries(*chart, series);
      low = std::min(low, line->Height);
      high = std::max(high, line->Height);
    }
    if (drawn > 0) {
      FitAxis(y, low, high);
      chart->legend()->setVisible(true);
    }
    charts.push_back(std::move(chart));
  }
  return charts;
}

void SaveOptimumCharts(const RunSeries& run, std::span<const Limit> limits,
                       const std::string& path) {
  const ChartApplication application;
  const std::vector<std::unique_ptr<QChart>> charts = OptimumCharts(run, limits);
  std::vector<QChart*> pointers;
  for (const auto& chart : charts) pointers.push_back(chart.get());
  SaveCharts(pointers, 2, QString::fromStdString(path), kChartFileSize);
}

}  // namespace quillmere::plot
