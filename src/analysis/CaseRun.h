// One case of a study (a sweep's grid point, a fit's trial): the inputs given as field texts,
// acquired and marched exactly as the OK button would, without a result file and without
// boxes: what the user would have been told is kept as text.
#pragma once

#include <string>
#include <vector>

#include "params/FieldTexts.h"
#include "params/ParameterSet.h"
#include "sim/RunRecord.h"
#include "sim/SimulationState.h"

namespace quillmere {

struct CaseResult {
  enum class Outcome {
    Finished,      //!< every active zone computed
    InputRefused,  //!< acquisition refused the inputs (its message, or an unconvertible zone)
    Fault,         //!< a floating-point fault ended the march (or the step count division)
  };
  Outcome Result = Outcome::InputRefused;
  //! What the window would have shown, in order: messages, then their details.
  std::vector<std::string> Messages;
  RunRecord Record;  //!< the march's record (ZoneCount 0 when the input was refused)
  //! The case's result file could not be created or written (a sweep's --results).
  bool ResultFileFailed = false;

  bool Finished() const { return Result == Outcome::Finished; }
  //! "finished", or the first message the case ended with.
  std::string OutcomeText() const;
};

//! Acquires `fields` into `params` (the entry temperature into `state`) and marches through
//! the dryer. `params` and `state` are the worker's own, reused from case to case.
CaseResult RunCase(const FieldTexts& fields, char decimalSeparator, ParameterSet& params,
                   SimulationState& state);

}  // namespace quillmere
