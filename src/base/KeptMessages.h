// What the window would have shown, kept as text: for a case of a study, which runs without
// boxes and tells its outcome in a row or a report.
#pragma once

#include <string>
#include <string_view>
#include <vector>

#include "base/UserMessages.h"

namespace quillmere {

//! Keeps every message, error and detail, in order, in the vector it is given.
class KeptMessages : public UserMessages {
 public:
  explicit KeptMessages(std::vector<std::string>& kept) : kept_(kept) {}
  void ShowMessage(std::string_view text) override { kept_.emplace_back(text); }
  void ShowError(std::string_view text) override { kept_.emplace_back(text); }
  void ShowFinish() override {}
  void ShowDetail(std::string_view text) override { kept_.emplace_back(text); }

 private:
  std::vector<std::string>& kept_;
};

}  // namespace quillmere
