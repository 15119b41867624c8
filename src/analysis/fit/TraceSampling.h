// The model's value at a measured place: the computed trace read between its two stored points
// around that place, linearly interpolated along the dryer (or along the time). A zone's exit
// and the next zone's entry are the same place and hold the same state; the place lies in the
// first of them.
#pragma once

#include <optional>

#include "analysis/fit/Measurements.h"
#include "params/ParameterSet.h"
#include "sim/SimulationState.h"

namespace quillmere {

//! Where a place lies among the stored points of a finished run: between point `Point` of zone
//! `Zone` and the point after it (in the same zone), `Fraction` of the way.
struct TraceSite {
  int Zone = 1;
  int Point = 0;
  double Fraction = 0;  //!< 0 at the point, up to 1 at the next one
};

//! The far end of a finished run of zones 1 to `zones` along `axis`: the dryer's length [m] or
//! the time at its exit [s]. The run's step counts and time step must still be in the state.
double TraceEnd(const ParameterSet& params, const SimulationState& state, int zones,
                MeasurementAxis axis);

//! The site of `where` (along `axis`) in a finished run of zones 1 to `zones`; nullopt when
//! it lies outside from 0 to TraceEnd. The site stays valid for every run with the same zone
//! lengths, increment, speed and zone count: only the values at the points change.
std::optional<TraceSite> LocateOnTrace(const ParameterSet& params, const SimulationState& state,
                                       int zones, MeasurementAxis axis, double where);

//! The quantity at a site of the run the state holds.
double ValueAt(const SimulationState& state, const TraceSite& site, MeasuredQuantity quantity);

}  // namespace quillmere
