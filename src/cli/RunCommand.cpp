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
#include "cli/ProgramShell.h"
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

//! The error bars' own runs: the fit's uncertainty read, the model that runs the case's exit
//! figures (with its plant figures) and, with --step auto, the step chosen before the run.
struct ErrorBarsPart {
  std::optional<FitUncertainty> Fit;
  FigureModel Model;
  std::optional<StepChoice> Choice;
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
  RunCommand(CLI::App& app, const std::string& separatorText) : separatorText_(separatorText) {
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
    subcommand_->footer(ExitStatusHelp());
  }

  //! One of the result file, the CSV and the JSON at most goes to standard output, and the
  //! summary only when none of them does (they would overwrite each other); no output over an
  //! input, nor two outputs into one file.
  void Validate(OutputClashCheck& files) override {
    const std::optional<FileIdentity> output = IdentityOfDescriptor(1);
    const auto onOutput = [&](const std::string& name) {
      return name == kStandardStream || (output && IdentityOfPath(name) == output);
    };
    std::vector<std::string> onStandardOutput;
    for (const auto& [name, kind] : Outputs()) {
      // "the CSV", "the zones CSV": what goes to standard output is no file.
      if (!onOutput(name)) continue;
      onStandardOutput.push_back(
          kind == "result file" ? "the result file" : "the " + kind.substr(0, kind.find(" file")));
    }
    summaryToErr_ = !onStandardOutput.empty();
    if (onStandardOutput.size() > 1) {
      std::string sentence = ListedInSentence(onStandardOutput);
      sentence[0] = 'T';  // "the result file, ..."
      throw Error(ErrorKind::Usage,
                  sentence + (onStandardOutput.size() == 2 ? " cannot both" : " cannot all") +
                      " go to standard output: write all but one of them to files.");
    }
    errorBars_.CheckOptions();
    if (dataFile_) files.Input("data file", DataFileArgumentName(*dataFile_));
    solvents_.AddInputsTo(files);
    if (errorBars_.UncertaintyFile) files.Input("fit report", *errorBars_.UncertaintyFile);
    for (const auto& [name, kind] : Outputs()) files.Output(kind, name);
  }

