// Data files: reading the 119 value lines into the input fields, and writing them back out.
#include "report/DataFile.h"

#include <gtest/gtest.h>
#include <sys/stat.h>

#include <fstream>
#include <map>
#include <set>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include "TestSupport.h"
#include "base/PrintableText.h"
#include "params/FieldTable.h"
#include "params/MemoryFieldTexts.h"
#include "params/PlantInputs.h"
#include "report/CodePage.h"
#include "report/ResultFile.h"

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

// A data file of `count` lines whose line n carries the value "v<n>", each ended by `lineEnd`.
std::string NumberedFile(std::string_view lineEnd = "\r\n", int count = kDataFileLines) {
  std::string text;
  for (int n = 1; n <= count; ++n) {
    text += "    Label of line " + std::to_string(n) + "   =  v" + std::to_string(n);
    text += lineEnd;
  }
  return text;
}

void Write(const std::string& path, std::string_view bytes) {
  std::ofstream(path, std::ios::binary) << bytes;
}

// ---- which line fills which field -----------------------------------------------------------

// The field each of the 119 lines fills, written out here from the order of the result file's
// echo (polymer, Solvent-1, Solvent-2, base film, fitting parameters, accuracy, zone 1) and the
// six lines of each further zone, independently of the loader's own table.
std::vector<std::string> LineFieldsWrittenOut() {
  std::vector<std::string> fields{"Edit211", "Edit212"};
  for (int n = 221; n <= 228; ++n) fields.push_back("Edit" + std::to_string(n));
  for (int n = 231; n <= 238; ++n) fields.push_back("Edit" + std::to_string(n));
  fields.push_back("Edit241");
  for (int n = 201; n <= 208; ++n) fields.push_back("Edit" + std::to_string(n));
  fields.push_back("Edit20");
  for (int n = 1; n <= 13; ++n) fields.push_back("Edit" + std::to_string(n));
  for (int zone = 2; zone <= 14; ++zone) {
    for (int i = 1; i <= 6; ++i) fields.push_back("Edit" + std::to_string(10 * zone + i));
  }
  return fields;
}

TEST(DataFileField, EveryInputButTheSaveFileNameHasItsOwnLine) {
  const std::vector<std::string> expected = LineFieldsWrittenOut();
  ASSERT_EQ(expected.size(), 119u);
  for (int n = 1; n <= kDataFileLines; ++n) {
    EXPECT_EQ(DataFileField(n), expected[static_cast<std::size_t>(n - 1)]) << "line " << n;
  }
  // Zone n's block starts at line 6n + 30.
  EXPECT_EQ(DataFileField(6 * 9 + 30), "Edit91");
  EXPECT_EQ(std::set<std::string>(expected.begin(), expected.end()).size() + 1, AllFields().size());
  EXPECT_THROW(DataFileField(0), std::out_of_range);
  EXPECT_THROW(DataFileField(120), std::out_of_range);
}

// ---- reading --------------------------------------------------------------------------------

TEST(SplitDataFileLines, CutsAtLineFeedsDropsOneCarriageReturnAndDecodesCodePage932) {
  const DataFileLines lines = SplitDataFileLines(
      "a=1\r\nb=2\nc=\r3\r\r\n"
      "    Interaction Parameter \x83\xD4"
      "1p                         =  0.010\r\n"
      "     Outer Temperature (\x81\x8E)                            =  60.00");
  EXPECT_EQ(lines[0], "a=1");
  EXPECT_EQ(lines[1], "b=2");
  EXPECT_EQ(lines[2], "c=\r3\r");
  EXPECT_EQ(lines[3], "    Interaction Parameter χ1p                         =  0.010");
  EXPECT_EQ(lines[4], "     Outer Temperature (℃)                            =  60.00");
  EXPECT_EQ(lines[5], "");
}

