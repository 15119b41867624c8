#include "analysis/CaseRun.h"

#include "params/AcquireParameters.h"
#include "params/FloatingPointGuard.h"
#include "params/KeptMessages.h"
#include "params/UserMessages.h"
#include "sim/DryerMarch.h"

namespace quillmere {

std::string CaseResult::OutcomeText() const {
  if (Result == Outcome::Finished) return "finished";
  return Messages.empty() ? "refused" : Messages.front();
}

CaseResult RunCase(const FieldTexts& fields, char decimalSeparator, ParameterSet& params,
                   SimulationState& state) {
  CaseResult result;
  KeptMessages messages(result.Messages);
  try {
    if (!AcquireParameters(fields, messages, decimalSeparator, params,
                           state.Trace.Temperature[1][0])) {
      return result;
    }
  } catch (const InputConversionError& error) {
    messages.ShowError(ErrorBoxText(error.what()));
    return result;
  } catch (const FloatingPointError& error) {
    messages.ShowError(ErrorBoxText(error.what()));
    result.Result = CaseResult::Outcome::Fault;
    return result;
  }
  result.Record = MarchThroughDryer(params, state);
  if (result.Record.Fault) {
    messages.ShowError(ErrorBoxText(result.Record.Fault->Message));
    result.Result = CaseResult::Outcome::Fault;
    return result;
  }
  result.Result = CaseResult::Outcome::Finished;
  return result;
}

}  // namespace quillmere
