// A data file named on the command line: a path, or "-" for standard input.
#pragma once

#include <optional>
#include <string>
#include <string_view>

#include "base/Error.h"
#include "base/UserMessages.h"
#include "cli/StreamMessages.h"
#include "params/FieldTexts.h"
#include "report/DataFile.h"

namespace quillmere {

//! The name that means standard input for a file read and standard output for a file written.
inline constexpr std::string_view kStandardStream = "-";

//! The name of a data file argument as messages give it: "-", or the path made absolute (as
//! the open dialog returns it) but not resolved, so that /dev/stdin stays a pipe's name.
std::string DataFileArgumentName(const std::string& name);

//! Loads the data file `name` into `fields` as the window's "Input Data File" does: "-" reads
//! standard input, a path is named by DataFileArgumentName. The file, when it was applied;
//! else what the user was told: ErrorKind::File when the file could not be opened or read
//! ("Data file can not open!"), ErrorKind::InputRefused when it was refused.
Outcome<LoadedDataFile> LoadDataFileArgument(const std::string& name, FieldTexts& fields,
                                             UserMessages& messages);

//! Warns, for a command that reads the loaded file's values case by case, when they seem
//! not to read with `decimalSeparator` (DataFileReadingWarning): before the cases, whose own
//! refusals cannot say why.
void ShowReadingWarning(const LoadedDataFile& file, char decimalSeparator,
                        StreamMessages& messages);

}  // namespace quillmere
