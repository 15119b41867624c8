#include "cli/CommandLine.h"

#include <CLI/CLI.hpp>

#include <clocale>
#include <exception>
#include <filesystem>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <system_error>

#include "app/DataFile.h"
#include "params/AcquireParameters.h"
#include "params/FieldTable.h"
#include "params/MemoryFieldTexts.h"
#include "params/NumberText.h"
#include "params/ParameterSet.h"
#include "params/UserMessages.h"
#include "report/FormatFixed.h"
#include "report/ResultFile.h"
#include "sim/CalculationRun.h"
#include "sim/FloatingPointGuard.h"
#include "sim/SimulationState.h"

namespace quillmere {
namespace {

constexpr std::string_view kDefaultResultFile = "result.txt";

//! The messages the window shows in boxes, written to standard error one a line. The finish
//! notice prints nothing: a finished run prints its summary instead.
class StreamMessages : public UserMessages {
 public:
  explicit StreamMessages(std::ostream& err) : err_(err) {}
  void ShowMessage(std::string_view text) override { err_ << text << '\n' << std::flush; }
  void ShowError(std::string_view text) override { err_ << text << '\n' << std::flush; }
  void ShowFinish() override {}

 private:
  std::ostream& err_;
};

//! The user's decimal separator, as the window takes it from the numeric locale. The process's
//! numeric locale is put back afterwards: no number text of the program depends on it.
char UserDecimalSeparator() {
  const char* current = std::setlocale(LC_NUMERIC, nullptr);
  const std::string previous = current != nullptr ? current : "C";
  std::setlocale(LC_NUMERIC, "");
  const char separator = LocaleDecimalSeparator();
  std::setlocale(LC_NUMERIC, previous.c_str());
  return separator;
}

//! A decimal separator must leave numbers readable: one character that is not a digit, a sign,
//! an exponent letter, a blank or a control character.
std::string CheckSeparator(const std::string& text) {
  if (text.size() != 1) return "the decimal separator must be a single character";
  const unsigned char c = static_cast<unsigned char>(text[0]);
  const std::string_view refused = "0123456789+-eE";
  if (c <= 0x20 || c >= 0x7F || refused.find(static_cast<char>(c)) != std::string_view::npos) {
    return "the decimal separator cannot be '" + text + "'";
  }
  return {};
}

//! One line per zone with the web's state where it leaves the zone, then the result file.
void PrintSummary(std::ostream& out, const ParameterSet& params, const SimulationState& state,
                  char separator) {
  const auto column = [](const std::string& text, std::size_t width) {
    return text.size() < width ? std::string(width - text.size(), ' ') + text : text;
  };
  out << "ZONE    TIME (s)   TEMP (deg-C)   RESIDUAL RAT1   RESIDUAL RAT2\n";
  for (int zone = 1; zone <= params.ZoneCount && zone <= kMaxZones; ++zone) {
    const int point = params.ZoneSteps[zone];
    if (point < 0 || point >= kTracePoints) continue;
    const auto at = static_cast<std::size_t>(point);
    const ZoneTrace& trace = state.Trace;
    out << column(std::to_string(zone), 4)
        << column(FormatFixed(trace.Time[zone][at], 8, 3, separator), 12)
        << column(FormatFixed(trace.Temperature[zone][at], 6, 2, separator), 15)
        << column(FormatFixed(trace.Solvent1Residual[zone][at], 6, 4, separator), 16)
        << column(FormatFixed(trace.Solvent2Residual[zone][at], 6, 4, separator), 16) << '\n';
  }
  out << "Result file: " << params.SaveFileName << '\n';
}

int Run(const std::optional<std::string>& dataFile, const std::string& resultFile, char separator,
        std::ostream& out, std::ostream& err) {
  StreamMessages messages(err);
  try {
    MemoryFieldTexts fields(separator);
    if (dataFile) {
      // The window passes the full path that its open dialog returns; the path is made
      // absolute but not resolved, so that /dev/stdin stays a pipe's name.
      std::error_code error;
      std::filesystem::path path = std::filesystem::absolute(*dataFile, error);
      if (error) path = *dataFile;
      if (!LoadDataFile(path.string(), fields, messages)) return kExitInputRefused;
    }
    fields.SetText("Edit250", resultFile);

    // Both live as long as a run of the window's program would keep them; the state is large.
    auto params = std::make_unique<ParameterSet>();
    auto state = std::make_unique<SimulationState>();
    switch (RunCalculation(fields, messages, separator, *params, *state)) {
      case RunOutcome::Finished:
        PrintSummary(out, *params, *state, separator);
        return kExitFinished;
      case RunOutcome::InputRefused:
        return kExitInputRefused;
      case RunOutcome::ResultFileNotOpened:
        return kExitFileNotWritten;
    }
    return kExitError;
  } catch (const InputConversionError& e) {
    messages.ShowError(ErrorBoxText(e.what()));
    return kExitInputRefused;
  } catch (const ResultFileWriteError& e) {
    messages.ShowError(ErrorBoxText(e.what()));
    return kExitFileNotWritten;
  } catch (const std::exception& e) {
    messages.ShowError(ErrorBoxText(e.what()));
    return kExitError;
  }
}

int WriteTemplate(const std::optional<std::string>& file, char separator, std::ostream& out,
                  std::ostream& err) {
  try {
    const MemoryFieldTexts fields(separator);
    if (file) {
      WriteDataFile(*file, fields);
      return kExitFinished;
    }
    const std::string text = DataFileText(fields);
    out.write(text.data(), static_cast<std::streamsize>(text.size()));
    out.flush();
    if (!out) {
      err << "The data file could not be written to standard output.\n";
      return kExitFileNotWritten;
    }
    return kExitFinished;
  } catch (const DataFileWriteError& e) {
    err << ErrorBoxText(e.what()) << '\n';
    return kExitFileNotWritten;
  } catch (const std::exception& e) {
    err << ErrorBoxText(e.what()) << '\n';
    return kExitError;
  }
}

}  // namespace

int RunCommandLine(int argc, const char* const* argv, std::ostream& out, std::ostream& err) {
  CLI::App app{
      "Simulates the drying of a solvent coating on a base film through up to 14 dryer "
      "zones, without the window.",
      "quillmere-cli"};
  app.set_version_flag("--version", std::string("quillmere-cli ") + QUILLMERE_VERSION,
                       "Print the version and exit");
  app.require_subcommand(1);
  app.fallthrough();  // --decimal-separator may also follow the command
  app.footer(
      "Exit status: 0 finished; 1 an input or data file message; 2 the result file could not "
      "be opened or written; 3 another error ended the run; 64 a wrong command line.");

  std::string separatorText;
  app.add_option("--decimal-separator", separatorText,
                 "Decimal separator of the number texts in fields, data files and the result "
                 "file (default: that of the numeric locale)")
      ->type_name("CHAR")
      ->check(CLI::Validator(CheckSeparator, ""));

  CLI::App* run = app.add_subcommand(
      "run",
      "Run one calculation from the default inputs, or from DATAFILE applied over them as the "
      "window's \"Input Data File\" button does, and print the web's state at each zone's exit");
  std::optional<std::string> dataFile;
  std::string resultFile(kDefaultResultFile);
  run->add_option("DATAFILE", dataFile,
                  "Data file of 119 \"label = value\" lines (\"/dev/stdin\" reads a pipe)")
      ->type_name("FILE");
  run->add_option("-o,--output", resultFile, "Result file name, as typed in the save file field")
      ->type_name("RESULT")
      ->capture_default_str();

  CLI::App* templateCommand = app.add_subcommand(
      "template", "Write the default inputs as a data file, to edit and give to run");
  std::optional<std::string> templateFile;
  templateCommand
      ->add_option("-o,--output", templateFile, "Data file to write (default: standard output)")
      ->type_name("FILE");

  try {
    app.parse(argc, argv);
  } catch (const CLI::ParseError& e) {
    const int status = app.exit(e, out, err);
    return status == 0 ? kExitFinished : kExitUsage;
  }

  const char separator = separatorText.empty() ? UserDecimalSeparator() : separatorText[0];
  if (run->parsed()) return Run(dataFile, resultFile, separator, out, err);
  return WriteTemplate(templateFile, separator, out, err);
}

}  // namespace quillmere
