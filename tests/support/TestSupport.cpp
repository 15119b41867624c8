#include "TestSupport.h"

#include <gtest/gtest.h>

#include <sys/wait.h>

#include <cstdlib>
#include <fstream>
#include <iterator>
#include <random>

#include "params/AcquireParameters.h"
#include "params/MemoryFieldTexts.h"

namespace quillmere::test {

ScratchDirectory::ScratchDirectory() {
  std::random_device random;
  path_ = std::filesystem::temp_directory_path() /
          ("quillmere-test-" + std::to_string(random()) + std::to_string(random()));
  std::filesystem::create_directories(path_);
}

ScratchDirectory::~ScratchDirectory() {
  std::error_code ignored;
  std::filesystem::remove_all(path_, ignored);
}

std::string ReadBytes(const std::filesystem::path& file) {
  std::ifstream in(file, std::ios::binary);
  return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

std::vector<std::string> CrLfLines(std::string_view text) {
  std::vector<std::string> lines;
  while (!text.empty()) {
    const std::size_t end = text.find("\r\n");
    if (end == std::string_view::npos) {
      ADD_FAILURE() << "text ends without CR LF: \"" << text << "\"";
      break;
    }
    const std::string_view line = text.substr(0, end);
    EXPECT_EQ(line.find_first_of("\r\n"), std::string_view::npos) << "bare CR or LF in " << line;
    lines.emplace_back(line);
    text.remove_prefix(end + 2);
  }
  return lines;
}

std::vector<std::string> Words(std::string_view text) {
  std::vector<std::string> words;
  std::size_t i = 0;
  while (i < text.size()) {
    while (i < text.size() && text[i] == ' ') ++i;
    const std::size_t start = i;
    while (i < text.size() && text[i] != ' ') ++i;
    if (i > start) words.emplace_back(text.substr(start, i - start));
  }
  return words;
}

std::string ShellQuote(std::string_view text) {
  std::string quoted = "'";
  for (char c : text) quoted += c == '\'' ? std::string("'\\''") : std::string(1, c);
  return quoted + "'";
}

ProgramOutcome RunShell(const std::string& command, const ScratchDirectory& capture) {
  const std::string full = "{ " + command + " ; } > " + ShellQuote(capture.File("out")) + " 2> " +
                           ShellQuote(capture.File("err"));
  const int raw = std::system(full.c_str());
  return {WIFEXITED(raw) ? WEXITSTATUS(raw) : -1, ReadBytes(capture.File("out")),
          ReadBytes(capture.File("err"))};
}

Model DefaultModel(char decimalSeparator) {
  Model model;
  const MemoryFieldTexts fields(decimalSeparator);
  RecordingMessages messages;
  if (!AcquireParameters(fields, messages, decimalSeparator, *model.params,
                         model.state->EntryTemperature())
           .Ok()) {
    ADD_FAILURE() << "the default texts are refused";
  }
  InitialiseSimulation(*model.params, *model.state);
  return model;
}

}  // namespace quillmere::test
