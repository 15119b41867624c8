// Data files: 119 lines of "label = value" that refill the input fields, in the order of the
// result file's echo followed by the conditions of zones 2 to 14.
#pragma once

#include <array>
#include <stdexcept>
#include <string>
#include <string_view>

#include "params/FieldTexts.h"
#include "params/UserMessages.h"

namespace quillmere {

inline constexpr int kDataFileLines = 119;

//! The lines of a data file, decoded to UTF-8, without line ends; missing lines are empty.
using DataFileLines = std::array<std::string, kDataFileLines>;

inline constexpr std::string_view kDataFileCanNotOpen = "Data file can not open!";
inline constexpr std::string_view kSelectOneDataFile = "Select one data file! Please try again.";

//! The input field that line `line` (1 to 119) fills.
std::string DataFileField(int line);

//! Splits the bytes of a data file (code page 932, CR LF or LF) into its first 119 lines.
DataFileLines SplitDataFileLines(std::string_view bytes);

//! Checks that every line holds an "=", then puts each line's value (behind the first "=",
//! leading blanks removed, up to the next blank) into its field where the field is enabled.
//! All or nothing: when a line lacks "=", shows "\"<dataFileName>\" is not a correct data
//! file!", changes no field and returns false.
bool SetInputData(const DataFileLines& lines, std::string_view dataFileName, FieldTexts& fields,
                  UserMessages& messages);

//! Reads the data file at `path` and applies it with SetInputData (`path` is the name the
//! refusal message shows). Shows "Data file can not open!" and returns false when the file
//! cannot be opened or read.
bool LoadDataFile(const std::string& path, FieldTexts& fields, UserMessages& messages);

//! A field text that a data file cannot carry (it holds a blank between other characters).
class DataFileWriteError : public std::runtime_error {
 public:
  using std::runtime_error::runtime_error;
};

//! The current field texts as a data file (code page 932, CR LF) that reads back to the same
//! texts; leading and trailing blanks of a text are left out, since they carry no meaning.
std::string DataFileText(const FieldTexts& fields);

//! Writes DataFileText to `path`; throws DataFileWriteError when that fails.
void WriteDataFile(const std::string& path, const FieldTexts& fields);

}  // namespace quillmere
