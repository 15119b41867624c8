#include "report/CalculationRun.h"

#include "params/AcquireParameters.h"
#include "report/ResultFileWriter.h"
#include "sim/DryerMarch.h"

namespace quillmere {

// The file receives the header with zone 1's conditions, zone 1's table, then for each further
// zone its conditions block and its table. When a write step cannot open the result file it
// has said so once; the run ends there rather than computing on and claiming success.
CalculationResult RunCalculation(const FieldTexts& fields, UserMessages& messages,
                                 char decimalSeparator, ParameterSet& params,
                                 SimulationState& state, const ResultFileOptions& options) {
  if (Outcome<> acquired =
          AcquireParameters(fields, messages, decimalSeparator, params, state.EntryTemperature());
      !acquired.Ok()) {
    return {acquired.Why(), {}};
  }
  ResultFileWriter resultFile(params, decimalSeparator, messages, options);
  RunRecord record = MarchThroughDryer(params, state, resultFile);
  // What the file could not take came first: a fault after it is not the run's end.
  if (Outcome<> written = resultFile.Finish(); !written.Ok()) {
    return {written.Why(), std::move(record)};
  }
  if (record.Fault) {
    messages.ShowError(ErrorBoxText(record.Fault->Message));
    return {Error(ErrorKind::RunFault, record.Fault->Message), std::move(record)};
  }
  messages.ShowFinish();
  return {std::nullopt, std::move(record)};
}

}  // namespace quillmere
