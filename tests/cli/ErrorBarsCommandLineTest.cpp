// quillmere-cli run with its error bars (--step-error, --step auto, --uncertainty), run as a
// program: the result file and the other outputs unchanged, the error bars after them.
#include <gtest/gtest.h>

#include <fstream>
#include <nlohmann/json.hpp>
#include <string>

#include "CommandLineFolder.h"
#include "FitReports.h"
#include "TestSupport.h"

namespace quillmere {
namespace {

using Outcome = test::ProgramOutcome;
using test::ShellQuote;

using ErrorBarsCommandLine = test::CommandLineFolder;

// --step-error adds its table after the summary and a key to the JSON; the result file, the
// summary's lines before the table and every other JSON member are the bytes of a plain run.
TEST_F(ErrorBarsCommandLine, StepErrorChangesNoByteOfThePlainRun) {
  const Outcome plain = Cli("run -o plain.txt --json plain.json");
  ASSERT_EQ(plain.status, 0) << plain.err;
  const Outcome bars =
      Cli("run -o bars.txt --json bars.json --step-error --figures-csv figures.csv");
  ASSERT_EQ(bars.status, 0) << bars.err;
  EXPECT_EQ(ReadWork("plain.txt"), ReadWork("bars.txt"));
  // The summary names its result file: the same lines with the other name.
  std::string expected = plain.out;
  expected.replace(expected.find("plain.txt"), 9, "bars.txt");
  expected.replace(expected.find("plain.json"), 10, "bars.json");
  ASSERT_EQ(bars.out.substr(0, expected.size() - 1), expected.substr(0, expected.size() - 1));
  EXPECT_NE(bars.out.find("Step error at 0.1 m (from runs at 0.2 and 0.4 m):\n"),
            std::string::npos);
  nlohmann::json withBars = nlohmann::json::parse(ReadWork("bars.json"));
  nlohmann::json without = nlohmann::json::parse(ReadWork("plain.json"));
  // Each names its own result file.
  withBars["inputs"].erase("SaveFileName");
  without["inputs"].erase("SaveFileName");
  ASSERT_TRUE(withBars.contains("step_error"));
  EXPECT_EQ(withBars["step_error"]["step_m"], 0.1);
  withBars.erase("step_error");
  EXPECT_TRUE(withBars == without);  // (not printed: the trace is long)
  const std::string csv = ReadWork("figures.csv");
  EXPECT_EQ(csv.substr(0, csv.find('\n')),
            "figure,unit,value,step_error_status,step_error,order,extrapolated");
  EXPECT_NE(csv.find("\nZoneExit2.Residual1,-,"), std::string::npos);
}

// --step auto runs at the step it chose: the result file echoes it, the summary says why.
TEST_F(ErrorBarsCommandLine, AutoStepRunsAtTheStepChosen) {
  const Outcome run = Cli("run -o auto.txt --step auto");
  ASSERT_EQ(run.status, 0) << run.err;
  EXPECT_NE(run.out.find("Step: 0.025 m chosen (exit residuals within 0.75 % of their value, "
                         "tolerance 1 %).\n"),
            std::string::npos)
      << run.out;
  EXPECT_NE(ReadWork("auto.txt").find("0.025"), std::string::npos);
}

TEST_F(ErrorBarsCommandLine, IntervalsFromAFitReport) {
  WriteWork("fit.json", R"({"parameters": [
    {"name": "Keff", "fitted": 0.3, "standard_error": 0.006},
    {"name": "We", "fitted": 0.1, "standard_error": 0.002}],
    "correlation": {"parameters": ["Keff", "We"], "matrix": [[1, 0.2], [0.2, 1]]}})");
  const Outcome run = Cli("run -o r.txt --uncertainty fit.json --figures-csv f.csv");
  ASSERT_EQ(run.status, 0) << run.err;
  EXPECT_NE(run.out.find("Fit's uncertainty, 95 % intervals:\n"), std::string::npos) << run.out;
  EXPECT_NE(run.out.find("\nZone 2 residual ratio 1           0.005436"), std::string::npos);
  EXPECT_EQ(ReadWork("f.csv").substr(0, 43), "figure,unit,value,low,high,interval_method\n");
}

