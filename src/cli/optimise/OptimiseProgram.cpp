// quillmere-optimise, run as "quillmere-cli optimise": the best setting of the free inputs
// (the fastest line, or the cheapest, or the driest) that meets every limit, with a report of
// the limits that bind and where; the data file of the optimum, its JSON report and its curves.
#include <tbb/info.h>
#include <CLI/CLI.hpp>

#include <algorithm>
#include <cstdint>
#include <limits>

#include <chrono>
#include <filesystem>
#include <iostream>
#include <optional>
#include <string>
#include <vector>

#include "analysis/CaseRun.h"
#include "analysis/optimise/Optimise.h"
#include "analysis/optimise/OptimiseProblem.h"
#include "analysis/optimise/OptimiseReport.h"
#include "analysis/optimise/PlantDuty.h"
#include "analysis/uncertainty/RobustLimits.h"
#include "base/Error.h"
#include "base/PrintableText.h"
#include "cli/DataFileArgument.h"
#include "cli/DecimalSeparator.h"
#include "cli/ErrorBarsOptions.h"
#include "cli/ProgramShell.h"
#include "cli/ProgressBar.h"
#include "cli/SolventOptions.h"
#include "cli/StopSignals.h"
#include "cli/StreamMessages.h"
#include "cli/Suggestions.h"
#include "report/DataFile.h"
#include "report/FileIO.h"
#include "report/OutputClash.h"
#include "sim/RunSeries.h"
#ifdef QUILLMERE_OPTIMISE_PLOT
#include "plot/OptimumCharts.h"
#endif

namespace quillmere {
namespace {

//! The exit figures of the optimum with their 95 % intervals (sampled where they bend, so that
//! a limit the linearised margins held can be seen at its full bound); a warning instead when a
//! run does not finish.
std::string OptimumIntervalsText(const MemoryFieldTexts& optimum, const FitUncertainty& fit,
                                 char separator) {
  try {
    FigureModel model(separator, std::nullopt);
    const ExitFigures figures = model.Run(optimum);
    return "At the optimum:\n" +
           ExitIntervalsText(ExitIntervalsOf(optimum, model, fit, figures), separator);
  } catch (const Error& e) {
    return "Warning: the optimum's intervals could not be computed: " + std::string(e.what()) +
           "\n";
  }
}

class OptimiseProgram : public Program {
 public:
  explicit OptimiseProgram(CLI::App& app) { Declare(app); }

  void Validate(OutputClashCheck& files) override {
    separator_ = SeparatorOf(separatorText_);
    options_.DecimalSeparator = separator_;
    // The LEL and energy limits read the plant figures of the solvents in force, from the
    // library that is read once the data file is loaded.
    problem_.Plant = PlantModelOf(library_);
    if (maximise_.empty() && minimise_.empty()) {
      throw Error(ErrorKind::Usage, "Say what to optimise: --maximise NAME or --minimise NAME");
    }
    problem_.Goal =
        maximise_.empty() ? ParseObjective(minimise_, false) : ParseObjective(maximise_, true);
    for (const std::string& text : freeTexts_) problem_.Free.push_back(ParseFreeInput(text));
    for (const std::string& text : limitTexts_) problem_.Limits.push_back(ParseLimit(text));
    CheckProblem(problem_);
    // More threads than the cores give nothing, and oneTBB warns of them on standard error.
    options_.Jobs = std::min(options_.Jobs, tbb::info::default_concurrency());
    if ((outputFile_ == kStandardStream) + (reportFile_ == kStandardStream) > 1) {
      throw Error(ErrorKind::Usage, "Only one file can be written to standard output.");
    }
    files.Input("data file", DataFileArgumentName(dataFile_));
    solvents_.AddInputsTo(files);
    if (outputFile_) files.Output("data file of the optimum", *outputFile_);
    if (reportFile_) files.Output("report", *reportFile_);
    if (plotFile_) files.Output("chart file", *plotFile_);
    if (errorBars_.UncertaintyFile) files.Input("fit report", *errorBars_.UncertaintyFile);
  }

