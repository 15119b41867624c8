#include "plot/RunCharts.h"

#include <QAreaSeries>
#include <QCategoryAxis>
#include <QLegend>
#include <QLegendMarker>
#include <QLineSeries>
#include <QLogValueAxis>
#include <QPen>
#include <QValueAxis>
#include <QXYSeries>
#include <algorithm>
#include <cmath>
#include <limits>

#include "sim/MiscCalc.h"

namespace quillmere::plot {
namespace {

const QColor kZoneLineColour{0x90, 0x90, 0x90};      // zone boundaries
const QColor kBoilingShade{0xcc, 0x79, 0xa7, 0x50};  // reddish purple, see-through
const QColor kStoppedShade{0x80, 0x80, 0x80, 0x40};  // grey, see-through

using Value = std::optional<double>;

double ZoneAir(const RunSeries& run, const SeriesPoint& point) {
  return run.Zones.at(static_cast<std::size_t>(point.State.Zone - 1)).OuterTemperature;
}

// The axis at the top: grid lines at the zone boundaries, zone numbers between them.
void AddZoneAxis(QChart& chart, const RunSeries& run, AlongDryer along) {
  const std::vector<double> bounds = ZoneBoundaries(run, along);
  if (bounds.size() < 2) return;
  auto* zones = new QCategoryAxis;
  // The numbers at the top between dashed boundaries read as zones without a title, which
  // would take a line of the plot's height.
  zones->setTitleText(QString::fromLatin1(kZoneAxisTitle));
  zones->setTitleVisible(false);
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

namespace {

// The vertical axis's title in fewer words, its unit whole.
QString ShortValueTitle(RunChart chart, SolventAmount solvent) {
  switch (chart) {
    case RunChart::WebTemperature:
      return QStringLiteral("T (°C)");
    case RunChart::Solvent:
      return solvent == SolventAmount::ResidualRatio ? QStringLiteral("Ratio (-)")
                                                     : QStringLiteral("Weight (kg/m2)");
    case RunChart::DryingRate:
      return QStringLiteral("Rate (kg/m2.s)");
    case RunChart::VapourPressure:
      return QStringLiteral("Pressure (mmHg)");
  }
  return {};
}

}  // namespace

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
          {"Web", "°C", Quantity::WebTemperature, 6, 2, false, state(&TracePoint::Temperature)},
          {"Air", "°C", Quantity::AirTemperature, 6, 2, true,
           [](const RunSeries& run, const SeriesPoint& p) -> Value { return ZoneAir(run, p); }}};
    case RunChart::Solvent:
      if (solvent == SolventAmount::Weight) {
        return {{"Solvent-1", "kg/m2", Quantity::Solvent1, 7, 5, false,
                 state(&TracePoint::Solvent1Weight)},
                {"Solvent-2", "kg/m2", Quantity::Solvent2, 7, 5, false,
                 state(&TracePoint::Solvent2Weight)}};
      }
      return {
          {"Solvent-1", "-", Quantity::Solvent1, 6, 4, false, state(&TracePoint::Solvent1Residual)},
          {"Solvent-2", "-", Quantity::Solvent2, 6, 4, false,
           state(&TracePoint::Solvent2Residual)}};
    case RunChart::DryingRate:
      return {{"Solvent-1", "kg/m2.s", Quantity::Solvent1, 8, 7, false,
               surface(&SeriesPoint::Solvent1DryingRate)},
              {"Solvent-2", "kg/m2.s", Quantity::Solvent2, 8, 7, false,
               surface(&SeriesPoint::Solvent2DryingRate)}};
    case RunChart::VapourPressure:
      return {{"Surface", "mmHg", Quantity::VapourPressure, 6, 1, false,
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

std::vector<KeyEntry> RunKey(std::span<const ChartedRun> runs) {
  std::vector<KeyEntry> key;
  if (runs.size() < 2) return key;
  for (std::size_t r = 0; r < runs.size(); ++r) {
    key.push_back({runs[r].Name, runs[r].Look.value_or(RunLook(static_cast<int>(r)))});
  }
  return key;
}

std::vector<WarningSpan> WarningSpans(const RunSeries& run, AlongDryer along) {
  std::vector<WarningSpan> spans;
  // Boiling wherever p1 + p2 reaches the air pressure, from the first such point to the last
  // of each stretch.
  std::optional<WarningSpan> boiling;
  for (const SeriesPoint& p : run.Points) {
    const double at = AlongValue(p.State, along);
    if (p.SurfaceKnown && p.SurfaceVapourPressure >= kTotalPressure) {
      if (!boiling) boiling = WarningSpan{WarningKind::Boiling, at, at};
      boiling->To = at;
    } else if (boiling) {
      spans.push_back(*boiling);
      boiling.reset();
    }
  }
  if (boiling) spans.push_back(*boiling);
  // Nothing dries from where the drying stopped to the dryer's exit.
  if (!run.Points.empty()) {
    const double end = AlongValue(run.Points.back().State, along);
    for (const PhysicalWarning& warning : run.Warnings) {
      if (warning.Kind == WarningKind::DryingStopped) {
        spans.push_back({WarningKind::DryingStopped, AlongValue(warning.Where, along), end});
      }
    }
  }
  return spans;
}

namespace {

// A see-through colour as it shows over white.
QColor OverWhite(const QColor& colour) {
  const double alpha = colour.alphaF();
  const auto blend = [alpha](int channel) {
    return static_cast<int>(std::lround(channel * alpha + 255 * (1 - alpha)));
  };
  return QColor(blend(colour.red()), blend(colour.green()), blend(colour.blue()));
}

// The spans shaded across the whole height of the chart's vertical axis, named once a kind.
void AddWarningSpans(QChart& chart, const RunSeries& run, AlongDryer along, QAbstractAxis& yAxis,
                     double yLow, double yHigh) {
  const QValueAxis& x = *XAxis(chart);
  bool named[2] = {false, false};
  for (const WarningSpan& span : WarningSpans(run, along)) {
    const bool boils = span.Kind == WarningKind::Boiling;
    // A span of one point still shows: at least a thousandth of the axis wide.
    const double least = (x.max() - x.min()) / 1000;
    const double from = span.From;
    const double to = std::max(span.To, span.From + least);
    auto* upper = new QLineSeries;
    upper->append({{from, yHigh}, {to, yHigh}});
    auto* lower = new QLineSeries;
    lower->append({{from, yLow}, {to, yLow}});
    auto* area = new QAreaSeries(upper, lower);
    upper->setParent(area);  // an area series does not own its lines: they go with it
    lower->setParent(area);
    const QColor shade = boils ? kBoilingShade : kStoppedShade;
    area->setBrush(shade);
    // The span's edges in the shade's full colour: they mark where it starts and ends, and
    // draw the legend's sample.
    QColor edge = shade;
    edge.setAlpha(255);
    area->setPen(QPen(edge, 1.5));
    bool& once = named[boils ? 0 : 1];
    area->setName(once    ? QString()
                  : boils ? QStringLiteral("Boiling")
                          : QStringLiteral("Drying stopped"));
    chart.addSeries(area);
    area->attachAxis(XAxis(chart));
    area->attachAxis(&yAxis);
    for (QLegendMarker* marker : chart.legend()->markers(area)) {
      marker->setVisible(!once);
      // The key's swatch shows the shade as it lies over the white plot, framed in its
      // edge: drawn from the series, a see-through fill comes out blank.
      marker->setShape(QLegend::MarkerShapeRectangle);
      marker->setBrush(OverWhite(shade));
      marker->setPen(QPen(edge, 1.5));
    }
    once = true;
  }
}

}  // namespace

std::unique_ptr<QChart> BuildRunChart(RunChart chart, std::span<const ChartedRun> runs,
                                      const RunChartOptions& options) {
  const std::vector<RunQuantity> quantities = ChartQuantities(chart, options.Solvent);
  std::vector<NamedSeries> lines;
  Extent x;
  Extent y;
  for (std::size_t r = 0; r < runs.size(); ++r) {
    const ChartedRun& run = runs[r];
    const SeriesLook look = run.Look.value_or(RunLook(static_cast<int>(r)));
    for (const RunQuantity& quantity : quantities) {
      NamedSeries line;
      // The legend names each quantity by the first run's line; RunKey names the runs.
      line.Name = r == 0 ? quantity.Name : QString();
      line.Look = look;
      line.Colour = QuantityColour(quantity.Colour);
      line.Points = QuantityLine(*run.Series, quantity, options.Along);
      for (const QPointF& p : line.Points) {
        x.Add(p.x());
        y.Add(p.y());
      }
      lines.push_back(std::move(line));
    }
  }

  auto built = LineChart(RunChartTitle(chart, options.Solvent), AlongTitle(options.Along),
                         ValueTitle(chart, options.Solvent), lines);
  built->legend()->setMarkerShape(QLegend::MarkerShapeFromSeries);
  QValueAxis& xAxis = *XAxis(*built);
  QValueAxis& yAxis = *YAxis(*built);
  SetShortTitle(xAxis, options.Along == AlongDryer::Position ? QStringLiteral("Position (m)")
                                                             : QStringLiteral("Time (s)"));
  SetShortTitle(yAxis, ShortValueTitle(chart, options.Solvent));

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
      // The air pressure across the whole axis: the margin to boiling. Named short, so that
      // a legend at the right of a small chart keeps it whole.
      AddSeries(*built,
                {QStringLiteral("Air %1 mmHg").arg(kTotalPressure),
                 {QPointF(xAxis.min(), kTotalPressure), QPointF(xAxis.max(), kTotalPressure)},
                 SeriesLook::Line,
                 QuantityColour(Quantity::Reference)});
    }
  }
  QAbstractAxis* vertical = &yAxis;
  double spanLow = yAxis.min();
  double spanHigh = yAxis.max();
  if (options.LogScale && chart == RunChart::Solvent && !x.Empty()) {
    // Decades from the one of the smallest positive value to a fifth above the largest; the
    // values at or below 0 (none in a run the model describes) are left out of the lines.
    double lowest = std::numeric_limits<double>::max();
    double highest = 0;
    for (QAbstractSeries* any : built->series()) {
      auto* line = qobject_cast<QXYSeries*>(any);
      if (line == nullptr) continue;
      QList<QPointF> positive;
      for (const QPointF& p : line->points()) {
        if (p.y() > 0) {
          positive.append(p);
          lowest = std::min(lowest, p.y());
          highest = std::max(highest, p.y());
        }
      }
      if (positive.size() != line->count()) line->replace(positive);
    }
    if (highest > 0) {
      auto* log = new QLogValueAxis;
      log->setBase(10);
      // With an explicit precision: labels written in the chart's locale (SetDecimalSeparator)
      // take only that form, and "%g" would leave every one of them blank.
      log->setLabelFormat(QStringLiteral("%.6g"));
      log->setMinorTickCount(-1);
      log->setTitleText(yAxis.titleText());
      log->setTitleFont(yAxis.titleFont());
      log->setLabelsFont(yAxis.labelsFont());
      spanLow = std::pow(10.0, std::floor(std::log10(lowest))) / 1.2;
      spanHigh = highest * 1.2;
      // A twelfth of a decade below the lowest decade, as the top has room above the
      // largest value: the lowest decade's label stands within the axis, where it is drawn.
      log->setRange(spanLow, spanHigh);
      built->addAxis(log, Qt::AlignLeft);
      for (QAbstractSeries* any : built->series()) {
        any->detachAxis(&yAxis);
        any->attachAxis(log);
      }
      built->removeAxis(&yAxis);
      delete &yAxis;
      vertical = log;
    }
  }
  if (!runs.empty() && !x.Empty()) {
    AddWarningSpans(*built, *runs.front().Series, options.Along, *vertical, spanLow, spanHigh);
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
