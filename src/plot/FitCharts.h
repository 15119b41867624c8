// The pictures of a fit: for each measured quantity, in its colour, every trial's measured
// points against the model's curve at the fitted values and, faint, at the start values, one
// line style a trial. The window can show the charts; quillmere-cli fit --plot writes them into one
// file.
#pragma once

#include <memory>
#include <string>
#include <vector>

#include "analysis/fit/Fit.h"
#include "plot/ChartKey.h"

class QChart;

namespace quillmere::plot {

//! One chart a measured quantity (and axis, when trials are measured along different ones), in
//! the order of kMeasuredQuantities. Needs a QApplication (ChartApplication).
std::vector<std::unique_ptr<QChart>> FitCharts(const FitResult& result);

//! The trials' names (their data files) with their line styles, for two trials or more.
std::vector<KeyEntry> FitKey(const FitResult& result);

//! The charts side by side, two a row, in one picture file (.svg or .png) drawn offscreen;
//! needs no QApplication of the caller's. Throws FileError when the file name's extension is
//! neither or the file cannot be written.
void SaveFitCharts(const FitResult& result, const std::string& path);

}  // namespace quillmere::plot
