// quillmere-fit run as a program, as "quillmere-cli fit" runs it: its files, its report, its
// messages and exit statuses.
#include <gtest/gtest.h>
#include <sys/wait.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <nlohmann/json.hpp>
#include <string>

#include "FitTrials.h"
#include "TestSupport.h"
#include "analysis/CaseRun.h"
#include "analysis/fit/FittedValueText.h"
#include "report/CsvText.h"
#include "report/DataFile.h"

namespace quillmere {
namespace {

using Outcome = test::ProgramOutcome;
using test::ShellQuote;

//! The measurements as a file of one measurement a line.
std::string CsvText(const MeasurementTable& table) {
  std::string text =
      table.HasSigma ? "position_m,quantity,value,sigma\n" : "position_m,quantity,value\n";
  for (const Measurement& m : table.Rows) {
    text +=
        CsvNumber(m.Where) + "," + std::string(QuantityName(m.Quantity)) + "," + CsvNumber(m.Value);
    if (m.Sigma) text += "," + CsvNumber(*m.Sigma);
    text += "\n";
  }
  return text;
}

class FitProgram : public ::testing::Test {
 protected:
  //! Writes trial1.dat, trial1.csv, trial2.dat and trial2.csv into the work directory:
  //! measurements made with Keff 0.45, Wi 0.35, We 0.08, data files at the defaults.
  void SetUp() override {
    std::mt19937 random(11);
    for (const FitTrial& trial : test::TwoTrials(&random, true)) {
      Write(trial.DataFileName, DataFileText(trial.Fields));
      Write(trial.Measurements.Name, CsvText(trial.Measurements));
    }
  }

  void Write(const std::string& name, std::string_view bytes) const {
    std::ofstream(work_.File(name), std::ios::binary) << bytes;
  }

  Outcome Run(const std::string& program, const std::string& arguments) const {
    return test::RunShell("cd " + ShellQuote(work_.path().string()) + " && LC_ALL=C " +
                              ShellQuote(program) + " " + arguments + " < /dev/null",
                          capture_);
  }
  Outcome Fit(const std::string& arguments) const { return Run(QUILLMERE_FIT, arguments); }

  std::string ReadWork(const std::string& name) const { return test::ReadBytes(work_.File(name)); }

