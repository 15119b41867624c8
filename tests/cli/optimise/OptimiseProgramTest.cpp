// quillmere-optimise run as a program: its files, its report and its exit statuses.
#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <memory>
#include <nlohmann/json.hpp>
#include <string>
#include <vector>

#include "TestSupport.h"
#include "analysis/CaseRun.h"
#include "analysis/plant/PlantFigures.h"
#include "analysis/plant/PlantReport.h"
#include "analysis/plant/ZoneAirFromExhaust.h"
#include "base/KeptMessages.h"
#include "params/MemoryFieldTexts.h"
#include "params/PlantInputs.h"
#include "report/DataFile.h"
#include "report/SolventLibrary.h"

namespace quillmere {
namespace {

using test::ShellQuote;

class OptimiseProgram : public ::testing::Test {
 protected:
  //! short.dat: two zones of 10 m, the other inputs at the defaults.
  void SetUp() override {
    MemoryFieldTexts fields('.');
    fields.SetText("Edit9", "10");
    fields.SetText("Edit22", "10");
    std::ofstream(work_.File("short.dat"), std::ios::binary) << DataFileText(fields);
    fields.SetText("Edit212", "1.4g");
    std::ofstream(work_.File("unreadable.dat"), std::ios::binary) << DataFileText(fields);
  }

  test::ProgramOutcome Optimise(const std::string& arguments) const {
    return test::RunShell("cd " + ShellQuote(work_.path().string()) + " && LC_ALL=C " +
                              ShellQuote(QUILLMERE_OPTIMISE) + " --jobs 2 --starts 3 " + arguments +
                              " < /dev/null",
                          capture_);
  }

  std::string ReadWork(const std::string& name) const { return test::ReadBytes(work_.File(name)); }

