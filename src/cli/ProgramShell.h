// The shell of every command-line program: options, then validation (every file read and
// written named, the command line checked, before anything is read or written), then the work,
// one library call, then its report; an Error of any step told once and turned into the exit
// status of its kind. Signals, progress and the writing of outputs are the same for all.
#pragma once

#include <CLI/CLI.hpp>

#include <chrono>
#include <cstdint>
#include <functional>
#include <optional>
#include <ostream>
#include <string>

#include "base/Error.h"
#include "report/FileIO.h"
#include "report/OutputClash.h"

namespace quillmere {

//! Where a program writes: `Out` standard output (help, reports, "-" outputs), `Err` messages,
//! one a line, and the progress bar when `ProgressBar`.
struct ProgramStreams {
  std::ostream& Out;
  std::ostream& Err;
  bool ProgressBar = false;
};

//! One command's work between its options and its exit status.
class Program {
 public:
  virtual ~Program() = default;
  //! Checks what the options say together (throws Error, ErrorKind::Usage, when they do not
  //! fit) and names every file the command reads and writes into `files`.
  virtual void Validate(OutputClashCheck& files) = 0;
  //! Reads the inputs, does the work and writes the outputs and the report. Returns the exit
  //! status; throws Error, which the shell tells.
  virtual int Work(const ProgramStreams& streams) = 0;
};

//! Validates `program` (`work` names the command in messages: "run", "sweep"), refuses an
//! output that is an input or another output with 64, then runs its work. An Error is told
//! on Err, its text then its details, and gives its kind's exit status.
int RunProgram(Program& program, const std::string& work, const ProgramStreams& streams);

//! Parses the command line into `app` (help, version and a refused command line as CLI11
//! and ReportParseError say them), then RunProgram.
int ParseAndRunProgram(CLI::App& app, int argc, const char* const* argv, Program& program,
                       const std::string& work, const ProgramStreams& streams);

//! main() of a program of its own: InstallStopSignals, then ParseAndRunProgram on standard
//! output and standard error, with a progress bar when standard error is a terminal.
int ProgramMain(CLI::App& app, int argc, char** argv, Program& program, const std::string& work);

//! Runs `work` on a thread of its own while this one calls `watch` every `period` (to pass on
//! a stop signal, to draw a progress bar) until it returns; what `work` throws is thrown here.
void RunWatched(const std::function<void()>& work, const std::function<void()>& watch,
                std::chrono::milliseconds period);

//! A whole output: "-" to `out`, else written whole or not at all through `outputs`.
void WriteWhole(StagedOutputs& outputs, const std::string& name, const std::string& kind,
                std::string_view bytes);

//! The decimal separator the option `text` gives, else the user's.
char SeparatorOf(const std::string& text);

//! Checks that a picture's name ends in .svg or .png (either case).
CLI::Validator ChartFileValidator();

//! Checks that an option's text is a whole number from 0 to `most`, digits only (a seed of 23
//! digits is refused, not wrapped round).
CLI::Validator WholeNumberValidator(std::uint64_t most);

//! The help paragraph of exit statuses (ExitStatusHelp) after a program's own `footer`.
std::string FooterWithExitStatuses(const std::string& footer);

}  // namespace quillmere
