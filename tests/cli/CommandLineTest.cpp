// quillmere-cli run as a program, in a scratch directory of its own, with the C locale unless a
// test chooses the separator.
#include <gtest/gtest.h>
#include <sys/wait.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <nlohmann/json.hpp>
#include <string>
#include <string_view>
#include <vector>

#include "TestSupport.h"
#include "params/MemoryFieldTexts.h"
#include "report/DataFile.h"

namespace quillmere {
namespace {

using Outcome = test::ProgramOutcome;
using test::ShellQuote;

//! The default data file with the value of line `line` (1 to 119) replaced.
std::string TemplateWith(int line, std::string_view value,
                         const std::string& text = DataFileText(MemoryFieldTexts('.'))) {
  std::size_t start = 0;
  for (int n = 1; n < line; ++n) start = text.find("\r\n", start) + 2;
  return text.substr(0, text.find('=', start) + 1) + "  " + std::string(value) +
         text.substr(text.find("\r\n", start));
}

class CommandLine : public ::testing::Test {
 protected:
  //! Runs `quillmere-cli <arguments>` (shell syntax) in the work directory; `before` is a
  //! shell command whose output is piped in.
  //! Standard output goes to `output` when given (a shell word), else it is captured.
  Outcome Cli(const std::string& arguments, const std::string& before = {},
              const std::string& output = {}) {
    std::string command = "cd " + ShellQuote(work_.path().string()) + " && ";
    if (!before.empty()) command += "LC_ALL=C " + before + " | ";
    command += "LC_ALL=C " + ShellQuote(QUILLMERE_CLI) + " " + arguments;
    if (!output.empty()) command += " > " + output;
    if (before.empty()) command += " < /dev/null";
    return test::RunShell(command, capture_);
  }

  std::string ReadWork(std::string_view name) const { return test::ReadBytes(work_.File(name)); }
  bool ExistsInWork(std::string_view name) const {
    return std::filesystem::exists(work_.path() / name);
  }

