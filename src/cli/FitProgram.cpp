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

#include "analysis/Fit.h"
#include "analysis/FitReport.h"
#include "cli/CommandLine.h"
#include "cli/DataFileArgument.h"
#include "cli/DecimalSeparator.h"
#include "cli/StreamMessages.h"
#include "cli/Suggestions.h"
#include "params/PrintableText.h"
#include "report/DataFile.h"
#include "report/FileIO.h"
#ifdef QUILLMERE_FIT_PLOT
#include "plot/FitCharts.h"
#endif

namespace quillmere {
namespace {

//! Remembers whether a data file could not be opened or read (a file problem) rather than
//! being refused (an input problem).
class DataFileMessages : public StreamMessages {
 public:
  using StreamMessages::StreamMessages;
  void ShowMessage(std::string_view text) override {
    notOpened = notOpened || text == kDataFileCanNotOpen;
    StreamMessages::ShowMessage(text);
  }
  bool notOpened = false;
};

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
  int error = 0;
  std::optional<OutputFile> file =
      OutputFile::Open(path, OutputFile::Mode::Create, std::string(kind), error);
  if (!file) {
    throw FileError("Could not create the " + std::string(kind) + " " + Quoted(path) + ": " +
                    SystemReason(error));
  }
  file->Truncate();
  file->Write(bytes);
  file->Close();
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
                 "Draw the measured points against the fitted curves (solid) and the starting "
                 "curves (dashed) of each trial, a chart a quantity, into an SVG or PNG file")
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
  AddDecimalSeparatorOption(app, separatorText, "data files");
  try {
    app.parse(argc, argv);
  } catch (const CLI::ParseError& e) {
    return ReportParseError(app, e, out, err, kExitUsage);
  }
  const char separator = separatorText.empty() ? UserDecimalSeparator() : separatorText[0];

  std::vector<FreeParameter> free;
  try {
    free = ParseFreeParameters(freeLists);
    ApplyBounds(free, boundTexts, separator);
  } catch (const FitParameterError& e) {
    err << PrintableText(e.what()) << '\n';
    return kExitUsage;
  }
  int standardInputs = 0;
  int standardOutputs = (outputs.dataFile == kStandardStream) + (outputs.report == kStandardStream);
  std::vector<std::pair<std::string, std::string>> files;
  for (const std::string& text : trialTexts) {
    const std::size_t colon = text.rfind(':');
    if (colon == std::string::npos || colon == 0 || colon + 1 == text.size()) {
      err << "--trial " << Quoted(text) << ": write DATAFILE:MEASURED.csv\n";
      return kExitUsage;
    }
    files.emplace_back(text.substr(0, colon), text.substr(colon + 1));
    standardInputs +=
        (files.back().first == kStandardStream) + (files.back().second == kStandardStream);
  }
  if (standardInputs > 1 || standardOutputs > 1) {
    err << "Only one file can be read from standard input, and only one written to standard "
           "output.\n";
    return kExitUsage;
  }
  std::ostream& report = standardOutputs > 0 ? err : out;
  // A trial's files are left as they are: no output may be written over one of them, nor two
  // outputs into one file.
  const std::vector<std::pair<std::string, std::optional<std::string>>> written{
      {"fitted data file", outputs.dataFile},
      {"report", outputs.report},
      {"chart file", outputs.plot}};
  for (std::size_t i = 0; i < written.size(); ++i) {
    const auto& [kind, name] = written[i];
    if (!name || *name == kStandardStream) continue;
    const std::optional<FileIdentity> identity = IdentityOfPath(*name);
    for (std::size_t j = 0; j < i; ++j) {
      const std::optional<std::string>& other = written[j].second;
      if (other && (*other == *name || (identity && IdentityOfPath(*other) == identity))) {
        err << "The " << written[j].first << " and the " << kind << " cannot be the same file "
            << Quoted(*name) << ".\n";
        return kExitUsage;
      }
    }
    if (!identity) continue;
    for (const auto& [dataFile, measurementFile] : files) {
      for (const std::string& input : {dataFile, measurementFile}) {
        if (input != kStandardStream && IdentityOfPath(input) == identity) {
          err << "The " << kind << " " << Quoted(*name) << " is the file " << Quoted(input)
              << " of a trial, which is left as it is. Choose another " << kind << ".\n";
          return kExitUsage;
        }
      }
    }
  }

  std::vector<FitTrial> trials;
  for (const auto& [dataFile, measurementFile] : files) {
    DataFileMessages messages(err);
    FitTrial trial{dataFile, MemoryFieldTexts(separator), {}};
    const std::optional<LoadedDataFile> loaded =
        LoadDataFileArgument(dataFile, trial.Fields, messages);
    if (!loaded) return messages.notOpened ? kExitFileNotWritten : kExitInputRefused;
    try {
      trial.Measurements = ReadMeasurements(measurementFile);
    } catch (const FileError& e) {
      err << PrintableText(e.what()) << '\n';
      return kExitFileNotWritten;
    } catch (const MeasurementError& e) {
      err << PrintableText(e.what()) << '\n';
      return kExitInputRefused;
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
    std::string plotError;
    if (outputs.plot && !plot::SaveFitCharts(result, *outputs.plot, plotError)) {
      err << "Could not write the chart file: " << PrintableText(plotError) << '\n';
      return kExitFileNotWritten;
    }
#endif
    if (result.Failed) {
      err << "The solver failed: " << PrintableText(result.StopReason) << '\n';
      return kExitError;
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
    for (const std::string& detail : e.Details()) err << PrintableText(detail) << '\n';
    return kExitInputRefused;
  } catch (const FitParameterError& e) {
    err << PrintableText(e.what()) << '\n';
    return kExitInputRefused;
  } catch (const FileError& e) {
    err << PrintableText(ErrorBoxText(e.what())) << '\n';
    return kExitFileNotWritten;
  } catch (const DataFileWriteError& e) {
    err << PrintableText(ErrorBoxText(e.what())) << '\n';
    return kExitInputRefused;
  } catch (const std::exception& e) {
    err << PrintableText(ErrorBoxText(e.what())) << '\n';
    return kExitError;
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
