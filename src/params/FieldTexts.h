// The input fields of the window, addressed by their names ("Edit1" ... "Edit250").
#pragma once

#include <string>
#include <string_view>

namespace quillmere {

//! Access to the texts of the input fields. The window implements it with its line edits;
//! the command-line front end and the tests keep the texts in memory. Texts are UTF-8.
class FieldTexts {
 public:
  virtual ~FieldTexts() = default;
  virtual std::string Text(std::string_view field) const = 0;
  virtual void SetText(std::string_view field, std::string_view text) = 0;
  virtual bool IsEnabled(std::string_view field) const = 0;
};

}  // namespace quillmere
