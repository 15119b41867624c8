#include "analysis/CaseRun.h"

#include "base/FloatingPointGuard.h"
#include "base/KeptMessages.h"
#include "base/UserMessages.h"
#include "params/AcquireParameters.h"
#include "sim/DryerMarch.h"

namespace quillmere {

std::string CaseResult::OutcomeText() const {
  if (Finished()) return "finished";
  return Messages.empty() ? "refused" : Messages.front();
}

CaseResult RunCase(const FieldTexts& fields, char decimalSeparator, ParameterSet& params,
                   SimulationState& state) {
  CaseResult result;
  KeptMessages messages(result.Messages);
  try {
    if (!AcquireParameters(fields, messages, decimalSeparator, params, state.EntryTemperature())
             .Ok()) {
      return result;
    }
  } catch (const Error& error) {
    // An unconvertible outer temperature of a further zone (refused input), or a fault of the
    // step count division.
    messages.ShowError(ErrorBoxText(error.what()));
    result.Ending = error.Kind();
    return result;
  }
  result.Record = MarchThroughDryer(params, state);
  if (result.Record.Fault) {
    messages.ShowError(ErrorBoxText(result.Record.Fault->Message));
    result.Ending = ErrorKind::RunFault;
    return result;
  }
  result.Ending = std::nullopt;
  return result;
}

}  // namespace quillmere
