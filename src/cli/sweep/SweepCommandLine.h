// quillmere-cli sweep: a grid of cases that vary inputs over ranges, run on every core into
// one table; carried out by the program quillmere-sweep.
#pragma once

namespace quillmere {

//! main() of quillmere-sweep: parses the arguments (argv[0] the program) and runs the sweep
//! in the program shell. The table goes to its file or, for "-", to standard output;
//! messages, warnings and the progress bar (on a terminal) to standard error. A stop signal
//! stops the sweep: the cases running finish, the table gets the rows finished so far and says
//! that it is incomplete (exit status 130). Returns the exit status.
int RunSweepCommandLine(int argc, char** argv);

}  // namespace quillmere
