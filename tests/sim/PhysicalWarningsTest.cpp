// The model's limits that a run reaches, each from a case built to reach it, with the
// window's defaults for every other input.
#include "sim/PhysicalWarnings.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <map>
#include <string>
#include <utility>
#include <vector>

#include "TestSupport.h"
#include "params/AcquireParameters.h"
#include "params/MemoryFieldTexts.h"
#include "sim/DryerMarch.h"

namespace quillmere {
namespace {

using Texts = std::vector<std::pair<std::string, std::string>>;

//! The march of the default texts with `changes` applied.
RunRecord March(const Texts& changes, test::Model& model) {
  MemoryFieldTexts fields;
  for (const auto& [field, text] : changes) fields.SetText(field, text);
  test::RecordingMessages messages;
  if (!AcquireParameters(fields, messages, '.', *model.params, model.state->EntryTemperature())
           .Ok()) {
    ADD_FAILURE() << "the inputs are refused";
  }
  return MarchThroughDryer(*model.params, *model.state);
}

RunRecord March(const Texts& changes) {
  test::Model model;
  return March(changes, model);
}

std::vector<const PhysicalWarning*> OfKind(const RunRecord& record, WarningKind kind) {
  std::vector<const PhysicalWarning*> found;
  for (const PhysicalWarning& warning : record.Warnings) {
    if (warning.Kind == kind) found.push_back(&warning);
  }
  return found;
}

TEST(PhysicalWarnings, DefaultRunRaisesNone) {
  const RunRecord record = March({});
  ASSERT_TRUE(record.Finished());
  EXPECT_TRUE(record.Warnings.empty()) << record.Warnings.front().Text;
}

// Each case reaches one limit: its first warning of that kind is where it first happens,
// with these words. Edit7 is the entry temperature; zone 1's conditions are Edit8 (outer
// temperature) to Edit13, zone 2's Edit21 to Edit26.
TEST(PhysicalWarnings, EachLimitIsToldWhereItIsFirstReached) {
  struct Case {
    std::string name;
    Texts changes;
    WarningKind kind;
    int zone;
    int point;
    std::string text;
  };
  const Case cases[] = {
      {"entry above the solvents' boiling point",
       {{"Edit7", "90"}},
       WarningKind::Boiling,
       1,
       0,
       "In zone 1 the coating boils from 0.00 m (0.00 m from the dryer's entry), at a web "
       "temperature of 90.00 °C: the vapour pressure of its solvents (925.0 mmHg) reaches the "
       "air pressure of 760 mmHg. Blisters are likely, and the surface humidities from there on "
       "are not physical."},
      {"fast heating to 150 degrees",
       {{"Edit8", "150"}, {"Edit12", "0.2"}},
       WarningKind::Boiling,
       1,
       22,
       "In zone 1 the coating boils from 2.20 m (2.20 m from the dryer's entry), at a web "
       "temperature of 136.77 °C: the vapour pressure of its solvents (794.9 mmHg) reaches the "
       "air pressure of 760 mmHg. Blisters are likely, and the surface humidities from there on "
       "are not physical."},
      {"Solvent-2 in the air of zone 1",
       {{"Edit11", "0.1"}},
       WarningKind::Condensing,
       1,
       0,
       "In zone 1 the coating takes Solvent-2 up from the air from 0.00 m (0.00 m from the "
       "dryer's entry), at a web temperature of 15.00 °C: the air holds 0.100000 kg/kg of "
       "Solvent-2, more than the 0.025143 kg/kg in equilibrium over the surface, so its weight "
       "grows."},
      {"both solvents in the air of zone 1",
       {{"Edit10", "0.3"}, {"Edit11", "0.1"}},
       WarningKind::Condensing,
       1,
       0,
       "In zone 1 the coating takes Solvent-1 and Solvent-2 up from the air from 0.00 m (0.00 m "
       "from the dryer's entry), at a web temperature of 15.00 °C: the air holds 0.300000 kg/kg "
       "of Solvent-1 and 0.100000 kg/kg of Solvent-2, more than the 0.142532 and 0.025143 kg/kg "
       "in equilibrium over the surface, so their weights grow."},
      {"Solvent-1 taken up late in zone 2, once its equilibrium falls below the air's",
       {{"Edit23", "0.01"}, {"Edit24", "0.5"}},
       WarningKind::Condensing,
       2,
       0,
       "In zone 2 the coating takes Solvent-2 up from the air from 0.00 m (30.00 m from the "
       "dryer's entry), at a web temperature of 59.45 °C: the air holds 0.500000 kg/kg of "
       "Solvent-2, more than the 0.287563 kg/kg in equilibrium over the surface, so its weight "
       "grows. It takes Solvent-1 up too from 28.60 m (58.60 m from the dryer's entry), at a "
       "web temperature of 60.21 °C, where the air holds 0.01000000 kg/kg of it, more than the "
       "0.00999995 kg/kg in equilibrium."},
      {"a hot dryer",
       {{"Edit8", "100"}, {"Edit21", "100"}},
       WarningKind::DryingStopped,
       1,
       209,
       "In zone 1 the drying stops at 20.90 m (20.90 m from the dryer's entry), at a web "
       "temperature of 99.98 °C: the drying speed correction factor has fallen to 0 at a "
       "solvent fraction of 0.1000 (We 0.1000), so nothing dries in the last 39.10 m of the "
       "dryer. Residual ratios left: Solvent-1 0.0068, Solvent-2 0.0725."},
      {"400 degrees: a step takes more Solvent-1 than is left",
       {{"Edit8", "400"}},
       WarningKind::NotPhysical,
       1,
       16,
       "In zone 1 at 1.60 m (1.60 m from the dryer's entry), at a web temperature of 85.76 °C, "
       "the Solvent-1 weight is below 0 (-0.00168 kg/m2, residual ratio -0.0403). The results "
       "from there on are not physical. One step took more solvent than was left: a smaller "
       "Increment of z may help."},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    const RunRecord record = March(c.changes);
    EXPECT_TRUE(record.Finished());
    const std::vector<const PhysicalWarning*> found = OfKind(record, c.kind);
    ASSERT_FALSE(found.empty());
    EXPECT_EQ(found.front()->Where.Zone, c.zone);
    EXPECT_EQ(found.front()->Where.Point, c.point);
    EXPECT_EQ(found.front()->Text, c.text);
  }
}

// At 2000 degrees in zone 1 the coating boils, and in zone 2 the boiling surface's negative
// humidities make both solvent weights grow far beyond what the coating held at the entry.
TEST(PhysicalWarnings, ResidualRatiosAboveOneWithoutUptakeAreNotPhysical) {
  const RunRecord record = March({{"Edit8", "2000"}});
  const std::vector<const PhysicalWarning*> found = OfKind(record, WarningKind::NotPhysical);
  ASSERT_EQ(found.size(), 2u);
  EXPECT_EQ(found[1]->Where.Zone, 2);
  EXPECT_EQ(found[1]->Text,
            "In zone 2 at 0.10 m (30.10 m from the dryer's entry), at a web temperature of "
            "2026.50 °C, the Solvent-1 residual ratio rises above 1 (2.5903) although the "
            "coating takes no Solvent-1 up from the air, and the Solvent-2 residual ratio rises "
            "above 1 (15.9587) although the coating takes no Solvent-2 up from the air. The "
            "results from there on are not physical.");
  // In zone 1 only: zone 2 starts from the states that are not physical any more.
  EXPECT_EQ(OfKind(record, WarningKind::Boiling).size(), 1u);

  // Solvent-2 taken up from humid air raises its residual ratio above 1 as well: that is
  // the model at work, told as condensing only.
  const RunRecord humid = March({{"Edit11", "0.1"}});
  EXPECT_TRUE(OfKind(humid, WarningKind::NotPhysical).empty());
}

TEST(PhysicalWarnings, EachKindAtMostOncePerZoneInPointOrder) {
  const Texts cases[] = {
      {{"Edit8", "400"}},  // below 0 in zone 1, still below 0 in zone 2
      {{"Edit8", "2000"}},
      {{"Edit7", "90"}},
      {{"Edit8", "150"}, {"Edit12", "0.2"}},
      {{"Edit11", "0.1"}, {"Edit24", "0.1"}},
  };
  for (const Texts& changes : cases) {
    SCOPED_TRACE(changes.front().first + "=" + changes.front().second);
    const RunRecord record = March(changes);
    EXPECT_FALSE(record.Warnings.empty());
    std::map<std::pair<int, WarningKind>, int> count;
    for (std::size_t i = 0; i < record.Warnings.size(); ++i) {
      const TracePoint& where = record.Warnings[i].Where;
      const int seen = ++count[std::make_pair(where.Zone, record.Warnings[i].Kind)];
      EXPECT_EQ(seen, 1) << record.Warnings[i].Text;
      if (i > 0) {
        const TracePoint& before = record.Warnings[i - 1].Where;
        EXPECT_LE(std::make_pair(before.Zone, before.Point),
                  std::make_pair(where.Zone, where.Point));
      }
    }
  }
}

// Once the correction factor is 0 the weights stay as they are: the rest of the dryer is
// told once, by the zone where it begins, and not at all when it begins at the dryer's end.
TEST(PhysicalWarnings, DryingStoppedIsToldOnceAndOnlyWithDryerLeft) {
  // At 400 degrees the factor falls to 0 where a weight has gone below 0: no coating's state.
  EXPECT_TRUE(OfKind(March({{"Edit8", "400"}}), WarningKind::DryingStopped).empty());

  // At 100 degrees the factor falls below its threshold at point 209 of zone 1.
  const RunRecord endsThere = March({{"Edit8", "100"}, {"Edit21", ""}, {"Edit9", "20.9"}});
  ASSERT_TRUE(endsThere.Finished());
  EXPECT_TRUE(OfKind(endsThere, WarningKind::DryingStopped).empty());
  const RunRecord oneStepMore = March({{"Edit8", "100"}, {"Edit21", ""}, {"Edit9", "21.0"}});
  const std::vector<const PhysicalWarning*> found = OfKind(oneStepMore, WarningKind::DryingStopped);
  ASSERT_EQ(found.size(), 1u);
  EXPECT_EQ(found.front()->Where.Point, 209);
  EXPECT_NE(found.front()->Text.find("nothing dries in the last 0.10 m of the dryer."),
            std::string::npos)
      << found.front()->Text;
}

// A coating that no longer dries takes nothing up from humid air either.
TEST(PhysicalWarnings, HumidAirAfterTheDryingStoppedIsNoCondensing) {
  const RunRecord record = March({{"Edit8", "100"},
                                  {"Edit21", "100"},
                                  {"Edit31", "60"},
                                  {"Edit32", "30"},
                                  {"Edit33", "0.5"},
                                  {"Edit34", "0"},
                                  {"Edit35", "0.022"},
                                  {"Edit36", "0.055"}});
  ASSERT_EQ(record.ZoneCount, 3);
  EXPECT_EQ(OfKind(record, WarningKind::DryingStopped).size(), 1u);
  EXPECT_TRUE(OfKind(record, WarningKind::Condensing).empty());
}

// The zone in which a fault ends the run is scanned up to the last point computed: what the
// coating went through there explains the fault. Zone 1's air at -400 °C chills the web below
// the pole of the Antoine equation; the march overflows at 2.70 m (point 27).
TEST(PhysicalWarnings, TheFaultingZoneIsScannedUpToItsLastPoint) {
  const RunRecord record = March({{"Edit8", "-400"}});
  ASSERT_TRUE(record.Fault);
  EXPECT_EQ(record.Fault->Zone, 1);
  EXPECT_EQ(record.Fault->Point, 27);
  ASSERT_EQ(record.Warnings.size(), 1u);
  EXPECT_EQ(record.Warnings[0].Text,
            "In zone 1 at 2.10 m (2.10 m from the dryer's entry), at a web temperature of "
            "-194.22 °C, the Solvent-1 residual ratio rises above 1 (1.0189) although the coating "
            "takes no Solvent-1 up from the air. The results from there on are not physical.");
}

// Below the pole of the Antoine equation (T < -C) the equation gives pressures beyond any bound
// and negative surface humidities: that is no boiling coating. Zone 1's air at -1000 °C chills
// the web below it before the march overflows.
TEST(PhysicalWarnings, NoBoilingBelowTheAntoinePoleOrFromANegativeWeight) {
  test::Model model;
  const RunRecord cold = March({{"Edit8", "-1000"}}, model);
  ASSERT_TRUE(cold.Fault);
  // The trace holds points that a scan by the humidities alone would call boiling.
  const ZoneTrace& trace = model.state->Trace;
  const double pole = -std::min(model.params->Solvent1AntoineC, model.params->Solvent2AntoineC);
  bool belowThePole = false;
  for (int point = 0; point < cold.Fault->Point; ++point) {
    const auto p = static_cast<std::size_t>(point);
    belowThePole = belowThePole ||
                   (trace.Temperature[1][p] < pole && (trace.Solvent1SurfaceHumidity[1][p] < 0 ||
                                                       trace.Solvent2SurfaceHumidity[1][p] < 0));
  }
  EXPECT_TRUE(belowThePole);
  EXPECT_TRUE(OfKind(cold, WarningKind::Boiling).empty());

  // At 2000 °C zone 1 ends with residual ratios above 1: zone 2 starts from states that are not
  // physical, and its negative humidities are no boiling (it said "boils" at -9320.88 °C).
  const RunRecord hot = March({{"Edit8", "2000"}});
  for (const PhysicalWarning* boiling : OfKind(hot, WarningKind::Boiling)) {
    EXPECT_EQ(boiling->Where.Zone, 1);
    EXPECT_GT(boiling->Where.Temperature, 0);
  }
}

}  // namespace
}  // namespace quillmere
