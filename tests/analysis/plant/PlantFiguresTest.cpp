// The plant figures of a zone: Le Chatelier's LEL, the exhaust's %LEL, the least exhaust, the
// heat, and the energy balance of a computed zone.
#include "analysis/plant/PlantFigures.h"

#include <gtest/gtest.h>

#include <array>
#include <vector>

#include "RunSeriesOf.h"
#include "params/MemoryFieldTexts.h"
#include "sim/MiscCalc.h"
#include "sim/TraceView.h"

namespace quillmere {
namespace {

// Hand-worked: 200 kg/h ethyl acetate (M 88.105, LEL 2.0 %) with 80 kg/h ethanol (M 46.068,
// LEL 3.3 %) in air at 100 °C: 2.27002 + 1.73656 kmol/h, y = 0.56657 / 0.43343, LELmix =
// 1 / (0.56657 / 2.0 + 0.43343 / 3.3) = 2.412 %; 30,000 Nm3/h is 1338.45 kmol/h of air, x =
// 0.0029845, 12.37 % of the LEL; at 25 % the least air is 660.48 kmol/h, 14,804 Nm3/h; heating
// 30,000 Nm3/h (10.767 kg/s) from 20 to 100 °C takes 10.767 · 1.006 · 80 = 866.5 kW.
TEST(PlantFigures, HandWorkedZone) {
  const std::array<double, 2> kmol{200 / 88.105, 80 / 46.068};
  const std::array<std::optional<double>, 2> lel{2.0, 3.3};
  const std::array<bool, 2> flammable{true, true};
  const double mix = *MixtureLel(kmol, lel, flammable);
  EXPECT_NEAR(mix, 2.412, 0.0005);
  EXPECT_NEAR(PercentOfLel(kmol[0] + kmol[1], 30000, mix), 12.37, 0.005);
  EXPECT_NEAR(MinimumExhaust(kmol[0] + kmol[1], mix, 0.25), 14804, 0.5);
  EXPECT_NEAR(MakeUpAirHeat(30000, 100, 20), 866.5, 0.05);
  // Above 120 °C the LEL is taken as 0.7 of its value; up to it, as it is.
  EXPECT_EQ(LelAtTemperature(2.0, 120), 2.0);
  EXPECT_NEAR(LelAtTemperature(2.0, 121), 1.4, 1e-12);
}

TEST(MixtureLel, UptakeCountsAsNothingAndAnUnknownLelAsUnknown) {
  const std::array<bool, 2> flammable{true, true};
  const std::array<std::optional<double>, 2> lel{2.0, 3.3};
  EXPECT_NEAR(*MixtureLel(std::array<double, 2>{1, -1}, lel, flammable), 2.0, 1e-12);
  EXPECT_FALSE(MixtureLel(std::array<double, 2>{0, -1}, lel, flammable));
  const std::array<std::optional<double>, 2> unknown{2.0, std::nullopt};
  EXPECT_FALSE(MixtureLel(std::array<double, 2>{1, 1}, unknown, flammable));
  // Water does not burn: the LEL is that of the other solvent.
  const std::array<bool, 2> water{true, false};
  EXPECT_NEAR(*MixtureLel(std::array<double, 2>{1, 5}, unknown, water), 2.0, 1e-12);
}

// A zone of two steps by hand: width 2 m, speed 1 m/s, air 100 °C, hU + hL = 0.05 kJ/m2.s.K,
// web at 20, 40, 60 °C at 0, 1, 2 s. Trapezoid: 0.05 · ((80 + 60) / 2 + (60 + 40) / 2) = 6
// kJ/m2, times 2 m2/s: 12 kW. Solvent-1 from 0.03 to 0.02 kg/m2: 0.02 kg/s, 72 kg/h,
// latent 0.02 · 400 = 8 kW.
TEST(ZonePlantOf, IntegratesTheHeatByTheTrapezoidRule) {
  ParameterSet params;
  params.Speed = 1;
  params.Zones.OuterTemperature[1] = 100;
  params.Zones.HeatTransferUpper[1] = 0.02;
  params.Zones.HeatTransferLower[1] = 0.03;
  params.Solvent1MolecularWeight = 72;
  params.Solvent2MolecularWeight = 92;
  params.Solvent1HeatOfVaporization = 400;
  params.Solvent2HeatOfVaporization = 300;
  PlantInputs plant;
  plant.WebWidth = 2;
  plant.Exhaust[1] = 1000;
  std::vector<TracePoint> points(3);
  for (int j = 0; j < 3; ++j) {
    points[static_cast<std::size_t>(j)].Time = j;
    points[static_cast<std::size_t>(j)].Temperature = 20 + 20 * j;
    points[static_cast<std::size_t>(j)].Solvent1Weight = 0.03 - 0.005 * j;
    points[static_cast<std::size_t>(j)].Solvent2Weight = 0.01;
  }
  const std::array<PlantSolvent, 2> solvents{PlantSolvent{"MEK", 1.4, true, std::nullopt},
                                             PlantSolvent{"Toluene", 1.1, true, std::nullopt}};
  const ZonePlant z = ZonePlantOf(params, plant, solvents, 1, points);
  EXPECT_NEAR(z.WebHeat, 12, 1e-12);
  EXPECT_NEAR(z.Evaporated[0], 72, 1e-9);
  EXPECT_EQ(z.Evaporated[1], 0);
  EXPECT_NEAR(z.Molar[0], 1, 1e-12);
  EXPECT_NEAR(z.LatentHeat, 8, 1e-12);
  EXPECT_EQ(*z.LelPercent, 1.4);
  // 1 kmol/h in 1000 / 22.414 = 44.615 kmol/h of air: x = 0.021923, 156.59 % of the LEL; it needs
  // 22.414 · (1 / 0.0035 − 1) = 6381.6 Nm3/h.
  EXPECT_NEAR(*z.PercentLel, 156.59, 0.005);
  EXPECT_NEAR(*z.MinimumExhaust, 6381.6, 0.1);
  EXPECT_TRUE(z.OverLimit());
  EXPECT_NEAR(*z.AirHeat, MakeUpAirHeat(1000, 100, 20), 1e-12);
}

// The energy balance of each zone of the default run closes: what the air gives the web is
// the latent heat plus the web's sensible heat gain Σ C(wj)·(Tj+1 − Tj), with each step's
// start heat capacity as the march holds it through the step. The march's own steps balance
// exactly; what remains is the trapezoid rule against the Runge–Kutta–Gill step, of order
// (0.1 s)^2 over a zone of 300 steps: 1e-5 of Qweb here, and below 1e-4 in zones of 0.04 s
// steps; 1e-3 leaves room without hiding a missing term. The figures' sensible heat is Qweb
// less the latent heat by definition.
TEST(ZonePlantOf, EnergyBalanceOfAComputedZoneCloses) {
  MemoryFieldTexts fields;
  auto params = std::make_unique<ParameterSet>();
  auto state = std::make_unique<SimulationState>();
  const CaseResult result = RunCase(fields, '.', *params, *state);
  ASSERT_TRUE(result.Finished());
  PlantInputs plant;
  plant.WebWidth = 1.5;
  const std::array<PlantSolvent, 2> solvents{PlantSolvent{"MEK", 1.4, true, std::nullopt},
                                             PlantSolvent{"Toluene", 1.1, true, std::nullopt}};
  const PlantFigures figures = PlantFiguresOf(*params, plant, solvents, *state, result.Record);
  ASSERT_EQ(figures.Zones.size(), 2u);
  for (const ZonePlant& z : figures.Zones) {
    const ZoneView view(*params, *state, z.Zone);
    double gain = 0;  // [kJ/m2]
    for (int s = 0; s < view.Steps(); ++s) {
      const TracePoint a = view.At(s);
      gain += WebHeatCapacity(*params, a.Solvent1Weight, a.Solvent2Weight) *
              (view.At(s + 1).Temperature - a.Temperature);
    }
    EXPECT_GT(z.WebHeat, 0.1);
    EXPECT_NEAR(z.WebHeat, z.LatentHeat + plant.WebWidth * params->Speed * gain, 1e-3 * z.WebHeat)
        << z.Zone;
    EXPECT_EQ(z.SensibleHeat, z.WebHeat - z.LatentHeat);
  }
}

}  // namespace
}  // namespace quillmere

