// Fitting the fitting parameters to the measurements of one or more trials: the parameter set
// that best explains them in the least-squares sense, how sure it is, and how well it explains
// each trial. Each trial is a data file (the line's settings in that trial) with its own
// measurements; the free parameters are shared by all trials, the others keep each trial's
// values. The model is the march through the dryer itself: each residual is the model's value
// at a measured place minus the measured value, divided by the measurement's sigma.
#pragma once

#include <array>
#include <atomic>
#include <functional>
#include <memory>
#include <optional>
#include <stdexcept>
#include <string>
#include <vector>

#include "analysis/fit/FitParameters.h"
#include "analysis/fit/Measurements.h"
#include "base/Error.h"
#include "params/MemoryFieldTexts.h"

namespace quillmere {

class TrialModel;

//! One trial: the line's settings and what was measured on it.
struct FitTrial {
  std::string DataFileName;  //!< as messages name it
  MemoryFieldTexts Fields;   //!< the data file applied over the defaults
  MeasurementTable Measurements;
};

//! A trial that cannot be fitted as it stands: it does not run at the start values, or a
//! measurement lies outside its dryer. what() is the first line; Details() the lines after it
//! (the run's own messages).
class FitRefused : public Error {
 public:
  FitRefused(const std::string& what, std::vector<std::string> details = {})
      : Error(ErrorKind::InputRefused, what), lines_(std::move(details)) {}
  const std::vector<std::string>& DetailLines() const { return lines_; }

 private:
  std::vector<std::string> lines_;
};

struct FitOptions {
  char DecimalSeparator = '.';  //!< of the number texts in the trials' fields
  //! Of the local fit that polishes the best optimum and of each profile point's (a start of
  //! the search stops at 50).
  int MaxIterations = 200;
  //! Local fits at once; 0: one a core.
  int Threads = 0;
  //! Local fits of the global search, the first from the data file's values; 0: DefaultStarts.
  int Starts = 0;
  //! Whether to trace the profile likelihood of each free parameter for its interval.
  bool Profiles = true;
  //! When set, and once it is true, the fit stops: the local fits in flight end at their next
  //! iteration, the starts not yet begun are left out, no profile is traced, and the result
  //! is that of the starts that ended (FitResult::Stopped).
  const std::atomic<bool>* Stop = nullptr;
  //! Told after each start of the search ends, on the thread that ran it (a count of progress).
  std::function<void()> StartEnded;
};

//! The starts of a global search over `freeParameters` parameters, when none is asked for.
int DefaultStarts(std::size_t freeParameters);

//! One free parameter's outcome.
struct FittedParameter {
  std::string Name;
  double Start = 0;
  double Fitted = 0;
  std::optional<Bound> Lower;  //!< in force (tightened by the order We < Wx < Wi)
  std::optional<Bound> Upper;
  BoundSide BoundReached = BoundSide::None;
  bool Identifiable = true;
  std::optional<double> StandardError;  //!< none when not identifiable or not computable
  //! The covariance (Wald) interval, fitted value ± its factor times the standard error,
  //! clipped to the bounds; WaldClipped when it reached beyond one.
  std::optional<std::array<double, 2>> Interval95;
  bool WaldClipped = false;
  //! The profile-likelihood interval: where the sum of squares, the other parameters fitted
  //! again, has risen by the 95 % quantile (FitResult::ProfileRise). An end that reaches a
  //! bound is the bound, with ProfileAtBound set on that side (the measurements allow values
  //! beyond it); none on a side where the model did not run.
  std::optional<double> ProfileLow;
  std::optional<double> ProfileHigh;
  std::array<bool, 2> ProfileAtBound{false, false};
  //! "We ≤ Wx" when the best fit ended in the flat strip next to that bound of the order, where
  //! the model does not respond to the parameter, even after a restart from inside the bounds.
  std::string Stalled;
};

//! An optimum of the sum of squares other than the best that some starts ended at.
struct OtherOptimum {
  double SumOfSquares = 0;
  std::vector<double> Values;  //!< in the order of --free
  int Starts = 0;              //!< local fits that ended there
};

//! Parameters that the measurements cannot determine, alone or only together.
struct NotIdentifiable {
  std::vector<std::string> Parameters;
  std::string Hint;  //!< what to measure instead, or to fix them
};

//! The model against one quantity of one trial.
struct QuantityFit {
  MeasuredQuantity Quantity = MeasuredQuantity::Temperature;
  int Count = 0;
  double StartRms = 0;   //!< root mean square of model − measured at the start [its unit]
  double FittedRms = 0;  //!< the same at the fitted values
};

//! The model along the whole dryer: every stored point once (a zone's exit, not again as the
//! next zone's entry), with the quantities in the order of kMeasuredQuantities.
struct CurvePoint {
  double Where = 0;  //!< along the axis of the trial's measurements [m or s]
  std::array<double, kMeasuredQuantities.size()> Values{};
};

//! One measurement with the model's values there.
struct MeasurementFit {
  Measurement Measured;
  double Start = 0;   //!< the model at the start values
  double Fitted = 0;  //!< at the fitted values
};

struct TrialFit {
  std::string DataFileName;
  std::string MeasurementFileName;
  MeasurementAxis Axis = MeasurementAxis::Position;
  std::vector<MeasurementFit> Measurements;
  std::vector<QuantityFit> Quantities;  //!< those measured, in the order of kMeasuredQuantities
  std::vector<CurvePoint> StartCurve;
  std::vector<CurvePoint> FittedCurve;
};

struct FitResult {
  std::vector<FittedParameter> Parameters;  //!< in the order of --free
  //! Correlations of the identifiable parameters (named in CorrelationNames), when the
  //! covariance could be computed.
  std::vector<std::string> CorrelationNames;
  std::vector<std::vector<double>> Correlation;
  //! Whether the standard errors come from the given sigmas (true) or from the residual
  //! variance of the fit (false: all measurements weigh alike, their scatter estimated).
  bool SigmaGiven = false;
  double ResidualVariance = 0;  //!< sum of squares / degrees of freedom, at the fitted values
  int DegreesOfFreedom = 0;     //!< measurements − free parameters
  std::string CovarianceNote;   //!< why there are no standard errors, when there are none
  std::vector<NotIdentifiable> Unidentifiable;
  double StartSumOfSquares = 0;  //!< of the residuals ((model − measured) / sigma)
  double FittedSumOfSquares = 0;
  std::vector<QuantityFit> Quantities;  //!< over all trials
  std::vector<TrialFit> Trials;
  std::vector<ConstraintCheck> Constraints;
  int Iterations = 0;  //!< of the local fit that reached the best optimum
  long ModelRuns = 0;  //!< marches through the dryer, all trials and threads together
  //! Of those, runs that ended on a floating-point fault: the solver stepped back from there.
  long FaultedRuns = 0;
  //! How the best local fit ended: "CONVERGENCE", "NO_CONVERGENCE" or "FAILURE".
  std::string Termination;
  std::string StopReason;  //!< the solver's own words
  bool Converged = false;
  //! No local fit ended on values the model runs at; the values are the start values.
  bool Failed = false;
  double Seconds = 0;  //!< wall time of the whole fit

