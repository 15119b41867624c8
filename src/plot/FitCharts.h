// The pictures of a fit: for each measured quantity, every trial's measured points against the
// model's curve at the fitted values (solid) and at the start values (dashed), one colour a
// trial. The window can show the charts; quillmere-cli fit --plot writes them into one file.
#pragma once

#include <memory>
#include <string>
#include <vector>

#include "analysis/fit/Fit.h"

class QChart;

namespace quillmere::plot {

//! One chart a measured quantity (and axis, when trials are measured along different ones), in
//! the order of kMeasuredQuantities. Needs a QApplication (ChartApplication).
std::vector<std::unique_ptr<QChart>> FitCharts(const FitResult& result);

//! The charts side by side, two a row, in one picture file (.svg or .png) drawn offscreen;
//! needs no QApplication of the caller's. False with the reason in `error` when the file
//! name's extension is neither or the file cannot be written.
bool SaveFitCharts(const FitResult& result, const std::string& path, std::string& error);

}  // namespace quillmere::plot
