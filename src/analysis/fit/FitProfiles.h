// Profile-likelihood intervals: a free parameter is held at values further and further from
// its fitted one, the others fitted again at each, until the sum of squares has risen by the
// quantile of the interval. Unlike the covariance's interval it follows the model where it is
// not linear, and it never leaves the bounds: an end that reaches one is the bound, flagged.
#pragma once

#include <optional>
#include <vector>

#include "analysis/fit/LocalFit.h"

namespace quillmere {

//! One end of a profile interval.
struct ProfileEnd {
  std::optional<double> Value;  //!< none where the model did not run on the way
  bool AtBound = false;         //!< the sum of squares stays below the rise up to the bound
  //! A point of the profile whose sum of squares lies below the best one's: the fit did not
  //! end at the optimum.
  std::optional<double> LowerSum;
  int LocalFits = 0;
};

//! The end of the interval of free parameter `i` on `side` (-1 below, +1 above `best[i]`):
//! where the sum of squares, the others fitted again, reaches `bestSum` + `rise`. `firstStep`
//! is the first distance tried (the covariance's half width, when known); `trials` are the
//! trials' fitting parameters, which bound the others by the order We <= Wx <= Wi. Once
//! `stop` is true the profile ends where it stands (what it gives is then no interval).
ProfileEnd TraceProfile(TrialModels& models, const ParameterMap& map,
                        const std::vector<FittingValues>& trials, std::size_t i, int side,
                        const std::vector<double>& best, double bestSum, double rise,
                        double firstStep, int maxIterations,
                        const std::atomic<bool>* stop = nullptr);

}  // namespace quillmere