  int Starts = 0;       //!< local fits of the global search (that ended, when Stopped)
  int StartsAsked = 0;  //!< local fits the search was to make
  //! A stop came before the fit ended (FitOptions::Stop): the starts not ended are left out,
  //! and the steps after the search only ran as far as the stop let them.
  bool Stopped = false;
  int StartsAtBest = 0;  //!< of those, ended at the best optimum
  int Restarts = 0;      //!< local fits restarted from inside the bounds after a stall
  std::vector<OtherOptimum> OtherOptima;  //!< lowest sum of squares first, at most a few
  //! The sum of squares beyond which the fit is poor: the 99.9 % quantile of chi-square for
  //! the degrees of freedom, when the sigmas are given (0 otherwise: nothing to judge by).
  double PoorFitLimit = 0;
  //! The rise of the sum of squares that ends a profile interval: the 95 % quantile of
  //! chi-square for one degree of freedom (with sigmas), or the residual variance times the
  //! square of Student's t (without).
  double ProfileRise = 0;
  //! Why the best optimum is not to be trusted (the solver stopped without converging, a
  //! stall, a poor fit); empty when it is.
  std::vector<std::string> Doubts;
  bool Trustworthy() const { return Doubts.empty() && !Failed; }
};

//! The exit status of a fit that finished: kExitFinished when its optimum is to be trusted,
//! ExitStatus(ErrorKind::Untrustworthy) when not.
int FinishedFitStatus(const FitResult& result);

//! Prepares a fit: each trial is acquired and run at the start values (the free parameters
//! take the first trial's values in every trial), and every measured place is located on its
//! dryer. Throws FitRefused when a trial does not run, a measurement lies outside its dryer,
//! some trials give sigmas and others do not, the same trial is given twice, there are fewer
//! measurements than free parameters, or a weighted residual cannot be represented;
//! FitParameterError when the bounds leave no room or a start value lies outside them.
class Fit {
 public:
  Fit(std::vector<FitTrial> trials, std::vector<FreeParameter> free, FitOptions options = {});
  ~Fit();
  Fit(const Fit&) = delete;
  Fit& operator=(const Fit&) = delete;

  const ParameterMap& Map() const { return *map_; }

  //! Finds the least-squares values within the bounds by local fits from many starts, then
  //! their standard errors, correlations and profile intervals, and tells which parameters
  //! the measurements cannot determine and why the answer is not to be trusted, if it is not.
  FitResult Solve();

  //! The first trial's field texts with the free parameters' texts set to those of `result`,
  //! with the digits their standard errors justify (FittedValueText) and the decimal separator.
  MemoryFieldTexts FittedFields(const FitResult& result) const;

 private:
  std::vector<FitTrial> trials_;
  FitOptions options_;
  std::vector<std::unique_ptr<TrialModel>> models_;
  std::unique_ptr<ParameterMap> map_;
  std::vector<FittingValues> fitting_;  //!< each trial's fitting parameters
};

}  // namespace quillmere