namespace quillmere {
namespace {

// The default run's web goes from 15 °C to 60 °C: a set valid from 20 to 50 °C is left below
// in zone 1 and above in both zones; the series and the state tell the same.
TEST(AntoineRangeWarnings, NameTheZoneAndTheEndOfTheRangeTheWebLeaves) {
  MemoryFieldTexts fields;
  auto params = std::make_unique<ParameterSet>();
  auto state = std::make_unique<SimulationState>();
  const CaseResult result = RunCase(fields, '.', *params, *state);
  ASSERT_TRUE(result.Finished());
  const std::array<PlantSolvent, 2> solvents{
      PlantSolvent{"Narrow", 1.0, true, std::array<double, 2>{20, 50}},
      PlantSolvent{"as specified", 1.1, true, std::nullopt}};
  const std::vector<std::string> warnings =
      AntoineRangeWarnings(solvents, *params, *state, result.Record);
  ASSERT_EQ(warnings.size(), 2u);
  EXPECT_EQ(warnings[0],
            "Zone 1: the web reaches 15.0 °C, below the range of Narrow's vapour pressure "
            "constants (20 to 50 °C); its vapour pressure there is extrapolated.");
  EXPECT_EQ(warnings[1].rfind("Zone 2: the web reaches 6", 0), 0u) << warnings[1];
  EXPECT_EQ(AntoineRangeWarnings(solvents, CollectRunSeries(*params, *state, result.Record)),
            warnings);
}

}  // namespace
}  // namespace quillmere
