// A robust optimum: every limit held at its upper confidence bound rather than at the point
// estimate. A setting's margin for a limit is factor·√(gᵀΣg), g the limit's gradient in the
// fitting parameters by central differences (one standard error either side) and Σ the fit's
// covariance; with the step's error asked for, the first-order estimate |f(h) − f(2h)| of the
// limit's step error is added to it.
#pragma once

#include "analysis/optimise/Optimise.h"
#include "analysis/optimise/OptimiseProblem.h"
#include "analysis/uncertainty/FitUncertainty.h"

namespace quillmere {

struct RobustOptions {
  double Confidence = 0.95;  //!< of the upper bound each limit is held at (one-sided)
  bool StepError = false;    //!< add the step's error of each limit's value
};

//! The margin of a problem whose fitting parameters lie at `centre` (the base fields' values,
//! in the order of `fit`'s parameters) and whose increment of z is `step` [m].
LimitMargin RobustMargin(const FitUncertainty& fit, const std::vector<double>& centre, double step,
                         const RobustOptions& options, char decimalSeparator);

//! The centre values of `fit`'s parameters in `fields`. Throws Error(InputRefused).
std::vector<double> FittingCentre(const FitUncertainty& fit, const FieldTexts& fields,
                                  char decimalSeparator);

//! What the uncertainty costs: "Robust optimum (every limit at its 95 % bound): Speed 1.84 m/s
//! instead of 1.97 m/s (the nominal optimum)." with each free input's two values.
std::string RobustCostText(const OptimiseProblem& problem, const OptimiseResult& nominal,
                           const OptimiseResult& robust, const RobustOptions& options);

//! The member "robust" of the optimiser's JSON report: the confidence, whether the step's error
//! is in the margin, and the nominal optimum (objective, free inputs' values, feasible).
std::string RobustJsonMembers(const OptimiseProblem& problem, const OptimiseResult& nominal,
                              const RobustOptions& options);

}  // namespace quillmere
