// Commands whose work needs large libraries (oneTBB for sweeps, Ceres Solver for fits, Qt for
// their plots) run as programs of their own, so that "run" starts as fast as the bare
// calculation allows: quillmere-cli hands the rest of its command line to the program, which
// takes its place (the exit status is the program's).
#include <unistd.h>

#include <cerrno>
#include <filesystem>
#include <memory>
#include <string>
#include <vector>

#include "base/Error.h"
#include "base/PrintableText.h"
#include "cli/Command.h"
#include "cli/CommandLine.h"
#include "cli/StopSignals.h"
#include "report/FileIO.h"

namespace quillmere {
namespace {

//! Where the program of a command is: beside quillmere-cli (a build tree), or in the
//! installation's libexec/quillmere.
std::filesystem::path ToolPath(const std::string& tool) {
  std::error_code error;
  const std::filesystem::path self = std::filesystem::read_symlink("/proc/self/exe", error);
  if (error) return tool;
  const std::filesystem::path beside = self.parent_path() / tool;
  if (std::filesystem::exists(beside, error)) return beside;
  return self.parent_path().parent_path() / "libexec" / "quillmere" / tool;
}

class ToolCommand : public Command {
 public:
  ToolCommand(CLI::App& app, std::string name, std::string description, std::string tool,
              const std::string& separatorText)
      : tool_(std::move(tool)), separatorText_(separatorText) {
    subcommand_ = app.add_subcommand(std::move(name), std::move(description));
    subcommand_->prefix_command();  // everything after the name belongs to the program
    subcommand_->set_help_flag();   // and so does --help
    subcommand_->fallthrough(false);
  }

  void Validate(OutputClashCheck& /*files*/) override {}  // the program validates its own

  int Work(const ProgramStreams& streams) override {
    std::ostream& err = streams.Err;
    const std::filesystem::path path = ToolPath(tool_);
    std::vector<std::string> arguments{path.string()};
    if (!separatorText_.empty()) {
      arguments.insert(arguments.end(), {"--decimal-separator", separatorText_});
    }
    for (const std::string& argument : subcommand_->remaining()) arguments.push_back(argument);
    std::vector<char*> argv;
    for (std::string& argument : arguments) argv.push_back(argument.data());
    argv.push_back(nullptr);
    err.flush();
    // The program receives a stop signal that comes before its handlers are in place once
    // they are: it starts with the signals blocked.
    BlockStopSignals();
    PassStopOn();
    ::execv(path.c_str(), argv.data());
    UnblockStopSignals();
    // A program that is missing or cannot be run is a file problem of the installation, not a
    // fault of a run.
    const int error = errno;
    err << "Could not start " << Quoted(path.string()) << " for \"" << subcommand_->get_name()
        << "\": " << SystemReason(error) << '\n';
    return ExitStatus(ErrorKind::File);
  }

 private:
  std::string tool_;
  const std::string& separatorText_;
};

}  // namespace

std::unique_ptr<Command> AddToolCommand(CLI::App& app, std::string name, std::string description,
                                        std::string tool, const std::string& separatorText) {
  return std::make_unique<ToolCommand>(app, std::move(name), std::move(description),
                                       std::move(tool), separatorText);
}

}  // namespace quillmere
