// The report of an optimisation, as text for the terminal and the window and as JSON: the
// optimum's inputs and objective, each limit with its value, its margin and where in the dryer
// it binds, what relaxing a binding limit by 1 % would gain, the starts and the other local
// optima, and the model runs and time; for a problem without a feasible setting, which limits
// the nearest setting misses and by how much. Numbers are written with "." whatever the
// locale.
#pragma once

#include <string>

#include "analysis/optimise/Optimise.h"
#include "analysis/optimise/OptimiseProblem.h"

namespace quillmere {

//! A number to 6 significant digits with ".": "1.84321", "0.00999998", "1.2e-07".
std::string ReportNumber(double value);

//! Where a limit's quantity is highest, in the words of the report: "at the dryer's exit
//! (zone 2, 20.00 m)", "the coating would boil in zone 2 at 31.70 m (11.70 m into the zone)".
std::string LimitPlaceText(const LimitAtOptimum& limit);

//! Several lines, each ending with LF.
std::string OptimiseReportText(const OptimiseProblem& problem, const OptimiseResult& result);

//! One JSON object, ending with LF.
std::string OptimiseReportJson(const OptimiseProblem& problem, const OptimiseResult& result);

}  // namespace quillmere
