#include "analysis/uncertainty/TraceBand.h"

#include <array>
#include <cmath>
#include <memory>

#include "analysis/CaseRun.h"
#include "analysis/FieldValueText.h"
#include "analysis/uncertainty/FieldOverrides.h"
#include "base/Error.h"
#include "base/NumberText.h"

namespace quillmere {
namespace {

//! The quantities of a point that the band covers.
constexpr std::array<double TracePoint::*, 5> kBanded{
    &TracePoint::Temperature, &TracePoint::Solvent1Weight, &TracePoint::Solvent2Weight,
    &TracePoint::Solvent1Residual, &TracePoint::Solvent2Residual};

}  // namespace

TraceBand TraceBandOf(const FieldTexts& fields, char separator, const FitUncertainty& fit,
                      const RunSeries& nominal, double confidence) {
  const std::size_t n = fit.Parameters.size();
  const std::size_t points = nominal.Points.size();
  // gradient[q][point · n + j]: the quantity's change per unit of parameter j.
  std::array<std::vector<double>, kBanded.size()> gradient;
  for (auto& g : gradient) g.assign(points * n, 0.0);
  auto params = std::make_unique<ParameterSet>();
  auto state = std::make_unique<SimulationState>();
  for (std::size_t j = 0; j < n; ++j) {
    const UncertainParameter& p = fit.Parameters[j];
    const std::optional<double> centre = ParseNumber(fields.Text(p.Field->name), separator);
    if (!centre) throw Error(ErrorKind::InputRefused, p.Name + " does not read as a number.");
    const double delta = p.StandardError;
    if (delta == 0) continue;
    std::array<RunSeries, 2> side;
    for (int s = 0; s < 2; ++s) {
      const double value = *centre + (s == 0 ? delta : -delta);
      const FieldOverrides at(fields,
                              {{std::string(p.Field->name), FieldValueText(value, separator)}});
      const CaseResult run = RunCase(at, separator, *params, *state);
      if (!run.Finished()) {
        throw Error(*run.Ending, "The run at " + p.Name + " " + FieldValueText(value, separator) +
                                     ", for the band, did not finish: " + run.OutcomeText());
      }
      side[s] = CollectRunSeries(*params, *state, run.Record);
      if (side[s].Points.size() != points) {
        throw Error(ErrorKind::RunFault, "The run at " + p.Name + " " +
                                             FieldValueText(value, separator) +
                                             ", for the band, took other steps than the run.");
      }
    }
    for (std::size_t k = 0; k < points; ++k) {
      for (std::size_t q = 0; q < kBanded.size(); ++q) {
        const double up = side[0].Points[k].State.*kBanded[q];
        const double down = side[1].Points[k].State.*kBanded[q];
        gradient[q][k * n + j] = (up - down) / (2 * delta);
      }
    }
  }
  const std::vector<std::vector<double>> sigma = fit.Covariance();
  const double factor = fit.Factor(confidence);
  TraceBand band{confidence, nominal, nominal};
  for (std::size_t k = 0; k < points; ++k) {
    for (std::size_t q = 0; q < kBanded.size(); ++q) {
      double variance = 0;
      for (std::size_t a = 0; a < n; ++a) {
        for (std::size_t b = 0; b < n; ++b) {
          variance += gradient[q][k * n + a] * sigma[a][b] * gradient[q][k * n + b];
        }
      }
      const double half = factor * std::sqrt(std::max(variance, 0.0));
      if (!std::isfinite(half)) {
        throw Error(ErrorKind::RunFault,
                    "The band is beyond the range of numbers: the fit's standard errors are too "
                    "large for the model.");
      }
      band.Low.Points[k].State.*kBanded[q] -= half;
      band.High.Points[k].State.*kBanded[q] += half;
    }
  }
  return band;
}

}  // namespace quillmere
