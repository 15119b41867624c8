#include "analysis/uncertainty/StepError.h"

#include <algorithm>
#include <cmath>

#include "analysis/FieldValueText.h"
#include "analysis/uncertainty/FieldOverrides.h"
#include "base/Error.h"
#include "base/FormatFixed.h"
#include "base/NumberText.h"

namespace quillmere {

FigureStepError FigureStepErrorFrom(const ExitFigure& atStep, double atTwice, double atFourTimes) {
  FigureStepError result;
  result.Figure = atStep;
  result.Coarser = {atTwice, atFourTimes};
  const double fine = atStep.Value - atTwice;   // f(h) − f(2h)
  const double coarse = atTwice - atFourTimes;  // f(2h) − f(4h)
  const double rounding = kConvergedShare * std::max(std::fabs(atStep.Value), 1.0);
  if (std::fabs(fine) <= rounding && std::fabs(coarse) <= rounding) {
    result.Status = StepErrorStatus::Converged;
    result.Extrapolated = atStep.Value;
    return result;
  }
  if (fine == 0 || coarse / fine <= 0) return result;  // no order: not asymptotic
  const double order = std::log2(coarse / fine);
  result.Order = order;
  if (order < kLowestFirstOrder || order > kHighestFirstOrder) return result;
  const double error = fine / (std::exp2(order) - 1);
  if (!std::isfinite(error) || !std::isfinite(atStep.Value + error)) return result;
  result.Status = StepErrorStatus::Estimated;
  result.Error = error;
  result.Extrapolated = atStep.Value + error;
  return result;
}

StepError StepErrorFrom(double step, const ExitFigures& atStep, const ExitFigures& atTwice,
                        const ExitFigures& atFourTimes) {
  StepError error;
  error.Step = step;
  const auto valueOf = [](const ExitFigures& figures, const ExitFigure& like) {
    const auto found = std::find_if(figures.begin(), figures.end(), [&](const ExitFigure& f) {
      return f.Kind == like.Kind &&
             (f.Zone == like.Zone || like.Kind == FigureKind::WorstPercentLel);
    });
    return found == figures.end() ? std::optional<double>{} : found->Value;
  };
  for (const ExitFigure& figure : atStep) {
    const std::optional<double> twice = valueOf(atTwice, figure);
    const std::optional<double> fourTimes = valueOf(atFourTimes, figure);
    if (!twice || !fourTimes) {
      FigureStepError missing;
      missing.Figure = figure;
      error.Figures.push_back(missing);
      continue;
    }
    error.Figures.push_back(FigureStepErrorFrom(figure, *twice, *fourTimes));
  }
  return error;
}

double IncrementOf(const FieldTexts& fields, char decimalSeparator) {
  const std::optional<double> step = ParseNumber(fields.Text("Edit20"), decimalSeparator);
  if (!step || !(*step > 0)) {
    throw Error(ErrorKind::InputRefused,
                "The Increment of z (Edit20) must be a positive number to estimate the step's "
                "error.");
  }
  return *step;
}

MemoryFieldTexts AtStep(const MemoryFieldTexts& fields, double step, char decimalSeparator) {
  MemoryFieldTexts at = fields;
  at.SetText("Edit20", FieldValueText(step, decimalSeparator));
  return at;
}

StepError StepErrorOf(const FieldTexts& fields, FigureModel& model, const ExitFigures& atStep) {
  const char separator = model.DecimalSeparator();
  const double step = IncrementOf(fields, separator);
  std::array<ExitFigures, 2> coarser;
  for (int k = 0; k < 2; ++k) {
    const double coarse = step * (k == 0 ? 2 : 4);
    try {
      coarser[k] =
          model.Run(FieldOverrides(fields, {{"Edit20", FieldValueText(coarse, separator)}}));
    } catch (const Error& e) {
      throw Error(e.Kind(), "The run at a step of " + FieldValueText(coarse, separator) +
                                " m, for the step's error, did not finish: " + e.what());
    }
  }
  return StepErrorFrom(step, atStep, coarser[0], coarser[1]);
}

StepError StepErrorOfRun(const FieldTexts& fields, char decimalSeparator,
                         const ParameterSet& params, const SimulationState& state,
                         const RunRecord& record) {
  FigureModel model(decimalSeparator, std::nullopt);
  return StepErrorOf(fields, model, ExitFiguresOf(params, state, record, nullptr));
}

std::string SignificantText(double value, int digits, char decimalSeparator) {
  return FieldValueText(RoundedToDigits(value, digits), decimalSeparator);
}

std::string SignedErrorText(double error, char decimalSeparator) {
  std::string text = error >= 0 ? "+" : "";  // appended: GCC 12 misreads "x" + string
  text += SignificantText(error, 2, decimalSeparator);
  return text;
}

std::string StepErrorText(const StepError& error, char separator) {
  const auto column = [](const std::string& text, std::size_t width) {
    return text.size() < width ? text + std::string(width - text.size(), ' ') : text;
  };
  const std::string step = FieldValueText(error.Step, separator);
  std::string text = "Step error at " + step + " m (from runs at " +
                     FieldValueText(2 * error.Step, separator) + " and " +
                     FieldValueText(4 * error.Step, separator) + " m):\n";
  text += column("FIGURE", 34) + column("VALUE", 12) + column("ERROR", 12) + column("ORDER", 8) +
          "EXTRAPOLATED\n";
  for (const FigureStepError& f : error.Figures) {
    const int decimals = FigureDecimals(f.Figure.Kind) + 2;
    text += column(FigureCaption(f.Figure), 34) +
            column(FormatFixed(f.Figure.Value, 8, decimals, separator), 12);
    switch (f.Status) {
      case StepErrorStatus::Estimated:
        text += column(SignedErrorText(f.Error, separator), 12) +
                column(FormatFixed(*f.Order, 8, 2, separator), 8) +
                FormatFixed(f.Extrapolated, 8, decimals, separator);
        break;
      case StepErrorStatus::Converged:
        text += column("0", 12) + column("-", 8) + "converged";
        break;
      case StepErrorStatus::NotAsymptotic:
        text += "not in the asymptotic range";
        if (f.Order) text += " (order " + FormatFixed(*f.Order, 8, 2, separator) + ")";
        break;
    }
    text += '\n';
  }
  return text;
}

}  // namespace quillmere
