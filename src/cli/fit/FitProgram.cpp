// quillmere-fit, run as "quillmere-cli fit": the fitting parameters that best explain the
// measurements of one or more trials, with their uncertainty, as a report; the first trial's
// data file with the fitted values.
#include <glog/logging.h>
#include <CLI/CLI.hpp>

#include <filesystem>
#include <iostream>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "analysis/fit/Fit.h"
#include "analysis/fit/FitReport.h"
#include "base/Error.h"
#include "base/PrintableText.h"
#include "cli/CommandLine.h"
#include "cli/DataFileArgument.h"
#include "cli/DecimalSeparator.h"
#include "cli/ErrorBarsOptions.h"
#include "cli/ProgramShell.h"
#include "cli/SolventOptions.h"
#include "cli/StopSignals.h"
#include "cli/StreamMessages.h"
#include "cli/Suggestions.h"
#include "report/DataFile.h"
#include "report/FileIO.h"
#include "report/OutputClash.h"
#ifdef QUILLMERE_FIT_PLOT
#include "plot/FitCharts.h"
#endif

namespace quillmere {
namespace {

struct Outputs {
  std::optional<std::string> dataFile;
  std::optional<std::string> report;
  std::optional<std::string> plot;
};

class FitProgram : public Program {
 public:
  explicit FitProgram(CLI::App& app) { Declare(app); }

  void Validate(OutputClashCheck& files) override {
    separator_ = SeparatorOf(separatorText_);
    try {
      free_ = ParseFreeParameters(freeLists_);
      ApplyBounds(free_, boundTexts_, separator_);
    } catch (const FitParameterError& e) {
      throw Error(e.Kind(), e.what());
    }
    int standardInputs = 0;
    for (const std::string& text : trialTexts_) {
      const std::size_t colon = text.rfind(':');
      if (colon == std::string::npos || colon == 0 || colon + 1 == text.size()) {
        throw Error(ErrorKind::Usage, "--trial " + Quoted(text) + ": write DATAFILE:MEASURED.csv");
      }
      files_.emplace_back(text.substr(0, colon), text.substr(colon + 1));
      standardInputs +=
          (files_.back().first == kStandardStream) + (files_.back().second == kStandardStream);
    }
    const int standardOutputs =
        (outputs_.dataFile == kStandardStream) + (outputs_.report == kStandardStream);
    if (standardInputs > 1 || standardOutputs > 1) {
      throw Error(ErrorKind::Usage,
                  "Only one file can be read from standard input, and only one written to "
                  "standard output.");
    }
    reportToErr_ = standardOutputs > 0;
    // A trial's files are left as they are: no output may be written over one of them, nor
    // two outputs into one file.
    for (const auto& [dataFile, measurementFile] : files_) {
      files.Input("data file", DataFileArgumentName(dataFile));
      files.Input("measurement file", measurementFile);
    }
    SolventOptions().AddInputsTo(files);
    if (outputs_.dataFile) files.Output("fitted data file", *outputs_.dataFile);
    if (outputs_.report) files.Output("report", *outputs_.report);
    if (outputs_.plot) files.Output("chart file", *outputs_.plot);
  }

  int Work(const ProgramStreams& streams) override {
    std::vector<FitTrial> trials;
    for (const auto& [dataFile, measurementFile] : files_) {
      if (const int status = ReadTrial(dataFile, measurementFile, streams.Err, trials)) {
        return status;
      }
    }
    if (StopRequested().load()) {
      streams.Err << "Interrupted: the fit was stopped before it started; nothing is written.\n";
      return ExitStatus(ErrorKind::Interrupted);
    }
    FitOptions options;
    options.DecimalSeparator = separator_;
    options.MaxIterations = maxIterations_;
    options.Starts = starts_;
    try {
      Fit fit(std::move(trials), std::move(free_), options);
      const FitResult result = fit.Solve();
      (reportToErr_ ? streams.Err : streams.Out) << FitReportText(result, separator_) << std::flush;
      WriteOutputs(fit, result, streams.Out);
      return Verdict(result, streams.Err);
    } catch (const FitRefused& e) {
      streams.Err << PrintableMessage(e.what()) << '\n';
      for (const std::string& detail : e.DetailLines()) {
        streams.Err << PrintableMessage(detail) << '\n';
      }
      return ExitStatus(e.Kind());
    } catch (const FitParameterError& e) {
      streams.Err << PrintableMessage(e.what()) << '\n';
      return ExitStatus(e.Kind());
    }
  }

