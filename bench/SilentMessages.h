// User messages that go nowhere, for benchmarks.
#pragma once

#include "base/UserMessages.h"

namespace quillmere {

class SilentMessages : public UserMessages {
 public:
  void ShowMessage(std::string_view) override {}
  void ShowError(std::string_view) override {}
  void ShowFinish() override {}
};

}  // namespace quillmere
