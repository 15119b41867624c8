// Read-only views of the computed trace: the web's state at every valid point of a finished
// zone, with its position along the zone and along the whole dryer.
#pragma once

#include <cstdint>

#include "params/ParameterSet.h"
#include "sim/SimulationState.h"

namespace quillmere {

//! Distance the web travels in `steps` integration steps [m]: steps × TimeStep × Speed, the
//! product formed in the widest floating type and then narrowed to a double. Throws
//! FloatingPointError ("Floating point overflow") when the distance is beyond the double
//! range, rather than giving an infinity.
double DistanceOfSteps(std::int64_t steps, double timeStep, double speed);

//! The web at one point of a zone's trace.
struct TracePoint {
  int Zone = 0;                 //!< 1 to 14
  int Point = 0;                //!< 0 (the zone's entry) to the zone's step count (its exit)
  double Time = 0;              //!< since the web entered zone 1 [s]
  double ZonePosition = 0;      //!< distance from the zone's entry [m]
  double DryerPosition = 0;     //!< distance from the dryer's entry [m]
  double Temperature = 0;       //!< web temperature [°C]
  double Solvent1Weight = 0;    //!< [kg/m2]
  double Solvent2Weight = 0;    //!< [kg/m2]
  double Solvent1Fraction = 0;  //!< mass fraction of Solvent-1 in the coating [-]
  double Solvent2Fraction = 0;  //!< [-]
  double Solvent1Residual = 0;  //!< Solvent-1 weight / its weight at the dryer entry [-]
  double Solvent2Residual = 0;  //!< [-]
  //! Whether the surface humidities below are known: the integration computes them at the
  //! start of each step, so a zone's exit point has them only when the view could evaluate
  //! them there without a fault.
  bool SurfaceKnown = false;
  double Solvent1SurfaceHumidity = 0;  //!< equilibrium humidity over the surface [kg/kg]
  double Solvent2SurfaceHumidity = 0;  //!< [kg/kg]
};

//! A finished zone of the current run: its points 0 to ZoneSteps[zone], read from the trace.
//! The view reads the run's state; it is valid while the state holds that run.
class ZoneView {
 public:
  //! Throws FloatingPointError when a position of the zone is beyond the double range, and
  //! std::out_of_range for a zone or step count that the trace cannot hold.
  ZoneView(const ParameterSet& params, const SimulationState& state, int zone);

  int Zone() const { return zone_; }
  //! The zone's step count: its points are 0 to Steps().
  int Steps() const { return steps_; }
  //! Distance from the dryer's entry to the zone's entry [m].
  double StartPosition() const { return DistanceOfSteps(stepsBefore_, timeStep_, speed_); }

  TracePoint At(int point) const;
  //! The zone's exit, point Steps().
  TracePoint Exit() const { return At(steps_); }

 private:
  const ParameterSet& params_;
  const ZoneTrace& trace_;
  int zone_;
  int steps_;
  std::int64_t stepsBefore_;  //!< steps of the zones before this one
  double timeStep_;
  double speed_;
};

}  // namespace quillmere
