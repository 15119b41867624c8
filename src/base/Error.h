// One error model for the whole program: every error carries a kind, which says what went
// wrong in the terms a caller acts on (refused input, a file, a fault in the run, a wrong
// command line), and the user's text. The kind, never the wording, decides what happens next:
// which box the window shows, and the exit status of each command-line program.
#pragma once

#include <stdexcept>
#include <string>
#include <string_view>

namespace quillmere {

//! What went wrong, as a caller acts on it.
enum class ErrorKind {
  InputRefused,   //!< an input, a data file's value or a measurement was refused
  File,           //!< a file could not be opened, read or written
  RunFault,       //!< a run ended on an error (a floating-point fault, a missing program)
  Untrustworthy,  //!< a search ended without an answer to trust (a fit that stalled)
  Infeasible,     //!< a search found no point that meets every limit
  Usage,          //!< the command line itself was wrong
  Interrupted,    //!< the user or the system stopped the work (SIGINT, SIGTERM, SIGHUP)
};

//! The exit status of every command-line program for an error of `kind`: 1 refused input,
//! 2 a file problem, 3 a run error, 4 an untrustworthy answer, 5 no feasible point, 64 usage,
//! 130 interrupted. A command that finished exits with kExitFinished.
int ExitStatus(ErrorKind kind);

//! The exit status of a command that finished.
inline constexpr int kExitFinished = 0;

//! The one exception type of the program: its kind and the user's text (what()), and what the
//! text leaves out (which line of a file, the system's reason), which the command line prints
//! on the next line and the window leaves out of its fixed-text boxes.
class Error : public std::runtime_error {
 public:
  Error(ErrorKind kind, const std::string& text, std::string details = {})
      : std::runtime_error(text), kind_(kind), details_(std::move(details)) {}

  ErrorKind Kind() const { return kind_; }
  //! What the text leaves out, "" when nothing.
  const std::string& Details() const { return details_; }

 private:
  ErrorKind kind_;
  std::string details_;
};

}  // namespace quillmere
