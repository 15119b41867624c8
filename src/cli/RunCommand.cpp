// run: one calculation from the default texts, or from a data file applied over them as the
// window's "Input Data File" does; the result file as the window writes it, the run as CSV
// and JSON when asked for, a summary of the web at each zone's exit and the physical warnings.
#include <filesystem>
#include <memory>
#include <optional>
#include <string>
#include <system_error>
#include <vector>

#include "analysis/CaseRun.h"
#include "analysis/plant/PlantReport.h"
#include "analysis/plant/ZoneAirFromExhaust.h"
#include "base/Error.h"
#include "base/FormatFixed.h"
#include "base/PrintableText.h"
#include "base/Text.h"
#include "cli/Command.h"
#include "cli/CommandLine.h"
#include "cli/DataFileArgument.h"
#include "cli/ErrorBarsOptions.h"
#include "cli/SolventOptions.h"
#include "cli/StreamMessages.h"
#include "params/AcquireParameters.h"
#include "params/MemoryFieldTexts.h"
#include "params/PlantInputs.h"
#include "report/DataFile.h"
#include "report/FileIO.h"
#include "report/OutputClash.h"
#include "report/RunExport.h"
#include "sim/RunSeries.h"

namespace quillmere {
namespace {

constexpr std::string_view kDefaultResultFile = "result.txt";

//! A file name as the summary names it.
std::string SummaryName(const std::string& file) {
  return file == kStandardStream ? "standard output" : PrintableText(file);
}

//! The files of a run besides the result file.
struct ExportFiles {
  std::optional<std::string> Csv;
  std::optional<std::string> Json;
  std::optional<std::string> ZonesCsv;  //!< the plant figures of each zone
};

//! What a run tells of the plant: the library the solvents in force come from and the plant
//! inputs.
struct PlantPart {
  SolventLibrary Library;
  std::optional<PlantInputs> Inputs;
};

//! One line per zone with the web's state where it leaves the zone, then the files written.
void PrintSummary(std::ostream& out, const RunRecord& record, const std::string& resultFile,
                  const ExportFiles& exports, char separator) {
  const auto column = [](const std::string& text, std::size_t width) {
    return text.size() < width ? std::string(width - text.size(), ' ') + text : text;
  };
  out << "ZONE    TIME (s)   TEMP (deg-C)   RESIDUAL RAT1   RESIDUAL RAT2\n";
  for (const TracePoint& exit : record.ZoneExits) {
    out << column(std::to_string(exit.Zone), 4)
        << column(FormatFixed(exit.Time, 8, 3, separator), 12)
        << column(FormatFixed(exit.Temperature, 6, 2, separator), 15)
        << column(FormatFixed(exit.Solvent1Residual, 6, 4, separator), 16)
        << column(FormatFixed(exit.Solvent2Residual, 6, 4, separator), 16) << '\n';
  }
  out << "Result file: " << SummaryName(resultFile) << '\n';
  if (exports.Csv) out << "CSV file: " << SummaryName(*exports.Csv) << '\n';
  if (exports.Json) out << "JSON file: " << SummaryName(*exports.Json) << '\n';
  if (exports.ZonesCsv) out << "Zones CSV file: " << SummaryName(*exports.ZonesCsv) << '\n';
}

//! The physical warnings of a run, one a line, after its summary or its fault.
void PrintWarnings(std::ostream& err, const RunRecord& record) {
  for (const PhysicalWarning& warning : record.Warnings) err << "Warning: " << warning.Text << '\n';
  err.flush();
}

//! Writes a whole export: to standard output for "-", else to a file created afresh.
void WriteExport(const std::string& name, const std::string& kind, std::string_view text) {
  if (name == kStandardStream) {
    OutputFile::StandardOutput(kind).Write(text);
    return;
  }
  OutputFile file = OutputFile::Open(name, OutputFile::Mode::Create, kind);
  file.Truncate();
  file.Write(text);
  file.Close();
}

//! Where in the dryer a fault ended the run: "in zone 3 at 4.20 m (64.20 m from the dryer's
//! entry)".

//! What of the result file a run that ended on a fault wrote: every block before the faulty
//! zone's table.
std::string ResultFileExtent(const RunFault& fault, const std::string& resultFile) {
  const std::string name =
      resultFile == kStandardStream ? "written to standard output" : Quoted(resultFile);
  const int zone = fault.Zone;
  if (zone <= 1) return "The result file " + name + " holds the echo of the inputs only.";
  const std::string tables =
      zone == 2 ? "the table of zone 1" : "the tables of zones 1 to " + std::to_string(zone - 1);
  return "The result file " + name + " holds the echo of the inputs, " + tables +
         " and the conditions of zone " + std::to_string(zone) + ", without its table.";
}

class RunCommand : public Command {
 public:
  explicit RunCommand(CLI::App& app) {
    CLI::App* run = subcommand_ = app.add_subcommand(
        "run",
        "Run one calculation from the default inputs, or from DATAFILE applied over them as the "
        "window's \"Input Data File\" button does, and print the web's state at each zone's "
        "exit and the warnings where the inputs leave the model's range");
    run->add_option(
           "DATAFILE", dataFile_,
           "Data file of 119 \"label = value\" lines and the plant lines after them (\"-\" "
           "reads standard input)")
        ->type_name("FILE");
    run->add_option("-o,--output", resultFile_,
                    "Result file name, as typed in the save file field (\"-\" writes standard "
                    "output; the summary then goes to standard error)")
        ->type_name("RESULT")
        ->capture_default_str();
    run->add_option("--csv", exports_.Csv,
                    "Also write every computed point of the run as CSV, \".\" decimals, to FILE "
                    "(\"-\": standard output)")
        ->type_name("FILE");
    run->add_option("--json", exports_.Json,
                    "Also write the run (inputs, zones, warnings, how it ended, every point) as "
                    "JSON to FILE (\"-\": standard output)")
        ->type_name("FILE");
    run->add_option("--zones-csv", exports_.ZonesCsv,
                    "Also write each zone's plant figures (solvent evaporated, LEL, exhaust, heat) "
                    "as CSV to FILE (\"-\": standard output); needs the web width")
        ->type_name("FILE");
    solvents_.AddTo(*run);
    errorBars_.AddTo(*run, ErrorBarsCommand::Run);
  }