  int Work(const ProgramStreams& streams) override {
    const char separator = SeparatorOf(separatorText_);
    StreamMessages messages(streams.Err);
    MemoryFieldTexts fields(separator);
    ResultFileOptions options;
    std::optional<PlantPart> plant;
    if (const int status = ReadInputs(fields, options, plant, messages, separator)) return status;
    std::optional<ErrorBarsPart> bars;
    if (const int status = ExitStatusOf(
            [&] { bars.emplace(PrepareErrorBars(fields, *plant, separator)); }, messages)) {
      return status;
    }
    StagedOutputs outputs;
    StageResultFile(outputs, options);
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
      const RunErrorBars runBars = RunBars(fields, *bars, *params, *state, result.Record, messages);
      WriteExports(outputs, fields, separator, *params, *state, result, *plant, &runBars);
      outputs.CommitAll();
      return Summarise(streams, fields, result, *plant, separator, messages, runBars);
    }
    if (result.Marched()) {
      messages.ShowDetail(FaultPlace(*result.Record.Fault, separator));
      messages.ShowDetail(ResultFileExtent(*result.Record.Fault, resultFile_));
      // The zones finished before the fault, and how the run ended.
      try {
        WriteExports(outputs, fields, separator, *params, *state, result, *plant);
        outputs.CommitAll();
      } catch (const FileError& e) {
        messages.ShowError(ErrorBoxText(e.what()));
      }
      PrintWarnings(streams.Err, result.Record);
    }
    return ExitStatus(*result.Ending);
  }

 private:
  std::vector<std::pair<std::string, std::string>> Outputs() const {
    std::vector<std::pair<std::string, std::string>> outputs{{resultFile_, "result file"}};
    if (exports_.Csv) outputs.emplace_back(*exports_.Csv, "CSV file");
    if (exports_.Json) outputs.emplace_back(*exports_.Json, "JSON file");
    if (exports_.ZonesCsv) outputs.emplace_back(*exports_.ZonesCsv, "zones CSV file");
    if (errorBars_.FiguresCsv) outputs.emplace_back(*errorBars_.FiguresCsv, "figures CSV file");
    return outputs;
  }

  //! The data file over the defaults, the solvents and the plant inputs, and the warnings on
  //! the inputs. 0, or the exit status of what was refused (and told).
  int ReadInputs(MemoryFieldTexts& fields, ResultFileOptions& options,
                 std::optional<PlantPart>& plant, StreamMessages& messages, char separator) const {
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
    if (const int status = ExitStatusOf([&] { plant = Plant(fields, separator); }, messages)) {
      return status;
    }
    for (const std::string& warning : plant->Library.UnreadWarnings()) {
      messages.ShowWarning(warning);
    }
    if (exports_.ZonesCsv && !plant->Inputs) {
      throw Error(ErrorKind::Usage,
                  "--zones-csv needs the plant inputs: give the web width (WebWidth) in the data "
                  "file's plant lines.");
    }
    std::vector<std::string> warnings;
    if (options.DataFile)
      warnings = IgnoredFixedConstantLines(*options.DataFile, fields, separator);
    for (const auto& warning :
         {UnreachedZonesWarning(fields, separator), WeightRatioSumWarning(fields, separator)}) {
      if (warning) warnings.push_back(*warning);
    }
    for (const std::string& warning : warnings) messages.ShowWarning(warning);
    fields.SetText("Edit250", resultFile_);
    options.ToStandardOutput = resultFile_ == kStandardStream;
    return 0;
  }

  //! Reads the fit report and, with --step auto, sets the step of `fields`. Throws
  //! quillmere::Error when an option or the report is refused, or the step cannot be chosen.
  ErrorBarsPart PrepareErrorBars(MemoryFieldTexts& fields, const PlantPart& plant,
                                 char separator) const {
    const CaseRequest plantCase = PlantCaseRequest(plant.Library, fields, plant.Inputs);
    ErrorBarsPart part{
        errorBars_.Validate(),
        FigureModel(separator, plantCase.Plant ? std::optional<PlantContext>(PlantContext{
                                                     *plantCase.Plant, *plantCase.Solvents})
                                               : std::nullopt),
        std::nullopt};
    part.Choice = ChooseStepFor(errorBars_, fields, part.Model);
    return part;
  }

  //! The error bars asked for of the finished run; a coarser or perturbed run that does not
  //! finish leaves them out with a warning.
  RunErrorBars RunBars(const MemoryFieldTexts& fields, ErrorBarsPart& part,
                       const ParameterSet& params, const SimulationState& state,
                       const RunRecord& record, StreamMessages& messages) const {
    RunErrorBars bars;
    if (errorBars_.StepError || part.Fit) {
      const PlantContext* context = part.Model.Plant() ? &*part.Model.Plant() : nullptr;
      try {
        bars = ErrorBarsOf(errorBars_, part.Fit, fields, part.Model,
                           ExitFiguresOf(params, state, record, context));
      } catch (const Error& e) {
        messages.ShowWarning(e.what());
      }
    }
    bars.Choice = part.Choice;
    return bars;
  }

  //! The result file's steps write a temporary file, renamed into place with the other
  //! outputs once the run has ended. Where even that cannot be created, the steps open the
  //! name itself and tell why it cannot be opened, as the window does.
  void StageResultFile(StagedOutputs& outputs, ResultFileOptions& options) const {
    if (options.ToStandardOutput) return;
    try {
      options.WrittenTo = outputs.Add(resultFile_, "result file").WrittenTo();
    } catch (const FileError&) {
      options.WrittenTo.clear();
    }
  }

  //! The solvents, the summary and the plant figures of a finished run, then its warnings.
  int Summarise(const ProgramStreams& streams, const FieldTexts& fields, const CaseResult& result,
                const PlantPart& plant, char separator, StreamMessages& messages,
                const RunErrorBars& bars) const {
    std::ostream& summary = summaryToErr_ ? streams.Err : streams.Out;
    if (result.SolventsNamed(plant.Inputs.has_value())) {
      summary << SolventLines(plant.Library, fields);
    }
    PrintSummary(summary, result.Record, resultFile_, exports_, separator);
    if (result.Figures) summary << PlantSummaryText(*result.Figures, *plant.Inputs, separator);
    summary << bars.SummaryText(separator);
    summary.flush();
    if (!summary) {
      throw Error(ErrorKind::File, "Could not write the summary: the output is full or closed.");
    }
    PrintWarnings(streams.Err, result.Record);
    for (const std::string& warning : result.LelWarnings()) messages.ShowWarning(warning);
    for (const std::string& warning : result.SolventWarnings) messages.ShowWarning(warning);
    return kExitFinished;
  }

  //! The solvents in force (the library's constants put into their fields) and the plant
  //! inputs. Throws quillmere::Error when they are refused.
  PlantPart Plant(FieldTexts& fields, char separator) const {
    PlantPart plant;
    plant.Library = solvents_.Apply(fields, separator);
    plant.Inputs = AcquirePlantInputs(fields, separator);
    return plant;
  }

  //! The CSV, the zones CSV and the JSON of the zones the run computed, as asked for; with the
  //! error bars of a finished run, their JSON members and the figures CSV.
  void WriteExports(StagedOutputs& outputs, const FieldTexts& fields, char separator,
                    const ParameterSet& params, const SimulationState& state,
                    const CaseResult& result, const PlantPart& plant,
                    const RunErrorBars* bars = nullptr) const {
    const RunSeries& series = *result.Series;
    if (exports_.Csv) WriteWhole(outputs, *exports_.Csv, "CSV file", RunCsv(series));
    if (exports_.ZonesCsv && result.Figures) {
      WriteWhole(outputs, *exports_.ZonesCsv, "zones CSV file", PlantZonesCsv(*result.Figures));
    }
    if (exports_.Json) {
      const std::string plantJson =
          PlantJsonMembers(plant.Library, fields, plant.Inputs, result.Figures);
      WriteWhole(outputs, *exports_.Json, "JSON file",
                 RunJson(fields, separator, params, state.EntryTemperature(), series,
                         bars ? MergedJsonMembers(plantJson, ErrorBarsJsonMembers(bars->Parts()))
                              : plantJson));
    }
    if (errorBars_.FiguresCsv && bars) {
      WriteWhole(outputs, *errorBars_.FiguresCsv, "figures CSV file", ErrorBarsCsv(bars->Parts()));
    }
  }

  const std::string& separatorText_;
  std::optional<std::string> dataFile_;
  SolventOptions solvents_;
  ErrorBarsOptions errorBars_;
  std::string resultFile_{kDefaultResultFile};
  ExportFiles exports_;
  bool summaryToErr_ = false;
};

}  // namespace

std::unique_ptr<Command> AddRunCommand(CLI::App& app, const std::string& separatorText) {
  return std::make_unique<RunCommand>(app, separatorText);
}

}  // namespace quillmere
