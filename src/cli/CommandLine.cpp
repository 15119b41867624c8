#include "cli/CommandLine.h"

#include <CLI/CLI.hpp>

#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "cli/Command.h"
#include "cli/DecimalSeparator.h"
#include "cli/ProgramShell.h"
#include "cli/Suggestions.h"

namespace quillmere {
namespace {

//! The commands, a line each: what a bare quillmere-cli prints.
std::string CommandList(const CLI::App& app) {
  std::string text = "Usage: quillmere-cli COMMAND [OPTIONS]; the commands:\n";
  for (const CLI::App* command : app.get_subcommands([](const CLI::App*) { return true; })) {
    const std::string description = command->get_description();
    text += "  " + command->get_name() + std::string(10 - command->get_name().size(), ' ') +
            description.substr(0, description.find(" (see:")) + "\n";
  }
  return text + "Run quillmere-cli COMMAND --help for a command's options.\n";
}

}  // namespace

int RunCommandLine(int argc, const char* const* argv, std::ostream& out, std::ostream& err) {
  CLI::App app{
      "Simulates the drying of a solvent coating on a base film through up to 14 dryer "
      "zones, without the window.",
      "quillmere-cli"};
  app.set_version_flag("--version", std::string("quillmere-cli ") + QUILLMERE_VERSION,
                       "Print the version and exit");
  app.require_subcommand(1);
  app.fallthrough();  // --decimal-separator may also follow the command
  app.footer(ExitStatusHelp());

  std::string separatorText;
  AddDecimalSeparatorOption(app, separatorText, "fields, data files and the result file");

  std::vector<std::unique_ptr<Command>> commands;
  commands.push_back(AddRunCommand(app, separatorText));
  commands.push_back(AddTemplateCommand(app, separatorText));
  commands.push_back(AddToolCommand(
      app, "sweep",
      "Run a grid of cases that vary inputs over ranges, on every core, into one table of "
      "results (see: quillmere-cli sweep --help)",
      "quillmere-sweep", separatorText));
  commands.push_back(AddToolCommand(
      app, "fit",
      "Fit the fitting parameters to measurements of one or more trials by least squares "
      "(see: quillmere-cli fit --help)",
      "quillmere-fit", separatorText));
  commands.push_back(
      AddToolCommand(app, "optimise",
                     "Find the settings that maximise or minimise an objective within limits (see: "
                     "quillmere-cli optimise --help)",
                     "quillmere-optimise", separatorText));
  commands.back()->Subcommand().alias("optimize");

  if (argc <= 1) {
    err << CommandList(app);
    return ExitStatus(ErrorKind::Usage);
  }
  try {
    app.parse(argc, argv);
  } catch (const CLI::ParseError& e) {
    return ReportParseError(app, e, out, err, ExitStatus(ErrorKind::Usage));
  }
  for (const auto& command : commands) {
    if (command->Subcommand().parsed()) {
      return RunProgram(*command, command->Subcommand().get_name(), {out, err, false});
    }
  }
  return ExitStatus(ErrorKind::Usage);
}

}  // namespace quillmere