TEST(SetInputData, FillsTheEnabledFieldsButNotTheSaveFileName) {
  MemoryFieldTexts fields;
  fields.SetText("Edit250", "mine.txt");
  fields.SetEnabled("Edit1", false);  // the enabled state of the moment counts, not the table's
  fields.SetEnabled("Edit211", false);
  const Texts before = Snapshot(fields);
  RecordingMessages messages;
  ASSERT_TRUE(
      SetInputData(SplitDataFileLines(NumberedFile()), "numbered.txt", fields, messages).Ok());
  EXPECT_TRUE(messages.messages.empty());
  const std::vector<std::string> lineFields = LineFieldsWrittenOut();
  for (int n = 1; n <= kDataFileLines; ++n) {
    const std::string& field = lineFields[static_cast<std::size_t>(n - 1)];
    EXPECT_EQ(fields.Text(field), fields.IsEnabled(field)
                                      ? std::string("v").append(std::to_string(n))
                                      : before.at(field))
        << field;
  }
  EXPECT_EQ(fields.Text("Edit250"), "mine.txt");
  for (const char* fixed :
       {"Edit224", "Edit225", "Edit226", "Edit228", "Edit234", "Edit235", "Edit236", "Edit238"}) {
    EXPECT_EQ(fields.Text(fixed), before.at(fixed)) << fixed;
  }
}

TEST(SetInputData, ValueIsTheTextBehindTheFirstEqualsSignUpToTheNextBlank) {
  // Only the space is a blank: a tab or an ideographic space is part of the value.
  const std::map<std::string, std::string> values{
      {"x=0.5 m/s", "0.5"},     {"a = b=c", "b=c"},   {"Speed (m/s) =", ""},
      {"Speed (m/s) =   ", ""}, {"x=\t0.5", "\t0.5"}, {"x=  0.5\t1 2", "0.5\t1"},
      {"x=\u30005", "\u30005"},
  };
  for (const auto& [line, value] : values) {
    DataFileLines lines = SplitDataFileLines(NumberedFile());
    lines[28] = line;  // Edit1
    MemoryFieldTexts fields;
    RecordingMessages messages;
    ASSERT_TRUE(SetInputData(lines, "values.txt", fields, messages).Ok());
    EXPECT_EQ(fields.Text("Edit1"), value) << line;
  }
}

// A file that is no data file, refused whole: every line must hold an "=".
TEST(LoadDataFile, RefusesAFileWithALineWithoutEqualsSignAndChangesNothing) {
  test::Model zeros;
  std::string line60 = NumberedFile();  // lines 1 to 59 would pass
  const std::size_t at = line60.find("Label of line 60   =");
  line60.replace(line60.find('=', at), 1, " ");
  // Each with the reason the command line gives after the message.
  const std::string endsEarly = ", and a data file holds 119 lines of \"label = value\".";
  const std::map<std::string, std::pair<std::string, std::string>> files{
      // The echo's first line, a row of "=", passes; "PHISICAL PROPERTIES" does not.
      {"result.txt",
       {EncodeCodePage932(ResultHeaderText(*zeros.params, 0, '.')), "Line 2 holds no \"=\"."}},
      {"short.txt", {NumberedFile("\r\n", 118), "It ends after line 118" + endsEarly}},
      {"line60.txt", {line60, "Line 60 holds no \"=\"."}},
      {"empty.txt", {"", "It is empty" + endsEarly}},
      // A line longer than any label and value refuses the file, however it goes on.
      {"long.txt",
       {"x=" + std::string(kDataFileLineLimit, '1') + "\r\n" + NumberedFile(),
        "Line 1 is longer than 65536 bytes."}},
  };
  test::ScratchDirectory scratch;
  for (const auto& [name, file] : files) {
    const auto& [bytes, reason] = file;
    const std::string path = scratch.File(name);
    Write(path, bytes);
    MemoryFieldTexts fields;
    const Texts before = Snapshot(fields);
    RecordingMessages messages;
    EXPECT_FALSE(LoadDataFile(path, fields, messages).Ok());
    EXPECT_EQ(messages.messages,
              std::vector<std::string>{"\"" + path + "\" is not a correct data file!"});
    EXPECT_EQ(messages.details, std::vector<std::string>{reason}) << name;
    EXPECT_TRUE(messages.errors.empty());
    EXPECT_EQ(Snapshot(fields), before) << name;
  }
}

