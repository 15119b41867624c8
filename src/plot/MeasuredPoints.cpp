#include "plot/MeasuredPoints.h"

#include <QChart>
#include <QValueAxis>
#include <algorithm>
#include <optional>
#include <vector>

#include "plot/LineChart.h"

namespace quillmere::plot {
namespace {

//! Measured points take the colour of the curve they are compared with.
QColor MeasuredColour(MeasuredQuantity quantity) {
  switch (quantity) {
    case MeasuredQuantity::Temperature:
      return QuantityColour(Quantity::WebTemperature);
    case MeasuredQuantity::Residual1:
    case MeasuredQuantity::Weight1:
      return QuantityColour(Quantity::Solvent1);
    case MeasuredQuantity::Residual2:
    case MeasuredQuantity::Weight2:
      return QuantityColour(Quantity::Solvent2);
  }
  return QuantityColour(Quantity::Reference);
}

//! What a chart shows of a measured quantity: its name in the legend, or nothing.
std::optional<QString> Shown(RunChart kind, SolventAmount solvent, MeasuredQuantity quantity) {
  switch (quantity) {
    case MeasuredQuantity::Temperature:
      if (kind == RunChart::WebTemperature) return QStringLiteral("Measured");
      break;
    case MeasuredQuantity::Residual1:
    case MeasuredQuantity::Residual2:
      if (kind == RunChart::Solvent && solvent == SolventAmount::ResidualRatio) {
        return quantity == MeasuredQuantity::Residual1 ? QStringLiteral("Measured Solvent-1")
                                                       : QStringLiteral("Measured Solvent-2");
      }
      break;
    case MeasuredQuantity::Weight1:
    case MeasuredQuantity::Weight2:
      if (kind == RunChart::Solvent && solvent == SolventAmount::Weight) {
        return quantity == MeasuredQuantity::Weight1 ? QStringLiteral("Measured Solvent-1")
                                                     : QStringLiteral("Measured Solvent-2");
      }
      break;
  }
  return std::nullopt;
}

//! `where` along `from` taken to `to` through the run's points (both grow along the dryer);
//! nothing for a place outside the run.
std::optional<double> Along(const RunSeries& run, double where, AlongDryer from, AlongDryer to) {
  const std::vector<SeriesPoint>& points = run.Points;
  if (points.empty()) return std::nullopt;
  const auto value = [](const SeriesPoint& p, AlongDryer along) {
    return AlongValue(p.State, along);
  };
  if (where < value(points.front(), from) || where > value(points.back(), from)) {
    return std::nullopt;
  }
  if (from == to) return where;
  const auto after =
      std::lower_bound(points.begin(), points.end(), where,
                       [&](const SeriesPoint& p, double w) { return value(p, from) < w; });
  if (after == points.begin()) return value(*after, to);
  const SeriesPoint& b = *after;
  const SeriesPoint& a = *(after - 1);
  const double span = value(b, from) - value(a, from);
  if (span <= 0) return value(b, to);
  const double share = (where - value(a, from)) / span;
  return value(a, to) + share * (value(b, to) - value(a, to));
}

}  // namespace

int AddMeasuredPoints(QChart& chart, RunChart kind, const MeasurementTable& table,
                      const RunSeries& run, const RunChartOptions& options) {
  const AlongDryer from =
      table.Axis == MeasurementAxis::Time ? AlongDryer::Time : AlongDryer::Position;
  QValueAxis* y = YAxis(chart);  // none on a logarithmic chart, which keeps its decades
  double low = y != nullptr ? y->min() : 0;
  double high = y != nullptr ? y->max() : 0;
  int added = 0;
  for (const MeasuredQuantity quantity : kMeasuredQuantities) {
    const std::optional<QString> name = Shown(kind, options.Solvent, quantity);
    if (!name) continue;
    NamedSeries points{*name, {}, SeriesLook::Points, MeasuredColour(quantity)};
    for (const Measurement& m : table.Rows) {
      if (m.Quantity != quantity) continue;
      const std::optional<double> x = Along(run, m.Where, from, options.Along);
      if (!x || (y == nullptr && !(m.Value > 0))) continue;  // a log axis shows no 0
      points.Points.append({*x, m.Value});
      low = std::min(low, m.Value);
      high = std::max(high, m.Value);
    }
    if (points.Points.isEmpty()) continue;
    AddSeries(chart, points);
    added += static_cast<int>(points.Points.size());
  }
  // Room above and below the points too, so that no marker is cut at the frame.
  const double room = (high - low) * kHeadroom;
  if (y != nullptr && (low - room < y->min() || high + room > y->max())) FitAxis(*y, low, high);
  return added;
}

}  // namespace quillmere::plot
