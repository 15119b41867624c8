// The table of a sweep: one row per case with its varied values, how it ended, the web at the
// dryer's exit and the limits of the model it reached. Comma-separated, UTF-8, numbers with
// "." whatever the locale, one header line naming every column with its unit.
#pragma once

#include <cstddef>
#include <optional>
#include <string>
#include <vector>

#include "analysis/CaseRun.h"
#include "analysis/plant/PlantFigures.h"
#include "analysis/sweep/SweepGrid.h"
#include "params/ParameterSet.h"
#include "sim/RunRecord.h"
#include "sim/SimulationState.h"
#include "sim/TraceView.h"

namespace quillmere {

//! What the table tells of one case.
struct SweepRow {
  std::size_t Case = 0;           //!< 1-based number of the case in the whole grid
  std::vector<double> Values;     //!< the varied inputs, in the order of the axes
  bool Finished = false;          //!< every active zone computed
  bool InputRefused = false;      //!< the inputs were refused: the case never ran
  bool ResultFileFailed = false;  //!< its result file (--results) could not be written
  //! "finished", or what ended the case: the message(s) the window would have shown, or the
  //! fault with the zone and the position where it arose.
  std::string Outcome;
  TracePoint Exit;                //!< the web leaving the dryer (when finished)
  double HighestTemperature = 0;  //!< over every point of every zone [°C] (when finished)
  std::optional<double>
      FirstBoiling;                   //!< where the coating first boils, from the dryer's entry [m]
  std::vector<std::string> Warnings;  //!< every other limit of the model reached, in order
  //! The plant figures of a finished case where the sweep has plant inputs.
  std::optional<PlantFigures> Plant;
};

//! The row of a case that RunCase computed; `params` and `state` must still hold its run.
//! `inputWarnings` are warnings about the inputs (zones filled after the end of the list),
//! put before the run's own.
SweepRow SweepRowOf(std::size_t caseNumber, std::vector<double> values, const CaseResult& result,
                    const ParameterSet& params, const SimulationState& state,
                    std::vector<std::string> inputWarnings = {});

//! The header line: "case", each axis with its unit, then the result columns, and with
//! `plantColumns` the plant's: the %LEL of the worst zone, the total heat and the total
//! exhaust. Ends with LF.
std::string SweepTableHeader(const std::vector<SweepAxis>& axes, bool plantColumns = false);

//! One row as a CSV line ending with LF; with `plantColumns` its plant figures (empty fields
//! where the case has none; "unknown" where its figures cannot form one: a worst %LEL with a
//! solvent of unknown LEL, totals that leave out a zone's unknown exhaust).
std::string SweepTableLine(const SweepRow& row, bool plantColumns = false);
//! The same, appended to `text`.
void AppendSweepTableLine(std::string& text, const SweepRow& row, bool plantColumns = false);

}  // namespace quillmere
