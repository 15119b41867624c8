// The global search: from the template's values, from bad starts and from the flat strips of
// the order We <= Wx <= Wi, the fit ends at the values the measurements were made with, or
// says that it cannot be trusted; and no sigma crashes it.
#include <gtest/gtest.h>

#include <atomic>
#include <cmath>
#include <limits>
#include <random>

#include "FitTrials.h"
#include "analysis/fit/Fit.h"
#include "analysis/fit/FitReport.h"
#include "report/CsvText.h"

namespace quillmere {
namespace {

using Fitting = std::vector<std::pair<std::string, std::string>>;

//! Steps of 0.4 m, 50 a zone: the search runs the model thousands of times.
const std::pair<std::string, std::string> kCoarse{"IncrementZ", "0.4"};

//! The search alone: the profiles have tests of their own.
FitResult FitFrom(std::vector<FitTrial> trials, const std::string& free, int starts) {
  FitOptions options;
  options.Starts = starts;
  options.Profiles = false;
  Fit fit(std::move(trials), ParseFreeParameters({free}), options);
  return fit.Solve();
}

double Value(const Fitting& fitting, const std::string& name) {
  for (const auto& [n, text] : fitting) {
    if (n == name) return std::stod(text);
  }
  throw std::logic_error("no value of " + name);
}

//! A set of known fitting parameters drawn by `random`: Keff and two to four of Wi, We, Wx
//! and Chi1p free, away from the flat strips of the order; the fixed ones at the template's.
std::pair<std::string, Fitting> KnownSet(std::mt19937& random) {
  const auto uniform = [&](double from, double to) {
    return std::uniform_real_distribution<double>(from, to)(random);
  };
  std::vector<std::string> others{"Wi", "We", "Wx", "Chi1p"};
  std::shuffle(others.begin(), others.end(), random);
  others.resize(static_cast<std::size_t>(std::uniform_int_distribution<int>(2, 4)(random)));
  const auto isFree = [&](const std::string& name) {
    return std::find(others.begin(), others.end(), name) != others.end();
  };
  const double wx = isFree("Wx") ? uniform(0.15, 0.22) : 0.2;  // template: Wx 0.2
  const double wi = isFree("Wi") ? uniform(wx + 0.08, 0.5) : 0.3;
  const double we = isFree("We") ? uniform(0.03, wx - 0.06) : 0.1;
  Fitting truth{{"Keff", CsvNumber(uniform(0.25, 0.7))},
                {"Wi", CsvNumber(wi)},
                {"We", CsvNumber(we)},
                {"Wx", CsvNumber(wx)},
                {"Chi1p", CsvNumber(isFree("Chi1p") ? uniform(0.2, 0.8) : 0.01)},
                kCoarse};
  std::string free = "Keff";
  for (const std::string& name : others) free += "," + name;
  return {free, truth};
}

// Noise-free measurements of two trials from known parameters drawn at random (fixed seed):
// from the template's values, every free parameter is found to 1e-6 of its value.
TEST(FitSearch, RecoversKnownParametersFromTheTemplatesValues) {
  std::mt19937 random(20260115);
  for (int set = 0; set < 3; ++set) {
    const auto [free, truth] = KnownSet(random);
    const FitResult result =
        FitFrom(test::TrialsMadeWith(truth, nullptr, true, test::LineProbes(), {kCoarse}), free, 8);
    EXPECT_TRUE(result.Trustworthy()) << free;
    for (const FittedParameter& p : result.Parameters) {
      const double known = Value(truth, p.Name);
      EXPECT_NEAR(p.Fitted, known, 1e-6 * known)
          << "set " << set << " (" << free << "): " << p.Name;
    }
  }
}

// Nine bad starts, each parameter at or near a bound (the flat strips beside Wx among them),
// Keff ten times too large or too small: all nine end at the same optimum.
TEST(FitSearch, NineBadStartsReachTheSameOptimum) {
  const std::vector<Fitting> starts{
      {{"Keff", "3"}},
      {{"Keff", "0.03"}},
      {{"Wi", "0.999"}},
      {{"Wi", "0.2005"}},
      {{"We", "0.0001"}},
      {{"We", "0.1995"}},
      {{"Keff", "3"}, {"Wi", "0.99"}, {"We", "0.001"}},
      {{"Keff", "0.03"}, {"Wi", "0.2005"}, {"We", "0.1995"}},
      {{"Keff", "0.03"}, {"Wi", "0.95"}, {"We", "0.199"}},
  };
  Fitting truth = test::kTrueFitting;
  truth.push_back(kCoarse);
  for (Fitting start : starts) {
    start.push_back(kCoarse);
    const FitResult result = FitFrom(
        test::TrialsMadeWith(truth, nullptr, true, test::LineProbes(), start), "Keff,Wi,We", 8);
    EXPECT_TRUE(result.Trustworthy()) << start.front().first << " " << start.front().second;
    EXPECT_NEAR(result.Parameters[0].Fitted, 0.45, 1e-6 * 0.45);
    EXPECT_NEAR(result.Parameters[1].Fitted, 0.35, 1e-6 * 0.35);
    EXPECT_NEAR(result.Parameters[2].Fitted, 0.08, 1e-6 * 0.08);
  }
}

// Wi started 0.0005 above Wx, where no step of the march falls between them and the model
// does not respond to Wi: the one local fit from there is started again inside and finds Wi.
TEST(FitSearch, LeavesTheFlatStripNextToAnOrderBound) {
  const Fitting truth{{"Keff", "0.45"}, {"Wi", "0.35"}, {"We", "0.08"}, kCoarse};
  const Fitting start{{"Keff", "0.45"}, {"Wi", "0.2005"}, {"We", "0.08"}, kCoarse};
  const FitResult result =
      FitFrom(test::TrialsMadeWith(truth, nullptr, true, test::LineProbes(), start), "Wi", 1);
  EXPECT_EQ(result.Restarts, 1);
  const FittedParameter& wi = result.Parameters[0];
  EXPECT_TRUE(wi.Stalled.empty());
  EXPECT_TRUE(wi.Identifiable);
  EXPECT_NEAR(wi.Fitted, 0.35, 1e-6 * 0.35);
  EXPECT_TRUE(result.Trustworthy());
}

// Measured with Wi inside the strip itself, the best fit ends in it, where the model does not
// respond: stalled, named as such, and not to be trusted, never "converged, not identifiable".
TEST(FitSearch, NamesAStallAtAnOrderBound) {
  const Fitting truth{{"Keff", "0.45"}, {"Wi", "0.2004"}, {"We", "0.08"}, kCoarse};
  const FitResult result =
      FitFrom(test::TrialsMadeWith(truth, nullptr, true, test::LineProbes(), truth), "Wi", 2);
  const FittedParameter& wi = result.Parameters[0];
  EXPECT_EQ(wi.Stalled, "Wx ≤ Wi");
  EXPECT_FALSE(result.Trustworthy());
  ASSERT_FALSE(result.Doubts.empty());
  EXPECT_EQ(result.Doubts.back(),
            "Wi stalled at the bound Wx ≤ Wi: the model does not respond to it this close to "
            "the bound, even after a restart from inside the bounds");
  EXPECT_EQ(FinishedFitStatus(result), 4);
}

// Every sigma, from below the least normal number to the largest: refused with the file and
// line, or fitted to finite numbers; never a crash.
TEST(FitSearch, NoSigmaCrashes) {
  const double sigmas[]{std::numeric_limits<double>::denorm_min(),
                        1e-310,
                        1e-300,
                        1e-160,
                        1e-100,
                        1e-20,
                        1,
                        1e20,
                        1e160,
                        1e300,
                        std::numeric_limits<double>::max()};
  const std::vector<test::Probe> probes{{MeasuredQuantity::Temperature, 5, 0.3},
                                        {MeasuredQuantity::Residual1, 12, 0.003}};
  for (const double sigma : sigmas) {
    std::vector<FitTrial> trials = test::TwoTrials(nullptr, true, probes);
    for (FitTrial& trial : trials) {
      for (Measurement& m : trial.Measurements.Rows) m.Sigma = sigma;
    }
    try {
      const FitResult result = FitFrom(std::move(trials), "Keff", 2);
      EXPECT_TRUE(std::isfinite(result.FittedSumOfSquares)) << sigma;
      EXPECT_TRUE(std::isfinite(result.Parameters[0].Fitted)) << sigma;
    } catch (const FitRefused& e) {
      EXPECT_NE(std::string(e.what()).find("\"trial1.csv\", line 2: the weighted residual"),
                std::string::npos)
          << sigma << ": " << e.what();
    }
  }
}

// A solver stopped by --max-iterations has not converged: the fit is not to be trusted.
TEST(FitSearch, StoppedWithoutConvergingIsNotToBeTrusted) {
  FitOptions options;
  options.Starts = 1;
  options.MaxIterations = 1;
  options.Profiles = false;
  Fit fit(test::TwoTrials(nullptr, true), ParseFreeParameters({"Keff,Wi,We"}), options);
  const FitResult result = fit.Solve();
  EXPECT_FALSE(result.Converged);
  ASSERT_FALSE(result.Doubts.empty());
  EXPECT_EQ(result.Doubts[0].rfind("the solver stopped without converging (NO_CONVERGENCE): ", 0),
            0u)
      << result.Doubts[0];
  EXPECT_EQ(FinishedFitStatus(result), 4);
}

// Poor is a sum of squares above chi-square's 99.9 % quantile for the degrees of freedom:
// measurements made with Wi 0.35, fitted with Keff alone, lie far beyond their sigmas.
TEST(FitSearch, AFarSumOfSquaresIsAPoorFit) {
  const FitResult poor = FitFrom(test::TwoTrials(nullptr, true), "Keff", 2);
  EXPECT_EQ(poor.DegreesOfFreedom, 39);
  EXPECT_NEAR(poor.PoorFitLimit, 72.05, 0.2);  // chi-square 99.9 % for 39 (tables: 72.055)
  EXPECT_GT(poor.FittedSumOfSquares, poor.PoorFitLimit);
  ASSERT_EQ(poor.Doubts.size(), 1u);
  EXPECT_EQ(poor.Doubts[0].rfind("the fit is poor: the sum of squares ", 0), 0u);
}

// A stop asked for while the search goes on (in one thread, so the starts end one after the
// other): the starts not begun are left out, a local fit in flight ends at its next iteration
// (the polish, cut by a stop after the last start), no profile is traced, and the report says
// how far the fit came. Before the first start ends, no start counts.
TEST(FitSearch, AStopEndsTheFitWhereItStands) {
  struct Case {
    int StopAfter;  // starts ended when the stop comes
    int Starts;     // of 12
  };
  for (const Case c : {Case{0, 0}, Case{1, 1}, Case{5, 5}, Case{12, 12}}) {
    SCOPED_TRACE(c.StopAfter);
    std::atomic<bool> stop{c.StopAfter == 0};
    int ended = 0;
    FitOptions options;
    options.Starts = 12;
    options.Threads = 1;
    options.Stop = &stop;
    options.StartEnded = [&] { stop.store(++ended == c.StopAfter); };
    Fitting truth = test::kTrueFitting;
    truth.push_back(kCoarse);
    Fit fit(test::TrialsMadeWith(truth, nullptr, true, test::LineProbes(), {kCoarse}),
            ParseFreeParameters({"Keff,Wi"}), options);
    const FitResult result = fit.Solve();
    EXPECT_TRUE(result.Stopped);
    EXPECT_EQ(result.Starts, c.Starts);
    EXPECT_EQ(result.StartsAsked, 12);
    EXPECT_EQ(result.Failed, c.Starts == 0);
    EXPECT_FALSE(result.Trustworthy());
    EXPECT_EQ(result.ProfileRise, 0);
    EXPECT_FALSE(result.Parameters[0].ProfileLow);
    EXPECT_NE(
        FitReportText(result, '.')
            .find("the fit was interrupted after " + std::to_string(c.Starts) + " of 12 starts"),
        std::string::npos);
    const std::string json = FitReportJson(result);
    EXPECT_NE(json.find("\"interrupted\": true"), std::string::npos);
    EXPECT_NE(json.find("\"starts_asked\": 12"), std::string::npos);
  }
}

}  // namespace
}  // namespace quillmere
