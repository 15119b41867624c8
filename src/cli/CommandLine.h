// quillmere-cli: the calculation of the window's OK button and its companions for batch work.
#pragma once

#include <ostream>

#include "base/Error.h"

namespace quillmere {

//! Parses the arguments (argv[0] is the program name) and runs the chosen command. Help,
//! version, the summary of a run and a template without -o go to `out`; the program's
//! messages and errors, one a line, to `err`. Returns the exit status.
int RunCommandLine(int argc, const char* const* argv, std::ostream& out, std::ostream& err);

}  // namespace quillmere
