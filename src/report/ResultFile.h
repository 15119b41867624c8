// The result file: the input echo, the zone conditions blocks and the zone tables. Each step
// builds its text, converts it to code page 932 with CR LF line ends, opens the file, writes,
// and closes it again. A write or close that fails after the file was opened (a full disk)
// throws FileError and ends the run; the lines written before stay in the file.
#pragma once

#include <optional>
#include <span>
#include <stdexcept>
#include <string>
#include <string_view>

#include "base/UserMessages.h"
#include "params/ParameterSet.h"
#include "report/DataFile.h"
#include "report/FileIO.h"
#include "sim/SimulationState.h"
#include "sim/TraceView.h"

namespace quillmere {

//! The message of a write step that cannot open the result file.
inline constexpr std::string_view kFileCanNotOpen = "File can not open!";

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

//! The texts of the write steps, UTF-8, every line ended by CR LF. The echo prints the
//! initial temperature from where acquisition stored it (the web's entry point).
std::string ResultHeaderText(const ParameterSet& params, double initialTemperature,
                             char decimalSeparator);
std::string ZoneConditionsText(const ParameterSet& params, int zone, char decimalSeparator);
//! A zone's table: the four heading lines and one row for each of its points. Table texts
//! are ASCII.
std::string ZoneTableText(const ZoneView& zone, char decimalSeparator);
//! The same, appended to `text`.
void AppendZoneTableText(std::string& text, const ZoneView& zone, char decimalSeparator);

//! Where the result file goes.
struct ResultFileOptions {
  //! Written to standard output instead of the file named by SaveFileName (the batch front
  //! end's "-"); never emptied or closed.
  bool ToStandardOutput = false;
  //! The data file the run's inputs came from: refused as the result file, by its identity
  //! (a hard or symbolic link to it too), so that a run never overwrites its own inputs.
  std::optional<LoadedDataFile> DataFile;
  //! The file the write steps open instead of SaveFileName, which messages still name: a
  //! temporary file the command line renames into place once the run has ended; "" for
  //! SaveFileName itself, as the window writes it.
  std::string WrittenTo;
};

//! The result file of one run, named by params.SaveFileName and written in code page 932 with
//! CR LF line ends. Each write step opens the file, writes its block and closes it again, so
//! that between steps the file is complete up to its last line. A run writes it through a
//! ResultFileWriter, which takes these steps in the march's order.
class ResultFile {
 public:
  ResultFile(const ParameterSet& params, char decimalSeparator, UserMessages& messages,
             ResultFileOptions options = {});

  //! Creates (or empties) the file and writes the echo. Returns false after showing "File can
  //! not open!" when the file cannot be created, or a message naming both files when it is
  //! the run's data file (which is then left untouched). Throws FileError when a write or
  //! close fails.
  Outcome<> WriteResultHeader(double initialTemperature);
  //! Appends zone `zone`'s conditions block to the existing file (never creates it).
  Outcome<> AppendZoneConditions(int zone);
  //! Appends a finished zone's table to the existing file.
  Outcome<> AppendZoneTable(const ZoneView& zone);

 private:
  Outcome<> WriteStep(OutputFile::Mode mode, std::string_view bytes);

  const ParameterSet& params_;
  char decimalSeparator_;
  UserMessages& messages_;
  ResultFileOptions options_;
  std::string text_;  //!< the table being written, reused by every zone
  std::optional<OutputFile> standardOutput_;
};

}  // namespace quillmere
