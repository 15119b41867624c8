#include "app/ShortestSetting.h"

#include <cmath>
#include <memory>

#include "base/NumberText.h"

namespace quillmere {
namespace {

//! `value` to `digits` significant digits, downwards when `down`, upwards otherwise.
double RoundedTowards(double value, int digits, bool down) {
  const double nearest = RoundedToDigits(value, digits);
  if (value == 0 || (down ? nearest <= value : nearest >= value)) return nearest;
  const double unit = std::pow(10.0, std::floor(std::log10(std::fabs(value))) - digits + 1);
  return RoundedToDigits(down ? nearest - unit : nearest + unit, digits);
}

bool GoodEnough(const OptimiseProblem& problem, const RunEvaluation& run, double objective) {
  if (!run.Finished || run.LimitValue.size() != problem.Limits.size()) return false;
  for (std::size_t i = 0; i < problem.Limits.size(); ++i) {
    if (!std::isfinite(run.LimitValue[i]) || Constraint(problem.Limits[i], run.LimitValue[i]) > 0) {
      return false;
    }
  }
  const double loss = problem.Goal.Maximise ? objective - run.Objective : run.Objective - objective;
  return std::isfinite(run.Objective) && loss <= kShortSettingObjectiveShare * std::fabs(objective);
}

}  // namespace

ShortSetting ShortestSetting(const OptimiseProblem& problem, const std::vector<double>& values,
                             double objective, const MemoryFieldTexts& base,
                             char decimalSeparator) {
  MemoryFieldTexts fields = base;
  auto params = std::make_unique<ParameterSet>();
  auto state = std::make_unique<SimulationState>();
  std::vector<std::pair<std::string, std::string>> sized;
  const auto passes = [&](const std::vector<double>& setting) {
    RunEvaluation run =
        EvaluateSetting(problem, setting, decimalSeparator, fields, *params, *state);
    sized = std::move(run.SizedExhausts);
    return GoodEnough(problem, run, objective);
  };
  for (int digits = 2; digits < 17; ++digits) {
    // The nearest rounding first; then the objective's own input rounded towards the worse
    // side, which the limits that bind at the optimum allow where the nearest does not.
    std::vector<double> tried;
    for (const bool towardsWorse : {false, true}) {
      std::vector<double> setting(values.size());
      bool inRange = true;
      for (std::size_t i = 0; i < values.size(); ++i) {
        const FreeInput& input = problem.Free[i];
        const bool own = problem.Goal.What == Quantity::Input && input.Field == problem.Goal.Input;
        setting[i] = towardsWorse && own ? RoundedTowards(values[i], digits, problem.Goal.Maximise)
                                         : RoundedToDigits(values[i], digits);
        inRange = inRange && setting[i] >= input.Low && setting[i] <= input.High;
      }
      if (setting == tried) continue;
      if (inRange && passes(setting)) return {setting, digits, true, sized};
      tried = setting;
    }
  }
  const bool checked = passes(values);
  return {values, 17, checked, sized};
}

}  // namespace quillmere
