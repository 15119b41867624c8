// The plant figures as the user reads them: the solvents in force, the zone table for the run's
// summary, a CSV of the zones and the JSON members the run's JSON adds.
#pragma once

#include <array>
#include <optional>
#include <string>
#include <vector>

#include "analysis/plant/PlantFigures.h"
#include "params/FieldTexts.h"
#include "report/SolventLibrary.h"

namespace quillmere {

//! The two solvents the fields name, as the plant figures take them: the LEL and whether it
//! burns from the library's entry (for the pair as specified, the solvents it matches), the
//! range of the Antoine constants of a solvent chosen from the library.
std::array<PlantSolvent, 2> PlantSolventsOf(const SolventLibrary& library,
                                            const FieldTexts& fields);

//! What the summary says first of all: "Solvent-1: Ethyl acetate (141-78-6), LEL 2.0 %, flash
//! point -4 °C", one line for each solvent.
std::string SolventLines(const SolventLibrary& library, const FieldTexts& fields);

//! The zone table and the line's totals, for the run's summary, with `separator`: each zone's
//! air temperature, solvent evaporated, LEL of the mixture, exhaust (sized ones marked "*"),
//! %LEL against its limit, least exhaust, Qweb (its latent part), Qair and the total, a figure
//! that cannot be formed reading "unknown"; then the totals (marked "+" where incomplete), and
//! that casing losses and fan heat are not included.
std::string PlantSummaryText(const PlantFigures& figures, const PlantInputs& plant, char separator);

//! The zones as CSV, "." decimals, one line a zone, a header naming each column with its unit;
//! an unknown value is an empty field.
std::string PlantZonesCsv(const PlantFigures& figures);

//! The JSON members the run's JSON adds, as the text of one object: "solvents" (name, CAS
//! number, LEL, flash point, Antoine range, the library) and, when the plant inputs are
//! given, "plant" (the inputs, each zone's figures, the totals, the warnings). An unknown
//! figure is null, never 0; incomplete totals are null with the known part beside them.
std::string PlantJsonMembers(const SolventLibrary& library, const FieldTexts& fields,
                             const std::optional<PlantInputs>& plant,
                             const std::optional<PlantFigures>& figures);

}  // namespace quillmere
