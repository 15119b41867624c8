// quillmere-cli sweep, which runs the program quillmere-sweep, in a scratch directory of its
// own with the C locale.
#include <gtest/gtest.h>
#include <sys/wait.h>

#include <algorithm>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <sstream>
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

std::vector<std::string> Lines(const std::string& text) {
  std::vector<std::string> lines;
  std::istringstream stream(text);
  for (std::string line; std::getline(stream, line);) lines.push_back(line);
  return lines;
}

std::size_t CaseOf(const std::string& row) {
  return std::stoul(row.substr(0, row.find(',')));
}

class SweepCommandLine : public ::testing::Test {
 protected:
  //! Runs `quillmere-cli <arguments>` (shell syntax) in the work directory, standard input
  //! from /dev/null unless `input` (a file of the work directory) is given.
  Outcome Cli(const std::string& arguments, const std::string& input = "/dev/null") {
    return test::RunShell("cd " + ShellQuote(work_.path().string()) + " && LC_ALL=C " +
                              ShellQuote(QUILLMERE_CLI) + " " + arguments + " < " + input,
                          capture_);
  }
  std::string ReadWork(std::string_view name) const { return test::ReadBytes(work_.File(name)); }

  test::ScratchDirectory work_;
  test::ScratchDirectory capture_;
};

constexpr std::string_view kGrid = "--vary Zone2.OuterTemperature=50:70:3 --vary Speed=0.5:2:4";

TEST_F(SweepCommandLine, OneAndSeveralJobsWriteTheSameTable) {
  const Outcome one = Cli("sweep " + std::string(kGrid) + " -o one.csv --jobs 1");
  ASSERT_EQ(one.status, 0) << one.err;
  EXPECT_EQ(one.err, "");  // no progress bar on a file
  EXPECT_EQ(one.out, "");
  const std::string table = ReadWork("one.csv");
  const std::vector<std::string> lines = Lines(table);
  ASSERT_EQ(lines.size(), 13u);
  EXPECT_EQ(lines[0],
            "case,Zone2.OuterTemperature (°C),Speed (m/s),outcome,exit time (s),"
            "exit web temperature (°C),exit Solvent-1 residual ratio (-),"
            "exit Solvent-2 residual ratio (-),highest web temperature (°C),"
            "coating first boils at (m),warnings");
  EXPECT_EQ(lines[1].rfind("1,50,0.5,finished,", 0), 0u) << lines[1];
  EXPECT_EQ(lines[12].rfind("12,70,2,finished,", 0), 0u) << lines[12];

  ASSERT_EQ(Cli("sweep " + std::string(kGrid) + " -o two.csv --jobs 2").status, 0);
  EXPECT_TRUE(ReadWork("two.csv") == table);
  const Outcome standardOutput = Cli("sweep " + std::string(kGrid) + " -o -");
  EXPECT_EQ(standardOutput.status, 0);
  EXPECT_TRUE(standardOutput.out == table);
}

// The shards' tables, merged by case number under one header, are the whole table.
TEST_F(SweepCommandLine, ShardsTogetherGiveTheWholeTable) {
  ASSERT_EQ(Cli("sweep " + std::string(kGrid) + " -o whole.csv").status, 0);
  const std::vector<std::string> whole = Lines(ReadWork("whole.csv"));
  std::vector<std::string> merged;
  for (int shard = 1; shard <= 3; ++shard) {
    const std::string name = "shard" + std::to_string(shard) + ".csv";
    const Outcome run =
        Cli("sweep " + std::string(kGrid) + " --shard " + std::to_string(shard) + "/3 -o " + name);
    ASSERT_EQ(run.status, 0) << run.err;
    const std::vector<std::string> lines = Lines(ReadWork(name));
    ASSERT_EQ(lines.size(), 5u) << name;  // the header and 4 of the 12 cases
    EXPECT_EQ(lines[0], whole[0]);
    for (std::size_t i = 1; i < lines.size(); ++i) {
      EXPECT_EQ(CaseOf(lines[i]) % 3, static_cast<std::size_t>(shard % 3)) << lines[i];
    }
    merged.insert(merged.end(), lines.begin() + 1, lines.end());
  }
  std::sort(merged.begin(), merged.end(),
            [](const std::string& a, const std::string& b) { return CaseOf(a) < CaseOf(b); });
  EXPECT_EQ(merged, std::vector<std::string>(whole.begin() + 1, whole.end()));
}

