// A case's field texts with a few of them changed, read through rather than copied: a copy of
// every field's text would cost a tenth of a short run, and the window's fields are widgets.
#pragma once

#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include "params/FieldTexts.h"

namespace quillmere {

class FieldOverrides : public FieldTexts {
 public:
  FieldOverrides(const FieldTexts& fields, std::vector<std::pair<std::string, std::string>> texts)
      : fields_(fields), texts_(std::move(texts)) {}

  std::string Text(std::string_view field) const override {
    for (const auto& [name, text] : texts_) {
      if (name == field) return text;
    }
    return fields_.Text(field);
  }
  //! The fields are read only.
  void SetText(std::string_view, std::string_view) override {}
  bool IsEnabled(std::string_view field) const override { return fields_.IsEnabled(field); }

 private:
  const FieldTexts& fields_;
  std::vector<std::pair<std::string, std::string>> texts_;
};

}  // namespace quillmere
