#include "analysis/optimise/PlantDuty.h"

#include <algorithm>
#include <array>
#include <optional>

#include "analysis/plant/PlantFigures.h"
#include "analysis/plant/PlantReport.h"
#include "base/Error.h"
#include "params/PlantInputs.h"

namespace quillmere {

PlantModel PlantModelOf(std::shared_ptr<const SolventLibrary> library) {
  return
      [library](const FieldTexts& fields, char decimalSeparator, const ParameterSet& params,
                const SimulationState& state, const RunRecord& record) -> std::optional<PlantDuty> {
        std::optional<PlantInputs> plant;
        try {
          plant = AcquirePlantInputs(fields, decimalSeparator);
        } catch (const Error&) {
          return std::nullopt;
        }
        if (!plant) return std::nullopt;
        const std::array<PlantSolvent, 2> solvents = PlantSolventsOf(*library, fields);
        const PlantFigures figures = PlantFiguresOf(params, *plant, solvents, state, record);
        PlantDuty duty;
        duty.TotalKw = figures.TotalHeat;
        for (const ZonePlant& zone : figures.Zones) {
          const bool evaporates = zone.Molar[0] + zone.Molar[1] > 0;
          if (evaporates && !zone.PercentLel) return std::nullopt;
          duty.Zones.push_back({zone.PercentLel.value_or(0.0), zone.LimitPercent, zone.TotalHeat(),
                                zone.ExhaustSized, zone.Exhaust,
                                std::max(zone.Molar[0], 0.0) + std::max(zone.Molar[1], 0.0)});
        }
        return duty;
      };
}

}  // namespace quillmere
