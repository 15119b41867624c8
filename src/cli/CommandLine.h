// quillmere-cli: the calculation of the window's OK button and its companions for batch work.
#pragma once

#include <ostream>

#include "base/Error.h"

namespace quillmere {

//! Exit statuses of quillmere-cli (kExitFinished and ExitStatus(kind) in base/Error.h).
enum : int {
  kExitInputRefused = 1,    //!< an input or data file message: the inputs were refused
  kExitFileNotWritten = 2,  //!< a file could not be opened, read or written
  kExitError = 3,           //!< another error ended the run (a floating-point fault)
  kExitUsage = 64,          //!< the command line itself was wrong
};

//! Parses the arguments (argv[0] is the program name) and runs the chosen command. Help,
//! version, the summary of a run and a template without -o go to `out`; the program's
//! messages and errors, one a line, to `err`. Returns the exit status.
int RunCommandLine(int argc, const char* const* argv, std::ostream& out, std::ostream& err);

}  // namespace quillmere
