// What the plant summary must never hide: an unknown LEL is unknown (never 0), a zone sized
// to its limit is within it, figures that are not finite are a fault, and the zone's air as
// stated counts; and a zone's air that follows from its exhaust settles where the two agree.
#include <gtest/gtest.h>

#include <array>
#include <cmath>
#include <limits>
#include <memory>
#include <nlohmann/json.hpp>
#include <string>
#include <vector>

#include "analysis/CaseRun.h"
#include "analysis/plant/PlantFigures.h"
#include "analysis/plant/PlantReport.h"
#include "analysis/plant/ZoneAirFromExhaust.h"
#include "analysis/sweep/SweepTable.h"
#include "params/MemoryFieldTexts.h"
#include "report/SolventLibrary.h"

namespace quillmere {
namespace {

bool HasWarningWith(const PlantFigures& figures, const std::string& part) {
  for (const std::string& warning : figures.Warnings) {
    if (warning.find(part) != std::string::npos) return true;
  }
  return false;
}

//! The default run (two zones at 60 °C), marched once for every test of this file.
struct DefaultRun {
  DefaultRun()
      : params(std::make_unique<ParameterSet>()), state(std::make_unique<SimulationState>()) {
    MemoryFieldTexts fields('.');
    result = RunCase(fields, '.', *params, *state);
  }
  PlantFigures Figures(const PlantInputs& plant,
                       const std::array<PlantSolvent, 2>& solvents) const {
    return PlantFiguresOf(*params, plant, solvents, *state, result.Record);
  }
  std::unique_ptr<ParameterSet> params;
  std::unique_ptr<SimulationState> state;
  CaseResult result;
};

const DefaultRun& DefaultOnce() {
  static const DefaultRun run;
  return run;
}

const std::array<PlantSolvent, 2> kEthylAcetateAndPgmeUnknown{
    PlantSolvent{"Ethyl acetate", 2.0, true, std::nullopt},
    PlantSolvent{"PGME", std::nullopt, true, std::nullopt}};

// Ethyl acetate (LEL 2.0 %) with a PGME whose LEL is not known, web 1.5 m. Zone 1 takes
// about 300 kg/h of the default run's Solvent-1: ethyl acetate's own share, 3.4 kmol/h, in
// 3,000 Nm3/h is about 140 % of its LEL by itself. Whatever the exhausts, the line's worst is
// unknown (never 0, never the best of the others), the JSON says null, the sweep "unknown".
TEST(UnknownLel, TheLinesWorstIsUnknownAndAWarningAsksForTheLel) {
  struct Case {
    const char* name;
    std::optional<double> zone1Exhaust;
    std::optional<double> zone2Exhaust;
    bool incomplete;
    bool knownPartAbove;  // ethyl acetate alone already above the limit in zone 1
  };
  const std::array<Case, 3> cases{{
      {"both given, zone 1 short of air", 3000, 60000, false, true},
      {"both given, ample air", 1e6, 1e6, false, false},
      {"both left to be sized", std::nullopt, std::nullopt, true, false},
  }};
  ASSERT_TRUE(DefaultOnce().result.Finished());
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    PlantInputs plant;
    plant.WebWidth = 1.5;
    plant.Exhaust[1] = c.zone1Exhaust;
    plant.Exhaust[2] = c.zone2Exhaust;
    const PlantFigures figures = DefaultOnce().Figures(plant, kEthylAcetateAndPgmeUnknown);
    ASSERT_EQ(figures.Zones.size(), 2u);
    EXPECT_FALSE(figures.WorstPercentLel);
    EXPECT_EQ(figures.WorstZone, 0);
    EXPECT_EQ(figures.Incomplete, c.incomplete);
    EXPECT_EQ(figures.EnergyPerSolvent.has_value(), !c.incomplete);
    for (const ZonePlant& z : figures.Zones) {
      EXPECT_FALSE(z.PercentLel);
      EXPECT_FALSE(z.MinimumExhaust);
      EXPECT_EQ(z.Exhaust.has_value(), !c.incomplete);
      EXPECT_EQ(z.AirHeat.has_value(), !c.incomplete);
    }
    EXPECT_TRUE(HasWarningWith(figures, "Zone 1: the LEL of PGME is not known"));
    EXPECT_TRUE(HasWarningWith(figures, "give the LEL (lel_percent)"));
    EXPECT_EQ(HasWarningWith(figures, "Zone 1: the solvents of known LEL alone put the exhaust"),
              c.knownPartAbove);
    EXPECT_EQ(figures.Zones[0].OverLimit(), c.knownPartAbove);

    const nlohmann::json json = nlohmann::json::parse(
        "{\"p\":" + PlantJsonMembers(SolventLibrary(), MemoryFieldTexts('.'), plant, figures) +
        "}")["p"]["plant"];
    EXPECT_TRUE(json["totals"]["worst_percent_of_lel"].is_null());
    EXPECT_TRUE(json["zones"][0]["percent_of_lel"].is_null());
    EXPECT_EQ(json["totals"]["heat_kW"].is_null(), c.incomplete);
    EXPECT_EQ(json["zones"][0]["exhaust_Nm3_h"].is_null(), c.incomplete);

    SweepRow row;
    row.Plant = figures;
    const std::string line = SweepTableLine(row, true);
    EXPECT_NE(line.find(",unknown,"), std::string::npos) << line;
    EXPECT_EQ(line.find(",0,"), std::string::npos) << line;

    const std::string text = PlantSummaryText(figures, plant, '.');
    EXPECT_NE(text.find("The line's worst %LEL is unknown"), std::string::npos) << text;
    EXPECT_EQ(text.find("+ incomplete") != std::string::npos, c.incomplete) << text;
  }
}

// A zone left to be sized lands on its limit up to rounding (25.000000000000004 % and the
// like); that is within it. Widths and both limits, each zone sized.
TEST(SizedZone, IsWithinItsLimitWhateverTheRounding) {
  const std::array<PlantSolvent, 2> solvents{PlantSolvent{"Ethyl acetate", 2.0, true, std::nullopt},
                                             PlantSolvent{"Ethanol", 3.3, true, std::nullopt}};
  for (const double width : {0.3, 1.0, 1.5, 2.6, 3.7, 7.77, 13.1}) {
    for (const bool monitored : {false, true}) {
      PlantInputs plant;
      plant.WebWidth = width;
      plant.LelMonitoring = monitored;
      const PlantFigures figures = DefaultOnce().Figures(plant, solvents);
      for (const ZonePlant& z : figures.Zones) {
        SCOPED_TRACE("width " + std::to_string(width) + " zone " + std::to_string(z.Zone));
        ASSERT_TRUE(z.ExhaustSized);
        EXPECT_NEAR(*z.ExhaustPercentLel, z.LimitPercent, 1e-12 * z.LimitPercent);
        EXPECT_FALSE(z.OverLimit());
      }
      EXPECT_FALSE(HasWarningWith(figures, "above the limit")) << width;
      EXPECT_FALSE(figures.Incomplete);
    }
  }
}

// A web of 1e308 m overflows the solvent rates: a fault of the run's plant figures that names
// the figure, never a table of infinities.
TEST(NonFiniteFigures, AreARunFaultNamingTheFigure) {
  for (const double width : {1e308, std::numeric_limits<double>::max()}) {
    PlantInputs plant;
    plant.WebWidth = width;
    try {
      DefaultOnce().Figures(plant, kEthylAcetateAndPgmeUnknown);
      ADD_FAILURE() << width << " gave figures";
    } catch (const Error& error) {
      EXPECT_EQ(error.Kind(), ErrorKind::RunFault);
      EXPECT_NE(std::string(error.what()).find("zone 1, Solvent-1 evaporated (kg/h),"),
                std::string::npos)
          << error.what();
    }
  }
}

// The %LEL of air as stated: 0.1 kg/kg of ethyl acetate (M 88.105) is 0.1 / 88.105 =
// 1.13501e-3 kmol per kg of air beside 1 / 28.96 = 3.45304e-2: x = 3.1824 vol %, 159.12 % of
// an LEL of 2.0 %; of an LEL taken as 0.7 of itself (1.4 %), 227.31 %. Water does not burn but
// dilutes: 0.01 kg/kg of ethyl acetate with 0.05 of water (M 18.015) is 15.17 %.
TEST(AirPercentOfLel, MoleFractionsFromTheHumiditiesAndTheMolarMasses) {
  struct Case {
    std::array<double, 2> humidity;
    std::array<std::optional<double>, 2> lel;
    std::array<bool, 2> flammable;
    std::optional<double> percent;
  };
  const std::array<double, 2> molar{88.105, 18.015};
  const std::array<Case, 5> cases{{
      {{0.1, 0}, {2.0, std::nullopt}, {true, false}, 159.12},
      {{0.1, 0}, {1.4, std::nullopt}, {true, false}, 227.31},
      {{0, 0.05}, {2.0, std::nullopt}, {true, false}, 0.0},
      {{0.01, 0.05}, {2.0, std::nullopt}, {true, false}, 15.17},
      {{0.01, 0}, {std::nullopt, 2.0}, {true, true}, std::nullopt},
  }};
  for (const Case& c : cases) {
    const std::optional<double> percent = AirPercentOfLel(c.humidity, molar, c.lel, c.flammable);
    ASSERT_EQ(percent.has_value(), c.percent.has_value());
    if (percent) {
      EXPECT_NEAR(*percent, *c.percent, 0.005) << c.humidity[0];
    }
  }
}

// Zone 1's air stated at 0.1 kg/kg of ethyl acetate: 159 % of its LEL by itself, whatever the
// exhaust carries away; the zone's %LEL is never below it and the warning says so.
TEST(StatedAir, AboveItsLimitIsWarnedAndTheZoneNeverReadsBelowIt) {
  ParameterSet params = *DefaultOnce().params;
  params.Solvent1MolecularWeight = 88.105;
  params.Zones.Solvent1Humidity[1] = 0.1;
  PlantInputs plant;
  plant.WebWidth = 1.5;
  plant.Exhaust[1] = 1e6;  // ample: the exhaust's balance alone is far below the limit
  const std::array<PlantSolvent, 2> solvents{PlantSolvent{"Ethyl acetate", 2.0, true, std::nullopt},
                                             PlantSolvent{"Toluene", 1.1, true, std::nullopt}};
  const PlantFigures figures =
      PlantFiguresOf(params, plant, solvents, *DefaultOnce().state, DefaultOnce().result.Record);
  const ZonePlant& z = figures.Zones[0];
  EXPECT_NEAR(*z.StatedPercentLel, 159.12, 0.005);
  EXPECT_LT(*z.ExhaustPercentLel, 25);
  EXPECT_EQ(*z.PercentLel, *z.StatedPercentLel);
  EXPECT_TRUE(z.StatedOverLimit());
  EXPECT_FALSE(z.ExhaustOverLimit());
  EXPECT_EQ(*figures.WorstPercentLel, *z.StatedPercentLel);
  EXPECT_TRUE(HasWarningWith(figures,
                             "Zone 1: its air as stated (0.1000 kg/kg of Ethyl acetate, "
                             "0.0000 kg/kg of Toluene) is at 159.1 % of the LEL, above "
                             "the limit of 25 %"));
  // The stated 0.1 kg/kg against the little the exhaust of 1e6 Nm3/h carries: both said.
  EXPECT_TRUE(HasWarningWith(figures,
                             "Zone 1: its air is stated to hold 0.10000 and 0.00000 "
                             "kg/kg of Ethyl acetate and Toluene, but its exhaust of "
                             "1000000 Nm3/h carries 0.00017 and 0.00006 kg/kg"))
      << ::testing::PrintToString(figures.Warnings);
}

// What an exhaust carries per kg of air: 1292.05 kg/h of dry air in 1000 Nm3/h (28.96 /
// 22.414 kg/Nm3); 12.9205 kg/h of solvent in it is 0.0100 kg/kg.
TEST(ExhaustAirContent, TheSolventRateOverTheAirRate) {
  EXPECT_NEAR(*ExhaustAirContent(12.920496, 1000), 0.0100, 1e-9);
  EXPECT_NEAR(kAirNormalDensity, 1.2920496, 1e-7);
  EXPECT_FALSE(ExhaustAirContent(10, 0));
}

// Zones whose air follows from their exhaust: a few runs of the case settle where each zone's
// humidities are what its exhaust carries, to 1e-6 relative, given and sized exhausts alike.
TEST(ZoneAirFromExhaust, SettlesWhereTheHumiditiesMatchTheExhaust) {
  struct Case {
    const char* name;
    std::optional<double> zone1Exhaust;
    bool zone2;
  };
  const std::array<Case, 3> cases{{
      {"zone 1 sized", std::nullopt, false},
      {"zone 1 given", 20000, false},
      {"both zones, zone 1 given", 12000, true},
  }};
  const std::array<PlantSolvent, 2> solvents{PlantSolvent{"MEK", 1.4, true, std::nullopt},
                                             PlantSolvent{"Toluene", 1.1, true, std::nullopt}};
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    MemoryFieldTexts fields('.');
    PlantInputs plant;
    plant.WebWidth = 1.5;
    plant.Exhaust[1] = c.zone1Exhaust;
    plant.AirFromExhaust[1] = true;
    plant.AirFromExhaust[2] = c.zone2;
    auto params = std::make_unique<ParameterSet>();
    auto state = std::make_unique<SimulationState>();
    const ZoneAirOutcome outcome =
        ZoneAirFromExhaust(fields, '.', plant, solvents, *params, *state);
    EXPECT_TRUE(outcome.Settled) << outcome.Change;
    EXPECT_TRUE(outcome.Warnings.empty());
    EXPECT_LE(outcome.Runs, 30);
    const CaseResult result = RunCase(fields, '.', *params, *state);
    ASSERT_TRUE(result.Finished());
    const PlantFigures figures = PlantFiguresOf(*params, plant, solvents, *state, result.Record);
    for (const ZonePlant& z : figures.Zones) {
      if (!plant.AirFromExhaust[z.Zone]) {
        EXPECT_EQ(z.StatedAir[0], 0);  // untouched
        continue;
      }
      for (std::size_t i = 0; i < 2; ++i) {
        EXPECT_GT(z.StatedAir[i], 0);
        EXPECT_NEAR(z.StatedAir[i], (*z.ExhaustAir)[i], 1e-6 * (*z.ExhaustAir)[i]) << z.Zone;
      }
      EXPECT_FALSE(HasWarningWith(figures, "Zone " + std::to_string(z.Zone) + ": its air is"));
    }
  }
}

