// What the commands say when a data file's values do not read: the field and its line, and
// what may explain it, the file's encoding or its decimal separator.
#include "cli/StreamMessages.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <string>

#include "TestSupport.h"
#include "params/MemoryFieldTexts.h"
#include "report/CodePage.h"
#include "report/DataFile.h"

namespace quillmere {
namespace {

std::string Utf16(std::string_view text, bool littleEndian) {
  std::string bytes = littleEndian ? "\xFF\xFE" : "\xFE\xFF";
  for (const char c : text) {
    bytes += littleEndian ? std::string{c, '\0'} : std::string{'\0', c};
  }
  return bytes;
}

TEST(StreamMessages, ARefusedValueOfADataFileSaysWhatMayExplainIt) {
  // The default inputs' data file, as the program writes it with each separator (ASCII only,
  // so that its UTF-16 form is the same characters).
  const std::string points = DecodeCodePage932(DataFileText(MemoryFieldTexts('.')));
  const std::string commas = DecodeCodePage932(DataFileText(MemoryFieldTexts(',')));
  const std::string notANumber =
      "Line 29 of the data file \"FILE\": Initial Coating Weight (kg/m2) (Edit1) holds ";
  const struct {
    std::string name;
    std::string bytes;
    std::string separator;
    std::string detail;
  } files[] = {
      {"unicode.dat", Utf16(points, true), ".",
       notANumber + "\"\\x00\", which is not a number; the decimal separator in force is \".\". "
                    "The file is UTF-16 (little-endian) text; save it as ANSI (Shift-JIS) or "
                    "UTF-8."},
      {"unicode-be.dat", Utf16(points, false), ".",
       notANumber + "\"\\x00\", which is not a number; the decimal separator in force is \".\". "
                    "The file is UTF-16 (big-endian) text; save it as ANSI (Shift-JIS) or "
                    "UTF-8."},
      {"commas.dat", commas, ".",
       notANumber + "\"0,0695\", which is not a number; the decimal separator in force is "
                    "\".\". The file seems to write its numbers with \",\" as the decimal "
                    "separator."},
      {"points.dat", points, ",",
       notANumber + "\"0.0695\", which is not a number; the decimal separator in force is "
                    "\",\". The file seems to write its numbers with \".\" as the decimal "
                    "separator."},
  };
  test::ScratchDirectory work;
  test::ScratchDirectory capture;
  for (const auto& file : files) {
    SCOPED_TRACE(file.name);
    std::ofstream(work.File(file.name), std::ios::binary) << file.bytes;
    const std::string path = std::filesystem::canonical(work.File(file.name)).string();
    const test::ProgramOutcome run =
        test::RunShell("cd " + test::ShellQuote(work.path().string()) + " && LC_ALL=C " +
                           test::ShellQuote(QUILLMERE_CLI) + " --decimal-separator " +
                           file.separator + " run " + file.name + " < /dev/null",
                       capture);
    std::string detail = file.detail;
    detail.replace(detail.find("FILE"), 4, path);
    EXPECT_EQ(run.status, 1);
    EXPECT_EQ(run.err, "Input value is not correct!\n" + detail + "\n");
    EXPECT_FALSE(std::filesystem::exists(work.path() / "result.txt"));
  }
}

// The commands that read a data file's values case by case (sweep, fit, optimise) say what
// may explain their refusals once, before the cases, as a warning naming the file.
TEST(StreamMessages, CommandsOfManyCasesWarnOfADataFileThatMayNotRead) {
  const std::string points = DecodeCodePage932(DataFileText(MemoryFieldTexts('.')));
  test::ScratchDirectory work;
  test::ScratchDirectory capture;
  std::ofstream(work.File("unicode.dat"), std::ios::binary) << Utf16(points, true);
  std::ofstream(work.File("points.dat"), std::ios::binary) << points;
  std::ofstream(work.File("m.csv")) << "position_m,quantity,value,sigma\n60,temperature,40,1\n";
  const struct {
    std::string file;
    std::string separator;
    std::string command;
    std::string hint;
  } cases[] = {
      {"unicode.dat", ".", "sweep unicode.dat --vary Edit1=0.05,0.06 -o -",
       "The file is UTF-16 (little-endian) text; save it as ANSI (Shift-JIS) or UTF-8."},
      {"points.dat", ",", "fit --trial points.dat:m.csv --free Keff --starts 1",
       "The file seems to write its numbers with \".\" as the decimal separator."},
      {"unicode.dat", ".", "optimise unicode.dat --free Edit1=0.05:0.06 --minimise ExitResidual1",
       "The file is UTF-16 (little-endian) text; save it as ANSI (Shift-JIS) or UTF-8."},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.command);
    const std::string path = std::filesystem::canonical(work.File(c.file)).string();
    const test::ProgramOutcome run =
        test::RunShell("cd " + test::ShellQuote(work.path().string()) + " && LC_ALL=C " +
                           test::ShellQuote(QUILLMERE_CLI) + " --decimal-separator " + c.separator +
                           " " + c.command + " < /dev/null",
                       capture);
    EXPECT_NE(run.err.find("Warning: The values of the data file \"" + path +
                           "\" may not read: " + c.hint + "\n"),
              std::string::npos)
        << run.err;
  }
}

}  // namespace
}  // namespace quillmere