  test::ScratchDirectory work_;
  test::ScratchDirectory capture_;
};

TEST_F(OptimiseProgram, WritesTheOptimumsDataFileAndReport) {
  const auto outcome = Optimise(
      "short.dat --maximise Speed --free Speed=0.2:4 --free Zone1.OuterTemperature=40:200 "
      "--limit 'ExitResidual1<=0.02' --limit NoBoiling:0.6 -o best.dat --report best.json "
      "--plot best.svg");
  ASSERT_EQ(outcome.status, 0) << outcome.err;
  EXPECT_EQ(outcome.out.rfind("Optimum: Speed maximised to ", 0), 0u) << outcome.out;
  const nlohmann::json report = nlohmann::json::parse(ReadWork("best.json"));
  EXPECT_TRUE(report["feasible"].get<bool>());
  EXPECT_EQ(report["limits"][1]["limit"], "NoBoiling:0.6");
  EXPECT_TRUE(report["limits"][1]["binding"].get<bool>());
  EXPECT_EQ(report["limits"][1]["zone"], 1);
  // The curves with the limits as lines.
  const std::string svg = ReadWork("best.svg");
  EXPECT_NE(svg.find("Limit ExitResidual1 ≤ 0.02"), std::string::npos);
  EXPECT_NE(svg.find("Limit NoBoiling:0.6"), std::string::npos);
  // The data file holds the optimum's speed as the report gives it.
  MemoryFieldTexts loaded('.');
  std::vector<std::string> messages;
  KeptMessages kept(messages);
  ASSERT_TRUE(LoadDataFile(work_.File("best.dat"), loaded, kept).Ok());
  EXPECT_EQ(std::stod(loaded.Text("Edit6")), report["inputs"][0]["value"].get<double>());
}

struct StatusCase {
  const char* arguments;
  int status;
  const char* says;  //!< the start of the report (status 0 and 5) or of the message
};

TEST_F(OptimiseProgram, ExitStatuses) {
  const StatusCase cases[] = {
      {"short.dat --maximise Speed --free Speed=0.2:4 --free Zone1.OuterTemperature=40:200 "
       "--limit 'ExitResidual2<=0.002' -o none.dat",
       5, "No setting found that meets every limit"},
      {"short.dat --maximise Speed --free Sped=0.2:4", 64,
       "There is no input \"Sped\"; did you mean Speed"},
      {"short.dat --maximise Speed --free Speed=0.2:4 --limit 'LEL<=25'", 1,
       "The limit LEL<=25 needs the plant inputs: give the web width (WebWidth)"},
      {"short.dat --minimise Energy --free Speed=0.2:4", 1,
       "Energy needs the plant inputs: give the web width (WebWidth)"},
      {"short.dat --free Speed=0.2:4", 64, "Say what to optimise"},
      // The README's plant example: ethyl acetate and ethanol, zone 2's exhaust fixed; the
      // fastest speed at which every zone stays within 25 % of its LEL.
      {QUILLMERE_EXAMPLES "/plant-line4.dat --maximise Speed --free Speed=0.1:5 --limit LEL", 0,
       "Optimum: Speed maximised to 1.00"},
      {"missing.dat --maximise Speed --free Speed=0.2:4", 2, "Data file can not open!"},
      // Inputs that cannot change the answer or are no setting, limits no setting meets.
      {"short.dat --maximise Speed --free Speed=0.2:4 --free Zone3.OuterTemperature=40:200", 64,
       "Zone3.OuterTemperature cannot change the answer: the line runs 2 zones"},
      {"short.dat --maximise Speed --free Speed=0.2:4 --free Zone1.Exhaust=1000:9000", 64,
       "Zone1.Exhaust cannot change the answer: the data file has no plant inputs"},
      {"short.dat --maximise Speed --free Speed=0.2:4 --free IncrementZ=0.05:0.2", 64,
       "IncrementZ (Edit20) sets how finely the model computes"},
      {"short.dat --maximise Speed --free Speed=-1:4", 64,
       "Speed: the web must run forward through the dryer"},
      {"short.dat --maximise Speed --free Speed=0.2:4 --limit 'ExitResidual1<=-1'", 64,
       "ExitResidual1<=-1 cannot be met: a residual ratio is above 0"},
      // A field that does not read at any setting: the data file is refused.
      {"unreadable.dat --maximise Speed --free Speed=0.2:4", 1,
       "The data file's inputs are refused at every setting tried"},
      // Every output is checked before the first run.
      {"short.dat --maximise Speed --free Speed=0.2:4 -o no-such-folder/best.dat", 2,
       "Could not create the data file of the optimum \"no-such-folder/best.dat\""},
  };
  for (const StatusCase& c : cases) {
    const auto outcome = Optimise(c.arguments);
    EXPECT_EQ(outcome.status, c.status) << c.arguments << "\n" << outcome.err;
    const std::string& text = c.status == 5 || c.status == 0 ? outcome.out : outcome.err;
    EXPECT_EQ(text.rfind(c.says, 0), 0u) << c.arguments << "\n" << text;
  }
  EXPECT_FALSE(std::filesystem::exists(work_.File("none.dat")));  // no optimum, no data file
  // Zone 2's exhaust is given and binds; zone 3's is sized to its limit, so it cannot.
  const auto plant = Optimise(QUILLMERE_EXAMPLES
                              "/plant-line4.dat --maximise Speed --free Speed=0.1:5 --limit LEL");
  EXPECT_NE(plant.out.find("binding: highest in zone 2"), std::string::npos) << plant.out;
  // A zone's exhaust may be free too: the line then runs faster until the heat of the make-up
  // air binds as well.
  const auto exhaust = Optimise(QUILLMERE_EXAMPLES
                                "/plant-line4.dat --maximise Speed --free Speed=0.1:5 --free "
                                "Zone2.Exhaust=4000:30000 --limit LEL --limit 'Energy<=900'");
  EXPECT_EQ(exhaust.status, 0) << exhaust.err;
  EXPECT_NE(exhaust.out.find("  Zone2.Exhaust = "), std::string::npos) << exhaust.out;
  const std::size_t energy = exhaust.out.find("Energy<=900: ");
  ASSERT_NE(energy, std::string::npos) << exhaust.out;
  EXPECT_NEAR(std::stod(exhaust.out.substr(energy + 13)), 900, 0.01) << exhaust.out;
  EXPECT_NE(exhaust.out.find("binding: the whole line"), std::string::npos) << exhaust.out;
}

// LEL<=20 on the plant example, whose zone 3 exhaust is left empty (zones 1 and 2 free, the
// heat held): the search sizes zone 3's exhaust to 20 % and -o writes it, so that every zone
// of the written file, run as it stands, is within 20 % of its LEL by the plant figures.
TEST_F(OptimiseProgram, AnLelLimitHoldsInEveryZoneOfTheWrittenFile) {
  const auto outcome = Optimise(QUILLMERE_EXAMPLES
                                "/plant-line4.dat --maximise Speed --free Speed=0.1:5 --free "
                                "Zone1.Exhaust=2000:40000 --free Zone2.Exhaust=2000:40000 "
                                "--limit 'LEL<=20' --limit 'Energy<=1200' -o lel.dat");
  ASSERT_EQ(outcome.status, 0) << outcome.err << outcome.out;
  EXPECT_NE(outcome.out.find("Exhaust sized to the LEL limit: Zone3.Exhaust = "), std::string::npos)
      << outcome.out;
  MemoryFieldTexts fields('.');
  std::vector<std::string> kept;
  KeptMessages messages(kept);
  ASSERT_TRUE(LoadDataFile(work_.File("lel.dat"), fields, messages).Ok());
  EXPECT_FALSE(fields.Text("Zone3.Exhaust").empty());
  const SolventLibrary library = LoadSolventLibrary();
  ApplySolventNames(library, fields, '.');
  auto params = std::make_unique<ParameterSet>();
  auto state = std::make_unique<SimulationState>();
  const CaseResult run = RunCase(fields, '.', *params, *state);
  ASSERT_TRUE(run.Finished());
  const PlantFigures figures = PlantFiguresOf(*params, *AcquirePlantInputs(fields, '.'),
                                              PlantSolventsOf(library, fields), *state, run.Record);
  for (const ZonePlant& zone : figures.Zones) {
    ASSERT_TRUE(zone.PercentLel);
    EXPECT_LE(*zone.PercentLel, 20.0) << "zone " << zone.Zone;
  }
}

// A zone whose air follows from its exhaust runs at every setting as `run` runs it: the
// optimum's %LEL, heat and exit residual are those of `quillmere-cli run` of the data file
// written, the zone's air settled from the humidities stated and its exhaust sized to the
// LEL<=P limit (which moves its air, and so its drying).
TEST_F(OptimiseProgram, AZoneWhoseAirFollowsItsExhaustRunsAsRunDoes) {
  std::ofstream(work_.File("air.dat"), std::ios::binary)
      << test::ReadBytes(QUILLMERE_EXAMPLES "/plant-line4.dat")
      << "    Zone3.AirFromExhaust = yes\r\n";
  const auto outcome = Optimise(
      "air.dat --maximise Speed --free Speed=0.1:5 --free Zone1.Exhaust=2000:40000 --free "
      "Zone2.Exhaust=2000:40000 --limit 'LEL<=20' --limit 'Energy<=1200' --limit "
      "'ExitResidual1<=0.5' -o best.dat --report best.json");
  ASSERT_EQ(outcome.status, 0) << outcome.err << outcome.out;
  const nlohmann::json report = nlohmann::json::parse(ReadWork("best.json"));
  const std::string best = ReadWork("best.dat");
  EXPECT_NE(best.find("[Zone3.AirFromExhaust] =  yes"), std::string::npos) << best;
  // The humidities written are those stated: a run settles them again.
  MemoryFieldTexts stated('.');
  MemoryFieldTexts written('.');
  std::vector<std::string> kept;
  KeptMessages messages(kept);
  ASSERT_TRUE(LoadDataFile(work_.File("air.dat"), stated, messages).Ok());
  ASSERT_TRUE(LoadDataFile(work_.File("best.dat"), written, messages).Ok());
  for (const std::string& field : ZoneHumidityFields(3)) {
    EXPECT_EQ(written.Text(field), stated.Text(field)) << field;
  }
  EXPECT_FALSE(written.Text("Zone3.Exhaust").empty());  // sized to P

  const test::ProgramOutcome run = test::RunShell(
      "cd " + ShellQuote(work_.path().string()) + " && LC_ALL=C " + ShellQuote(QUILLMERE_CLI) +
          " run best.dat -o best.txt --json run.json < /dev/null",
      capture_);
  ASSERT_EQ(run.status, 0) << run.err;
  const nlohmann::json ran = nlohmann::json::parse(ReadWork("run.json"));
  const nlohmann::json& zones = ran["plant"]["zones"];
  ASSERT_EQ(zones.size(), 4u) << ran.dump();
  double highest = 0;
  for (const nlohmann::json& zone : zones) {
    highest = std::max(highest, zone["percent_of_lel"].get<double>());
  }
  EXPECT_LE(zones[2]["percent_of_lel"].get<double>(), 20.0);
  const nlohmann::json& limits = report["limits"];
  ASSERT_EQ(limits.size(), 3u);
  EXPECT_DOUBLE_EQ(limits[0]["value"].get<double>(), highest);
  EXPECT_DOUBLE_EQ(limits[1]["value"].get<double>(),
                   ran["plant"]["totals"]["heat_kW"].get<double>());
  EXPECT_DOUBLE_EQ(limits[2]["value"].get<double>(),
                   ran["zones"].back()["exit"]["solvent1_residual"].get<double>());
}

}  // namespace
}  // namespace quillmere
