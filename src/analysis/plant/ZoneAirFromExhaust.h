// A zone's air as its exhaust makes it: in steady operation the air of a zone holds what the
// drying puts into it less what the exhaust takes out, ṁi / (V · 28.96 / 22.414) kg of each
// solvent per kg of air. The drying depends on that air in turn (the humidity against the
// surface's), so the humidities of the zones that ask for it (ZoneK.AirFromExhaust = yes) are
// found by a few runs of the case, each run's exhaust giving the next run's air.
#pragma once

#include <array>
#include <string>
#include <vector>

#include "analysis/plant/PlantFigures.h"
#include "params/FieldTexts.h"
#include "params/ParameterSet.h"
#include "params/PlantInputs.h"
#include "sim/SimulationState.h"

namespace quillmere {

//! The runs stop when no humidity changes by more than this fraction of itself [-].
inline constexpr double kZoneAirTolerance = 1e-9;
//! The most runs the humidities are given to settle.
inline constexpr int kZoneAirRuns = 60;

struct ZoneAirOutcome {
  int Runs = 0;                       //!< runs of the case made
  bool Settled = false;               //!< the humidities stopped changing within kZoneAirTolerance
  double Change = 0;                  //!< the last run's largest relative change [-]
  std::vector<std::string> Warnings;  //!< why the air could not follow, or did not settle
};

//! The humidity fields of `zone` (Solvent-1's and Solvent-2's).
std::array<std::string, 2> ZoneHumidityFields(int zone);

//! A humidity as a field text that reads back to the same double, with `decimalSeparator`.
std::string HumidityText(double humidity, char decimalSeparator);

//! Puts into the humidity fields of every zone with `plant.AirFromExhaust` what its exhaust
//! carries, by runs of the case from `fields` until they settle, so that a run of the fields
//! afterwards dries into the air its own exhaust makes (and its result file echoes it). Runs
//! in `params` and `state`. Does nothing without such a zone; stops early, leaving the fields
//! as they were last set, when the inputs are refused or a run faults (the run afterwards
//! tells it) or a zone's exhaust is unknown (a warning says so).
ZoneAirOutcome ZoneAirFromExhaust(FieldTexts& fields, char decimalSeparator,
                                  const PlantInputs& plant,
                                  const std::array<PlantSolvent, 2>& solvents, ParameterSet& params,
                                  SimulationState& state);

}  // namespace quillmere
