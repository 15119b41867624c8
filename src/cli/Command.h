// One command of quillmere-cli: its options, registered with the command line, and its work,
// a Program run by the program shell.
#pragma once

#include <CLI/CLI.hpp>

#include <memory>
#include <string>

#include "cli/ProgramShell.h"

namespace quillmere {

class Command : public Program {
 public:
  //! The command's part of the command line; it was chosen when it is parsed().
  CLI::App& Subcommand() const { return *subcommand_; }

 protected:
  CLI::App* subcommand_ = nullptr;
};

//! "run": one calculation, as the window's OK button runs it. `separatorText` is the
//! --decimal-separator of the command line, read once it is parsed.
std::unique_ptr<Command> AddRunCommand(CLI::App& app, const std::string& separatorText);
//! "template": the default inputs as a data file.
std::unique_ptr<Command> AddTemplateCommand(CLI::App& app, const std::string& separatorText);
//! A command carried out by the program `tool` (beside quillmere-cli, or in libexec): the
//! rest of the command line is handed to it, with the decimal separator when one was given.
std::unique_ptr<Command> AddToolCommand(CLI::App& app, std::string name, std::string description,
                                        std::string tool, const std::string& separatorText);

}  // namespace quillmere
