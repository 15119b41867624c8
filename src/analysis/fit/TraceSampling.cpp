#include "analysis/fit/TraceSampling.h"

#include "sim/TraceView.h"

namespace quillmere {
namespace {

double Along(const TracePoint& point, MeasurementAxis axis) {
  return axis == MeasurementAxis::Position ? point.DryerPosition : point.Time;
}

const ZoneTrace::Points& PointsOf(const ZoneTrace& trace, MeasuredQuantity quantity) {
  switch (quantity) {
    case MeasuredQuantity::Temperature:
      return trace.Temperature;
    case MeasuredQuantity::Residual1:
      return trace.Solvent1Residual;
    case MeasuredQuantity::Residual2:
      return trace.Solvent2Residual;
    case MeasuredQuantity::Weight1:
      return trace.Solvent1Weight;
    case MeasuredQuantity::Weight2:
      return trace.Solvent2Weight;
  }
  return trace.Temperature;
}

}  // namespace

double TraceEnd(const ParameterSet& params, const SimulationState& state, int zones,
                MeasurementAxis axis) {
  if (zones < 1) return 0;
  const ZoneView last(params, state, zones);
  return Along(last.At(last.Steps()), axis);
}

std::optional<TraceSite> LocateOnTrace(const ParameterSet& params, const SimulationState& state,
                                       int zones, MeasurementAxis axis, double where) {
  if (zones < 1 || !(where >= 0)) return std::nullopt;
  for (int zone = 1; zone <= zones; ++zone) {
    const ZoneView view(params, state, zone);
    const int steps = view.Steps();
    if (!(where <= Along(view.At(steps), axis))) continue;
    if (steps == 0) return TraceSite{zone, 0, 0};
    // The last point at or before `where`: positions and times rise from point to point.
    int low = 0;
    int high = steps;
    while (high - low > 1) {
      const int middle = low + (high - low) / 2;
      (Along(view.At(middle), axis) <= where ? low : high) = middle;
    }
    const double from = Along(view.At(low), axis);
    const double to = Along(view.At(high), axis);
    if (where <= from) return TraceSite{zone, low, 0};
    if (where >= to) return TraceSite{zone, high, 0};  // a stored point reads exactly
    return TraceSite{zone, low, (where - from) / (to - from)};
  }
  return std::nullopt;
}

double ValueAt(const SimulationState& state, const TraceSite& site, MeasuredQuantity quantity) {
  const auto& values = PointsOf(state.Trace, quantity)[site.Zone];
  const auto point = static_cast<std::size_t>(site.Point);
  const double value = values[point];
  if (site.Fraction == 0) return value;
  return value + site.Fraction * (values[point + 1] - value);
}

}  // namespace quillmere
