#include "cli/DataFileArgument.h"

#include <filesystem>
#include <system_error>

#include "report/FileIO.h"

namespace quillmere {
namespace {

//! Passes every message on, and notes whether the file could not be opened or read.
class NotingMessages : public UserMessages {
 public:
  explicit NotingMessages(UserMessages& messages) : messages_(messages) {}
  void ShowMessage(std::string_view text) override {
    notOpened = notOpened || text == kDataFileCanNotOpen;
    messages_.ShowMessage(text);
  }
  void ShowError(std::string_view text) override { messages_.ShowError(text); }
  void ShowFinish() override { messages_.ShowFinish(); }
  void ShowDetail(std::string_view text) override { messages_.ShowDetail(text); }
  void PointAtField(std::string_view field) override { messages_.PointAtField(field); }

  bool notOpened = false;

 private:
  UserMessages& messages_;
};

}  // namespace

std::string DataFileArgumentName(const std::string& name) {
  if (name == kStandardStream) return name;
  std::error_code error;
  std::filesystem::path path = std::filesystem::absolute(name, error);
  if (error) path = name;
  return path.string();
}

std::optional<LoadedDataFile> LoadDataFileArgument(const std::string& name, FieldTexts& fields,
                                                   UserMessages& messages, ErrorKind* failure) {
  NotingMessages noting(messages);
  std::optional<LoadedDataFile> loaded;
  if (name == kStandardStream) {
    InputFile input = InputFile::StandardInput("data file");
    loaded = LoadDataFile(input, fields, noting);
  } else {
    loaded = LoadDataFile(DataFileArgumentName(name), fields, noting);
  }
  if (!loaded && failure != nullptr) {
    *failure = noting.notOpened ? ErrorKind::File : ErrorKind::InputRefused;
  }
  return loaded;
}

}  // namespace quillmere
