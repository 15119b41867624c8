#include "analysis/optimise/PlantDuty.h"

#include <algorithm>
#include <optional>

#include "analysis/CaseRun.h"
#include "analysis/plant/PlantFigures.h"
#include "base/Error.h"
#include "params/PlantInputs.h"

namespace quillmere {

std::optional<PlantDuty> PlantDutyOf(const PlantFigures& figures) {
  // An unknown %LEL or heat never counts as met: the setting has no duty.
  if (figures.Incomplete) return std::nullopt;
  PlantDuty duty;
  duty.TotalKw = figures.TotalHeat;
  for (const ZonePlant& zone : figures.Zones) {
    if (!zone.PercentLel || !zone.TotalHeat()) return std::nullopt;
    duty.Zones.push_back({*zone.PercentLel, zone.LimitPercent, *zone.TotalHeat(), zone.ExhaustSized,
                          zone.Exhaust.value_or(0.0),
                          std::max(zone.Molar[0], 0.0) + std::max(zone.Molar[1], 0.0)});
  }
  return duty;
}

PlantModel PlantModelOf(std::shared_ptr<const SolventLibrary> library) {
  PlantModel model;
  model.Request = [library](const FieldTexts& fields,
                            char decimalSeparator) -> std::optional<CaseRequest> {
    std::optional<PlantInputs> plant;
    try {
      plant = AcquirePlantInputs(fields, decimalSeparator);
    } catch (const Error&) {
      return std::nullopt;
    }
    if (!plant) return std::nullopt;
    return PlantCaseRequest(*library, fields, std::move(plant));
  };
  model.Duty = [](const CaseResult& run, const ParameterSet&) -> std::optional<PlantDuty> {
    return run.Figures ? PlantDutyOf(*run.Figures) : std::nullopt;
  };
  return model;
}

}  // namespace quillmere
