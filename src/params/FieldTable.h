// The one declarative table of the input fields: name, caption, unit, default text, enabled
// state, where the field stands and where its value goes. The window builds its rows from it,
// input acquisition reads the fields in its order, the data file and the command-line front
// end address fields through it.
#pragma once

#include <span>
#include <string>
#include <string_view>
#include <vector>

#include "params/ParameterSet.h"

namespace quillmere {

//! The group box a field stands in.
enum class FieldGroup {
  StartConditions,  //!< Edit1 to Edit7, in the group "Zone 1"
  Zone,             //!< the six conditions of a zone, in the group "Zone n"
  Accuracy,         //!< "  Calculation Accuracy  "
  SaveFile,         //!< "  Save File Name  "
  Fitting,          //!< "Fitting Parameter"
  Polymer,          //!< "  Solid (Polymer)"
  Solvent1,         //!< "  Solvent-1 "
  Solvent2,         //!< "  Solvent-2  "
  BaseFilm,         //!< "  Base Film  "
};

//! Where a converted field value is stored.
enum class FieldSlot {
  Member,              //!< a double of the ParameterSet
  ZoneQuantity,        //!< one element of a zone condition array
  InitialTemperature,  //!< the web's entry temperature, kept by the simulation
  SaveFileName,        //!< text, stored unconverted
};

struct FieldSpec {
  std::string_view name;         //!< "Edit1" ... "Edit250"
  std::string_view parameter;    //!< the input's name in the set ("Speed"); "" for zone fields
  std::string_view caption;      //!< caption as the window shows it, blanks included
  std::string_view unit;         //!< unit of the value, "" where it has none
  std::string_view defaultText;  //!< default text with "." as decimal separator
  bool enabled = true;           //!< false for the eight fixed constants
  FieldGroup group = FieldGroup::StartConditions;
  int zone = 0;  //!< 1 to 14 for zone fields, 0 otherwise
  FieldSlot slot = FieldSlot::Member;
  double ParameterSet::*member = nullptr;                     //!< for FieldSlot::Member
  ZoneArray<double> ZoneConditions::*zoneQuantity = nullptr;  //!< for FieldSlot::ZoneQuantity
};

//! Every input field, in the order in which acquisition reads them: the general block
//! (Edit1 to Edit13, Edit201 to Edit241, Edit20), the save file name Edit250, then the six
//! fields of each zone 2 to 14.
std::span<const FieldSpec> AllFields();

//! The field of that name, or nullptr.
const FieldSpec* FindField(std::string_view name);

//! The name users address an input by: its name in the set ("Speed", "Keff",
//! "InitialTemperature", "SaveFileName"), or for a zone's condition the zone and the
//! quantity ("Zone3.OuterTemperature").
std::string InputName(const FieldSpec& field);

//! What a message calls a field: its caption without the surrounding blanks, with what the
//! window shows it under where the caption alone does not tell ("Density (g/cm3) of
//! Solvent-1", "Zone Length (m) of zone 5"), and the input name for the vapour pressure
//! constants, which have no caption of their own.
std::string FieldCaption(const FieldSpec& field);

//! The field that an input name (as InputName gives it, or the field's own name "Edit31")
//! stands for, in any mix of upper and lower case; nullptr when none does.
const FieldSpec* FindInput(std::string_view name);

//! The input names (and field names) closest to a name that is none, closest first: for a
//! "did you mean" when a name is misspelt.
std::vector<std::string> ClosestInputNames(std::string_view name, std::size_t count = 3);

//! Name of the field of zone `zone` (1 to 14) that holds condition `index` (0 = outer
//! temperature ... 5 = lower heat transfer coefficient): Edit8..Edit13 for zone 1,
//! Edit(10k+1+index) for zone k.
std::string ZoneFieldName(int zone, int index);

//! A field's default text as the window shows it: "." replaced by the user's decimal
//! separator, so that the defaults convert in every locale.
std::string DefaultText(const FieldSpec& field, char decimalSeparator);

//! The value that acquisition stored for a numeric field; the initial temperature has no
//! place in the set and is passed in from where it was stored. Not for Edit250.
double StoredValue(const FieldSpec& field, const ParameterSet& params, double initialTemperature);

//! The place where acquisition stores a numeric field's value: a member of the set, or
//! `initialTemperature` for Edit7. Not for Edit250.
double& ValueSlot(const FieldSpec& field, ParameterSet& params, double& initialTemperature);

}  // namespace quillmere