// Without a zone that asks for it nothing runs and no field changes.
TEST(ZoneAirFromExhaust, WithoutTheLineNothingChanges) {
  MemoryFieldTexts fields('.');
  const MemoryFieldTexts before = fields;
  PlantInputs plant;
  plant.WebWidth = 1.5;
  auto params = std::make_unique<ParameterSet>();
  auto state = std::make_unique<SimulationState>();
  const ZoneAirOutcome outcome =
      ZoneAirFromExhaust(fields, '.', plant, kEthylAcetateAndPgmeUnknown, *params, *state);
  EXPECT_EQ(outcome.Runs, 0);
  for (int zone = 1; zone <= kMaxZones; ++zone) {
    for (const std::string& field : ZoneHumidityFields(zone)) {
      EXPECT_EQ(fields.Text(field), before.Text(field));
    }
  }
}

// A humidity goes into its field as the shortest text that reads back to the same number.
TEST(HumidityText, ReadsBackExactlyWithTheSeparatorInForce) {
  EXPECT_EQ(HumidityText(0.009638, ','), "0,009638");
  EXPECT_EQ(HumidityText(1.0 / 3, '.'), "0.3333333333333333");
  EXPECT_EQ(ZoneHumidityFields(1), (std::array<std::string, 2>{"Edit10", "Edit11"}));
  EXPECT_EQ(ZoneHumidityFields(2), (std::array<std::string, 2>{"Edit23", "Edit24"}));
}

}  // namespace
}  // namespace quillmere
