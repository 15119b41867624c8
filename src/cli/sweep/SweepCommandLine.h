// quillmere-cli sweep: a grid of cases that vary inputs over ranges, run on every core into
// one table; carried out by the program quillmere-sweep.
#pragma once

#include <atomic>
#include <ostream>

namespace quillmere {

//! Parses the arguments (argv[0] the program) and runs the sweep. The table goes to its file
//! or, for "-", to `out`; messages, warnings and the progress bar (when `progressBar`) to
//! `err`. Setting `interrupted` stops the sweep: the cases running finish, the table gets the
//! rows finished so far and says that it is incomplete (exit status 130,
//! ExitStatus(ErrorKind::Interrupted)). Returns the exit status.
int RunSweepCommandLine(int argc, const char* const* argv, std::ostream& out, std::ostream& err,
                        const std::atomic<bool>& interrupted, bool progressBar);

}  // namespace quillmere
