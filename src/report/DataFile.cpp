#include "report/DataFile.h"

#include <algorithm>
#include <span>
#include <stdexcept>
#include <string>

#include "base/NumberText.h"
#include "base/PrintableText.h"
#include "params/FieldTable.h"
#include "params/ParameterSet.h"
#include "report/CodePage.h"
#include "report/PlantDataLines.h"
#include "report/ResultFile.h"

namespace quillmere {
namespace {

//! Lines 1 to 41 follow the value lines of the result file's echo; zone n (2 to 14) then takes
//! six lines, from line kFirstZoneLine + 6 (n - 2) on.
constexpr int kEchoLines = 41;
constexpr int kZoneLines = 6;
constexpr int kFirstZoneLine = kEchoLines + 1;  // line 42: outer temperature of zone 2

//! The blank that ends a value and that is skipped before it. A tab or an ideographic space
//! is not one.
constexpr char kBlank = ' ';

//! Zone and condition index of a zone line (42 to 119).
struct ZoneLine {
  int zone;
  int index;
};

ZoneLine ZoneLineOf(int line) {
  const int offset = line - kFirstZoneLine;
  return {2 + offset / kZoneLines, offset % kZoneLines};
}

//! The field names of all lines, built once.
const std::array<std::string, kDataFileLines>& LineFields() {
  static const auto fields = [] {
    std::array<std::string, kDataFileLines> names;
    const std::span<const EchoValueLine> echo = EchoValueLines();
    if (echo.size() != static_cast<std::size_t>(kEchoLines)) {
      throw std::logic_error("The result file's echo holds " + std::to_string(echo.size()) +
                             " value lines, not 41");
    }
    for (int line = 1; line <= kEchoLines; ++line) {
      names[static_cast<std::size_t>(line - 1)] = echo[static_cast<std::size_t>(line - 1)].field;
    }
    for (int line = kFirstZoneLine; line <= kDataFileLines; ++line) {
      const ZoneLine z = ZoneLineOf(line);
      names[static_cast<std::size_t>(line - 1)] = ZoneFieldName(z.zone, z.index);
    }
    return names;
  }();
  return fields;
}

//! The layout with which line `line` is written: that of the echo for lines 1 to 41, that of
//! the zone conditions block for the zone lines.
const ValueLineLayout& LineLayout(int line) {
  if (line <= kEchoLines) return EchoValueLines()[static_cast<std::size_t>(line - 1)].layout;
  return ZoneConditionLines()[static_cast<std::size_t>(ZoneLineOf(line).index)];
}

//! What a reader calls the field of line `line`: its label, with the zone for zone lines.
std::string LineCaption(int line) {
  std::string caption(LineLayout(line).label);
  if (line >= kFirstZoneLine) caption += " of zone " + std::to_string(ZoneLineOf(line).zone);
  return caption;
}

//! The value of a line: behind its first "=", leading blanks removed, up to the next blank.
//! The line must hold an "=".
std::string_view LineValue(std::string_view line) {
  std::string_view value = line.substr(line.find('=') + 1);
  const std::size_t start = value.find_first_not_of(kBlank);
  if (start == std::string_view::npos) return {};
  value.remove_prefix(start);
  return value.substr(0, value.find(kBlank));
}

std::string_view TrimBlanks(std::string_view text) {
  const std::size_t start = text.find_first_not_of(kBlank);
  if (start == std::string_view::npos) return {};
  const std::size_t end = text.find_last_not_of(kBlank);
  return text.substr(start, end - start + 1);
}

}  // namespace

std::string DataFileField(int line) {
  if (line < 1 || line > kDataFileLines) {
    throw std::out_of_range("A data file has no line " + std::to_string(line));
  }
  return LineFields()[static_cast<std::size_t>(line - 1)];
}

std::optional<int> DataFileLine(std::string_view field) {
  const auto& fields = LineFields();
  const auto it = std::find(fields.begin(), fields.end(), field);
  if (it == fields.end()) return std::nullopt;
  return static_cast<int>(it - fields.begin()) + 1;
}

std::vector<std::string> IgnoredFixedConstantLines(const LoadedDataFile& file,
                                                   const FieldTexts& fields,
                                                   char decimalSeparator) {
  std::vector<std::string> warnings;
  // A UTF-16 file's values are not values: the refusal of the first says why.
  if (!file.Lines.Utf16Encoding.empty()) return warnings;
  for (int line = 1; line <= kDataFileLines; ++line) {
    const std::string& field = LineFields()[static_cast<std::size_t>(line - 1)];
    if (fields.IsEnabled(field)) continue;
    const std::string_view value = LineValue(file.Lines[static_cast<std::size_t>(line - 1)]);
    if (value.empty()) continue;
    const std::string fixed = fields.Text(field);
    // A file written where the other separator is in force gives the same value: no warning.
    std::optional<double> given = ParseNumber(value, decimalSeparator);
    if (!given) given = ParseNumber(value, decimalSeparator == '.' ? ',' : '.');
    if (given && given == ParseNumber(fixed, decimalSeparator)) continue;
    warnings.push_back("Line " + std::to_string(line) + " of the data file " + Quoted(file.Name) +
                       " gives " + LineCaption(line) + " (" + field + ") the value " +
                       Quoted(value) + "; the line is ignored, since this constant is fixed at " +
                       fixed + " and its field cannot be changed.");
  }
  return warnings;
}

DataFileLines SplitDataFileLines(std::string_view bytes) {
  // The lines are cut before they are decoded: neither LF nor CR is ever the second byte of a
  // double-byte character, so a broken character cannot swallow a line end.
  DataFileLines lines;
  lines.Utf16Encoding = Utf16Encoding(bytes);
  std::size_t start = 0;
  while (start < bytes.size() && lines.Count < kDataFileLines + kPlantLineLimit) {
    std::size_t end = bytes.find('\n', start);
    if (end == std::string_view::npos) end = bytes.size();
    const int number = ++lines.Count;
    std::string_view raw = bytes.substr(start, end - start);
    if (!raw.empty() && raw.back() == '\r') raw.remove_suffix(1);
    if (number <= kDataFileLines) {
      if (raw.size() > kDataFileLineLimit) {
        if (lines.OverlongLine == 0) lines.OverlongLine = number;
      } else {
        lines[static_cast<std::size_t>(number - 1)] = DecodeCodePage932(raw);
      }
    } else {
      lines.Further.push_back(raw.size() > kDataFileLineLimit ? std::string()
                                                              : DecodeCodePage932(raw));
    }
    start = end + 1;
  }
  return lines;
}

Outcome<> SetInputData(const DataFileLines& lines, std::string_view dataFileName,
                       FieldTexts& fields, UserMessages& messages) {
  // Every line is checked before the first field changes: a file is applied wholly or not.
  std::string fault;
  for (int line = 1; line <= kDataFileLines && fault.empty(); ++line) {
    if (line == lines.OverlongLine) {
      fault = "Line " + std::to_string(line) + " is longer than " +
              std::to_string(kDataFileLineLimit) + " bytes.";
    } else if (lines[static_cast<std::size_t>(line - 1)].find('=') == std::string::npos) {
      const std::string lineCount =
          lines.Count == 0 ? "It is empty" : "It ends after line " + std::to_string(lines.Count);
      fault = line > lines.Count
                  ? lineCount + ", and a data file holds 119 lines of \"label = value\"."
                  : "Line " + std::to_string(line) + " holds no \"=\".";
    }
  }
  if (!fault.empty()) {
    std::string message = "\"";  // appended piece by piece: GCC 12 misreads "x" + string
    message += PrintableText(dataFileName);
    message += "\" is not a correct data file!";
    messages.ShowMessage(message);
    messages.ShowDetail(fault);
    return Error(ErrorKind::InputRefused, message, fault);
  }
  for (int line = 1; line <= kDataFileLines; ++line) {
    const std::string& field = LineFields()[static_cast<std::size_t>(line - 1)];
    if (fields.IsEnabled(field)) {
      fields.SetText(field, LineValue(lines[static_cast<std::size_t>(line - 1)]));
    }
  }
  return {};
}

std::string DataFileReadingHint(const DataFileLines& lines, char decimalSeparator) {
  if (!lines.Utf16Encoding.empty()) {
    return "The file is " + std::string(lines.Utf16Encoding) +
           " text; save it as ANSI (Shift-JIS) or UTF-8.";
  }
  // The file's numbers read only with the other separator, and none holds the one in force.
  const char other = decimalSeparator == '.' ? ',' : '.';
  int readWithOther = 0;
  for (const std::string& line : lines.Text) {
    if (line.find('=') == std::string::npos) continue;
    const std::string_view value = LineValue(line);
    const bool ownReads = ParseNumber(value, decimalSeparator).has_value();
    if (ownReads && value.find(decimalSeparator) != std::string_view::npos) return {};
    if (!ownReads && ParseNumber(value, other)) ++readWithOther;
  }
  if (readWithOther == 0) return {};
  return "The file seems to write its numbers with \"" + std::string(1, other) +
         "\" as the decimal separator.";
}

std::string DataFileReadingWarning(std::string_view name, const DataFileLines& lines,
                                   char decimalSeparator) {
  const std::string hint = DataFileReadingHint(lines, decimalSeparator);
  if (hint.empty()) return {};
  std::string warning = "The values of the data file \"";
  warning += name;
  warning += "\" may not read: ";
  warning += hint;
  return warning;
}

DataFileLines ReadDataFileLines(InputFile& file) {
  // Read up to the end of line 119, also from a pipe; what follows is never looked at. A line
  // that grows beyond the limit ends the reading too: the file is refused for it, so a device
  // without line ends is read no further than one long line.
  std::string bytes;
  std::array<char, 1 << 16> buffer;
  // The plant lines after line 119 are read on the same terms, up to kPlantLineLimit of them.
  constexpr int kLastLine = kDataFileLines + kPlantLineLimit;
  int lineEnds = 0;
  std::size_t lineStart = 0;
  while (lineEnds < kLastLine) {
    const std::size_t n = file.Read(buffer.data(), buffer.size());
    if (n == 0) break;
    const std::size_t before = bytes.size();
    bytes.append(buffer.data(), n);
    for (std::size_t i = before; i < bytes.size() && lineEnds < kLastLine; ++i) {
      if (bytes[i] == '\n') {
        ++lineEnds;
        lineStart = i + 1;
      }
    }
    if (lineEnds < kLastLine && bytes.size() - lineStart > kDataFileLineLimit + 1) break;
  }
  return SplitDataFileLines(bytes);
}

namespace {

//! Shows "Data file can not open!" with the reason as its detail; that error.
Error NotOpened(UserMessages& messages, const std::string& reason) {
  messages.ShowMessage(kDataFileCanNotOpen);
  messages.ShowDetail(reason);
  return Error(ErrorKind::File, std::string(kDataFileCanNotOpen), reason);
}

}  // namespace

Outcome<LoadedDataFile> LoadDataFile(InputFile& file, FieldTexts& fields, UserMessages& messages) {
  DataFileLines lines;
  try {
    lines = ReadDataFileLines(file);
  } catch (const FileError& error) {
    return NotOpened(messages, error.what());
  }
  if (std::optional<Error> duplicate = DuplicatePlantLine(lines, file.Name())) {
    messages.ShowMessage(duplicate->what());
    messages.ShowDetail(duplicate->Details());
    return *duplicate;
  }
  if (Outcome<> applied = SetInputData(lines, file.Name(), fields, messages); !applied.Ok()) {
    return applied.Why();
  }
  std::vector<std::string> warnings;
  if (lines.Utf16Encoding.empty()) warnings = ApplyPlantDataLines(lines, file.Name(), fields);
  return LoadedDataFile{file.Name(), file.Identity(), std::move(lines), std::move(warnings)};
}

Outcome<LoadedDataFile> LoadDataFile(const std::string& path, FieldTexts& fields,
                                     UserMessages& messages) {
  std::optional<InputFile> file;
  try {
    file.emplace(InputFile::Open(path, "data file"));
  } catch (const FileError& error) {
    return NotOpened(messages, error.what());
  }
  return LoadDataFile(*file, fields, messages);
}

std::string DataFileText(const FieldTexts& fields) {
  std::string text;
  for (int line = 1; line <= kDataFileLines; ++line) {
    const std::string& field = LineFields()[static_cast<std::size_t>(line - 1)];
    const std::string fieldText = fields.Text(field);
    const std::string_view value = TrimBlanks(fieldText);
    // A value ends at its first blank and at the line feed; a character outside the code page
    // would come back as another one. Such a text would read back as a different value. (A
    // carriage return does come back: a reader strips only the one that ends the line.)
    std::string_view fault;
    if (value.find(kBlank) != std::string_view::npos) {
      fault = "holds a blank between other characters";
    } else if (value.find('\n') != std::string_view::npos) {
      fault = "holds a line break";
    } else if (DecodeCodePage932(EncodeCodePage932(value)) != value) {
      fault = "holds a character that code page 932 lacks";
    }
    if (!fault.empty()) {
      throw DataFileWriteError("The text " + Quoted(fieldText) + " of " + field + " (" +
                               LineCaption(line) + ") " + std::string(fault) +
                               " and cannot be written to a data file");
    }
    text += ValueLine(LineLayout(line), value);
    text += "\r\n";
  }
  text += PlantDataLinesText(fields);
  return EncodeCodePage932(text);
}

void WriteDataFile(const std::string& path, const FieldTexts& fields) {
  const std::string text = DataFileText(fields);  // before the file is touched
  OutputFile file = OutputFile::Open(path, OutputFile::Mode::Create, "data file");
  file.Truncate();
  file.Write(text);
  file.Close();
}

}  // namespace quillmere
