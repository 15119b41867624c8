#include "analysis/plant/ZoneAirFromExhaust.h"

#include <algorithm>
#include <charconv>
#include <cmath>

#include "base/Error.h"
#include "base/FormatFixed.h"
#include "base/KeptMessages.h"
#include "params/AcquireParameters.h"
#include "params/FieldTable.h"
#include "sim/DryerMarch.h"

namespace quillmere {
namespace {

//! The step is cut by half while the largest gap between a zone's air and its exhaust grows,
//! down to this fraction of the full step.
constexpr double kSmallestStep = 1.0 / 64;

//! One run of the case from the fields; false when the inputs are refused or the run faults.
bool RunOnce(const FieldTexts& fields, char separator, ParameterSet& params, SimulationState& state,
             RunRecord& record) {
  std::vector<std::string> kept;
  KeptMessages messages(kept);
  try {
    if (!AcquireParameters(fields, messages, separator, params, state.EntryTemperature()).Ok()) {
      return false;
    }
  } catch (const Error&) {
    return false;
  }
  record = MarchThroughDryer(params, state);
  return !record.Fault;
}

//! The relative change from `before` to `after`; 0 when both are 0.
double RelativeChange(double before, double after) {
  const double scale = std::max(std::abs(before), std::abs(after));
  return scale > 0 ? std::abs(after - before) / scale : 0;
}

}  // namespace

std::array<std::string, 2> ZoneHumidityFields(int zone) {
  return {ZoneFieldName(zone, 2), ZoneFieldName(zone, 3)};
}

std::string HumidityText(double humidity, char decimalSeparator) {
  std::array<char, 32> text{};
  const auto end = std::to_chars(text.data(), text.data() + text.size(), humidity).ptr;
  std::string result(text.data(), end);
  std::replace(result.begin(), result.end(), '.', decimalSeparator);
  return result;
}

ZoneAirOutcome ZoneAirFromExhaust(FieldTexts& fields, char decimalSeparator,
                                  const PlantInputs& plant,
                                  const std::array<PlantSolvent, 2>& solvents, ParameterSet& params,
                                  SimulationState& state) {
  ZoneAirOutcome outcome;
  if (!plant.AnyAirFromExhaust()) return outcome;
  double step = 1;
  double lastGap = 0;
  RunRecord record;
  while (outcome.Runs < kZoneAirRuns) {
    ++outcome.Runs;
    if (!RunOnce(fields, decimalSeparator, params, state, record)) return outcome;
    PlantFigures figures;
    try {
      figures = PlantFiguresOf(params, plant, solvents, state, record);
    } catch (const Error&) {
      return outcome;  // figures that are not finite: the run afterwards tells it
    }
    double gap = 0;
    double change = 0;
    for (const ZonePlant& z : figures.Zones) {
      if (!plant.AirFromExhaust[z.Zone]) continue;
      if (!z.ExhaustAir) {
        outcome.Warnings.push_back(
            "Zone " + std::to_string(z.Zone) +
            ": its air cannot follow from its exhaust, which is not known or 0; its humidities "
            "are used as stated.");
        return outcome;
      }
      const std::array<std::string, 2> names = ZoneHumidityFields(z.Zone);
      for (std::size_t i = 0; i < 2; ++i) {
        const double stated = z.StatedAir[i];
        const double next = stated + step * ((*z.ExhaustAir)[i] - stated);
        gap = std::max(gap, RelativeChange(stated, (*z.ExhaustAir)[i]));
        change = std::max(change, RelativeChange(stated, next));
        fields.SetText(names[i], HumidityText(next, decimalSeparator));
      }
    }
    outcome.Change = change;
    if (change <= kZoneAirTolerance) {
      outcome.Settled = true;
      return outcome;
    }
    if (outcome.Runs > 1 && gap > lastGap) step = std::max(kSmallestStep, step / 2);
    lastGap = gap;
  }
  outcome.Warnings.push_back("The air of the zones that follow their exhaust did not settle in " +
                             std::to_string(kZoneAirRuns) + " runs: the last run changed it by " +
                             FormatFixed(100 * outcome.Change, 18, 4, '.') + " %.");
  return outcome;
}

}  // namespace quillmere
