// quillmere-optimise, run as "quillmere-cli optimise": the best setting of the free inputs
// (the fastest line, or the cheapest, or the driest) that meets every limit, with a report of
// the limits that bind and where; the data file of the optimum, its JSON report and its curves.
#include <unistd.h>

#include <CLI/CLI.hpp>

#include <atomic>
#include <cerrno>
#include <chrono>
#include <condition_variable>
#include <csignal>
#include <exception>
#include <filesystem>
#include <iostream>
#include <mutex>
#include <optional>
#include <string>
#include <thread>
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
#include "cli/ProgressBar.h"
#include "cli/SolventOptions.h"
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

//! Set by the first Ctrl-C; a second one ends the program at once.
std::atomic<bool> interrupted{false};

extern "C" void OnInterrupt(int /*signal*/) {
  interrupted.store(true);
}

//! Remembers whether the data file could not be opened or read (a file problem) rather than
//! being refused (an input problem).
void WriteFile(const std::string& path, std::string_view kind, std::string_view bytes,
               std::ostream& out) {
  if (path == kStandardStream) {
    out.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
    out.flush();
    if (!out) throw FileError("Could not write the " + std::string(kind) + " to standard output");
    return;
  }
  OutputFile file = OutputFile::Open(path, OutputFile::Mode::Create, std::string(kind));
  file.Truncate();
  file.Write(bytes);
  file.Close();
}

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

//! Refuses, before the first run, an output that could not be written after the search: its
//! folder missing or not writable, or the file there and not writable.
void CheckWritable(const std::optional<std::string>& path, std::string_view kind) {
  if (!path || *path == kStandardStream) return;
  const std::filesystem::path file(*path);
  const std::filesystem::path folder =
      file.has_parent_path() ? file.parent_path() : std::filesystem::path(".");
  const bool exists = ::access(file.c_str(), F_OK) == 0;
  const int failed = exists ? ::access(file.c_str(), W_OK) : ::access(folder.c_str(), W_OK | X_OK);
  if (failed != 0) {
    throw FileError("Could not create the " + std::string(kind) + " " + Quoted(*path) + ": " +
                    SystemReason(errno));
  }
}

//! Runs the search on a thread of its own while this one watches for an interrupt and draws
//! the progress bar (local searches done of all).
OptimiseResult RunSearch(const OptimiseProblem& problem, const MemoryFieldTexts& base,
                         const OptimiseOptions& options, bool progressBar, std::ostream& err) {
  OptimiseControl control;
  OptimiseResult result;
  std::exception_ptr failure;
  std::mutex mutex;
  std::condition_variable finishedChanged;
  bool finished = false;
  const auto start = std::chrono::steady_clock::now();
  std::thread runner([&] {
    try {
      result = Optimise(problem, base, options, control);
    } catch (...) {
      failure = std::current_exception();
    }
    const std::lock_guard lock(mutex);
    finished = true;
    finishedChanged.notify_all();
  });
  {
    std::unique_lock lock(mutex);
    while (!finishedChanged.wait_for(lock, std::chrono::milliseconds(200),
                                     [&finished] { return finished; })) {
      if (interrupted.load()) control.Stop.store(true);
      if (progressBar) {
        const double elapsed =
            std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
        err << '\r'
            << ProgressLine(control.StartsDone.load(), static_cast<std::size_t>(options.Starts),
                            elapsed, TerminalWidth(2) - 1)
            << std::flush;
      }
    }
  }
  runner.join();
  if (progressBar) err << '\r' << std::string(TerminalWidth(2) - 1, ' ') << '\r' << std::flush;
  if (failure) std::rethrow_exception(failure);
  return result;
}

