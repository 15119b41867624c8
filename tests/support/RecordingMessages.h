// What the program would have shown the user, recorded so that no box blocks a test.
#pragma once

#include <string>
#include <string_view>
#include <vector>

#include "base/UserMessages.h"

namespace quillmere::test {

//! Records what the program would show the user, in order.
class RecordingMessages : public UserMessages {
 public:
  void ShowMessage(std::string_view text) override { messages.emplace_back(text); }
  void ShowError(std::string_view text) override { errors.emplace_back(text); }
  void ShowFinish() override { ++finishCount; }
  void ShowDetail(std::string_view text) override { details.emplace_back(text); }
  void PointAtField(std::string_view field) override { fields.emplace_back(field); }

  std::vector<std::string> messages;
  std::vector<std::string> details;
  std::vector<std::string> fields;
  std::vector<std::string> errors;
  int finishCount = 0;
};

}  // namespace quillmere::test
