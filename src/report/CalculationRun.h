// One calculation, as the OK button runs it: acquisition, then the march through the dryer
// with the result file as its observer, then the finish notice.
#pragma once

#include "params/FieldTexts.h"
#include "params/ParameterSet.h"
#include "params/UserMessages.h"
#include "report/ResultFile.h"
#include "sim/RunRecord.h"
#include "sim/SimulationState.h"

namespace quillmere {

enum class RunOutcome {
  Finished,             //!< every zone written; the finish notice was shown
  InputRefused,         //!< acquisition showed its message; nothing was written
  ResultFileNotOpened,  //!< the result file could not be opened (said once); the run ended
  Fault,                //!< a floating-point fault ended the run; the error box showed it
};

struct CalculationResult {
  RunOutcome Outcome = RunOutcome::InputRefused;
  RunRecord Record;  //!< what the march computed (empty when the input was refused)
};

//! Runs one calculation from the current field texts. A floating-point fault is shown in the
//! error box (ErrorBoxText) and ends the run; the errors that end it otherwise (a further
//! zone's unconvertible outer temperature, a failed write) leave as exceptions derived from
//! std::exception, for the caller to show with ErrorBoxText.
CalculationResult RunCalculation(const FieldTexts& fields, UserMessages& messages,
                                 char decimalSeparator, ParameterSet& params,
                                 SimulationState& state, const ResultFileOptions& options = {});

}  // namespace quillmere
