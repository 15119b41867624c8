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

//! The input field that line `line` (1 to 119) fills: lines 1 to 41 in the order of the
//! echo's value lines, then zone n (2 to 14) on lines 6n+30 to 6n+35. Throws
//! std::out_of_range for another line number.
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

//! A field text that a data file cannot carry (a blank between other characters, a line
//! break, a character that code page 932 lacks), or a data file that cannot be written.
class DataFileWriteError : public std::runtime_error {
 public:
  using std::runtime_error::runtime_error;
};

//! The current field texts as a data file (code page 932, CR LF) that reads back to the same
//! texts; leading and trailing blanks of a text are left out, since they carry no meaning.
//! Every line is laid out as the echo's value line of that input. Throws DataFileWriteError,
//! naming the field, for a text that would not read back unchanged.
std::string DataFileText(const FieldTexts& fields);

//! Writes DataFileText to `path` (created or emptied); throws DataFileWriteError when the text
//! cannot be carried or the file cannot be written.
void WriteDataFile(const std::string& path, const FieldTexts& fields);

}  // namespace quillmere