TEST_F(SweepCommandLine, ADataFileFromStandardInputAndTheSeparatorInForce) {
  std::ofstream(work_.File("input.dat"), std::ios::binary) << DataFileText(MemoryFieldTexts(','));
  ASSERT_EQ(Cli("sweep --vary Keff=0.2,0.4 -o point.csv").status, 0);
  const Outcome comma =
      Cli("--decimal-separator , sweep - --vary Keff=0.2,0.4 -o comma.csv", "input.dat");
  EXPECT_EQ(comma.status, 0) << comma.err;
  EXPECT_EQ(comma.err, "");
  EXPECT_TRUE(ReadWork("comma.csv") == ReadWork("point.csv"));
}

TEST_F(SweepCommandLine, RefusalsSayWhyWithTheirExitStatus) {
  struct Case {
    std::string arguments;
    int status;
    std::string err;
  };
  const std::string work = std::filesystem::canonical(work_.path()).string();
  std::ofstream(work_.File("result.txt")) << "=\n";
  std::ofstream(work_.File("t.dat"), std::ios::binary) << DataFileText(MemoryFieldTexts('.'));
  const Case cases[] = {
      {"sweep --vary Sped=1,2 -o t.csv", 64,
       "There is no input \"Sped\"; did you mean Speed, We or Wi?\n"},
      {"sweep --vary Edit226=1,2 -o t.csv", 64,
       "Solvent1AntoineC (Edit226) is one of the eight fixed constants (the Antoine constants "
       "and the molecular weights of both solvents), which cannot be varied\n"},
      {"sweep --vary Keff=0.1:0.5 -o t.csv", 64,
       "Keff: \"0.1:0.5\" is not a range: write a:b:n (n values from a to b), a:b:n:log "
       "(geometric) or a list a,b,c\n"},
      {"sweep --vary Keff=1 --shard 4/3 -o t.csv", 64,
       "The shard \"4/3\" is not I/N with 1 <= I <= N (shard I of N runs every N-th case from "
       "case I on)\n"},
      {"sweep --vary Keff=1 --ouptut t.csv", 64,
       "--output is required\nUnknown option \"--ouptut\": did you mean \"--output\"?\n"
       "Run with --help for more information.\n"},
      {"sweep --vary Keff=1 -o t.csv --jobz 2", 64,
       "The following argument was not expected: --jobz\nUnknown option \"--jobz\": did you "
       "mean \"--jobs\"?\nRun with --help for more information.\n"},
      {"sweep missing.dat --vary Keff=1 -o t.csv", 2,
       "Data file can not open!\nCould not open the data file \"" + work +
           "/missing.dat\": No such file or directory\n"},
      {"sweep result.txt --vary Keff=1 -o t.csv", 1,
       "\"" + work +
           "/result.txt\" is not a correct data file!\nIt ends after line 1, and a "
           "data file holds 119 lines of \"label = value\".\n"},
      {"sweep result.txt --vary Keff=1 -o ./result.txt", 64,
       "The table \"./result.txt\" is the data file \"" + work +
           "/result.txt\" of this sweep, which is left as it is. Choose another table.\n"},
      {"sweep t.dat --vary Keff=1 -o ./t.dat", 64,
       "The table \"./t.dat\" is the data file \"" + work +
           "/t.dat\" of this sweep, which is left as it is. Choose another table.\n"},
      {"sweep --vary Keff=1 -o t.csv --plot t.pdf", 64,
       "--plot \"t.pdf\": the picture's name must end in .svg or .png\n"},
      {"sweep --vary Keff=1 --vary Speed=1 --vary Wi=0.3 -o t.csv --plot t.png", 64,
       "--plot draws one or two varied inputs, and this sweep varies 3\n"},
      {"sweep --vary Keff=1 -o missing/t.csv", 2,
       "Could not create the table \"missing/t.csv\": No such file or directory.\n"},
      {"sweep --vary Keff=1 -o t.csv --results result.txt", 2,
       "Could not create the directory \"result.txt\" for the result files: Not a directory.\n"},
  };
  for (const Case& c : cases) {
    const Outcome run = Cli(c.arguments);
    EXPECT_EQ(run.status, c.status) << c.arguments;
    EXPECT_EQ(run.err, c.err) << c.arguments;
    EXPECT_FALSE(std::filesystem::exists(work_.path() / "t.csv")) << c.arguments;
  }
  EXPECT_TRUE(ReadWork("t.dat") == DataFileText(MemoryFieldTexts('.')));
  EXPECT_EQ(ReadWork("result.txt"), "=\n");
}

