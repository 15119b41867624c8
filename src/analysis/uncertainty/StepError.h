// The error of the march's step. The march takes the drying-speed correction at each step's
// start, so an exit figure f computed at the step h is first order in it: f(h) = f* + C·h + ...
// Run at 2h and 4h as well, the differences give the observed order
//     p = log2((f(4h) − f(2h)) / (f(2h) − f(h)))
// and, where p is near 1 (the runs are in the asymptotic range), Richardson's estimate of what
// f(h) lacks, (f(h) − f(2h)) / (2^p − 1), and the extrapolated value f(h) plus that. The coarser
// runs together cost three quarters of the run itself and never reach the zone's step bound.
#pragma once

#include <array>
#include <optional>
#include <string>
#include <vector>

#include "analysis/uncertainty/ExitFigures.h"
#include "params/MemoryFieldTexts.h"

namespace quillmere {

//! The observed order is taken as first order between these: outside, the estimate is withheld.
inline constexpr double kLowestFirstOrder = 0.7;
inline constexpr double kHighestFirstOrder = 1.4;
//! Differences below this share of the figure (or of 1, for figures near 0) are rounding, not
//! the step's: the figure has converged.
inline constexpr double kConvergedShare = 1e-9;

enum class StepErrorStatus {
  Estimated,      //!< first order observed: Error and Extrapolated hold
  Converged,      //!< the step changes the figure by rounding only: Error is 0
  NotAsymptotic,  //!< the observed order is not near 1: no figure can be given
};

struct FigureStepError {
  ExitFigure Figure;  //!< at the step in use
  StepErrorStatus Status = StepErrorStatus::NotAsymptotic;
  std::optional<double> Order;  //!< observed; none where the differences vanish or differ in sign
  double Error = 0;             //!< the extrapolated value minus the figure (Estimated)
  double Extrapolated = 0;      //!< (Estimated, Converged)
  std::array<double, 2> Coarser{};  //!< the figure at 2h and 4h
};

struct StepError {
  double Step = 0;  //!< the step in use [m]
  std::vector<FigureStepError> Figures;
};

//! The estimate from the figures at h, 2h and 4h (the same figures in the same order).
StepError StepErrorFrom(double step, const ExitFigures& atStep, const ExitFigures& atTwice,
                        const ExitFigures& atFourTimes);

//! The figure's estimate from its values at h, 2h and 4h.
FigureStepError FigureStepErrorFrom(const ExitFigure& atStep, double atTwice, double atFourTimes);

//! Runs `fields` at twice and four times its increment of z with `model` and estimates the
//! error of `atStep`, the figures of `fields` as they ran. Throws quillmere::Error when a coarser
//! run does not finish (its message says at which step).
StepError StepErrorOf(const FieldTexts& fields, FigureModel& model, const ExitFigures& atStep);

//! The step's error of a run that finished with `params`, `state` and `record` from `fields`
//! (the window's run). Throws quillmere::Error.
StepError StepErrorOfRun(const FieldTexts& fields, char decimalSeparator,
                         const ParameterSet& params, const SimulationState& state,
                         const RunRecord& record);

//! The increment of z of `fields` [m]; throws Error(InputRefused) when it does not read.
double IncrementOf(const FieldTexts& fields, char decimalSeparator);

//! `fields` with the increment of z set to `step` [m].
MemoryFieldTexts AtStep(const MemoryFieldTexts& fields, double step, char decimalSeparator);

//! `value` to `digits` significant digits, as CSV writes it ("0.00018", "-2.5e-06").
std::string SignificantText(double value, int digits, char decimalSeparator);

//! An error in two significant digits with its sign: "+0.0012", "-0.0012".
std::string SignedErrorText(double error, char decimalSeparator);

//! The summary's table: one line a figure with its value, the estimated error, the order and the
//! extrapolated value, or "not in the asymptotic range".
std::string StepErrorText(const StepError& error, char decimalSeparator);

}  // namespace quillmere
