// Page "Solvents and Plant": the choice of Solvent-1 and Solvent-2 from the solvent library
// (with each one's LEL and flash point), the plant inputs and each zone's exhaust air.
#pragma once

#include "app/WindowLook.h"

class QWidget;

namespace quillmere {

class LineEditFieldTexts;
class SolventLibrary;

//! Builds the page's groups on `page` and registers its fields in `fields` under the plant
//! inputs' names ("Solvent1Name", "WebWidth", "Zone3.Exhaust"). Choosing a solvent fills its
//! fixed constants and its properties on page "General Cond." (ApplySolventChoice); a name
//! put into the hidden name field (by a data file) shows in the choice. `library` must
//! outlive the page.
void BuildSolventPlantPage(QWidget& page, const WindowLook& look, char decimalSeparator,
                           LineEditFieldTexts& fields, const SolventLibrary& library);

}  // namespace quillmere
