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

}  // namespace

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
    text += InputName(fields[i]);
    text += ' ';
    text += value.empty() ? "(empty)" : std::string(value);
  }
  if (inputs.size() > most) text += " and " + std::to_string(inputs.size() - most) + " more";
  return text;
}

}  // namespace quillmere
