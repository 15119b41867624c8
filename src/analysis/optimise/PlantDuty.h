// The plant figures the optimiser's LEL and energy limits read: each zone's %LEL against its
// own limit and the heat it takes, computed from a finished run by the plant figures of the
// run's solvents and plant inputs, which the case of each setting computes.
#pragma once

#include <memory>
#include <optional>

#include "analysis/optimise/OptimiseProblem.h"
#include "analysis/plant/PlantFigures.h"
#include "report/SolventLibrary.h"

namespace quillmere {

//! The plant model of an optimisation: the figures of the solvents the fields name in
//! `library` (read when the model is called, so that the caller may fill it after the data
//! file is loaded) and the plant inputs the fields hold. nullopt for a setting without plant
//! inputs (no web width), with plant inputs that are refused, where a zone's %LEL or heat is
//! unknown (a solvent without a known LEL, an exhaust that cannot be sized) or where a figure
//! is not finite: such a setting cannot be shown to meet an LEL limit.
PlantModel PlantModelOf(std::shared_ptr<const SolventLibrary> library);

//! What a finished case's plant figures mean for the limits: each zone's %LEL, its limit and
//! its heat, and the total heat. nullopt where solvent evaporates in a zone whose mixture has
//! no known LEL.
std::optional<PlantDuty> PlantDutyOf(const PlantFigures& figures);

}  // namespace quillmere
