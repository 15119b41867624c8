#include "cli/CommandLine.h"

#include <CLI/CLI.hpp>

#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "cli/Command.h"
#include "cli/DecimalSeparator.h"
#include "cli/Suggestions.h"

namespace quillmere {

int RunCommandLine(int argc, const char* const* argv, std::ostream& out, std::ostream& err) {
  CLI::App app{
      "Simulates the drying of a solvent coating on a base film through up to 14 dryer "
      "zones, without the window.",
      "quillmere-cli"};
  app.set_version_flag("--version", std::string("quillmere-cli ") + QUILLMERE_VERSION,
                       "Print the version and exit");
  app.require_subcommand(1);
  app.fallthrough();  // --decimal-separator may also follow the command
  app.footer(
      "Exit status: 0 finished; 1 the inputs or the data file were refused; 2 a file could not "
      "be opened, read or written; 3 another error (a floating-point fault) ended the run; 64 "
      "a wrong command line.");

  std::string separatorText;
  AddDecimalSeparatorOption(app, separatorText, "fields, data files and the result file");

  std::vector<std::unique_ptr<Command>> commands;
  commands.push_back(AddRunCommand(app));
  commands.push_back(AddTemplateCommand(app));
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

  try {
    app.parse(argc, argv);
  } catch (const CLI::ParseError& e) {
    return ReportParseError(app, e, out, err, ExitStatus(ErrorKind::Usage));
  }

  const char separator = separatorText.empty() ? UserDecimalSeparator() : separatorText[0];
  for (const auto& command : commands) {
    if (command->Subcommand().parsed()) return command->Execute(separator, out, err);
  }
  return ExitStatus(ErrorKind::Usage);
}

}  // namespace quillmere
