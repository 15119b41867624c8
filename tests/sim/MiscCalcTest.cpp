#include "sim/MiscCalc.h"

#include <gtest/gtest.h>

#include <cmath>
#include <stdexcept>

#include "TestSupport.h"
#include "base/FloatingPointGuard.h"

namespace quillmere {
namespace {

using test::Model;

// The reference values are those of the default inputs, given to five significant digits;
// the tolerances are half a unit of the last digit given.
class MiscCalcTest : public ::testing::Test {
 protected:
  Model model = test::DefaultModel();
  ParameterSet& p = *model.params;
  SimulationState& s = *model.state;
};

TEST_F(MiscCalcTest, MassTransferCoefficientsOfTheDefaultZone) {
  EXPECT_NEAR(MassTransferCoefficient(p.Solvent1Diffusivity, 0.022 * 0.3), 0.0033216, 0.5e-7);
  EXPECT_NEAR(MassTransferCoefficient(p.Solvent2Diffusivity, 0.022 * 0.3), 0.0032049, 0.5e-7);
}

TEST_F(MiscCalcTest, DryingSpeedCorrectionFollowsItsThreeBranches) {
  EXPECT_EQ(DryingSpeedCorrection(p, 0.82), 1.0);
  EXPECT_EQ(DryingSpeedCorrection(p, 0.3), 1.0);
  EXPECT_NEAR(DryingSpeedCorrection(p, 0.25), 0.75, 1e-15);
  EXPECT_NEAR(DryingSpeedCorrection(p, 0.2), 0.5, 1e-15);
  EXPECT_NEAR(DryingSpeedCorrection(p, 0.15), 0.25, 1e-15);
  EXPECT_NEAR(DryingSpeedCorrection(p, 0.1), 0.0, 1e-15);
  EXPECT_EQ(DryingSpeedCorrection(p, 0.05), 0.0);
  EXPECT_EQ(DryingSpeedCorrection(p, -1.0), 0.0);
}

TEST_F(MiscCalcTest, EntryStateOfTheDefaultInputs) {
  const ZoneTrace& t = s.Trace;
  EXPECT_DOUBLE_EQ(t.Solvent1Weight[1][0], 0.0417);
  EXPECT_DOUBLE_EQ(t.Solvent2Weight[1][0], 0.01529);
  EXPECT_DOUBLE_EQ(SolidWeight(p), 0.01251);
  EXPECT_DOUBLE_EQ(t.Solvent1Fraction[1][0], 0.6);
  EXPECT_DOUBLE_EQ(t.Solvent2Fraction[1][0], 0.22);
  EXPECT_EQ(t.Solvent1Residual[1][0], 1.0);
  EXPECT_EQ(t.Solvent2Residual[1][0], 1.0);
  EXPECT_EQ(t.Time[1][0], 0.0);
  EXPECT_DOUBLE_EQ(s.TimeStep, 0.1);
  EXPECT_EQ(t.Temperature[1][0], 15.0);

  const VolumeFractions phi =
      SolventVolumeFractions(p, t.Solvent1Weight[1][0], t.Solvent2Weight[1][0]);
  EXPECT_NEAR(phi.Solvent1, 0.66051, 0.5e-5);
  EXPECT_NEAR(phi.Solvent2, 0.22541, 0.5e-5);
  const Humidities surface =
      WebSurfaceHumidities(p, 15.0, t.Solvent1Weight[1][0], t.Solvent2Weight[1][0]);
  EXPECT_NEAR(surface.Solvent1, 0.14253, 0.5e-5);
  EXPECT_NEAR(surface.Solvent2, 0.025143, 0.5e-6);
  EXPECT_DOUBLE_EQ(WebHeatCapacity(p, t.Solvent1Weight[1][0], t.Solvent2Weight[1][0]), 0.2281317);
}

TEST_F(MiscCalcTest, RatesAtTheDryerEntry) {
  s.MassTransferCoefficient1[1] = MassTransferCoefficient(p.Solvent1Diffusivity, 0.022 * 0.3);
  s.MassTransferCoefficient2[1] = MassTransferCoefficient(p.Solvent2Diffusivity, 0.022 * 0.3);
  const StepValues step = StepValuesAt(p, s.Trace, 1, 0);
  EXPECT_EQ(step.CorrectionFactor, 1.0);
  StateVector y{};
  y[kSolvent1Weight] = s.Trace.Solvent1Weight[1][0];
  y[kSolvent2Weight] = s.Trace.Solvent2Weight[1][0];
  y[kWebTemperature] = 15.0;
  const StateVector rate = ZoneDerivatives(p, s, 1, step, 0.0, y);
  EXPECT_NEAR(rate[kSolvent1Weight], -5.0136e-4, 0.5e-8);
  EXPECT_NEAR(rate[kSolvent2Weight], -8.5334e-5, 0.5e-9);
  EXPECT_NEAR(rate[kWebTemperature], 14.029, 0.5e-3);
  // The rates do not read the weights of the state vector, only its temperature.
  y[kSolvent1Weight] = 99;
  EXPECT_EQ(ZoneDerivatives(p, s, 1, step, 5.0, y), rate);
}

TEST_F(MiscCalcTest, DefaultZonesMarchToTheirReferenceStates) {
  const ZoneTrace& t = s.Trace;
  IntegrateZone(p, s, 1, 300);
  EXPECT_NEAR(s.MassTransferCoefficient1[1], 0.0033216, 0.5e-7);
  EXPECT_DOUBLE_EQ(t.Time[1][1], 0.1);
  EXPECT_NEAR(t.Temperature[1][1], 16.379, 0.5e-3);
  EXPECT_NEAR(t.Solvent1Weight[1][1], 0.041650, 0.5e-6);
  EXPECT_NEAR(t.Solvent2Weight[1][1], 0.0152815, 0.5e-7);
  EXPECT_NEAR(t.Solvent1Residual[1][1], 0.99880, 0.5e-5);
  EXPECT_NEAR(t.Solvent2Residual[1][1], 0.99944, 0.5e-5);

  EXPECT_NEAR(t.Time[1][300], 30.000, 0.5e-3);
  EXPECT_NEAR(t.Temperature[1][300], 59.45, 0.5e-2);
  EXPECT_NEAR(t.Solvent1Residual[1][300], 0.0060, 0.5e-4);
  EXPECT_NEAR(t.Solvent2Residual[1][300], 0.0804, 0.5e-4);
  EXPECT_NEAR(StepValuesAt(p, t, 1, 299).CorrectionFactor, 0.030, 0.5e-3);  // the last step's
  // Surface humidities are kept for the points a step leaves, not for the last point.
  EXPECT_GT(t.Solvent1SurfaceHumidity[1][299], 0.0);
  EXPECT_EQ(t.Solvent1SurfaceHumidity[1][300], 0.0);

  HandOverZone(s, 1, 300);
  IntegrateZone(p, s, 2, 300);
  EXPECT_NEAR(t.Time[2][300], 60.000, 0.5e-3);
  EXPECT_NEAR(t.Temperature[2][300], 60.00, 0.5e-2);
  EXPECT_NEAR(t.Solvent1Residual[2][300], 0.0054, 0.5e-4);
  EXPECT_NEAR(t.Solvent2Residual[2][300], 0.0761, 0.5e-4);
  EXPECT_LT(StepValuesAt(p, t, 2, 299).CorrectionFactor, 1e-3);
}

TEST_F(MiscCalcTest, HandOverCopiesTheLastPointButNotItsSurfaceHumidities) {
  IntegrateZone(p, s, 1, 40);
  s.Trace.Solvent1SurfaceHumidity[2][0] = -7;
  HandOverZone(s, 1, 40);
  const ZoneTrace& t = s.Trace;
  EXPECT_EQ(t.Time[2][0], t.Time[1][40]);
  EXPECT_EQ(t.Temperature[2][0], t.Temperature[1][40]);
  EXPECT_EQ(t.Solvent2Weight[2][0], t.Solvent2Weight[1][40]);
  EXPECT_EQ(t.Solvent1Fraction[2][0], t.Solvent1Fraction[1][40]);
  EXPECT_EQ(t.Solvent2Residual[2][0], t.Solvent2Residual[1][40]);
  EXPECT_EQ(t.Solvent1SurfaceHumidity[2][0], -7);
}

// The step takes the state's first n components; the state holds 10. A count beyond it (or
// below 0) is refused before anything is computed.
TEST_F(MiscCalcTest, AStepRefusesMoreEquationsThanTheStateHolds) {
  const StepValues step{1, {0.2, 0.1}, 0.2281317};
  StateVector y{};
  y[kWebTemperature] = 15.0;
  for (const int n : {-1, 11, 1000}) {
    StateVector before = y;
    EXPECT_THROW(RungeKuttaGillStep(p, s, step, n, y, 1, 0.0, 0.1), std::out_of_range) << n;
    EXPECT_EQ(y, before) << n;
  }
  RungeKuttaGillStep(p, s, step, 10, y, 1, 0.0, 0.1);  // every component: no rate beyond 3
  EXPECT_GT(y[kWebTemperature], 15.0);
  EXPECT_EQ(y[9], 0.0);
}

// The last zone has no next one: handing it over would write a zone 15. Zones outside 1 to 13
// and points outside the trace are refused, and nothing is written.
TEST_F(MiscCalcTest, HandOverRefusesAZoneWithoutANextOneAndPointsOutsideTheTrace) {
  struct Case {
    int zone;
    int steps;
  };
  for (const Case c : {Case{14, 10}, Case{0, 10}, Case{15, 10}, Case{1, -1}, Case{1, 2000}}) {
    EXPECT_THROW(HandOverZone(s, c.zone, c.steps), std::out_of_range) << c.zone << " " << c.steps;
  }
  EXPECT_EQ(s.Trace.Time[2][0], 0.0);
  HandOverZone(s, 13, 1999);  // the last hand-over there is
}

// A zone's march writes its trace: a zone outside 1 to 14, or more steps than the trace's
// 2000 points hold, is refused before a step is taken.
TEST_F(MiscCalcTest, AZoneMarchRefusesZonesAndStepsOutsideTheTrace) {
  struct Case {
    int zone;
    std::int32_t steps;
  };
  for (const Case c : {Case{0, 10}, Case{15, 10}, Case{1, 2000}}) {
    EXPECT_THROW(IntegrateZone(p, s, c.zone, c.steps), std::out_of_range)
        << c.zone << " " << c.steps;
  }
  EXPECT_EQ(s.Trace.Time[1][1], 0.0);
  IntegrateZone(p, s, 14, 1);  // the last zone, its first step
}

TEST_F(MiscCalcTest, AZoneOfNoStepsSetsItsCoefficientsAndKeepsItsEntryPoint) {
  s.Trace.Temperature[1][1] = 123;
  IntegrateZone(p, s, 1, 0);
  EXPECT_NEAR(s.MassTransferCoefficient2[1], 0.0032049, 0.5e-7);
  EXPECT_EQ(s.Trace.Temperature[1][1], 123);
  IntegrateZone(p, s, 1, -5);
  EXPECT_EQ(s.Trace.Temperature[1][1], 123);
}

// Without evaporation (correction factor 0 below We) the web temperature relaxes linearly
// towards the air: dT/dt = −λ (T − Ta) with λ = (hu + hl) / C. One fourth-order step
// multiplies T − Ta by 1 − z + z²/2 − z³/6 + z⁴/24 with z = λh; Gill's decimal coefficients
// agree with the surds to about 1e-11.
TEST_F(MiscCalcTest, WithoutEvaporationAStepIsTheFourthOrderStepOfALinearRelaxation) {
  s.MassTransferCoefficient1[1] = 1;
  s.MassTransferCoefficient2[1] = 1;
  const StepValues step{0, {0.2, 0.1}, 0.2281317};
  const double lambda = (0.022 + 0.055) / step.HeatCapacity;
  for (const double h : {0.1, 0.5, 1.0}) {
    StateVector y{};
    y[kSolvent1Weight] = 0.04;
    y[kSolvent2Weight] = 0.01;
    y[kWebTemperature] = 15.0;
    RungeKuttaGillStep(p, s, step, kZoneEquations, y, 1, 0.0, h);
    const double z = lambda * h;
    const double factor = 1 - z + z * z / 2 - z * z * z / 6 + z * z * z * z / 24;
    EXPECT_NEAR(y[kWebTemperature], 60.0 + (15.0 - 60.0) * factor, 1e-9) << h;
    EXPECT_NEAR(y[kWebTemperature], 60.0 - 45.0 * std::exp(-z), 45.0 * std::pow(z, 5) / 120 * 1.1)
        << h;
    EXPECT_NEAR(y[kSolvent1Weight], 0.04, 1e-17);
    EXPECT_NEAR(y[kSolvent2Weight], 0.01, 1e-17);
  }
  // At the air temperature, without evaporation, the web stays where it is.
  StateVector y{};
  y[kWebTemperature] = 60.0;
  RungeKuttaGillStep(p, s, step, kZoneEquations, y, 1, 0.0, 0.1);
  EXPECT_NEAR(y[kWebTemperature], 60.0, 1e-12);
}

TEST_F(MiscCalcTest, ConstantRatesAdvanceTheWeightsByTimeStepTimesRate) {
  IntegrateZone(p, s, 1, 1);
  EXPECT_NEAR(s.Trace.Solvent1Weight[1][1], 0.0417 + 0.1 * -5.0136e-4, 1e-8);
}

TEST_F(MiscCalcTest, FloatingPointFaultsEndTheZoneWithTheirNames) {
  const auto expectFault = [&](const char* text) {
    test::ExpectError<FloatingPointError>([&] { IntegrateZone(p, s, 1, 300); }, text);
  };
  // Zero heat capacity of the web: the temperature rate divides by zero.
  const ParameterSet defaults = p;
  p.Solvent1SpecificHeat = p.Solvent2SpecificHeat = p.PolymerSpecificHeat = p.BaseFilmSpecificHeat =
      0;
  expectFault("Floating point division by zero");
  EXPECT_EQ(s.Trace.Temperature[1][1], 0.0);  // nothing of the faulty step is kept
  p = defaults;
  p.Solvent1Diffusivity = -1e-5;  // a negative base to a fractional power
  expectFault("Invalid floating point operation");
  p = defaults;
  p.Solvent1Diffusivity = 0;
  expectFault("Floating point division by zero");
  p = defaults;
  p.Solvent1AntoineA = 400;  // a vapour pressure beyond the double range
  expectFault("Floating point overflow");
}

TEST(InitialiseSimulation, FractionsComeFromTheWeightsNotFromTheRatios) {
  Model model;
  ParameterSet& p = *model.params;
  p.InitialCoatingWeight = 0.1;
  p.InitialSolidRatio = p.InitialSolvent1Ratio = p.InitialSolvent2Ratio = 0.5;
  p.IncrementZ = 0.1;
  p.Speed = 2;
  InitialiseSimulation(p, *model.state);
  EXPECT_DOUBLE_EQ(model.state->Trace.Solvent1Fraction[1][0], 1.0 / 3);
  EXPECT_DOUBLE_EQ(model.state->Trace.Solvent2Fraction[1][0], 1.0 / 3);
  EXPECT_DOUBLE_EQ(model.state->TimeStep, 0.05);
}

TEST(InitialiseSimulation, FaultsKeepTheEntryStateAndSayWhy) {
  Model model;
  ParameterSet& p = *model.params;
  p.InitialCoatingWeight = 0.0695;
  p.InitialSolidRatio = 0.18;
  p.InitialSolvent1Ratio = 0.6;
  p.InitialSolvent2Ratio = 0;
  p.IncrementZ = 0.1;
  p.Speed = 1;
  test::ExpectError<FloatingPointError>([&] { InitialiseSimulation(p, *model.state); },
                                        "Invalid floating point operation");
  EXPECT_EQ(model.state->Trace.Solvent1Weight[1][0], 0.0);
  EXPECT_EQ(model.state->TimeStep, 0.0);

  p.InitialSolvent2Ratio = 0.22;
  p.Speed = 0;
  test::ExpectError<FloatingPointError>([&] { InitialiseSimulation(p, *model.state); },
                                        "Floating point division by zero");
}

}  // namespace
}  // namespace quillmere
