// run: one calculation from the default texts, or from a data file applied over them as the
// window's "Input Data File" does; the result file as the window writes it, and a summary of
// the web at each zone's exit.
#include <filesystem>
#include <memory>
#include <optional>
#include <string>
#include <system_error>

#include "cli/Command.h"
#include "cli/CommandLine.h"
#include "cli/StreamMessages.h"
#include "params/AcquireParameters.h"
#include "params/MemoryFieldTexts.h"
#include "params/PrintableText.h"
#include "report/CalculationRun.h"
#include "report/DataFile.h"
#include "report/FileIO.h"
#include "report/FormatFixed.h"

namespace quillmere {
namespace {

constexpr std::string_view kDefaultResultFile = "result.txt";
//! The name that means standard input for the data file and standard output for the result.
constexpr std::string_view kStandardStream = "-";

//! One line per zone with the web's state where it leaves the zone, then the result file.
void PrintSummary(std::ostream& out, const RunRecord& record, const std::string& resultFile,
                  char separator) {
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
  out << "Result file: "
      << (resultFile == kStandardStream ? "standard output" : PrintableText(resultFile)) << '\n';
}

//! Where in the dryer a fault ended the run: "in zone 3 at 4.20 m (64.20 m from the dryer's
//! entry)".
std::string FaultPlace(const RunFault& fault, char separator) {
  if (fault.Zone == 0) return "at the dryer's entry";
  std::string place = "in zone " + std::to_string(fault.Zone);
  if (fault.PositionKnown) {
    place += " at " + FormatFixed(fault.ZonePosition, 18, 2, separator) + " m (" +
             FormatFixed(fault.DryerPosition, 18, 2, separator) + " m from the dryer's entry)";
  }
  return place;
}

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
        "exit");
    run->add_option("DATAFILE", dataFile_,
                    "Data file of 119 \"label = value\" lines (\"-\" reads standard input)")
        ->type_name("FILE");
    run->add_option("-o,--output", resultFile_,
                    "Result file name, as typed in the save file field (\"-\" writes standard "
                    "output; the summary then goes to standard error)")
        ->type_name("RESULT")
        ->capture_default_str();
  }

  int Execute(char separator, std::ostream& out, std::ostream& err) override {
    StreamMessages messages(err);
    try {
      MemoryFieldTexts fields(separator);
      ResultFileOptions options;
      if (dataFile_) {
        options.DataFile = Load(*dataFile_, fields, messages);
        if (!options.DataFile) return kExitInputRefused;
        messages.SetDataFile(options.DataFile->Name);
        for (const std::string& warning :
             IgnoredFixedConstantLines(*options.DataFile, fields, separator)) {
          messages.ShowWarning(warning);
        }
      }
      if (const std::optional<std::string> warning = UnreachedZonesWarning(fields, separator)) {
        messages.ShowWarning(*warning);
      }
      fields.SetText("Edit250", resultFile_);
      options.ToStandardOutput = resultFile_ == kStandardStream;
      // A result written to standard output must not share it with the summary: the two
      // would overwrite each other at their own file positions.
      const std::optional<FileIdentity> output = IdentityOfDescriptor(1);
      const bool resultOnOutput =
          options.ToStandardOutput || (output && IdentityOfPath(resultFile_) == output);
      std::ostream& summary = resultOnOutput ? err : out;

      // Both live as long as a run of the window's program would keep them; the state is large.
      auto params = std::make_unique<ParameterSet>();
      auto state = std::make_unique<SimulationState>();
      const CalculationResult result =
          RunCalculation(fields, messages, separator, *params, *state, options);
      switch (result.Outcome) {
        case RunOutcome::Finished:
          PrintSummary(summary, result.Record, resultFile_, separator);
          summary.flush();
          if (!summary) {
            err << "Could not write the summary: the output is full or closed.\n";
            return kExitFileNotWritten;
          }
          return kExitFinished;
        case RunOutcome::InputRefused:
          return kExitInputRefused;
        case RunOutcome::ResultFileNotOpened:
          return kExitFileNotWritten;
        case RunOutcome::Fault:
          messages.ShowDetail(FaultPlace(*result.Record.Fault, separator));
          messages.ShowDetail(ResultFileExtent(*result.Record.Fault, resultFile_));
          return kExitError;
      }
      return kExitError;
    } catch (const InputConversionError& e) {
      messages.ShowError(ErrorBoxText(e.what()));
      return kExitInputRefused;
    } catch (const FileError& e) {
      messages.ShowError(ErrorBoxText(e.what()));
      return kExitFileNotWritten;
    } catch (const std::exception& e) {
      messages.ShowError(ErrorBoxText(e.what()));
      return kExitError;
    }
  }

 private:
  static std::optional<LoadedDataFile> Load(const std::string& name, FieldTexts& fields,
                                            UserMessages& messages) {
    if (name == kStandardStream) {
      InputFile input = InputFile::StandardInput("data file");
      return LoadDataFile(input, fields, messages);
    }
    // The window passes the full path that its open dialog returns; the path is made
    // absolute but not resolved, so that /dev/stdin stays a pipe's name.
    std::error_code error;
    std::filesystem::path path = std::filesystem::absolute(name, error);
    if (error) path = name;
    return LoadDataFile(path.string(), fields, messages);
  }

  std::optional<std::string> dataFile_;
  std::string resultFile_{kDefaultResultFile};
};

}  // namespace

std::unique_ptr<Command> AddRunCommand(CLI::App& app) {
  return std::make_unique<RunCommand>(app);
}

}  // namespace quillmere
