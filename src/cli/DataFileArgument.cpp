#include "cli/DataFileArgument.h"

#include <filesystem>
#include <system_error>

#include "report/FileIO.h"

namespace quillmere {

std::string DataFileArgumentName(const std::string& name) {
  if (name == kStandardStream) return name;
  std::error_code error;
  std::filesystem::path path = std::filesystem::absolute(name, error);
  if (error) path = name;
  return path.string();
}

Outcome<LoadedDataFile> LoadDataFileArgument(const std::string& name, FieldTexts& fields,
                                             UserMessages& messages) {
  if (name == kStandardStream) {
    InputFile input = InputFile::StandardInput("data file");
    return LoadDataFile(input, fields, messages);
  }
  return LoadDataFile(DataFileArgumentName(name), fields, messages);
}

void ShowReadingWarning(const LoadedDataFile& file, char decimalSeparator,
                        StreamMessages& messages) {
  const std::string warning = DataFileReadingWarning(file.Name, file.Lines, decimalSeparator);
  if (!warning.empty()) messages.ShowWarning(warning);
}

}  // namespace quillmere
