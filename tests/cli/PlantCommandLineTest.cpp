// quillmere-cli with solvents from the library and plant inputs, run as a program.
#include <gtest/gtest.h>

#include <nlohmann/json.hpp>
#include <string>

#include "CommandLineFolder.h"
#include "TestSupport.h"

namespace quillmere {
namespace {

using Outcome = test::ProgramOutcome;
using test::ShellQuote;

using PlantCommandLine = test::CommandLineFolder;

// Two solvents from the library, a web width and one zone's exhaust set too low: the zone
// table, the warning with the exhaust the zone needs, the zones CSV and the JSON's solvents.
TEST_F(PlantCommandLine, TemplateWithSolventsThenARunWithPlantInputs) {
  ASSERT_EQ(Cli("template --solvent1 'Ethyl acetate' --solvent2 Ethanol -o line.dat").status, 0);
  const std::string file = ReadWork("line.dat");
  EXPECT_NE(file.find("Vapor Pressure Parameter A of Solvent-1            =  7.00871\r\n"),
            std::string::npos);
  EXPECT_NE(file.find("\r\n    Solvent-1 [Solvent1Name]                           =  Ethyl "
                      "acetate\r\n"),
            std::string::npos);
  ASSERT_EQ(test::RunShell("cd " + ShellQuote(work_.path().string()) +
                               " && sed -i 's/\\[WebWidth\\]\\( *\\)=  /[WebWidth]\\1=  1.3/; "
                               "s/\\[Zone1.Exhaust\\]\\( *\\)=  /[Zone1.Exhaust]\\1=  500/' "
                               "line.dat",
                           capture_)
                .status,
            0);
  const Outcome run = Cli("run line.dat --zones-csv zones.csv --json run.json");
  ASSERT_EQ(run.status, 0) << run.err;
  EXPECT_EQ(run.out.rfind("Solvent-1: Ethyl acetate (141-78-6), LEL 2.0 %, flash point -4 °C\n"
                          "Solvent-2: Ethanol (64-17-5), LEL 3.3 %, flash point 13 °C\n",
                          0),
            0u)
      << run.out;
  EXPECT_NE(run.out.find("Casing losses and fan heat are not modelled."), std::string::npos);
  EXPECT_NE(run.err.find("Warning: Zone 1: the exhaust of 500 Nm3/h is at "), std::string::npos)
      << run.err;
  EXPECT_EQ(run.err.find("is ignored"), std::string::npos) << run.err;  // constants agree
  const std::string zones = ReadWork("zones.csv");
  EXPECT_EQ(zones.rfind("zone,air_temperature_C,solvent1_evaporated_kg_h,", 0), 0u);
  EXPECT_EQ(std::count(zones.begin(), zones.end(), '\n'), 3);  // header and two zones
  const nlohmann::json json = nlohmann::json::parse(ReadWork("run.json"));
  EXPECT_EQ(json["solvents"][0]["name"], "Ethyl acetate");
  EXPECT_EQ(json["solvents"][1]["lel_percent"], 3.3);
  EXPECT_EQ(json["plant"]["inputs"]["web_width_m"], 1.3);
  EXPECT_EQ(json["plant"]["zones"][0]["exhaust_Nm3_h"], 500.0);
  EXPECT_EQ(json["plant"]["zones"][1]["exhaust_sized"], true);
}

TEST_F(PlantCommandLine, SolventsTheLibraryLacksAndLibrariesThatDoNotRead) {
  const Outcome unknown = Cli("run --solvent1 Xylol");
  EXPECT_EQ(unknown.status, 1);
  EXPECT_EQ(unknown.err.rfind("Solvent-1 \"Xylol\" is not in the solvent library!\nThe closest "
                              "names are ",
                              0),
            0u)
      << unknown.err;
  const Outcome missing = Cli("run --solvents none.csv");
  EXPECT_EQ(missing.status, 2);
  EXPECT_EQ(missing.err.rfind("Could not open the solvent library \"none.csv\": ", 0), 0u)
      << missing.err;
  // A user's own solvent, from the file in the XDG data directory (here $HOME/.local/share).
  ASSERT_EQ(test::RunShell("mkdir -p " + ShellQuote(work_.File(".local/share/quillmere")) +
                               " && printf '%s\\n' 'name,cas,antoine_a,antoine_b,antoine_c,"
                               "antoine_min_C,antoine_max_C,antoine_source,boiling_point_C,"
                               "boiling_point_source,molecular_weight,molecular_weight_source,"
                               "density_g_cm3,density_temperature_C,density_source,"
                               "specific_heat_kJ_kgK,specific_heat_source,"
                               "heat_of_vaporization_kJ_kg,heat_of_vaporization_source,"
                               "diffusivity_m2_s,diffusivity_source,lel_percent,lel_source,"
                               "flash_point_C,flash_point_source' 'House blend,,7,1300,220,0,"
                               "150,lab,,,80,lab,0.87,20,lab,1.9,lab,400,lab,8e-6,lab' > " +
                               ShellQuote(work_.File(".local/share/quillmere/solvents.csv")),
                           capture_)
                .status,
            0);
  const Outcome mine = Cli("run --solvent2 'house BLEND' -o mine.txt");
  ASSERT_EQ(mine.status, 0) << mine.err;
  EXPECT_NE(
      ReadWork("mine.txt").find("Specific Heat of Solvent-2 (kJ/kg.K)               =  1.900"),
      std::string::npos);
  EXPECT_EQ(Cli("run --zones-csv z.csv").status, 64);  // no web width: no plant figures
}

}  // namespace
}  // namespace quillmere
