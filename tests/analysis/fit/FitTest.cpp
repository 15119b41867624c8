// Fitting the fitting parameters to measurements that the model made from known values: the
// fit must find those values again, say how sure it is, and say what it cannot determine.
#include "analysis/fit/Fit.h"

#include <gtest/gtest.h>

#include <cmath>
#include <map>
#include <random>

#include "FitTrials.h"
#include "TestSupport.h"
#include "analysis/CaseRun.h"
#include "analysis/fit/FittedValueText.h"

namespace quillmere {
namespace {

using test::Probe;
using test::TwoTrials;

std::map<std::string, double> TrueValues() {
  return {{"Keff", 0.45}, {"Wi", 0.35}, {"We", 0.08}};
}

const FittedParameter& Parameter(const FitResult& result, const std::string& name) {
  for (const FittedParameter& p : result.Parameters) {
    if (p.Name == name) return p;
  }
  throw std::logic_error("no parameter " + name);
}

//! Few starts: the tests' trials are small and benign, and the tests run under sanitizers.
FitOptions Quick(int starts = 4) {
  FitOptions options;
  options.Starts = starts;
  return options;
}

FitResult FitOf(std::vector<FitTrial> trials, const std::string& free,
                const std::vector<std::string>& bounds = {}, FitOptions options = Quick()) {
  std::vector<FreeParameter> parameters = ParseFreeParameters({free});
  ApplyBounds(parameters, bounds, '.');
  Fit fit(std::move(trials), std::move(parameters), options);
  return fit.Solve();
}

// Without noise the measurements are the model's own values: the fit must find the values they
// were made with to the precision the solver's tolerances allow.
TEST(Fit, FindsTheValuesExactMeasurementsWereMadeWith) {
  const FitResult result = FitOf(TwoTrials(nullptr, false), "Keff,Wi,We");
  EXPECT_TRUE(result.Converged) << result.StopReason;
  for (const auto& [name, value] : TrueValues()) {
    EXPECT_NEAR(Parameter(result, name).Fitted, value, 1e-7 * value) << name;
  }
  EXPECT_LT(result.FittedSumOfSquares, 1e-12);
  EXPECT_GT(result.StartSumOfSquares, 1);
  EXPECT_TRUE(result.Unidentifiable.empty());
}

// With noise of known sigma, each value found lies within three of its standard errors of the
// one the measurements were made with, and the sum of squares in sigmas is about the number of
// degrees of freedom (37 here; chi-square's spread is about 8.6).
TEST(Fit, FindsNoisyMeasurementsValuesWithinThreeStandardErrors) {
  std::mt19937 random(20240511);
  const FitResult result = FitOf(TwoTrials(&random, true), "Keff,Wi,We");
  EXPECT_TRUE(result.Converged) << result.StopReason;
  EXPECT_TRUE(result.SigmaGiven);
  EXPECT_EQ(result.DegreesOfFreedom, 37);
  EXPECT_NEAR(result.FittedSumOfSquares, 37, 3 * 8.6);
  for (const auto& [name, value] : TrueValues()) {
    const FittedParameter& p = Parameter(result, name);
    ASSERT_TRUE(p.StandardError) << name;
    EXPECT_GT(*p.StandardError, 0) << name;
    EXPECT_LT(std::abs(p.Fitted - value), 3 * *p.StandardError) << name;
    ASSERT_TRUE(p.Interval95);
    EXPECT_NEAR((*p.Interval95)[1] - p.Fitted, 1.959964 * *p.StandardError, 1e-12) << name;
    // Near the optimum the model is nearly linear in Keff and We: the profile interval is the
    // covariance's within a tenth of its half width.
    ASSERT_TRUE(p.ProfileLow && p.ProfileHigh) << name;
    EXPECT_LT(*p.ProfileLow, p.Fitted);
    EXPECT_GT(*p.ProfileHigh, p.Fitted);
    if (name != "Wi") {
      EXPECT_NEAR(*p.ProfileLow, (*p.Interval95)[0], 0.2 * *p.StandardError) << name;
      EXPECT_NEAR(*p.ProfileHigh, (*p.Interval95)[1], 0.2 * *p.StandardError) << name;
    }
  }
  EXPECT_EQ(result.ProfileRise, 3.841459);
  ASSERT_EQ(result.Correlation.size(), 3u);
  for (std::size_t a = 0; a < 3; ++a) {
    EXPECT_EQ(result.Correlation[a][a], 1.0);
    for (std::size_t b = 0; b < 3; ++b) {
      EXPECT_EQ(result.Correlation[a][b], result.Correlation[b][a]);
      EXPECT_LE(std::abs(result.Correlation[a][b]), 1.0);
    }
  }
}

// Without sigmas the scatter is estimated from the fit: the standard errors scale with it, so
// they come out the same as with sigmas when all the noise is alike.
TEST(Fit, WithoutSigmasScalesTheCovarianceByTheResidualVariance) {
  const std::vector<Probe> temperatures{{MeasuredQuantity::Temperature, 2, 0.3},
                                        {MeasuredQuantity::Temperature, 5, 0.3},
                                        {MeasuredQuantity::Temperature, 9, 0.3},
                                        {MeasuredQuantity::Temperature, 14, 0.3},
                                        {MeasuredQuantity::Temperature, 19, 0.3}};
  std::mt19937 random(7);
  std::vector<FitTrial> withSigma = TwoTrials(&random, true, temperatures);
  std::vector<FitTrial> without = withSigma;
  for (FitTrial& trial : without) {
    trial.Measurements.HasSigma = false;
    for (Measurement& m : trial.Measurements.Rows) m.Sigma.reset();
  }
  const FitResult known = FitOf(withSigma, "Keff");
  const FitResult estimated = FitOf(without, "Keff");
  EXPECT_FALSE(estimated.SigmaGiven);
  EXPECT_EQ(estimated.DegreesOfFreedom, 9);
  EXPECT_NEAR(estimated.ResidualVariance, known.FittedSumOfSquares * 0.09 / 9, 1e-12);
  const double ratio =
      *Parameter(estimated, "Keff").StandardError / *Parameter(known, "Keff").StandardError;
  EXPECT_NEAR(ratio, std::sqrt(estimated.ResidualVariance / 0.09), 1e-6);
  // Student's t for 9 degrees of freedom.
  const FittedParameter& keff = Parameter(estimated, "Keff");
  EXPECT_NEAR((*keff.Interval95)[1] - keff.Fitted, 2.262 * *keff.StandardError, 1e-12);
}

// Measurements made only while the coating dries at the full rate say nothing about the
// falling-rate curve: the knee Wx cannot be determined, and the report says so instead of
// giving an interval.
TEST(Fit, NamesAParameterTheMeasurementsCannotDetermine) {
  const std::vector<Probe> early{{MeasuredQuantity::Temperature, 1, 0.3},
                                 {MeasuredQuantity::Temperature, 2, 0.3},
                                 {MeasuredQuantity::Temperature, 3, 0.3},
                                 {MeasuredQuantity::Residual1, 3, 0.003}};
  const FitResult result = FitOf(TwoTrials(nullptr, true, early), "Keff,Wx");
  const FittedParameter& wx = Parameter(result, "Wx");
  EXPECT_FALSE(wx.Identifiable);
  EXPECT_FALSE(wx.StandardError);
  EXPECT_FALSE(wx.Interval95);
  EXPECT_TRUE(wx.Stalled.empty());  // not a strip next to a bound: nothing measured sees it
  EXPECT_TRUE(Parameter(result, "Keff").Identifiable);
  EXPECT_TRUE(Parameter(result, "Keff").StandardError);
  ASSERT_EQ(result.Unidentifiable.size(), 1u);
  EXPECT_EQ(result.Unidentifiable[0].Parameters, std::vector<std::string>{"Wx"});
  EXPECT_EQ(result.Unidentifiable[0].Hint,
            "measure residual solvent where the coating is drier (the falling-rate range, below "
            "the solvent fraction Wi), or fix Wx (leave it out of --free)");
  EXPECT_EQ(result.CorrelationNames, std::vector<std::string>{"Keff"});
}

// Two parameters whose effects the measurements cannot tell apart: with two samples at one
// place, only one combination of them is determined.
TEST(Fit, NamesParametersTheMeasurementsCannotTellApart) {
  const std::vector<Probe> one{{MeasuredQuantity::Residual1, 6, 0.003},
                               {MeasuredQuantity::Residual1, 6, 0.003}};
  std::vector<FitTrial> trials = TwoTrials(nullptr, true, one);
  trials.pop_back();
  const FitResult result = FitOf(trials, "Keff,Chi1p");
  ASSERT_EQ(result.Unidentifiable.size(), 1u);
  EXPECT_EQ(result.Unidentifiable[0].Parameters, (std::vector<std::string>{"Keff", "Chi1p"}));
  EXPECT_FALSE(Parameter(result, "Keff").Identifiable);
  EXPECT_FALSE(Parameter(result, "Chi1p").Identifiable);
  EXPECT_TRUE(result.Correlation.empty());
}

// A bound keeps the value inside even where the measurements pull beyond it, and the report
// names the bound reached.
TEST(Fit, KeepsTheValuesWithinTheirBounds) {
  const FitResult result = FitOf(TwoTrials(nullptr, true), "Keff,Wi,We", {"Keff=0.2:0.4"});
  const FittedParameter& keff = Parameter(result, "Keff");
  EXPECT_EQ(keff.Fitted, 0.4);
  EXPECT_EQ(keff.BoundReached, BoundSide::Upper);
  // Both intervals stop at the bound, and say so.
  ASSERT_TRUE(keff.Interval95 && keff.ProfileHigh);
  EXPECT_EQ((*keff.Interval95)[1], 0.4);
  EXPECT_TRUE(keff.WaldClipped);
  EXPECT_EQ(*keff.ProfileHigh, 0.4);
  EXPECT_EQ(keff.ProfileAtBound, (std::array<bool, 2>{false, true}));
  const ConstraintCheck& keffCheck = result.Constraints[2];
  EXPECT_EQ(keffCheck.Text, "Keff > 0");
  EXPECT_TRUE(keffCheck.Held);
  EXPECT_TRUE(keffCheck.Active);
  ASSERT_EQ(keffCheck.OnBounds.size(), 1u);
  EXPECT_EQ(keffCheck.OnBounds[0].Name, "Keff");
  EXPECT_EQ(keffCheck.OnBounds[0].Side, BoundSide::Upper);
  EXPECT_EQ(keffCheck.OnBounds[0].Value, 0.4);
  EXPECT_EQ(keffCheck.OnBounds[0].Source, BoundSource::Given);
}

// The three break points of the correction factor, all free, keep their order, and so does a
// free knee between fixed ends.
TEST(Fit, KeepsWeBelowWxBelowWi) {
  const FitResult all = FitOf(TwoTrials(nullptr, true), "Keff,We,Wx,Wi");
  const double we = Parameter(all, "We").Fitted;
  const double wx = Parameter(all, "Wx").Fitted;
  const double wi = Parameter(all, "Wi").Fitted;
  EXPECT_LE(we, wx);
  EXPECT_LE(wx, wi);
  EXPECT_TRUE(all.Constraints[0].Held);
  EXPECT_LT(all.FittedSumOfSquares, all.StartSumOfSquares);

  // The measurements pull Wx above 0.3 where Wi is kept at 0.25: Wx stops at Wi.
  std::vector<FitTrial> trials =
      TwoTrials(nullptr, true, test::LineProbes(), {{"Wi", "0.25"}, {"Wx", "0.2"}, {"We", "0.1"}});
  const FitResult knee = FitOf(trials, "Wx");
  EXPECT_LE(Parameter(knee, "Wx").Fitted, 0.25);
  EXPECT_GE(Parameter(knee, "Wx").Fitted, 0.1);
}

// The fitted values go into the first trial's data file texts with the digits their standard
// errors justify (FittedValueText), and a run of that file reads them.
TEST(Fit, FittedTextsCarryTheJustifiedDigits) {
  std::mt19937 random(3);
  std::vector<FreeParameter> parameters = ParseFreeParameters({"Keff,Wi"});
  Fit fit(TwoTrials(&random, true), std::move(parameters), Quick());
  const FitResult result = fit.Solve();
  const MemoryFieldTexts texts = fit.FittedFields(result);
  for (const FittedParameter& p : result.Parameters) {
    EXPECT_EQ(texts.Text(FindInput(p.Name)->name), FittedValueText(p.Fitted, p.StandardError));
  }
  auto params = std::make_unique<ParameterSet>();
  auto state = std::make_unique<SimulationState>();
  ASSERT_TRUE(RunCase(texts, '.', *params, *state).Finished());
  EXPECT_NEAR(params->Keff, result.Parameters[0].Fitted, *result.Parameters[0].StandardError / 10);
  EXPECT_EQ(params->Speed, 0.5);  // the first trial's settings
}

// Measurements with sigmas and without cannot be weighed against each other.
TEST(Fit, RefusesTrialsWithAndWithoutSigmas) {
  std::vector<FitTrial> trials = TwoTrials(nullptr, true);
  trials[1].Measurements = TwoTrials(nullptr, false)[1].Measurements;
  test::ExpectError<FitRefused>(
      [&] { Fit(std::move(trials), ParseFreeParameters({"Keff"})); },
      "\"trial1.csv\" gives sigmas and \"trial2.csv\" does not: give a sigma for every "
      "measurement or for none.");
}

// A trial that does not run at the start values is refused with the run's own message.
TEST(Fit, RefusesAStartThatDoesNotRun) {
  std::vector<FitTrial> trials = TwoTrials(nullptr, true);
  trials[1].Fields.SetText("Edit5", "0.0");  // no Solvent-2: its residual ratio is 0 / 0
  try {
    Fit fit(std::move(trials), ParseFreeParameters({"Keff"}));
    ADD_FAILURE() << "the start was not refused";
  } catch (const FitRefused& e) {
    EXPECT_EQ(std::string(e.what()), "The trial \"trial2.dat\" does not run at the start values:");
    ASSERT_FALSE(e.DetailLines().empty());
    EXPECT_EQ(e.DetailLines()[0], "Invalid floating point operation.");
  }
}

// A measurement beyond the dryer's end is refused with its file and line.
TEST(Fit, RefusesAMeasurementOutsideTheDryer) {
  std::vector<FitTrial> trials = TwoTrials(nullptr, true);
  trials[1].Measurements.Rows[3].Where = 20.5;
  try {
    Fit fit(std::move(trials), ParseFreeParameters({"Keff"}));
    ADD_FAILURE() << "the measurement was not refused";
  } catch (const FitRefused& e) {
    EXPECT_EQ(std::string(e.what()),
              "\"trial2.csv\", line 5, position_m: 20.5 lies outside the dryer of "
              "\"trial2.dat\", which is 20 m long");
  }
}

// Where a trial point does not run the march (Chi12 so large that a surface pressure
// overflows), the residuals are refused there and the solver steps back: from Chi12 -200 its
// long steps overshoot into such points, and it still ends at the value the measurements were
// made with.
TEST(Fit, StepsBackFromValuesWhereTheModelDoesNotRun) {
  const FitResult result =
      FitOf(TwoTrials(nullptr, false, test::LineProbes(),
                      {{"Keff", "0.45"}, {"Wi", "0.35"}, {"We", "0.08"}, {"Chi12", "-200"}}),
            "Chi12");
  EXPECT_GT(result.FaultedRuns, 0);
  EXPECT_TRUE(result.Converged) << result.StopReason;
  EXPECT_NEAR(Parameter(result, "Chi12").Fitted, 0.5, 1e-6);
}

}  // namespace
}  // namespace quillmere