  int Execute(char separator, std::ostream& out, std::ostream& err) override {
    StreamMessages messages(err);
    // What goes to standard output: one of the result file, the CSV and the JSON at most,
    // and the summary only when none of them does (they would overwrite each other).
    const std::optional<FileIdentity> output = IdentityOfDescriptor(1);
    const auto onOutput = [&](const std::string& name) {
      return name == kStandardStream || (output && IdentityOfPath(name) == output);
    };
    std::vector<std::string> onStandardOutput;
    if (onOutput(resultFile_)) onStandardOutput.emplace_back("the result file");
    if (exports_.Csv && onOutput(*exports_.Csv)) onStandardOutput.emplace_back("the CSV");
    if (exports_.Json && onOutput(*exports_.Json)) onStandardOutput.emplace_back("the JSON");
    if (exports_.ZonesCsv && onOutput(*exports_.ZonesCsv)) {
      onStandardOutput.emplace_back("the zones CSV");
    }
    if (errorBars_.FiguresCsv && onOutput(*errorBars_.FiguresCsv)) {
      onStandardOutput.emplace_back("the figures CSV");
    }
    if (onStandardOutput.size() > 1) {
      std::string sentence = ListedInSentence(onStandardOutput);
      sentence[0] = 'T';  // "the result file, ..."
      err << sentence << (onStandardOutput.size() == 2 ? " cannot both" : " cannot all")
          << " go to standard output: write all but one of them to files.\n";
      return ExitStatus(ErrorKind::Usage);
    }
    // No output over the data file, nor two outputs into one file, before anything is read.
    OutputClashCheck files("run");
    if (dataFile_) files.Input("data file", DataFileArgumentName(*dataFile_));
    solvents_.AddInputsTo(files);
    files.Output("result file", resultFile_);
    if (exports_.Csv) files.Output("CSV file", *exports_.Csv);
    if (exports_.Json) files.Output("JSON file", *exports_.Json);
    if (exports_.ZonesCsv) files.Output("zones CSV file", *exports_.ZonesCsv);
    if (errorBars_.UncertaintyFile) files.Input("fit report", *errorBars_.UncertaintyFile);
    if (errorBars_.FiguresCsv) files.Output("figures CSV file", *errorBars_.FiguresCsv);
    if (const std::optional<std::string> clash = files.FirstClash()) {
      err << *clash << '\n';
      return ExitStatus(ErrorKind::Usage);
    }
    std::ostream& summary = onStandardOutput.empty() ? out : err;

    std::optional<FitUncertainty> fit;
    if (const int status = ExitStatusOf([&] { fit = errorBars_.Validate(); }, messages)) {
      return status;
    }

    try {
      MemoryFieldTexts fields(separator);
      ResultFileOptions options;
      if (dataFile_) {
        Outcome<LoadedDataFile> read = LoadDataFileArgument(*dataFile_, fields, messages);
        if (!read.Ok()) return ExitStatus(read.Why().Kind());
        options.DataFile = std::move(read.Value());
        messages.SetDataFile(options.DataFile->Name,
                             DataFileReadingHint(options.DataFile->Lines, separator));
        for (const std::string& warning : options.DataFile->PlantLineWarnings) {
          messages.ShowWarning(warning);
        }
      }
      std::optional<PlantPart> plant;
      if (const int status = ExitStatusOf([&] { plant = Plant(fields, separator); }, messages)) {
        return status;
      }
      for (const std::string& warning : plant->Library.UnreadWarnings()) {
        messages.ShowWarning(warning);
      }
      if (exports_.ZonesCsv && !plant->Inputs) {
        err << "--zones-csv needs the plant inputs: give the web width (WebWidth) in the data "
               "file's plant lines.\n";
        return ExitStatus(ErrorKind::Usage);
      }
      if (options.DataFile) {
        for (const std::string& warning :
             IgnoredFixedConstantLines(*options.DataFile, fields, separator)) {
          messages.ShowWarning(warning);
        }
      }
      if (const std::optional<std::string> warning = UnreachedZonesWarning(fields, separator)) {
        messages.ShowWarning(*warning);
      }
      if (const std::optional<std::string> warning = WeightRatioSumWarning(fields, separator)) {
        messages.ShowWarning(*warning);
      }
      // The error bars' own runs; with --step auto the step is chosen before the run.
      const CaseRequest plantCase = PlantCaseRequest(plant->Library, fields, plant->Inputs);
      FigureModel model(separator, plantCase.Plant ? std::optional<PlantContext>(PlantContext{
                                                         *plantCase.Plant, *plantCase.Solvents})
                                                   : std::nullopt);
      std::optional<StepChoice> choice;
      if (const int status =
              ExitStatusOf([&] { choice = ChooseStepFor(errorBars_, fields, model); }, messages)) {
        return status;
      }
      fields.SetText("Edit250", resultFile_);
      options.ToStandardOutput = resultFile_ == kStandardStream;

      // Both live as long as a run of the window's program would keep them; the state is large.
      auto params = std::make_unique<ParameterSet>();
      auto state = std::make_unique<SimulationState>();
      if (plant->Inputs) {
        // The zones whose air follows from their exhaust get their humidities first.
        for (const std::string& warning :
             ZoneAirFromExhaust(fields, separator, *plant->Inputs,
                                PlantSolventsOf(plant->Library, fields), *params, *state)
                 .Warnings) {
          messages.ShowWarning(warning);
        }
      }
      CaseRequest request = PlantCaseRequest(plant->Library, fields, plant->Inputs);
      request.Series = true;
      request.ResultFile = std::move(options);
      const CaseResult result = RunCase(fields, messages, separator, *params, *state, request);
      if (result.Finished()) {
        RunErrorBars bars = RunBars(fields, model, fit, *params, *state, result.Record, messages);
        bars.Choice = choice;
        WriteExports(fields, separator, *params, *state, result, *plant,
                     ErrorBarsJsonMembers(bars.Parts()));
        if (errorBars_.FiguresCsv) {
          WriteExport(*errorBars_.FiguresCsv, "figures CSV file", ErrorBarsCsv(bars.Parts()));
        }
        if (result.SolventsNamed(plant->Inputs.has_value())) {
          summary << SolventLines(plant->Library, fields);
        }
        PrintSummary(summary, result.Record, resultFile_, exports_, separator);
        if (result.Figures) {
          summary << PlantSummaryText(*result.Figures, *plant->Inputs, separator);
        }
        summary << bars.SummaryText(separator);
        summary.flush();
        if (!summary) {
          err << "Could not write the summary: the output is full or closed.\n";
          return ExitStatus(ErrorKind::File);
        }
        PrintWarnings(err, result.Record);
        for (const std::string& warning : result.LelWarnings()) messages.ShowWarning(warning);
        for (const std::string& warning : result.AntoineWarnings) messages.ShowWarning(warning);
        return kExitFinished;
      }
      if (result.Marched()) {
        messages.ShowDetail(FaultPlace(*result.Record.Fault, separator));
        messages.ShowDetail(ResultFileExtent(*result.Record.Fault, resultFile_));
        // The zones finished before the fault, and how the run ended.
        try {
          WriteExports(fields, separator, *params, *state, result, *plant);
        } catch (const FileError& e) {
          messages.ShowError(ErrorBoxText(e.what()));
        }
        PrintWarnings(err, result.Record);
      }
      return ExitStatus(*result.Ending);
    } catch (const Error& e) {
      messages.ShowError(ErrorBoxText(e.what()));
      return ExitStatus(e.Kind());
    } catch (const std::exception& e) {
      messages.ShowError(ErrorBoxText(e.what()));
      return ExitStatus(ErrorKind::RunFault);
    }
  }