  test::ScratchDirectory work_;
  test::ScratchDirectory capture_;
};

constexpr std::string_view kTwoTrials =
    "--trial trial1.dat:trial1.csv --trial trial2.dat:trial2.csv";

TEST_F(FitProgram, FitsTwoTrialsAndWritesTheReportAndTheFittedDataFile) {
  const Outcome fit =
      Fit(std::string(kTwoTrials) + " --free Keff,Wi,We -o fitted.dat --report fit.json");
  ASSERT_EQ(fit.status, 0) << fit.err;
  EXPECT_EQ(fit.err, "");
  EXPECT_EQ(fit.out.rfind("Fitted Keff, Wi and We to 40 measurements of 2 trials.\n", 0), 0u)
      << fit.out;
  EXPECT_NE(fit.out.find("Standard errors from the sigmas of the measurements"), std::string::npos);
  EXPECT_NE(fit.out.find("  We < Wx < Wi: held ("), std::string::npos);
  EXPECT_NE(fit.out.find("  trial2.dat, 5 "), std::string::npos);

  const nlohmann::json report = nlohmann::json::parse(ReadWork("fit.json"));
  ASSERT_EQ(report["parameters"].size(), 3u);
  EXPECT_EQ(report["parameters"][0]["name"], "Keff");
  const double keff = report["parameters"][0]["fitted"];
  const double error = report["parameters"][0]["standard_error"];
  EXPECT_LT(std::abs(keff - 0.45), 3 * error);
  EXPECT_EQ(report["standard_errors_from"], "measurement sigmas");
  EXPECT_EQ(report["trials"][1]["measurements"].size(), 20u);
  EXPECT_EQ(report["solver"]["termination"], "CONVERGENCE");
  EXPECT_GT(report["solver"]["model_runs"], 0);

  EXPECT_EQ(report["trustworthy"], true);
  EXPECT_EQ(report["search"]["starts"], 16);
  EXPECT_GE(report["search"]["starts_at_best"], 1);
  const nlohmann::json profile = report["parameters"][0]["profile95"];
  EXPECT_LT(profile[0].get<double>(), keff);
  EXPECT_GT(profile[1].get<double>(), keff);

  // The fitted data file is the first trial's, with at least the digits the standard errors
  // justify (more where the correlations need them).
  MemoryFieldTexts fields('.');
  test::RecordingMessages messages;
  ASSERT_TRUE(LoadDataFile(work_.File("fitted.dat"), fields, messages).Ok());
  EXPECT_EQ(fields.Text("Edit205").rfind(FittedValueText(keff, error).substr(0, 3), 0), 0u)
      << fields.Text("Edit205");
  EXPECT_GE(fields.Text("Edit205").size(), FittedValueText(keff, error).size());
  auto params = std::make_unique<ParameterSet>();
  auto state = std::make_unique<SimulationState>();
  ASSERT_TRUE(RunCase(fields, '.', *params, *state).Finished());
  EXPECT_NEAR(params->Keff, keff, error / 10);
  EXPECT_EQ(params->Speed, 0.5);
}

// The fitted data file reproduces the fit: fitted again from it with a single start, the sum
// of squares at its values (the new fit's start) lies within 1 % of the 95 % region (the rise
// of the sum of squares that ends a profile interval) of the fit's, and the new fit ends where
// the first did. Four correlated parameters, so that rounding each to its own standard error
// would not do.
TEST_F(FitProgram, TheFittedDataFileReproducesTheFit) {
  const Outcome first =
      Fit(std::string(kTwoTrials) + " --free Keff,Wi,We,Wx -o fitted.dat --report first.json");
  ASSERT_EQ(first.status, 0) << first.err << first.out;
  const nlohmann::json fitted = nlohmann::json::parse(ReadWork("first.json"));
  const Outcome again =
      Fit("--trial fitted.dat:trial1.csv --trial trial2.dat:trial2.csv --free Keff,Wi,We,Wx "
          "--starts 1 --report again.json");
  ASSERT_NE(again.status, 64) << again.err;
  const nlohmann::json refit = nlohmann::json::parse(ReadWork("again.json"));
  const double sum = fitted["sum_of_squares"]["fitted"];
  const double rise = fitted["profile_rise"];
  EXPECT_LE(refit["sum_of_squares"]["start"].get<double>(), sum + 0.01 * rise);
  EXPECT_NEAR(refit["sum_of_squares"]["fitted"].get<double>(), sum, 0.01 * rise);
}

// The same trial under another name (an absolute path, a symbolic link) is still the same
// trial: counted twice, every standard error would shrink by √2.
TEST_F(FitProgram, TheSameTrialUnderAnotherNameIsRefused) {
  std::filesystem::create_symlink(work_.File("trial1.dat"), work_.File("link.dat"));
  for (const std::string& other :
       {work_.File("trial1.dat") + ":trial1.csv", std::string("link.dat:trial1.csv")}) {
    const Outcome fit =
        Fit("--trial trial1.dat:trial1.csv --trial " + ShellQuote(other) + " --free Keff");
    EXPECT_EQ(fit.status, 1) << other << "\n" << fit.err;
    EXPECT_NE(fit.err.find("is given twice: each trial counts once."), std::string::npos)
        << fit.err;
  }
}

// A data file and a report on standard output: the text report moves to standard error.
TEST_F(FitProgram, StandardOutputAndTheDecimalSeparator) {
  MemoryFieldTexts comma(',');
  for (const auto& [field, text] : {std::pair{"Edit6", "0,5"},
                                    {"Edit9", "10,0"},
                                    {"Edit22", "10,0"},
                                    {"Edit8", "60,0"},
                                    {"Edit21", "80,0"}}) {
    comma.SetText(field, text);
  }
  Write("comma.dat", DataFileText(comma));
  // Keff alone cannot explain measurements made with other Wi and We: a poor fit (exit 4),
  // written all the same.
  const Outcome fit = Fit("--decimal-separator , --trial comma.dat:trial1.csv --free Keff -o -");
  ASSERT_EQ(fit.status, 4) << fit.err;
  EXPECT_EQ(fit.err.rfind("Fitted Keff to 20 measurements of 1 trial.\n", 0), 0u) << fit.err;
  const std::size_t keff = fit.out.find("Dryer Efficiency Parameter Keff");
  ASSERT_NE(keff, std::string::npos) << fit.out;
  const std::string line = fit.out.substr(keff, fit.out.find("\r\n", keff) - keff);
  EXPECT_NE(line.find("=  0,4"), std::string::npos) << line;

  const Outcome both = Fit(std::string(kTwoTrials) + " --free Keff -o - --report -");
  EXPECT_EQ(both.status, 64);
}

#ifdef QUILLMERE_FIT_PLOT
// The picture of the fit, in the format its name asks for.
TEST_F(FitProgram, DrawsTheFitIntoAPicture) {
  const Outcome png = Fit(std::string(kTwoTrials) + " --free Keff --plot fit.png");
  ASSERT_EQ(png.status, 4) << png.err;  // a poor fit, drawn all the same
  EXPECT_EQ(ReadWork("fit.png").substr(0, 8), "\x89PNG\r\n\x1a\n");
  const Outcome svg = Fit(std::string(kTwoTrials) + " --free Keff --plot fit.svg");
  ASSERT_EQ(svg.status, 4) << svg.err;
  const std::string picture = ReadWork("fit.svg");
  EXPECT_NE(picture.find("<svg"), std::string::npos);
  EXPECT_NE(picture.find("Solvent-2 residual ratio"), std::string::npos);

  const Outcome wrong = Fit(std::string(kTwoTrials) + " --free Keff --plot fit.jpg");
  EXPECT_EQ(wrong.status, 64);
  EXPECT_NE(wrong.err.find("a chart file name ends in .svg or .png"), std::string::npos)
      << wrong.err;
  const Outcome unwritable = Fit(std::string(kTwoTrials) + " --free Keff --plot missing/fit.svg");
  EXPECT_EQ(unwritable.status, 2);
  EXPECT_NE(unwritable.err.find("Could not write the picture \"missing/fit.svg\": No such file or "
                                "directory.\n"),
            std::string::npos)
      << unwritable.err;
}
#endif

TEST_F(FitProgram, NamesWhatTheMeasurementsCannotDetermine) {
  Write("early.csv", "position_m,temperature,temperature_sigma\n1,30,0.3\n2,35,0.3\n");
  // Wx undetermined: not to be trusted (exit 4) until it leaves --free, and -o keeps its start
  // value rather than wherever the search left it.
  const Outcome fit = Fit("--trial trial1.dat:early.csv --free Keff,Wx -o early.dat");
  ASSERT_EQ(fit.status, 4) << fit.err;
  EXPECT_NE(fit.err.find("The fit is not to be trusted: the measurements cannot determine Wx: -o "
                         "keeps the start value; remove it from --free"),
            std::string::npos)
      << fit.err;
  MemoryFieldTexts fields('.');
  test::RecordingMessages messages;
  ASSERT_TRUE(LoadDataFile(work_.File("early.dat"), fields, messages).Ok());
  EXPECT_EQ(fields.Text("Edit203"), "0.2");
  EXPECT_EQ(Fit("--trial trial1.dat:early.csv --free Keff").status, 0);
  // A single start confirms nothing of a parameter it leaves undetermined or on a bound.
  const Outcome single = Fit("--trial trial1.dat:early.csv --free Keff,Wx --starts 1");
  EXPECT_EQ(single.status, 4) << single.err;
  EXPECT_NE(single.err.find("The fit is not to be trusted: the only start ended with Wx not "
                            "determined, which no other start confirms: give more --starts"),
            std::string::npos)
      << single.err;
  const std::size_t wx = fit.out.find("\nWx                 0.2 ");
  ASSERT_NE(wx, std::string::npos) << fit.out;
  const std::size_t end = fit.out.find('\n', wx + 1);
  EXPECT_EQ(fit.out.substr(end - 19, 19), "   not identifiable") << fit.out;
  EXPECT_NE(fit.out.find("NOT IDENTIFIABLE\n  Wx: the measurements cannot determine it; measure "
                         "residual solvent where the coating is drier (the falling-rate range, "
                         "below the solvent fraction Wi), or fix Wx (leave it out of --free).\n"),
            std::string::npos)
      << fit.out;
}

struct Refusal {
  std::string arguments;
  int status;
  std::string err;
};

TEST_F(FitProgram, RefusesWithTheFileLineAndReason) {
  Write("bad.csv", "position_m,quantity,value\n1,temperature,41\n2,temprature,42\n");
  Write("far.csv", "position_m,quantity,value\n1,temperature,41\n25,temperature,42\n");
  Write("nosigma.csv", "position_m,quantity,value\n1,temperature,41\n");
  MemoryFieldTexts dry = test::ShortLine("0.5", "60.0", "80.0", {});
  dry.SetText("Edit5", "0.0");
  Write("dry.dat", DataFileText(dry));
  Write("short.dat", "a = 1\r\n");
  const std::string work = std::filesystem::canonical(work_.path()).string();
  Write("tiny.csv", "position_m,quantity,value,sigma\n1,temperature,41,1e-160\n");
  Write("huge.csv", "position_m,quantity,value\n1,temperature,1e300\n2,temperature,40\n");
  Write("feet.csv", "Position (yd),temperature\n1,40\n");
  const std::vector<Refusal> cases{
      {"--trial trial1.dat:trial1.csv --trial ./trial1.dat:trial1.csv --free Keff", 1,
       "--trial \"./trial1.dat:trial1.csv\" is given twice: each trial counts once.\n"},
      {"--trial trial1.dat:tiny.csv --free Keff,Wi", 1,
       "--free: 2 free parameters and only 1 measurement: a fit needs at least as many "
       "measurements as free parameters (measure more, or fix some).\n"},
      {"--trial trial1.dat:tiny.csv --free Keff", 1,
       "\"tiny.csv\", line 2: the weighted residual (model - measured) / sigma = "
       "(33.92363602898709 - 41) / 1e-160 is too large to be squared and summed: check the "
       "value and its sigma (the model at the start values of \"trial1.dat\")\n"},
      {"--trial trial1.dat:huge.csv --free Keff", 1,
       "\"huge.csv\", line 2: the residual model - measured = 33.92363602898709 - 1e+300 is too "
       "large to be squared and summed: check the value (the model at the start values of "
       "\"trial1.dat\")\n"},
      {"--trial trial1.dat:feet.csv --free Keff", 1,
       "\"feet.csv\", line 1: the unit \"yd\" of the column Position (yd) is not converted: "
       "write m, mm, cm or ft\n"},
      {"--trial trial1.dat:bad.csv --free Keff", 1,
       "\"bad.csv\", line 3, quantity: \"temprature\" is none of temperature, residual1, "
       "residual2, weight1 or weight2\n"},
      {"--trial trial1.dat:far.csv --free Keff", 1,
       "\"far.csv\", line 3, position_m: 25 lies outside the dryer of \"trial1.dat\", which is "
       "20 m long\n"},
      {"--trial trial1.dat:trial1.csv --trial dry.dat:trial2.csv --free Keff", 1,
       "The trial \"dry.dat\" does not run at the start values:\n"
       "Invalid floating point operation.\n"},
      {"--trial trial1.dat:trial1.csv --trial trial2.dat:nosigma.csv --free Keff", 1,
       "\"trial1.csv\" gives sigmas and \"nosigma.csv\" does not: give a sigma for every "
       "measurement or for none.\n"},
      {"--trial trial1.dat:trial1.csv --free Keff --bounds Keff=0.5:1", 1,
       "Keff starts at 0.3 (the first trial's data file), outside its bounds 0.5 to 1\n"},
      // Data files are named by their full paths, as the window's open dialog gives them.
      {"--trial short.dat:trial1.csv --free Keff", 1,
       "\"" + work +
           "/short.dat\" is not a correct data file!\n"
           "It ends after line 1, and a data file holds 119 lines of \"label = value\".\n"},
      {"--trial missing.dat:trial1.csv --free Keff", 2,
       "Data file can not open!\nCould not open the data file \"" + work +
           "/missing.dat\": No such file or directory\n"},
      {"--trial trial1.dat:missing.csv --free Keff", 2,
       "Could not open the measurement file \"missing.csv\": No such file or directory\n"},
      {"--trial trial1.dat:trial1.csv --free Kef", 64,
       "--free: \"Kef\" is not an input name; did you mean Keff, We or Wi?\n"},
      {"--trial trial1.dat:trial1.csv --free Keff,Speed", 64,
       "--free: Speed is not a fitting parameter; only Wi, We, Wx, Wy, Keff, Chi1p, Chi2p and "
       "Chi12 can be fitted\n"},
      {"--trial trial1.dat:trial1.csv --free Keff -o trial1.dat", 64,
       "The fitted data file \"trial1.dat\" is the data file \"" + work +
           "/trial1.dat\" of this fit, which is left as it is. Choose another fitted data "
           "file.\n"},
      {"--trial trial1.dat:trial1.csv --trial trial2.dat:trial2.csv --free Keff --report "
       "./trial2.csv",
       64,
       "The report \"./trial2.csv\" is the measurement file \"trial2.csv\" of this fit, which "
       "is left as it is. Choose another report.\n"},
      {"--trial trial1.dat:trial1.csv --free Keff -o out.txt --report out.txt", 64,
       "The fitted data file and the report cannot be the same file \"out.txt\".\n"},
      {"--trial trial1.dat --free Keff", 64,
       "--trial \"trial1.dat\": write DATAFILE:MEASURED.csv\n"},
      {"--trial -:- --free Keff", 64,
       "Only one file can be read from standard input, and only one written to standard "
       "output.\n"},
  };
  for (const Refusal& refusal : cases) {
    const Outcome fit = Fit(refusal.arguments);
    EXPECT_EQ(fit.status, refusal.status) << refusal.arguments << "\n" << fit.err;
    EXPECT_EQ(fit.err, refusal.err) << refusal.arguments;
    EXPECT_EQ(fit.out, "") << refusal.arguments;
  }
  const Outcome none = Fit("--free Keff");
  EXPECT_EQ(none.status, 64);
  EXPECT_NE(none.err.find("--trial is required"), std::string::npos) << none.err;
}

// An input read through "-" is the file behind standard input: no output may be written over it.
TEST_F(FitProgram, AnOutputIsNeverTheFileReadFromStandardInput) {
  const std::string data = ReadWork("trial1.dat");
  const std::string measured = ReadWork("trial1.csv");
  const std::pair<std::string, std::string> cases[] = {
      {"--trial -:trial1.csv --free Keff -o trial1.dat < trial1.dat",
       "The fitted data file \"trial1.dat\" is the data file \"-\" (standard input) of this fit, "
       "which is left as it is. Choose another fitted data file.\n"},
      {"--trial trial1.dat:- --free Keff --report trial1.csv < trial1.csv",
       "The report \"trial1.csv\" is the measurement file \"-\" (standard input) of this fit, "
       "which is left as it is. Choose another report.\n"},
  };
  for (const auto& [arguments, err] : cases) {
    const Outcome fit = test::RunShell("cd " + ShellQuote(work_.path().string()) + " && LC_ALL=C " +
                                           ShellQuote(QUILLMERE_FIT) + " " + arguments,
                                       capture_);
    EXPECT_EQ(fit.status, 64) << arguments;
    EXPECT_EQ(fit.err, err) << arguments;
  }
  EXPECT_TRUE(ReadWork("trial1.dat") == data);
  EXPECT_TRUE(ReadWork("trial1.csv") == measured);
}

TEST_F(FitProgram, HelpNamesTheCommandAsQuillmereCliRunsIt) {
  const Outcome help = Fit("--help");
  EXPECT_EQ(help.status, 0);
  EXPECT_NE(help.out.find("Usage: quillmere-cli fit [OPTIONS]"), std::string::npos) << help.out;
  for (const char* option : {"--trial", "--free", "--bounds", "--output", "--report",
                             "position_m,quantity,value,sigma", "Exit status: 0 fitted"}) {
    EXPECT_NE(help.out.find(option), std::string::npos) << option;
  }
  const Outcome cli = Run(QUILLMERE_CLI, "fit --help");
  EXPECT_EQ(cli.status, 0) << cli.err;
  EXPECT_EQ(cli.out, help.out);
  // Keff alone is a poor fit of measurements made with other Wi and We (chi-square's 99.9 %
  // quantile for 19 degrees of freedom is about 44): exit 4, passed on by quillmere-cli.
  const Outcome fit =
      Run(QUILLMERE_CLI, "--decimal-separator . fit --trial trial1.dat:trial1.csv --free Keff");
  EXPECT_EQ(fit.status, 4) << fit.err;
  EXPECT_EQ(fit.err.rfind("The fit is not to be trusted: the fit is poor: the sum of squares ", 0),
            0u)
      << fit.err;
  EXPECT_EQ(fit.out.rfind("Fitted Keff to 20 measurements of 1 trial.\n", 0), 0u) << fit.out;
}

}  // namespace
}  // namespace quillmere
