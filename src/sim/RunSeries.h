// A finished run as series along the dryer, for the curves, the CSV and JSON exports: every
// stored point of every finished zone with what the model gives there besides the trace, and
// a summary of each zone.
#pragma once

#include <optional>
#include <vector>

#include "params/ParameterSet.h"
#include "sim/RunRecord.h"
#include "sim/SimulationState.h"
#include "sim/TraceView.h"

namespace quillmere {

//! One stored point of the run.
struct SeriesPoint {
  TracePoint State;
  double CorrectionFactor = 0;  //!< drying speed correction factor of the point [-]
  //! Whether the values below are known: they follow from the surface equilibrium, which a
  //! point has when State.SurfaceKnown and its vapour pressures evaluate without a fault.
  bool SurfaceKnown = false;
  double SurfaceVapourPressure = 0;  //!< p1 + p2 over the coating surface [mmHg]
  double Solvent1DryingRate = 0;     //!< evaporation of Solvent-1 [kg/m2.s], positive drying
  double Solvent2DryingRate = 0;     //!< [kg/m2.s]
};

//! A finished zone at a glance.
struct ZoneSummary {
  int Zone = 0;
  double OuterTemperature = 0;   //!< zone air [°C]
  double Length = 0;             //!< steps × Increment of z, as the web travels it [m]
  double StartPosition = 0;      //!< from the dryer's entry [m]
  TracePoint Exit;               //!< the web leaving the zone
  double SolventEvaporated = 0;  //!< both solvents, entry minus exit [kg/m2]
};

struct RunSeries {
  std::vector<SeriesPoint> Points;  //!< zone by zone, each zone's point 0 to its exit
  std::vector<ZoneSummary> Zones;   //!< the finished zones, zone 1 first
  std::vector<PhysicalWarning> Warnings;
  std::optional<RunFault> Fault;
  double TimeStep = 0;  //!< [s]
};

//! Collects the finished zones of a run (record.ZonesDone()) from the state, which must still
//! hold that run.
RunSeries CollectRunSeries(const ParameterSet& params, const SimulationState& state,
                           const RunRecord& record);

}  // namespace quillmere
