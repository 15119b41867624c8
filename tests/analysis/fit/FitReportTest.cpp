// The fit's report as text and as JSON, from a result made by hand.
#include "analysis/fit/FitReport.h"

#include <gtest/gtest.h>

#include <nlohmann/json.hpp>

namespace quillmere {
namespace {

//! Keff fitted with an interval, Wx not identifiable, two trials, sigmas given.
FitResult HandMadeResult() {
  FitResult r;
  FittedParameter keff;
  keff.Name = "Keff";
  keff.Start = 0.3;
  keff.Fitted = 0.4500123;
  keff.Lower = Bound{1e-6, BoundSource::Default};
  keff.StandardError = 0.0023;
  keff.Interval95 = std::array<double, 2>{0.4455, 0.4545};
  keff.ProfileLow = 0.4452;
  keff.ProfileHigh = 0.4549;
  FittedParameter wx;
  wx.Name = "Wx";
  wx.Start = 0.2;
  wx.Fitted = 0.2;
  wx.Lower = Bound{0.1, BoundSource::Order};
  wx.Upper = Bound{0.3, BoundSource::Order};
  wx.Identifiable = false;
  r.Parameters = {keff, wx};
  r.CorrelationNames = {"Keff"};
  r.Correlation = {{1.0}};
  r.SigmaGiven = true;
  r.DegreesOfFreedom = 2;
  r.ResidualVariance = 0.5;
  r.Unidentifiable = {{{"Wx"}, "fix Wx"}};
  r.StartSumOfSquares = 812.5;
  r.FittedSumOfSquares = 1.0;
  r.Quantities = {{MeasuredQuantity::Temperature, 4, 3.25, 0.125}};
  for (const char* name : {"a.dat", "b.dat"}) {
    TrialFit trial;
    trial.DataFileName = name;
    trial.MeasurementFileName = std::string(name, 1) + ".csv";
    Measurement m{1.5, MeasuredQuantity::Temperature, 30.25, 0.5, 2};
    trial.Measurements = {{m, 33.5, 30.375}, {m, 27, 30.125}};
    trial.Quantities = {{MeasuredQuantity::Temperature, 2, 3.25, 0.125}};
    r.Trials.push_back(trial);
  }
  ConstraintCheck order{
      "We < Wx < Wi", true, true, {{1, {{"We", 0.1}, {"Wx", 0.2}, {"Wi", 0.2}}}}, {}};
  ConstraintCheck keffCheck{"Keff > 0",
                            true,
                            true,
                            {{1, {{"Keff", 0.4500123}}}, {2, {{"Keff", 0.5}}}},
                            {{"Keff", BoundSide::Upper, 0.4500123, BoundSource::Given}}};
  r.Constraints = {order, keffCheck};
  r.Iterations = 7;
  r.ModelRuns = 123;
  r.FaultedRuns = 4;
  r.Termination = "CONVERGENCE";
  r.StopReason = "Function tolerance reached.";
  r.Converged = true;
  r.Seconds = 0.0123;
  r.Starts = 12;
  r.StartsAtBest = 9;
  r.Restarts = 2;
  r.OtherOptima = {{200.5, {1.25, 0.2}, 3}};
  r.ProfileRise = 3.841459;
  r.PoorFitLimit = 13.8155;
  return r;
}

TEST(FitReport, Text) {
  EXPECT_EQ(FitReportText(HandMadeResult(), ','),
            "Fitted Keff and Wx to 4 measurements of 2 trials.\n"
            "The solver stopped after 7 iterations (CONVERGENCE): Function tolerance reached.\n"
            "Model runs: 123, in 0,0123 s; 4 ended on a floating-point fault, and the solver "
            "stepped back from there.\n"
            "Global search: 9 of 12 starts reached the best optimum; 2 were started again from "
            "inside the bounds after ending in a flat strip of We <= Wx <= Wi.\n"
            "  another optimum, sum of squares 200,5 (3 starts): Keff 1,25, Wx 0,2\n"
            "\n"
            "PARAMETER        START       FITTED    STD ERROR   95 % INTERVAL\n"
            "Keff               0,3     0,450012       0,0023   0,4452 to 0,4549\n"
            "Wx                 0,2          0,2   not identifiable\n"
            "\n"
            "The 95 % intervals are the profile likelihood's: each parameter held further from "
            "its fitted value, the others fitted again, until the sum of squares has risen by "
            "3,84146; \"(bound)\": the measurements allow values beyond the bound.\n"
            "Standard errors from the sigmas of the measurements; the covariance's 95 % intervals "
            "are 1,96 standard errors wide on each side.\n"
            "  Keff 0,4455 to 0,4545\n"
            "\n"
            "Sum of squares of the residuals (in sigmas): 812,5 at the start, 1 fitted.\n"
            "\n"
            "RMS ERROR (model - measured)           START       FITTED\n"
            "temperature (°C), 4                       3,25        0,125\n"
            "  a.dat, 2                                3,25        0,125\n"
            "  b.dat, 2                                3,25        0,125\n"
            "\n"
            "CONSTRAINTS\n"
            "  We < Wx < Wi: held, active (We 0,1, Wx 0,2, Wi 0,2)\n"
            "  Keff > 0: held, active (Keff 0,450012; trial 2: Keff 0,5; Keff lies on its upper "
            "bound 0,450012, given by --bounds)\n"
            "\n"
            "NOT IDENTIFIABLE\n"
            "  Wx: the measurements cannot determine it; fix Wx.\n");
}

// A fit not to be trusted says why, names a stalled parameter as such, and flags a profile
// interval that reaches a bound.
TEST(FitReport, TextOfAFitNotToBeTrusted) {
  FitResult r = HandMadeResult();
  r.Parameters[0].ProfileHigh = 0.5;
  r.Parameters[0].ProfileAtBound = {false, true};
  r.Parameters[1].Stalled = "Wx ≤ Wi";
  r.Doubts = {"Wx stalled at the bound Wx ≤ Wi: the model does not respond"};
  const std::string text = FitReportText(r, '.');
  EXPECT_NE(text.find("Keff               0.3     0.450012       0.0023   0.4452 to 0.5 (bound)\n"
                      "Wx                 0.2          0.2   stalled at the bound Wx ≤ Wi\n"),
            std::string::npos)
      << text;
  EXPECT_NE(text.find("\nNOT TO BE TRUSTED\n  Wx stalled at the bound Wx ≤ Wi: the model does "
                      "not respond\n"),
            std::string::npos)
      << text;
  const nlohmann::json report = nlohmann::json::parse(FitReportJson(r));
  EXPECT_EQ(report["trustworthy"], false);
  EXPECT_EQ(report["parameters"][1]["stalled_at"], "Wx ≤ Wi");
  EXPECT_EQ(report["parameters"][0]["profile95_at_bound"], nlohmann::json({false, true}));
}

TEST(FitReport, TextWithoutSigmasAndWithCorrelations) {
  FitResult r = HandMadeResult();
  r.Parameters[0].ProfileLow.reset();
  r.SigmaGiven = false;
  r.Parameters[1].Identifiable = true;
  r.Parameters[1].StandardError = 0.01;
  r.Parameters[1].Interval95 = std::array<double, 2>{0.15, 0.25};
  r.Unidentifiable.clear();
  r.CorrelationNames = {"Keff", "Wx"};
  r.Correlation = {{1.0, -0.5}, {-0.5, 1.0}};
  r.Quantities.push_back({MeasuredQuantity::Residual1, 1, 0.01, 0.001});
  const std::string text = FitReportText(r, '.');
  EXPECT_NE(text.find("Standard errors from the residual variance 0.5 (2 degrees of freedom): the "
                      "measurements carry no sigma, so all weigh alike; the 95 % intervals use "
                      "Student's t.\n"
                      "Without sigmas, 1 °C of temperature weighs as much as 1 of a residual "
                      "ratio or 1 kg/m2: give each measurement its sigma to weigh the quantities "
                      "fairly.\n"),
            std::string::npos)
      << text;
  EXPECT_NE(text.find("CORRELATIONS\n"
                      "               Keff       Wx\n"
                      "Keff          1.000   -0.500\n"
                      "Wx           -0.500    1.000\n"),
            std::string::npos)
      << text;

  r.CovarianceNote = "no standard errors: the covariance could not be computed";
  EXPECT_NE(FitReportText(r, '.').find("\nNo standard errors: the covariance could not be "
                                       "computed.\n"),
            std::string::npos);
}

TEST(FitReport, Json) {
  const nlohmann::json report = nlohmann::json::parse(FitReportJson(HandMadeResult()));
  const nlohmann::json& keff = report["parameters"][0];
  EXPECT_EQ(keff["name"], "Keff");
  EXPECT_EQ(keff["start"], 0.3);
  EXPECT_EQ(keff["fitted"], 0.4500123);
  EXPECT_EQ(keff["standard_error"], 0.0023);
  EXPECT_EQ(keff["interval95"], nlohmann::json({0.4455, 0.4545}));
  EXPECT_EQ(keff["lower_bound"], nlohmann::json({{"value", 1e-6}, {"source", "default"}}));
  EXPECT_TRUE(keff["upper_bound"].is_null());
  EXPECT_TRUE(keff["bound_reached"].is_null());
  const nlohmann::json& wx = report["parameters"][1];
  EXPECT_EQ(wx["identifiable"], false);
  EXPECT_TRUE(wx["standard_error"].is_null());
  EXPECT_TRUE(wx["interval95"].is_null());
  EXPECT_EQ(wx["upper_bound"]["source"], "order");
  EXPECT_EQ(report["correlation"]["parameters"], nlohmann::json({"Keff"}));
  EXPECT_EQ(report["standard_errors_from"], "measurement sigmas");
  EXPECT_EQ(report["sum_of_squares"]["start"], 812.5);
  EXPECT_EQ(report["rms"][0]["unit"], "°C");
  EXPECT_EQ(report["trials"][1]["data_file"], "b.dat");
  EXPECT_EQ(report["trials"][1]["axis"], "position_m");
  EXPECT_EQ(report["trials"][0]["measurements"][1]["start"], 27);
  EXPECT_EQ(report["trials"][0]["measurements"][1]["sigma"], 0.5);
  EXPECT_EQ(report["constraints"][1]["values"][1],
            nlohmann::json({{"trial", 2}, {"values", {{"Keff", 0.5}}}}));
  EXPECT_EQ(report["constraints"][1]["on_bounds"][0]["source"], "given");
  EXPECT_EQ(report["not_identifiable"][0]["parameters"], nlohmann::json({"Wx"}));
  EXPECT_EQ(report["solver"]["faulted_runs"], 4);
  EXPECT_EQ(report["solver"]["iterations"], 7);
  EXPECT_EQ(keff["profile95"], nlohmann::json({0.4452, 0.4549}));
  EXPECT_EQ(keff["interval95_clipped"], false);
  EXPECT_EQ(report["search"]["starts"], 12);
  EXPECT_EQ(report["search"]["starts_at_best"], 9);
  EXPECT_EQ(
      report["search"]["other_optima"][0],
      nlohmann::json(
          {{"sum_of_squares", 200.5}, {"values", {{"Keff", 1.25}, {"Wx", 0.2}}}, {"starts", 3}}));
  EXPECT_EQ(report["poor_fit_limit"], 13.8155);
  EXPECT_EQ(report["profile_rise"], 3.841459);
  EXPECT_EQ(report["trustworthy"], true);
  EXPECT_EQ(report["doubts"], nlohmann::json::array());
}

}  // namespace
}  // namespace quillmere