  int Work(const ProgramStreams& streams) override {
    StreamMessages messages(streams.Err);
    MemoryFieldTexts base(separator_);
    const Outcome<LoadedDataFile> loaded = LoadDataFileArgument(dataFile_, base, messages);
    if (!loaded.Ok()) return ExitStatus(loaded.Why().Kind());
    ShowReadingWarning(loaded.Value(), separator_, messages);
    const bool toStandardOutput = outputFile_ == kStandardStream || reportFile_ == kStandardStream;
    std::ostream& report = toStandardOutput ? streams.Err : streams.Out;
    if (const int status = ExitStatusOf(
            [&] {
              *library_ = solvents_.Apply(base, separator_);
              for (const std::string& warning : library_->UnreadWarnings()) {
                messages.ShowWarning(warning);
              }
              CheckPlantInputs(problem_, base, separator_);
              PrepareErrorBars(base, report);
            },
            messages)) {
      return status;
    }
    // A robust optimum is searched after the nominal one, to say what the uncertainty costs.
    std::optional<OptimiseResult> nominal;
    if (robust_) {
      OptimiseProblem plain = problem_;
      plain.Margin = nullptr;
      nominal = RunSearch(plain, base, streams);
    }
    const OptimiseResult result = RunSearch(problem_, base, streams);
    report << OptimiseReportText(problem_, result) << std::flush;
    if (nominal) report << RobustCostText(problem_, *nominal, result, *robust_) << std::flush;
    if (result.Values.empty()) {
      return ExitStatus(result.Stopped ? ErrorKind::Interrupted : ErrorKind::Infeasible);
    }
    if (fit_ && result.Feasible) {
      report << OptimumIntervalsText(OptimumFields(problem_, base, result, separator_), *fit_,
                                     separator_);
    }
    WriteOutputs(base, result, nominal);
    if (result.Stopped) return ExitStatus(ErrorKind::Interrupted);
    if (!result.Feasible) return ExitStatus(ErrorKind::Infeasible);
    return result.Doubts.empty() ? kExitFinished : ExitStatus(ErrorKind::Untrustworthy);
  }

 private:
  void Declare(CLI::App& app);

  //! --step auto chooses the step at the data file's setting; --uncertainty makes the limits
  //! hold at their bound of the confidence asked for (a robust optimum).
  void PrepareErrorBars(MemoryFieldTexts& base, std::ostream& report) {
    fit_ = errorBars_.Validate();
    FigureModel model(separator_, std::nullopt);
    if (const auto choice = ChooseStepFor(errorBars_, base, model)) {
      report << StepChoiceText(*choice, separator_);
    }
    if (!fit_) return;
    robust_ = RobustOptions{errorBars_.ConfidencePercent / 100, errorBars_.AutoStep()};
    problem_.Margin = RobustMargin(*fit_, FittingCentre(*fit_, base, separator_),
                                   IncrementOf(base, separator_), *robust_, separator_);
  }

  //! Runs the search on a thread of its own while this one passes on a stop signal and draws
  //! the progress bar (local searches done of all).
  OptimiseResult RunSearch(const OptimiseProblem& problem, const MemoryFieldTexts& base,
                           const ProgramStreams& streams) {
    OptimiseControl control;
    OptimiseResult result;
    const auto start = std::chrono::steady_clock::now();
    const auto watch = [&] {
      if (StopRequested().load()) control.Stop.store(true);
      if (!streams.ProgressBar) return;
      const double elapsed =
          std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
      streams.Err << '\r'
                  << ProgressLine(control.StartsDone.load(),
                                  static_cast<std::size_t>(options_.Starts), elapsed,
                                  TerminalWidth(2) - 1)
                  << std::flush;
    };
    watch();  // a signal that came before the search stops it before its first run
    RunWatched([&] { result = Optimise(problem, base, options_, control); }, watch,
               std::chrono::milliseconds(200));
    if (streams.ProgressBar) {
      streams.Err << '\r' << std::string(TerminalWidth(2) - 1, ' ') << '\r' << std::flush;
    }
    return result;
  }

  //! The optimum's data file (none where no setting met every limit: the report and the
  //! curves show the nearest one), the report and the curves, written together.
  void WriteOutputs(const MemoryFieldTexts& base, const OptimiseResult& result,
                    const std::optional<OptimiseResult>& nominal) const {
    const MemoryFieldTexts optimum = OptimumFields(problem_, base, result, separator_);
    StagedOutputs files;
    if (outputFile_ && result.Feasible) {
      WriteWhole(files, *outputFile_, "data file of the optimum", DataFileText(optimum));
    }
    if (reportFile_) {
      std::string json = OptimiseReportJson(problem_, result);
      if (nominal) json = WithJsonMembers(json, RobustJsonMembers(problem_, *nominal, *robust_));
      WriteWhole(files, *reportFile_, "report", json);
    }
#ifdef QUILLMERE_OPTIMISE_PLOT
    if (plotFile_) {
      auto params = std::make_unique<ParameterSet>();
      auto state = std::make_unique<SimulationState>();
      CaseRequest request;
      request.Series = true;
      const CaseResult run = RunCase(optimum, separator_, *params, *state, request);
      const RunSeries& series = *run.Series;
      StagedOutput& picture = files.Add(*plotFile_, "picture", "write");
      picture.Close();
      plot::SaveOptimumCharts(series, problem_.Limits, picture.WrittenTo());
    }
#endif
    files.CommitAll();
  }