// The picture is drawn without a display.
TEST_F(SweepCommandLine, APlotOfTwoInputsBesideTheTable) {
  const Outcome run = Cli("sweep " + std::string(kGrid) + " -o t.csv --plot sweep.svg");
  ASSERT_EQ(run.status, 0) << run.err;
  EXPECT_EQ(run.err, "");
  const std::string svg = ReadWork("sweep.svg");
  EXPECT_EQ(svg.rfind("<?xml", 0), 0u);
  EXPECT_NE(svg.find("Speed (m/s) = 1.5"), std::string::npos);  // the second input
  EXPECT_EQ(Lines(ReadWork("t.csv")).size(), 13u);
  const Outcome unwritable = Cli("sweep --vary Keff=1,2 -o t.csv --plot missing/sweep.png");
  EXPECT_EQ(unwritable.status, 2);
  // The reason, not Qt's "Unknown error".
  EXPECT_EQ(unwritable.err,
            "Could not write the picture \"missing/sweep.png\": No such file "
            "or directory.\n");
}

// On a terminal (script(1) gives one) the closing line tells the rate with "." after the chart
// is drawn under a "," locale (the chart's application took the locale and it said "214,2/s"),
// and Qt says nothing of a missing XDG_RUNTIME_DIR.
TEST_F(SweepCommandLine, APlotLeavesTheLocaleAndSaysNothingOfQt) {
  if (std::system("command -v script >/dev/null && locale -a | grep -qi '^de_DE.utf-\\?8$'") != 0) {
    GTEST_SKIP() << "needs script(1) and the de_DE.UTF-8 locale";
  }
  const Outcome run = test::RunShell(
      "cd " + ShellQuote(work_.path().string()) +
          " && env -u XDG_RUNTIME_DIR LC_ALL=de_DE.UTF-8 script -qec " +
          ShellQuote(ShellQuote(QUILLMERE_CLI) + " sweep --vary Keff=1,2 -o t.csv --plot p.svg") +
          " /dev/null",
      capture_);
  EXPECT_EQ(run.status, 0) << run.out;
  EXPECT_EQ(run.out.find("XDG_RUNTIME_DIR"), std::string::npos) << run.out;
  const std::size_t closing = run.out.find("2 cases in ");
  ASSERT_NE(closing, std::string::npos) << run.out;
  const std::string line = run.out.substr(closing, run.out.find(')', closing) - closing);
  EXPECT_NE(line.find('.'), std::string::npos) << line;
  EXPECT_EQ(line.find(','), std::string::npos) << line;
}

TEST_F(SweepCommandLine, HelpNamesTheCommandAsTheUserTypesIt) {
  const Outcome help = Cli("sweep --help");
  EXPECT_EQ(help.status, 0);
  EXPECT_NE(help.out.find("Usage: quillmere-cli sweep"), std::string::npos) << help.out;
  EXPECT_NE(help.out.find("--shard I/N"), std::string::npos) << help.out;
}

