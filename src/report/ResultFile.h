// The result file: the input echo, the zone conditions blocks and the zone tables. Each step
// builds its text, converts it to code page 932 with CR LF line ends, opens the file, writes,
// and closes it again.
#pragma once

#include <span>
#include <stdexcept>
#include <string>
#include <string_view>

#include "params/ParameterSet.h"
#include "params/UserMessages.h"
#include "sim/SimulationState.h"

namespace quillmere {

//! The message of a write step that cannot open the result file.
inline constexpr std::string_view kFileCanNotOpen = "File can not open!";

//! A write or close that failed after the result file was opened (a full disk): it ends the
//! run; the lines written before stay in the file.
class ResultFileWriteError : public std::runtime_error {
 public:
  using std::runtime_error::runtime_error;
};

//! Layout of one value line: `lead` blanks, the label, blanks up to the "=" in column
//! `equalsColumn` (counted in characters from 1), "=", two blanks, the value as F(P, D).
struct ValueLineLayout {
  std::string_view label;
  int lead = 0;
  int equalsColumn = 0;
  int precision = 0;
  int digits = 0;
};

//! A value line of the echo and the input field whose value it prints.
struct EchoValueLine {
  ValueLineLayout layout;
  std::string_view field;  //!< "Edit211" ...
};

//! The 41 value lines of the input echo, in the echo's order (polymer, Solvent-1, Solvent-2,
//! base film, fitting parameters, accuracy, zone 1).
std::span<const EchoValueLine> EchoValueLines();

//! The six value lines of a zone's conditions (outer temperature ... lower heat transfer
//! coefficient), the same for every zone; index as in ZoneFieldName.
std::span<const ValueLineLayout> ZoneConditionLines();

//! One value line without its line end, in UTF-8.
std::string ValueLine(const ValueLineLayout& layout, std::string_view valueText);

//! The texts of the three write steps, UTF-8, every line ended by CR LF.
std::string ResultHeaderText(const ParameterSet& params, const SimulationState& state,
                             char decimalSeparator);
std::string ZoneConditionsText(const ParameterSet& params, int zone, char decimalSeparator);
std::string ZoneTableText(const ParameterSet& params, const SimulationState& state, int zone,
                          int steps, char decimalSeparator);

//! Creates (or empties) the result file named by params.SaveFileName and writes the echo.
//! Returns false after showing "File can not open!" when the file cannot be created; throws
//! ResultFileWriteError when a write or close fails.
bool WriteResultHeader(const ParameterSet& params, const SimulationState& state,
                       char decimalSeparator, UserMessages& messages);

//! Appends zone `zone`'s conditions block to the existing result file (never creates it).
bool AppendZoneConditions(const ParameterSet& params, int zone, char decimalSeparator,
                          UserMessages& messages);

//! Appends zone `zone`'s table of points 0 to `steps` to the existing result file.
bool AppendZoneTable(const ParameterSet& params, const SimulationState& state, int zone,
                     int steps, char decimalSeparator, UserMessages& messages);

}  // namespace quillmere
