#include "params/FieldTable.h"

#include <gtest/gtest.h>

#include <set>
#include <string>
#include <vector>

namespace quillmere {
namespace {

TEST(FieldTable, HoldsEveryInputOnceInTheOrderAcquisitionReadsThem) {
  const auto fields = AllFields();
  EXPECT_EQ(fields.size(), 41u + 1u + 13u * 6u);
  std::set<std::string_view> names;
  for (const FieldSpec& field : fields) names.insert(field.name);
  EXPECT_EQ(names.size(), fields.size());
  EXPECT_EQ(fields.front().name, "Edit1");
  EXPECT_EQ(fields[13].name, "Edit201");
  EXPECT_EQ(fields[40].name, "Edit20");
  EXPECT_EQ(fields[41].name, "Edit250");
  EXPECT_EQ(fields.back().name, "Edit146");
  EXPECT_EQ(FindField("Edit147"), nullptr);
}

TEST(FieldTable, ZoneFieldsAreNumberedByZone) {
  EXPECT_EQ(ZoneFieldName(1, 0), "Edit8");
  EXPECT_EQ(ZoneFieldName(1, 5), "Edit13");
  EXPECT_EQ(ZoneFieldName(2, 0), "Edit21");
  EXPECT_EQ(ZoneFieldName(9, 2), "Edit93");
  EXPECT_EQ(ZoneFieldName(14, 5), "Edit146");
  const FieldSpec& zone9 = *FindField("Edit94");
  EXPECT_EQ(zone9.zone, 9);
  EXPECT_EQ(zone9.zoneQuantity, &ZoneConditions::Solvent2Humidity);
  EXPECT_EQ(zone9.caption, "  Solvent-2 Absolute Humidity");
}

TEST(FieldTable, OnlyTheAntoineConstantsAndMolecularWeightsAreDisabled) {
  std::set<std::string_view> disabled;
  for (const FieldSpec& field : AllFields()) {
    if (!field.enabled) disabled.insert(field.name);
  }
  EXPECT_EQ(disabled, (std::set<std::string_view>{"Edit224", "Edit225", "Edit226", "Edit228",
                                                  "Edit234", "Edit235", "Edit236", "Edit238"}));
}

TEST(FieldTable, DefaultsAreShownWithTheUsersDecimalSeparator) {
  EXPECT_EQ(DefaultText(*FindField("Edit1"), '.'), "0.0695");
  EXPECT_EQ(DefaultText(*FindField("Edit1"), ','), "0,0695");
  EXPECT_EQ(DefaultText(*FindField("Edit223"), ','), "0,00000903");
  EXPECT_EQ(DefaultText(*FindField("Edit250"), ','), "result.txt");
  EXPECT_EQ(DefaultText(*FindField("Edit22"), ','), "30,0");
  EXPECT_EQ(DefaultText(*FindField("Edit31"), '.'), "");
}

// Every caption, default text and enabled state as the window shows them, written out here
// rather than taken from the table, so that a change to the table cannot pass unseen.
TEST(FieldTable, CaptionsDefaultsAndNamesAreTheWindowsOwn) {
  struct Expected {
    std::string_view field, caption, defaultText, inputName;
    bool enabled = true;
  };
  const Expected expected[] = {
      {"Edit1", "  Initial Coating Weight (kg/m2)", "0.0695", "InitialCoatingWeight"},
      {"Edit2", "  Base Film Weight (kg/m2)", "0.0685", "BaseFilmWeight"},
      {"Edit3", "  Initial Solid Weight Ratio", "0.18", "InitialSolidRatio"},
      {"Edit4", "  Initial Solvent-1 Weight Ratio ", "0.60", "InitialSolvent1Ratio"},
      {"Edit5", "  Initial Solvent-2 Weight Ratio", "0.22", "InitialSolvent2Ratio"},
      {"Edit6", "  Speed (m/s)", "1.0", "Speed"},
      {"Edit7", "  Initial Temperature (℃)", "15.0", "InitialTemperature"},
      {"Edit20", "  Increment of z (m)", "0.1", "IncrementZ"},
      {"Edit250", "", "result.txt", "SaveFileName"},
      {"Edit201", "  Drying Speed Correction Factor Wi", "0.3", "Wi"},
      {"Edit202", "  Drying Speed Correction Factor We", "0.1", "We"},
      {"Edit203", "  Drying Speed Correction Factor Wx", "0.2", "Wx"},
      {"Edit204", "  Drying Speed Correction Factor Wy", "0.5", "Wy"},
      {"Edit205", "  Dryer Efficiency Parameter Keff", "0.3", "Keff"},
      {"Edit206", "  Interaction Parameter χ1p", "0.01", "Chi1p"},
      {"Edit207", "  Interaction Parameter χ2p", "0.5", "Chi2p"},
      {"Edit208", "  Interaction Parameter χ12", "0.5", "Chi12"},
      {"Edit211", "  Specific Heat (kJ/kg.K)", "1.47", "PolymerSpecificHeat"},
      {"Edit212", "  Density (g/cm3)", "1.4", "PolymerDensity"},
      {"Edit221", "  Specific Heat of Solvent-1 (kJ/kg.K)", "2.30", "Solvent1SpecificHeat"},
      {"Edit222", "  Heat of Vaporization of Solvent-1 (kJ/kg)", "460.0",
       "Solvent1HeatOfVaporization"},
      {"Edit223", "  Diffusion Coefficient of Solvent-1 in Air (m2/s)", "0.00000903",
       "Solvent1Diffusivity"},
      {"Edit224", "  Vapor Pressure (mmHg)  log10 Ps = ", "6.38469", "Solvent1AntoineA", false},
      {"Edit225", "", "916.01", "Solvent1AntoineB", false},
      {"Edit226", "", "181.84", "Solvent1AntoineC", false},
      {"Edit227", "  Density (g/cm3)", "0.806", "Solvent1Density"},
      {"Edit228", "  Molecular Weight", "72.1", "Solvent1MolecularWeight", false},
      {"Edit231", "  Specific Heat of Solvent-2 (kJ/kg.K)", "1.80", "Solvent2SpecificHeat"},
      {"Edit232", "  Heat of Vaporization of Solvent-2 (kJ/kg)", "398.0",
       "Solvent2HeatOfVaporization"},
      {"Edit233", "  Diffusion Coefficient of Solvent-2 in Air (m2/s)", "0.00000849",
       "Solvent2Diffusivity"},
      {"Edit234", "  Vapor Pressure (mmHg)  log10 Ps = ", "6.95464", "Solvent2AntoineA", false},
      {"Edit235", "", "1344.8", "Solvent2AntoineB", false},
      {"Edit236", "", "219.482", "Solvent2AntoineC", false},
      {"Edit237", "  Density (g/cm3)", "0.866", "Solvent2Density"},
      {"Edit238", "  Molecular Weight", "92.1", "Solvent2MolecularWeight", false},
      {"Edit241", "  Specific Heat of Base Film (kJ/kg.K)", "1.26", "BaseFilmSpecificHeat"},
  };
  const Expected zone[] = {
      {"", "  Outer Temperature (℃)", "60.0", "OuterTemperature"},
      {"", "  Zone Length (m)", "30.0", "ZoneLength"},
      {"", "  Solvent-1 Absolute Humidity", "0.0", "Solvent1Humidity"},
      {"", "  Solvent-2 Absolute Humidity", "0.0", "Solvent2Humidity"},
      {"", "  Heat Trans. Coeff. - Upper (kJ/m2.s.K)", "0.022", "HeatTransferUpper"},
      {"", "  Heat Trans. Coeff. - Lower (kJ/m2.s.K)", "0.055", "HeatTransferLower"},
  };
  std::size_t checked = 0;
  for (const Expected& e : expected) {
    const FieldSpec* field = FindField(e.field);
    ASSERT_NE(field, nullptr) << e.field;
    EXPECT_EQ(field->caption, e.caption) << e.field;
    EXPECT_EQ(field->defaultText, e.defaultText) << e.field;
    EXPECT_EQ(field->enabled, e.enabled) << e.field;
    EXPECT_EQ(InputName(*field), e.inputName) << e.field;
    EXPECT_EQ(FindInput(e.inputName), field) << e.field;
    ++checked;
  }
  for (int z = 1; z <= kMaxZones; ++z) {
    // Zone 1 in Edit8 to Edit13, zone k in Edit(10k+1) to Edit(10k+6).
    for (int i = 0; i < 6; ++i) {
      const std::string name = "Edit" + std::to_string(z == 1 ? 8 + i : 10 * z + 1 + i);
      const FieldSpec* field = FindField(name);
      ASSERT_NE(field, nullptr) << name;
      EXPECT_EQ(field->caption, zone[i].caption) << name;
      EXPECT_EQ(field->defaultText, z <= 2 ? zone[i].defaultText : "") << name;
      EXPECT_TRUE(field->enabled) << name;
      const std::string inputName =
          "Zone" + std::to_string(z) + "." + std::string(zone[i].inputName);
      EXPECT_EQ(InputName(*field), inputName);
      EXPECT_EQ(FindInput(inputName), field);
      ++checked;
    }
  }
  EXPECT_EQ(checked, AllFields().size());
}

TEST(FieldTable, FindsInputsByTheirNamesInAnyCaseAndSuggestsCloseOnes) {
  EXPECT_EQ(FindInput("speed"), FindField("Edit6"));
  EXPECT_EQ(FindInput("zone3.outertemperature"), FindField("Edit31"));
  EXPECT_EQ(FindInput("EDIT31"), FindField("Edit31"));
  EXPECT_EQ(FindInput("Zone15.ZoneLength"), nullptr);
  EXPECT_EQ(FindInput("Sped"), nullptr);
  EXPECT_EQ(ClosestInputNames("Sped", 1), std::vector<std::string>{"Speed"});
  EXPECT_EQ(ClosestInputNames("Zone3.OuterTemprature", 1),
            std::vector<std::string>{"Zone3.OuterTemperature"});
  EXPECT_EQ(ClosestInputNames("keff", 1), std::vector<std::string>{"Keff"});
}

}  // namespace
}  // namespace quillmere

namespace quillmere {
namespace {

TEST(FieldCaption, TellsWhichFieldEvenWhereCaptionsRepeat) {
  const std::pair<const char*, const char*> cases[] = {
      {"Edit6", "Speed (m/s)"},
      {"Edit4", "Initial Solvent-1 Weight Ratio"},  // the caption's trailing blank dropped
      {"Edit212", "Density (g/cm3) of Polymer"},
      {"Edit227", "Density (g/cm3) of Solvent-1"},
      {"Edit237", "Density (g/cm3) of Solvent-2"},
      {"Edit221", "Specific Heat of Solvent-1 (kJ/kg.K)"},
      {"Edit238", "Molecular Weight of Solvent-2"},
      {"Edit224", "Solvent1AntoineA"},
      {"Edit235", "Solvent2AntoineB"},
      {"Edit9", "Zone Length (m) of zone 1"},
      {"Edit141", "Outer Temperature (℃) of zone 14"},
      {"Edit205", "Dryer Efficiency Parameter Keff"},
  };
  for (const auto& [name, caption] : cases) {
    EXPECT_EQ(FieldCaption(*FindField(name)), caption) << name;
  }
}

}  // namespace
}  // namespace quillmere
