// The window's message boxes as lines on a stream (standard error).
#pragma once

#include <optional>
#include <ostream>
#include <string>
#include <string_view>

#include "base/UserMessages.h"

namespace quillmere {

//! Writes each message, error and detail on a line of its own, with control characters shown
//! as escapes (a message quotes file names and field texts). The finish notice prints nothing:
//! a finished run prints its summary instead.
class StreamMessages : public UserMessages {
 public:
  explicit StreamMessages(std::ostream& err) : err_(err) {}
  void ShowMessage(std::string_view text) override;
  void ShowError(std::string_view text) override;
  void ShowFinish() override {}
  //! A field's detail starts with the line of the data file its text came from.
  void ShowDetail(std::string_view text) override;
  void PointAtField(std::string_view field) override;

  //! The field texts came from this data file ("-" for standard input): a refused
  //! field is then named by its line, and its detail ends with `hint` (what may explain the
  //! refusal, DataFileReadingHint) where there is one.
  void SetDataFile(std::string name, std::string hint = {}) {
    dataFile_ = std::move(name);
    dataFileHint_ = std::move(hint);
  }
  //! Something the window does not say, that the user should know: "Warning: " and the text.
  void ShowWarning(std::string_view text);

 private:
  void Line(std::string_view text);
  std::ostream& err_;
  std::optional<std::string> dataFile_;
  std::string dataFileHint_;
  std::string fieldPlace_;  //!< "Line 34 of the data file "x": ", for the next detail
};

}  // namespace quillmere
