#include "report/CsvText.h"

#include <charconv>
#include <cmath>
#include <stdexcept>

namespace quillmere {

void AppendCsvNumber(std::string& line, double value) {
  if (!std::isfinite(value)) throw std::logic_error("A CSV number must be finite");
  char text[32];
  const auto result = std::to_chars(text, text + sizeof text, value);
  line.append(text, result.ptr);
}

std::string CsvNumber(double value) {
  std::string text;
  AppendCsvNumber(text, value);
  return text;
}

std::string CsvField(std::string_view text) {
  if (text.find_first_of(",\"\r\n") == std::string_view::npos) return std::string(text);
  std::string quoted = "\"";
  for (const char c : text) {
    if (c == '"') quoted += '"';
    quoted += c;
  }
  return quoted + "\"";
}

bool SplitCsvLine(std::string_view line, std::vector<std::string>& fields) {
  fields.clear();
  std::size_t i = 0;
  for (;;) {
    std::string field;
    if (i < line.size() && line[i] == '"') {
      ++i;
      for (;;) {
        if (i >= line.size()) return false;  // not closed
        if (line[i] == '"') {
          if (i + 1 < line.size() && line[i + 1] == '"') {
            field += '"';
            i += 2;
            continue;
          }
          ++i;
          break;
        }
        field += line[i++];
      }
      if (i < line.size() && line[i] != ',') return false;  // text after the closing quote
    } else {
      const std::size_t end = std::min(line.find(',', i), line.size());
      field.assign(line.substr(i, end - i));
      if (field.find('"') != std::string::npos) return false;
      i = end;
    }
    fields.push_back(std::move(field));
    if (i >= line.size()) return true;
    ++i;  // the comma
  }
}

}  // namespace quillmere
