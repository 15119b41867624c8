// Shared helpers of the core tests: scratch directories, file bytes, the default model.
#pragma once

#include <gtest/gtest.h>

#include <filesystem>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "RecordingMessages.h"
#include "params/ParameterSet.h"
#include "sim/SimulationState.h"

namespace quillmere::test {

//! A fresh directory under the system's temporary directory, removed again at the end of the
//! test.
class ScratchDirectory {
 public:
  ScratchDirectory();
  ~ScratchDirectory();
  ScratchDirectory(const ScratchDirectory&) = delete;
  ScratchDirectory& operator=(const ScratchDirectory&) = delete;

  const std::filesystem::path& path() const { return path_; }
  std::string File(std::string_view name) const { return (path_ / name).string(); }

 private:
  std::filesystem::path path_;
};

//! The whole content of a file as bytes ("" when it does not exist).
std::string ReadBytes(const std::filesystem::path& file);

//! The lines of a text whose every line ends with CR LF; fails the test on a bare CR or LF
//! or a last line without its line end.
std::vector<std::string> CrLfLines(std::string_view text);

//! The blank-separated words of a text (the seven texts of a result table's row).
std::vector<std::string> Words(std::string_view text);

//! A text quoted for the shell.
std::string ShellQuote(std::string_view text);

//! What a program run by the shell ended with.
struct ProgramOutcome {
  int status = -1;  //!< exit status, -1 when it did not exit
  std::string out;
  std::string err;
};

//! Runs `command` (shell syntax) with standard output and standard error captured in files of
//! `capture`; the command redirects standard input itself when it must.
ProgramOutcome RunShell(const std::string& command, const ScratchDirectory& capture);

//! Runs `action` and checks that it ends with an `Error` whose text is exactly `text`.
template <typename Error, typename Action>
void ExpectError(Action&& action, std::string_view text) {
  try {
    action();
    ADD_FAILURE() << "expected the error \"" << text << '"';
  } catch (const Error& e) {
    EXPECT_EQ(std::string_view(e.what()), text);
  }
}

//! The program's two lifetime objects, zero-filled as at start-up.
struct Model {
  std::unique_ptr<ParameterSet> params = std::make_unique<ParameterSet>();
  std::unique_ptr<SimulationState> state = std::make_unique<SimulationState>();
};

//! The state after the OK button with the window's default texts has acquired the inputs and
//! set the web's entry state at point 0 of zone 1.
Model DefaultModel(char decimalSeparator = '.');

}  // namespace quillmere::test
