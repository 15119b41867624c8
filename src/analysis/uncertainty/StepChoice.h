// "--step auto": the increment of z at which the exit residuals are converged. Starting from
// the data file's increment, the step is halved until the estimated step error of both residual
// ratios at the dryer's exit is at most the tolerance (a share of each value), never finer than
// the zone's step bound allows. Each halving costs one run: the two coarser runs of the
// estimate are the steps tried before.
#pragma once

#include <optional>
#include <string>

#include "analysis/uncertainty/StepError.h"

namespace quillmere {

//! The default tolerance: 1 % of each exit residual.
inline constexpr double kDefaultStepTolerance = 0.01;

struct StepChoice {
  double Step = 0;            //!< the increment of z chosen [m]
  double Tolerance = 0;       //!< the share of each exit residual allowed
  StepError Estimate;         //!< the step error at the chosen step, every figure
  bool Met = false;           //!< both exit residuals within the tolerance
  bool BoundReached = false;  //!< a finer step would exceed a zone's step bound
  int Runs = 0;               //!< the model runs the choice took
};

//! The exit residuals' estimated error as a share of their values: the larger of the two; none
//! where either is not in the asymptotic range.
std::optional<double> ExitResidualShare(const StepError& estimate);

//! Chooses the step for `fields` (their increment of z the first tried). Throws quillmere::Error
//! when a run does not finish.
StepChoice ChooseStep(const MemoryFieldTexts& fields, FigureModel& model, double tolerance);

//! "Step: 0.025 m chosen (exit residuals within 0.74 % of their value, tolerance 1 %)", or why
//! the tolerance could not be met.
std::string StepChoiceText(const StepChoice& choice, char decimalSeparator);

}  // namespace quillmere
