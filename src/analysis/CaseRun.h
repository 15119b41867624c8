// One case of a study (a sweep's grid point, a fit's trial): the inputs given as field texts,
// acquired and marched exactly as the OK button would, without a result file and without
// boxes: what the user would have been told is kept as text.
#pragma once

#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "base/Error.h"
#include "params/FieldTexts.h"
#include "params/MemoryFieldTexts.h"
#include "params/ParameterSet.h"
#include "sim/RunRecord.h"
#include "sim/SimulationState.h"

namespace quillmere {

struct CaseResult {
  //! How the case ended: nothing when every active zone was computed; else the kind of the
  //! error that ended it: InputRefused (acquisition refused the inputs: its message, or an
  //! unconvertible zone), File (its result file could not be written) or RunFault (a
  //! floating-point fault ended the march, or the step count division).
  std::optional<ErrorKind> Ending = ErrorKind::InputRefused;
  //! What the window would have shown, in order: messages, then their details.
  std::vector<std::string> Messages;
  RunRecord Record;  //!< the march's record (ZoneCount 0 when the input was refused)

  bool Finished() const { return !Ending; }
  //! "finished", or the first message the case ended with.
  std::string OutcomeText() const;
};

//! What a worker thread of a study keeps from case to case: its field texts (the study's base
//! texts, changed case by case) and its own parameter set and simulation state, allocated once.
struct CaseWorker {
  explicit CaseWorker(const MemoryFieldTexts& base)
      : Fields(base),
        Params(std::make_unique<ParameterSet>()),
        State(std::make_unique<SimulationState>()) {}
  MemoryFieldTexts Fields;
  std::unique_ptr<ParameterSet> Params;
  std::unique_ptr<SimulationState> State;
};

//! Acquires `fields` into `params` (the entry temperature into `state`) and marches through
//! the dryer. `params` and `state` are the worker's own, reused from case to case.
CaseResult RunCase(const FieldTexts& fields, char decimalSeparator, ParameterSet& params,
                   SimulationState& state);

}  // namespace quillmere
