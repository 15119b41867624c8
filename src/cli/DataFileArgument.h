// A data file named on the command line: a path, or "-" for standard input.
#pragma once

#include <optional>
#include <string>
#include <string_view>

#include "base/UserMessages.h"
#include "params/FieldTexts.h"
#include "report/DataFile.h"

namespace quillmere {

//! The name that means standard input for a file read and standard output for a file written.
inline constexpr std::string_view kStandardStream = "-";

//! Loads the data file `name` into `fields` as the window's "Input Data File" does: "-" reads
//! standard input; a path is made absolute (as the open dialog returns it) but not resolved,
//! so that /dev/stdin stays a pipe's name. The file, when it was applied.
std::optional<LoadedDataFile> LoadDataFileArgument(const std::string& name, FieldTexts& fields,
                                                   UserMessages& messages);

}  // namespace quillmere