  test::ScratchDirectory work_;
  test::ScratchDirectory capture_;
};

constexpr std::string_view kEchoStart = "===================\r\nPHISICAL PROPERTIES\r\n";

TEST_F(CommandLine, HelpAndVersionExit0AndAWrongCommandLine64) {
  const Outcome help = Cli("--help");
  EXPECT_EQ(help.status, 0);
  EXPECT_NE(help.out.find("run"), std::string::npos) << help.out;
  EXPECT_NE(help.out.find("template"), std::string::npos) << help.out;
  const Outcome version = Cli("--version");
  EXPECT_EQ(version.status, 0);
  EXPECT_EQ(version.out, std::string("quillmere-cli ") + QUILLMERE_VERSION + "\n");

  for (const char* wrong : {"", "frobnicate", "run a.txt b.txt", "--decimal-separator ab run",
                            "--decimal-separator 5 run"}) {
    const Outcome usage = Cli(wrong);
    EXPECT_EQ(usage.status, 64) << wrong;
    EXPECT_NE(usage.err, "") << wrong;
  }
  EXPECT_FALSE(ExistsInWork("result.txt"));
}

TEST_F(CommandLine, DefaultRunWritesTheResultFileAndASummary) {
  const Outcome run = Cli("run");
  EXPECT_EQ(run.status, 0) << run.err;
  EXPECT_EQ(run.err, "");
  // Zone 1 ends after 300 steps of 0.1 s, at about 59.45 degrees Celsius.
  EXPECT_NE(run.out.find("\n   1      30.000          59.4"), std::string::npos) << run.out;
  EXPECT_NE(run.out.find("\n   2      60.000"), std::string::npos) << run.out;
  EXPECT_NE(run.out.find("\nResult file: result.txt\n"), std::string::npos) << run.out;
  EXPECT_EQ(ReadWork("result.txt").rfind(kEchoStart, 0), 0u);
}

TEST_F(CommandLine, TemplateReadBackGivesTheSameResultFile) {
  ASSERT_EQ(Cli("run -o plain.txt").status, 0);
  const std::string plain = ReadWork("plain.txt");
  ASSERT_FALSE(plain.empty());

  const Outcome piped = Cli("run /dev/stdin -o piped.txt", ShellQuote(QUILLMERE_CLI) + " template");
  EXPECT_EQ(piped.status, 0) << piped.err;
  EXPECT_EQ(piped.err, "");
  EXPECT_TRUE(ReadWork("piped.txt") == plain);

  ASSERT_EQ(Cli("template -o defaults.dat").status, 0);
  EXPECT_TRUE(ReadWork("defaults.dat") == DataFileText(MemoryFieldTexts('.')));
  ASSERT_EQ(Cli("run defaults.dat -o loaded.txt").status, 0);
  EXPECT_TRUE(ReadWork("loaded.txt") == plain);
}

// A data file as the original program wrote it, with a third zone.
TEST_F(CommandLine, DataFileOfTheTestDataRunsThreeZones) {
  const Outcome run = Cli("run " + ShellQuote(QUILLMERE_TEST_DATA "/three-zones.dat"));
  EXPECT_EQ(run.status, 0) << run.err;
  EXPECT_NE(run.out.find("\n   3 "), std::string::npos) << run.out;
  EXPECT_NE(ReadWork("result.txt").find("\r\n  ZONE 3\r\n"), std::string::npos);
}

TEST_F(CommandLine, RefusedDataFileExits1AndWritesNothing) {
  // A result file is not a data file: its second line holds no "=".
  ASSERT_EQ(Cli("run -o old-result.txt").status, 0);
  const Outcome run = Cli("run old-result.txt");
  EXPECT_EQ(run.status, 1);
  const std::string path = (std::filesystem::canonical(work_.path()) / "old-result.txt").string();
  EXPECT_EQ(run.err, "\"" + path + "\" is not a correct data file!\nLine 2 holds no \"=\".\n");
  EXPECT_EQ(run.out, "");
  EXPECT_FALSE(ExistsInWork("result.txt"));
}

// Each failure writes its one message line to standard error and no summary.
TEST_F(CommandLine, FailureExitsWithItsStatusAndMessage) {
  struct Case {
    std::string input;  // written to input.dat, when not empty
    std::string arguments;
    int status;
    std::string err;
    std::string before = {};  // a shell command whose output is piped in
  };
  const std::string work = std::filesystem::canonical(work_.path()).string();
  const Case cases[] = {
      {"", "run -o ''", 1, "Input Save File Name!\n"},
      {"", "run missing.dat", 2,
       "Data file can not open!\nCould not open the data file \"" + work +
           "/missing.dat\": No such file or directory\n"},
      {TemplateWith(34, "fast"), "run input.dat", 1,
       "Input value is not correct!\nLine 34 of the data file \"" + work +
           "/input.dat\": Speed (m/s) (Edit6) holds \"fast\", which is not a number; the "
           "decimal separator in force is \".\".\n"},
      {TemplateWith(34, "-1.5"), "run input.dat", 1,
       "Input value is not correct!\nLine 34 of the data file \"" + work +
           "/input.dat\": Speed (m/s) (Edit6) is -1.5: the web must run forward through the "
           "dryer, so the Speed must not be negative.\n"},
      {TemplateWith(34, ""), "run input.dat", 1,
       "Input value is not correct!\nLine 34 of the data file \"" + work +
           "/input.dat\": Speed (m/s) (Edit6) is empty.\n"},
      {TemplateWith(2, "1,4"), "run input.dat", 1,
       "Input value is not correct!\nLine 2 of the data file \"" + work +
           "/input.dat\": Density (g/cm3) of Polymer (Edit212) holds \"1,4\", which is not a "
           "number; the decimal separator in force is \".\".\n"},
      // A data file written with "." read where the separator is ",": its first field fails.
      {TemplateWith(34, "1"), "--decimal-separator , run input.dat", 1,
       "Input value is not correct!\nLine 29 of the data file \"" + work +
           "/input.dat\": Initial Coating Weight (kg/m2) (Edit1) holds \"0.0695\", which is "
           "not a number; the decimal separator in force is \",\". The file seems to write its "
           "numbers with \".\" as the decimal separator.\n"},
      {TemplateWith(43, "thirty"), "run input.dat", 1,
       "Input value of Zone 2 is not correct!\nLine 43 of the data file \"" + work +
           "/input.dat\": Zone Length (m) of zone 2 (Edit22) holds \"thirty\", which is not a "
           "number; the decimal separator in force is \".\".\n"},
      {TemplateWith(46, "x"), "run -", 1,
       "Input value of Zone 2 is not correct!\nLine 46 of the data file on standard input: "
       "Heat Trans. Coeff. - Upper (kJ/m2.s.K) of zone 2 (Edit25) holds \"x\", which is not a "
       "number; the decimal separator in force is \".\".\n",
       "cat input.dat"},
      {"", "swep", 64,
       "A subcommand is required\nUnknown command \"swep\": did you mean \"sweep\"?\n"
       "Run with --help for more information.\n"},
      {"", "run --ouput x.txt", 64,
       "The following argument was not expected: --ouput\nUnknown option \"--ouput\": did you "
       "mean \"--output\"?\nRun with --help for more information.\n"},
      {"", "--decimal-separater , run", 64,
       "The following arguments were not expected: , --decimal-separater\nUnknown option "
       "\"--decimal-separater\": did you mean \"--decimal-separator\"?\n"
       "Run with --help for more information.\n"},
      {TemplateWith(48, "hot"), "run input.dat", 1,
       "Outer Temperature of Zone 3: \"hot\" is not a valid number.\n"},
      {"", "run -o missing/result.txt", 2,
       "File can not open!\nCould not create the result file \"missing/result.txt\": No such "
       "file or directory\n"},
      {"", "template -o missing/defaults.dat", 2,
       "Could not create the data file \"missing/defaults.dat\": No such file or directory.\n"},
      // A zero initial Solvent-1 ratio faults in the entry state.
      {TemplateWith(32, "0"), "run input.dat", 3,
       "Warning: The Initial Solid Weight Ratio (Edit3), Initial Solvent-1 Weight Ratio (Edit4) "
       "and Initial Solvent-2 Weight Ratio (Edit5) add up to 0.4, not 1: the coating's weights "
       "are taken from each ratio as it is given.\n"
       "Invalid floating point operation.\nat the dryer's entry\n"
       "The result file \"result.txt\" holds the echo of the inputs only.\n"},
      {"", "run " + ShellQuote(QUILLMERE_TEST_DATA "/fault-zone2.dat"), 3,
       "Floating point overflow.\nin zone 2 at 0.00 m (30.00 m from the dryer's entry)\n"
       "The result file \"result.txt\" holds the echo of the inputs, the table of zone 1 and "
       "the conditions of zone 2, without its table.\n"},
  };
  for (const Case& c : cases) {
    if (!c.input.empty()) std::ofstream(work_.File("input.dat"), std::ios::binary) << c.input;
    const Outcome run = Cli(c.arguments, c.before);
    EXPECT_EQ(run.status, c.status) << c.arguments;
    EXPECT_EQ(run.err, c.err) << c.arguments;
    EXPECT_EQ(run.out, "") << c.arguments;
    // Only the fault of exit 3 comes after the echo was written.
    EXPECT_EQ(ExistsInWork("result.txt"), c.status == 3) << c.arguments;
    std::filesystem::remove(work_.path() / "result.txt");
  }
}

// A run never writes its result over the data file it read, under any name of that file.
TEST_F(CommandLine, ARunRefusesToOverwriteItsOwnDataFile) {
  ASSERT_EQ(Cli("template -o result.txt").status, 0);
  const std::string data = ReadWork("result.txt");
  std::filesystem::create_hard_link(work_.path() / "result.txt", work_.path() / "linked.dat");
  const std::string work = std::filesystem::canonical(work_.path()).string();
  const std::pair<std::string, std::string> cases[] = {
      {"run result.txt", "result.txt"},
      {"run linked.dat -o result.txt", "result.txt"},
      {"run result.txt -o linked.dat", "linked.dat"},
  };
  for (const auto& [arguments, resultName] : cases) {
    const Outcome run = Cli(arguments);
    EXPECT_EQ(run.status, 64) << arguments;
    const std::string dataName = arguments.substr(4, arguments.find(' ', 4) - 4);
    EXPECT_EQ(run.err, "The result file \"" + resultName + "\" is the data file \"" + work + "/" +
                           dataName +
                           "\" of this run, which is left as it is. Choose another result "
                           "file.\n")
        << arguments;
    EXPECT_EQ(run.out, "");
    EXPECT_TRUE(ReadWork("result.txt") == data) << arguments;
  }
}

// The result on standard output, named or as "-": the summary moves to standard error, so the
// two never overwrite each other.
TEST_F(CommandLine, AResultOnStandardOutputSendsTheSummaryToStandardError) {
  ASSERT_EQ(Cli("run -o plain.txt").status, 0);
  const std::string plain = ReadWork("plain.txt");
  for (const char* output : {"/dev/stdout", "-"}) {
    const Outcome run = Cli(std::string("run -o ") + output);
    EXPECT_EQ(run.status, 0) << output;
    EXPECT_TRUE(run.out == plain) << output;
    EXPECT_NE(run.err.find("\nResult file: "), std::string::npos) << run.err;
  }
  const Outcome named = Cli("run -o same.txt", {}, "same.txt");
  EXPECT_EQ(named.status, 0);
  EXPECT_TRUE(ReadWork("same.txt") == plain);
  EXPECT_NE(named.err.find("Result file: same.txt"), std::string::npos);
}

TEST_F(CommandLine, ASummaryThatCannotBeWrittenExits2) {
  const Outcome run = Cli("run", {}, "/dev/full");
  EXPECT_EQ(run.status, 2);
  EXPECT_EQ(run.err, "Could not write the summary: the output is full or closed.\n");
}

// A reader of a result pipe that goes away: the failed write is reported, not a silent end by
// SIGPIPE.
TEST_F(CommandLine, AResultPipeWhoseReaderLeavesExits2WithBrokenPipe) {
  // Zone 1 of 1999 steps: a table of about 160 kB, written in one piece after the echo.
  std::ofstream(work_.File("long.dat"), std::ios::binary) << TemplateWith(37, "199.9");
  const std::string work = ShellQuote(work_.path().string());
  // The reader takes the first 20 kB (the echo and the start of zone 1's table) and leaves:
  // at most a pipe's 64 kB more can have been written, so the writer is still in zone 1's
  // table and meets a pipe without a reader.
  const Outcome run =
      test::RunShell("cd " + work +
                         " && mkfifo pipe && { (exec 3<>pipe; touch opened; head -c 20000 <&3 "
                         ">/dev/null) & } && "
                         "while [ ! -e opened ]; do sleep 0.01; done && LC_ALL=C " +
                         ShellQuote(QUILLMERE_CLI) + " run long.dat -o pipe",
                     capture_);
  EXPECT_EQ(run.status, 2);
  EXPECT_EQ(run.err, "Could not write the result file \"pipe\": Broken pipe.\n");
}

// Bytes of a data file quoted in a message never reach the terminal as control characters.
TEST_F(CommandLine, MessagesShowControlCharactersAsEscapes) {
  std::ofstream(work_.File("input.dat"), std::ios::binary)
      << TemplateWith(48, "\x1B[2J\x1B]0;owned\x07");
  const Outcome run = Cli("run input.dat");
  EXPECT_EQ(run.status, 1);
  EXPECT_EQ(run.err,
            "Outer Temperature of Zone 3: \"\\x1B[2J\\x1B]0;owned\\x07\" is not a valid number.\n");
}

// Lines of a data file that the run does not use, told before it goes on.
TEST_F(CommandLine, WarningsOfDataFileLinesThatAreNotUsed) {
  struct Case {
    std::string input;
    std::string arguments;
    std::string err;
  };
  const std::string work = std::filesystem::canonical(work_.path()).string();
  const std::string fixedA = "Warning: Line 6 of the data file \"" + work +
                             "/input.dat\" gives Vapor Pressure Parameter A of Solvent-1 "
                             "(Edit224) the value ";
  const std::string ignored =
      "; the line is ignored, since this constant is fixed at 6.38469 "
      "and its field cannot be changed.\n";
  const std::string zoneList =
      " (the first zone from 2 to 14 whose Outer Temperature is empty or 0 ends the list).\n";
  // Zone 4's outer temperature and zone 6's lower heat transfer coefficient.
  const std::string zones4And6 = TemplateWith(67, "0.03", TemplateWith(54, "70"));
  const Case cases[] = {
      {TemplateWith(6, "7.0"), "run input.dat", fixedA + "\"7.0\"" + ignored},
      {TemplateWith(6, "abc"), "run input.dat", fixedA + "\"abc\"" + ignored},
      {TemplateWith(6, "6.384690"), "run input.dat", ""},  // the same value as the echo writes it
      {TemplateWith(6, ""), "run input.dat", ""},
      {TemplateWith(18, "90"), "run input.dat",
       "Warning: Line 18 of the data file \"" + work +
           "/input.dat\" gives Molecular Weight of Solvent-2 (Edit238) the value \"90\"; the "
           "line is ignored, since this constant is fixed at 92.1 and its field cannot be "
           "changed.\n"},
      {TemplateWith(54, "70"), "run input.dat",
       "Warning: Zone 4 is filled but not run: the list of zones ends before zone 3, whose Outer "
       "Temperature is empty" +
           zoneList},
      {TemplateWith(48, "0", TemplateWith(54, "70")), "run input.dat",
       "Warning: Zone 4 is filled but not run: the list of zones ends before zone 3, whose "
       "Outer Temperature is 0" +
           zoneList},
      {zones4And6, "run input.dat",
       "Warning: Zones 4 and 6 are filled but not run: the list of zones ends before zone 3, "
       "whose Outer Temperature is empty" +
           zoneList},
      {TemplateWith(54, "0"), "run input.dat", ""},  // a 0 is no value
  };
  for (const Case& c : cases) {
    std::ofstream(work_.File("input.dat"), std::ios::binary) << c.input;
    const Outcome run = Cli(c.arguments);
    EXPECT_EQ(run.status, 0) << c.arguments << c.err;
    EXPECT_EQ(run.err, c.err) << c.arguments;
    EXPECT_NE(run.out.find("Result file: result.txt"), std::string::npos) << run.out;
  }
}

TEST_F(CommandLine, CommaSeparatorRunsTheDefaultsAndWritesCommas) {
  const Outcome run = Cli("--decimal-separator , run");
  EXPECT_EQ(run.status, 0) << run.err;
  EXPECT_NE(run.out.find(" 30,000 "), std::string::npos) << run.out;
  const std::string result = ReadWork("result.txt");
  EXPECT_NE(result.find("=  15,00\r\n"), std::string::npos);
  EXPECT_EQ(result.find("15.00"), std::string::npos);

  // The option may also follow the command.
  ASSERT_EQ(Cli("run -o after.txt --decimal-separator ,").status, 0);
  EXPECT_TRUE(ReadWork("after.txt") == result);
}

//! The lines of a text ended by LF.
std::vector<std::string> Lines(const std::string& text) {
  std::vector<std::string> lines;
  std::size_t start = 0;
  while (start < text.size()) {
    const std::size_t end = text.find('\n', start);
    if (end == std::string::npos) break;
    lines.push_back(text.substr(start, end - start));
    start = end + 1;
  }
  return lines;
}

constexpr std::string_view kCsvStart = "zone,point,time_s,zone_position_m,dryer_position_m,";
//! The default run: 301 points in each of its two zones, and the header.
constexpr std::size_t kDefaultCsvLines = 603;

// The CSV and the JSON go to their files or to standard output, beside an unchanged result
// file; the summary moves to standard error when standard output carries one of them.
TEST_F(CommandLine, CsvAndJsonGoToFilesOrToStandardOutput) {
  ASSERT_EQ(Cli("run -o plain.txt").status, 0);
  const std::string plain = ReadWork("plain.txt");
  struct Case {
    std::string arguments;
    std::string csv;     // the CSV's file, "-" for standard output, "" for none
    std::string json;    // the same for the JSON
    std::string result;  // the result file, "-" for standard output
  };
  const Case cases[] = {
      {"run --csv run.csv --json run.json", "run.csv", "run.json", "result.txt"},
      {"run --csv -", "-", "", "result.txt"},
      {"run --json - -o other.txt", "", "-", "other.txt"},
      {"run -o - --csv run.csv", "run.csv", "", "-"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.arguments);
    const Outcome run = Cli(c.arguments);
    EXPECT_EQ(run.status, 0) << run.err;
    const auto content = [&](const std::string& file) {
      return file == "-" ? run.out : ReadWork(file);
    };
    EXPECT_TRUE(content(c.result) == plain);
    if (!c.csv.empty()) {
      const std::string csv = content(c.csv);
      EXPECT_EQ(csv.rfind(kCsvStart, 0), 0u);
      EXPECT_EQ(Lines(csv).size(), kDefaultCsvLines);
    }
    if (!c.json.empty()) {
      const nlohmann::json json = nlohmann::json::parse(content(c.json));
      EXPECT_EQ(json["outcome"], "finished");
      EXPECT_EQ(json["trace"]["time_s"].size(), kDefaultCsvLines - 1);
    }
    const bool outputTaken = c.csv == "-" || c.json == "-" || c.result == "-";
    const std::string& summary = outputTaken ? run.err : run.out;
    EXPECT_EQ(summary.rfind("ZONE    TIME (s)", 0), 0u) << summary;
    const std::string name = [](const std::string& file) {
      return file == "-" ? std::string("standard output") : file;
    }(c.result);
    EXPECT_NE(summary.find("\nResult file: " + name + "\n"), std::string::npos) << summary;
    if (!c.csv.empty()) {
      const std::string csvName = c.csv == "-" ? "standard output" : c.csv;
      EXPECT_NE(summary.find("\nCSV file: " + csvName + "\n"), std::string::npos) << summary;
    }
    if (!outputTaken) {
      EXPECT_EQ(run.err, "");
    }
    std::filesystem::remove(work_.path() / "result.txt");
  }
}

// Standard output takes one of the outputs at most, and no export overwrites the result file,
// the other export or the run's data file: the command line is refused before anything runs.
// An export that cannot be created is a file problem, after the run.
TEST_F(CommandLine, ExportsThatCannotBeWrittenAsAskedAreRefused) {
  std::ofstream(work_.File("input.dat"), std::ios::binary) << DataFileText(MemoryFieldTexts('.'));
  const std::string work = std::filesystem::canonical(work_.path()).string();
  struct Case {
    std::string arguments;
    int status;
    std::string err;
  };
  const Case cases[] = {
      {"run -o - --csv -", 64,
       "The result file and the CSV cannot both go to standard output: write all but one of "
       "them to files.\n"},
      {"run --csv - --json -", 64,
       "The CSV and the JSON cannot both go to standard output: write all but one of them to "
       "files.\n"},
      {"run -o - --csv - --json -", 64,
       "The result file, the CSV and the JSON cannot all go to standard output: write all but "
       "one of them to files.\n"},
      {"run --csv result.txt", 64,
       "The result file and the CSV file cannot be the same file \"result.txt\".\n"},
      {"run --csv same --json same", 64,
       "The CSV file and the JSON file cannot be the same file \"same\".\n"},
      {"run input.dat --json input.dat", 64,
       "The JSON file \"input.dat\" is the data file \"" + work +
           "/input.dat\" of this run, which is left as it is. Choose another JSON file.\n"},
      {"run --csv missing/run.csv", 2,
       "Could not create the CSV file \"missing/run.csv\": No such file or directory.\n"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.arguments);
    const Outcome run = Cli(c.arguments);
    EXPECT_EQ(run.status, c.status);
    EXPECT_EQ(run.err, c.err);
    EXPECT_EQ(run.out, "");
    // Only the export that fails after the run leaves the run's result file behind.
    EXPECT_EQ(ExistsInWork("result.txt"), c.status == 2);
    std::filesystem::remove(work_.path() / "result.txt");
  }
  EXPECT_TRUE(ReadWork("input.dat") == DataFileText(MemoryFieldTexts('.')));
}

// A run that ends on a fault still exports the zones it finished, and says how it ended.
TEST_F(CommandLine, FaultedRunExportsTheZonesItFinished) {
  const Outcome run = Cli("run " + ShellQuote(QUILLMERE_TEST_DATA "/fault-zone2.dat") +
                          " --csv run.csv --json run.json");
  EXPECT_EQ(run.status, 3);
  EXPECT_EQ(run.err,
            "Floating point overflow.\nin zone 2 at 0.00 m (30.00 m from the dryer's entry)\n"
            "The result file \"result.txt\" holds the echo of the inputs, the table of zone 1 and "
            "the conditions of zone 2, without its table.\n");
  EXPECT_EQ(Lines(ReadWork("run.csv")).size(), 302u);  // zone 1's 301 points
  const nlohmann::json json = nlohmann::json::parse(ReadWork("run.json"));
  EXPECT_EQ(json["outcome"], "fault");
  EXPECT_EQ(json["fault"]["message"], "Floating point overflow");
  EXPECT_EQ(json["fault"]["zone"], 2);
  EXPECT_EQ(json["zones"].size(), 1u);
}

// A coating that enters the dryer at 90 degrees boils at once: the warnings follow the
// summary on standard error, one a line, and the exit status stays 0.
TEST_F(CommandLine, WarningsFollowTheSummaryOnStandardError) {
  std::ofstream(work_.File("input.dat"), std::ios::binary) << TemplateWith(35, "90");  // Edit7
  const std::string boiling =
      "Warning: In zone 1 the coating boils from 0.00 m (0.00 m from the dryer's entry), at a "
      "web temperature of 90.00 °C: the vapour pressure of its solvents (925.0 mmHg) reaches "
      "the air pressure of 760 mmHg. Blisters are likely, and the surface humidities from "
      "there on are not physical.";

  const Outcome run = Cli("run input.dat");
  EXPECT_EQ(run.status, 0);
  EXPECT_NE(run.out.find("\nResult file: result.txt\n"), std::string::npos) << run.out;
  const std::vector<std::string> warnings = Lines(run.err);
  ASSERT_FALSE(warnings.empty());
  EXPECT_EQ(warnings[0], boiling);
  for (const std::string& line : warnings) EXPECT_EQ(line.rfind("Warning: In zone ", 0), 0u);

  // With the CSV on standard output the summary goes to standard error, the warnings after it.
  const Outcome piped = Cli("run input.dat --csv - --json run.json");
  EXPECT_EQ(piped.status, 0);
  EXPECT_EQ(piped.out.rfind(kCsvStart, 0), 0u);
  const std::size_t summaryEnd = piped.err.find("\nJSON file: run.json\n");
  ASSERT_NE(summaryEnd, std::string::npos) << piped.err;
  EXPECT_EQ(piped.err.find("Warning: "),
            summaryEnd + std::string("\nJSON file: run.json\n").size());
  EXPECT_EQ(piped.err.substr(piped.err.find("Warning: ")), run.err);
  const nlohmann::json json = nlohmann::json::parse(ReadWork("run.json"));
  EXPECT_EQ(json["warnings"].size(), warnings.size());
  EXPECT_EQ(json["warnings"][0]["kind"], "boiling");
  EXPECT_EQ("Warning: " + json["warnings"][0]["text"].get<std::string>(), boiling);
}

}  // namespace
}  // namespace quillmere

namespace quillmere {
namespace {

// A program of a command that is not installed is a file problem (it exited 3, a run's
// fault): quillmere-cli alone in a directory finds no quillmere-sweep beside it or in libexec.
TEST(ToolCommand, AMissingProgramExits2WithTheSystemsReason) {
  test::ScratchDirectory capture;
  test::ScratchDirectory alone;
  const std::filesystem::path bin = alone.path() / "bin";
  std::filesystem::create_directory(bin);
  std::filesystem::copy_file(QUILLMERE_CLI, bin / "quillmere-cli");
  const test::ProgramOutcome run = test::RunShell(
      test::ShellQuote((bin / "quillmere-cli").string()) + " sweep --help < /dev/null", capture);
  EXPECT_EQ(run.status, 2);
  EXPECT_EQ(run.err, "Could not start \"" +
                         (alone.path() / "libexec/quillmere/quillmere-sweep").string() +
                         "\" for \"sweep\": No such file or directory\n");
}

}  // namespace
}  // namespace quillmere
