// Measurements from the line drawn over a run's charts, so that the gap between the model and
// the line shows before and after a fit.
#pragma once

#include "analysis/fit/Measurements.h"
#include "plot/RunCharts.h"
#include "sim/RunSeries.h"

class QChart;

namespace quillmere::plot {

//! Adds the measured points of `table` that a chart built by BuildRunChart shows: the web
//! temperatures to the web temperature chart, the residual ratios or the solvent weights (as the
//! chart shows them) to the solvent chart, as markers in the colour of the curve they are compared
//! with, named "Measured" (with the solvent). A place given along the other axis than the chart's
//! (time against position) is taken through `run`, the run the points are compared with; a place
//! outside that run is left out. The vertical axis widens to show every point. Returns the number
//! of points added.
int AddMeasuredPoints(QChart& chart, RunChart kind, const MeasurementTable& table,
                      const RunSeries& run, const RunChartOptions& options);

}  // namespace quillmere::plot
