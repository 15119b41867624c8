// The fit's uncertainty over a sweep: for each case of the grid, the intervals of the web's
// figures at the dryer's exit (residual ratios 1 and 2, web temperature), as a table beside
// the sweep's own.
#pragma once

#include <string>

#include "analysis/sweep/SweepGrid.h"
#include "analysis/uncertainty/ExitIntervals.h"

namespace quillmere {

//! One line a case: "case", the varied inputs, then for each exit figure its value, low and high
//! ("." decimals) and "method" (linearised or sampled: the case's worst); a case that does not
//! run has its outcome in "method" and the figures empty. `base` holds the fitting parameters'
//! values (those the cases run with).
std::string SweepIntervalsCsv(const SweepGrid& grid, const SweepCases& cases,
                              const MemoryFieldTexts& base, const FitUncertainty& fit,
                              double confidence, char decimalSeparator);

}  // namespace quillmere
