// One calculation, as the OK button runs it: acquisition, then the march through the dryer
// with the result file as its observer, then the finish notice.
#pragma once

#include <optional>

#include "base/Error.h"
#include "base/UserMessages.h"
#include "params/FieldTexts.h"
#include "params/ParameterSet.h"
#include "report/ResultFile.h"
#include "sim/RunRecord.h"
#include "sim/SimulationState.h"

namespace quillmere {

struct CalculationResult {
  //! Why the run ended early, as the user was told; nothing when every zone was written and
  //! the finish notice shown. Its kind: InputRefused (acquisition showed its message; nothing
  //! was written), File (the result file could not be opened, said once; the run ended) or
  //! RunFault (a floating-point fault ended the run; the error box showed it).
  std::optional<Error> Why;
  RunRecord Record;  //!< what the march computed (empty when the input was refused)

  bool Finished() const { return !Why; }
  //! The kind of Why; nothing when the run finished.
  std::optional<ErrorKind> Ending() const {
    return Why ? std::optional<ErrorKind>(Why->Kind()) : std::nullopt;
  }
};

//! Runs one calculation from the current field texts. A floating-point fault is shown in the
//! error box (ErrorBoxText) and ends the run; the errors that end it otherwise (a further
//! zone's unconvertible outer temperature, a failed write) leave as exceptions derived from
//! std::exception, for the caller to show with ErrorBoxText.
CalculationResult RunCalculation(const FieldTexts& fields, UserMessages& messages,
                                 char decimalSeparator, ParameterSet& params,
                                 SimulationState& state, const ResultFileOptions& options = {});

}  // namespace quillmere
