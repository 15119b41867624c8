#include "sim/DryerMarch.h"

#include "base/FloatingPointGuard.h"
#include "sim/MiscCalc.h"
#include "sim/PhysicalWarnings.h"

namespace quillmere {
namespace {

RunFault FaultOf(const FloatingPointError& error, const ParameterSet& params,
                 const SimulationState& state) {
  RunFault fault;
  fault.Message = error.what();
  fault.Zone = error.Zone();
  fault.Point = error.Point();
  if (fault.Zone == 0) {
    fault.PositionKnown = true;  // the dryer's entry
    return fault;
  }
  try {
    std::int64_t before = 0;
    for (int zone = 1; zone < fault.Zone; ++zone) before += params.ZoneSteps[zone];
    fault.ZonePosition = DistanceOfSteps(fault.Point, state.TimeStep, params.Speed);
    fault.DryerPosition = DistanceOfSteps(before + fault.Point, state.TimeStep, params.Speed);
    fault.PositionKnown = true;
  } catch (const FloatingPointError&) {
    // A position beyond the double range: the zone and the point still say where.
  }
  return fault;
}

}  // namespace

RunRecord MarchThroughDryer(const ParameterSet& params, SimulationState& state,
                            MarchObserver& observer) {
  RunRecord record;
  record.ZoneCount = params.ZoneCount;
  record.ZoneExits.reserve(static_cast<std::size_t>(kMaxZones));
  if (!observer.RunStarting(params, state)) {
    record.Stopped = true;
    return record;
  }
  try {
    InitialiseSimulation(params, state);
    const int zoneCount = params.ZoneCount;
    for (int zone = 1; zone <= zoneCount; ++zone) {
      if (!observer.ZoneStarting(zone)) {
        record.Stopped = true;
        return record;
      }
      const std::int32_t steps = params.ZoneSteps[zone];
      IntegrateZone(params, state, zone, steps);
      if (zone < zoneCount) HandOverZone(state, zone, steps);
      ZoneView view(params, state, zone);
      record.ZoneExits.push_back(view.Exit());
      AppendZoneWarnings(params, state, view, record);  // before the observers see the zone
      if (!observer.ZoneFinished(view, record)) {
        record.Stopped = true;
        return record;
      }
    }
  } catch (const FloatingPointError& error) {
    record.Fault = FaultOf(error, params, state);
    AppendFaultZoneWarnings(params, state, record);
  }
  return record;
}

RunRecord MarchThroughDryer(const ParameterSet& params, SimulationState& state) {
  MarchObserver none;
  return MarchThroughDryer(params, state, none);
}

}  // namespace quillmere
