// Data files: reading the 119 value lines into the input fields, and writing them back out.
#include "app/DataFile.h"

#include <gtest/gtest.h>
#include <unistd.h>

#include <filesystem>
#include <fstream>
#include <map>
#include <memory>
#include <set>
#include <string>
#include <vector>

#include "TestSupport.h"
#include "params/FieldTable.h"
#include "params/MemoryFieldTexts.h"
#include "params/ParameterSet.h"
#include "report/ResultFile.h"
#include "sim/SimulationState.h"

namespace quillmere {
namespace {

using test::RecordingMessages;

using Texts = std::map<std::string, std::string>;

Texts Snapshot(const FieldTexts& fields) {
  Texts texts;
  for (const FieldSpec& field : AllFields()) {
    texts.emplace(std::string(field.name), fields.Text(field.name));
  }
  return texts;
}

// A data file of 119 lines whose line n carries the value "v<n>".
DataFileLines NumberedLines() {
  DataFileLines lines;
  for (int n = 1; n <= kDataFileLines; ++n) {
    lines[static_cast<std::size_t>(n - 1)] =
        "    Label of line " + std::to_string(n) + "   =  v" + std::to_string(n);
  }
  return lines;
}

std::string Join(const DataFileLines& lines, std::string_view lineEnd) {
  std::string text;
  for (const std::string& line : lines) {
    text += line;
    text += lineEnd;
  }
  return text;
}

// The line that carries field `field`.
int LineOf(std::string_view field) {
  for (int n = 1; n <= kDataFileLines; ++n) {
    if (DataFileField(n) == field) return n;
  }
  return 0;
}

// The value that line `text` yields for Edit1 (line 29), which is enabled.
std::string ValueOf(const std::string& text) {
  DataFileLines lines = NumberedLines();
  lines[28] = text;
  MemoryFieldTexts fields;
  RecordingMessages messages;
  EXPECT_TRUE(SetInputData(lines, "/data/values.txt", fields, messages));
  EXPECT_TRUE(messages.messages.empty());
  return fields.Text("Edit1");
}

constexpr std::string_view kDisabled[] = {"Edit224", "Edit225", "Edit226", "Edit228",
                                          "Edit234", "Edit235", "Edit236", "Edit238"};

// A directory of its own for each test that touches files.
class DataFileOnDisk : public ::testing::Test {
 protected:
  std::string PathOf(std::string_view name) const { return scratch_.File(name); }

  static void Write(const std::string& path, std::string_view bytes) {
    std::ofstream out(path, std::ios::binary);
    out << bytes;
  }
  static std::string Read(const std::string& path) { return test::ReadBytes(path); }

