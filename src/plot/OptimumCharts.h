// The curves of an optimum: the web temperature, the residual solvent and the surface vapour
// pressure along the dryer, each with the limits on it drawn as horizontal lines, so that one
// sees where the curve touches a limit that binds.
#pragma once

#include <QChart>
#include <memory>
#include <span>
#include <string>
#include <vector>

#include "analysis/optimise/OptimiseProblem.h"
#include "sim/RunSeries.h"

namespace quillmere::plot {

//! The three charts of the run with its limits (ExitResidual on the solvent chart,
//! WebTemperature on the temperature chart, NoBoiling on the vapour pressure chart); the
//! limits of the plant figures are not drawn. Needs a QApplication (ChartApplication).
std::vector<std::unique_ptr<QChart>> OptimumCharts(const RunSeries& run,
                                                   std::span<const Limit> limits);

//! The charts side by side, two a row, in one picture file (.svg or .png) drawn offscreen.
//! Throws FileError when the extension is neither or the file cannot be written.
void SaveOptimumCharts(const RunSeries& run, std::span<const Limit> limits,
                       const std::string& path);

}  // namespace quillmere::plot
