// The window's message boxes as lines on a stream (standard error).
#pragma once

#include <ostream>
#include <string_view>

#include "params/UserMessages.h"

namespace quillmere {

//! Writes each message, error and detail on a line of its own, with control characters shown
//! as escapes (a message quotes file names and field texts). The finish notice prints nothing:
//! a finished run prints its summary instead.
class StreamMessages : public UserMessages {
 public:
  explicit StreamMessages(std::ostream& err) : err_(err) {}
  void ShowMessage(std::string_view text) override { Line(text); }
  void ShowError(std::string_view text) override { Line(text); }
  void ShowFinish() override {}
  void ShowDetail(std::string_view text) override { Line(text); }

 private:
  void Line(std::string_view text);
  std::ostream& err_;
};

}  // namespace quillmere
