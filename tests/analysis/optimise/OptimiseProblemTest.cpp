// The problem as users write it (objective, free inputs, limits), its checks, the values the
// model runs, and the limits on the plant figures against a stand-in plant model.
#include "analysis/optimise/OptimiseProblem.h"

#include <gtest/gtest.h>

#include <limits>
#include <memory>
#include <string>

#include "analysis/optimise/Optimise.h"
#include "analysis/optimise/PlantDuty.h"
#include "analysis/plant/PlantFigures.h"
#include "analysis/plant/ZoneAirFromExhaust.h"
#include "base/Error.h"
#include "params/MemoryFieldTexts.h"
#include "report/SolventLibrary.h"

namespace quillmere {
namespace {

struct LimitCase {
  const char* text;
  Quantity what;
  double bound;
  const char* named;
};

TEST(OptimiseProblem, LimitsReadAsWritten) {
  const LimitCase cases[] = {
      {"ExitResidual1<=0.01", Quantity::ExitResidual1, 0.01, "ExitResidual1<=0.01"},
      {"exitresidual2<=2e-3", Quantity::ExitResidual2, 0.002, "ExitResidual2<=2e-3"},
      {"WebTemperature<=95", Quantity::WebTemperature, 95, "WebTemperature<=95"},
      {"NoBoiling", Quantity::VapourPressure, 0.95, "NoBoiling"},
      {"NoBoiling:0.9", Quantity::VapourPressure, 0.9, "NoBoiling:0.9"},
      {"LEL<=25", Quantity::Lel, 25, "LEL<=25"},
      {"LEL", Quantity::LelOfCode, 1, "LEL"},
      {"Energy<=850", Quantity::Energy, 850, "Energy<=850"},
  };
  for (const LimitCase& c : cases) {
    const Limit limit = ParseLimit(c.text);
    EXPECT_EQ(limit.What, c.what) << c.text;
    EXPECT_DOUBLE_EQ(limit.Bound, c.bound) << c.text;
    EXPECT_EQ(limit.Text, c.named) << c.text;
  }
}

struct RefusedCase {
  const char* text;
  const char* message;
};

TEST(OptimiseProblem, RefusesWhatCannotBeSearched) {
  const RefusedCase limits[] = {
      {"NoBoiling:1.2",
       "\"NoBoiling:1.2\": the share of the air pressure must be above 0 and at most 1 "
       "(NoBoiling:0.9 allows 90 % of 760 mmHg)"},
      {"ExitResidual1<0.01",
       "\"ExitResidual1<0.01\" is not a limit: write ExitResidual1<=X, ExitResidual2<=X, "
       "WebTemperature<=T, NoBoiling, NoBoiling:F, LEL<=P, LEL or Energy<=KW"},
      {"WebTemperature<=hot",
       "\"hot\" in \"WebTemperature<=hot\" is not a number (numbers are written with \".\")"},
  };
  for (const RefusedCase& c : limits) {
    try {
      ParseLimit(c.text);
      ADD_FAILURE() << c.text;
    } catch (const Error& e) {
      EXPECT_EQ(e.Kind(), ErrorKind::Usage);
      EXPECT_EQ(std::string(e.what()), c.message);
    }
  }
  const RefusedCase inputs[] = {
      {"Sped=0.1:10", "There is no input \"Sped\"; did you mean Speed, "},
      {"Speed=3:1", "Speed: the lower bound \"3\" must be below the upper bound \"1\""},
      {"Solvent1AntoineA=6:7", "Solvent1AntoineA (Edit224) is one of the eight fixed constants"},
      {"Speed=1", "Speed: \"1\" is not a range LO:HI, e.g. Speed=20:200"},
  };
  for (const RefusedCase& c : inputs) {
    try {
      ParseFreeInput(c.text);
      ADD_FAILURE() << c.text;
    } catch (const Error& e) {
      EXPECT_EQ(std::string(e.what()).rfind(c.message, 0), 0u) << e.what();
    }
  }
}

void ExpectUsage(const OptimiseProblem& problem, const std::string& message) {
  try {
    CheckProblem(problem);
    ADD_FAILURE() << message;
  } catch (const Error& e) {
    EXPECT_EQ(e.Kind(), ErrorKind::Usage);
    EXPECT_EQ(std::string(e.what()), message);
  }
}

TEST(OptimiseProblem, ObjectiveAndProblemChecks) {
  EXPECT_EQ(ParseObjective("speed", true).Name, "Speed");
  EXPECT_EQ(ParseObjective("exitresidual1", false).What, Quantity::ExitResidual1);
  OptimiseProblem problem;
  problem.Goal = ParseObjective("Speed", true);
  problem.Free = {ParseFreeInput("Zone1.OuterTemperature=20:200")};
  ExpectUsage(problem, "Speed is to be optimised but is not free: add --free Speed=LO:HI");
  problem.Free.push_back(ParseFreeInput("Speed=0.1:10"));
  problem.Limits = {ParseLimit("LEL<=25")};
  ExpectUsage(problem,
              "The limit LEL<=25 needs the plant figures, which this search was not given");
  problem.Limits.clear();
  problem.Goal = ParseObjective("Energy", false);
  ExpectUsage(problem, "Energy needs the plant figures, which this search was not given");
}

// The model marches a zone in whole increments of z: a free length runs as the nearest whole
// number of them, written as the user would type it.
TEST(OptimiseProblem, ZoneLengthsRunInWholeIncrements) {
  const FreeInput length = ParseFreeInput("Zone2.ZoneLength=5:20");
  EXPECT_TRUE(length.WholeSteps);
  EXPECT_FALSE(ParseFreeInput("Speed=0.1:10").WholeSteps);
  EXPECT_EQ(ModelValue(length, 10.26, 0.1), 10.3);
  EXPECT_EQ(ModelValue(length, 7.04, 0.2), 7.0);
  OptimiseProblem problem;
  problem.Free = {length};
  MemoryFieldTexts fields(',');
  ApplyValues(problem, {12.349}, ',', fields);
  EXPECT_EQ(fields.Text("Edit22"), "12,3");
}

//! A plant stand-in: zone k's exhaust at 10·k·u % LEL (u the speed in m/s) against a limit of
//! 25 %, and 100·u kW a zone.
std::optional<PlantDuty> StandInDuty(const CaseResult& run, const ParameterSet& params) {
  PlantDuty figures;
  for (int zone = 1; zone <= run.Record.ZonesDone(); ++zone) {
    figures.Zones.push_back({10.0 * zone * params.Speed, 25.0, 100.0 * params.Speed});
    figures.TotalKw += 100.0 * params.Speed;
  }
  return figures;
}

//! The stand-in as the plant model of a search: its cases ask for nothing besides the run.
PlantModel StandInPlant(PlantModel::DutyFunction duty = StandInDuty) {
  PlantModel model;
  model.Request = [](const FieldTexts&, char) { return std::optional<CaseRequest>(CaseRequest{}); };
  model.Duty = std::move(duty);
  return model;
}

struct PlantCase {
  const char* limit;
  double speed;  //!< the fastest the stand-in allows, worked by hand [m/s]
  int zone;      //!< where the limit binds; 0 for the whole line
};

// Two zones of 10 m: zone 2's exhaust is 20·u % LEL and the line takes 200·u kW.
TEST(OptimiseProblem, PlantLimitsBindWhereTheStandInSays) {
  MemoryFieldTexts base('.');
  base.SetText("Edit9", "10");
  base.SetText("Edit22", "10");
  const PlantCase cases[] = {
      {"LEL<=30", 1.5, 2},  // 20·u <= 30
      {"LEL", 1.25, 2},     // 20·u <= 25
      {"Energy<=250", 1.25, 0},
  };
  for (const PlantCase& c : cases) {
    OptimiseProblem problem;
    problem.Goal = ParseObjective("Speed", true);
    problem.Free = {ParseFreeInput("Speed=0.5:3")};
    problem.Limits = {ParseLimit(c.limit)};
    problem.Plant = StandInPlant();
    OptimiseOptions options;
    options.Starts = 2;
    options.Jobs = 1;
    options.ShadowPrices = false;
    OptimiseControl control;
    const OptimiseResult result = Optimise(problem, base, options, control);
    ASSERT_TRUE(result.Feasible) << c.limit;
    EXPECT_NEAR(result.Values[0], c.speed, 5e-3) << c.limit;
    EXPECT_LE(result.Values[0], c.speed) << c.limit;
    ASSERT_EQ(result.Limits.size(), 1u);
    EXPECT_TRUE(result.Limits[0].Binding) << c.limit;
    EXPECT_EQ(result.Limits[0].Place.Zone, c.zone) << c.limit;
    ASSERT_TRUE(result.Plant);
    EXPECT_EQ(result.Plant->Zones.size(), 2u);
  }
}

// A plant that gives a zone no LEL limit ends that setting's evaluation: no division by 0.
TEST(OptimiseProblem, AZoneWithoutAnLelLimitIsNoSetting) {
  MemoryFieldTexts fields('.');
  fields.SetText("Edit9", "10");
  fields.SetText("Edit22", "10");
  OptimiseProblem problem;
  problem.Goal = ParseObjective("Speed", true);
  problem.Free = {ParseFreeInput("Speed=0.5:3")};
  problem.Limits = {ParseLimit("LEL")};
  problem.Plant = StandInPlant([](const CaseResult&, const ParameterSet&) {
    return std::optional<PlantDuty>(PlantDuty{{{10, 0, 100}, {20, 0, 100}}, 200});
  });
  auto params = std::make_unique<ParameterSet>();
  auto state = std::make_unique<SimulationState>();
  const RunEvaluation evaluation = EvaluateSetting(problem, {1.0}, '.', fields, *params, *state);
  EXPECT_FALSE(evaluation.Finished);
  EXPECT_EQ(evaluation.Outcome, "zone 1 has no LEL limit");
}

// What no setting can meet, and inputs that are not choices or cannot change the answer, are
// refused before the first run (the command line's exit status 64).
TEST(OptimiseProblem, RefusesWhatIsNoChoiceAndLimitsNoSettingMeets) {
  const RefusedCase parsed[] = {
      {"IncrementZ=0.05:0.2", "IncrementZ (Edit20) sets how finely the model computes"},
      {"Keff=0.1:1", "Keff (Edit205) is a property of the coating that a fit"},
      {"Solvent1AntoineA=6:7", "Solvent1AntoineA (Edit224) is one of the eight fixed constants"},
      {"Speed=-1:2", "Speed: the web must run forward through the dryer"},
      {"Speed=0:2", "Speed: the web must run forward through the dryer"},
  };
  for (const RefusedCase& c : parsed) {
    try {
      ParseFreeInput(c.text);
      ADD_FAILURE() << c.text;
    } catch (const Error& e) {
      EXPECT_EQ(e.Kind(), ErrorKind::Usage);
      EXPECT_EQ(std::string(e.what()).rfind(c.message, 0), 0u) << e.what();
    }
  }
  for (const char* limit :
       {"ExitResidual1<=-1", "ExitResidual2<=0", "LEL<=0", "Energy<=-5", "WebTemperature<=-300"}) {
    try {
      ParseLimit(limit);
      ADD_FAILURE() << limit;
    } catch (const Error& e) {
      EXPECT_EQ(e.Kind(), ErrorKind::Usage);
      EXPECT_NE(std::string(e.what()).find("cannot be met"), std::string::npos) << e.what();
    }
  }
  // Two zones, no plant inputs: zone 3 is not run and no exhaust counts.
  MemoryFieldTexts fields('.');
  fields.SetText("Edit9", "10");
  fields.SetText("Edit22", "10");
  const RefusedCase noEffect[] = {
      {"Zone3.OuterTemperature=40:200",
       "Zone3.OuterTemperature cannot change the answer: the line runs 2 zones"},
      {"Zone1.Exhaust=1000:9000",
       "Zone1.Exhaust cannot change the answer: the data file has no plant inputs"},
  };
  for (const RefusedCase& c : noEffect) {
    OptimiseProblem problem;
    problem.Goal = ParseObjective("Speed", true);
    problem.Free = {ParseFreeInput("Speed=0.5:3"), ParseFreeInput(c.text)};
    try {
      CheckFreeInputs(problem, fields, '.');
      ADD_FAILURE() << c.text;
    } catch (const Error& e) {
      EXPECT_EQ(e.Kind(), ErrorKind::Usage);
      EXPECT_EQ(std::string(e.what()).rfind(c.message, 0), 0u) << e.what();
    }
  }
  // With plant inputs, an exhaust still changes nothing that no limit reads.
  fields.SetText("WebWidth", "1.3");
  OptimiseProblem problem;
  problem.Goal = ParseObjective("Speed", true);
  problem.Free = {ParseFreeInput("Speed=0.5:3"), ParseFreeInput("Zone2.Exhaust=1000:9000")};
  problem.Limits = {ParseLimit("ExitResidual1<=0.05")};
  EXPECT_THROW(CheckFreeInputs(problem, fields, '.'), Error);
  problem.Limits.push_back(ParseLimit("LEL<=20"));
  EXPECT_NO_THROW(CheckFreeInputs(problem, fields, '.'));
}

// A figure that is not a number (a web width of 1e308 makes the heat overflow) is a fault of
// that setting: its limits are never met.
TEST(OptimiseProblem, AFigureThatIsNotANumberIsNeverMet) {
  MemoryFieldTexts fields('.');
  fields.SetText("Edit9", "10");
  fields.SetText("Edit22", "10");
  for (const double figure :
       {std::numeric_limits<double>::quiet_NaN(), std::numeric_limits<double>::infinity()}) {
    OptimiseProblem problem;
    problem.Goal = ParseObjective("Speed", true);
    problem.Free = {ParseFreeInput("Speed=0.5:3")};
    problem.Limits = {ParseLimit("LEL<=20"), ParseLimit("Energy<=500")};
    problem.Plant = StandInPlant([figure](const CaseResult&, const ParameterSet&) {
      return std::optional<PlantDuty>(PlantDuty{{{figure, 25, 100}, {10, 25, figure}}, figure});
    });
    auto params = std::make_unique<ParameterSet>();
    auto state = std::make_unique<SimulationState>();
    const RunEvaluation evaluation = EvaluateSetting(problem, {1.0}, '.', fields, *params, *state);
    EXPECT_FALSE(evaluation.Finished);
    EXPECT_EQ(evaluation.Outcome, "a figure of the run is not a finite number");
    OptimiseOptions options;
    options.Starts = 2;
    options.DesignPoints = 8;
    options.Jobs = 1;
    OptimiseControl control;
    EXPECT_FALSE(Optimise(problem, fields, options, control).Feasible);
  }
}

// An exhaust left empty, sized to an LEL<=P limit below the zone's own 25 %: the exhaust
// written keeps the zone at most at P, by the plant figures' own formula.
TEST(OptimiseProblem, ASizedExhaustIsSizedToTheLimit) {
  for (const double percent : {5.0, 12.5, 20.0, 24.9}) {
    const double vapour = 2.0;  // kmol/h
    const double lel = 2.3;     // vol %
    ZonePlantDuty zone;
    zone.LimitPercentLel = 25;
    zone.ExhaustSized = true;
    zone.Vapour = vapour;
    zone.Exhaust = MinimumExhaust(vapour, lel, 0.25);
    const double exhaust = ExhaustSizedTo(zone, percent);
    EXPECT_LE(PercentOfLel(vapour, exhaust, lel), percent) << percent;
    EXPECT_GE(PercentOfLel(vapour, exhaust, lel), percent * (1 - 1e-5)) << percent;
  }
}

// A zone whose air follows from its exhaust settles at every setting from the humidities the
// fields state, and the worker's fields are left as they were: what a setting gives never
// depends on the settings evaluated before it, and its zone dries into the air it makes.
TEST(OptimiseProblem, ZoneAirSettlesFromTheStatedAirAtEverySetting) {
  MemoryFieldTexts fields('.');
  fields.SetText("Edit9", "10");
  fields.SetText("Edit22", "10");
  fields.SetText("WebWidth", "1.3");
  fields.SetText("Zone2.AirFromExhaust", "yes");
  OptimiseProblem problem;
  problem.Goal = ParseObjective("Speed", true);
  problem.Free = {ParseFreeInput("Speed=0.5:3")};
  problem.Limits = {ParseLimit("Energy<=100000"), ParseLimit("ExitResidual1<=0.9")};
  problem.Plant = PlantModelOf(std::make_shared<const SolventLibrary>(ShippedSolvents()));
  auto params = std::make_unique<ParameterSet>();
  auto state = std::make_unique<SimulationState>();
  const MemoryFieldTexts before = fields;
  const RunEvaluation first = EvaluateSetting(problem, {1.0}, '.', fields, *params, *state);
  ASSERT_TRUE(first.Finished) << first.Outcome;
  for (const std::string& field : ZoneHumidityFields(2)) {
    EXPECT_EQ(fields.Text(field), before.Text(field)) << field;
  }
  ASSERT_TRUE(EvaluateSetting(problem, {2.5}, '.', fields, *params, *state).Finished);
  const RunEvaluation again = EvaluateSetting(problem, {1.0}, '.', fields, *params, *state);
  EXPECT_EQ(again.LimitValue, first.LimitValue);

  // The air it makes dries zone 2 more slowly than the clean air stated.
  fields.SetText("Zone2.AirFromExhaust", "no");
  const RunEvaluation stated = EvaluateSetting(problem, {1.0}, '.', fields, *params, *state);
  ASSERT_TRUE(stated.Finished) << stated.Outcome;
  EXPECT_GT(first.LimitValue[1], stated.LimitValue[1]);
}

}  // namespace
}  // namespace quillmere
