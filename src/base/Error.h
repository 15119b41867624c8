// One error model for the whole program: every error carries a kind, which says what went
// wrong in the terms a caller acts on (refused input, a file, a fault in the run, a wrong
// command line), and the user's text. The kind, never the wording, decides what happens next:
// which box the window shows, and the exit status of each command-line program.
#pragma once

#include <optional>
#include <span>
#include <stdexcept>
#include <string>
#include <string_view>
#include <utility>
#include <variant>

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

//! One exit status of the command-line programs and what it means; Kind is the error kind it
//! reports (none for a command that finished).
struct ExitStatusMeaning {
  int Status = 0;
  std::optional<ErrorKind> Kind;
  std::string_view Meaning;  //!< as the README's table says it (commands in backquotes)
};

//! The one table of exit statuses, finished first: every program's exit status, its help
//! footer and the README's table come from it.
std::span<const ExitStatusMeaning> ExitStatuses();

//! The exit status of every command-line program for an error of `kind` (ExitStatuses()).
//! A command that finished exits with kExitFinished.
int ExitStatus(ErrorKind kind);

//! The exit status of a command that finished.
inline constexpr int kExitFinished = 0;

//! ExitStatuses() as one paragraph of a help text: "Exit status: 0 finished (...); 1 ...".
std::string ExitStatusHelp();

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

//! What a step that tells the user itself (a message box, a line on standard error) returns:
//! its value, or the error it told, so that its caller acts on the error's kind without
//! telling it again. Outcome<> is the outcome of a step without a value. There is no
//! conversion to bool: a caller asks Ok().
template <class T = void>
class [[nodiscard]] Outcome {
 public:
  Outcome(T value) : value_(std::in_place_index<0>, std::move(value)) {}
  Outcome(Error why) : value_(std::in_place_index<1>, std::move(why)) {}

  bool Ok() const { return value_.index() == 0; }
  //! The value; only when Ok().
  T& Value() { return std::get<0>(value_); }
  const T& Value() const { return std::get<0>(value_); }
  T* operator->() { return &Value(); }
  const T* operator->() const { return &Value(); }
  //! Why the step failed; only when !Ok().
  const Error& Why() const { return std::get<1>(value_); }

 private:
  std::variant<T, Error> value_;
};

template <>
class [[nodiscard]] Outcome<void> {
 public:
  Outcome() = default;
  Outcome(Error why) : why_(std::move(why)) {}

  bool Ok() const { return why_.index() == 0; }
  const Error& Why() const { return std::get<1>(why_); }

 private:
  std::variant<std::monostate, Error> why_;
};

}  // namespace quillmere
