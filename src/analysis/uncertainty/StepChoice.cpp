#include "analysis/uncertainty/StepChoice.h"

#include <algorithm>
#include <cmath>

#include "analysis/FieldValueText.h"
#include "base/FormatFixed.h"
#include "params/AcquireParameters.h"

namespace quillmere {
namespace {

//! Whether every zone of the last case run fits its trace at `step`, as acquisition counts its
//! steps.
bool WithinStepBound(const ParameterSet& params, double step) {
  for (int zone = 1; zone <= params.ZoneCount; ++zone) {
    if (std::nearbyint(params.Zones.ZoneLength[zone] / step) > kMaxZoneSteps) return false;
  }
  return true;
}

//! Zones of no length never reach the bound: the halving stops here all the same.
constexpr int kMostHalvings = 30;

}  // namespace

std::optional<double> ExitResidualShare(const StepError& estimate) {
  int lastZone = 0;
  for (const FigureStepError& f : estimate.Figures) lastZone = std::max(lastZone, f.Figure.Zone);
  double share = 0;
  int seen = 0;
  for (const FigureStepError& f : estimate.Figures) {
    const bool residual =
        f.Figure.Kind == FigureKind::Residual1 || f.Figure.Kind == FigureKind::Residual2;
    if (!residual || f.Figure.Zone != lastZone) continue;
    ++seen;
    if (f.Status == StepErrorStatus::NotAsymptotic) return std::nullopt;
    if (f.Status == StepErrorStatus::Converged) continue;
    const double value = std::fabs(f.Extrapolated);
    share = std::max(share, value > 0 ? std::fabs(f.Error) / value : 0.0);
  }
  return seen == 2 ? std::optional<double>(share) : std::nullopt;
}

StepChoice ChooseStep(const MemoryFieldTexts& fields, FigureModel& model, double tolerance) {
  const char separator = model.DecimalSeparator();
  const int runsBefore = model.Runs();
  StepChoice choice;
  choice.Tolerance = tolerance;
  double step = IncrementOf(fields, separator);
  // The figures at step, 2·step and 4·step, finest first.
  ExitFigures fine = model.Run(AtStep(fields, step, separator));
  ExitFigures twice = model.Run(AtStep(fields, 2 * step, separator));
  ExitFigures fourTimes = model.Run(AtStep(fields, 4 * step, separator));
  int halvings = 0;
  for (;;) {
    choice.Step = step;
    choice.Estimate = StepErrorFrom(step, fine, twice, fourTimes);
    const std::optional<double> share = ExitResidualShare(choice.Estimate);
    choice.Met = share && *share <= tolerance;
    if (choice.Met) break;
    if (!WithinStepBound(model.Params(), step / 2) || ++halvings > kMostHalvings) {
      choice.BoundReached = true;
      break;
    }
    step /= 2;
    fourTimes = std::move(twice);
    twice = std::move(fine);
    fine = model.Run(AtStep(fields, step, separator));
  }
  choice.Runs = model.Runs() - runsBefore;
  return choice;
}

std::string StepChoiceText(const StepChoice& choice, char separator) {
  const std::optional<double> share = ExitResidualShare(choice.Estimate);
  const std::string tolerance = SignificantText(100 * choice.Tolerance, 3, separator) + " %";
  const std::string estimate = share ? "exit residuals within " +
                                           FormatFixed(100 * *share, 8, 2, separator) +
                                           " % of their value"
                                     : "exit residuals not in the asymptotic range";
  std::string text = "Step: " + FieldValueText(choice.Step, separator) + " m chosen (" + estimate +
                     ", tolerance " + tolerance + ")";
  if (!choice.Met && choice.BoundReached) {
    text += "; the tolerance needs a finer step than the zones' step bound of " +
            std::to_string(kMaxZoneSteps) + " steps allows";
  }
  return text + ".\n";
}

}  // namespace quillmere
