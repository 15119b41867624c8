// The fit's uncertainty along the whole dryer: for every point of a run, the interval of the
// web temperature and of both solvents' weights and residual ratios, linearised as the exit
// figures' intervals are (central differences of one standard error, the fit's covariance).
// The curves draw it as a band around the run.
#pragma once

#include "analysis/uncertainty/FitUncertainty.h"
#include "params/FieldTexts.h"
#include "sim/RunSeries.h"

namespace quillmere {

struct TraceBand {
  double Confidence = 0.95;
  RunSeries Low;   //!< the run with each point's quantities at the interval's lower end
  RunSeries High;  //!< at its upper end
};

//! The band of `nominal`, the run of `fields` with the fitting parameters at the values the
//! fields hold. Runs the case twice a parameter with a parameter set and a state of its own.
//! Throws quillmere::Error when a run does not finish or takes other steps.
TraceBand TraceBandOf(const FieldTexts& fields, char decimalSeparator, const FitUncertainty& fit,
                      const RunSeries& nominal, double confidence = 0.95);

}  // namespace quillmere