TEST(LoadDataFile, TakesLfAndCrLfAndIgnoresLinesAfter119) {
  test::ScratchDirectory scratch;
  for (std::string_view lineEnd : {"\n", "\r\n"}) {
    const std::string path = scratch.File("data.txt");
    Write(path, NumberedFile(lineEnd) + "no equals sign here" + std::string(lineEnd));
    MemoryFieldTexts fields;
    RecordingMessages messages;
    EXPECT_TRUE(LoadDataFile(path, fields, messages).Ok());
    EXPECT_TRUE(messages.messages.empty());
    EXPECT_EQ(fields.Text("Edit211"), "v1");
    EXPECT_EQ(fields.Text("Edit146"), "v119");
  }
}

// A missing file or a directory cannot be opened. A device that never ends a line (or never
// ends at all) is read no further than a data file could reach, and a named pipe that nobody
// writes reads as empty: both are refused, and neither hangs the program.
TEST(LoadDataFile, UnreadableEndlessAndWriterlessFilesAreRefusedAndChangeNothing) {
  test::ScratchDirectory scratch;
  const std::string pipe = scratch.File("pipe");
  ASSERT_EQ(mkfifo(pipe.c_str(), 0600), 0);
  // What the user was told comes back with its kind: a file problem, or a refused file.
  const struct {
    std::string path;
    std::string message;
    ErrorKind kind;
  } cases[] = {
      {scratch.File("missing.txt"), "Data file can not open!", ErrorKind::File},
      {scratch.path().string(), "Data file can not open!", ErrorKind::File},
      {"/dev/zero", "\"/dev/zero\" is not a correct data file!", ErrorKind::InputRefused},
      {pipe, "\"" + pipe + "\" is not a correct data file!", ErrorKind::InputRefused},
  };
  for (const auto& [path, message, kind] : cases) {
    MemoryFieldTexts fields;
    const Texts before = Snapshot(fields);
    RecordingMessages messages;
    const Outcome<LoadedDataFile> loaded = LoadDataFile(path, fields, messages);
    ASSERT_FALSE(loaded.Ok());
    EXPECT_EQ(loaded.Why().Kind(), kind) << path;
    EXPECT_EQ(loaded.Why().what(), message);
    EXPECT_EQ(messages.messages, std::vector<std::string>{message}) << path;
    EXPECT_EQ(Snapshot(fields), before);
  }
}

// ---- writing --------------------------------------------------------------------------------

TEST(DataFileText, WritesTheTextsAsTheEchoLaysOutItsValueLines) {
  const std::string text = DataFileText(MemoryFieldTexts());
  // Plant lines follow, but for the zones' air, which is written only when given.
  EXPECT_EQ(test::CrLfLines(text).size(), 119u + PlantFields().size() - kMaxZones);
  // The texts stand as typed, not reformatted; zone 3 has none.
  EXPECT_EQ(text.rfind("    Specific Heat of Polymer (kJ/kg.K)                =  1.47\r\n", 0), 0u);
  EXPECT_NE(text.find("\r\n    Interaction Parameter \x83\xD4"
                      "1p                         =  0.01\r\n"),
            std::string::npos);
  EXPECT_NE(text.find("\r\n     Zone Length (m)                                   =  \r\n"),
            std::string::npos);
}

TEST(DataFileText, ReadsBackToTheSameTexts) {
  for (char separator : {'.', ','}) {
    MemoryFieldTexts written(separator);
    const Texts unusual{{"Edit2", "\t0.5"},  {"Edit3", "a=b"},  {"Edit4", ""},
                        {"Edit5", "χ℃"},     {"Edit21", "="},   {"Edit146", "1e-3"},
                        {"Edit145", "1\r2"}, {"Edit144", "3\r"}};
    for (const auto& [field, text] : unusual) written.SetText(field, text);
    written.SetText("Edit1", "  0.07  ");  // outer blanks carry no meaning and are dropped

    MemoryFieldTexts read(separator);
    for (const FieldSpec& field : AllFields()) read.SetText(field.name, "old");
    RecordingMessages messages;
    ASSERT_TRUE(
        SetInputData(SplitDataFileLines(DataFileText(written)), "any.txt", read, messages).Ok());
    for (const FieldSpec& field : AllFields()) {
      std::string expected = field.name == "Edit1" ? "0.07" : written.Text(field.name);
      if (!field.enabled || field.name == "Edit250") expected = "old";
      EXPECT_EQ(read.Text(field.name), expected) << field.name;
    }
  }
}

