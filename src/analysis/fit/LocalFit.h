// One local least-squares fit: from a start within the bounds, the trust-region solver walks
// downhill to the nearest optimum of the sum of squares. Either every free parameter is varied,
// or one is held at a value while the others are fitted (a point of its profile). The flat
// strips next to the bounds of the order We <= Wx <= Wi, where the model does not respond to a
// parameter at all, are left by a restart from inside the bounds.
#pragma once

#include <atomic>
#include <memory>
#include <string>
#include <vector>

#include "analysis/fit/FitParameters.h"

namespace quillmere {

class TrialModel;
using TrialModels = std::vector<std::unique_ptr<TrialModel>>;

//! What the solver varies: the variables of `Map`, and, when `Held` is set, the free parameter
//! of that index held at `HeldValue` (Map then maps the others).
struct FitSpace {
  const ParameterMap* Map = nullptr;
  std::size_t Free = 0;  //!< free parameters in all
  int Held = -1;
  double HeldValue = 0;
  //! When set, and once it is true, the fit ends at its next iteration (LocalOptimum::Stopped).
  const std::atomic<bool>* Stop = nullptr;

  //! All free parameters' values from the variables of Map.
  std::vector<double> Values(const double* variables) const;
};

//! Where a local fit ended.
struct LocalOptimum {
  bool Ran = false;  //!< the model ran at the start and the solver ended on values it runs at
  std::vector<double> Variables;
  std::vector<double> Values;  //!< all free parameters
  double SumOfSquares = 0;
  bool Converged = false;
  bool Failed = false;      //!< the solver gave up
  bool Stopped = false;     //!< a stop came before the fit ended: not an optimum
  std::string Termination;  //!< "CONVERGENCE", "NO_CONVERGENCE" or "FAILURE"
  std::string Message;      //!< the solver's own words
  int Iterations = 0;
  bool Restarted = false;  //!< it ended in a flat strip once, and was started again inside
  //! Order members it still ended in a flat strip at, by index, with the bound the strip
  //! reaches ("Wx ≤ Wi").
  std::vector<std::pair<std::size_t, std::string>> Stalled;
};

//! The sum of squares of the residuals of all trials at `values`; false when a trial faults.
bool SumOfSquaresAt(TrialModels& models, const std::vector<double>& values, double& sum);

//! How closely a local fit closes in on its optimum: the search's starts only need to tell
//! which optimum they reach; the best one, and a profile's points, are polished to the last
//! digits the model gives.
enum class Closeness { Search, Polish };

//! A bounded local fit from `variables` (clamped into their bounds).
LocalOptimum FitLocally(TrialModels& models, const FitSpace& space, std::vector<double> variables,
                        int maxIterations, Closeness closeness = Closeness::Polish);

//! A local fit of every free parameter that, when it ends with a member of the order in a flat
//! strip (a stretch of its room reaching one of its bounds, where the model does not respond
//! to it), starts again with that member moved out of the strip, keeps the better end, and
//! names the members still in one. `stop` as FitSpace::Stop.
LocalOptimum FitLocallyOutOfStrips(TrialModels& models, const ParameterMap& map,
                                   const std::vector<double>& variables, int maxIterations,
                                   Closeness closeness, const std::atomic<bool>* stop = nullptr);

}  // namespace quillmere