 private:
  void Declare(CLI::App& app);

  //! One trial's data file, the solvents it names and its measurements. 0, or the exit
  //! status of what was refused (and told).
  int ReadTrial(const std::string& dataFile, const std::string& measurementFile, std::ostream& err,
                std::vector<FitTrial>& trials) const {
    StreamMessages messages(err);
    FitTrial trial{dataFile, MemoryFieldTexts(separator_), {}};
    const Outcome<LoadedDataFile> loaded = LoadDataFileArgument(dataFile, trial.Fields, messages);
    if (!loaded.Ok()) return ExitStatus(loaded.Why().Kind());
    ShowReadingWarning(loaded.Value(), separator_, messages);
    // The solvents the data file names put their fixed constants into the trial's fields.
    const SolventOptions solvents;
    SolventLibrary library;
    if (const int status =
            ExitStatusOf([&] { library = solvents.Apply(trial.Fields, separator_); }, messages)) {
      return status;
    }
    // A user's library that did not read is the same for every trial: told with the first.
    if (trials.empty()) {
      for (const std::string& warning : library.UnreadWarnings()) messages.ShowWarning(warning);
    }
    // --step auto: each trial's step chosen at its data file's values.
    if (const int status = ExitStatusOf(
            [&] {
              errorBars_.Validate();
              FigureModel model(separator_, std::nullopt);
              if (const auto choice = ChooseStepFor(errorBars_, trial.Fields, model)) {
                err << PrintableText(dataFile) << ": " << StepChoiceText(*choice, separator_);
              }
            },
            messages)) {
      return status;
    }
    try {
      trial.Measurements = ReadMeasurements(measurementFile);
    } catch (const Error& e) {
      messages.ShowMessage(e.what());  // as the file's reader says it: file, line, column
      return ExitStatus(e.Kind());
    }
    trials.push_back(std::move(trial));
    return 0;
  }

  //! The fitted data file, the report and the picture, written together.
  void WriteOutputs(const Fit& fit, const FitResult& result, std::ostream& out) const {
    out.flush();
    StagedOutputs files;
    if (outputs_.dataFile) {
      WriteWhole(files, *outputs_.dataFile, "data file", DataFileText(fit.FittedFields(result)));
    }
    if (outputs_.report) WriteWhole(files, *outputs_.report, "report", FitReportJson(result));
#ifdef QUILLMERE_FIT_PLOT
    if (outputs_.plot) {
      StagedOutput& picture = files.Add(*outputs_.plot, "picture", "write");
      picture.Close();
      plot::SaveFitCharts(result, picture.WrittenTo());
    }
#endif
    files.CommitAll();
  }

  static int Verdict(const FitResult& result, std::ostream& err) {
    if (result.Failed) {
      err << "The solver failed: " << PrintableMessage(result.StopReason) << '\n';
      return ExitStatus(ErrorKind::RunFault);
    }
    if (!result.Trustworthy()) {
      for (const std::string& doubt : result.Doubts) {
        err << "The fit is not to be trusted: " << PrintableMessage(doubt) << '\n';
      }
      return FinishedFitStatus(result);
    }
    return kExitFinished;
  }

