#include "sim/PhysicalWarnings.h"

#include <algorithm>
#include <array>
#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>

#include "base/FloatingPointGuard.h"
#include "base/FormatFixed.h"
#include "sim/MiscCalc.h"

namespace quillmere {
namespace {

//! A number of a warning text: "." whatever the locale, every integer digit, `digits` decimals.
std::string Number(double value, int digits) {
  return FormatFixed(value, 18, digits, '.');
}

//! "3.40 m (33.40 m from the dryer's entry), at a web temperature of 352.10 °C"
std::string Place(const TracePoint& p) {
  return Number(p.ZonePosition, 2) + " m (" + Number(p.DryerPosition, 2) +
         " m from the dryer's entry), at a web temperature of " + Number(p.Temperature, 2) + " °C";
}

//! One solvent's part of a zone's trace, and its humidity in the zone's air.
struct SolventTrace {
  std::string_view Name;  //!< "Solvent-1"
  const std::array<double, kTracePoints>& Weight;
  const std::array<double, kTracePoints>& Residual;
  const std::array<double, kTracePoints>& SurfaceHumidity;
  double AirHumidity;  //!< [kg/kg dry air]
};

//! The points of one finished zone, read once each.
class ZoneScan {
 public:
  //! Scans points 0 to `last` (the zone's exit, or the last point computed before a fault),
  //! the surface humidities of `last` taken from `exit`.
  ZoneScan(const ParameterSet& params, const SimulationState& state, const ZoneView& zone,
           const TracePoint& exit, int last)
      : params_(params),
        state_(state),
        zone_(zone),
        exit_(exit),
        steps_(last),
        physicalEnd_(last),
        solvents_{SolventTrace{"Solvent-1", state.Trace.Solvent1Weight[zone.Zone()],
                               state.Trace.Solvent1Residual[zone.Zone()],
                               state.Trace.Solvent1SurfaceHumidity[zone.Zone()],
                               params.Zones.Solvent1Humidity[zone.Zone()]},
                  SolventTrace{"Solvent-2", state.Trace.Solvent2Weight[zone.Zone()],
                               state.Trace.Solvent2Residual[zone.Zone()],
                               state.Trace.Solvent2SurfaceHumidity[zone.Zone()],
                               params.Zones.Solvent2Humidity[zone.Zone()]}} {}

  std::optional<PhysicalWarning> Boiling() const;
  std::optional<PhysicalWarning> Condensing() const;
  std::optional<PhysicalWarning> DryingStopped() const;
  std::optional<PhysicalWarning> NotPhysical() const;

  //! Boiling, condensing and the drying stop are looked for only before this point (the
  //! first that is not physical, of this zone or an earlier one): from there on the states are
  //! not a coating's, and what they would say of it is not true.
  void EndPhysicalStatesAt(int point) { physicalEnd_ = std::min(physicalEnd_, point - 1); }

 private:
  //! Whether the web at a point is in a state the model describes: every weight 0 or more and
  //! the temperature above absolute zero and above the pole of each solvent's Antoine equation
  //! (T = -C, where the vapour pressure jumps from 0 to beyond any bound).
  bool Physical(int point) const {
    const ZoneTrace& t = state_.Trace;
    const int zone = zone_.Zone();
    const double temperature = t.Temperature[zone][Index(point)];
    return t.Solvent1Weight[zone][Index(point)] >= 0 && t.Solvent2Weight[zone][Index(point)] >= 0 &&
           temperature > kAbsoluteZero && temperature > -params_.Solvent1AntoineC &&
           temperature > -params_.Solvent2AntoineC;
  }
  static std::size_t Index(int point) { return static_cast<std::size_t>(point); }
  TracePoint PointAt(int point) const { return point == steps_ ? exit_ : zone_.At(point); }
  //! Solvent `s`'s surface humidity at a point: stored for the points a step leaves, computed
  //! by the view for the exit; false where it is not known.
  bool SurfaceHumidity(std::size_t s, int point, double& humidity) const {
    if (point < steps_) {
      humidity = solvents_[s].SurfaceHumidity[Index(point)];
      return true;
    }
    humidity = s == 0 ? exit_.Solvent1SurfaceHumidity : exit_.Solvent2SurfaceHumidity;
    return exit_.SurfaceKnown;
  }
  //! The correction factor of the step that leaves a point, as the integration computes it.
  double CorrectionFactorAt(int point) const {
    const ZoneTrace& t = state_.Trace;
    const int zone = zone_.Zone();
    return DryingSpeedCorrection(
        params_, t.Solvent1Fraction[zone][Index(point)] + t.Solvent2Fraction[zone][Index(point)]);
  }
  //! Whether a step that starts at `point` takes solvent `s` up from the air: the air holds
  //! more than the surface equilibrium (a physical one, 0 or more) and the coating still dries.
  bool TakesUp(std::size_t s, int point) const {
    if (!Physical(point)) return false;
    const double humidity = solvents_[s].SurfaceHumidity[Index(point)];
    return humidity >= 0 && humidity < solvents_[s].AirHumidity &&
           CorrectionFactorAt(point) >= kDryingStoppedFactor;
  }
  PhysicalWarning Warning(WarningKind kind, const TracePoint& where, std::string text) const {
    return {kind, where, "In zone " + std::to_string(zone_.Zone()) + " " + std::move(text)};
  }

