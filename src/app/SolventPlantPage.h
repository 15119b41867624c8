// Page "Solvents and Plant": the choice of Solvent-1 and Solvent-2 from the solvent library
// (with each one's LEL and flash point), the plant inputs and each zone's exhaust air.
#pragma once

#include "app/WindowLook.h"

class QWidget;

namespace quillmere {

class LineEditFieldTexts;
class SolventLibrary;
class UserMessages;

//! Builds the page's groups on `page` and registers its fields in `fields` under the plant
//! inputs' names ("Solvent1Name", "WebWidth", "Zone3.Exhaust"). Choosing a solvent fills its
//! fixed constants and its properties on page "General Cond." (ApplySolventChoice); a name
//! put into the hidden name field (by a data file) shows in the choice. A solvent that lacks a
//! property a run needs is refused in `messages` (RequireRunProperties) and the choice stays
//! as it was. `library` and `messages` must outlive the page.
void BuildSolventPlantPage(QWidget& page, const WindowLook& look, char decimalSeparator,
                           LineEditFieldTexts& fields, const SolventLibrary& library,
                           UserMessages& messages);

}  // namespace quillmere
