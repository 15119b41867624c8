#include "analysis/uncertainty/ExitIntervals.h"

#include <algorithm>
#include <cmath>
#include <random>

#include "analysis/FieldValueText.h"
#include "analysis/uncertainty/StepError.h"
#include "base/Error.h"
#include "base/FormatFixed.h"
#include "base/NumberText.h"

namespace quillmere {
namespace {

//! The draws are the same on every run of the same inputs.
constexpr unsigned kSampleSeed = 20261208;

//! `fields` with the fitting parameters at `values`.
MemoryFieldTexts WithParameters(const MemoryFieldTexts& fields, const FitUncertainty& fit,
                                const std::vector<double>& values, char separator) {
  MemoryFieldTexts at = fields;
  for (std::size_t j = 0; j < values.size(); ++j) {
    at.SetText(fit.Parameters[j].Field->name, FieldValueText(values[j], separator));
  }
  return at;
}

//! The lower triangle L of Σ = L Lᵀ; a pivot that rounding leaves below zero counts as zero.
std::vector<std::vector<double>> Cholesky(const std::vector<std::vector<double>>& sigma) {
  const std::size_t n = sigma.size();
  std::vector<std::vector<double>> l(n, std::vector<double>(n, 0.0));
  for (std::size_t i = 0; i < n; ++i) {
    for (std::size_t j = 0; j <= i; ++j) {
      double sum = sigma[i][j];
      for (std::size_t k = 0; k < j; ++k) sum -= l[i][k] * l[j][k];
      if (i == j) {
        l[i][i] = std::sqrt(std::max(sum, 0.0));
      } else {
        l[i][j] = l[j][j] > 0 ? sum / l[j][j] : 0.0;
      }
    }
  }
  return l;
}

//! The value at `share` of the sorted `values`, interpolated between neighbours.
double Quantile(const std::vector<double>& sorted, double share) {
  const double at = share * static_cast<double>(sorted.size() - 1);
  const auto below = static_cast<std::size_t>(std::floor(at));
  const std::size_t above = std::min(below + 1, sorted.size() - 1);
  return sorted[below] + (at - static_cast<double>(below)) * (sorted[above] - sorted[below]);
}

//! Sampled intervals for the figures marked in `sampled`.
void Sample(const MemoryFieldTexts& fields, FigureModel& model, const FitUncertainty& fit,
            const std::vector<double>& centre, const std::vector<bool>& sampled,
            ExitIntervals& intervals) {
  const std::vector<std::vector<double>> l = Cholesky(fit.Covariance());
  std::mt19937 random(kSampleSeed);
  std::normal_distribution<double> normal;
  std::vector<std::vector<double>> draws(sampled.size());
  int refused = 0;
  for (int d = 0; d < kSampleDraws; ++d) {
    std::vector<double> z(centre.size());
    for (double& v : z) v = normal(random);
    std::vector<double> values = centre;
    for (std::size_t i = 0; i < values.size(); ++i) {
      for (std::size_t k = 0; k <= i; ++k) values[i] += l[i][k] * z[k];
    }
    try {
      const ExitFigures figures =
          model.Run(WithParameters(fields, fit, values, model.DecimalSeparator()));
      for (std::size_t f = 0; f < sampled.size() && f < figures.size(); ++f) {
        if (sampled[f]) draws[f].push_back(figures[f].Value);
      }
    } catch (const Error&) {
      ++refused;  // parameters beyond their meaning (We above Wi ...): the draw is dropped
    }
  }
  if (refused > kSampleDraws / 10) {
    throw Error(ErrorKind::InputRefused,
                "The fit's uncertainty reaches parameters the model refuses in " +
                    std::to_string(refused) + " of " + std::to_string(kSampleDraws) +
                    " draws: the intervals cannot be given.");
  }
  const double tail = (1 - intervals.Confidence) / 2;
  for (std::size_t f = 0; f < sampled.size(); ++f) {
    if (!sampled[f]) continue;
    std::sort(draws[f].begin(), draws[f].end());
    intervals.Figures[f].Method = IntervalMethod::Sampled;
    intervals.Figures[f].Low = Quantile(draws[f], tail);
    intervals.Figures[f].High = Quantile(draws[f], 1 - tail);
  }
  if (refused > 0) {
    intervals.Notes.push_back(std::to_string(refused) + " of " + std::to_string(kSampleDraws) +
                              " draws of the parameters were refused by the model and left out");
  }
}

}  // namespace

std::string MethodName(IntervalMethod method) {
  return method == IntervalMethod::Linearised ? "linearised" : "sampled";
}

ExitIntervals ExitIntervalsOf(const MemoryFieldTexts& fields, FigureModel& model,
                              const FitUncertainty& fit, const ExitFigures& nominal,
                              double confidence) {
  const char separator = model.DecimalSeparator();
  const int runsBefore = model.Runs();
  ExitIntervals intervals;
  intervals.Confidence = confidence;
  intervals.Notes = fit.Notes;
  const std::size_t n = fit.Parameters.size();
  std::vector<double> centre(n);
  for (std::size_t j = 0; j < n; ++j) {
    const UncertainParameter& p = fit.Parameters[j];
    const std::optional<double> value = ParseNumber(fields.Text(p.Field->name), separator);
    if (!value) throw Error(ErrorKind::InputRefused, p.Name + " does not read as a number.");
    centre[j] = *value;
    if (std::fabs(*value - p.Fitted) > 0.5 * p.StandardError) {
      intervals.Notes.push_back(
          p.Name + " is " + FieldValueText(*value, separator) + " in the inputs, the fit's value " +
          FieldValueText(p.Fitted, separator) + ": the intervals are centred on the inputs' value");
    }
  }
  // The gradient and the departure from linearity, one parameter at a time.
  std::vector<std::vector<double>> gradient(nominal.size(), std::vector<double>(n, 0.0));
  std::vector<bool> farFromLinear(nominal.size(), false);
  for (std::size_t j = 0; j < n; ++j) {
    double delta = fit.Parameters[j].StandardError;
    if (delta == 0) continue;
    std::array<ExitFigures, 2> side;
    for (int attempt = 0;; ++attempt) {
      try {
        for (int s = 0; s < 2; ++s) {
          std::vector<double> values = centre;
          values[j] += s == 0 ? delta : -delta;
          side[s] = model.Run(WithParameters(fields, fit, values, separator));
        }
        break;
      } catch (const Error&) {
        if (attempt == 2) throw;
        delta /= 10;  // a standard error that reaches past the parameter's meaning
      }
    }
    for (std::size_t f = 0; f < nominal.size() && f < side[0].size(); ++f) {
      const double half = (side[0][f].Value - side[1][f].Value) / 2;
      const double bend = (side[0][f].Value + side[1][f].Value) / 2 - nominal[f].Value;
      gradient[f][j] = half / delta;
      const double rounding = kConvergedShare * std::max(std::fabs(nominal[f].Value), 1.0);
      if (std::fabs(bend) > rounding && std::fabs(bend) > kLinearShare * std::fabs(half)) {
        farFromLinear[f] = true;
      }
    }
  }
  const std::vector<std::vector<double>> sigma = fit.Covariance();
  const double factor = fit.Factor(confidence);
  bool anySampled = false;
  for (std::size_t f = 0; f < nominal.size(); ++f) {
    double variance = 0;
    for (std::size_t a = 0; a < n; ++a) {
      for (std::size_t b = 0; b < n; ++b) variance += gradient[f][a] * sigma[a][b] * gradient[f][b];
    }
    FigureInterval interval;
    interval.Figure = nominal[f];
    interval.StandardError = std::sqrt(std::max(variance, 0.0));
    interval.Low = nominal[f].Value - factor * interval.StandardError;
    interval.High = nominal[f].Value + factor * interval.StandardError;
    if (!std::isfinite(interval.Low) || !std::isfinite(interval.High)) {
      throw Error(ErrorKind::RunFault, "The interval of " + FigureCaption(nominal[f]) +
                                           " is beyond the range of numbers: the fit's standard "
                                           "errors are too large for the model.");
    }
    intervals.Figures.push_back(interval);
    anySampled = anySampled || farFromLinear[f];
  }
  if (anySampled) Sample(fields, model, fit, centre, farFromLinear, intervals);
  intervals.Runs = model.Runs() - runsBefore;
  return intervals;
}

std::string ExitIntervalsText(const ExitIntervals& intervals, char separator) {
  const auto column = [](const std::string& text, std::size_t width) {
    return text.size() < width ? text + std::string(width - text.size(), ' ') : text;
  };
  const std::string percent = SignificantText(100 * intervals.Confidence, 3, separator);
  std::string text = "Fit's uncertainty, " + percent + " % intervals:\n";
  text += column("FIGURE", 34) + column("VALUE", 12) + column("LOW", 12) + column("HIGH", 12) +
          "METHOD\n";
  for (const FigureInterval& f : intervals.Figures) {
    const int decimals = FigureDecimals(f.Figure.Kind) + 2;
    text += column(FigureCaption(f.Figure), 34) +
            column(FormatFixed(f.Figure.Value, 8, decimals, separator), 12) +
            column(FormatFixed(f.Low, 8, decimals, separator), 12) +
            column(FormatFixed(f.High, 8, decimals, separator), 12) + MethodName(f.Method) + '\n';
  }
  for (const std::string& note : intervals.Notes) text += "Note: " + note + ".\n";
  return text;
}

}  // namespace quillmere
