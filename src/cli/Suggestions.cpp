#include "cli/Suggestions.h"

#include <algorithm>

#include "base/EditDistance.h"
#include "base/PrintableText.h"

namespace quillmere {
namespace {

//! The long and short names of an app's options, with their dashes ("--output", "-o").
void AddOptionNames(const CLI::App& app, std::vector<std::string>& names) {
  for (const CLI::Option* option : app.get_options()) {
    for (const std::string& name : option->get_lnames()) names.push_back("--" + name);
    for (const std::string& name : option->get_snames()) names.push_back("-" + name);
  }
}

}  // namespace

std::string ClosestWord(std::string_view word, const std::vector<std::string>& candidates) {
  std::string closest;
  // A single letter is no misspelling of anything, and a word with more than a third of its
  // letters wrong is another word.
  const std::size_t letters = word.size() - std::min(word.find_first_not_of('-'), word.size());
  if (letters < 2) return closest;
  std::size_t best = std::max<std::size_t>(1, letters / 3) + 1;
  for (const std::string& candidate : candidates) {
    const std::size_t distance = EditDistance(word, candidate);
    if (distance < best) {
      best = distance;
      closest = candidate;
    }
  }
  return closest;
}

std::vector<std::string> Suggestions(const CLI::App& app) {
  // The command that was chosen, if any: its options and those of the program apply.
  const CLI::App* chosen = nullptr;
  for (const CLI::App* sub : app.get_subcommands([](const CLI::App*) { return true; })) {
    if (sub->parsed()) chosen = sub;
  }
  std::vector<std::string> options;
  AddOptionNames(app, options);
  if (chosen != nullptr) AddOptionNames(*chosen, options);
  std::vector<std::string> commands;
  for (const CLI::App* sub : app.get_subcommands([](const CLI::App*) { return true; })) {
    commands.push_back(sub->get_name());
  }

  std::vector<std::string> left = app.remaining(true);
  if (chosen != nullptr) {
    const std::vector<std::string> more = chosen->remaining(true);
    left.insert(left.end(), more.begin(), more.end());
  }
  std::vector<std::string> lines;
  for (const std::string& argument : left) {
    const bool isOption = argument.size() > 1 && argument[0] == '-';
    const std::string word = isOption ? argument.substr(0, argument.find('=')) : argument;
    if (!isOption && chosen != nullptr) continue;  // a surplus operand of the command
    const std::string closest = ClosestWord(word, isOption ? options : commands);
    if (closest.empty() || closest == word) continue;
    const std::string line = std::string(isOption ? "Unknown option" : "Unknown command") + " " +
                             Quoted(word) + ": did you mean \"" + closest + "\"?";
    if (std::find(lines.begin(), lines.end(), line) == lines.end()) lines.push_back(line);
  }
  return lines;
}

int ReportParseError(const CLI::App& app, const CLI::ParseError& error, std::ostream& out,
                     std::ostream& err, int usageStatus) {
  if (error.get_exit_code() == static_cast<int>(CLI::ExitCodes::Success)) {
    return const_cast<CLI::App&>(app).exit(error, out, err);
  }
  // A misspelt command is told as such alone: the missing command is what follows from it.
  const std::vector<std::string> suggestions = Suggestions(app);
  const bool misspeltCommand =
      std::any_of(suggestions.begin(), suggestions.end(),
                  [](const std::string& line) { return line.starts_with("Unknown command"); });
  if (!misspeltCommand) err << PrintableMessage(error.what(), 1000) << '\n';
  for (const std::string& line : suggestions) err << line << '\n';
  err << "Run with --help for more information.\n";
  return usageStatus;
}

}  // namespace quillmere
