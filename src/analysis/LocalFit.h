// One local least-squares fit: from a start within the bounds, the trust-region solver walks
// downhill to the nearest optimum of the sum of squares. Either every free parameter is varied,
// or one is held at a value while the others are fitted (a point of its profile). The flat
// strips next to the bounds of the order We <= Wx <= Wi, where the model does not respond to a
// parameter at all, are left by a restart from inside the bounds.
#pragma once

#include <memory>
#include <string>
#include <vector>

#include "analysis/FitParameters.h"

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
  std::string Termination;  //!< "CONVERGENCE", "NO_CONVERGENCE" or "FAILURE"
  std::string Message;      //!< the solver's own words
  int Iterations = 0;
  bool Restarted = false;  //!< it ended in a flat strip once, and was started again inside
  //! Order members (by index) it still ended in a flat strip at, to which the model does not
  //! respond there.
  std::vector<std::size_t> Stalled;
};

//! The sum of squares of the residuals of all trials at `values`; false when a trial faults.
bool SumOfSquaresAt(TrialModels& models, const std::vector<double>& values, double& sum);

//! A bounded local fit from `variables` (clamped into their bounds).
LocalOptimum FitLocally(TrialModels& models, const FitSpace& space, std::vector<double> variables,
                        int maxIterations);

//! A local fit of every free parameter that, when it ends in a flat strip of the order, starts
//! again with the members there moved inside their room, keeps the better end, and names the
//! members the model still does not respond to.
LocalOptimum FitLocallyOutOfStrips(TrialModels& models, const ParameterMap& map,
                                   const std::vector<double>& variables, int maxIterations);

//! The width of a flat strip: how close to its neighbour in the order a member must lie for
//! a step of the march to miss the room between them [solvent fraction, -].
inline constexpr double kFlatStrip = 2e-3;

//! "We ≤ Wx" or "Wx ≤ Wi": the bound of the order whose flat strip free parameter `i` lies in
//! at `values`, or "" when it lies in none.
std::string StripAt(const ParameterMap& map, std::size_t i, const std::vector<double>& values);

}  // namespace quillmere
