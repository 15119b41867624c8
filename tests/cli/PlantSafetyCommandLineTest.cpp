// quillmere-cli's plant figures where they must not mislead, run as a program: figures that
// are not finite, plant lines given twice or out of range, a zone's air from its exhaust, and
// a user's solvent library that does not read.
#include <gtest/gtest.h>

#include <sstream>
#include <string>
#include <vector>

#include "CommandLineFolder.h"
#include "TestSupport.h"

namespace quillmere {
namespace {

using Outcome = test::ProgramOutcome;
using test::ShellQuote;

class PlantSafetyCommandLine : public test::CommandLineFolder {
 protected:
  //! The default inputs with ethyl acetate and toluene, a web width of `width` and `extra`
  //! plant lines (each ended by CR LF), as `name`.
  void LineFile(const std::string& name, const std::string& width, const std::string& extra = "") {
    ASSERT_EQ(Cli("template --solvent1 'Ethyl acetate' --solvent2 Toluene -o " + name).status, 0);
    Shell("sed -i 's/\\[WebWidth\\]\\( *\\)=  /[WebWidth]\\1=  " + width + "/' " + name +
          " && printf '" + extra + "' >> " + name);
  }
};

// A web of 1e308 m: the run itself finishes, its plant figures overflow; run exits 3 naming
// the figure, and a sweep's row says so while the sweep goes on to the next case.
TEST_F(PlantSafetyCommandLine, FiguresThatAreNotFiniteAreARunFault) {
  LineFile("wide.dat", "1e308");
  const Outcome run = Cli("run wide.dat -o wide.txt --zones-csv zones.csv");
  EXPECT_EQ(run.status, 3) << run.err;
  EXPECT_NE(run.err.find("The plant figure of zone 1, Solvent-1 evaporated (kg/h), is not a "
                         "finite number (web width 1e+308 m)!"),
            std::string::npos)
      << run.err;
  const Outcome sweep = Cli("sweep wide.dat --vary Speed=0.5,1 -o table.csv -j 1");
  ASSERT_EQ(sweep.status, 0) << sweep.err;
  std::vector<std::string> rows;
  std::istringstream table(ReadWork("table.csv"));
  for (std::string row; std::getline(table, row);) rows.push_back(row);
  ASSERT_EQ(rows.size(), 3u) << ReadWork("table.csv");
  for (const std::size_t row : {1u, 2u}) {
    EXPECT_EQ(rows[row].rfind(std::to_string(row) + ",", 0), 0u) << rows[row];
    EXPECT_NE(rows[row].find("is not a finite number"), std::string::npos) << rows[row];
  }
}

// Plant lines are refused, naming the data file's lines and the input, when one is given
// twice, the make-up air is out of range or a yes/no input is neither.
TEST_F(PlantSafetyCommandLine, PlantLinesRefusedWithTheirLines) {
  struct Case {
    const char* name;
    std::string edit;   // a sed script for the file
    std::string extra;  // lines after it
    std::string message;
  };
  const std::vector<Case> cases{
      {"twice", "", "    WebWidth = 2.6\\r\\n",
       "Lines 122 and 139 of the data file \"" + work_.File("twice.dat") +
           "\" both give WebWidth (Web (Coating) Width (m)); keep one of them."},
      {"cold", "s/\\[AmbientTemperature\\] =  20.0/[AmbientTemperature] =  -300/", "",
       "holds \"-300\", and make-up air is drawn at -50 to 60 °C."},
      {"hot", "s/\\[AmbientTemperature\\] =  20.0/[AmbientTemperature] =  500/", "",
       "holds \"500\", and make-up air is drawn at -50 to 60 °C."},
      {"yesno", "", "    Zone2.AirFromExhaust = perhaps\\r\\n",
       "holds \"perhaps\", which is neither \"yes\" nor \"no\"."},
  };
  for (const Case& c : cases) {
    const std::string file = std::string(c.name) + ".dat";
    LineFile(file, "1.5", c.extra);
    if (!c.edit.empty()) Shell("sed -i '" + c.edit + "' " + file);
    const Outcome run = Cli("run " + file + " -o r.txt");
    EXPECT_EQ(run.status, 1) << c.name << run.err;
    EXPECT_NE(run.err.find(c.message), std::string::npos) << c.name << ": " << run.err;
  }
}

// ZoneK.AirFromExhaust = yes: the result file echoes the humidities the zone's exhaust gives,
// and no warning says the air and the exhaust disagree; "no" changes no byte.
TEST_F(PlantSafetyCommandLine, ZoneAirFromTheExhaustIsEchoedAndNoLineChangesNothing) {
  LineFile("plain.dat", "1.5");
  LineFile("no.dat", "1.5", "    Zone1.AirFromExhaust = no\\r\\n");
  LineFile("air.dat", "1.5", "    Zone1.AirFromExhaust = yes\\r\\n");
  ASSERT_EQ(Cli("run plain.dat -o plain.txt").status, 0);
  ASSERT_EQ(Cli("run no.dat -o no.txt").status, 0);
  EXPECT_EQ(ReadWork("plain.txt"), ReadWork("no.txt"));
  const Outcome air = Cli("run air.dat -o air.txt --json air.json");
  ASSERT_EQ(air.status, 0) << air.err;
  EXPECT_EQ(air.err.find("Zone 1: its air is stated"), std::string::npos) << air.err;
  EXPECT_NE(air.err.find("Zone 2: its air is stated"), std::string::npos) << air.err;
  const std::string echo = ReadWork("air.txt");
  EXPECT_EQ(echo.find("Solvent-1 Absolute Humidity                       =  0.0\r\n"),
            std::string::npos);
  EXPECT_NE(ReadWork("air.json").find("\"air_from_exhaust_zones\":[1]"), std::string::npos);
}

// A user's library that does not read is a warning naming its file and line for a command
// that chooses no solvent, and a refusal for one that does.
TEST_F(PlantSafetyCommandLine, ABrokenUserLibraryStopsOnlyACommandThatChoosesASolvent) {
  Shell(
      "mkdir -p .local/share/quillmere && printf 'name,cas\\nX,1\\n' > "
      ".local/share/quillmere/solvents.csv");
  const std::string why = "The solvent library \"" +
                          work_.File(".local/share/quillmere/solvents.csv") +
                          "\" is not correct! Line 1: the header lacks the column \"antoine_a\".";
  Shell("printf 'position_m,quantity,value\\n10,residual1,0.3\\n30,residual1,0.05\\n' > m.csv");
  for (const std::string command :
       {"run -o plain.txt", "template -o plain.dat",
        "fit --trial plain.dat:m.csv --free Keff --starts 1 -o fitted.dat",
        "optimise plain.dat --maximise Speed --free Speed=0.5:1.5 --limit 'ExitResidual1<=0.05' "
        "-o best.dat"}) {
    const Outcome plain = Cli(command);
    EXPECT_TRUE(plain.status == 0 || plain.status == 4) << command << plain.err;
    EXPECT_NE(plain.err.find("Warning: " + why), std::string::npos) << command << plain.err;
  }
  // The library is an input of every command: no output goes over it.
  for (const std::string command : {"template -o .local/share/quillmere/solvents.csv",
                                    "run -o .local/share/quillmere/solvents.csv"}) {
    EXPECT_EQ(Cli(command).status, 64) << command;
  }
  EXPECT_EQ(ReadWork(".local/share/quillmere/solvents.csv"), "name,cas\nX,1\n");
  const Outcome chosen = Cli("run --solvent1 MEK -o mek.txt");
  EXPECT_EQ(chosen.status, 1) << chosen.err;
  EXPECT_NE(chosen.err.find("Solvent-1 \"MEK\" is chosen and may be one of its solvents."),
            std::string::npos)
      << chosen.err;
}

// A user's solvent lacking a property a run needs is refused when chosen, the column named;
// a name with terminal escapes is shown escaped.
TEST_F(PlantSafetyCommandLine, AChosenSolventLackingAPropertyIsRefused) {
  Shell(
      "printf '%s\\n' 'name,cas,antoine_a,antoine_b,antoine_c,antoine_min_C,antoine_max_C,"
      "antoine_source,boiling_point_C,boiling_point_source,molecular_weight,"
      "molecular_weight_source,density_g_cm3,density_temperature_C,density_source,"
      "specific_heat_kJ_kgK,specific_heat_source,heat_of_vaporization_kJ_kg,"
      "heat_of_vaporization_source,diffusivity_m2_s,diffusivity_source,lel_percent,lel_source,"
      "flash_point_C,flash_point_source' 'Thin,,7,1300,220,0,150,lab,,,80,lab,0.87,20,lab,1.9,"
      "lab' > mine.csv");
  const Outcome thin = Cli("run --solvents mine.csv --solvent2 thin -o thin.txt");
  EXPECT_EQ(thin.status, 1);
  EXPECT_NE(thin.err.find("Solvent-2 \"Thin\" lacks a property a run needs!\nThe solvent library "
                          "\"mine.csv\" gives no heat_of_vaporization_kJ_kg for it"),
            std::string::npos)
      << thin.err;
  const Outcome escaped = Cli("run --solvent1 \"$(printf 'Ab\\033[2Jc')\" -o e.txt");
  EXPECT_EQ(escaped.status, 1);
  EXPECT_EQ(escaped.err.find('\x1b'), std::string::npos) << escaped.err;
  EXPECT_NE(escaped.err.find("\"Ab\\x1B[2Jc\""), std::string::npos) << escaped.err;
}

}  // namespace
}  // namespace quillmere
