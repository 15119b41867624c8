// Data files: 119 lines of "label = value" that refill the input fields, in the order of the
// result file's echo followed by the conditions of zones 2 to 14.
#pragma once

#include <array>
#include <optional>
#include <stdexcept>
#include <string>
#include <string_view>
#include <vector>

#include "base/Error.h"
#include "base/UserMessages.h"
#include "params/FieldTexts.h"
#include "report/FileIO.h"

namespace quillmere {

inline constexpr int kDataFileLines = 119;

//! The longest line a data file may hold [bytes]: far more than a label and a value take. A
//! longer one makes the file "not a correct data file", so that no file makes the program
//! read, decode or keep more than 119 such lines.
inline constexpr std::size_t kDataFileLineLimit = 64 * 1024;

//! The most lines after line 119 that are read for the plant inputs: far more than they take.
inline constexpr int kPlantLineLimit = 256;

//! The lines of a data file, decoded to UTF-8, without line ends; missing lines are empty.
struct DataFileLines {
  std::array<std::string, kDataFileLines> Text;
  //! Lines the file holds, counted up to one more than a data file reads.
  int Count = 0;
  //! The first of lines 1 to 119 longer than kDataFileLineLimit bytes (left empty in Text),
  //! 0 when there is none.
  int OverlongLine = 0;
  //! The plant lines after line 119 (line 120 first), decoded, at most kPlantLineLimit of
  //! them; an overlong one is left empty. A loader of 119 lines never looks at them.
  std::vector<std::string> Further;
  //! "UTF-16 (little-endian)" or "UTF-16 (big-endian)" when the file is UTF-16 text, which a
  //! data file cannot be: its lines are read all the same (their values then do not convert),
  //! and this names the encoding to the user. Empty for a data file's own encodings.
  std::string_view Utf16Encoding;

  std::string& operator[](std::size_t i) { return Text[i]; }
  const std::string& operator[](std::size_t i) const { return Text[i]; }
};

inline constexpr std::string_view kDataFileCanNotOpen = "Data file can not open!";
inline constexpr std::string_view kSelectOneDataFile = "Select one data file! Please try again.";

//! The input field that line `line` (1 to 119) fills: lines 1 to 41 in the order of the
//! echo's value lines, then zone n (2 to 14) on lines 6n+30 to 6n+35. Throws
//! std::out_of_range for another line number.
std::string DataFileField(int line);

//! The line (1 to 119) that fills input field `field`; nullopt for a field that no line fills
//! (the save file name, an unknown name).
std::optional<int> DataFileLine(std::string_view field);

//! Splits the bytes of a data file (code page 932, CR LF or LF) into its first 119 lines.
DataFileLines SplitDataFileLines(std::string_view bytes);

//! Checks that every line holds an "=", then puts each line's value (behind the first "=",
//! leading blanks removed, up to the next blank) into its field where the field is enabled.
//! All or nothing: when a line lacks "=" (or is too long), shows "\"<dataFileName>\" is not
//! a correct data file!" with the reason as its detail, changes no field and returns that refusal
//! (kind InputRefused).
Outcome<> SetInputData(const DataFileLines& lines, std::string_view dataFileName,
                       FieldTexts& fields, UserMessages& messages);

//! What may explain that a value of the file was refused, as a sentence for the user: the
//! file is UTF-16 text ("The file is UTF-16 (little-endian) text; save it as ANSI (Shift-JIS)
//! or UTF-8."), or its numbers are written with the other decimal separator than
//! `decimalSeparator`, the one in force. Empty when neither is the case.
std::string DataFileReadingHint(const DataFileLines& lines, char decimalSeparator);

//! The same as a warning for a program that reads the file's values later, case by case:
//! "The values of the data file "<name>" may not read: " and the hint. Empty without a hint.
std::string DataFileReadingWarning(std::string_view name, const DataFileLines& lines,
                                   char decimalSeparator);

//! Reads a data file up to the end of its line 119 (or up to a line that is too long), and
//! the plant lines after it.
//! Throws FileError when reading fails.
DataFileLines ReadDataFileLines(InputFile& file);

//! A data file that was read and applied.
struct LoadedDataFile {
  std::string Name;
  std::optional<FileIdentity> Identity;  //!< the file read (none for a stream without one)
  DataFileLines Lines = {};              //!< as read
  //! Plant lines (after line 119) that were ignored, one warning each.
  std::vector<std::string> PlantLineWarnings = {};
};

//! The lines of a loaded data file that give one of the eight fixed constants (the Antoine
//! constants and molecular weights, whose fields are disabled) a value other than the one it
//! holds: a warning for each, since the line is ignored. An empty value gives none.
std::vector<std::string> IgnoredFixedConstantLines(const LoadedDataFile& file,
                                                   const FieldTexts& fields, char decimalSeparator);

//! Reads the data file at `path` and applies it with SetInputData, then its plant lines with
//! ApplyPlantDataLines (none of a UTF-16 file, whose lines hold no plant input that could be
//! read; `path` is the name the
//! refusal message shows). Shows "Data file can not open!" (the name and the system's reason
//! as its detail) when the file cannot be opened or read, and returns that error (kind File);
//! a refusal of SetInputData is returned as it is. Returns the file when it was applied.
Outcome<LoadedDataFile> LoadDataFile(const std::string& path, FieldTexts& fields,
                                     UserMessages& messages);

//! The same for a file already open (standard input), shown by its name.
Outcome<LoadedDataFile> LoadDataFile(InputFile& file, FieldTexts& fields, UserMessages& messages);

//! A field text that a data file cannot carry (a blank between other characters, a line
//! break, a character that code page 932 lacks).
class DataFileWriteError : public Error {
 public:
  explicit DataFileWriteError(const std::string& text) : Error(ErrorKind::InputRefused, text) {}
};

//! The current field texts as a data file (code page 932, CR LF) that reads back to the same
//! texts; leading and trailing blanks of a text are left out, since they carry no meaning.
//! Every line is laid out as the echo's value line of that input; the plant lines follow line
//! 119. Throws DataFileWriteError, naming the field, for a text that would not read back
//! unchanged.
std::string DataFileText(const FieldTexts& fields);

//! Writes DataFileText to `path` (created or emptied). Throws DataFileWriteError when a text
//! cannot be carried (nothing is written then) and FileError when the file cannot be
//! created or written.
void WriteDataFile(const std::string& path, const FieldTexts& fields);

}  // namespace quillmere
