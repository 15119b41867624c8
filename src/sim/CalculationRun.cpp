#include "sim/CalculationRun.h"

#include "params/AcquireParameters.h"
#include "report/ResultFile.h"
#include "sim/MiscCalc.h"

namespace quillmere {

// The file receives the header with zone 1's conditions, zone 1's table, then for each further
// zone its conditions block and its table. Each zone starts from the state in which the web
// left the zone before. When a write step cannot open the result file it has said so once; the
// run ends there rather than computing on and claiming success.
RunOutcome RunCalculation(const FieldTexts& fields, UserMessages& messages, char decimalSeparator,
                          ParameterSet& params, SimulationState& state) {
  if (!AcquireParameters(fields, messages, decimalSeparator, params, state)) {
    return RunOutcome::InputRefused;
  }
  if (!WriteResultHeader(params, state, decimalSeparator, messages)) {
    return RunOutcome::ResultFileNotOpened;
  }
  InitialiseSimulation(params, state);

  const int zoneCount = params.ZoneCount;
  for (int zone = 1; zone <= zoneCount; ++zone) {
    const std::int32_t steps = params.ZoneSteps[zone];
    if (zone > 1 && !AppendZoneConditions(params, zone, decimalSeparator, messages)) {
      return RunOutcome::ResultFileNotOpened;
    }
    IntegrateZone(params, state, zone, steps);
    if (zone < zoneCount) HandOverZone(state, zone, steps);
    if (!AppendZoneTable(params, state, zone, steps, decimalSeparator, messages)) {
      return RunOutcome::ResultFileNotOpened;
    }
  }
  messages.ShowFinish();
  return RunOutcome::Finished;
}

}  // namespace quillmere
