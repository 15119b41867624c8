// Where a run leaves the range in which the drying model describes a real coating. The model
// keeps computing as it is written; these warnings tell the user where, and why, its results
// stop being physical.
#pragma once

#include <string_view>

#include "params/ParameterSet.h"
#include "sim/RunRecord.h"
#include "sim/SimulationState.h"
#include "sim/TraceView.h"

namespace quillmere {

//! A drying speed correction factor below this means that nothing dries any more: the factor
//! only approaches 0 while the solvent fraction nears We, and it stays wherever the rounding
//! of the weights leaves it (a few times 1e-16 with the default fitting parameters). Drying
//! and condensing need a factor above it.
inline constexpr double kDryingStoppedFactor = 1e-12;

//! Absolute zero [°C].
inline constexpr double kAbsoluteZero = -273.15;

//! The kind as one word for scripts: "boiling", "condensing", "drying_stopped",
//! "not_physical".
std::string_view WarningKindName(WarningKind kind);

//! Appends to record.Warnings what the finished zone `zone` of the run in `state` tells of the
//! model's limits, at the first point of the zone where each happens, ordered by point:
//! - Boiling: the coating's surface vapour pressure p1 + p2 reaches the air pressure
//!   (kTotalPressure), at any point of the zone, its exit included.
//! - Condensing: a step of the zone starts where the air holds more of a solvent than the
//!   surface equilibrium (a humidity of 0 or more) while the coating still dries: its weight
//!   grows.
//! - Drying stopped, once per run: the correction factor falls below kDryingStoppedFactor
//!   with dryer left behind that point, in which nothing dries.
//! - Not physical: a weight or a residual ratio below 0, or a residual ratio that rises above
//!   1 in a step that is not an uptake from the air (a surface humidity below 0).
//! Boiling, condensing and the drying stop are told only of physical states: before the run's
//! first point that is not physical, and where every weight is 0 or more and the web is above
//! absolute zero and above -C of each solvent's Antoine equation (below it the equation gives
//! pressures without meaning). Each kind at most once per zone. record.ZoneExits.back() must be the
//! zone's exit. The scan reads the trace and evaluates the model only where a warning is confirmed;
//! it raises no FloatingPointError.
void AppendZoneWarnings(const ParameterSet& params, const SimulationState& state,
                        const ZoneView& zone, RunRecord& record);

//! The same for the zone in which a fault ended the run (record.Fault), over the points it
//! computed before the fault: what the coating went through there is what explains the
//! fault. Nothing when the fault arose before the zone's march began.
void AppendFaultZoneWarnings(const ParameterSet& params, const SimulationState& state,
                             RunRecord& record);

}  // namespace quillmere
