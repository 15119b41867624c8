// The solvent library: the shipped data against the normal boiling points it tabulates, the
// reading of a library file, and a solvent choice put into the input fields.
#include "report/SolventLibrary.h"

#include <gtest/gtest.h>

#include <cmath>
#include <map>
#include <set>
#include <string>

#include "SolventLibraryText.h"
#include "base/Error.h"
#include "params/MemoryFieldTexts.h"

namespace quillmere {
namespace {

// The temperature at which a set gives 760 mmHg: T = B / (A − log10 760) − C [°C].
double AntoineBoilingPoint(const Solvent& s) {
  return *s.AntoineB.Value / (*s.AntoineA.Value - std::log10(760.0)) - *s.AntoineC.Value;
}

// Each Antoine set gives 760 mmHg within 0.5 °C of the tabulated normal boiling point where its
// range covers it, every one of them.
TEST(ShippedSolvents, EachAntoineSetBoilsAtItsTabulatedNormalBoilingPoint) {
  const std::vector<Solvent> solvents = ShippedSolvents();
  ASSERT_EQ(solvents.size(), 18u);
  std::set<std::string> checked;
  for (const Solvent& s : solvents) {
    ASSERT_TRUE(s.BoilingPoint.Value) << s.Name;
    const double tb = *s.BoilingPoint.Value;
    if (tb < s.AntoineMin || tb > s.AntoineMax) continue;
    EXPECT_NEAR(AntoineBoilingPoint(s), tb, 0.5) << s.Name << " (" << s.BoilingPoint.Source << ")";
    checked.insert(s.Name);
  }
  // NMP's set is taken only to 190 °C (it boils at 203.8 °C by it); PGME's reaches 116 °C.
  EXPECT_EQ(checked.size(), 16u);
  EXPECT_TRUE(checked.contains("DMF"));
  EXPECT_FALSE(checked.contains("NMP"));
  EXPECT_FALSE(checked.contains("PGME"));
}

// Every shipped solvent gives a run every property it takes, an LEL (or "none") and a source
// for each value it gives.
TEST(ShippedSolvents, GiveEveryPropertyARunNeedsWithItsSource) {
  for (const Solvent& s : ShippedSolvents()) {
    EXPECT_EQ(MissingRunProperty(s), "") << s.Name;
    EXPECT_TRUE(s.Lel.Value || !s.Flammable) << s.Name;
    for (const SolventValue* value :
         {&s.AntoineA, &s.MolecularWeight, &s.Density, &s.SpecificHeat, &s.HeatOfVaporization,
          &s.Diffusivity, &s.Lel, &s.BoilingPoint}) {
      EXPECT_FALSE(value->Source.empty()) << s.Name << " " << value->Text;
    }
  }
}

// The Fuller estimate with its ring correction: THF (a ring) diffuses faster than MEK, of the
// same formula C4H8O; NMP's volume 92.64 (110.94 less the ring's 18.3) gives 8.64e-6 m2/s.
TEST(ShippedSolvents, RingMoleculesDiffuseByTheFullerRingCorrection) {
  const SolventLibrary library(ShippedSolvents());
  EXPECT_GT(*library.Find("THF")->Diffusivity.Value, *library.Find("MEK")->Diffusivity.Value);
  EXPECT_EQ(*library.Find("THF")->Diffusivity.Value, 1.010e-5);
  EXPECT_EQ(*library.Find("NMP")->Diffusivity.Value, 8.64e-6);
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
  EXPECT_EQ(*pgme.Lel.Value, 1.6);
  EXPECT_EQ(pgme.Lel.Source, "NIOSH");
  EXPECT_EQ(*library.Find("NMP")->HeatOfVaporization.Value, 533);
}

constexpr std::string_view kHeader = test::kSolventLibraryHeader;

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
      {std::string(kHeader) + "As Specified,x,7,1450,213,30,150,mine,,,106.2,mine\n",
       "Line 2: the name \"As Specified\" is that of the pair of the original inputs."},
      {std::string(kHeader) + "X,x,7,1450,213,30,150,mine,,,106.2,mine,,,,,,,,,,150,mine\n",
       "Line 2: the column \"lel_percent\" holds \"150\", but an LEL is above 0 and at most 100 "
       "%."},
      {std::string(kHeader) + "X,x,7,1450,213,30,150,mine,,,106.2,mine,,,,,,,,,,1e308,mine\n",
       "Line 2: the column \"lel_percent\" holds \"1e308\", but an LEL is above 0 and at most "
       "100 %."},
      {std::string(kHeader) + "X,x,7,1450,213,30,150,mine,,,106.2,mine,,,,,,,,,,0,mine\n",
       "Line 2: the column \"lel_percent\" holds \"0\", but an LEL is above 0 and at most 100 "
       "%."},
      {std::string(kHeader) + "X,x,7,1450,213,30,150,mine,,,106.2,mine,,,,,,-400,mine\n",
       "Line 2: the column \"heat_of_vaporization_kJ_kg\" holds \"-400\", which is not above "
       "0."},
      {std::string(kHeader) + "X,x,7,1450,213,30,150,mine,,,106.2,mine,,,,0,mine\n",
       "Line 2: the column \"specific_heat_kJ_kgK\" holds \"0\", which is not above 0."},
      {std::string(kHeader) + "X,x,7,1450,213,30,150,mine,,,106.2,mine,-0.9,20,mine\n",
       "Line 2: the column \"density_g_cm3\" holds \"-0.9\", which is not above 0."},
      {std::string(kHeader) + "X,x,7,1450,213,30,150,mine,,,106.2,mine,,,,,,,,-1e-6,mine\n",
       "Line 2: the column \"diffusivity_m2_s\" holds \"-1e-6\", which is not above 0."},
      {std::string(kHeader) + "X,x,7,1450,213,30,150,mine,,,0,mine\n",
       "Line 2: the column \"molecular_weight\" holds \"0\", which is not above 0."},
      {std::string(kHeader) + "X,x,7,1450,213,30,150,mine,,,-5\x1b[2J,mine\n",
       "Line 2: the column \"molecular_weight\" holds \"-5\\x1B[2J\", which is not a number "
       "written with \".\"."},
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
  // A file saved as "UTF-8 with BOM" reads as the one without.
  const std::vector<Solvent> bom =
      ParseSolventLibrary("\xEF\xBB\xBF" + std::string(kHeader) + good, "mine.csv");
  ASSERT_EQ(bom.size(), 1u);
  EXPECT_EQ(bom[0].Name, "Xylol");
}

// A chosen solvent gives a run every property: one the library lacks is named when it is
// chosen, not left as the previous solvent's field text.
TEST(RequireRunProperties, NamesTheMissingColumn) {
  const std::vector<Solvent> read = ParseSolventLibrary(
      std::string(kHeader) +
          "Xylol,1330-20-7,7,1450,213,30,150,mine,,,106.2,mine,0.86,20,mine,1.7,mine,,,8e-6,mine\n",
      "mine.csv");
  EXPECT_EQ(MissingRunProperty(read[0]), "heat_of_vaporization_kJ_kg");
  try {
    RequireRunProperties(read[0], 2);
    ADD_FAILURE();
  } catch (const Error& e) {
    EXPECT_EQ(std::string(e.what()), "Solvent-2 \"Xylol\" lacks a property a run needs!");
    EXPECT_EQ(e.Details(),
              "The solvent library \"mine.csv\" gives no heat_of_vaporization_kJ_kg for it; give "
              "it there.");
  }
  RequireRunProperties(*SolventLibrary(ShippedSolvents()).Find("NMP"), 1);  // all there
}

// A library file larger than the bound is refused after reading no more than it, whatever
// its kind (a device that never ends).
TEST(LoadSolventLibrary, RefusesAFileBeyondTheBoundUnread) {
  try {
    LoadSolventLibrary(std::string("/dev/zero"));
    ADD_FAILURE();
  } catch (const Error& e) {
    EXPECT_EQ(e.Kind(), ErrorKind::InputRefused);
    EXPECT_EQ(std::string(e.what()), "The solvent library \"/dev/zero\" is not correct!");
    EXPECT_EQ(e.Details(), "It is larger than 64 MiB; a library of solvents is far smaller.");
  }
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
  // PGME gives its own specific heat, never the previous solvent's.
  ApplySolventChoice(fields, 2, library.Find("PGME"), ',', true);
  EXPECT_EQ(fields.Text("Edit231"), "2,32");
  // The pair as specified: every default back.
  ApplySolventChoice(fields, 2, nullptr, ',', true);
  EXPECT_EQ(fields.Text("Solvent2Name"), "as specified");
  for (const std::string& name : SolventFieldNames(2)) {
    EXPECT_EQ(fields.Text(name), MemoryFieldTexts(',').Text(name)) << name;
  }
}

// A value the library marks "unconfirmed" is warned of while the field holds it as the library
// writes it (either separator), not once the user typed a value of their own, and never for the
// pair as specified.
TEST(UnconfirmedValueWarnings, NameTheValueTheRunTakesFromNoCheckedSource) {
  const SolventLibrary library(ShippedSolvents());
  struct Case {
    const char* name;
    char separator;
    const char* solvent;
    const char* typed;  // into Solvent-1's specific heat after the choice, or nullptr
    std::size_t warnings;
  };
  const std::vector<Case> cases{
      {"chosen, point", '.', "NMP", nullptr, 1},
      {"chosen, comma", ',', "NMP", nullptr, 1},
      {"typed over", '.', "NMP", "1.70", 0},
      {"all confirmed", '.', "Ethyl acetate", nullptr, 0},
      {"as specified", '.', nullptr, nullptr, 0},
  };
  for (const Case& c : cases) {
    MemoryFieldTexts fields(c.separator);
    ApplySolventChoice(fields, 1, c.solvent ? library.Find(c.solvent) : nullptr, c.separator, true);
    if (c.typed != nullptr) fields.SetText("Edit221", c.typed);
    const std::vector<std::string> warnings = UnconfirmedValueWarnings(library, fields);
    ASSERT_EQ(warnings.size(), c.warnings) << c.name;
    if (c.warnings == 0) continue;
    EXPECT_EQ(warnings.front(),
              std::string("Solvent-1 \"NMP\": its specific heat, ") +
                  (c.separator == ',' ? "1,68" : "1.68") +
                  " kJ/kg.K (Edit221), is the solvent library's value, not yet checked against "
                  "a printed source; where it matters, type a value of your own.")
        << c.name;
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
