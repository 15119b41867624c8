#include "analysis/uncertainty/RobustLimits.h"

#include <cmath>
#include <nlohmann/json.hpp>
#include <stdexcept>

#include "analysis/FieldValueText.h"
#include "base/Error.h"
#include "base/NumberText.h"

namespace quillmere {

std::vector<double> FittingCentre(const FitUncertainty& fit, const FieldTexts& fields,
                                  char decimalSeparator) {
  std::vector<double> centre;
  for (const UncertainParameter& p : fit.Parameters) {
    const std::optional<double> value = ParseNumber(fields.Text(p.Field->name), decimalSeparator);
    if (!value) throw Error(ErrorKind::InputRefused, p.Name + " does not read as a number.");
    centre.push_back(*value);
  }
  return centre;
}

LimitMargin RobustMargin(const FitUncertainty& fit, const std::vector<double>& centre, double step,
                         const RobustOptions& options, char separator) {
  // One-sided: the limit is an upper bound only.
  const double factor = fit.Factor(2 * options.Confidence - 1);
  const std::vector<std::vector<double>> sigma = fit.Covariance();
  return [fit, centre, step, options, separator, factor, sigma](RunEvaluation& evaluation,
                                                                const EvaluateAgain& again) {
    const std::size_t limits = evaluation.LimitValue.size();
    const std::size_t n = fit.Parameters.size();
    std::vector<std::vector<double>> gradient(limits, std::vector<double>(n, 0.0));
    for (std::size_t j = 0; j < n; ++j) {
      const double delta = fit.Parameters[j].StandardError;
      if (delta == 0) continue;
      const std::string field(fit.Parameters[j].Field->name);
      const auto up = again({{field, FieldValueText(centre[j] + delta, separator)}});
      const auto down = again({{field, FieldValueText(centre[j] - delta, separator)}});
      if (!up || !down) {
        // The parameters' uncertainty reaches where the model does not run: not robust.
        evaluation.Finished = false;
        evaluation.Outcome =
            "the run at " + fit.Parameters[j].Name + " ± its standard error did not finish";
        return;
      }
      for (std::size_t i = 0; i < limits; ++i)
        gradient[i][j] = ((*up)[i] - (*down)[i]) / (2 * delta);
    }
    std::optional<std::vector<double>> coarse;
    if (options.StepError) {
      coarse = again({{"Edit20", FieldValueText(2 * step, separator)}});
      if (!coarse) {
        evaluation.Finished = false;
        evaluation.Outcome = "the run at twice the step did not finish";
        return;
      }
    }
    for (std::size_t i = 0; i < limits; ++i) {
      double variance = 0;
      for (std::size_t a = 0; a < n; ++a) {
        for (std::size_t b = 0; b < n; ++b)
          variance += gradient[i][a] * sigma[a][b] * gradient[i][b];
      }
      double margin = factor * std::sqrt(std::max(variance, 0.0));
      if (coarse) margin += std::fabs(evaluation.LimitValue[i] - (*coarse)[i]);
      evaluation.LimitValue[i] += margin;
    }
  };
}

std::string RobustCostText(const OptimiseProblem& problem, const OptimiseResult& nominal,
                           const OptimiseResult& robust, const RobustOptions& options) {
  const auto number = [](double value) { return FieldValueText(RoundedToDigits(value, 4), '.'); };
  const auto withUnit = [&](double value, const std::string& unit) {
    return unit.empty() || unit == "-" ? number(value) : number(value) + " " + unit;
  };
  const std::string bound = number(100 * options.Confidence) + " % bound" +
                            (options.StepError ? ", the step's error included" : "");
  const std::string goal = problem.Goal.Name + " ";
  if (!robust.Feasible) {
    return "Robust optimum (every limit at its " + bound + "): none found" +
           (nominal.Feasible ? "; the nominal optimum is " + goal +
                                   withUnit(nominal.Objective, problem.Goal.Unit)
                             : std::string()) +
           ".\n";
  }
  std::string text = "Robust optimum (every limit at its " + bound + "): " + goal +
                     withUnit(robust.Objective, problem.Goal.Unit);
  text += nominal.Feasible ? " instead of " + withUnit(nominal.Objective, problem.Goal.Unit) +
                                 " (the nominal optimum)"
                           : " (no nominal optimum found)";
  text += ".\n";
  for (std::size_t i = 0; i < problem.Free.size() && nominal.Feasible; ++i) {
    const FreeInput& f = problem.Free[i];
    if (problem.Goal.What == Quantity::Input && f.Field == problem.Goal.Input) continue;
    text += "  " + f.Name + " " + withUnit(robust.Values[i], f.Unit) + " instead of " +
            withUnit(nominal.Values[i], f.Unit) + "\n";
  }
  return text;
}

std::string RobustJsonMembers(const OptimiseProblem& problem, const OptimiseResult& nominal,
                              const RobustOptions& options) {
  nlohmann::ordered_json values = nlohmann::ordered_json::object();
  for (std::size_t i = 0; i < problem.Free.size() && i < nominal.Values.size(); ++i) {
    values[problem.Free[i].Name] = nominal.Values[i];
  }
  const nlohmann::ordered_json members{
      {"robust",
       {{"confidence", options.Confidence},
        {"step_error_in_margin", options.StepError},
        {"nominal",
         {{"feasible", nominal.Feasible}, {"objective", nominal.Objective}, {"values", values}}}}}};
  return members.dump();
}

}  // namespace quillmere
