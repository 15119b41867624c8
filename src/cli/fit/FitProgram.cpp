// quillmere-fit, run as "quillmere-cli fit": the fitting parameters that best explain the
// measurements of one or more trials, with their uncertainty, as a report; the first trial's
// data file with the fitted values.
#include <glog/logging.h>
#include <CLI/CLI.hpp>

#include <csignal>
#include <filesystem>
#include <iostream>
#include <optional>
#include <string>
#include <vector>

#include "analysis/fit/Fit.h"
#include "analysis/fit/FitReport.h"
#include "base/Error.h"
#include "base/PrintableText.h"
#include "cli/CommandLine.h"
#include "cli/DataFileArgument.h"
#include "cli/DecimalSeparator.h"
#include "cli/ErrorBarsOptions.h"
#include "cli/SolventOptions.h"
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

int RunFit(int argc, const char* const* argv, std::ostream& out, std::ostream& err) {
  CLI::App app{
      "Fits the fitting parameters (Wi, We, Wx, Wy, Keff, Chi1p, Chi2p, Chi12) to measurements "
      "of one or more trials by least squares, and reports the fitted values, their standard "
      "errors, 95 % intervals and correlations, and how well the model explains each trial.",
      "quillmere-cli fit"};
  app.footer(
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
      "Exit status: 0 fitted, an optimum to trust; 1 a data file, a measurement file or the "
      "start values were refused; 2 a file could not be opened, read or written; 3 the solver "
      "failed; 4 the fit is not to be trusted: the solver stopped without converging, a "
      "parameter stalled at a bound of We <= Wx <= Wi, or the fit is poor (with sigmas: the "
      "sum of squares above the 99.9 % quantile of chi-square for its degrees of freedom); 64 "
      "a wrong command line.");

  std::vector<std::string> trialTexts;
  std::vector<std::string> freeLists;
  std::vector<std::string> boundTexts;
  Outputs outputs;
  int maxIterations = 200;
  int starts = 0;
  std::string separatorText;
  app.add_option("--trial", trialTexts,
                 "A trial: its data file (the line's settings) and its measurements, joined by "
                 "\":\"; repeat for several trials (\"-\" reads one from standard input)")
      ->type_name("DATAFILE:MEASURED.csv")
      ->required();
  app.add_option("--free", freeLists,
                 "The parameters to fit, shared by all trials, separated by commas")
      ->type_name("NAME,...")
      ->required();
  app.add_option("--bounds", boundTexts,
                 "Bounds of a free parameter instead of the default ones; a side left empty is "
                 "unbounded (Keff=0.1:2, Chi12=:1)")
      ->type_name("NAME=LO:HI");
  app.add_option("-o,--output", outputs.dataFile,
                 "Write the first trial's data file with the fitted values (\"-\": standard "
                 "output), to load with \"Input Data File\"")
      ->type_name("FITTED.dat");
  app.add_option("--report", outputs.report, "Write the report as JSON (\"-\": standard output)")
      ->type_name("FIT.json");
#ifdef QUILLMERE_FIT_PLOT
  app.add_option("--plot", outputs.plot,
                 "Draw the measured points against the fitted curves and, faint, the starting "
                 "curves, one line style a trial, a chart a quantity, into an SVG or PNG file")
      ->type_name("FIT.svg|FIT.png")
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
  app.add_option("--max-iterations", maxIterations,
                 "Most iterations of the local fit that polishes the best optimum, and of each "
                 "profile point's (a start of the search stops at 50)")
      ->capture_default_str()
      ->check(CLI::Range(1, 10000));
  app.add_option("--starts", starts,
                 "Local fits of the global search, the first from the data file's values "
                 "(default: 4 a free parameter, and 4)")
      ->check(CLI::Range(1, 10000));
  ErrorBarsOptions errorBars;
  errorBars.AddTo(app, ErrorBarsCommand::Fit);
  AddDecimalSeparatorOption(app, separatorText, "data files");
  try {
    app.parse(argc, argv);
  } catch (const CLI::ParseError& e) {
    return ReportParseError(app, e, out, err, ExitStatus(ErrorKind::Usage));
  }
  const char separator = separatorText.empty() ? UserDecimalSeparator() : separatorText[0];

  std::vector<FreeParameter> free;
  try {
    free = ParseFreeParameters(freeLists);
    ApplyBounds(free, boundTexts, separator);
  } catch (const FitParameterError& e) {
    err << PrintableText(e.what()) << '\n';
    return ExitStatus(e.Kind());
  }
  int standardInputs = 0;
  int standardOutputs = (outputs.dataFile == kStandardStream) + (outputs.report == kStandardStream);
  std::vector<std::pair<std::string, std::string>> files;
  for (const std::string& text : trialTexts) {
    const std::size_t colon = text.rfind(':');
    if (colon == std::string::npos || colon == 0 || colon + 1 == text.size()) {
      err << "--trial " << Quoted(text) << ": write DATAFILE:MEASURED.csv\n";
      return ExitStatus(ErrorKind::Usage);
    }
    files.emplace_back(text.substr(0, colon), text.substr(colon + 1));
    standardInputs +=
        (files.back().first == kStandardStream) + (files.back().second == kStandardStream);
  }
  if (standardInputs > 1 || standardOutputs > 1) {
    err << "Only one file can be read from standard input, and only one written to standard "
           "output.\n";
    return ExitStatus(ErrorKind::Usage);
  }
  std::ostream& report = standardOutputs > 0 ? err : out;
  // A trial's files are left as they are: no output may be written over one of them, nor two
  // outputs into one file.
  OutputClashCheck clashes("fit");
  for (const auto& [dataFile, measurementFile] : files) {
    clashes.Input("data file", DataFileArgumentName(dataFile));
    clashes.Input("measurement file", measurementFile);
  }
  if (outputs.dataFile) clashes.Output("fitted data file", *outputs.dataFile);
  if (outputs.report) clashes.Output("report", *outputs.report);
  if (outputs.plot) clashes.Output("chart file", *outputs.plot);
  if (const std::optional<std::string> clash = clashes.FirstClash()) {
    err << *clash << '\n';
    return ExitStatus(ErrorKind::Usage);
  }

  std::vector<FitTrial> trials;
  for (const auto& [dataFile, measurementFile] : files) {
    StreamMessages messages(err);
    FitTrial trial{dataFile, MemoryFieldTexts(separator), {}};
    const Outcome<LoadedDataFile> loaded = LoadDataFileArgument(dataFile, trial.Fields, messages);
    if (!loaded.Ok()) return ExitStatus(loaded.Why().Kind());
    // The solvents the data file names put their fixed constants into the trial's fields.
    const SolventOptions solvents;
    if (const int status =
            ExitStatusOf([&] { solvents.Apply(trial.Fields, separator); }, messages)) {
      return status;
    }
    // --step auto: each trial's step chosen at its data file's values.
    if (const int status = ExitStatusOf(
            [&] {
              errorBars.Validate();
              FigureModel model(separator, std::nullopt);
              if (const auto choice = ChooseStepFor(errorBars, trial.Fields, model)) {
                report << PrintableText(dataFile) << ": " << StepChoiceText(*choice, separator);
              }
            },
            messages)) {
      return status;
    }
    try {
      trial.Measurements = ReadMeasurements(measurementFile);
    } catch (const Error& e) {
      err << PrintableText(e.what()) << '\n';
      return ExitStatus(e.Kind());
    }
    trials.push_back(std::move(trial));
  }
  try {
    FitOptions options;
    options.DecimalSeparator = separator;
    options.MaxIterations = maxIterations;
    options.Starts = starts;
    Fit fit(std::move(trials), std::move(free), options);
    const FitResult result = fit.Solve();
    report << FitReportText(result, separator) << std::flush;
    if (outputs.dataFile && *outputs.dataFile != kStandardStream) {
      WriteDataFile(*outputs.dataFile, fit.FittedFields(result));
    } else if (outputs.dataFile) {
      WriteFile(*outputs.dataFile, "data file", DataFileText(fit.FittedFields(result)), out);
    }
    if (outputs.report) WriteFile(*outputs.report, "report", FitReportJson(result), out);
#ifdef QUILLMERE_FIT_PLOT
    if (outputs.plot) plot::SaveFitCharts(result, *outputs.plot);
#endif
    if (result.Failed) {
      err << "The solver failed: " << PrintableText(result.StopReason) << '\n';
      return ExitStatus(ErrorKind::RunFault);
    }
    if (!result.Trustworthy()) {
      for (const std::string& doubt : result.Doubts) {
        err << "The fit is not to be trusted: " << PrintableText(doubt) << '\n';
      }
      return FinishedFitStatus(result);
    }
    return kExitFinished;
  } catch (const FitRefused& e) {
    err << PrintableText(e.what()) << '\n';
    for (const std::string& detail : e.DetailLines()) err << PrintableText(detail) << '\n';
    return ExitStatus(e.Kind());
  } catch (const FitParameterError& e) {
    err << PrintableText(e.what()) << '\n';
    return ExitStatus(e.Kind());
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
  std::signal(SIGPIPE, SIG_IGN);
  // The solver's library logs through glog: nothing of it is for the user, and it must write no
  // log files.
  FLAGS_logtostderr = true;
  FLAGS_minloglevel = google::GLOG_FATAL;
  google::InitGoogleLogging(argv[0]);
  return quillmere::RunFit(argc, argv, std::cout, std::cerr);
}
