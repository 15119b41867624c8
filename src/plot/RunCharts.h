// The drying curves of finished runs: four charts against the position along the dryer (or
// the time), each able to draw several runs over one another in their own colours. The
// window shows them; a command-line tool can write them with SaveChart.
#pragma once

#include <QChart>
#include <QColor>
#include <QString>
#include <array>
#include <cstddef>
#include <functional>
#include <memory>
#include <optional>
#include <span>
#include <vector>

#include "plot/ChartKey.h"
#include "plot/LineChart.h"
#include "sim/RunSeries.h"

namespace quillmere::plot {

//! What the horizontal axis of a run chart shows.
enum class AlongDryer {
  Position,  //!< distance from the dryer's entry [m]
  Time,      //!< time since the web entered zone 1 [s]
};

//! How the solvent chart shows what is left of each solvent.
enum class SolventAmount {
  ResidualRatio,  //!< weight / weight at the dryer's entry [-]
  Weight,         //!< [kg/m2]
};

enum class RunChart {
  WebTemperature,  //!< the web, and each zone's air (outer) temperature as steps
  Solvent,         //!< residual ratio (or weight) of Solvent-1 and Solvent-2
  DryingRate,      //!< evaporation rate of each solvent [kg/m2.s]
  VapourPressure,  //!< p1 + p2 over the coating surface against the air's 760 mmHg
};
inline constexpr std::array<RunChart, 4> kRunCharts{RunChart::WebTemperature, RunChart::Solvent,
                                                    RunChart::DryingRate, RunChart::VapourPressure};

//! One run to draw. Its lines take each quantity's colour and the run's line style.
struct ChartedRun {
  const RunSeries* Series = nullptr;  //!< must outlive the call only
  QString Name;                       //!< the run's name in the key; unused for a lone run
  std::optional<SeriesLook> Look;     //!< none: RunLook of the run's place
};

//! The key of runs drawn over one another: each run's name with its line style; nothing for a
//! lone run (the legends of its charts say all).
std::vector<KeyEntry> RunKey(std::span<const ChartedRun> runs);

struct RunChartOptions {
  AlongDryer Along = AlongDryer::Position;
  SolventAmount Solvent = SolventAmount::ResidualRatio;
  //! 0 draws every point; otherwise the lines are drawn thinned to the pixel columns of the
  //! plot (ThinLinesToPlotWidth, with this width until the chart is laid out): they look the
  //! same and redraw many times faster.
  int ThinToWidth = 0;
  //! The solvent chart's residual ratios or weights on a logarithmic axis (0.0054 and 0.0761
  //! apart, not both near 0); the other charts keep their linear axes.
  bool LogScale = false;
};

//! One quantity a chart draws for each run, with its value at a point of the run.
struct RunQuantity {
  QString Name;  //!< "Web", "Solvent-1", ...
  QString Unit;  //!< "°C", "-", "kg/m2", "kg/m2.s", "mmHg"
  Quantity Colour = Quantity::WebTemperature;
  //! Significant digits and decimals of a value as the window writes it (FormatFixed), those
  //! of the result file where it writes the quantity.
  int Precision = 6;
  int Decimals = 2;
  //! Constant over each zone: drawn as steps from each zone's entry to its exit.
  bool ByZone = false;
  //! The value at a point of the run, or nullopt where the model gives none there.
  std::function<std::optional<double>(const RunSeries&, const SeriesPoint&)> Value;
};

//! Title of a chart ("Web temperature", ...).
QString RunChartTitle(RunChart chart, SolventAmount solvent = SolventAmount::ResidualRatio);
//! Title of the horizontal axis ("Position along the dryer (m)", "Time (s)").
QString AlongTitle(AlongDryer along);
//! Title of the vertical axis, with its unit.
QString ValueTitle(RunChart chart, SolventAmount solvent);
//! The quantities a chart draws for each run, in drawing order.
std::vector<RunQuantity> ChartQuantities(RunChart chart, SolventAmount solvent);

//! A point's place on the horizontal axis [m or s].
double AlongValue(const TracePoint& point, AlongDryer along);
//! The index in run.Points of the point nearest to `along` on the horizontal axis; nullopt
//! for a run without points.
std::optional<std::size_t> NearestPoint(const RunSeries& run, AlongDryer along, double value);
//! Where the zones of the run begin and end on the horizontal axis: the entry of zone 1, then
//! each finished zone's exit.
std::vector<double> ZoneBoundaries(const RunSeries& run, AlongDryer along);

//! The line of one quantity of a run, every point where it has a value (for ByZone
//! quantities, each zone's entry and exit).
QList<QPointF> QuantityLine(const RunSeries& run, const RunQuantity& quantity, AlongDryer along);

//! The name of the chart's axis at the top that marks the zones: its grid lines stand at the
//! zone boundaries and its labels, the zone numbers, in the middle of each zone.
inline constexpr char kZoneAxisTitle[] = "Zone";

//! Where the first run's coating boils (its surface vapour pressure at or above the air's) and
//! where its drying has stopped: spans [from, to] along the horizontal axis, in order.
struct WarningSpan {
  WarningKind Kind = WarningKind::Boiling;
  double From = 0;
  double To = 0;
};
std::vector<WarningSpan> WarningSpans(const RunSeries& run, AlongDryer along);

//! Builds one chart of the runs: each quantity in its colour, each run in its line style; the
//! legend names the quantities (drawn as the first run draws them), RunKey the runs. The
//! spans where the first run boils or has stopped drying are shaded and named in the legend.
//! The zone boundaries are those of the first run. The horizontal axis spans all runs.
std::unique_ptr<QChart> BuildRunChart(RunChart chart, std::span<const ChartedRun> runs,
                                      const RunChartOptions& options = {});

//! The four charts, one function each (BuildRunChart with that chart).
std::unique_ptr<QChart> WebTemperatureChart(std::span<const ChartedRun> runs,
                                            const RunChartOptions& options = {});
std::unique_ptr<QChart> SolventChart(std::span<const ChartedRun> runs,
                                     const RunChartOptions& options = {});
std::unique_ptr<QChart> DryingRateChart(std::span<const ChartedRun> runs,
                                        const RunChartOptions& options = {});
std::unique_ptr<QChart> VapourPressureChart(std::span<const ChartedRun> runs,
                                            const RunChartOptions& options = {});

}  // namespace quillmere::plot
