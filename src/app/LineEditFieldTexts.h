// The input fields of the main window as the core sees them: texts by field name.
#pragma once

#include <map>
#include <string>
#include <string_view>

#include "params/FieldTexts.h"

class QLineEdit;

namespace quillmere {

//! FieldTexts over the window's line edits. Texts cross as UTF-8. The line edits belong to the
//! window; this only keeps pointers to them.
class LineEditFieldTexts : public FieldTexts {
 public:
  void Add(std::string_view field, QLineEdit* edit);
  //! The line edit of a field, or nullptr.
  QLineEdit* Edit(std::string_view field) const;

  std::string Text(std::string_view field) const override;
  void SetText(std::string_view field, std::string_view text) override;
  bool IsEnabled(std::string_view field) const override;

 private:
  QLineEdit& Existing(std::string_view field) const;

  std::map<std::string, QLineEdit*, std::less<>> edits_;
};

}  // namespace quillmere
