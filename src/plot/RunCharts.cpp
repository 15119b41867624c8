#include "plot/RunCharts.h"

#include <QCategoryAxis>
#include <QLegend>
#include <QPen>
#include <QValueAxis>
#include <QXYSeries>
#include <algorithm>
#include <limits>

#include "sim/MiscCalc.h"

namespace quillmere::plot {
namespace {

const QColor kReferenceColour{0x40, 0x40, 0x40};  // the air pressure line, the style keys
const QColor kZoneLineColour{0x90, 0x90, 0x90};   // zone boundaries

using Value = std::optional<double>;

double ZoneAir(const RunSeries& run, const SeriesPoint& point) {
  return run.Zones.at(static_cast<std::size_t>(point.State.Zone - 1)).OuterTemperature;
}

// The axis at the top: grid lines at the zone boundaries, zone numbers between them.
void AddZoneAxis(QChart& chart, const RunSeries& run, AlongDryer along) {
  const std::vector<double> bounds = ZoneBoundaries(run, along);
  if (bounds.size() < 2) return;
  auto* zones = new QCategoryAxis;
  zones->setTitleText(QString::fromLatin1(kZoneAxisTitle));
  zones->setLabelsPosition(QCategoryAxis::AxisLabelsPositionCenter);
  zones->setStartValue(bounds.front());
  for (std::size_t i = 1; i < bounds.size(); ++i) {
    zones->append(QString::number(run.Zones[i - 1].Zone), bounds[i]);
  }
  const QValueAxis* x = XAxis(chart);
  zones->setTitleFont(x->titleFont());
  zones->setLabelsFont(x->labelsFont());
  zones->setGridLinePen(QPen(kZoneLineColour, 1, Qt::DashLine));
  zones->setLinePen(QPen(kZoneLineColour, 1));
  zones->setRange(x->min(), x->max());
  chart.addAxis(zones, Qt::AlignTop);
  // Attached to every series, the zone axis shares the horizontal range with the value
  // axis below, through zooming too.
  for (QAbstractSeries* series : chart.series()) series->attachAxis(zones);
}

struct Extent {
  double low = std::numeric_limits<double>::max();
  double high = std::numeric_limits<double>::lowest();
  void Add(double v) {
    low = std::min(low, v);
    high = std::max(high, v);
  }
  bool Empty() const { return low > high; }
};

}  // namespace

QString RunChartTitle(RunChart chart, SolventAmount solvent) {
  switch (chart) {
    case RunChart::WebTemperature:
      return QStringLiteral("Web temperature");
    case RunChart::Solvent:
      return solvent == SolventAmount::ResidualRatio ? QStringLiteral("Residual ratio")
                                                     : QStringLiteral("Solvent weight");
    case RunChart::DryingRate:
      return QStringLiteral("Drying rate");
    case RunChart::VapourPressure:
      return QStringLiteral("Surface vapour pressure");
  }
  return {};
}

QString AlongTitle(AlongDryer along) {
  return along == AlongDryer::Position ? QStringLiteral("Position along the dryer (m)")
                                       : QStringLiteral("Time (s)");
}

QString ValueTitle(RunChart chart, SolventAmount solvent) {
  switch (chart) {
    case RunChart::WebTemperature:
      return QStringLiteral("Temperature (°C)");
    case RunChart::Solvent:
      return solvent == SolventAmount::ResidualRatio ? QStringLiteral("Residual ratio (-)")
                                                     : QStringLiteral("Solvent weight (kg/m2)");
    case RunChart::DryingRate:
      return QStringLiteral("Drying rate (kg/m2.s)");
    case RunChart::VapourPressure:
      return QStringLiteral("Vapour pressure (mmHg)");
  }
  return {};
}

std::vector<RunQuantity> ChartQuantities(RunChart chart, SolventAmount solvent) {
  const auto surface = [](double SeriesPoint::*member) {
    return [member](const RunSeries&, const SeriesPoint& p) -> Value {
      if (!p.SurfaceKnown) return std::nullopt;
      return p.*member;
    };
  };
  const auto state = [](double TracePoint::*member) {
    return [member](const RunSeries&, const SeriesPoint& p) -> Value { return p.State.*member; };
  };
  switch (chart) {
    case RunChart::WebTemperature:
      return {
          {"Web", "°C", SeriesLook::Line, false, state(&TracePoint::Temperature)},
          {"Air", "°C", SeriesLook::Dotted, true,
           [](const RunSeries& run, const SeriesPoint& p) -> Value { return ZoneAir(run, p); }}};
    case RunChart::Solvent:
      if (solvent == SolventAmount::Weight) {
        return {
            {"Solvent-1", "kg/m2", SeriesLook::Line, false, state(&TracePoint::Solvent1Weight)},
            {"Solvent-2", "kg/m2", SeriesLook::Dashed, false, state(&TracePoint::Solvent2Weight)}};
      }
      return {{"Solvent-1", "-", SeriesLook::Line, false, state(&TracePoint::Solvent1Residual)},
              {"Solvent-2", "-", SeriesLook::Dashed, false, state(&TracePoint::Solvent2Residual)}};
    case RunChart::DryingRate:
      return {{"Solvent-1", "kg/m2.s", SeriesLook::Line, false,
               surface(&SeriesPoint::Solvent1DryingRate)},
              {"Solvent-2", "kg/m2.s", SeriesLook::Dashed, false,
               surface(&SeriesPoint::Solvent2DryingRate)}};
    case RunChart::VapourPressure:
      return {{"Surface", "mmHg", SeriesLook::Line, false,
               surface(&SeriesPoint::SurfaceVapourPressure)}};
  }
  return {};
}

double AlongValue(const TracePoint& point, AlongDryer along) {
  return along == AlongDryer::Position ? point.DryerPosition : point.Time;
}

std::optional<std::size_t> NearestPoint(const RunSeries& run, AlongDryer along, double value) {
  if (run.Points.empty()) return std::nullopt;
  // The points are ordered along the dryer (a zone's exit and the next zone's entry share
  // their place).
  const auto after = std::partition_point(
      run.Points.begin(), run.Points.end(),
      [&](const SeriesPoint& p) { return AlongValue(p.State, along) < value; });
  if (after == run.Points.begin()) return 0;
  if (after == run.Points.end()) return run.Points.size() - 1;
  const auto before = std::prev(after);
  const bool takeBefore =
      value - AlongValue(before->State, along) <= AlongValue(after->State, along) - value;
  return static_cast<std::size_t>((takeBefore ? before : after) - run.Points.begin());
}

std::vector<double> ZoneBoundaries(const RunSeries& run, AlongDryer along) {
  std::vector<double> bounds;
  if (run.Zones.empty() || run.Points.empty()) return bounds;
  bounds.push_back(AlongValue(run.Points.front().State, along));
  for (const ZoneSummary& zone : run.Zones) bounds.push_back(AlongValue(zone.Exit, along));
  return bounds;
}

QList<QPointF> QuantityLine(const RunSeries& run, const RunQuantity& quantity, AlongDryer along) {
  QList<QPointF> line;
  line.reserve(static_cast<qsizetype>(quantity.ByZone ? 2 * run.Zones.size() : run.Points.size()));
  for (std::size_t i = 0; i < run.Points.size(); ++i) {
    const SeriesPoint& p = run.Points[i];
    if (quantity.ByZone) {
      // Only each zone's entry and exit: the first point of a zone, and the last.
      const bool first = i == 0 || run.Points[i - 1].State.Zone != p.State.Zone;
      const bool last = i + 1 == run.Points.size() || run.Points[i + 1].State.Zone != p.State.Zone;
      if (!first && !last) continue;
    }
    if (const Value v = quantity.Value(run, p))
      line.append(QPointF(AlongValue(p.State, along), *v));
  }
  return line;
}

std::unique_ptr<QChart> BuildRunChart(RunChart chart, std::span<const ChartedRun> runs,
                                      const RunChartOptions& options) {
  const std::vector<RunQuantity> quantities = ChartQuantities(chart, options.Solvent);
  const bool several = runs.size() > 1;
  std::vector<NamedSeries> lines;
  Extent x;
  Extent y;
  for (std::size_t r = 0; r < runs.size(); ++r) {
    const ChartedRun& run = runs[r];
    const QColor colour = run.Colour.isValid() ? run.Colour : SeriesColour(static_cast<int>(r));
    for (std::size_t q = 0; q < quantities.size(); ++q) {
      NamedSeries line;
      // A lone run: the legend names the quantities. Several: it names each run by its first
      // line, and the line styles below.
      line.Name = several ? (q == 0 ? run.Name : QString()) : quantities[q].Name;
      line.Look = quantities[q].Look;
      line.Colour = colour;
      line.Points = QuantityLine(*run.Series, quantities[q], options.Along);
      for (const QPointF& p : line.Points) {
        x.Add(p.x());
        y.Add(p.y());
      }
      lines.push_back(std::move(line));
    }
  }
  if (several && quantities.size() > 1) {
    for (const RunQuantity& quantity : quantities) {
      lines.push_back({quantity.Name, {}, quantity.Look, kReferenceColour});
    }
  }

  auto built = LineChart(RunChartTitle(chart, options.Solvent), AlongTitle(options.Along),
                         ValueTitle(chart, options.Solvent), lines);
  built->legend()->setMarkerShape(QLegend::MarkerShapeFromSeries);
  QValueAxis& xAxis = *XAxis(*built);
  QValueAxis& yAxis = *YAxis(*built);

  // Ranges that show what matters for each quantity.
  switch (chart) {
    case RunChart::WebTemperature:
      break;
    case RunChart::Solvent:
      y.Add(0);
      if (options.Solvent == SolventAmount::ResidualRatio) y.Add(1);
      break;
    case RunChart::DryingRate:
      y.Add(0);
      break;
    case RunChart::VapourPressure:
      y.Add(0);
      y.Add(kTotalPressure);
      break;
  }
  if (!x.Empty()) {
    FitAxis(xAxis, x.low, x.high, 0);
    FitAxis(yAxis, y.low, y.high);
    if (chart == RunChart::VapourPressure) {
      // The air pressure across the whole axis: the margin to boiling.
      AddSeries(*built,
                {QStringLiteral("Air pressure %1 mmHg").arg(kTotalPressure),
                 {QPointF(xAxis.min(), kTotalPressure), QPointF(xAxis.max(), kTotalPressure)},
                 SeriesLook::Dashed,
                 kReferenceColour});
    }
  }
  built->legend()->setVisible(true);
  if (!runs.empty()) AddZoneAxis(*built, *runs.front().Series, options.Along);
  if (options.ThinToWidth > 0) ThinLinesToPlotWidth(*built, options.ThinToWidth);
  return built;
}

std::unique_ptr<QChart> WebTemperatureChart(std::span<const ChartedRun> runs,
                                            const RunChartOptions& options) {
  return BuildRunChart(RunChart::WebTemperature, runs, options);
}

std::unique_ptr<QChart> SolventChart(std::span<const ChartedRun> runs,
                                     const RunChartOptions& options) {
  return BuildRunChart(RunChart::Solvent, runs, options);
}

std::unique_ptr<QChart> DryingRateChart(std::span<const ChartedRun> runs,
                                        const RunChartOptions& options) {
  return BuildRunChart(RunChart::DryingRate, runs, options);
}

std::unique_ptr<QChart> VapourPressureChart(std::span<const ChartedRun> runs,
                                            const RunChartOptions& options) {
  return BuildRunChart(RunChart::VapourPressure, runs, options);
}

}  // namespace quillmere::plot
