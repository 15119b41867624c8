#include "params/MemoryFieldTexts.h"

#include <stdexcept>

#include "params/FieldTable.h"
#include "params/PlantInputs.h"

namespace quillmere {

MemoryFieldTexts::MemoryFieldTexts(char decimalSeparator) {
  for (const FieldSpec& field : AllFields()) {
    texts_.emplace(std::string(field.name), DefaultText(field, decimalSeparator));
    enabled_.emplace(std::string(field.name), field.enabled);
  }
  for (const PlantFieldSpec& field : PlantFields()) {
    texts_.emplace(std::string(field.name), PlantDefaultText(field, decimalSeparator));
    enabled_.emplace(std::string(field.name), true);
  }
}

std::string MemoryFieldTexts::Text(std::string_view field) const {
  const auto it = texts_.find(field);
  if (it == texts_.end()) throw std::out_of_range("No input field " + std::string(field));
  return it->second;
}

void MemoryFieldTexts::SetText(std::string_view field, std::string_view text) {
  const auto it = texts_.find(field);
  if (it == texts_.end()) throw std::out_of_range("No input field " + std::string(field));
  it->second = text;
}

bool MemoryFieldTexts::IsEnabled(std::string_view field) const {
  const auto it = enabled_.find(field);
  return it != enabled_.end() && it->second;
}

void MemoryFieldTexts::SetEnabled(std::string_view field, bool enabled) {
  const auto it = enabled_.find(field);
  if (it == enabled_.end()) throw std::out_of_range("No input field " + std::string(field));
  it->second = enabled;
}

}  // namespace quillmere
