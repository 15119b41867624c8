// The state of the drying simulation: a trace of web states for every zone, the zones' mass
// transfer coefficients and the time step.
#pragma once

#include <array>
#include <cstddef>

#include "params/ParameterSet.h"

namespace quillmere {

//! Points of a zone's trace: point 0 is the web as it enters the zone, point j the state after
//! j steps, so a zone takes at most kTracePoints - 1 steps.
inline constexpr int kTracePoints = 2000;

//! Every quantity in its own array indexed by zone (1 to 14) and point (0 to 1999):
//! `trace.Temperature[zone][point]`.
struct ZoneTrace {
  using Points = ZoneArray<std::array<double, kTracePoints>>;
  Points Time;                     //!< since the web entered zone 1 [s]
  Points Solvent1Weight;           //!< Solvent-1 left in the coating [kg/m2]
  Points Solvent2Weight;           //!< Solvent-2 left in the coating [kg/m2]
  Points Temperature;              //!< web temperature, coating and base film [°C]
  Points Solvent1Fraction;         //!< mass fraction of Solvent-1 in the coating [-]
  Points Solvent2Fraction;         //!< mass fraction of Solvent-2 in the coating [-]
  Points Solvent1Residual;         //!< Solvent-1 weight / its weight at the dryer entry [-]
  Points Solvent2Residual;         //!< Solvent-2 weight / its weight at the dryer entry [-]
  Points Solvent1SurfaceHumidity;  //!< equilibrium humidity over the surface [kg/kg dry air]
  Points Solvent2SurfaceHumidity;  //!< the same for Solvent-2 [kg/kg dry air]
};

//! One instance lives as long as the program (it is large: allocate it once); it starts
//! zero-filled, nothing clears it, and every run overwrites only what it computes.
struct SimulationState {
  //! The state is allocated on memory of its own, aligned for huge pages and marked for them
  //! where the system offers them: its first use then takes a few page faults, not hundreds.
  static void* operator new(std::size_t size);
  static void operator delete(void* memory) noexcept;

  ZoneTrace Trace;
  //! The web's temperature where it enters the dryer (point 0 of zone 1), which acquisition
  //! stores [°C].
  double& EntryTemperature() { return Trace.Temperature[1][0]; }
  double EntryTemperature() const { return Trace.Temperature[1][0]; }
  ZoneArray<double> MassTransferCoefficient1;  //!< Solvent-1 vapour, surface to air [m/s]
  ZoneArray<double> MassTransferCoefficient2;  //!< Solvent-2 vapour [m/s]
  double TimeStep = 0;  //!< IncrementZ / Speed: time to travel one increment of z [s]
};

//! Polymer per area [kg/m2]: InitialCoatingWeight × InitialSolidRatio. It never changes during
//! a run and is recomputed wherever it is used.
inline double SolidWeight(const ParameterSet& p) {
  return p.InitialCoatingWeight * p.InitialSolidRatio;
}

//! Sets the entry state of the web (point 0 of zone 1, all but its temperature, which
//! acquisition stored) and the time step. Throws FloatingPointError on a fault (a zero initial
//! solvent ratio makes a residual ratio 0 / 0; a zero speed divides by zero).
void InitialiseSimulation(const ParameterSet& params, SimulationState& state);

//! Copies the last point of zone `zone` (point `steps`) into point 0 of zone `zone` + 1:
//! time, weights, temperature, fractions and residual ratios, as stored. Throws
//! std::out_of_range, changing nothing, for a zone without a next one (14) or outside 1 to 14,
//! or a point outside the trace.
void HandOverZone(SimulationState& state, int zone, int steps);

}  // namespace quillmere