TEST_F(SweepCommandLine, EachCasesResultFileOnRequest) {
  const Outcome run = Cli("sweep --vary Speed=1,2 -o t.csv --results cases");
  ASSERT_EQ(run.status, 0) << run.err;
  ASSERT_EQ(Cli("run -o single.txt").status, 0);
  EXPECT_TRUE(ReadWork("cases/case-0001.txt") == ReadWork("single.txt"));
  EXPECT_FALSE(ReadWork("cases/case-0002.txt").empty());
}

// No output of a sweep is one of its inputs or another output: the table, the picture and
// every result file of --results, under any name, standard input included (exit status 64,
// the files left as they were).
TEST_F(SweepCommandLine, NoOutputIsWrittenOverAnInputOrAnotherOutput) {
  const std::string work = std::filesystem::canonical(work_.path()).string();
  const std::string data = DataFileText(MemoryFieldTexts('.'));
  std::filesystem::create_directory(work_.path() / "cases");
  for (const char* name : {"in.dat", "cases/case-0002.txt", "d.png"}) {
    std::ofstream(work_.File(name), std::ios::binary) << data;
  }
  std::filesystem::create_hard_link(work_.path() / "in.dat", work_.path() / "cases/case-0001.txt");
  const std::pair<std::string, std::string> cases[] = {
      {"sweep cases/case-0002.txt --vary Keff=1,2 -o t.csv --results cases",
       "The result file \"cases/case-0002.txt\" is the data file \"" + work +
           "/cases/case-0002.txt\" of this sweep, which is left as it is. Choose another result "
           "file.\n"},
      {"sweep in.dat --vary Keff=1,2 -o t.csv --results cases",  // a hard link of the data file
       "The result file \"cases/case-0001.txt\" is the data file \"" + work +
           "/in.dat\" of this sweep, which is left as it is. Choose another result file.\n"},
      {"sweep --vary Keff=1,2 -o t.svg --plot ./t.svg",
       "The table and the picture cannot be the same file \"./t.svg\".\n"},
      {"sweep d.png --vary Keff=1,2 -o t.csv --plot d.png",
       "The picture \"d.png\" is the data file \"" + work +
           "/d.png\" of this sweep, which is left as it is. Choose another picture.\n"},
      {"sweep - --vary Keff=1,2 -o in.dat < in.dat",
       "The table \"in.dat\" is the data file \"-\" (standard input) of this sweep, which is "
       "left as it is. Choose another table.\n"},
  };
  for (const auto& [arguments, err] : cases) {
    const Outcome run = test::RunShell("cd " + ShellQuote(work_.path().string()) + " && LC_ALL=C " +
                                           ShellQuote(QUILLMERE_CLI) + " " + arguments,
                                       capture_);
    EXPECT_EQ(run.status, 64) << arguments;
    EXPECT_EQ(run.err, err) << arguments;
    EXPECT_FALSE(std::filesystem::exists(work_.path() / "t.csv")) << arguments;
  }
  for (const char* name : {"in.dat", "cases/case-0002.txt", "d.png"}) {
    EXPECT_TRUE(ReadWork(name) == data) << name;
  }
}

// The exit status tells a script what happened to the cases: every one refused at input (the
// data file's "." numbers read with ","), or result files that could not be written.
TEST_F(SweepCommandLine, RefusedCasesAndUnwrittenResultFilesHaveTheirExitStatus) {
  std::ofstream(work_.File("t.dat"), std::ios::binary) << DataFileText(MemoryFieldTexts('.'));
  const Outcome refused = Cli("--decimal-separator , sweep t.dat --vary Keff=0.2,0.4 -o t.csv");
  EXPECT_EQ(refused.status, 1);
  // The warning before the cases says why they will be refused.
  EXPECT_NE(refused.err.find("may not read: The file seems to write its numbers with \".\" as "
                             "the decimal separator.\nEvery case of the sweep was refused at "
                             "input; the first, case 1: Input value is not correct!"),
            std::string::npos)
      << refused.err;
  EXPECT_EQ(Lines(ReadWork("t.csv")).size(), 3u);  // the table holds both rows all the same

  // A directory where case 2's result file should be.
  std::filesystem::create_directories(work_.path() / "cases/case-0002.txt");
  const Outcome unwritten = Cli("sweep --vary Keff=0.2,0.4 -o t.csv --results cases");
  EXPECT_EQ(unwritten.status, 2);
  EXPECT_EQ(unwritten.err.rfind("The result files of 1 of 2 cases could not be written; the "
                                "first, case 2: File can not open!",
                                0),
            0u)
      << unwritten.err;
  EXPECT_FALSE(ReadWork("cases/case-0001.txt").empty());
  // Case 2's row keeps what it computed; its result file's failure has a column of its own.
  const std::vector<std::string> rows = Lines(ReadWork("t.csv"));
  ASSERT_EQ(rows.size(), 3u);
  EXPECT_EQ(rows[0].substr(rows[0].rfind(',')), ",result file not written");
  EXPECT_EQ(rows[2].rfind("2,0.4,finished,", 0), 0u) << rows[2];
  EXPECT_NE(rows[2].find(",\"File can not open!"), std::string::npos) << rows[2];
}

