#include "analysis/plant/PlantFigures.h"

#include <algorithm>

#include "base/FormatFixed.h"
#include "sim/MiscCalc.h"
#include "sim/TraceView.h"

namespace quillmere {
namespace {

constexpr double kSecondsPerHour = 3600;

//! A number in a warning: `digits` decimals, "." whatever the locale.
std::string Number(double value, int digits) {
  return FormatFixed(value, 18, digits, '.');
}

}  // namespace

std::optional<double> MixtureLel(std::span<const double> kmolPerHour,
                                 std::span<const std::optional<double>> lelPercent,
                                 std::span<const bool> flammable) {
  double fuel = 0;
  for (std::size_t i = 0; i < kmolPerHour.size(); ++i) {
    if (flammable[i] && kmolPerHour[i] > 0) fuel += kmolPerHour[i];
  }
  if (fuel <= 0) return std::nullopt;
  // Le Chatelier: 1 / LELmix = Σ yi / LELi over the flammable vapours.
  double sum = 0;
  for (std::size_t i = 0; i < kmolPerHour.size(); ++i) {
    if (!flammable[i] || kmolPerHour[i] <= 0) continue;
    if (!lelPercent[i]) return std::nullopt;
    sum += kmolPerHour[i] / fuel / *lelPercent[i];
  }
  return 1 / sum;
}

double LelAtTemperature(double lelPercent, double airTemperature) {
  return airTemperature > kHotLelTemperature ? lelPercent * kHotLelFactor : lelPercent;
}

double PercentOfLel(double vapour, double exhaust, double lelPercent) {
  if (vapour <= 0) return 0;
  const double air = exhaust / kNormalMolarVolume;
  const double x = vapour / (vapour + air);
  return 100 * x / (lelPercent / 100);
}

double MinimumExhaust(double vapour, double lelPercent, double limit) {
  const double fLel = limit * lelPercent / 100;
  return kNormalMolarVolume * vapour * (1 - fLel) / fLel;
}

double MakeUpAirHeat(double exhaust, double airTemperature, double ambient) {
  const double airMass = exhaust * (kAirMolarMass / kNormalMolarVolume) / kSecondsPerHour;
  return airMass * kAirSpecificHeat * (airTemperature - ambient);
}

ZonePlant ZonePlantOf(const ParameterSet& params, const PlantInputs& plant,
                      const std::array<PlantSolvent, 2>& solvents, int zone,
                      std::span<const TracePoint> points) {
  ZonePlant z;
  z.Zone = zone;
  const ZoneConditions& c = params.Zones;
  z.AirTemperature = c.OuterTemperature[zone];
  z.LimitPercent = 100 * (plant.LelMonitoring ? kMonitoredLelLimit : kLelLimit);
  const double area = plant.WebWidth * params.Speed;  // web area through the zone [m2/s]
  const TracePoint& entry = points.front();
  const TracePoint& exit = points.back();

  const std::array<double, 2> evaporated{entry.Solvent1Weight - exit.Solvent1Weight,
                                         entry.Solvent2Weight - exit.Solvent2Weight};  // kg/m2
  const std::array<double, 2> weights{params.Solvent1MolecularWeight,
                                      params.Solvent2MolecularWeight};
  const std::array<double, 2> heats{params.Solvent1HeatOfVaporization,
                                    params.Solvent2HeatOfVaporization};
  std::array<std::optional<double>, 2> lels;
  std::array<bool, 2> flammable{};
  double vapour = 0;  // every vapour in the exhaust [kmol/h]
  double fuel = 0;    // the flammable part [kmol/h]
  for (std::size_t i = 0; i < 2; ++i) {
    const double massRate = evaporated[i] * area;  // [kg/s]
    z.Evaporated[i] = kSecondsPerHour * massRate;
    z.Molar[i] = std::max(0.0, kSecondsPerHour * massRate / weights[i]);
    z.LatentHeat += massRate * heats[i];
    flammable[i] = solvents[i].Flammable;
    if (solvents[i].LelPercent) {
      lels[i] = LelAtTemperature(*solvents[i].LelPercent, z.AirTemperature);
    }
    vapour += z.Molar[i];
    if (flammable[i]) fuel += z.Molar[i];
  }
  z.LelPercent = MixtureLel(z.Molar, lels, flammable);

  const double f = z.LimitPercent / 100;
  if (fuel <= 0) {
    z.MinimumExhaust = 0;
  } else if (z.LelPercent) {
    // x = fuel / (vapour + air) = f·LELmix; with every vapour flammable, the rule
    // 22.414 · Σṅ (1 − f·LELmix) / (f·LELmix).
    const double fLel = f * *z.LelPercent / 100;
    z.MinimumExhaust = std::max(0.0, kNormalMolarVolume * (fuel / fLel - vapour));
  }
  if (plant.Exhaust[zone]) {
    z.Exhaust = *plant.Exhaust[zone];
  } else {
    z.ExhaustSized = true;
    z.Exhaust = z.MinimumExhaust.value_or(0);
  }
  if (fuel <= 0) {
    z.PercentLel = 0;
  } else if (z.LelPercent) {
    const double air = z.Exhaust / kNormalMolarVolume;
    z.PercentLel = 100 * (fuel / (vapour + air)) / (*z.LelPercent / 100);
  }

  // Qweb by the trapezoid rule over the stored points; the sensible heat with each step's
  // start heat capacity, as the march holds it through the step.
  const double h = c.HeatTransferUpper[zone] + c.HeatTransferLower[zone];
  double heat = 0;      // [kJ/m2]
  double sensible = 0;  // [kJ/m2]
  for (std::size_t j = 0; j + 1 < points.size(); ++j) {
    const TracePoint& a = points[j];
    const TracePoint& b = points[j + 1];
    const double ga = h * (z.AirTemperature - a.Temperature);
    const double gb = h * (z.AirTemperature - b.Temperature);
    heat += 0.5 * (ga + gb) * (b.Time - a.Time);
    sensible += WebHeatCapacity(params, a.Solvent1Weight, a.Solvent2Weight) *
                (b.Temperature - a.Temperature);
  }
  z.WebHeat = area * heat;
  z.SensibleHeat = area * sensible;
  z.AirHeat = MakeUpAirHeat(z.Exhaust, z.AirTemperature, plant.AmbientTemperature);
  return z;
}

namespace {

PlantFigures Totals(std::vector<ZonePlant> zones, const std::array<PlantSolvent, 2>& solvents) {
  PlantFigures figures;
  for (const ZonePlant& z : zones) {
    figures.TotalHeat += z.TotalHeat();
    figures.TotalExhaust += z.Exhaust;
    figures.TotalSolvent += z.Evaporated[0] + z.Evaporated[1];
    if (z.PercentLel && (!figures.WorstPercentLel || *z.PercentLel > *figures.WorstPercentLel)) {
      figures.WorstPercentLel = z.PercentLel;
      figures.WorstZone = z.Zone;
    }
    const std::string zone = "Zone " + std::to_string(z.Zone);
    if (z.OverLimit()) {
      figures.Warnings.push_back(zone + ": the exhaust of " + Number(z.Exhaust, 0) +
                                 " Nm3/h is at " + Number(*z.PercentLel, 1) +
                                 " % of the LEL, above the limit of " + Number(z.LimitPercent, 0) +
                                 " %; it needs at least " + Number(*z.MinimumExhaust, 0) +
                                 " Nm3/h.");
    } else if (!z.PercentLel) {
      std::string unknown;
      for (std::size_t i = 0; i < 2; ++i) {
        if (z.Molar[i] > 0 && solvents[i].Flammable && !solvents[i].LelPercent) {
          unknown += (unknown.empty() ? "" : " and ") + solvents[i].Name;
        }
      }
      figures.Warnings.push_back(zone + ": the LEL of " + unknown +
                                 " is not known, so the zone's %LEL and its least exhaust are "
                                 "not given" +
                                 (z.ExhaustSized ? "; give the zone's exhaust air." : "."));
    }
  }
  // Heat per kg of solvent: kW / (kg/h) · 3600 s/h / 1000 kJ/MJ.
  if (figures.TotalSolvent > 0) {
    figures.EnergyPerSolvent = figures.TotalHeat * kSecondsPerHour / 1000 / figures.TotalSolvent;
  }
  figures.Zones = std::move(zones);
  return figures;
}

}  // namespace

PlantFigures PlantFiguresOf(const ParameterSet& params, const PlantInputs& plant,
                            const std::array<PlantSolvent, 2>& solvents, const RunSeries& series) {
  std::vector<ZonePlant> zones;
  std::vector<TracePoint> points;
  std::size_t start = 0;
  for (const ZoneSummary& summary : series.Zones) {
    points.clear();
    while (start < series.Points.size() && series.Points[start].State.Zone == summary.Zone) {
      points.push_back(series.Points[start++].State);
    }
    if (points.size() < 2) continue;
    zones.push_back(ZonePlantOf(params, plant, solvents, summary.Zone, points));
  }
  return Totals(std::move(zones), solvents);
}

PlantFigures PlantFiguresOf(const ParameterSet& params, const PlantInputs& plant,
                            const std::array<PlantSolvent, 2>& solvents,
                            const SimulationState& state, const RunRecord& record) {
  std::vector<ZonePlant> zones;
  std::vector<TracePoint> points;
  for (int zone = 1; zone <= record.ZonesDone(); ++zone) {
    const ZoneView view(params, state, zone);
    points.clear();
    for (int s = 0; s <= view.Steps(); ++s) points.push_back(view.At(s));
    if (points.size() < 2) continue;
    zones.push_back(ZonePlantOf(params, plant, solvents, zone, points));
  }
  return Totals(std::move(zones), solvents);
}

namespace {

//! The warnings of one zone whose web ranges from `low` to `high` [°C].
void ZoneRangeWarnings(const std::array<PlantSolvent, 2>& solvents, int zone, double low,
                       double high, std::vector<std::string>& warnings) {
  for (std::size_t i = 0; i < 2; ++i) {
    if (!solvents[i].AntoineRange) continue;
    const auto [from, to] = *solvents[i].AntoineRange;
    if (low >= from && high <= to) continue;
    const bool below = low < from;
    warnings.push_back("Zone " + std::to_string(zone) + ": the web reaches " +
                       Number(below ? low : high, 1) + " °C, " + (below ? "below" : "above") +
                       " the range of " + solvents[i].Name + "'s vapour pressure constants (" +
                       Number(from, 0) + " to " + Number(to, 0) +
                       " °C); its vapour pressure there is extrapolated.");
  }
}

}  // namespace

std::vector<std::string> AntoineRangeWarnings(const std::array<PlantSolvent, 2>& solvents,
                                              const RunSeries& series) {
  std::vector<std::string> warnings;
  std::size_t start = 0;
  for (const ZoneSummary& summary : series.Zones) {
    bool any = false;
    double low = 0;
    double high = 0;
    for (; start < series.Points.size() && series.Points[start].State.Zone == summary.Zone;
         ++start) {
      const double t = series.Points[start].State.Temperature;
      low = any ? std::min(low, t) : t;
      high = any ? std::max(high, t) : t;
      any = true;
    }
    if (any) ZoneRangeWarnings(solvents, summary.Zone, low, high, warnings);
  }
  return warnings;
}

std::vector<std::string> AntoineRangeWarnings(const std::array<PlantSolvent, 2>& solvents,
                                              const ParameterSet& params,
                                              const SimulationState& state,
                                              const RunRecord& record) {
  std::vector<std::string> warnings;
  for (int zone = 1; zone <= record.ZonesDone(); ++zone) {
    const auto& points = state.Trace.Temperature[zone];
    const auto end = points.begin() + params.ZoneSteps[zone] + 1;
    const auto [low, high] = std::minmax_element(points.begin(), end);
    ZoneRangeWarnings(solvents, zone, *low, *high, warnings);
  }
  return warnings;
}

}  // namespace quillmere
