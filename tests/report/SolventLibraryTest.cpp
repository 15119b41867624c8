// The solvent library: the shipped data against the normal boiling points it tabulates, the
// reading of a library file, and a solvent choice put into the input fields.
#include "report/SolventLibrary.h"

#include <gtest/gtest.h>

#include <cmath>
#include <map>
#include <set>
#include <string>

#include "base/Error.h"
#include "params/MemoryFieldTexts.h"

namespace quillmere {
namespace {

// The temperature at which a set gives 760 mmHg: T = B / (A − log10 760) − C [°C].
double AntoineBoilingPoint(const Solvent& s) {
  return *s.AntoineB.Value / (*s.AntoineA.Value - std::log10(760.0)) - *s.AntoineC.Value;
}

// Each Antoine set gives 760 mmHg within 0.5 °C of the tabulated normal boiling point where its
// range covers it. The one set that does not: Landolt-Börnstein's NMP set reaches 760 mmHg at
// 203.7 °C, 1.7 °C above the CRC's 202 °C (other sources give 202 to 204.3 °C); it is kept as
// the source gives it and named here, so that a change of either value shows.
TEST(ShippedSolvents, EachAntoineSetBoilsAtItsTabulatedNormalBoilingPoint) {
  const std::map<std::string, double> kKnownDeviations{{"NMP", 203.75}};
  const std::vector<Solvent> solvents = ShippedSolvents();
  ASSERT_EQ(solvents.size(), 18u);
  std::set<std::string> checked;
  for (const Solvent& s : solvents) {
    ASSERT_TRUE(s.BoilingPoint.Value) << s.Name;
    const double tb = *s.BoilingPoint.Value;
    if (tb < s.AntoineMin || tb > s.AntoineMax) continue;
    const double t = AntoineBoilingPoint(s);
    if (const auto known = kKnownDeviations.find(s.Name); known != kKnownDeviations.end()) {
      EXPECT_NEAR(t, known->second, 0.01) << s.Name;
      continue;
    }
    EXPECT_NEAR(t, tb, 0.5) << s.Name << " (" << s.BoilingPoint.Source << ")";
    checked.insert(s.Name);
  }
  // DMF (30–90 °C) and PGME (58–116 °C) do not reach their boiling points.
  EXPECT_EQ(checked.size(), 15u);
  EXPECT_FALSE(checked.contains("DMF"));
  EXPECT_FALSE(checked.contains("PGME"));
}

// Values as ../data/solvents.csv gives them, with their sources.
TEST(ShippedSolvents, CarryEachValueWithItsSource) {
  const SolventLibrary library(ShippedSolvents());
  const Solvent& ethylAcetate = *library.Find("ethyl ACETATE");
  EXPECT_EQ(ethylAcetate.Cas, "141-78-6");
  EXPECT_EQ(ethylAcetate.AntoineA.Text, "7.00871");
  EXPECT_EQ(ethylAcetate.AntoineA.Source, "Poling");
  EXPECT_EQ(ethylAcetate.MolecularWeight.Source, "ChemSep");
  EXPECT_EQ(*ethylAcetate.Lel.Value, 2.0);
  EXPECT_EQ(ethylAcetate.Lel.Source, "NFPA497");
  EXPECT_EQ(*ethylAcetate.Diffusivity.Value, 8.69e-6);
  const Solvent& water = *library.Find("Water");
  EXPECT_FALSE(water.Flammable);
  EXPECT_FALSE(water.FlashPoint.Value);
  const Solvent& pgme = *library.Find("PGME");
  EXPECT_FALSE(pgme.SpecificHeat.Value);  // not found: the field keeps its text
  EXPECT_FALSE(pgme.Lel.Value);
}

constexpr std::string_view kHeader =
    "name,cas,antoine_a,antoine_b,antoine_c,antoine_min_C,antoine_max_C,antoine_source,"
    "boiling_point_C,boiling_point_source,molecular_weight,molecular_weight_source,"
    "density_g_cm3,density_temperature_C,density_source,specific_heat_kJ_kgK,"
    "specific_heat_source,heat_of_vaporization_kJ_kg,heat_of_vaporization_source,"
    "diffusivity_m2_s,diffusivity_source,lel_percent,lel_source,flash_point_C,"
    "flash_point_source\n";

TEST(ParseSolventLibrary, RefusesALibraryNamingTheLineAndTheColumn) {
  struct Case {
    std::string text;
    std::string details;
  };
  const std::string good =
      "Xylol,1330-20-7,7,1450,213,30,150,mine,,,106.2,mine,,,,,,,,,,1.0,mine,,\n";
  const std::vector<Case> cases{
      {"# only a comment\n", "Line 1: it holds no header naming the columns."},
      {"name,cas\n", "Line 1: the header lacks the column \"antoine_a\"."},
      {std::string(kHeader) + "\n" + "Xylol,1330-20-7,7;1,1450,213,30,150,mine,,,106.2,mine\n",
       "Line 3: the column \"antoine_a\" holds \"7;1\", which is not a number written with \".\"."},
      {std::string(kHeader) + "Xylol,1330-20-7,7,1450,213,30,150,mine,,,,mine\n",
       "Line 2: the column \"molecular_weight\" is empty."},
      {std::string(kHeader) + good + "Xylol,x,7,1450,213,150,30,mine,,,106.2,mine\n",
       "Line 3: the Antoine range ends below its start."},
  };
  for (const Case& c : cases) {
    try {
      ParseSolventLibrary(c.text, "mine.csv");
      ADD_FAILURE() << c.text;
    } catch (const Error& e) {
      EXPECT_EQ(e.Kind(), ErrorKind::InputRefused);
      EXPECT_EQ(std::string(e.what()), "The solvent library \"mine.csv\" is not correct!");
      EXPECT_EQ(e.Details(), c.details);
    }
  }
  const std::vector<Solvent> read = ParseSolventLibrary(std::string(kHeader) + good, "mine.csv");
  ASSERT_EQ(read.size(), 1u);
  EXPECT_EQ(read[0].Library, "mine.csv");
}

// A user's entry replaces the shipped one of the same name, in any case.
TEST(SolventLibrary, ALaterEntryReplacesOneOfTheSameName) {
  SolventLibrary library(ShippedSolvents());
  library.Add(ParseSolventLibrary(
      std::string(kHeader) + "TOLUENE,108-88-3,7,1400,220,0,150,mine,,,92.1,mine\n", "mine.csv"));
  EXPECT_EQ(library.Entries().size(), 18u);
  EXPECT_EQ(library.Find("Toluene")->Library, "mine.csv");
  EXPECT_EQ(library.Files(), (std::vector<std::string>{"the shipped solvent library", "mine.csv"}));
}

TEST(ApplySolventChoice, FillsTheFixedConstantsAndWithThemTheProperties) {
  const SolventLibrary library(ShippedSolvents());
  MemoryFieldTexts fields(',');
  ApplySolventChoice(fields, 2, library.Find("Ethanol"), ',', false);
  EXPECT_EQ(fields.Text("Solvent2Name"), "Ethanol");
  EXPECT_EQ(fields.Text("Edit234"), "8,21185");  // A, B, C and the molecular weight
  EXPECT_EQ(fields.Text("Edit238"), "46,068");
  EXPECT_EQ(fields.Text("Edit231"), "1,80");  // the specific heat stays as it was
  ApplySolventChoice(fields, 2, library.Find("Ethanol"), ',', true);
  EXPECT_EQ(fields.Text("Edit231"), "2,438");
  EXPECT_EQ(fields.Text("Edit233"), "0,00001225");
  EXPECT_EQ(fields.Text("Edit237"), "0,7893");
  // PGME lacks a specific heat: that field keeps its text.
  ApplySolventChoice(fields, 2, library.Find("PGME"), ',', true);
  EXPECT_EQ(fields.Text("Edit231"), "2,438");
  // The pair as specified: every default back.
  ApplySolventChoice(fields, 2, nullptr, ',', true);
  EXPECT_EQ(fields.Text("Solvent2Name"), "as specified");
  for (const std::string& name : SolventFieldNames(2)) {
    EXPECT_EQ(fields.Text(name), MemoryFieldTexts(',').Text(name)) << name;
  }
}

TEST(ApplySolventNames, RefusesANameTheLibraryLacksWithTheClosestOnes) {
  const SolventLibrary library(ShippedSolvents());
  MemoryFieldTexts fields;
  fields.SetText("Solvent1Name", "Ethyl acetat");
  try {
    ApplySolventNames(library, fields, '.');
    ADD_FAILURE();
  } catch (const Error& e) {
    EXPECT_EQ(std::string(e.what()), "Solvent-1 \"Ethyl acetat\" is not in the solvent library!");
    EXPECT_EQ(e.Details().rfind("The closest names are \"Ethyl acetate\", ", 0), 0u) << e.Details();
  }
  fields.SetText("Solvent1Name", "methanol");
  ApplySolventNames(library, fields, '.');
  EXPECT_EQ(fields.Text("Edit224"), "8.07787");
  EXPECT_EQ(fields.Text("Edit221"), "2.30");  // a data file gives the properties
}

}  // namespace
}  // namespace quillmere