// The sweep's table is as without the error bars; the intervals go to a table of their own, a
// row a case.
TEST_F(ErrorBarsCommandLine, SweepWritesEachCasesIntervals) {
  WriteWork("fit.json", test::kTwoTrialFitReport);
  ASSERT_EQ(Cli("sweep --vary Speed=1,2 -o plain.csv").status, 0);
  const Outcome sweep =
      Cli("sweep --vary Speed=1,2 -o table.csv --uncertainty fit.json --intervals bars.csv");
  ASSERT_EQ(sweep.status, 0) << sweep.err;
  EXPECT_EQ(ReadWork("table.csv"), ReadWork("plain.csv"));
  const std::string bars = ReadWork("bars.csv");
  EXPECT_EQ(bars.substr(0, bars.find('\n')),
            "case,Speed,exit_residual1,exit_residual1_low,exit_residual1_high,exit_residual2,"
            "exit_residual2_low,exit_residual2_high,exit_temperature_C,exit_temperature_C_low,"
            "exit_temperature_C_high,method");
  EXPECT_NE(bars.find("\n1,1,0.005436023176220794,"), std::string::npos) << bars;
  EXPECT_NE(bars.find("\n2,2,"), std::string::npos);
  EXPECT_EQ(Cli("sweep --vary Speed=1,2 -o t.csv --intervals b.csv").status, 64);
}

// --step auto chooses the step once, at the data file's setting, and the cases run at it: the
// table's exit residual of the default speed is the run's at 0.025 m.
TEST_F(ErrorBarsCommandLine, SweepRunsAtTheStepChosen) {
  const Outcome sweep = Cli("sweep --vary Speed=1 -o table.csv --step auto");
  ASSERT_EQ(sweep.status, 0) << sweep.err;
  EXPECT_NE(sweep.err.find("Step: 0.025 m chosen"), std::string::npos) << sweep.err;
  // 0.005565885227261291: ZoneExit2.Residual1 of `run --step auto --figures-csv`.
  EXPECT_NE(ReadWork("table.csv").find(",0.005565885227261291,"), std::string::npos);
}

// The robust optimum beside the nominal one, in the report and in its JSON.
TEST_F(ErrorBarsCommandLine, OptimiseSaysWhatTheUncertaintyCosts) {
  WriteWork("fit.json", test::kTwoTrialFitReport);
  ASSERT_EQ(Cli("template -o line.dat").status, 0);
  const Outcome optimise =
      Cli("optimise line.dat --maximise Speed --free Speed=0.3:3 --limit 'ExitResidual2<=0.08' "
          "--uncertainty fit.json --report report.json");
  ASSERT_EQ(optimise.status, 0) << optimise.err;
  // 1.888 m/s: the search's optimum, its limit at its 95 % bound (RobustLimitsTest checks
  // it). The search holds each zone's part of a limit: the margin must reach the parts too, or
  // the search stops at the point estimate's bound with no limit binding.
  EXPECT_NE(optimise.out.find("ExitResidual2<=0.08: 0.08, margin "), std::string::npos)
      << optimise.out;
  EXPECT_NE(optimise.out.find(", binding: at the dryer's exit"), std::string::npos) << optimise.out;
  EXPECT_NE(optimise.out.find("Robust optimum (every limit at its 95 % bound): Speed 1.888 m/s "
                              "instead of 1.989 m/s (the nominal optimum).\n"),
            std::string::npos)
      << optimise.out;
  const nlohmann::json report = nlohmann::json::parse(ReadWork("report.json"));
  EXPECT_EQ(report["robust"]["confidence"], 0.95);
  EXPECT_NEAR(report["robust"]["nominal"]["values"]["Speed"].get<double>(), 1.989, 5e-4);
}

TEST_F(ErrorBarsCommandLine, WrongOptionsAreRefused) {
  struct Case {
    const char* arguments;
    int status;
    const char* message;
  };
  const Case cases[] = {
      {"--step 0.05", 64,
       "--step takes \"auto\"; a step of its own is the Increment of z (Edit20) of the data "
       "file.\n"},
      {"--step auto --step-tolerance 0", 64, "--step-tolerance must lie between 0 and 100 (%).\n"},
      {"--figures-csv f.csv", 64, "--figures-csv needs --step-error or --uncertainty.\n"},
      {"--uncertainty no-such.json", 2, nullptr},
      // The options are checked before any input is read: a missing data file comes second.
      {"no-such.dat --step-tolerance 100 --step auto", 64,
       "--step-tolerance must lie between 0 and 100 (%).\n"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.arguments);
    const Outcome run = Cli(std::string("run -o r.txt ") + c.arguments);
    EXPECT_EQ(run.status, c.status) << run.err;
    if (c.message != nullptr) {
      EXPECT_EQ(run.err, c.message);
    }
    EXPECT_EQ(ReadWork("r.txt"), "");  // refused before the run
  }
}

}  // namespace
}  // namespace quillmere
