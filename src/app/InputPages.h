// The field groups of the notebook's four pages, placed as the window shows them.
#pragma once

class QWidget;

namespace quillmere {

class FieldRowBuilder;

//! Page "Zone Cond. (1)": the groups "Zone 1" (start conditions and zone 1), "Zone 2",
//! "  Calculation Accuracy  " and "  Save File Name  ". The window adds the picture, the file
//! browser and the buttons.
void BuildFirstPageFields(QWidget& page, const FieldRowBuilder& rows);

//! Pages "Zone Cond. (2)" and "Zone Cond. (3)": six zone groups, `firstZone` to
//! `firstZone` + 5, in two columns of three.
void BuildZonePage(QWidget& page, int firstZone, const FieldRowBuilder& rows);

//! Page "General Cond.": the group "  General  " with its five inner groups.
void BuildGeneralPage(QWidget& page, const FieldRowBuilder& rows);

}  // namespace quillmere
