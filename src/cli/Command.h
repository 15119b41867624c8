// One command of quillmere-cli: its options, registered with the command line, and its work.
#pragma once

#include <CLI/CLI.hpp>

#include <memory>
#include <ostream>
#include <string>

namespace quillmere {

class Command {
 public:
  virtual ~Command() = default;
  //! The command's part of the command line; it was chosen when it is parsed().
  CLI::App& Subcommand() const { return *subcommand_; }
  //! Runs the command once the command line is parsed, with the decimal separator of number
  //! texts in fields, data files and the result file. Returns the exit status.
  virtual int Execute(char decimalSeparator, std::ostream& out, std::ostream& err) = 0;

 protected:
  CLI::App* subcommand_ = nullptr;
};

//! "run": one calculation, as the window's OK button runs it.
std::unique_ptr<Command> AddRunCommand(CLI::App& app);
//! "template": the default inputs as a data file.
std::unique_ptr<Command> AddTemplateCommand(CLI::App& app);
//! A command carried out by the program `tool` (beside quillmere-cli, or in libexec): the
//! rest of the command line is handed to it, with the decimal separator when one was given.
std::unique_ptr<Command> AddToolCommand(CLI::App& app, std::string name, std::string description,
                                        std::string tool, const std::string& separatorText);

}  // namespace quillmere