  const ParameterSet& params_;
  const SimulationState& state_;
  const ZoneView& zone_;
  const TracePoint& exit_;
  int steps_;        //!< the last point scanned
  int physicalEnd_;  //!< the last point looked at for boiling, condensing and a drying stop
  std::array<SolventTrace, 2> solvents_;
};

// While p1 + p2 exceeds the air pressure, the denominator 760 - p1 - p2 of both humidities is
// negative, so a solvent with a positive partial pressure has a negative humidity: a negative
// humidity marks a candidate, and the pressures confirm it (a negative weight also gives one).
std::optional<PhysicalWarning> ZoneScan::Boiling() const {
  for (int point = 0; point <= physicalEnd_; ++point) {
    double humidity1 = 0;
    double humidity2 = 0;
    if (!SurfaceHumidity(0, point, humidity1) || !SurfaceHumidity(1, point, humidity2)) continue;
    if (humidity1 >= 0 && humidity2 >= 0) continue;
    if (!Physical(point)) continue;
    const TracePoint p = PointAt(point);
    ClearFloatingPointFaults();
    const SurfacePressures pressures =
        WebSurfacePressures(params_, p.Temperature, p.Solvent1Weight, p.Solvent2Weight);
    const double total = pressures.Solvent1 + pressures.Solvent2;
    if (FloatingPointFaultRaised({pressures.Solvent1, pressures.Solvent2, total})) continue;
    if (total < kTotalPressure) continue;
    return Warning(WarningKind::Boiling, p,
                   "the coating boils from " + Place(p) +
                       ": the vapour pressure of its solvents (" + Number(total, 1) +
                       " mmHg) reaches the air pressure of " + Number(kTotalPressure, 0) +
                       " mmHg. Blisters are likely, and the surface humidities from there on are "
                       "not physical.");
  }
  return std::nullopt;
}

std::optional<PhysicalWarning> ZoneScan::Condensing() const {
  std::array<int, 2> first{-1, -1};
  for (int point = 0; point < steps_ && point <= physicalEnd_ && (first[0] < 0 || first[1] < 0);
       ++point) {
    for (std::size_t s = 0; s < solvents_.size(); ++s) {
      if (first[s] < 0 && TakesUp(s, point)) first[s] = point;
    }
  }
  if (first[0] < 0 && first[1] < 0) return std::nullopt;
  // The solvent taken up first leads; the other follows, at the same point or later.
  std::array<std::size_t, 2> order{0, 1};
  if (first[0] < 0 || (first[1] >= 0 && first[1] < first[0])) order = {1, 0};
  const auto [lead, other] = order;
  const auto name = [&](std::size_t s) { return std::string(solvents_[s].Name); };
  // Humidities with 6 decimals, or as many more as it takes to tell the two apart (where the
  // surface equilibrium has just fallen below the air's).
  std::array<int, 2> digits{6, 6};
  for (std::size_t s = 0; s < solvents_.size(); ++s) {
    if (first[s] < 0) continue;
    const double surfaceHumidity = solvents_[s].SurfaceHumidity[Index(first[s])];
    while (digits[s] < 15 &&
           Number(solvents_[s].AirHumidity, digits[s]) == Number(surfaceHumidity, digits[s])) {
      ++digits[s];
    }
  }
  const auto air = [&](std::size_t s) { return Number(solvents_[s].AirHumidity, digits[s]); };
  const auto surface = [&](std::size_t s) {
    return Number(solvents_[s].SurfaceHumidity[Index(first[s])], digits[s]);
  };
  const TracePoint where = PointAt(first[lead]);
  std::string text;
  if (first[other] == first[lead]) {
    text = "the coating takes " + name(0) + " and " + name(1) + " up from the air from " +
           Place(where) + ": the air holds " + air(0) + " kg/kg of " + name(0) + " and " + air(1) +
           " kg/kg of " + name(1) + ", more than the " + surface(0) + " and " + surface(1) +
           " kg/kg in equilibrium over the surface, so their weights grow.";
  } else {
    text = "the coating takes " + name(lead) + " up from the air from " + Place(where) +
           ": the air holds " + air(lead) + " kg/kg of " + name(lead) + ", more than the " +
           surface(lead) + " kg/kg in equilibrium over the surface, so its weight grows.";
    if (first[other] >= 0) {
      text += " It takes " + name(other) + " up too from " + Place(PointAt(first[other])) +
              ", where the air holds " + air(other) + " kg/kg of it, more than the " +
              surface(other) + " kg/kg in equilibrium.";
    }
  }
  return Warning(WarningKind::Condensing, where, std::move(text));
}

// Once the factor is 0 the weights no longer change, so nothing dries from there to the end
// of the dryer: said once per run, by the zone where it happens.
std::optional<PhysicalWarning> ZoneScan::DryingStopped() const {
  std::int64_t stepsAfter = 0;
  for (int zone = zone_.Zone() + 1; zone <= params_.ZoneCount; ++zone) {
    stepsAfter += params_.ZoneSteps[zone];
  }
  for (int point = 0; point <= physicalEnd_; ++point) {
    if (!Physical(point)) continue;
    const double fraction = state_.Trace.Solvent1Fraction[zone_.Zone()][Index(point)] +
                            state_.Trace.Solvent2Fraction[zone_.Zone()][Index(point)];
    if (DryingSpeedCorrection(params_, fraction) >= kDryingStoppedFactor) continue;
    const std::int64_t stepsLeft = stepsAfter + (zone_.Steps() - point);
    if (stepsLeft <= 0) return std::nullopt;  // it stops at the dryer's end
    const TracePoint p = PointAt(point);
    std::string rest = "the rest of the dryer";
    try {
      rest = "the last " + Number(DistanceOfSteps(stepsLeft, state_.TimeStep, params_.Speed), 2) +
             " m of the dryer";
    } catch (const FloatingPointError&) {
      // A length beyond the double range: the words say it without the number.
    }
    return Warning(WarningKind::DryingStopped, p,
                   "the drying stops at " + Place(p) +
                       ": the drying speed correction factor has fallen to 0 at a solvent "
                       "fraction of " +
                       Number(fraction, 4) + " (We " + Number(params_.We, 4) +
                       "), so nothing dries in " + rest + ". Residual ratios left: Solvent-1 " +
                       Number(p.Solvent1Residual, 4) + ", Solvent-2 " +
                       Number(p.Solvent2Residual, 4) + ".");
  }
  return std::nullopt;
}

std::optional<PhysicalWarning> ZoneScan::NotPhysical() const {
  const auto negative = [&](std::size_t s, int point) {
    return solvents_[s].Weight[Index(point)] < 0 || solvents_[s].Residual[Index(point)] < 0;
  };
  // A residual ratio that a step raised above 1 without an uptake from the air: the surface
  // humidity of the step's start is negative (a boiling surface, or a negative weight).
  const auto risenAbove1 = [&](std::size_t s, int point) {
    const SolventTrace& solvent = solvents_[s];
    if (point == 0 || !(solvent.Residual[Index(point)] > 1)) return false;
    if (!(solvent.Weight[Index(point)] > solvent.Weight[Index(point - 1)])) return false;
    return solvent.SurfaceHumidity[Index(point - 1)] < 0;
  };
  for (int point = 0; point <= steps_; ++point) {
    bool found = false;
    for (std::size_t s = 0; s < solvents_.size(); ++s) {
      found = found || negative(s, point) || risenAbove1(s, point);
    }
    if (!found) continue;

    std::string findings;
    bool overshoot = false;
    for (std::size_t s = 0; s < solvents_.size(); ++s) {
      const SolventTrace& solvent = solvents_[s];
      const double weight = solvent.Weight[Index(point)];
      const double residual = solvent.Residual[Index(point)];
      std::string finding;
      if (negative(s, point)) {
        finding = "the " + std::string(solvent.Name) + " weight is below 0 (" + Number(weight, 5) +
                  " kg/m2, residual ratio " + Number(residual, 4) + ")";
        overshoot = overshoot || (point > 0 && solvent.Weight[Index(point - 1)] >= 0);
      } else if (risenAbove1(s, point)) {
        finding = "the " + std::string(solvent.Name) + " residual ratio rises above 1 (" +
                  Number(residual, 4) + ") although the coating takes no " +
                  std::string(solvent.Name) + " up from the air";
      }
      if (finding.empty()) continue;
      findings += findings.empty() ? finding : ", and " + finding;
    }
    const TracePoint p = PointAt(point);
    std::string text =
        "at " + Place(p) + ", " + findings + ". The results from there on are not physical.";
    if (overshoot) {
      text += " One step took more solvent than was left: a smaller Increment of z may help.";
    }
    return Warning(WarningKind::NotPhysical, p, std::move(text));
  }
  return std::nullopt;
}

}  // namespace

std::string_view WarningKindName(WarningKind kind) {
  switch (kind) {
    case WarningKind::Boiling:
      return "boiling";
    case WarningKind::Condensing:
      return "condensing";
    case WarningKind::DryingStopped:
      return "drying_stopped";
    case WarningKind::NotPhysical:
      return "not_physical";
  }
  return "unknown";
}

namespace {

//! The warnings of points 0 to `last` of a zone, in the order of their points.
void AppendScannedWarnings(const ParameterSet& params, const SimulationState& state,
                           const ZoneView& zone, const TracePoint& exit, int last,
                           RunRecord& record) {
  ZoneScan scan(params, state, zone, exit, last);
  const auto said = [&record](WarningKind kind) {
    return std::any_of(record.Warnings.begin(), record.Warnings.end(),
                       [kind](const PhysicalWarning& w) { return w.Kind == kind; });
  };
  // The run's first state that is not physical ends what its other warnings may say.
  const bool physicalBefore = !said(WarningKind::NotPhysical);
  std::optional<PhysicalWarning> notPhysical = scan.NotPhysical();
  if (!physicalBefore) scan.EndPhysicalStatesAt(0);
  if (notPhysical) scan.EndPhysicalStatesAt(notPhysical->Where.Point);

  std::array<std::optional<PhysicalWarning>, 4> found{
      scan.Boiling(), scan.Condensing(),
      said(WarningKind::DryingStopped) ? std::nullopt : scan.DryingStopped(),
      std::move(notPhysical)};
  const auto begin = record.Warnings.size();
  for (std::optional<PhysicalWarning>& warning : found) {
    if (warning) record.Warnings.push_back(std::move(*warning));
  }
  std::stable_sort(record.Warnings.begin() + static_cast<std::ptrdiff_t>(begin),
                   record.Warnings.end(), [](const PhysicalWarning& a, const PhysicalWarning& b) {
                     return a.Where.Point < b.Where.Point;
                   });
}

}  // namespace

void AppendZoneWarnings(const ParameterSet& params, const SimulationState& state,
                        const ZoneView& zone, RunRecord& record) {
  const bool exitRecorded =
      !record.ZoneExits.empty() && record.ZoneExits.back().Zone == zone.Zone();
  const TracePoint exit = exitRecorded ? record.ZoneExits.back() : zone.Exit();
  AppendScannedWarnings(params, state, zone, exit, zone.Steps(), record);
}

void AppendFaultZoneWarnings(const ParameterSet& params, const SimulationState& state,
                             RunRecord& record) {
  if (!record.Fault) return;
  const RunFault& fault = *record.Fault;
  // Only a zone whose march began: its entry state and the points computed before the fault.
  if (fault.Zone < 1 || fault.Zone != record.ZonesDone() + 1 || fault.Zone > params.ZoneCount) {
    return;
  }
  try {
    const ZoneView zone(params, state, fault.Zone);
    const int last = std::clamp(fault.Point, 0, zone.Steps());
    TracePoint point = zone.At(last);
    // The step that would have left the last point computed its surface humidities and
    // faulted: they were never stored.
    if (last < zone.Steps()) point.SurfaceKnown = false;
    AppendScannedWarnings(params, state, zone, point, last, record);
  } catch (const FloatingPointError&) {
    // The zone's positions are beyond the double range: its points cannot be placed.
  }
}

}  // namespace quillmere
