// The fit's uncertainty drawn around a run's curves: a pale band between the lower and upper
// ends of each point's interval, in the colour of the curve it belongs to.
#pragma once

#include "analysis/uncertainty/TraceBand.h"
#include "plot/RunCharts.h"

class QChart;

namespace quillmere::plot {

//! Adds the band of each quantity that a chart built by BuildRunChart shows of `band` (the web
//! temperature, the residual ratios or the solvent weights), behind the curves, named with the
//! confidence ("95 % interval"). Returns the number of bands added.
int AddUncertaintyBand(QChart& chart, RunChart kind, const TraceBand& band,
                       const RunChartOptions& options);

}  // namespace quillmere::plot