  test::ScratchDirectory scratch_;
};

// ---- which line fills which field -----------------------------------------------------------

TEST(DataFileField, FollowsTheEchoThenZonesTwoToFourteen) {
  EXPECT_EQ(DataFileField(1), "Edit211");
  EXPECT_EQ(DataFileField(2), "Edit212");
  EXPECT_EQ(DataFileField(3), "Edit221");
  EXPECT_EQ(DataFileField(10), "Edit228");
  EXPECT_EQ(DataFileField(11), "Edit231");
  EXPECT_EQ(DataFileField(18), "Edit238");
  EXPECT_EQ(DataFileField(19), "Edit241");
  EXPECT_EQ(DataFileField(20), "Edit201");
  EXPECT_EQ(DataFileField(27), "Edit208");
  EXPECT_EQ(DataFileField(28), "Edit20");
  EXPECT_EQ(DataFileField(29), "Edit1");
  EXPECT_EQ(DataFileField(35), "Edit7");
  EXPECT_EQ(DataFileField(36), "Edit8");
  EXPECT_EQ(DataFileField(41), "Edit13");
  EXPECT_EQ(DataFileField(42), "Edit21");
  EXPECT_EQ(DataFileField(47), "Edit26");
  EXPECT_EQ(DataFileField(48), "Edit31");
  EXPECT_EQ(DataFileField(114), "Edit141");
  EXPECT_EQ(DataFileField(119), "Edit146");
}

TEST(DataFileField, ZoneNTakesLines6nPlus30To6nPlus35) {
  for (int zone = 2; zone <= kMaxZones; ++zone) {
    for (int index = 0; index < 6; ++index) {
      EXPECT_EQ(DataFileField(6 * zone + 30 + index), ZoneFieldName(zone, index));
    }
  }
}

TEST(DataFileField, EveryInputButTheSaveFileNameHasExactlyOneLine) {
  std::set<std::string> seen;
  for (int n = 1; n <= kDataFileLines; ++n) {
    const std::string field = DataFileField(n);
    EXPECT_NE(FindField(field), nullptr) << field;
    EXPECT_TRUE(seen.insert(field).second) << field << " twice";
  }
  EXPECT_EQ(seen.count("Edit250"), 0u);
  EXPECT_EQ(seen.size() + 1, AllFields().size());
}

TEST(DataFileField, OtherLineNumbersAreRefused) {
  EXPECT_THROW(DataFileField(0), std::out_of_range);
  EXPECT_THROW(DataFileField(120), std::out_of_range);
}

// ---- splitting the bytes into lines ---------------------------------------------------------

TEST(SplitDataFileLines, TakesCrLfAndLfLineEnds) {
  const DataFileLines lines = SplitDataFileLines("a=1\r\nb=2\nc=3\r\nd=4");
  EXPECT_EQ(lines[0], "a=1");
  EXPECT_EQ(lines[1], "b=2");
  EXPECT_EQ(lines[2], "c=3");
  EXPECT_EQ(lines[3], "d=4");
  EXPECT_EQ(lines[4], "");
}

TEST(SplitDataFileLines, StripsOneCarriageReturnOfALine) {
  const DataFileLines lines = SplitDataFileLines("a=1\r\r\nb=\r2\r\n");
  EXPECT_EQ(lines[0], "a=1\r");
  EXPECT_EQ(lines[1], "b=\r2");
}

TEST(SplitDataFileLines, MissingLinesAreEmptyAndLinesAfter119AreDropped) {
  std::string bytes;
  for (int n = 1; n <= 130; ++n) bytes += "x=" + std::to_string(n) + "\r\n";
  const DataFileLines lines = SplitDataFileLines(bytes);
  EXPECT_EQ(lines[0], "x=1");
  EXPECT_EQ(lines[118], "x=119");

  const DataFileLines few = SplitDataFileLines("x=1\r\nx=2\r\n");
  EXPECT_EQ(few[1], "x=2");
  EXPECT_EQ(few[2], "");
  EXPECT_EQ(few[118], "");
}

TEST(SplitDataFileLines, DecodesCodePage932Labels) {
  // "Interaction Parameter χ1p" and "Outer Temperature (℃)" as the result file writes them.
  const DataFileLines lines = SplitDataFileLines(
      "    Interaction Parameter \x83\xD4"
      "1p                         =  0.010\r\n"
      "     Outer Temperature (\x81\x8E)                            =  60.00\r\n");
  EXPECT_EQ(lines[0], "    Interaction Parameter χ1p                         =  0.010");
  EXPECT_EQ(lines[1], "     Outer Temperature (℃)                            =  60.00");
}

// ---- checking and applying the lines --------------------------------------------------------

TEST(SetInputData, FillsEveryEnabledFieldFromItsLine) {
  MemoryFieldTexts fields;
  RecordingMessages messages;
  ASSERT_TRUE(SetInputData(NumberedLines(), "/data/numbered.txt", fields, messages));
  EXPECT_TRUE(messages.messages.empty());
  for (int n = 1; n <= kDataFileLines; ++n) {
    const std::string field = DataFileField(n);
    if (fields.IsEnabled(field)) {
      EXPECT_EQ(fields.Text(field), "v" + std::to_string(n)) << field;
    }
  }
  EXPECT_EQ(fields.Text("Edit1"), "v29");
  EXPECT_EQ(fields.Text("Edit146"), "v119");
}

TEST(SetInputData, RefusesAResultFileEcho) {
  // The echo's first line is a row of "=" and passes; its second, "PHISICAL PROPERTIES", has
  // none.
  auto params = std::make_unique<ParameterSet>();
  auto state = std::make_unique<SimulationState>();
  const std::string echo = ResultHeaderText(*params, *state, '.');
  ASSERT_EQ(echo.rfind("===================\r\nPHISICAL PROPERTIES\r\n", 0), 0u);

  MemoryFieldTexts fields;
  const Texts before = Snapshot(fields);
  RecordingMessages messages;
  EXPECT_FALSE(SetInputData(SplitDataFileLines(echo), "/home/user/result.txt", fields, messages));
  ASSERT_EQ(messages.messages.size(), 1u);
  EXPECT_EQ(messages.messages[0], "\"/home/user/result.txt\" is not a correct data file!");
  EXPECT_TRUE(messages.errors.empty());
  EXPECT_EQ(Snapshot(fields), before);
}

TEST(SetInputData, RefusesAFileOf118Lines) {
  const DataFileLines lines = NumberedLines();
  std::string bytes;
  for (int n = 0; n < 118; ++n) bytes += lines[static_cast<std::size_t>(n)] + "\r\n";
  MemoryFieldTexts fields;
  const Texts before = Snapshot(fields);
  RecordingMessages messages;
  EXPECT_FALSE(SetInputData(SplitDataFileLines(bytes), "short.txt", fields, messages));
  ASSERT_EQ(messages.messages.size(), 1u);
  EXPECT_EQ(messages.messages[0], "\"short.txt\" is not a correct data file!");
  EXPECT_EQ(Snapshot(fields), before);
}

TEST(SetInputData, Line60WithoutEqualsSignChangesNothing) {
  DataFileLines lines = NumberedLines();
  lines[59] = "     Zone Length (m)      60.00";
  MemoryFieldTexts fields;
  const Texts before = Snapshot(fields);
  RecordingMessages messages;
  EXPECT_FALSE(SetInputData(lines, "/data/line60.txt", fields, messages));
  ASSERT_EQ(messages.messages.size(), 1u);
  EXPECT_EQ(messages.messages[0], "\"/data/line60.txt\" is not a correct data file!");
  EXPECT_EQ(Snapshot(fields), before);
}

TEST(SetInputData, RefusesAnEmptyFile) {
  MemoryFieldTexts fields;
  const Texts before = Snapshot(fields);
  RecordingMessages messages;
  EXPECT_FALSE(SetInputData(SplitDataFileLines(""), "empty.txt", fields, messages));
  ASSERT_EQ(messages.messages.size(), 1u);
  EXPECT_EQ(messages.messages[0], "\"empty.txt\" is not a correct data file!");
  EXPECT_EQ(Snapshot(fields), before);
}

TEST(SetInputData, IgnoresLinesAfter119) {
  std::string bytes = Join(NumberedLines(), "\r\n") + "no equals sign here\r\nx = 7\r\n";
  MemoryFieldTexts fields;
  RecordingMessages messages;
  EXPECT_TRUE(SetInputData(SplitDataFileLines(bytes), "long.txt", fields, messages));
  EXPECT_TRUE(messages.messages.empty());
  EXPECT_EQ(fields.Text("Edit146"), "v119");
}

TEST(SetInputData, LeavesTheEightFixedConstantsWhateverTheirLinesHold) {
  const std::set<int> lines{6, 7, 8, 10, 14, 15, 16, 18};
  for (std::string_view field : kDisabled) EXPECT_EQ(lines.count(LineOf(field)), 1u) << field;

  for (const std::string value : {"", "1.0", "abc", "0"}) {
    DataFileLines data = NumberedLines();
    for (int line : lines) data[static_cast<std::size_t>(line - 1)] = "constant =  " + value;
    MemoryFieldTexts fields;
    const Texts before = Snapshot(fields);
    RecordingMessages messages;
    ASSERT_TRUE(SetInputData(data, "constants.txt", fields, messages));
    for (std::string_view field : kDisabled) {
      EXPECT_FALSE(fields.IsEnabled(field));
      EXPECT_EQ(fields.Text(field), before.at(std::string(field))) << field;
    }
  }
}

TEST(SetInputData, FollowsTheEnabledStateOfTheField) {
  MemoryFieldTexts fields;
  fields.SetEnabled("Edit1", false);
  fields.SetEnabled("Edit224", true);
  RecordingMessages messages;
  ASSERT_TRUE(SetInputData(NumberedLines(), "enabled.txt", fields, messages));
  EXPECT_EQ(fields.Text("Edit1"), "0.0695");
  EXPECT_EQ(fields.Text("Edit224"), "v6");
}

TEST(SetInputData, KeepsTheSaveFileName) {
  MemoryFieldTexts fields;
  fields.SetText("Edit250", "mine.txt");
  RecordingMessages messages;
  ASSERT_TRUE(SetInputData(NumberedLines(), "save.txt", fields, messages));
  EXPECT_EQ(fields.Text("Edit250"), "mine.txt");
}

TEST(SetInputData, ValueIsTheTextBehindTheFirstEqualsSignUpToTheNextBlank) {
  EXPECT_EQ(ValueOf("     Speed (m/s)                                       =  1.000"), "1.000");
  EXPECT_EQ(ValueOf("x=0.5 m/s"), "0.5");
  EXPECT_EQ(ValueOf("a = b=c"), "b=c");
  EXPECT_EQ(ValueOf("=7"), "7");
  EXPECT_EQ(ValueOf("label=  12  34"), "12");
}

TEST(SetInputData, NothingBehindTheEqualsSignEmptiesTheField) {
  EXPECT_EQ(ValueOf("Speed (m/s) ="), "");
  EXPECT_EQ(ValueOf("Speed (m/s) =   "), "");
}

TEST(SetInputData, OnlyTheSpaceIsABlank) {
  EXPECT_EQ(ValueOf("x=\t0.5"), "\t0.5");
  EXPECT_EQ(ValueOf("x=  0.5\t1 2"), "0.5\t1");
  EXPECT_EQ(ValueOf("x=\xE3\x80\x80"
                    "5"),
            "\xE3\x80\x80"
            "5");  // an ideographic space stays
}

// ---- reading from a file --------------------------------------------------------------------

TEST_F(DataFileOnDisk, LoadsLfAndCrLfFiles) {
  for (std::string_view lineEnd : {"\n", "\r\n"}) {
    const std::string path = PathOf("data.txt");
    Write(path, Join(NumberedLines(), lineEnd));
    MemoryFieldTexts fields;
    RecordingMessages messages;
    EXPECT_TRUE(LoadDataFile(path, fields, messages));
    EXPECT_TRUE(messages.messages.empty());
    EXPECT_EQ(fields.Text("Edit211"), "v1");
    EXPECT_EQ(fields.Text("Edit146"), "v119");
  }
}

TEST_F(DataFileOnDisk, RefusalNamesThePathAsGiven) {
  const std::string path = PathOf("wrong.txt");
  Write(path, "only one line = 1\r\n");
  MemoryFieldTexts fields;
  RecordingMessages messages;
  EXPECT_FALSE(LoadDataFile(path, fields, messages));
  ASSERT_EQ(messages.messages.size(), 1u);
  EXPECT_EQ(messages.messages[0], "\"" + path + "\" is not a correct data file!");
}

TEST_F(DataFileOnDisk, AnEmptyFileIsRefusedNotUnreadable) {
  const std::string path = PathOf("empty.txt");
  Write(path, "");
  MemoryFieldTexts fields;
  RecordingMessages messages;
  EXPECT_FALSE(LoadDataFile(path, fields, messages));
  ASSERT_EQ(messages.messages.size(), 1u);
  EXPECT_EQ(messages.messages[0], "\"" + path + "\" is not a correct data file!");
}

TEST_F(DataFileOnDisk, AMissingFileCannotOpen) {
  MemoryFieldTexts fields;
  const Texts before = Snapshot(fields);
  RecordingMessages messages;
  EXPECT_FALSE(LoadDataFile(PathOf("missing.txt"), fields, messages));
  EXPECT_EQ(messages.messages, std::vector<std::string>{"Data file can not open!"});
  EXPECT_EQ(Snapshot(fields), before);
}

TEST_F(DataFileOnDisk, ADirectoryCannotOpen) {
  MemoryFieldTexts fields;
  const Texts before = Snapshot(fields);
  RecordingMessages messages;
  EXPECT_FALSE(LoadDataFile(scratch_.path().string(), fields, messages));
  EXPECT_EQ(messages.messages, std::vector<std::string>{"Data file can not open!"});
  EXPECT_EQ(Snapshot(fields), before);
}

TEST_F(DataFileOnDisk, ReadsAPipeToTheEnd) {
  int ends[2];
  ASSERT_EQ(::pipe(ends), 0);
  const std::string bytes = Join(NumberedLines(), "\r\n");
  ASSERT_LT(bytes.size(), 60000u);  // fits the pipe's buffer: no second thread needed
  ASSERT_EQ(::write(ends[1], bytes.data(), bytes.size()), static_cast<ssize_t>(bytes.size()));
  ::close(ends[1]);
  MemoryFieldTexts fields;
  RecordingMessages messages;
  EXPECT_TRUE(LoadDataFile("/dev/fd/" + std::to_string(ends[0]), fields, messages));
  ::close(ends[0]);
  EXPECT_EQ(fields.Text("Edit146"), "v119");
}

// ---- writing --------------------------------------------------------------------------------

TEST(DataFileText, LaysOutEveryLineAsTheEchoDoes) {
  const MemoryFieldTexts fields;
  const std::string text = DataFileText(fields);
  // 119 lines, each ended by CR LF.
  std::size_t count = 0;
  for (std::size_t at = text.find("\r\n"); at != std::string::npos;
       at = text.find("\r\n", at + 2)) {
    ++count;
  }
  EXPECT_EQ(count, 119u);
  EXPECT_EQ(text.size() >= 2 ? text.substr(text.size() - 2) : "", "\r\n");
  // The field texts stand as they are, not reformatted.
  EXPECT_EQ(text.rfind("    Specific Heat of Polymer (kJ/kg.K)                =  1.47\r\n"
                       "    Density of Polymer (g/cm3)                        =  1.4\r\n",
                       0),
            0u);
  EXPECT_NE(text.find("\r\n    Interaction Parameter \x83\xD4"
                      "1p                         =  0.01\r\n"),
            std::string::npos);
  EXPECT_NE(
      text.find("\r\n     Initial Temperature (\x81\x8E)                          =  15.0\r\n"),
      std::string::npos);
  // Zone 3 has no defaults: its lines end with the "=" and its two blanks.
  EXPECT_NE(text.find("\r\n     Zone Length (m)                                   =  \r\n"),
            std::string::npos);
  EXPECT_EQ(text.find("result.txt"), std::string::npos);
}

TEST(DataFileText, LinesAreTheValueLinesOfTheResultFile) {
  const MemoryFieldTexts fields;
  const DataFileLines lines = SplitDataFileLines(DataFileText(fields));
  for (std::size_t i = 0; i < EchoValueLines().size(); ++i) {
    const EchoValueLine& echo = EchoValueLines()[i];
    EXPECT_EQ(lines[i], ValueLine(echo.layout, fields.Text(echo.field)));
  }
  for (int zone = 2; zone <= kMaxZones; ++zone) {
    for (int index = 0; index < 6; ++index) {
      const int line = 6 * zone + 30 + index;
      EXPECT_EQ(lines[static_cast<std::size_t>(line - 1)],
                ValueLine(ZoneConditionLines()[static_cast<std::size_t>(index)],
                          fields.Text(ZoneFieldName(zone, index))));
    }
  }
}

TEST(DataFileText, ReadsBackToTheDefaults) {
  for (char separator : {'.', ','}) {
    const MemoryFieldTexts defaults(separator);
    const std::string text = DataFileText(defaults);

    MemoryFieldTexts fields(separator);
    for (const FieldSpec& field : AllFields()) fields.SetText(field.name, "changed");
    RecordingMessages messages;
    ASSERT_TRUE(SetInputData(SplitDataFileLines(text), "defaults.txt", fields, messages));
    EXPECT_TRUE(messages.messages.empty());
    for (const FieldSpec& field : AllFields()) {
      const bool loaded = field.enabled && field.name != "Edit250";
      EXPECT_EQ(fields.Text(field.name), loaded ? defaults.Text(field.name) : "changed")
          << field.name;
    }
  }
}

TEST(DataFileText, ReadsBackAnyTextItCanCarry) {
  MemoryFieldTexts written;
  written.SetText("Edit1", "  0.07  ");  // outer blanks are dropped
  written.SetText("Edit2", "\t0.5");
  written.SetText("Edit3", "a=b");
  written.SetText("Edit4", "");
  written.SetText("Edit5", "χ℃");
  written.SetText("Edit21", "=");
  written.SetText("Edit146", "1e-3");
  written.SetText("Edit145", "1\r2");
  written.SetText("Edit144", "3\r");
  MemoryFieldTexts read;
  for (const FieldSpec& field : AllFields()) {
    if (field.enabled) read.SetText(field.name, "old");
  }
  RecordingMessages messages;
  ASSERT_TRUE(SetInputData(SplitDataFileLines(DataFileText(written)), "any.txt", read, messages));
  EXPECT_EQ(read.Text("Edit1"), "0.07");
  EXPECT_EQ(read.Text("Edit2"), "\t0.5");
  EXPECT_EQ(read.Text("Edit3"), "a=b");
  EXPECT_EQ(read.Text("Edit4"), "");
  EXPECT_EQ(read.Text("Edit5"), "χ℃");
  EXPECT_EQ(read.Text("Edit21"), "=");
  EXPECT_EQ(read.Text("Edit146"), "1e-3");
  EXPECT_EQ(read.Text("Edit145"), "1\r2");
  EXPECT_EQ(read.Text("Edit144"), "3\r");
  EXPECT_EQ(read.Text("Edit31"), "");
}

TEST(DataFileText, RefusesATextWithABlankInside) {
  MemoryFieldTexts fields;
  fields.SetText("Edit6", " 1 0 ");
  try {
    DataFileText(fields);
    FAIL() << "no DataFileWriteError";
  } catch (const DataFileWriteError& e) {
    const std::string what = e.what();
    EXPECT_NE(what.find("Edit6"), std::string::npos) << what;
    EXPECT_NE(what.find("Speed (m/s)"), std::string::npos) << what;
    EXPECT_NE(what.find("\" 1 0 \""), std::string::npos) << what;
  }
}

TEST(DataFileText, RefusesTextsThatWouldReadBackChanged) {
  for (const std::string text : {"1\n2", "\n", "\xF0\x9F\x98\x80"}) {
    MemoryFieldTexts fields;
    fields.SetText("Edit43", text);
    try {
      DataFileText(fields);
      FAIL() << "no DataFileWriteError for " << text;
    } catch (const DataFileWriteError& e) {
      const std::string what = e.what();
      EXPECT_NE(what.find("Edit43"), std::string::npos) << what;
      EXPECT_NE(what.find("zone 4"), std::string::npos) << what;
    }
  }
}

TEST_F(DataFileOnDisk, WrittenFileLoadsBack) {
  MemoryFieldTexts written;
  written.SetText("Edit31", "55.5");
  const std::string path = PathOf("written.txt");
  Write(path, std::string(5000, 'x'));  // an older, longer file is replaced
  WriteDataFile(path, written);
  EXPECT_EQ(Read(path), DataFileText(written));

  MemoryFieldTexts read;
  RecordingMessages messages;
  ASSERT_TRUE(LoadDataFile(path, read, messages));
  EXPECT_EQ(Snapshot(read), Snapshot(written));
}

TEST_F(DataFileOnDisk, WriteFailureNamesTheCause) {
  const MemoryFieldTexts fields;
  const std::string path = PathOf("missing/data.txt");
  try {
    WriteDataFile(path, fields);
    FAIL() << "no DataFileWriteError";
  } catch (const DataFileWriteError& e) {
    const std::string what = e.what();
    EXPECT_NE(what.find(path), std::string::npos) << what;
    EXPECT_NE(what.find("No such file or directory"), std::string::npos) << what;
  }
}

TEST_F(DataFileOnDisk, RefusedTextLeavesAnExistingFileAlone) {
  const std::string path = PathOf("kept.txt");
  Write(path, "old content");
  MemoryFieldTexts fields;
  fields.SetText("Edit1", "0 .1");
  EXPECT_THROW(WriteDataFile(path, fields), DataFileWriteError);
  EXPECT_EQ(Read(path), "old content");
}

}  // namespace
}  // namespace quillmere