  std::vector<std::string> trialTexts_;
  std::vector<std::string> freeLists_;
  std::vector<std::string> boundTexts_;
  Outputs outputs_;
  int maxIterations_ = 200;
  int starts_ = 0;
  std::string separatorText_;
  ErrorBarsOptions errorBars_;  //!< --step auto
  char separator_ = '.';
  std::vector<FreeParameter> free_;
  std::vector<std::pair<std::string, std::string>> files_;
  bool reportToErr_ = false;
};

//! What the fit reads and when its answer is to be trusted, above the exit statuses of --help.
constexpr std::string_view kFitHelpFooter =
    "MEASURED.csv: a header row naming the columns, then one measurement a line:\n"
    "  position_m,quantity,value,sigma\n"
    "  12.5,temperature,41.2,0.5\n"
    "  60,residual1,0.0061,0.0004\n"
    "or one line a position with one column a quantity (an empty cell: not measured):\n"
    "  position_m,temperature,residual1,residual1_sigma\n"
    "position_m is the distance from the dryer's entry (m); time_s, the time since the web "
    "entered it (s), may stand instead. Quantities: temperature (deg C), residual1 and "
    "residual2 (ratios to the entry), weight1 and weight2 (kg/m2). sigma, the standard "
    "deviation, is optional: without it all measurements weigh alike. Numbers use \".\".\n\n"
    "Every trial starts from the first trial's values of the free parameters; the others keep "
    "each trial's own. Default bounds keep the parameters meaningful: 0 <= We <= Wx <= Wi <= "
    "1, 0 <= Wy <= 1, Keff >= 1e-6.\n\n"
    "The search is global: local fits start from the data file's values and from points "
    "spread over the bounds (--starts), and the best optimum is kept; the report says how "
    "many starts reached it and which other optima they met. Intervals: the profile "
    "likelihood's (the others fitted again along each parameter) and the covariance's.\n\n"
    "The fit is not to be trusted (exit status 4) when the solver stopped without "
    "converging, a parameter stalled at a bound of We <= Wx <= Wi, a free parameter cannot be "
    "determined by the measurements (-o keeps its start value), or the fit is poor (with "
    "sigmas: the sum of squares above the 99.9 % quantile of chi-square for its degrees of "
    "freedom); 3 is the solver's failure.";

void FitProgram::Declare(CLI::App& app) {
  app.footer(FooterWithExitStatuses(std::string(kFitHelpFooter)));
  app.add_option("--trial", trialTexts_,
                 "A trial: its data file (the line's settings) and its measurements, joined by "
                 "\":\"; repeat for several trials (\"-\" reads one from standard input)")
      ->type_name("DATAFILE:MEASURED.csv")
      ->required();
  app.add_option("--free", freeLists_,
                 "The parameters to fit, shared by all trials, separated by commas")
      ->type_name("NAME,...")
      ->required();
  app.add_option("--bounds", boundTexts_,
                 "Bounds of a free parameter instead of the default ones; a side left empty is "
                 "unbounded (Keff=0.1:2, Chi12=:1)")
      ->type_name("NAME=LO:HI");
  app.add_option("-o,--output", outputs_.dataFile,
                 "Write the first trial's data file with the fitted values (\"-\": standard "
                 "output), to load with \"Input Data File\"")
      ->type_name("FITTED.dat");
  app.add_option("--report", outputs_.report, "Write the report as JSON (\"-\": standard output)")
      ->type_name("FIT.json");
#ifdef QUILLMERE_FIT_PLOT
  app.add_option("--plot", outputs_.plot,
                 "Draw the measured points against the fitted curves and, faint, the starting "
                 "curves, one line style a trial, a chart a quantity, into an SVG or PNG file")
      ->type_name("FIT.svg|FIT.png")
      ->check(ChartFileValidator());
#endif
  app.add_option("--max-iterations", maxIterations_,
                 "Most iterations of the local fit that polishes the best optimum, and of each "
                 "profile point's (a start of the search stops at 50)")
      ->capture_default_str()
      ->check(CLI::Range(1, 10000));
  app.add_option("--starts", starts_,
                 "Local fits of the global search, the first from the data file's values "
                 "(default: 4 a free parameter, and 4)")
      ->check(CLI::Range(1, 10000));
  errorBars_.AddTo(app, ErrorBarsCommand::Fit);
  AddDecimalSeparatorOption(app, separatorText_, "data files");
}

}  // namespace
}  // namespace quillmere

int main(int argc, char** argv) {
  // The solver's library logs through glog: nothing of it is for the user, and it must write no
  // log files.
  FLAGS_logtostderr = true;
  FLAGS_minloglevel = google::GLOG_FATAL;
  google::InitGoogleLogging(argv[0]);
  CLI::App app{
      "Fits the fitting parameters (Wi, We, Wx, Wy, Keff, Chi1p, Chi2p, Chi12) to measurements "
      "of one or more trials by least squares, and reports the fitted values, their standard "
      "errors, 95 % intervals and correlations, and how well the model explains each trial.",
      "quillmere-cli fit"};
  quillmere::FitProgram program(app);
  return quillmere::ProgramMain(app, argc, argv, program, "fit");
}
