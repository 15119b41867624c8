// What a fit found, for people (a text report) and for programs (JSON).
#pragma once

#include <string>

#include "analysis/fit/Fit.h"

namespace quillmere {

//! The report as text: the parameters with their start and fitted values, standard errors and
//! 95 % intervals, the correlations, the sums of squares, the RMS errors by quantity and trial,
//! the constraints, what the measurements cannot determine, and how the solver ended. Numbers
//! are written with `decimalSeparator`.
std::string FitReportText(const FitResult& result, char decimalSeparator);

//! The same as a JSON document (numbers with "." and in the shortest form that reads back).
std::string FitReportJson(const FitResult& result);

}  // namespace quillmere
