// The optimum as the user would type it: "Apply" writes each free input with as few
// significant digits as still give a setting whose run meets every limit, instead of the
// search's 17 ("1.25", not "1.2509403148568583"), so that the fields and the curves' key read
// as an engineer writes them.
#pragma once

#include <string>
#include <utility>
#include <vector>

#include "analysis/optimise/OptimiseProblem.h"
#include "params/MemoryFieldTexts.h"

namespace quillmere {

//! The most the rounded setting's objective may lose against the optimum's, as a share of it:
//! a speed of 1.2 m/s also meets every limit where the optimum is 1.2509 m/s, but gives away
//! 4 % of the line.
inline constexpr double kShortSettingObjectiveShare = 1e-3;

struct ShortSetting {
  std::vector<double> Values;  //!< one a free input, in the problem's order
  int Digits = 17;             //!< significant digits of every value
  bool Checked = false;        //!< a run of Values met every limit
  //! The exhausts left empty that an LEL<=P limit sized for Values' run, as field name and
  //! text: typed with Values, so that the run at OK holds P as the search did.
  std::vector<std::pair<std::string, std::string>> SizedExhausts;
};

//! The fewest significant digits (one count for all free inputs, 2 to 17) at which `values`,
//! rounded to the nearest (or, for the objective's own input, towards the worse side), stay
//! within their ranges, give a run that meets every limit of `problem` and an objective within
//! kShortSettingObjectiveShare of `objective`. Each candidate is run with EvaluateSetting on
//! a copy of `base`. Where no rounding passes, `values` themselves, with Checked as their run
//! says.
ShortSetting ShortestSetting(const OptimiseProblem& problem, const std::vector<double>& values,
                             double objective, const MemoryFieldTexts& base, char decimalSeparator);

}  // namespace quillmere
