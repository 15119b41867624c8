#include "app/DataFile.h"

#include <fcntl.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <span>
#include <stdexcept>
#include <string>
#include <vector>

#include "params/FieldTable.h"
#include "params/ParameterSet.h"
#include "report/CodePage.h"
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

std::string ErrnoText(int error) {
  return std::strerror(error);
}

//! The most a data file is read: far more than 119 lines of labels and values ever take.
constexpr std::size_t kDataFileReadLimit = 64u << 20;

}  // namespace

std::string DataFileField(int line) {
  if (line < 1 || line > kDataFileLines) {
    throw std::out_of_range("A data file has no line " + std::to_string(line));
  }
  return LineFields()[static_cast<std::size_t>(line - 1)];
}

DataFileLines SplitDataFileLines(std::string_view bytes) {
  // The lines are cut before they are decoded: neither LF nor CR is ever the second byte of a
  // double-byte character, so a broken character cannot swallow a line end.
  DataFileLines lines;
  std::size_t start = 0;
  for (std::string& line : lines) {
    if (start > bytes.size()) break;  // past the end: the remaining lines stay empty
    std::size_t end = bytes.find('\n', start);
    if (end == std::string_view::npos) end = bytes.size();
    std::string_view raw = bytes.substr(start, end - start);
    if (!raw.empty() && raw.back() == '\r') raw.remove_suffix(1);
    line = DecodeCodePage932(raw);
    start = end + 1;
  }
  return lines;
}

bool SetInputData(const DataFileLines& lines, std::string_view dataFileName, FieldTexts& fields,
                  UserMessages& messages) {
  // Every line is checked before the first field changes: a file is applied wholly or not.
  for (const std::string& line : lines) {
    if (line.find('=') == std::string::npos) {
      messages.ShowMessage("\"" + std::string(dataFileName) + "\" is not a correct data file!");
      return false;
    }
  }
  for (int line = 1; line <= kDataFileLines; ++line) {
    const std::string& field = LineFields()[static_cast<std::size_t>(line - 1)];
    if (fields.IsEnabled(field)) {
      fields.SetText(field, LineValue(lines[static_cast<std::size_t>(line - 1)]));
    }
  }
  return true;
}

bool LoadDataFile(const std::string& path, FieldTexts& fields, UserMessages& messages) {
  int fd;
  do {
    // Opened without waiting for a writer: a named pipe that nobody writes reads as empty
    // instead of hanging; reading itself then waits as usual (a pipe on standard input).
    fd = ::open(path.c_str(), O_RDONLY | O_CLOEXEC | O_NONBLOCK);
  } while (fd < 0 && errno == EINTR);
  if (fd < 0) {
    messages.ShowMessage(kDataFileCanNotOpen);
    return false;
  }
  ::fcntl(fd, F_SETFL, ::fcntl(fd, F_GETFL) & ~O_NONBLOCK);
  // Read up to the end of line 119, also from a pipe; a directory fails here (EISDIR). What
  // follows line 119 is never looked at, so reading stops there, and a file without line ends
  // (a device, say) is read no further than any data file could reach.
  std::string bytes;
  std::vector<char> buffer(1 << 16);
  bool readFailed = false;
  int lineEnds = 0;
  while (lineEnds < kDataFileLines && bytes.size() < kDataFileReadLimit) {
    const ssize_t n = ::read(fd, buffer.data(), buffer.size());
    if (n < 0) {
      if (errno == EINTR) continue;
      readFailed = true;
      break;
    }
    if (n == 0) break;
    const auto chunk = std::string_view(buffer.data(), static_cast<std::size_t>(n));
    lineEnds += static_cast<int>(std::count(chunk.begin(), chunk.end(), '\n'));
    bytes.append(chunk);
  }
  ::close(fd);
  if (readFailed) {
    messages.ShowMessage(kDataFileCanNotOpen);
    return false;
  }
  return SetInputData(SplitDataFileLines(bytes), path, fields, messages);
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
      throw DataFileWriteError("The text \"" + fieldText + "\" of " + field + " (" +
                               LineCaption(line) + ") " + std::string(fault) +
                               " and cannot be written to a data file");
    }
    text += ValueLine(LineLayout(line), value);
    text += "\r\n";
  }
  return EncodeCodePage932(text);
}

void WriteDataFile(const std::string& path, const FieldTexts& fields) {
  const std::string text = DataFileText(fields);  // before the file is touched
  int fd;
  do {
    fd = ::open(path.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0666);
  } while (fd < 0 && errno == EINTR);
  if (fd < 0) {
    throw DataFileWriteError("Cannot create data file " + path + ": " + ErrnoText(errno));
  }
  std::size_t written = 0;
  while (written < text.size()) {
    const ssize_t n = ::write(fd, text.data() + written, text.size() - written);
    if (n < 0) {
      if (errno == EINTR) continue;
      const int error = errno;
      ::close(fd);
      throw DataFileWriteError("Cannot write data file " + path + ": " + ErrnoText(error));
    }
    written += static_cast<std::size_t>(n);
  }
  if (::close(fd) != 0 && errno != EINTR) {
    throw DataFileWriteError("Cannot write data file " + path + ": " + ErrnoText(errno));
  }
}

}  // namespace quillmere
