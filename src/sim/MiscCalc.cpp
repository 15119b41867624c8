// Every formula is evaluated in the order and grouping in which it is written, left to right,
// so that the results are those of a plain reading of the formulas to the last bit (the build
// forbids fused multiply-add contraction).
#include "sim/MiscCalc.h"

#include <cmath>
#include <stdexcept>
#include <string>

#include "base/FloatingPointGuard.h"

namespace quillmere {
namespace {

// Properties of the zone air and unit factors of the models.
constexpr double kAirKinematicViscosity = 1.887e-5;  // [m2/s], numerator of the Schmidt number
constexpr double kAirPrandtlNumber = 0.695;          // [-]
constexpr double kAnalogyExponent = 0.42;            // power of Sc / Pr in the analogy [-]
constexpr double kAirThermalConductivity = 0.02849;  // [W/m.K]
constexpr double kKiloToUnit = 1000;                 // kJ to J
constexpr double kAirDensity = 1.059;                // [kg/m3]
constexpr double kAirMolarMass = 29;                 // [g/mol]
constexpr double kAntoineBase = 10;                  // log10 form of the Antoine equation

// Gill's coefficients 1 - 1/√2, 3/√2 - 2, 2 - √2, 1 + 1/√2, -2 - 3/√2 and 2 + √2, as the
// decimal values the method is published with (not the exact surds).
constexpr double kGill1 = 0.29289321881;
constexpr double kGill2 = 0.12132034356;
constexpr double kGill3 = 0.58578643763;
constexpr double kGill4 = 1.7071067812;
constexpr double kGill5 = -4.1213203436;
constexpr double kGill6 = 3.4142135624;

}  // namespace

// Heat and mass transfer analogy: the Sherwood/Nusselt ratio goes as (Sc / Pr)^0.42, so
// k = (Sc / Pr)^0.42 × D × h / λ, with h in W/m2.K.
double MassTransferCoefficient(double diffusivity, double effectiveHeatTransfer) {
  const double ratio = kAirKinematicViscosity / diffusivity / kAirPrandtlNumber;
  double k = std::pow(ratio, kAnalogyExponent);
  k = k * diffusivity * effectiveHeatTransfer / kAirThermalConductivity * kKiloToUnit;
  return k;
}

// Constant-rate period down to Wi, then two straight lines through (Wx, Wy) to 0 at We.
// A fraction on a break point takes the branch above it.
double DryingSpeedCorrection(const ParameterSet& p, double x) {
  if (x >= p.Wi) return 1;
  if (x >= p.Wx) return x * (1 - p.Wy) / (p.Wi - p.Wx) - (p.Wx - p.Wi * p.Wy) / (p.Wi - p.Wx);
  if (x >= p.We) return x * p.Wy / (p.Wx - p.We) - p.We * p.Wy / (p.Wx - p.We);
  return 0;
}

// φi = (Wi / ρi) / (W1 / ρ1 + W2 / ρ2 + S / ρp); only the density ratios matter.
VolumeFractions SolventVolumeFractions(const ParameterSet& p, double solvent1Weight,
                                       double solvent2Weight) {
  const double volume1 = solvent1Weight / p.Solvent1Density;
  const double volume2 = solvent2Weight / p.Solvent2Density;
  const double volume = volume1 + volume2 + SolidWeight(p) / p.PolymerDensity;
  return {volume1 / volume, volume2 / volume};
}

// Antoine vapour pressure Pi = 10^(A - B / (T + C)) [mmHg]; ternary Flory–Huggins activity
// ai = φi e^Xi with the solvents' molar volume ratios taken as 1 and no chain-length term;
// humidity Hi = pi / (760 - p1 - p2) × Mi / 29.
SurfacePressures SurfacePartialPressures(double temperature, double antoineA1, double antoineB1,
                                         double antoineC1, double antoineA2, double antoineB2,
                                         double antoineC2, double phi1, double phi2, double chi12,
                                         double chi1p, double chi2p) {
  const double pure1 = std::pow(kAntoineBase, antoineA1 - antoineB1 / (temperature + antoineC1));
  const double pure2 = std::pow(kAntoineBase, antoineA2 - antoineB2 / (temperature + antoineC2));
  const double phiP = 1 - phi1 - phi2;
  const double x1 = phiP + (chi12 * phi2 + chi1p * phiP) * (phi2 + phiP) - chi2p * phi2 * phiP;
  const double x2 = phiP + (chi12 * phi1 + chi2p * phiP) * (phi1 + phiP) - chi1p * phi1 * phiP;
  return {std::exp(x1) * (pure1 * phi1), std::exp(x2) * (pure2 * phi2)};
}

SurfacePressures WebSurfacePressures(const ParameterSet& p, double temperature,
                                     double solvent1Weight, double solvent2Weight) {
  const VolumeFractions phi = SolventVolumeFractions(p, solvent1Weight, solvent2Weight);
  return SurfacePartialPressures(temperature, p.Solvent1AntoineA, p.Solvent1AntoineB,
                                 p.Solvent1AntoineC, p.Solvent2AntoineA, p.Solvent2AntoineB,
                                 p.Solvent2AntoineC, phi.Solvent1, phi.Solvent2, p.Chi12, p.Chi1p,
                                 p.Chi2p);
}

Humidities SurfaceHumidities(const SurfacePressures& pressures, double molecularWeight1,
                             double molecularWeight2) {
  const double partial1 = pressures.Solvent1;
  const double partial2 = pressures.Solvent2;
  return {partial1 / (kTotalPressure - partial1 - partial2) * (molecularWeight1 / kAirMolarMass),
          partial2 / (kTotalPressure - partial1 - partial2) * (molecularWeight2 / kAirMolarMass)};
}

Humidities WebSurfaceHumidities(const ParameterSet& p, double temperature, double solvent1Weight,
                                double solvent2Weight) {
  return SurfaceHumidities(WebSurfacePressures(p, temperature, solvent1Weight, solvent2Weight),
                           p.Solvent1MolecularWeight, p.Solvent2MolecularWeight);
}

double WebHeatCapacity(const ParameterSet& p, double solvent1Weight, double solvent2Weight) {
  return solvent1Weight * p.Solvent1SpecificHeat + solvent2Weight * p.Solvent2SpecificHeat +
         SolidWeight(p) * p.PolymerSpecificHeat + p.BaseFilmWeight * p.BaseFilmSpecificHeat;
}

namespace {

// StepValuesAt's body, compiled into the march's step loop as well.
[[gnu::always_inline]] inline StepValues ValuesAtPoint(const ParameterSet& p, const ZoneTrace& t,
                                                       int zone, std::size_t j) {
  const double weight1 = t.Solvent1Weight[zone][j];
  const double weight2 = t.Solvent2Weight[zone][j];
  StepValues step;
  step.CorrectionFactor =
      DryingSpeedCorrection(p, t.Solvent1Fraction[zone][j] + t.Solvent2Fraction[zone][j]);
  step.Surface = WebSurfaceHumidities(p, t.Temperature[zone][j], weight1, weight2);
  step.HeatCapacity = WebHeatCapacity(p, weight1, weight2);
  return step;
}

}  // namespace

StepValues StepValuesAt(const ParameterSet& p, const ZoneTrace& t, int zone, int point) {
  return ValuesAtPoint(p, t, zone, static_cast<std::size_t>(point));
}

SolventRates SolventRatesAt(const ParameterSet& p, const SimulationState& s, int zone,
                            double correctionFactor, double humidity1, double humidity2) {
  const ZoneConditions& c = p.Zones;
  const double f = correctionFactor;
  return {
      -f * s.MassTransferCoefficient1[zone] * kAirDensity * (humidity1 - c.Solvent1Humidity[zone]),
      -f * s.MassTransferCoefficient2[zone] * kAirDensity * (humidity2 - c.Solvent2Humidity[zone])};
}

namespace {

// The bodies of ZoneDerivatives and RungeKuttaGillStep, compiled into the march's step loop,
// where the equation count is a constant and the state stays in registers between the four
// stages. Inlining changes no result: the same operations in the same order, as nothing is
// contracted or reassociated in this build.

// Evaporation at a rate proportional to the humidity difference between surface and air;
// convection from both sides heats the web, the latent heat of evaporation cools it.
[[gnu::always_inline]] inline StateVector Derivatives(const ParameterSet& p,
                                                      const SimulationState& s, int zone,
                                                      const StepValues& step, double /*time*/,
                                                      StateVector y) {
  const ZoneConditions& c = p.Zones;
  const double f = step.CorrectionFactor;
  StateVector rate{};
  rate[kSolvent1Weight] = -f * s.MassTransferCoefficient1[zone] * kAirDensity *
                          (step.Surface.Solvent1 - c.Solvent1Humidity[zone]);
  rate[kSolvent2Weight] = -f * s.MassTransferCoefficient2[zone] * kAirDensity *
                          (step.Surface.Solvent2 - c.Solvent2Humidity[zone]);
  const double t = y[kWebTemperature];
  rate[kWebTemperature] = ((c.OuterTemperature[zone] - t) * c.HeatTransferUpper[zone] +
                           (c.OuterTemperature[zone] - t) * c.HeatTransferLower[zone] +
                           rate[kSolvent1Weight] * p.Solvent1HeatOfVaporization +
                           rate[kSolvent2Weight] * p.Solvent2HeatOfVaporization) /
                          step.HeatCapacity;
  return rate;
}

[[gnu::always_inline]] inline void GillStep(const ParameterSet& p, const SimulationState& s,
                                            const StepValues& step, std::size_t count,
                                            StateVector& y, int zone, double x, double h) {
  StateVector k{};
  StateVector d{};
  StateVector q{};

  k = Derivatives(p, s, zone, step, x, y);
  for (std::size_t i = 0; i < count; ++i) {
    d[i] = h * k[i];
    y[i] = y[i] + 0.5 * d[i];
    q[i] = d[i];
  }
  k = Derivatives(p, s, zone, step, 0.5 * h + x, y);
  for (std::size_t i = 0; i < count; ++i) {
    d[i] = h * k[i];
    y[i] = (d[i] - q[i]) * kGill1 + y[i];
    q[i] = kGill2 * q[i] + kGill3 * d[i];
  }
  k = Derivatives(p, s, zone, step, 0.5 * h + x, y);
  for (std::size_t i = 0; i < count; ++i) {
    d[i] = h * k[i];
    y[i] = (d[i] - q[i]) * kGill4 + y[i];
    q[i] = kGill5 * q[i] + kGill6 * d[i];
  }
  k = Derivatives(p, s, zone, step, x + h, y);
  for (std::size_t i = 0; i < count; ++i) {
    d[i] = h * k[i];
    y[i] = d[i] / 6 + y[i] - q[i] / 3;
  }
}

}  // namespace

StateVector ZoneDerivatives(const ParameterSet& p, const SimulationState& s, int zone,
                            const StepValues& step, double time, StateVector y) {
  return Derivatives(p, s, zone, step, time, y);
}

void RungeKuttaGillStep(const ParameterSet& p, const SimulationState& s, const StepValues& step,
                        int n, StateVector& y, int zone, double x, double h) {
  if (n < 0 || static_cast<std::size_t>(n) > y.size()) {
    throw std::out_of_range("RungeKuttaGillStep: " + std::to_string(n) +
                            " equations for a state of " + std::to_string(y.size()));
  }
  GillStep(p, s, step, static_cast<std::size_t>(n), y, zone, x, h);
}

namespace {

// The steps of one zone; `step` tells the caller how far the march got when a fault ends it.
void MarchZone(const ParameterSet& p, SimulationState& s, int zone, std::int32_t steps,
               std::int32_t& step) {
  ClearFloatingPointFaults();
  const double upper = p.Zones.HeatTransferUpper[zone];
  const double coefficient1 = MassTransferCoefficient(p.Solvent1Diffusivity, upper * p.Keff);
  const double coefficient2 = MassTransferCoefficient(p.Solvent2Diffusivity, upper * p.Keff);
  ThrowOnFloatingPointFault({coefficient1, coefficient2});
  s.MassTransferCoefficient1[zone] = coefficient1;
  s.MassTransferCoefficient2[zone] = coefficient2;
  if (steps < 1) return;

  ZoneTrace& t = s.Trace;
  const double solidWeight = SolidWeight(p);
  const double entrySolvent1 = t.Solvent1Weight[1][0];
  const double entrySolvent2 = t.Solvent2Weight[1][0];
  for (step = 1; step <= steps; ++step) {
    const auto from = static_cast<std::size_t>(step - 1);
    const auto to = static_cast<std::size_t>(step);
    const double weight1 = t.Solvent1Weight[zone][from];
    const double weight2 = t.Solvent2Weight[zone][from];
    const double temperature = t.Temperature[zone][from];

    const StepValues values = ValuesAtPoint(p, t, zone, from);
    const double humidity1 = values.Surface.Solvent1;
    const double humidity2 = values.Surface.Solvent2;

    StateVector y{};
    y[kSolvent1Weight] = weight1;
    y[kSolvent2Weight] = weight2;
    y[kWebTemperature] = temperature;
    GillStep(p, s, values, kZoneEquations, y, zone, t.Time[zone][from], s.TimeStep);

    const double time = t.Time[zone][from] + s.TimeStep;
    const double coating = y[kSolvent1Weight] + y[kSolvent2Weight] + solidWeight;
    const double fraction1 = y[kSolvent1Weight] / coating;
    const double fraction2 = y[kSolvent2Weight] / coating;
    const double residual1 = y[kSolvent1Weight] / entrySolvent1;
    const double residual2 = y[kSolvent2Weight] / entrySolvent2;
    ThrowOnFloatingPointFault({humidity1, humidity2, time, y[kSolvent1Weight], y[kSolvent2Weight],
                               y[kWebTemperature], fraction1, fraction2, residual1, residual2});

    t.Solvent1SurfaceHumidity[zone][from] = humidity1;
    t.Solvent2SurfaceHumidity[zone][from] = humidity2;
    t.Time[zone][to] = time;
    t.Solvent1Weight[zone][to] = y[kSolvent1Weight];
    t.Solvent2Weight[zone][to] = y[kSolvent2Weight];
    t.Temperature[zone][to] = y[kWebTemperature];
    t.Solvent1Fraction[zone][to] = fraction1;
    t.Solvent2Fraction[zone][to] = fraction2;
    t.Solvent1Residual[zone][to] = residual1;
    t.Solvent2Residual[zone][to] = residual2;
  }
}

}  // namespace

void IntegrateZone(const ParameterSet& p, SimulationState& s, int zone, std::int32_t steps) {
  if (zone < 1 || zone > kMaxZones || steps >= kTracePoints) {
    throw std::out_of_range("IntegrateZone: zone " + std::to_string(zone) + " of " +
                            std::to_string(steps) + " steps");
  }
  std::int32_t step = 0;
  try {
    MarchZone(p, s, zone, steps, step);
  } catch (const FloatingPointError& fault) {
    throw FloatingPointError(fault.what(), zone, step > 0 ? step - 1 : 0);
  }
}

}  // namespace quillmere