// A text that would read back changed is refused, naming the field, before the file is touched.
TEST(WriteDataFile, ReplacesAnOlderFileButNotWithATextThatWouldReadBackChanged) {
  test::ScratchDirectory scratch;
  const std::string path = scratch.File("written.txt");
  Write(path, std::string(5000, 'x'));
  WriteDataFile(path, MemoryFieldTexts());
  const std::string written = DataFileText(MemoryFieldTexts());
  EXPECT_EQ(test::ReadBytes(path), written);

  // A blank inside, a line break, a character that code page 932 lacks.
  for (const std::string text : {" 1 0 ", "1\n2", "\xF0\x9F\x98\x80"}) {
    MemoryFieldTexts fields;
    fields.SetText("Edit43", text);
    try {
      WriteDataFile(path, fields);
      ADD_FAILURE() << "no DataFileWriteError for " << text;
    } catch (const DataFileWriteError& e) {
      const std::string what = e.what();
      EXPECT_NE(what.find(Quoted(text) + " of Edit43 (Solvent-1 Absolute Humidity of zone 4)"),
                std::string::npos)
          << what;
    }
    EXPECT_EQ(test::ReadBytes(path), written);
  }
}

// ---- what may explain a refused value -------------------------------------------------------

std::string Utf16(std::string_view text, bool littleEndian) {
  std::string bytes = littleEndian ? "\xFF\xFE" : "\xFE\xFF";
  for (const char c : text) {
    bytes += littleEndian ? std::string{c, '\0'} : std::string{'\0', c};
  }
  return bytes;
}

// A UTF-16 file (Notepad's "Unicode") is read as a data file's bytes are, so that its values do
// not convert; the hint names its encoding. A file whose numbers read only with the other
// decimal separator gets that separator named. Whole numbers read with either.
TEST(DataFileReadingHint, NamesUtf16AndTheOtherDecimalSeparator) {
  const std::string points = DataFileText(MemoryFieldTexts('.'));
  const std::string commas = DataFileText(MemoryFieldTexts(','));
  const std::string seemsComma =
      "The file seems to write its numbers with \",\" as the decimal separator.";
  const std::string seemsPoint =
      "The file seems to write its numbers with \".\" as the decimal separator.";
  const struct {
    std::string name;
    std::string bytes;
    char separator;
    std::string hint;
  } files[] = {
      {"points under \".\"", points, '.', ""},
      {"commas under \",\"", commas, ',', ""},
      {"commas under \".\"", commas, '.', seemsComma},
      {"points under \",\"", points, ',', seemsPoint},
      {"whole numbers", NumberedFile(), '.', ""},
      {"UTF-16 LE", Utf16(points, true), '.',
       "The file is UTF-16 (little-endian) text; save it as ANSI (Shift-JIS) or UTF-8."},
      {"UTF-16 BE", Utf16(points, false), ',',
       "The file is UTF-16 (big-endian) text; save it as ANSI (Shift-JIS) or UTF-8."},
  };
  for (const auto& file : files) {
    EXPECT_EQ(DataFileReadingHint(SplitDataFileLines(file.bytes), file.separator), file.hint)
        << file.name;
  }
}

// Its 119 lines fill the fields (with texts that are no numbers), but its plant lines and the
// fixed constants' lines give no warnings full of NULs: the refusal of its first value says
// why the file cannot be read.
TEST(LoadDataFile, AUtf16FileWarnsOfNothing) {
  MemoryFieldTexts written('.');
  written.SetText("WebWidth", "1.3");  // a plant line
  test::ScratchDirectory scratch;
  const std::string path = scratch.File("unicode.dat");
  Write(path, Utf16(DecodeCodePage932(DataFileText(written)), true));
  MemoryFieldTexts fields('.');
  RecordingMessages messages;
  const Outcome<LoadedDataFile> loaded = LoadDataFile(path, fields, messages);
  ASSERT_TRUE(loaded.Ok());
  EXPECT_EQ(loaded.Value().Lines.Utf16Encoding, "UTF-16 (little-endian)");
  EXPECT_TRUE(loaded.Value().PlantLineWarnings.empty());
  EXPECT_TRUE(IgnoredFixedConstantLines(loaded.Value(), fields, '.').empty());
  EXPECT_NE(fields.Text("Edit1"), written.Text("Edit1"));
}

}  // namespace
}  // namespace quillmere
