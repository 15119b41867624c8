// The fit's uncertainty carried into the exit figures: the report read back, the intervals'
// arithmetic, and their coverage in a simulation study on synthetic lines.
#include "analysis/uncertainty/ExitIntervals.h"

#include <gtest/gtest.h>

#include <cmath>
#include <random>

#include "FitTrials.h"
#include "analysis/FieldValueText.h"
#include "analysis/fit/Fit.h"
#include "analysis/fit/FitReport.h"
#include "base/Error.h"

namespace quillmere {
namespace {

// A fit report as fit --report writes it, cut down to what the uncertainty reads.
constexpr std::string_view kReport = R"({
  "parameters": [
    {"name": "Keff", "fitted": 0.45, "standard_error": 0.002, "interval95": [0.446, 0.454],
     "interval95_clipped": false},
    {"name": "We", "fitted": 0.08, "standard_error": null, "interval95": null}
  ],
  "correlation": {"parameters": ["Keff"], "matrix": [[1.0]]}
})";

TEST(FitUncertainty, ReadsTheReport) {
  const FitUncertainty fit = ReadFitUncertainty(kReport, "fit.json");
  ASSERT_EQ(fit.Parameters.size(), 1u);
  EXPECT_EQ(fit.Parameters[0].Name, "Keff");
  EXPECT_EQ(fit.Parameters[0].StandardError, 0.002);
  EXPECT_NEAR(fit.Factor95, 2.0, 1e-12);  // (0.454 − 0.446) / (2 · 0.002)
  ASSERT_EQ(fit.Notes.size(), 1u);
  EXPECT_EQ(fit.Notes[0], "We: no standard error (not identifiable), taken as exact");
  EXPECT_NEAR(fit.Factor(0.95), 2.0, 1e-9);
  EXPECT_NEAR(NormalQuantile(0.975), 1.959963984540054, 1e-12);
}

TEST(FitUncertainty, RefusesWhatIsNoFitReport) {
  struct Case {
    std::string_view text;
    std::string_view why;
  };
  const Case cases[] = {
      {"not json", "it is not JSON."},
      {R"({"x": 1})", "it has no \"parameters\"."},
      {R"({"parameters": [{"name": "Keff", "fitted": 0.4, "standard_error": null}]})",
       "no free parameter has a standard error."},
      {R"({"parameters": [{"name": "Kef", "fitted": 0.4, "standard_error": 0.1}]})",
       "\"Kef\" is no input."},
      {R"({"parameters": [{"name": "Keff", "fitted": 0.4, "standard_error": 0.1},
                          {"name": "Wi", "fitted": 0.3, "standard_error": 0.1}],
           "correlation": {"parameters": ["Keff", "Wi"], "matrix": [[1, 2], [2, 1]]}})",
       "the correlation matrix holds 2.000000."},
      // Values of the wrong kind or length, which once ended the program.
      {R"({"parameters": [{"name": 3}]})", "a parameter has no name."},
      {R"({"parameters": [3]})", "a parameter has no name."},
      {R"({"parameters": [{"name": "Keff", "fitted": 0.4, "standard_error": 0.1},
                          {"name": "Wi", "fitted": 0.3, "standard_error": 0.1}],
           "correlation": [1]})",
       "its \"correlation\" is not an object."},
      {R"({"parameters": [{"name": "Keff", "fitted": 0.4, "standard_error": 0.1,
                           "interval95": [0.2], "interval95_clipped": false}]})",
       "Keff's 95 % interval is not two numbers."},
      {R"({"parameters": [{"name": "Keff", "fitted": 0.4, "standard_error": 0.1,
                           "interval95": [0.2, 0.6], "interval95_clipped": "no"}]})",
       "a value in it is not of the kind a fit report writes there."},
  };
  for (const Case& c : cases) {
    try {
      ReadFitUncertainty(c.text, "fit.json");
      ADD_FAILURE() << c.text;
    } catch (const Error& e) {
      EXPECT_EQ(e.Kind(), ErrorKind::InputRefused);
      EXPECT_EQ(
          std::string(e.what()),
          "The fit report \"fit.json\" cannot give the fit's uncertainty: " + std::string(c.why));
    }
  }
}

// The new setting the study predicts: between the two trials' speeds and temperatures.
MemoryFieldTexts NewSetting(const std::vector<std::pair<std::string, std::string>>& fitting) {
  return test::ShortLine("0.65", "65.0", "85.0", fitting);
}

// Coverage by simulation: two trials measured with Keff 0.45, Wi 0.35, We 0.08 plus normal noise
// of the probes' sigmas, fitted afresh for each of 200 noise replicates (Keff, Wi and We free,
// two starts, no profiles); at a setting neither trial ran, the 95 % interval of each exit
// residual ratio is counted when it holds the value the true parameters give. A binomial
// count of 200 at 95 % lies within 93–97 % with probability about 0.86 if the intervals are
// right; the seeds are fixed, so the count is the same on every machine.
TEST(ExitIntervals, CoverTheTruthAtANewSetting) {
  constexpr int kReplicates = 200;
  FigureModel truthModel('.', std::nullopt);
  const ExitFigures truth = truthModel.Run(NewSetting(test::kTrueFitting));
  std::array<int, 3> covered{};
  int linearised = 0;
  for (int r = 0; r < kReplicates; ++r) {
    std::mt19937 random(5000 + static_cast<unsigned>(r));
    FitOptions options;
    options.Starts = 2;
    options.Profiles = false;
    Fit fit(test::TwoTrials(&random, true), ParseFreeParameters({"Keff,Wi,We"}), options);
    const FitUncertainty uncertainty = ReadFitUncertainty(FitReportJson(fit.Solve()), "fit.json");
    std::vector<std::pair<std::string, std::string>> fitted;
    for (const UncertainParameter& p : uncertainty.Parameters) {
      fitted.emplace_back(p.Name, FieldValueText(p.Fitted, '.'));
    }
    const MemoryFieldTexts setting = NewSetting(fitted);
    FigureModel model('.', std::nullopt);
    const ExitFigures nominal = model.Run(setting);
    const ExitIntervals intervals = ExitIntervalsOf(setting, model, uncertainty, nominal);
    // The dryer's exit: residual ratio 1, residual ratio 2, web temperature.
    const std::size_t exit = nominal.size() - 3;
    for (std::size_t k = 0; k < 3; ++k) {
      const FigureInterval& f = intervals.Figures[exit + k];
      covered[k] += f.Low <= truth[exit + k].Value && truth[exit + k].Value <= f.High;
      linearised += k == 0 && f.Method == IntervalMethod::Linearised;
    }
  }
  for (std::size_t k = 0; k < 2; ++k) {
    SCOPED_TRACE(k);
    EXPECT_GE(covered[k], 186);  // 93 % of 200
    EXPECT_LE(covered[k], 194);  // 97 %
  }
  std::printf("coverage of 200: residual 1 %d, residual 2 %d, temperature %d; linearised %d\n",
              covered[0], covered[1], covered[2], linearised);
}

}  // namespace
}  // namespace quillmere
