#include "params/FieldTable.h"

#include <gtest/gtest.h>

#include <set>
#include <string>

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
