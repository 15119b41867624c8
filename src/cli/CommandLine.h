// The headless front end: runs a calculation from the window's default texts, optionally
// refilled from a data file, and writes data file templates.
#pragma once

#include <ostream>

namespace quillmere {

//! Exit statuses of quillmere-cli.
enum ExitStatus : int {
  kExitFinished = 0,        //!< the calculation finished, or the template was written
  kExitInputRefused = 1,    //!< an input message or a data file that was refused or unreadable
  kExitFileNotWritten = 2,  //!< the result file (or the template) could not be opened or written
  kExitError = 3,           //!< any other error that ended the run (a floating-point fault)
  kExitUsage = 64,          //!< the command line itself was wrong
};

//! Parses the arguments (argv[0] is the program name) and runs the chosen command. Help,
//! version, the summary of a run and a template without -o go to `out`; the program's
//! messages and errors, one a line, to `err`. Returns the exit status.
int RunCommandLine(int argc, const char* const* argv, std::ostream& out, std::ostream& err);

}  // namespace quillmere