// A grid whose table the disk could not hold is refused before a case runs.
TEST_F(SweepCommandLine, AGridBeyondTheDiskIsRefused) {
  const Outcome run =
      Cli("sweep --vary Speed=0.5:2:1000000 --vary Keff=0.1:0.5:1000000 --vary Wi=0.2:0.4:1000000 "
          "-o t.csv");
  EXPECT_EQ(run.status, 2);
  EXPECT_EQ(run.err.rfind("The table of 1000000000000000000 cases would take at least ", 0), 0u)
      << run.err;
  EXPECT_FALSE(std::filesystem::exists(work_.path() / "t.csv"));
}

// Ctrl-C, SIGTERM (a batch system's time limit) and SIGHUP: the cases running finish, the rows
// so far are in the table in grid order, and a last line says that it is incomplete. The
// signal goes once the table holds rows (the table grows in its temporary file beside it,
// .big.XXXXXX.csv, while the sweep runs), to a sweep far too large to finish first.
TEST_F(SweepCommandLine, AnInterruptOrATerminationWritesTheRowsSoFarAndSaysSo) {
  const std::string kCases = "10000000";
  for (const char* signal : {"INT", "TERM", "HUP"}) {
    SCOPED_TRACE(signal);
    std::filesystem::remove(work_.path() / "big.csv");
    const std::string table = ShellQuote(work_.path().string()) + "/.big.*.csv";
    const std::string command =
        // A shell starts a background command with SIGINT ignored, and a signal ignored at
        // the start stays ignored: env gives the sweep the default back.
        "cd " + ShellQuote(work_.path().string()) + " && { LC_ALL=C env --default-signal=INT " +
        ShellQuote(QUILLMERE_CLI) +
        " sweep --vary Speed=0.5:2:10000 --vary Keff=0.1:0.5:1000 -o big.csv 2> " +
        ShellQuote(capture_.File("err")) + " & pid=$!; " + "until [ \"$(cat " + table +
        " 2>/dev/null | wc -l)\" -ge 3 ]; do sleep 0.01; done; kill -" + signal +
        " $pid; wait $pid; echo $? > " + ShellQuote(capture_.File("status")) + "; }";
    ASSERT_EQ(std::system(command.c_str()), 0);
    EXPECT_EQ(test::ReadBytes(capture_.File("status")), "130\n");
    const std::vector<std::string> lines = Lines(ReadWork("big.csv"));
    ASSERT_GE(lines.size(), 4u);
    const std::size_t rows = lines.size() - 2;
    EXPECT_EQ(lines.back(), "# incomplete: the sweep was interrupted; " + std::to_string(rows) +
                                " of " + kCases + " cases are in the table");
    // The first rows, each case once, in grid order.
    for (std::size_t i = 1; i + 1 < lines.size(); ++i) EXPECT_EQ(CaseOf(lines[i]), i);
    EXPECT_EQ(test::ReadBytes(capture_.File("err")),
              "Interrupted: the table holds the " + std::to_string(rows) + " of " + kCases +
                  " cases that were run, and says that it is incomplete.\n");
  }
}

}  // namespace
}  // namespace quillmere
