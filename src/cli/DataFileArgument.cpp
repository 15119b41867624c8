#include "cli/DataFileArgument.h"

#include <filesystem>
#include <system_error>

#include "report/FileIO.h"

namespace quillmere {

std::optional<LoadedDataFile> LoadDataFileArgument(const std::string& name, FieldTexts& fields,
                                                   UserMessages& messages) {
  if (name == kStandardStream) {
    InputFile input = InputFile::StandardInput("data file");
    return LoadDataFile(input, fields, messages);
  }
  std::error_code error;
  std::filesystem::path path = std::filesystem::absolute(name, error);
  if (error) path = name;
  return LoadDataFile(path.string(), fields, messages);
}

}  // namespace quillmere
