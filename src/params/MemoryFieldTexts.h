// Field texts held in memory, for the command-line front end and the tests.
#pragma once

#include <map>
#include <string>

#include "params/FieldTexts.h"

namespace quillmere {

//! Starts with every field of the table and every plant field at its default text (shown with
//! the given decimal separator) and the table's enabled states, as the window does at start-up.
class MemoryFieldTexts : public FieldTexts {
 public:
  explicit MemoryFieldTexts(char decimalSeparator = '.');

  std::string Text(std::string_view field) const override;
  void SetText(std::string_view field, std::string_view text) override;
  bool IsEnabled(std::string_view field) const override;

  //! Tests change enabled states to check that disabled fields are left alone.
  void SetEnabled(std::string_view field, bool enabled);

 private:
  std::map<std::string, std::string, std::less<>> texts_;
  std::map<std::string, bool, std::less<>> enabled_;
};

}  // namespace quillmere
