// The picture of a sweep: the web at the dryer's exit against the varied inputs.
#pragma once

#include <QChart>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "analysis/sweep/SweepGrid.h"
#include "analysis/sweep/SweepTable.h"
#include "plot/ChartKey.h"

namespace quillmere::plot {

//! For one varied input, the exit residual ratios of both solvents (left axis) and the exit
//! web temperature (right axis) against it, each in its quantity's colour; for two, the same
//! for each value of the second input, one line style a value, named in `key` (when given).
//! Only the cases that finished have points.
std::unique_ptr<QChart> SweepChart(const std::vector<SweepAxis>& axes,
                                   const std::vector<std::optional<SweepRow>>& rows,
                                   std::vector<KeyEntry>* key = nullptr);

//! Whether `path` names a picture a chart can be written to (".svg" or ".png").
bool IsChartFileName(const std::string& path);

//! Draws SweepChart offscreen (no display needed) into `path`, in the format its extension
//! names. Throws FileError when the file cannot be written.
void SaveSweepChart(const std::vector<SweepAxis>& axes,
                    const std::vector<std::optional<SweepRow>>& rows, const std::string& path);

}  // namespace quillmere::plot