 private:
  //! The solvents in force (the library's constants put into their fields) and the plant
  //! inputs. Throws quillmere::Error when they are refused.
  PlantPart Plant(FieldTexts& fields, char separator) const {
    PlantPart plant;
    plant.Library = solvents_.Apply(fields, separator);
    plant.Inputs = AcquirePlantInputs(fields, separator);
    return plant;
  }

  //! The error bars asked for of the finished run; a coarser or perturbed run that does not
  //! finish leaves them out with a warning.
  RunErrorBars RunBars(const MemoryFieldTexts& fields, FigureModel& model,
                       const std::optional<FitUncertainty>& fit, const ParameterSet& params,
                       const SimulationState& state, const RunRecord& record,
                       StreamMessages& messages) const {
    if (!errorBars_.StepError && !fit) return {};
    const PlantContext* context = model.Plant() ? &*model.Plant() : nullptr;
    try {
      return ErrorBarsOf(errorBars_, fit, fields, model,
                         ExitFiguresOf(params, state, record, context));
    } catch (const Error& e) {
      messages.ShowWarning(e.what());
      return {};
    }
  }

  //! The CSV, the zones CSV and the JSON of the zones the run computed, as asked for.
  void WriteExports(const FieldTexts& fields, char separator, const ParameterSet& params,
                    const SimulationState& state, const CaseResult& result, const PlantPart& plant,
                    std::string_view moreJson = {}) const {
    const RunSeries& series = *result.Series;
    if (exports_.Csv) WriteExport(*exports_.Csv, "CSV file", RunCsv(series));
    if (exports_.ZonesCsv && result.Figures) {
      WriteExport(*exports_.ZonesCsv, "zones CSV file", PlantZonesCsv(*result.Figures));
    }
    if (exports_.Json) {
      WriteExport(*exports_.Json, "JSON file",
                  RunJson(fields, separator, params, state.EntryTemperature(), series,
                          MergedJsonMembers(
                              PlantJsonMembers(plant.Library, fields, plant.Inputs, result.Figures),
                              moreJson)));
    }
  }

  std::optional<std::string> dataFile_;
  SolventOptions solvents_;
  ErrorBarsOptions errorBars_;
  std::string resultFile_{kDefaultResultFile};
  ExportFiles exports_;
};

}  // namespace

std::unique_ptr<Command> AddRunCommand(CLI::App& app) {
  return std::make_unique<RunCommand>(app);
}

}  // namespace quillmere
