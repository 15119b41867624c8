// "Did you mean" for a command line with a misspelt command or option.
#pragma once

#include <CLI/CLI.hpp>

#include <string>
#include <string_view>
#include <vector>

namespace quillmere {

//! The candidate closest to `word` (fewest single-character edits, case ignored), when it is
//! close enough to be a misspelling of it: "" otherwise.
std::string ClosestWord(std::string_view word, const std::vector<std::string>& candidates);

//! After `app` refused its arguments: a "Did you mean" line for each argument that was left
//! over and is close to a command (when none was chosen) or to an option of the command that
//! was chosen (or of the program).
std::vector<std::string> Suggestions(const CLI::App& app);

//! Writes a refused command line's error, the suggestions and where help is; for --help and
//! --version what CLI11 prints. Returns 0 for help and version, `usageStatus` otherwise.
int ReportParseError(const CLI::App& app, const CLI::ParseError& error, std::ostream& out,
                     std::ostream& err, int usageStatus);

}  // namespace quillmere
