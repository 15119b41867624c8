#include "analysis/optimise/PlantDuty.h"

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
        PlantFigures figures;
        try {
          figures = PlantFiguresOf(params, *plant, solvents, state, record);
        } catch (const Error&) {
          return std::nullopt;  // figures that are not finite: the setting is infeasible
        }
        // An unknown %LEL or heat never counts as met: the setting has no duty.
        if (figures.Incomplete) return std::nullopt;
        PlantDuty duty;
        duty.TotalKw = figures.TotalHeat;
        for (const ZonePlant& zone : figures.Zones) {
          if (!zone.PercentLel || !zone.TotalHeat()) return std::nullopt;
          duty.Zones.push_back(
              {*zone.PercentLel, zone.LimitPercent, *zone.TotalHeat(), zone.ExhaustSized});
        }
        return duty;
      };
}

}  // namespace quillmere
