#include "analysis/RunComparison.h"

#include <optional>
#include <string_view>

#include "base/NumberText.h"
#include "base/Text.h"
#include "params/FieldTable.h"

namespace quillmere {
namespace {

bool SameValue(std::string_view a, std::string_view b, char decimalSeparator) {
  const std::optional<double> x = ParseNumber(a, decimalSeparator);
  const std::optional<double> y = ParseNumber(b, decimalSeparator);
  if (x && y) return *x == *y;
  return TrimBlanks(a) == TrimBlanks(b);
}

// The caption's words without what it says in parentheses (the unit, which follows the value),
// blanks collapsed.
std::string Words(std::string_view caption) {
  std::string words;
  int depth = 0;
  for (const char c : caption) {
    if (c == '(') ++depth;
    if (depth == 0 && !(c == ' ' && (words.empty() || words.back() == ' '))) words += c;
    if (c == ')' && depth > 0) --depth;
  }
  while (!words.empty() && words.back() == ' ') words.pop_back();
  return words;
}

}  // namespace

std::string InputLabel(const FieldSpec& field) {
  if (field.slot == FieldSlot::ZoneQuantity) {
    // The zone's six conditions in a process engineer's short words.
    static constexpr std::string_view kShort[] = {"air",
                                                  "length",
                                                  "Solvent-1 humidity",
                                                  "Solvent-2 humidity",
                                                  "upper heat transfer",
                                                  "lower heat transfer"};
    for (std::size_t i = 0; i < std::size(kShort); ++i) {
      if (ZoneFieldName(field.zone, static_cast<int>(i)) == field.name) {
        return "zone " + std::to_string(field.zone) + " " + std::string(kShort[i]);
      }
    }
  }
  return Words(FieldCaption(field));
}

RunInputs InputsOf(const FieldTexts& fields) {
  RunInputs inputs;
  for (const FieldSpec& field : AllFields()) inputs.Texts.push_back(fields.Text(field.name));
  return inputs;
}

std::vector<std::size_t> DifferingInputs(const RunInputs& a, const RunInputs& b,
                                         char decimalSeparator) {
  std::vector<std::size_t> differing;
  const auto fields = AllFields();
  for (std::size_t i = 0; i < fields.size(); ++i) {
    if (fields[i].slot == FieldSlot::SaveFileName) continue;
    const std::string_view x = i < a.Texts.size() ? a.Texts[i] : std::string_view();
    const std::string_view y = i < b.Texts.size() ? b.Texts[i] : std::string_view();
    if (!SameValue(x, y, decimalSeparator)) differing.push_back(i);
  }
  return differing;
}

std::string DescribeInputs(const RunInputs& run, const std::vector<std::size_t>& inputs,
                           std::size_t most) {
  std::string text;
  const auto fields = AllFields();
  for (std::size_t n = 0; n < inputs.size() && n < most; ++n) {
    const std::size_t i = inputs[n];
    const std::string_view value = i < run.Texts.size() ? TrimBlanks(run.Texts[i]) : "";
    if (!text.empty()) text += ", ";
    text += InputLabel(fields[i]);
    text += ' ';
    text += value.empty() ? "(empty)" : std::string(value);
    const std::string_view unit = fields[i].unit;
    // A unit follows a number only ("Speed fast" has none).
    const bool number = ParseNumber(value, '.') || ParseNumber(value, ',');
    if (number && !unit.empty() && unit != "-" && unit != "text") {
      text += ' ';
      text += unit;
    }
  }
  if (inputs.size() > most) text += " and " + std::to_string(inputs.size() - most) + " more";
  return text;
}

}  // namespace quillmere
