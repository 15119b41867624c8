// One calculation, as the OK button runs it: acquisition, result file header, initialisation,
// every active zone with its hand-over, conditions block and table, then the finish notice.
#pragma once

#include "params/FieldTexts.h"
#include "params/ParameterSet.h"
#include "params/UserMessages.h"
#include "sim/SimulationState.h"

namespace quillmere {

enum class RunOutcome {
  Finished,             //!< every zone written; the finish notice was shown
  InputRefused,         //!< acquisition showed its message; nothing was written
  ResultFileNotOpened,  //!< "File can not open!" was shown once; the run ended there
};

//! Runs one calculation from the current field texts. Errors that end the run (a further
//! zone's unconvertible outer temperature, a floating-point fault, a failed write) leave as
//! exceptions derived from std::exception, for the caller to show with ErrorBoxText.
RunOutcome RunCalculation(const FieldTexts& fields, UserMessages& messages, char decimalSeparator,
                          ParameterSet& params, SimulationState& state);

}  // namespace quillmere
