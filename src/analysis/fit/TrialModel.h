// One trial's model in a fit: its own parameter set and simulation state, allocated once, and
// the places of its measurements on the trace. Runs the march at given values of the free
// parameters and gives the weighted residuals. A copy has a state of its own, so that local
// fits in several threads each run their own copies.
#pragma once

#include <memory>
#include <vector>

#include "analysis/fit/Fit.h"
#include "analysis/fit/TraceSampling.h"
#include "params/ParameterSet.h"
#include "sim/SimulationState.h"

namespace quillmere {

class TrialModel {
 public:
  //! Runs the trial at the start values (the free parameters at the first trial's texts) and
  //! locates every measurement. Throws FitRefused when the trial does not run there, a
  //! measurement lies outside the dryer, or a weighted residual cannot be represented.
  TrialModel(const FitTrial& trial, const std::vector<const FieldSpec*>& free,
             const FitTrial& first, char separator);
  TrialModel(const TrialModel& other);
  TrialModel& operator=(const TrialModel&) = delete;

  const FittingValues& Fitting() const { return fitting_; }
  std::size_t Count() const { return sites_.size(); }
  long Runs() const { return runs_; }
  long Faults() const { return faults_; }

  //! Marches through the dryer with the free parameters at `values`; false when the run ends
  //! on a floating-point fault.
  bool Run(const double* values);

  //! The model at each measured place, of the last run.
  double ModelValue(std::size_t i) const;

  //! (model − measured) / sigma for every measurement; false when the run faults or the sum
  //! of their squares cannot be represented.
  bool Residuals(const double* values, double* residuals);

  //! The last run at every stored point along the axis of the measurements.
  std::vector<CurvePoint> Curve() const;

 private:
  //! Refuses a measurement whose weighted residual at the start, or whose value over its
  //! sigma, has a square beyond the range of numbers.
  void CheckWeights(const FitTrial& trial) const;

  const MeasurementTable& table_;
  std::vector<const FieldSpec*> free_;
  std::unique_ptr<ParameterSet> params_;
  std::unique_ptr<SimulationState> state_;
  double entryTemperature_ = 0;
  int zones_ = 0;
  std::vector<TraceSite> sites_;
  std::vector<double> weights_;  //!< 1 / sigma, or 1
  FittingValues fitting_{};
  long runs_ = 0;
  long faults_ = 0;  //!< runs that ended on a floating-point fault
};

}  // namespace quillmere
