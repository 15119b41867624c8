// Comma-separated texts for spreadsheets and scripts: numbers always with "." and in the
// shortest form that reads back to the same double, whatever the locale; texts quoted where
// they hold a comma, a quotation mark or a line break.
#pragma once

#include <string>
#include <string_view>
#include <vector>

namespace quillmere {

//! The shortest text that reads back to `value` ("0.1", "1e-05", "59.4521"). `value` must be
//! finite (the program never stores an infinity or a not-a-number); throws std::logic_error
//! otherwise.
std::string CsvNumber(double value);

//! Appends CsvNumber(value) to `line`.
void AppendCsvNumber(std::string& line, double value);

//! A text as one CSV field: unchanged, or in double quotation marks with inner ones doubled
//! when it holds a comma, a quotation mark, a CR or a LF.
std::string CsvField(std::string_view text);

//! The fields of one CSV line (without its line end): split at commas outside quotation
//! marks, quoted fields unquoted. Returns false (and leaves `fields` as far as it got) when a
//! quoted field is not closed or a quotation mark stands inside an unquoted field.
bool SplitCsvLine(std::string_view line, std::vector<std::string>& fields);

}  // namespace quillmere
