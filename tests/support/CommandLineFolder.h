// A test that runs quillmere-cli in a scratch folder of its own, as a user with no library of
// their own would (HOME is the folder, XDG_DATA_HOME unset), in the C locale.
#pragma once

#include <gtest/gtest.h>

#include <fstream>
#include <string>
#include <string_view>

#include "TestSupport.h"

namespace quillmere::test {

class CommandLineFolder : public ::testing::Test {
 protected:
  //! quillmere-cli with `arguments` (shell words), standard input empty.
  ProgramOutcome Cli(const std::string& arguments) {
    return RunShell("cd " + ShellQuote(work_.path().string()) +
                        " && LC_ALL=C HOME=" + ShellQuote(work_.path().string()) +
                        " XDG_DATA_HOME= " + ShellQuote(QUILLMERE_CLI) + " " + arguments +
                        " < /dev/null",
                    capture_);
  }
  //! Runs `command` in the folder; it must succeed.
  void Shell(const std::string& command) {
    ASSERT_EQ(
        RunShell("cd " + ShellQuote(work_.path().string()) + " && " + command, capture_).status, 0)
        << command;
  }
  std::string ReadWork(std::string_view name) const { return ReadBytes(work_.File(name)); }
  void WriteWork(std::string_view name, std::string_view text) const {
    std::ofstream(work_.File(name), std::ios::binary) << text;
  }

  ScratchDirectory work_;
  ScratchDirectory capture_;
};

}  // namespace quillmere::test
