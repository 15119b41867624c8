#include "report/PlantDataLines.h"

#include <algorithm>
#include <unordered_map>

#include "base/PrintableText.h"
#include "base/Text.h"
#include "params/PlantInputs.h"
#include "report/CodePage.h"
#include "report/DataFile.h"

namespace quillmere {
namespace {

//! Where the "=" of a plant line stands, as the echo's lines have it far enough to the right.
constexpr std::size_t kEqualsColumn = 54;

//! The plant field a line's label names, or nullptr.
const PlantFieldSpec* FieldOfLabel(std::string_view label) {
  label = TrimBlanks(label);
  if (label.ends_with(']')) {
    const std::size_t open = label.rfind('[');
    if (open != std::string_view::npos) {
      return FindPlantField(label.substr(open + 1, label.size() - open - 2));
    }
  }
  for (const PlantFieldSpec& field : PlantFields()) {
    if (SameIgnoringCase(field.name, label) || SameIgnoringCase(field.label, label)) return &field;
  }
  return nullptr;
}

}  // namespace

std::string PlantDataLinesText(const FieldTexts& fields) {
  std::string text;
  for (const PlantFieldSpec& field : PlantFields()) {
    const std::string fieldText = fields.Text(field.name);
    const std::string_view value = TrimBlanks(fieldText);
    if (value.empty() && !field.writtenWhenEmpty) continue;
    std::string_view fault;
    if (value.find_first_of("\r\n") != std::string_view::npos) {
      fault = "holds a line break";
    } else if (DecodeCodePage932(EncodeCodePage932(value)) != value) {
      fault = "holds a character that code page 932 lacks";
    }
    if (!fault.empty()) {
      throw DataFileWriteError("The text " + Quoted(fieldText) + " of " + std::string(field.name) +
                               " (" + std::string(field.label) + ") " + std::string(fault) +
                               " and cannot be written to a data file");
    }
    std::string line = "    " + std::string(field.label) + " [" + std::string(field.name) + "]";
    if (line.size() < kEqualsColumn) line.append(kEqualsColumn - line.size(), ' ');
    line += " =  ";
    line += value;
    text += line + "\r\n";
  }
  return text;
}

std::optional<Error> DuplicatePlantLine(const DataFileLines& lines, std::string_view dataFileName) {
  std::unordered_map<std::string_view, int> firstLine;  // by the field's name
  for (std::size_t i = 0; i < lines.Further.size(); ++i) {
    const std::string& line = lines.Further[i];
    const std::size_t equals = line.find('=');
    if (equals == std::string::npos) continue;
    const PlantFieldSpec* field = FieldOfLabel(std::string_view(line).substr(0, equals));
    if (field == nullptr) continue;
    const int number = kDataFileLines + 1 + static_cast<int>(i);
    const auto [first, isNew] = firstLine.emplace(field->name, number);
    if (isNew) continue;
    return Error(ErrorKind::InputRefused, "Input value is not correct!",
                 "Lines " + std::to_string(first->second) + " and " + std::to_string(number) +
                     " of the data file " + Quoted(dataFileName) + " both give " +
                     std::string(field->name) + " (" + std::string(field->label) +
                     "); keep one of them.");
  }
  return std::nullopt;
}

std::vector<std::string> ApplyPlantDataLines(const DataFileLines& lines,
                                             std::string_view dataFileName, FieldTexts& fields) {
  std::vector<std::string> warnings;
  for (std::size_t i = 0; i < lines.Further.size(); ++i) {
    const std::string& line = lines.Further[i];
    if (TrimBlanks(line).empty()) continue;
    const int number = kDataFileLines + 1 + static_cast<int>(i);
    const std::string where =
        "Line " + std::to_string(number) + " of the data file " + Quoted(dataFileName);
    const std::size_t equals = line.find('=');
    if (equals == std::string::npos) {
      warnings.push_back(where + " holds no \"=\"; the line is ignored.");
      continue;
    }
    const std::string_view label = std::string_view(line).substr(0, equals);
    const PlantFieldSpec* field = FieldOfLabel(label);
    if (field == nullptr) {
      warnings.push_back(where + " names no plant input (" + Quoted(TrimBlanks(label)) +
                         "); the line is ignored.");
      continue;
    }
    fields.SetText(field->name, TrimBlanks(std::string_view(line).substr(equals + 1)));
  }
  return warnings;
}

}  // namespace quillmere