  std::string dataFile_;
  std::string maximise_;
  std::string minimise_;
  std::vector<std::string> freeTexts_;
  std::vector<std::string> limitTexts_;
  std::optional<std::string> outputFile_;
  std::optional<std::string> reportFile_;
  std::optional<std::string> plotFile_;
  OptimiseOptions options_;
  SolventOptions solvents_;
  ErrorBarsOptions errorBars_;
  std::optional<FitUncertainty> fit_;    //!< --uncertainty: the fit report read
  std::optional<RobustOptions> robust_;  //!< with it, the robust optimum's confidence
  std::string separatorText_;
  char separator_ = '.';
  OptimiseProblem problem_;
  std::shared_ptr<SolventLibrary> library_ = std::make_shared<SolventLibrary>();
};

void OptimiseProgram::Declare(CLI::App& app) {
  app.footer(FooterWithExitStatuses(
      "Objectives: an input (--maximise Speed, which must be free), or a result: "
      "ExitResidual1, ExitResidual2 (the residual ratios at the exit), WebTemperature (the "
      "highest), Energy (kW, needs the plant inputs).\n\n"
      "Limits, any combination: ExitResidual1<=X, ExitResidual2<=X, WebTemperature<=T (deg C, "
      "anywhere), NoBoiling (the coating's surface vapour pressure at most 95 % of 760 mmHg), "
      "NoBoiling:F (at most the share F), LEL<=P (every zone's exhaust at most P % of its LEL), "
      "LEL (every zone within its own limit), Energy<=KW. LEL and Energy need the plant inputs.\n\n"
      "Free inputs take the names of sweep: Speed, Zone2.OuterTemperature, Zone3.ZoneLength, "
      "... A free zone length is taken in whole increments of z, as the model marches it.\n\n"
      "Where no setting found meets every limit (exit status 5) the report says which limits "
      "the nearest misses, and by how much."));
  app.add_option("DATAFILE", dataFile_, "The line's data file (\"-\": standard input)")->required();
  auto* maxOption =
      app.add_option("--maximise,--maximize", maximise_, "Maximise this input or result")
          ->type_name("NAME");
  auto* minOption =
      app.add_option("--minimise,--minimize", minimise_, "Minimise this result or input")
          ->type_name("NAME");
  maxOption->excludes(minOption);
  app.add_option("--free", freeTexts_, "An input left free within its range; repeat for several")
      ->type_name("NAME=LO:HI")
      ->required();
  app.add_option("--limit", limitTexts_, "A limit every setting must meet; repeat for several")
      ->type_name("EXPR");
  app.add_option("-o,--output", outputFile_,
                 "Write the optimum's data file (\"-\": standard output), to load with \"Input "
                 "Data File\"; not written when no setting meets every limit")
      ->type_name("OPTIMAL.dat");
  app.add_option("--report", reportFile_, "Write the report as JSON (\"-\": standard output)")
      ->type_name("OPT.json");
#ifdef QUILLMERE_OPTIMISE_PLOT
  app.add_option("--plot", plotFile_,
                 "Draw the optimum's curves with the limits as lines, into an SVG or PNG file")
      ->type_name("OPT.svg|OPT.png")
      ->check(ChartFileValidator());
#endif
  app.add_option("--starts", options_.Starts,
                 "Local searches: the data file's setting, then points spread over the ranges")
      ->capture_default_str()
      ->check(CLI::Range(1, 1000));
  app.add_option("--jobs", options_.Jobs, "Threads (0: one per core)")
      ->capture_default_str()
      ->check(CLI::Range(0, 1024));
  app.add_option("--seed", options_.Seed, "Seed of the spread of starts")
      ->capture_default_str()
      ->check(WholeNumberValidator(std::numeric_limits<std::uint64_t>::max()));
  app.add_option("--max-runs", options_.MaxRunsPerStart, "Most model runs of one local search")
      ->capture_default_str()
      ->check(CLI::Range(10, 100000));
  solvents_.AddTo(app);
  errorBars_.AddTo(app, ErrorBarsCommand::Study);
  AddDecimalSeparatorOption(app, separatorText_, "data files");
}

}  // namespace
}  // namespace quillmere

int main(int argc, char** argv) {
  CLI::App app{
      "Finds the setting of the free inputs that maximises or minimises the objective while "
      "every limit is met: local searches (COBYLA) from several starts spread over the free "
      "inputs' ranges, on every core. Reports the optimum, each limit's value, margin and where "
      "in the dryer it binds, what relaxing a binding limit by 1 % would gain, and the other "
      "local optima found.",
      "quillmere-cli optimise"};
  quillmere::OptimiseProgram program(app);
  return quillmere::ProgramMain(app, argc, argv, program, "optimisation");
}
