// quillmere-cli run as a program, in a scratch directory of its own, with the C locale unless a
// test chooses the separator.
#include <gtest/gtest.h>
#include <sys/wait.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <string>
#include <string_view>
#include <vector>

#include "TestSupport.h"
#include "app/DataFile.h"
#include "params/MemoryFieldTexts.h"

namespace quillmere {
namespace {

struct Outcome {
  int status = -1;
  std::string out;
  std::string err;
};

std::string Quote(std::string_view text) {
  std::string quoted = "'";
  for (char c : text) {
    if (c == '\'') {
      quoted += "'\\''";
    } else {
      quoted += c;
    }
  }
  return quoted + "'";
}

std::vector<std::string> Lines(const std::string& text) {
  std::vector<std::string> lines;
  std::size_t start = 0;
  while (start < text.size()) {
    std::size_t end = text.find('\n', start);
    if (end == std::string::npos) end = text.size();
    lines.push_back(text.substr(start, end - start));
    start = end + 1;
  }
  return lines;
}

class CommandLine : public ::testing::Test {
 protected:
  //! Runs `quillmere-cli <arguments>` (shell syntax) in the work directory; `before` is a
  //! shell command whose output is piped in.
  Outcome Cli(const std::string& arguments, const std::string& before = {}) {
    std::string command = "cd " + Quote(work_.path().string()) + " && ";
    if (!before.empty()) command += "LC_ALL=C " + before + " | ";
    command += "LC_ALL=C " + CliCommand() + " " + arguments + " > " + Quote(capture_.File("out")) +
               " 2> " + Quote(capture_.File("err"));
    if (before.empty()) command += " < /dev/null";
    const int raw = std::system(command.c_str());
    Outcome outcome;
    outcome.status = WIFEXITED(raw) ? WEXITSTATUS(raw) : -1;
    outcome.out = test::ReadBytes(capture_.File("out"));
    outcome.err = test::ReadBytes(capture_.File("err"));
    return outcome;
  }

  std::string CliCommand() const { return Quote(QUILLMERE_CLI); }

  std::string WorkFile(std::string_view name) const { return work_.File(name); }
  std::string ReadWork(std::string_view name) const { return test::ReadBytes(work_.File(name)); }
  bool ExistsInWork(std::string_view name) const {
    return std::filesystem::exists(work_.path() / name);
  }
  void WriteWork(std::string_view name, std::string_view bytes) const {
    std::ofstream out(work_.File(name), std::ios::binary);
    out << bytes;
  }

  //! The default data file with the value of line `line` (1 to 119) replaced.
  static std::string TemplateWith(int line, std::string_view value) {
    const std::string text = DataFileText(MemoryFieldTexts('.'));
    std::size_t start = 0;
    for (int n = 1; n < line; ++n) start = text.find("\r\n", start) + 2;
    const std::size_t equals = text.find('=', start);
    const std::size_t end = text.find("\r\n", start);
    return text.substr(0, equals + 1) + "  " + std::string(value) + text.substr(end);
  }

