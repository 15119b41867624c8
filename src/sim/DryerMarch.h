// The march of the web through the dryer: the entry state, then each active zone integrated
// from the state in which the web left the zone before. Consumers (the result file, a sweep's
// row, a fit's residuals, the curves) are observers told when the run starts and when each
// zone starts and finishes, or read the finished run afterwards.
#pragma once

#include "params/ParameterSet.h"
#include "sim/RunRecord.h"
#include "sim/SimulationState.h"
#include "sim/TraceView.h"

namespace quillmere {

//! Told of the march's progress; each call returns false to end the run there.
class MarchObserver {
 public:
  virtual ~MarchObserver() = default;
  //! The inputs are acquired (the entry temperature stored); nothing is computed yet.
  virtual bool RunStarting(const ParameterSet& /*params*/, const SimulationState& /*state*/) {
    return true;
  }
  //! Zone `zone` is about to be integrated; for zone 1 the entry state is set.
  virtual bool ZoneStarting(int /*zone*/) { return true; }
  //! Zone `zone.Zone()` is integrated and handed over to the next; `record` holds its exit.
  virtual bool ZoneFinished(const ZoneView& /*zone*/, const RunRecord& /*record*/) { return true; }
};

//! Marches through zones 1 to params.ZoneCount of an acquired parameter set (ZoneCount and
//! ZoneSteps set, the entry temperature in the trace): InitialiseSimulation, then for each
//! zone IntegrateZone and the hand-over to the next. A floating-point fault ends the run and
//! is recorded, with where it arose; the zones finished before it stay readable. Errors of an
//! observer (a failed write) leave as exceptions.
RunRecord MarchThroughDryer(const ParameterSet& params, SimulationState& state,
                            MarchObserver& observer);

//! The march without an observer.
RunRecord MarchThroughDryer(const ParameterSet& params, SimulationState& state);

}  // namespace quillmere
