#include "params/FieldTable.h"

#include <algorithm>
#include <array>
#include <stdexcept>
#include <vector>

#include "base/EditDistance.h"
#include "base/Text.h"

namespace quillmere {
namespace {

constexpr int kZoneFields = static_cast<int>(kZoneQuantities.size());

struct ZoneQuantitySpec {
  std::string_view name;  // the quantity's name in ZoneConditions
  std::string_view caption;
  std::string_view unit;
  std::string_view defaultText;  // zones 1 and 2; zones 3 to 14 start empty
};

constexpr std::array<ZoneQuantitySpec, kZoneFields> kZoneQuantitySpecs{{
    {"OuterTemperature", "  Outer Temperature (℃)", "°C", "60.0"},
    {"ZoneLength", "  Zone Length (m)", "m", "30.0"},
    {"Solvent1Humidity", "  Solvent-1 Absolute Humidity", "kg/kg", "0.0"},
    {"Solvent2Humidity", "  Solvent-2 Absolute Humidity", "kg/kg", "0.0"},
    {"HeatTransferUpper", "  Heat Trans. Coeff. - Upper (kJ/m2.s.K)", "kJ/m2.s.K", "0.022"},
    {"HeatTransferLower", "  Heat Trans. Coeff. - Lower (kJ/m2.s.K)", "kJ/m2.s.K", "0.055"},
}};

FieldSpec Member(std::string_view name, std::string_view parameter, std::string_view caption,
                 std::string_view unit, std::string_view defaultText, FieldGroup group,
                 double ParameterSet::*member, bool enabled = true) {
  FieldSpec f;
  f.name = name;
  f.parameter = parameter;
  f.caption = caption;
  f.unit = unit;
  f.defaultText = defaultText;
  f.enabled = enabled;
  f.group = group;
  f.slot = FieldSlot::Member;
  f.member = member;
  return f;
}

FieldSpec ZoneField(std::string_view name, int zone, int index) {
  const ZoneQuantitySpec& q = kZoneQuantitySpecs[static_cast<std::size_t>(index)];
  FieldSpec f;
  f.name = name;
  f.caption = q.caption;
  f.unit = q.unit;
  f.defaultText = zone <= 2 ? q.defaultText : std::string_view{};
  f.group = FieldGroup::Zone;
  f.zone = zone;
  f.slot = FieldSlot::ZoneQuantity;
  f.zoneQuantity = kZoneQuantities[static_cast<std::size_t>(index)];
  return f;
}

// Names of the zone fields of zones 2 to 14 ("Edit21" ... "Edit146"), kept for the
// program's lifetime so that the table can hold views of them.
const std::array<std::string, (kMaxZones - 1) * kZoneFields>& FurtherZoneNames() {
  static const auto names = [] {
    std::array<std::string, (kMaxZones - 1) * kZoneFields> n;
    for (int zone = 2; zone <= kMaxZones; ++zone) {
      for (int i = 0; i < kZoneFields; ++i) {
        n[static_cast<std::size_t>((zone - 2) * kZoneFields + i)] = ZoneFieldName(zone, i);
      }
    }
    return n;
  }();
  return names;
}

std::vector<FieldSpec> BuildTable() {
  using P = ParameterSet;
  using G = FieldGroup;
  std::vector<FieldSpec> t;
  // Start conditions, in the group "Zone 1".
  t.push_back(Member("Edit1", "InitialCoatingWeight", "  Initial Coating Weight (kg/m2)", "kg/m2",
                     "0.0695", G::StartConditions, &P::InitialCoatingWeight));
  t.push_back(Member("Edit2", "BaseFilmWeight", "  Base Film Weight (kg/m2)", "kg/m2", "0.0685",
                     G::StartConditions, &P::BaseFilmWeight));
  t.push_back(Member("Edit3", "InitialSolidRatio", "  Initial Solid Weight Ratio", "", "0.18",
                     G::StartConditions, &P::InitialSolidRatio));
  t.push_back(Member("Edit4", "InitialSolvent1Ratio", "  Initial Solvent-1 Weight Ratio ", "",
                     "0.60", G::StartConditions, &P::InitialSolvent1Ratio));
  t.push_back(Member("Edit5", "InitialSolvent2Ratio", "  Initial Solvent-2 Weight Ratio", "",
                     "0.22", G::StartConditions, &P::InitialSolvent2Ratio));
  t.push_back(
      Member("Edit6", "Speed", "  Speed (m/s)", "m/s", "1.0", G::StartConditions, &P::Speed));
  {
    FieldSpec f;
    f.name = "Edit7";
    f.parameter = "InitialTemperature";
    f.caption = "  Initial Temperature (℃)";
    f.unit = "°C";
    f.defaultText = "15.0";
    f.group = G::StartConditions;
    f.slot = FieldSlot::InitialTemperature;
    t.push_back(f);
  }
  static constexpr std::array<std::string_view, kZoneFields> kZone1Names{
      "Edit8", "Edit9", "Edit10", "Edit11", "Edit12", "Edit13"};
  for (int i = 0; i < kZoneFields; ++i) {
    t.push_back(ZoneField(kZone1Names[static_cast<std::size_t>(i)], 1, i));
  }
  // Fitting parameters.
  t.push_back(Member("Edit201", "Wi", "  Drying Speed Correction Factor Wi", "", "0.3", G::Fitting,
                     &P::Wi));
  t.push_back(Member("Edit202", "We", "  Drying Speed Correction Factor We", "", "0.1", G::Fitting,
                     &P::We));
  t.push_back(Member("Edit203", "Wx", "  Drying Speed Correction Factor Wx", "", "0.2", G::Fitting,
                     &P::Wx));
  t.push_back(Member("Edit204", "Wy", "  Drying Speed Correction Factor Wy", "", "0.5", G::Fitting,
                     &P::Wy));
  t.push_back(Member("Edit205", "Keff", "  Dryer Efficiency Parameter Keff", "", "0.3", G::Fitting,
                     &P::Keff));
  t.push_back(
      Member("Edit206", "Chi1p", "  Interaction Parameter χ1p", "", "0.01", G::Fitting, &P::Chi1p));
  t.push_back(
      Member("Edit207", "Chi2p", "  Interaction Parameter χ2p", "", "0.5", G::Fitting, &P::Chi2p));
  t.push_back(
      Member("Edit208", "Chi12", "  Interaction Parameter χ12", "", "0.5", G::Fitting, &P::Chi12));
  // Polymer.
  t.push_back(Member("Edit211", "PolymerSpecificHeat", "  Specific Heat (kJ/kg.K)", "kJ/kg.K",
                     "1.47", G::Polymer, &P::PolymerSpecificHeat));
  t.push_back(Member("Edit212", "PolymerDensity", "  Density (g/cm3)", "g/cm3", "1.4", G::Polymer,
                     &P::PolymerDensity));
  // Solvent-1; the Antoine constants and the molecular weight are fixed.
  constexpr std::string_view kVaporPressure = "  Vapor Pressure (mmHg)  log10 Ps = ";
  t.push_back(Member("Edit221", "Solvent1SpecificHeat", "  Specific Heat of Solvent-1 (kJ/kg.K)",
                     "kJ/kg.K", "2.30", G::Solvent1, &P::Solvent1SpecificHeat));
  t.push_back(Member("Edit222", "Solvent1HeatOfVaporization",
                     "  Heat of Vaporization of Solvent-1 (kJ/kg)", "kJ/kg", "460.0", G::Solvent1,
                     &P::Solvent1HeatOfVaporization));
  t.push_back(Member("Edit223", "Solvent1Diffusivity",
                     "  Diffusion Coefficient of Solvent-1 in Air (m2/s)", "m2/s", "0.00000903",
                     G::Solvent1, &P::Solvent1Diffusivity));
  t.push_back(Member("Edit224", "Solvent1AntoineA", kVaporPressure, "", "6.38469", G::Solvent1,
                     &P::Solvent1AntoineA, false));
  t.push_back(Member("Edit225", "Solvent1AntoineB", "", "", "916.01", G::Solvent1,
                     &P::Solvent1AntoineB, false));
  t.push_back(Member("Edit226", "Solvent1AntoineC", "", "", "181.84", G::Solvent1,
                     &P::Solvent1AntoineC, false));
  t.push_back(Member("Edit227", "Solvent1Density", "  Density (g/cm3)", "g/cm3", "0.806",
                     G::Solvent1, &P::Solvent1Density));
  t.push_back(Member("Edit228", "Solvent1MolecularWeight", "  Molecular Weight", "", "72.1",
                     G::Solvent1, &P::Solvent1MolecularWeight, false));
  // Solvent-2.
  t.push_back(Member("Edit231", "Solvent2SpecificHeat", "  Specific Heat of Solvent-2 (kJ/kg.K)",
                     "kJ/kg.K", "1.80", G::Solvent2, &P::Solvent2SpecificHeat));
  t.push_back(Member("Edit232", "Solvent2HeatOfVaporization",
                     "  Heat of Vaporization of Solvent-2 (kJ/kg)", "kJ/kg", "398.0", G::Solvent2,
                     &P::Solvent2HeatOfVaporization));
  t.push_back(Member("Edit233", "Solvent2Diffusivity",
                     "  Diffusion Coefficient of Solvent-2 in Air (m2/s)", "m2/s", "0.00000849",
                     G::Solvent2, &P::Solvent2Diffusivity));
  t.push_back(Member("Edit234", "Solvent2AntoineA", kVaporPressure, "", "6.95464", G::Solvent2,
                     &P::Solvent2AntoineA, false));
  t.push_back(Member("Edit235", "Solvent2AntoineB", "", "", "1344.8", G::Solvent2,
                     &P::Solvent2AntoineB, false));
  t.push_back(Member("Edit236", "Solvent2AntoineC", "", "", "219.482", G::Solvent2,
                     &P::Solvent2AntoineC, false));
  t.push_back(Member("Edit237", "Solvent2Density", "  Density (g/cm3)", "g/cm3", "0.866",
                     G::Solvent2, &P::Solvent2Density));
  t.push_back(Member("Edit238", "Solvent2MolecularWeight", "  Molecular Weight", "", "92.1",
                     G::Solvent2, &P::Solvent2MolecularWeight, false));
  // Base film, then the calculation accuracy.
  t.push_back(Member("Edit241", "BaseFilmSpecificHeat", "  Specific Heat of Base Film (kJ/kg.K)",
                     "kJ/kg.K", "1.26", G::BaseFilm, &P::BaseFilmSpecificHeat));
  t.push_back(Member("Edit20", "IncrementZ", "  Increment of z (m)", "m", "0.1", G::Accuracy,
                     &P::IncrementZ));
  {
    FieldSpec f;
    f.name = "Edit250";
    f.parameter = "SaveFileName";
    f.defaultText = "result.txt";
    f.group = G::SaveFile;
    f.slot = FieldSlot::SaveFileName;
    t.push_back(f);
  }
  // Zones 2 to 14.
  const auto& names = FurtherZoneNames();
  for (int zone = 2; zone <= kMaxZones; ++zone) {
    for (int i = 0; i < kZoneFields; ++i) {
      t.push_back(
          ZoneField(names[static_cast<std::size_t>((zone - 2) * kZoneFields + i)], zone, i));
    }
  }
  return t;
}

}  // namespace

std::span<const FieldSpec> AllFields() {
  static const std::vector<FieldSpec> table = BuildTable();
  return table;
}

const FieldSpec* FindField(std::string_view name) {
  const auto fields = AllFields();
  const auto it = std::find_if(fields.begin(), fields.end(),
                               [name](const FieldSpec& f) { return f.name == name; });
  return it == fields.end() ? nullptr : &*it;
}

std::string InputName(const FieldSpec& field) {
  if (field.slot != FieldSlot::ZoneQuantity) return std::string(field.parameter);
  for (std::size_t i = 0; i < kZoneQuantities.size(); ++i) {
    if (kZoneQuantities[i] == field.zoneQuantity) {
      return "Zone" + std::to_string(field.zone) + "." + std::string(kZoneQuantitySpecs[i].name);
    }
  }
  throw std::logic_error("Field " + std::string(field.name) + " has no zone quantity");
}

const FieldSpec* FindInput(std::string_view name) {
  for (const FieldSpec& field : AllFields()) {
    if (SameIgnoringCase(field.name, name) || SameIgnoringCase(InputName(field), name)) {
      return &field;
    }
  }
  return nullptr;
}

std::vector<std::string> ClosestInputNames(std::string_view name, std::size_t count) {
  std::vector<std::pair<std::size_t, std::string>> ranked;
  for (const FieldSpec& field : AllFields()) {
    for (std::string candidate : {InputName(field), std::string(field.name)}) {
      ranked.emplace_back(EditDistance(name, candidate), std::move(candidate));
    }
  }
  std::stable_sort(ranked.begin(), ranked.end(),
                   [](const auto& a, const auto& b) { return a.first < b.first; });
  std::vector<std::string> closest;
  for (std::size_t i = 0; i < ranked.size() && closest.size() < count; ++i) {
    closest.push_back(ranked[i].second);
  }
  return closest;
}

std::string FieldCaption(const FieldSpec& field) {
  std::string_view caption = field.caption;
  const std::size_t start = caption.find_first_not_of(' ');
  caption = start == std::string_view::npos
                ? std::string_view{}
                : caption.substr(start, caption.find_last_not_of(' ') - start + 1);
  if (caption.empty() || caption.starts_with("Vapor Pressure")) return InputName(field);
  std::string text(caption);
  const auto add = [&text](std::string_view owner) {
    if (text.find(owner) == std::string::npos) text += " of " + std::string(owner);
  };
  switch (field.group) {
    case FieldGroup::Zone:
      text += " of zone " + std::to_string(field.zone);
      break;
    case FieldGroup::Polymer:
      add("Polymer");
      break;
    case FieldGroup::Solvent1:
      add("Solvent-1");
      break;
    case FieldGroup::Solvent2:
      add("Solvent-2");
      break;
    default:
      break;
  }
  return text;
}

std::string ZoneFieldName(int zone, int index) {
  if (zone == 1) return "Edit" + std::to_string(8 + index);
  return "Edit" + std::to_string(10 * zone + 1 + index);
}

std::string DefaultText(const FieldSpec& field, char decimalSeparator) {
  std::string text(field.defaultText);
  if (field.slot != FieldSlot::SaveFileName) {
    std::replace(text.begin(), text.end(), '.', decimalSeparator);
  }
  return text;
}

double& ValueSlot(const FieldSpec& field, ParameterSet& params, double& initialTemperature) {
  switch (field.slot) {
    case FieldSlot::Member:
      return params.*field.member;
    case FieldSlot::ZoneQuantity:
      return (params.Zones.*field.zoneQuantity)[field.zone];
    case FieldSlot::InitialTemperature:
      return initialTemperature;
    case FieldSlot::SaveFileName:
      break;
  }
  throw std::logic_error("Field " + std::string(field.name) + " holds no number");
}

double StoredValue(const FieldSpec& field, const ParameterSet& params, double initialTemperature) {
  return ValueSlot(field, const_cast<ParameterSet&>(params), initialTemperature);
}

}  // namespace quillmere
