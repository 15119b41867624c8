#include "sim/TraceView.h"

#include <stdexcept>
#include <string>

#include "base/FloatingPointGuard.h"
#include "sim/MiscCalc.h"

namespace quillmere {
namespace {

//! steps × TimeStep × Speed in the widest floating type. The product of a step count and two
//! doubles cannot leave that type's range; only its narrowing to a double can overflow.
long double WideDistance(std::int64_t steps, double timeStep, double speed) {
  return static_cast<long double>(steps) * static_cast<long double>(timeStep) *
         static_cast<long double>(speed);
}

}  // namespace

double DistanceOfSteps(std::int64_t steps, double timeStep, double speed) {
  ClearFloatingPointFaults();
  const double distance = static_cast<double>(WideDistance(steps, timeStep, speed));
  ThrowOnFloatingPointFault({distance});
  return distance;
}

namespace {

//! The step count of a zone the trace holds; throws std::out_of_range for any other zone.
int CheckedSteps(const ParameterSet& params, int zone) {
  if (zone < 1 || zone > kMaxZones) {
    throw std::out_of_range("Zone " + std::to_string(zone) + " is not a zone of the dryer");
  }
  const int steps = params.ZoneSteps[zone];
  if (steps < 0 || steps >= kTracePoints) {
    throw std::out_of_range("Zone " + std::to_string(zone) + " with " + std::to_string(steps) +
                            " steps does not fit its trace");
  }
  return steps;
}

}  // namespace

ZoneView::ZoneView(const ParameterSet& params, const SimulationState& state, int zone)
    : params_(params),
      trace_(state.Trace),
      zone_(zone),
      steps_(CheckedSteps(params, zone)),
      stepsBefore_(0),
      timeStep_(state.TimeStep),
      speed_(params.Speed) {
  for (int before = 1; before < zone; ++before) stepsBefore_ += params.ZoneSteps[before];
  // The farthest positions of the zone: when these fit a double, every point's do.
  try {
    DistanceOfSteps(steps_, timeStep_, speed_);
    DistanceOfSteps(stepsBefore_ + steps_, timeStep_, speed_);
  } catch (const FloatingPointError& fault) {
    throw FloatingPointError(fault.what(), zone, steps_);
  }
}

TracePoint ZoneView::At(int point) const {
  const auto s = static_cast<std::size_t>(point);
  TracePoint p;
  p.Zone = zone_;
  p.Point = point;
  p.Time = trace_.Time[zone_][s];
  p.ZonePosition = static_cast<double>(WideDistance(point, timeStep_, speed_));
  p.DryerPosition = static_cast<double>(WideDistance(stepsBefore_ + point, timeStep_, speed_));
  p.Temperature = trace_.Temperature[zone_][s];
  p.Solvent1Weight = trace_.Solvent1Weight[zone_][s];
  p.Solvent2Weight = trace_.Solvent2Weight[zone_][s];
  p.Solvent1Fraction = trace_.Solvent1Fraction[zone_][s];
  p.Solvent2Fraction = trace_.Solvent2Fraction[zone_][s];
  p.Solvent1Residual = trace_.Solvent1Residual[zone_][s];
  p.Solvent2Residual = trace_.Solvent2Residual[zone_][s];
  if (point < steps_) {
    p.SurfaceKnown = true;
    p.Solvent1SurfaceHumidity = trace_.Solvent1SurfaceHumidity[zone_][s];
    p.Solvent2SurfaceHumidity = trace_.Solvent2SurfaceHumidity[zone_][s];
    return p;
  }
  // The exit point: the step that would leave it (the next zone's first) computes its surface
  // humidities from the same state, which is what is done here.
  const ParameterSet& c = params_;
  ClearFloatingPointFaults();
  const Humidities surface =
      WebSurfaceHumidities(c, p.Temperature, p.Solvent1Weight, p.Solvent2Weight);
  if (FloatingPointFaultRaised({surface.Solvent1, surface.Solvent2})) {
    return p;  // not known there: the state has no surface equilibrium
  }
  p.SurfaceKnown = true;
  p.Solvent1SurfaceHumidity = surface.Solvent1;
  p.Solvent2SurfaceHumidity = surface.Solvent2;
  return p;
}

}  // namespace quillmere