  test::ScratchDirectory work_;
  test::ScratchDirectory capture_;
};

constexpr std::string_view kEchoStart = "===================\r\nPHISICAL PROPERTIES\r\n";

// ---- help and version -----------------------------------------------------------------------

TEST_F(CommandLine, HelpListsBothCommands) {
  const Outcome help = Cli("--help");
  EXPECT_EQ(help.status, 0);
  EXPECT_NE(help.out.find("run"), std::string::npos) << help.out;
  EXPECT_NE(help.out.find("template"), std::string::npos) << help.out;
  EXPECT_NE(help.out.find("--decimal-separator"), std::string::npos) << help.out;
  EXPECT_EQ(help.err, "");

  const Outcome runHelp = Cli("run --help");
  EXPECT_EQ(runHelp.status, 0);
  EXPECT_NE(runHelp.out.find("DATAFILE"), std::string::npos) << runHelp.out;
  EXPECT_NE(runHelp.out.find("result.txt"), std::string::npos) << runHelp.out;
}

TEST_F(CommandLine, VersionIsTheProgramsVersion) {
  const Outcome version = Cli("--version");
  EXPECT_EQ(version.status, 0);
  EXPECT_EQ(version.out, std::string("quillmere-cli ") + QUILLMERE_VERSION + "\n");
}

TEST_F(CommandLine, ACommandIsRequired) {
  const Outcome none = Cli("");
  EXPECT_EQ(none.status, 64);
  EXPECT_NE(none.err, "");
  EXPECT_EQ(Cli("frobnicate").status, 64);
  EXPECT_EQ(Cli("run a.txt b.txt").status, 64);
}

TEST_F(CommandLine, DecimalSeparatorIsOneCharacter) {
  EXPECT_EQ(Cli("--decimal-separator ab run").status, 64);
  EXPECT_EQ(Cli("--decimal-separator 5 run").status, 64);
  EXPECT_EQ(Cli("--decimal-separator '' run").status, 64);
  EXPECT_FALSE(ExistsInWork("result.txt"));
}

// ---- run ------------------------------------------------------------------------------------

TEST_F(CommandLine, DefaultRunWritesTheResultFileAndASummary) {
  const Outcome run = Cli("run");
  EXPECT_EQ(run.status, 0) << run.err;
  EXPECT_EQ(run.err, "");
  const std::vector<std::string> lines = Lines(run.out);
  ASSERT_EQ(lines.size(), 4u) << run.out;
  EXPECT_NE(lines[0].find("TIME"), std::string::npos);
  EXPECT_NE(lines[0].find("TEMP"), std::string::npos);
  // Zone 1 ends after 300 steps of 0.1 s, at about 59.45 degrees Celsius.
  EXPECT_EQ(lines[1].substr(0, 4), "   1");
  EXPECT_NE(lines[1].find(" 30.000 "), std::string::npos) << lines[1];
  EXPECT_NE(lines[1].find(" 59.4"), std::string::npos) << lines[1];
  EXPECT_EQ(lines[2].substr(0, 4), "   2");
  EXPECT_NE(lines[2].find(" 60.000 "), std::string::npos) << lines[2];
  EXPECT_EQ(lines[3], "Result file: result.txt");

  const std::string result = ReadWork("result.txt");
  EXPECT_EQ(result.rfind(kEchoStart, 0), 0u);
  EXPECT_NE(result.find("  [SIMULATION RESULTS]\r\n"), std::string::npos);
}

TEST_F(CommandLine, OutputNamesTheResultFile) {
  const Outcome run = Cli("run -o other.txt");
  EXPECT_EQ(run.status, 0) << run.err;
  EXPECT_TRUE(ExistsInWork("other.txt"));
  EXPECT_FALSE(ExistsInWork("result.txt"));
  EXPECT_EQ(Lines(run.out).back(), "Result file: other.txt");
}

TEST_F(CommandLine, TemplatePipedIntoRunGivesTheSameResultFile) {
  ASSERT_EQ(Cli("run -o plain.txt").status, 0);
  const Outcome piped = Cli("run /dev/stdin -o piped.txt", CliCommand() + " template");
  EXPECT_EQ(piped.status, 0) << piped.err;
  EXPECT_EQ(piped.err, "");
  const std::string plain = ReadWork("plain.txt");
  ASSERT_FALSE(plain.empty());
  EXPECT_TRUE(plain == ReadWork("piped.txt"));
}

TEST_F(CommandLine, TemplateFileGivesTheSameResultFile) {
  ASSERT_EQ(Cli("run -o plain.txt").status, 0);
  ASSERT_EQ(Cli("template -o defaults.dat").status, 0);
  EXPECT_EQ(ReadWork("defaults.dat"), DataFileText(MemoryFieldTexts('.')));
  const Outcome run = Cli("run defaults.dat -o loaded.txt");
  EXPECT_EQ(run.status, 0) << run.err;
  EXPECT_TRUE(ReadWork("plain.txt") == ReadWork("loaded.txt"));
}

TEST_F(CommandLine, TemplateOnStandardOutputIsTheDefaultDataFile) {
  const Outcome output = Cli("template");
  EXPECT_EQ(output.status, 0);
  EXPECT_TRUE(output.out == DataFileText(MemoryFieldTexts('.')));
  EXPECT_EQ(output.err, "");
  const Outcome comma = Cli("--decimal-separator , template");
  EXPECT_TRUE(comma.out == DataFileText(MemoryFieldTexts(',')));
}

TEST_F(CommandLine, TemplateIntoAMissingDirectoryExits2) {
  const Outcome output = Cli("template -o missing/defaults.dat");
  EXPECT_EQ(output.status, 2);
  EXPECT_NE(output.err.find("No such file or directory"), std::string::npos) << output.err;
}

TEST_F(CommandLine, DataFileFromTheTestDataRunsThreeZones) {
  const Outcome run = Cli("run " + Quote(QUILLMERE_TEST_DATA "/three-zones.dat"));
  EXPECT_EQ(run.status, 0) << run.err;
  const std::vector<std::string> lines = Lines(run.out);
  ASSERT_EQ(lines.size(), 5u) << run.out;
  EXPECT_EQ(lines[3].substr(0, 4), "   3");
  EXPECT_NE(ReadWork("result.txt").find("\r\n  ZONE 3\r\n"), std::string::npos);
}

TEST_F(CommandLine, RefusedDataFileExits1AndWritesNothing) {
  // A result file is not a data file: its second line holds no "=".
  ASSERT_EQ(Cli("run -o old-result.txt").status, 0);
  const Outcome run = Cli("run old-result.txt");
  EXPECT_EQ(run.status, 1);
  const std::string path = (std::filesystem::canonical(work_.path()) / "old-result.txt").string();
  EXPECT_EQ(run.err, "\"" + path + "\" is not a correct data file!\n");
  EXPECT_EQ(run.out, "");
  EXPECT_FALSE(ExistsInWork("result.txt"));
}

TEST_F(CommandLine, MissingDataFileExits1) {
  const Outcome run = Cli("run missing.dat");
  EXPECT_EQ(run.status, 1);
  EXPECT_EQ(run.err, "Data file can not open!\n");
  EXPECT_FALSE(ExistsInWork("result.txt"));
}

TEST_F(CommandLine, InputMessageExits1) {
  const Outcome noName = Cli("run -o ''");
  EXPECT_EQ(noName.status, 1);
  EXPECT_EQ(noName.err, "Input Save File Name!\n");

  WriteWork("letters.dat", TemplateWith(34, "fast"));  // the speed, Edit6
  const Outcome letters = Cli("run letters.dat");
  EXPECT_EQ(letters.status, 1);
  EXPECT_EQ(letters.err, "Input value is not correct!\n");
  EXPECT_FALSE(ExistsInWork("result.txt"));
}

TEST_F(CommandLine, UnconvertibleOuterTemperatureOfAFurtherZoneExits1) {
  WriteWork("zone3.dat", TemplateWith(48, "hot"));  // outer temperature of zone 3, Edit31
  const Outcome run = Cli("run zone3.dat");
  EXPECT_EQ(run.status, 1);
  EXPECT_NE(run.err, "");
  EXPECT_EQ(Lines(run.err).size(), 1u) << run.err;
  EXPECT_FALSE(ExistsInWork("result.txt"));
}

TEST_F(CommandLine, ResultFileInAMissingDirectoryExits2) {
  const Outcome run = Cli("run -o missing/result.txt");
  EXPECT_EQ(run.status, 2);
  EXPECT_EQ(run.err, "File can not open!\n");
  EXPECT_EQ(run.out, "");
}

TEST_F(CommandLine, ZeroSolvent1RatioExits3WithTheFloatingPointError) {
  WriteWork("dry.dat", TemplateWith(32, "0"));  // initial Solvent-1 ratio, Edit4
  const Outcome run = Cli("run dry.dat");
  EXPECT_EQ(run.status, 3);
  EXPECT_NE(run.err.find("Invalid floating point operation"), std::string::npos) << run.err;
  EXPECT_EQ(Lines(run.err).size(), 1u) << run.err;
  EXPECT_EQ(run.out, "");
  // The header was written before the entry state was computed.
  const std::string result = ReadWork("result.txt");
  EXPECT_EQ(result.rfind(kEchoStart, 0), 0u);
  EXPECT_EQ(result.find("[SIMULATION RESULTS]"), std::string::npos);
}

TEST_F(CommandLine, CommaSeparatorRunsTheDefaultsAndWritesCommas) {
  const Outcome run = Cli("--decimal-separator , run");
  EXPECT_EQ(run.status, 0) << run.err;
  const std::string result = ReadWork("result.txt");
  EXPECT_NE(result.find("=  15,00\r\n"), std::string::npos);
  EXPECT_EQ(result.find("15.00"), std::string::npos);
  EXPECT_NE(run.out.find(" 30,000 "), std::string::npos) << run.out;

  // The option may also follow the command.
  const Outcome after = Cli("run -o after.txt --decimal-separator ,");
  EXPECT_EQ(after.status, 0) << after.err;
  EXPECT_TRUE(ReadWork("after.txt") == result);
}

TEST_F(CommandLine, PointDataFileUnderACommaSeparatorIsRefusedAtOk) {
  ASSERT_EQ(Cli("template -o point.dat").status, 0);
  const Outcome run = Cli("--decimal-separator , run point.dat");
  EXPECT_EQ(run.status, 1);
  EXPECT_EQ(run.err, "Input value is not correct!\n");
}

}  // namespace
}  // namespace quillmere
