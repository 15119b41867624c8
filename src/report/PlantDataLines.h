// The plant inputs in a data file: lines after its 119 lines, each "label = value" as the
// others are, the label naming its input ("Web (Coating) Width (m) [WebWidth]"). A loader that
// knows only 119 lines never reads them, so a file with them loads there as before.
#pragma once

#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "base/Error.h"

#include "params/FieldTexts.h"

namespace quillmere {

struct DataFileLines;

//! The plant lines of the current field texts, UTF-8, each ended by CR LF: the label, the
//! input's name in brackets, "=" and the text (leading and trailing blanks left out). Throws
//! DataFileWriteError for a text that holds a line break or a character that code page 932
//! lacks. A field that older files lack (writtenWhenEmpty false) has a line only when it is
//! given.
std::string PlantDataLinesText(const FieldTexts& fields);

//! The refusal (InputRefused, "Input value is not correct!") of plant lines that give one
//! input twice, naming both lines and the input; nullopt when each input has one line at most.
std::optional<Error> DuplicatePlantLine(const DataFileLines& lines, std::string_view dataFileName);

//! Puts the value of each plant line (everything behind its first "=", blanks around it left
//! out) into the plant field its label names: the name in brackets, or the label or the name
//! alone, in any case. Returns a warning for each line that names no plant input, and for a
//! line without "=" (empty lines are passed over).
std::vector<std::string> ApplyPlantDataLines(const DataFileLines& lines,
                                             std::string_view dataFileName, FieldTexts& fields);

}  // namespace quillmere
