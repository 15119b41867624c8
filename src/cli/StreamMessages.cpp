#include "cli/StreamMessages.h"

#include "base/PrintableText.h"
#include "report/DataFile.h"

namespace quillmere {

void StreamMessages::ShowMessage(std::string_view text) {
  fieldPlace_.clear();
  Line(text);
}

void StreamMessages::ShowError(std::string_view text) {
  fieldPlace_.clear();
  Line(text);
}

void StreamMessages::ShowDetail(std::string_view text) {
  const bool fromDataFile = !fieldPlace_.empty() && !dataFileHint_.empty();
  Line(fieldPlace_ + std::string(text) + (fromDataFile ? " " + dataFileHint_ : ""));
  fieldPlace_.clear();
}

void StreamMessages::PointAtField(std::string_view field) {
  fieldPlace_.clear();
  if (!dataFile_) return;
  if (const std::optional<int> line = DataFileLine(field)) {
    const std::string file = *dataFile_ == "-" ? "on standard input" : Quoted(*dataFile_);
    fieldPlace_ = "Line " + std::to_string(*line) + " of the data file " + file + ": ";
  }
}

void StreamMessages::ShowWarning(std::string_view text) {
  Line("Warning: " + std::string(text));
}

void StreamMessages::Line(std::string_view text) {
  err_ << PrintableText(text) << '\n' << std::flush;
}

}  // namespace quillmere
