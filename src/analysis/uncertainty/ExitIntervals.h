// The fit's uncertainty carried through the model into each exit figure: a 95 % interval
// (or another confidence) for the figure at the inputs given, the fitting parameters varying
// as the fit's covariance Σ says. Linearised: the gradient g of the figure in the parameters
// by central differences (one standard error either side), the figure's variance gᵀΣg, the
// interval value ± factor·√(gᵀΣg). Where a figure's second differences show it far from
// linear over that range, the interval comes from sampling instead: the parameters drawn from
// their normal distribution, the figure's quantiles over the draws.
#pragma once

#include <string>
#include <vector>

#include "analysis/uncertainty/ExitFigures.h"
#include "analysis/uncertainty/FitUncertainty.h"
#include "params/MemoryFieldTexts.h"

namespace quillmere {

enum class IntervalMethod { Linearised, Sampled };

//! A figure is taken as far from linear where its change over a standard error of a parameter
//! departs from the straight line by more than this share of the change.
inline constexpr double kLinearShare = 0.05;
//! Draws of the parameters where sampling is needed.
inline constexpr int kSampleDraws = 400;

struct FigureInterval {
  ExitFigure Figure;
  IntervalMethod Method = IntervalMethod::Linearised;
  double StandardError = 0;  //!< √(gᵀΣg), also where sampled
  double Low = 0;
  double High = 0;
};

struct ExitIntervals {
  double Confidence = 0.95;
  std::vector<FigureInterval> Figures;
  std::vector<std::string> Notes;  //!< the fit's parameters taken as exact, centres not the fit's
  int Runs = 0;
};

//! The intervals of `nominal`, the figures of `fields` as they ran, with `model`. The fitting
//! parameters are taken at the values `fields` hold (a note says where those are not the fit's).
//! Throws quillmere::Error when a run at perturbed parameters does not finish.
ExitIntervals ExitIntervalsOf(const MemoryFieldTexts& fields, FigureModel& model,
                              const FitUncertainty& fit, const ExitFigures& nominal,
                              double confidence = 0.95);

//! "Linearised" or "sampled".
std::string MethodName(IntervalMethod method);

//! The summary's table: each figure with its interval and how it was found.
std::string ExitIntervalsText(const ExitIntervals& intervals, char decimalSeparator);

}  // namespace quillmere