int RunOptimise(int argc, const char* const* argv, std::ostream& out, std::ostream& err,
                bool progressBar) {
  CLI::App app{
      "Finds the setting of the free inputs that maximises or minimises the objective while "
      "every limit is met: a design of settings spread over the free inputs' ranges, local "
      "searches (COBYLA) from the best of them, and restarts from the best end until they no "
      "longer improve it, on every core. Reports the optimum, each limit's value, margin and where "
      "in the dryer it binds, what relaxing a binding limit by 1 % would gain, and the other "
      "local optima found.",
      "quillmere-cli optimise"};
  app.footer(
      "Objectives: an input (--maximise Speed, which must be free), or a result: "
      "ExitResidual1, ExitResidual2 (the residual ratios at the exit), WebTemperature (the "
      "highest), Energy (kW, needs the plant inputs).\n\n"
      "Limits, any combination: ExitResidual1<=X, ExitResidual2<=X, WebTemperature<=T (deg C, "
      "anywhere), NoBoiling (the coating's surface vapour pressure at most 95 % of 760 mmHg), "
      "NoBoiling:F (at most the share F), LEL<=P (every zone's exhaust at most P % of its LEL), "
      "LEL (every zone within its own limit), Energy<=KW. LEL and Energy need the plant inputs.\n\n"
      "Free inputs take the names of sweep: Speed, Zone2.OuterTemperature, Zone3.ZoneLength, "
      "... A free zone length is taken in whole increments of z, as the model marches it.\n\n"
      "Exit status: 0 an optimum: a setting that meets every limit, where a limit binds or "
      "every free input is at a bound, and that restarts from it no longer improve; 4 a "
      "setting that meets every limit but is not shown to be the optimum (the report says "
      "which check failed; -o still writes it); 5 no setting found meets every limit (the "
      "report says which limits the nearest misses, and by how much); 1 the data file was "
      "refused; 2 a file could not be opened, read or written; 3 another error; 64 a wrong "
      "command line (also a free input that cannot change the answer or is not a setting of "
      "the line, a limit no setting can meet); 130 interrupted.");
  std::string dataFile;
  std::string maximise;
  std::string minimise;
  std::vector<std::string> freeTexts;
  std::vector<std::string> limitTexts;
  std::optional<std::string> outputFile;
  std::optional<std::string> reportFile;
  std::optional<std::string> plotFile;
  OptimiseOptions options;
  SolventOptions solvents;
  ErrorBarsOptions errorBars;
  std::string separatorText;
  app.add_option("DATAFILE", dataFile, "The line's data file (\"-\": standard input)")->required();
  auto* maxOption =
      app.add_option("--maximise,--maximize", maximise, "Maximise this input or result")
          ->type_name("NAME");
  auto* minOption =
      app.add_option("--minimise,--minimize", minimise, "Minimise this result or input")
          ->type_name("NAME");
  maxOption->excludes(minOption);
  app.add_option("--free", freeTexts, "An input left free within its range; repeat for several")
      ->type_name("NAME=LO:HI")
      ->required();
  app.add_option("--limit", limitTexts, "A limit every setting must meet; repeat for several")
      ->type_name("EXPR");
  app.add_option("-o,--output", outputFile,
                 "Write the optimum's data file (\"-\": standard output), to load with \"Input "
                 "Data File\"; not written when no setting meets every limit")
      ->type_name("OPTIMAL.dat");
  app.add_option("--report", reportFile, "Write the report as JSON (\"-\": standard output)")
      ->type_name("OPT.json");
#ifdef QUILLMERE_OPTIMISE_PLOT
  app.add_option("--plot", plotFile,
                 "Draw the optimum's curves with the limits as lines, into an SVG or PNG file")
      ->type_name("OPT.svg|OPT.png")
      ->check(CLI::Validator(
          [](const std::string& path) {
            const std::string extension = std::filesystem::path(path).extension().string();
            return extension == ".svg" || extension == ".png" || extension == ".SVG" ||
                           extension == ".PNG"
                       ? std::string()
                       : std::string("a chart file name ends in .svg or .png");
          },
          ""));
#endif
  app.add_option("--starts", options.Starts,
                 "Local searches: from the data file's setting, then from the best distinct "
                 "settings of the design")
      ->capture_default_str()
      ->check(CLI::Range(1, 1000));
  app.add_option("--jobs", options.Jobs, "Threads (0: one per core)")
      ->capture_default_str()
      ->check(CLI::Range(0, 1024));
  app.add_option("--seed", options.Seed, "Seed of the design")->capture_default_str();
  app.add_option("--max-runs", options.MaxRunsPerStart, "Most model runs of one local search")
      ->capture_default_str()
      ->check(CLI::Range(10, 100000));
  solvents.AddTo(app);
  errorBars.AddTo(app, ErrorBarsCommand::Study);
  AddDecimalSeparatorOption(app, separatorText, "data files");
  try {
    app.parse(argc, argv);
  } catch (const CLI::ParseError& e) {
    return ReportParseError(app, e, out, err, ExitStatus(ErrorKind::Usage));
  }
  const char separator = separatorText.empty() ? UserDecimalSeparator() : separatorText[0];
  options.DecimalSeparator = separator;

  OptimiseProblem problem;
  // The LEL and energy limits read the plant figures of the solvents in force, from the
  // library that is read once the data file is loaded.
  auto library = std::make_shared<SolventLibrary>();
  problem.Plant = PlantModelOf(library);
  try {
    if (maximise.empty() && minimise.empty()) {
      throw Error(ErrorKind::Usage, "Say what to optimise: --maximise NAME or --minimise NAME");
    }
    problem.Goal =
        maximise.empty() ? ParseObjective(minimise, false) : ParseObjective(maximise, true);
    for (const std::string& text : freeTexts) problem.Free.push_back(ParseFreeInput(text));
    for (const std::string& text : limitTexts) problem.Limits.push_back(ParseLimit(text));
    CheckProblem(problem);
    const int standardOutputs = (outputFile == kStandardStream) + (reportFile == kStandardStream);
    if (standardOutputs > 1) {
      throw Error(ErrorKind::Usage, "Only one file can be written to standard output.");
    }
    // No output over the data file, nor two outputs into one file.
    OutputClashCheck files("optimisation");
    files.Input("data file", DataFileArgumentName(dataFile));
    solvents.AddInputsTo(files);
    if (outputFile) files.Output("data file of the optimum", *outputFile);
    if (reportFile) files.Output("report", *reportFile);
    if (plotFile) files.Output("chart file", *plotFile);
    files.Check();
    CheckWritable(outputFile, "data file of the optimum");
    CheckWritable(reportFile, "report");
    CheckWritable(plotFile, "chart file");
  } catch (const Error& e) {
    err << PrintableText(e.what()) << '\n';
    return ExitStatus(e.Kind());
  }
  std::ostream& report = outputFile == kStandardStream || reportFile == kStandardStream ? err : out;

  StreamMessages messages(err);
  MemoryFieldTexts base(separator);
  if (const Outcome<LoadedDataFile> loaded = LoadDataFileArgument(dataFile, base, messages);
      !loaded.Ok()) {
    return ExitStatus(loaded.Why().Kind());
  }
  if (const int status = ExitStatusOf(
          [&] {
            *library = solvents.Apply(base, separator);
            CheckPlantInputs(problem, base, separator);
          },
          messages)) {
    return status;
  }
  // --step auto chooses the step at the data file's setting; --uncertainty makes the optimum
  // robust: the nominal one is searched first, to say what the uncertainty costs.
  std::optional<RobustOptions> robust;
  std::optional<FitUncertainty> fit;
  if (const int status = ExitStatusOf(
          [&] {
            fit = errorBars.Validate();
            FigureModel model(separator, std::nullopt);
            if (const auto choice = ChooseStepFor(errorBars, base, model)) {
              report << StepChoiceText(*choice, separator);
            }
            if (!fit) return;
            robust = RobustOptions{errorBars.ConfidencePercent / 100, errorBars.AutoStep()};
            problem.Margin = RobustMargin(*fit, FittingCentre(*fit, base, separator),
                                          IncrementOf(base, separator), *robust, separator);
          },
          messages)) {
    return status;
  }
  try {
    std::optional<OptimiseResult> nominal;
    if (robust) {
      OptimiseProblem plain = problem;
      plain.Margin = nullptr;
      nominal = RunSearch(plain, base, options, progressBar, err);
    }
    const OptimiseResult result = RunSearch(problem, base, options, progressBar, err);
    report << OptimiseReportText(problem, result) << std::flush;
    if (nominal) report << RobustCostText(problem, *nominal, result, *robust) << std::flush;
    if (result.Values.empty()) return ExitStatus(ErrorKind::Infeasible);
    const MemoryFieldTexts optimum = OptimumFields(problem, base, result, separator);
    if (fit && result.Feasible) report << OptimumIntervalsText(optimum, *fit, separator);
    // No optimum, no optimum's data file: the report and the curves show the nearest setting.
    if (outputFile && result.Feasible && *outputFile != kStandardStream) {
      WriteDataFile(*outputFile, optimum);
    } else if (outputFile && result.Feasible) {
      WriteFile(*outputFile, "data file", DataFileText(optimum), out);
    }
    if (reportFile) {
      std::string json = OptimiseReportJson(problem, result);
      if (nominal) json = WithJsonMembers(json, RobustJsonMembers(problem, *nominal, *robust));
      WriteFile(*reportFile, "report", json, out);
    }
#ifdef QUILLMERE_OPTIMISE_PLOT
    if (plotFile) {
      auto params = std::make_unique<ParameterSet>();
      auto state = std::make_unique<SimulationState>();
      CaseRequest request;
      request.Series = true;
      const CaseResult run = RunCase(optimum, separator, *params, *state, request);
      plot::SaveOptimumCharts(*run.Series, problem.Limits, *plotFile);
    }
#endif
    if (result.Stopped) return ExitStatus(ErrorKind::Interrupted);
    if (!result.Feasible) return ExitStatus(ErrorKind::Infeasible);
    return result.Doubts.empty() ? kExitFinished : ExitStatus(ErrorKind::Untrustworthy);
  } catch (const Error& e) {
    err << PrintableText(ErrorBoxText(e.what())) << '\n';
    return ExitStatus(e.Kind());
  } catch (const std::exception& e) {
    err << PrintableText(ErrorBoxText(e.what())) << '\n';
    return ExitStatus(ErrorKind::RunFault);
  }
}

}  // namespace
}  // namespace quillmere

int main(int argc, char** argv) {
  std::signal(SIGPIPE, SIG_IGN);  // a closed reader makes a write fail with its reason
  struct sigaction action {};
  action.sa_handler = quillmere::OnInterrupt;
  action.sa_flags = SA_RESETHAND;  // the next Ctrl-C is the default: the program ends
  sigemptyset(&action.sa_mask);
  sigaction(SIGINT, &action, nullptr);
  return quillmere::RunOptimise(argc, argv, std::cout, std::cerr, ::isatty(STDERR_FILENO) == 1);
}
