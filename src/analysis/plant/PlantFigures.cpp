#include "analysis/plant/PlantFigures.h"

#include <algorithm>
#include <charconv>
#include <cmath>
#include <string_view>
#include <utility>

#include "base/Error.h"
#include "base/FloatingPointGuard.h"
#include "base/FormatFixed.h"
#include "base/PrintableText.h"
#include "sim/TraceView.h"

namespace quillmere {
namespace {

constexpr double kSecondsPerHour = 3600;

//! A number in a warning: `digits` decimals, "." whatever the locale.
std::string Number(double value, int digits) {
  return FormatFixed(value, 18, digits, '.');
}

//! A number as short as it reads back, "." whatever the locale ("1e+308").
std::string ShortestNumber(double value) {
  std::array<char, 32> text{};
  const auto end = std::to_chars(text.data(), text.data() + text.size(), value).ptr;
  return std::string(text.data(), end);
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
  const double airMass = exhaust * kAirNormalDensity / kSecondsPerHour;
  return airMass * kAirSpecificHeat * (airTemperature - ambient);
}

std::optional<double> AirPercentOfLel(std::span<const double> humidity,
                                      std::span<const double> molarMass,
                                      std::span<const std::optional<double>> lelPercent,
                                      std::span<const bool> flammable) {
  std::vector<double> kmol(humidity.size());  // per kg of dry air
  double vapour = 0;
  double fuel = 0;
  for (std::size_t i = 0; i < humidity.size(); ++i) {
    kmol[i] = std::max(0.0, humidity[i]) / molarMass[i];
    vapour += kmol[i];
    if (flammable[i]) fuel += kmol[i];
  }
  if (fuel <= 0) return 0.0;
  const std::optional<double> lel = MixtureLel(kmol, lelPercent, flammable);
  if (!lel) return std::nullopt;
  return 100 * (fuel / (vapour + 1 / kAirMolarMass)) / (*lel / 100);
}

std::optional<double> ExhaustAirContent(double evaporated, double exhaust) {
  if (!(exhaust > 0)) return std::nullopt;
  return evaporated / (exhaust * kAirNormalDensity);
}

namespace {

//! The exhaust of a zone from its evaporated vapour and the flammable part of it [kmol/h]:
//! the least exhaust, the exhaust given or sized, the exhaust's %LEL and what it carries.
void ExhaustFigures(ZonePlant& z, const PlantInputs& plant, double vapour, double fuel) {
  const double f = z.LimitPercent / 100;
  if (fuel <= 0) {
    z.MinimumExhaust = 0;
  } else if (z.LelPercent) {
    // x = fuel / (vapour + air) = f·LELmix; with every vapour flammable, the rule
    // 22.414 · Σṅ (1 − f·LELmix) / (f·LELmix).
    const double fLel = f * *z.LelPercent / 100;
    z.MinimumExhaust = std::max(0.0, kNormalMolarVolume * (fuel / fLel - vapour));
  }
  if (plant.Exhaust[z.Zone]) {
    z.Exhaust = *plant.Exhaust[z.Zone];
  } else {
    z.ExhaustSized = true;
    z.Exhaust = z.MinimumExhaust;
  }
  if (fuel <= 0) {
    z.ExhaustPercentLel = 0;
  } else if (z.LelPercent && z.Exhaust) {
    const double air = *z.Exhaust / kNormalMolarVolume;
    z.ExhaustPercentLel = 100 * (fuel / (vapour + air)) / (*z.LelPercent / 100);
  }
  if (z.Exhaust) {
    const std::optional<double> first = ExhaustAirContent(z.Evaporated[0], *z.Exhaust);
    const std::optional<double> second = ExhaustAirContent(z.Evaporated[1], *z.Exhaust);
    if (first && second) z.ExhaustAir = std::array<double, 2>{*first, *second};
  }
}

//! Qweb by the trapezoid rule over the stored points [kJ/m2].
double WebHeatPerArea(double airTemperature, double h, std::span<const TracePoint> points) {
  double heat = 0;
  for (std::size_t j = 0; j + 1 < points.size(); ++j) {
    const TracePoint& a = points[j];
    const TracePoint& b = points[j + 1];
    const double ga = h * (airTemperature - a.Temperature);
    const double gb = h * (airTemperature - b.Temperature);
    heat += 0.5 * (ga + gb) * (b.Time - a.Time);
  }
  return heat;
}

}  // namespace

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
  ExhaustFigures(z, plant, vapour, fuel);
  if (!z.ExhaustPercentLel && z.Exhaust) {
    const double total = vapour + *z.Exhaust / kNormalMolarVolume;  // [kmol/h]
    double least = 0;
    for (std::size_t i = 0; i < 2; ++i) {
      if (flammable[i] && lels[i]) least += 100 * (z.Molar[i] / total) / (*lels[i] / 100);
    }
    z.LeastPercentLel = least;
  }
  z.StatedAir = {c.Solvent1Humidity[zone], c.Solvent2Humidity[zone]};
  z.StatedPercentLel = AirPercentOfLel(z.StatedAir, weights, lels, flammable);
  if (z.ExhaustPercentLel && z.StatedPercentLel) {
    z.PercentLel = std::max(*z.ExhaustPercentLel, *z.StatedPercentLel);
  }
  const double h = c.HeatTransferUpper[zone] + c.HeatTransferLower[zone];
  z.WebHeat = area * WebHeatPerArea(z.AirTemperature, h, points);
  z.SensibleHeat = z.WebHeat - z.LatentHeat;
  if (z.Exhaust) {
    z.AirHeat = MakeUpAirHeat(*z.Exhaust, z.AirTemperature, plant.AmbientTemperature);
  }
  return z;
}

namespace {

//! The names of the burning solvents of `present` (> 0 where a solvent is there) whose LEL is
//! unknown, joined by "and".
std::string UnknownLelNames(const std::array<PlantSolvent, 2>& solvents,
                            const std::array<double, 2>& present) {
  std::string names;
  for (std::size_t i = 0; i < 2; ++i) {
    if (present[i] > 0 && solvents[i].Flammable && !solvents[i].LelPercent) {
      names += (names.empty() ? "" : " and ") + PrintableText(solvents[i].Name);
    }
  }
  return names;
}

//! Where the air as stated and what the exhaust carries disagree for a solvent, a warning
//! with both values of both solvents.
void AirBalanceWarning(const ZonePlant& z, const std::array<PlantSolvent, 2>& solvents,
                       std::vector<std::string>& warnings) {
  if (!z.ExhaustAir) return;
  bool disagree = false;
  for (std::size_t i = 0; i < 2; ++i) {
    const double stated = z.StatedAir[i];
    const double balance = (*z.ExhaustAir)[i];
    const double gap = std::abs(stated - balance);
    disagree = disagree ||
               (gap > kAirContentFloor && gap > kAirBalanceTolerance * std::max(stated, balance));
  }
  if (!disagree) return;
  warnings.push_back("Zone " + std::to_string(z.Zone) + ": its air is stated to hold " +
                     Number(z.StatedAir[0], 5) + " and " + Number(z.StatedAir[1], 5) +
                     " kg/kg of " + PrintableText(solvents[0].Name) + " and " +
                     PrintableText(solvents[1].Name) + ", but its exhaust of " +
                     Number(*z.Exhaust, 0) + " Nm3/h carries " + Number((*z.ExhaustAir)[0], 5) +
                     " and " + Number((*z.ExhaustAir)[1], 5) + " kg/kg; " +
                     ZoneAirFieldName(z.Zone) + " = yes makes the air follow from the exhaust.");
}

//! The warnings of one zone, in the order: its exhaust, its air as stated, an unknown LEL, the
//! air as stated against the exhaust's balance.
void ZoneWarnings(const ZonePlant& z, const std::array<PlantSolvent, 2>& solvents,
                  std::vector<std::string>& warnings) {
  const std::string zone = "Zone " + std::to_string(z.Zone);
  if (z.ExhaustOverLimit() && z.Exhaust && z.MinimumExhaust) {
    warnings.push_back(zone + ": the exhaust of " + Number(*z.Exhaust, 0) + " Nm3/h is at " +
                       Number(*z.ExhaustPercentLel, 1) + " % of the LEL, above the limit of " +
                       Number(z.LimitPercent, 0) + " %; it needs at least " +
                       Number(*z.MinimumExhaust, 0) + " Nm3/h.");
  }
  if (z.StatedOverLimit()) {
    warnings.push_back(zone + ": its air as stated (" + Number(z.StatedAir[0], 4) + " kg/kg of " +
                       PrintableText(solvents[0].Name) + ", " + Number(z.StatedAir[1], 4) +
                       " kg/kg of " + PrintableText(solvents[1].Name) + ") is at " +
                       Number(*z.StatedPercentLel, 1) + " % of the LEL, above the limit of " +
                       Number(z.LimitPercent, 0) + " %, whatever its exhaust.");
  }
  std::array<double, 2> present = z.Molar;
  for (std::size_t i = 0; i < 2; ++i) present[i] = std::max(present[i], z.StatedAir[i]);
  const std::string unknown = UnknownLelNames(solvents, present);
  if (z.LeastOverLimit()) {
    warnings.push_back(zone + ": the solvents of known LEL alone put the exhaust of " +
                       Number(*z.Exhaust, 0) + " Nm3/h at " + Number(*z.LeastPercentLel, 1) +
                       " % of the LEL, above the limit of " + Number(z.LimitPercent, 0) +
                       " %; with " + unknown + " it is higher still.");
  }
  if (!unknown.empty() && !z.PercentLel) {
    warnings.push_back(zone + ": the LEL of " + unknown +
                       " is not known, so the zone's %LEL, its least exhaust and the line's "
                       "worst %LEL are unknown" +
                       (z.Exhaust ? std::string() : ", and its exhaust cannot be sized") +
                       "; give the LEL (lel_percent) in a solvent library of your own" +
                       (z.ExhaustSized ? " or the zone's exhaust air." : "."));
  }
  AirBalanceWarning(z, solvents, warnings);
}

//! The first figure of `z` that is not a finite number, named with its unit; "" when none.
std::string NonFiniteFigure(const ZonePlant& z) {
  const std::array<std::pair<std::optional<double>, std::string_view>, 12> figures{{
      {z.Evaporated[0], "Solvent-1 evaporated (kg/h)"},
      {z.Evaporated[1], "Solvent-2 evaporated (kg/h)"},
      {z.Molar[0] + z.Molar[1], "vapour (kmol/h)"},
      {z.MinimumExhaust, "least exhaust (Nm3/h)"},
      {z.Exhaust, "exhaust (Nm3/h)"},
      {z.PercentLel, "%LEL"},
      {z.StatedPercentLel, "%LEL of the air as stated"},
      {z.LeastPercentLel, "%LEL of the solvents of known LEL"},
      {z.WebHeat, "QWEB (kW)"},
      {z.LatentHeat, "latent heat (kW)"},
      {z.AirHeat, "QAIR (kW)"},
      {z.TotalHeat(), "total heat (kW)"},
  }};
  for (const auto& [value, name] : figures) {
    if (value && !std::isfinite(*value)) return std::string(name);
  }
  if (z.ExhaustAir && !(std::isfinite((*z.ExhaustAir)[0]) && std::isfinite((*z.ExhaustAir)[1]))) {
    return "solvent the exhaust carries (kg/kg)";
  }
  return {};
}

[[noreturn]] void RefuseNonFinite(const std::string& figure, const PlantInputs& plant) {
  throw Error(ErrorKind::RunFault,
              "The plant figure " + figure + " is not a finite number (web width " +
                  ShortestNumber(plant.WebWidth) + " m)!",
              "The run itself finished; its plant figures cannot be given.");
}

//! ZonePlantOf with the floating-point flags watched: an overflow, a division by zero or an
//! invalid operation in a zone's figures is a fault naming the figure it left not finite.
ZonePlant GuardedZonePlant(const ParameterSet& params, const PlantInputs& plant,
                           const std::array<PlantSolvent, 2>& solvents, int zone,
                           std::span<const TracePoint> points) {
  ClearFloatingPointFaults();
  ZonePlant z = ZonePlantOf(params, plant, solvents, zone, points);
  if (FloatingPointFaultRaised({z.WebHeat, z.LatentHeat, z.Evaporated[0], z.Evaporated[1]})) {
    const std::string figure = NonFiniteFigure(z);
    RefuseNonFinite("of zone " + std::to_string(zone) + ", " +
                        (figure.empty() ? std::string("an intermediate figure") : figure) + ",",
                    plant);
  }
  return z;
}

//! The line's totals and warnings over `zones`. Throws quillmere::Error (RunFault) naming the
//! first figure that is not finite.
PlantFigures Totals(std::vector<ZonePlant> zones, const std::array<PlantSolvent, 2>& solvents,
                    const PlantInputs& plant) {
  PlantFigures figures;
  bool worstUnknown = zones.empty();
  for (const ZonePlant& z : zones) {
    if (const std::string figure = NonFiniteFigure(z); !figure.empty()) {
      RefuseNonFinite("of zone " + std::to_string(z.Zone) + ", " + figure + ",", plant);
    }
    figures.TotalHeat += z.TotalHeat().value_or(z.WebHeat);
    figures.Incomplete = figures.Incomplete || !z.Exhaust;
    figures.TotalExhaust += z.Exhaust.value_or(0);
    figures.TotalSolvent += z.Evaporated[0] + z.Evaporated[1];
    if (!z.PercentLel) {
      worstUnknown = true;
    } else if (!figures.WorstPercentLel || *z.PercentLel > *figures.WorstPercentLel) {
      figures.WorstPercentLel = z.PercentLel;
      figures.WorstZone = z.Zone;
    }
    ZoneWarnings(z, solvents, figures.Warnings);
  }
  if (worstUnknown) {
    figures.WorstPercentLel.reset();
    figures.WorstZone = 0;
  }
  // Heat per kg of solvent: kW / (kg/h) · 3600 s/h / 1000 kJ/MJ.
  if (figures.TotalSolvent > 0 && !figures.Incomplete) {
    figures.EnergyPerSolvent = figures.TotalHeat * kSecondsPerHour / 1000 / figures.TotalSolvent;
  }
  for (const double total : {figures.TotalHeat, figures.TotalExhaust, figures.TotalSolvent,
                             figures.EnergyPerSolvent.value_or(0)}) {
    if (!std::isfinite(total)) RefuseNonFinite("of the line's totals", plant);
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
    zones.push_back(GuardedZonePlant(params, plant, solvents, summary.Zone, points));
  }
  return Totals(std::move(zones), solvents, plant);
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
    zones.push_back(GuardedZonePlant(params, plant, solvents, zone, points));
  }
  return Totals(std::move(zones), solvents, plant);
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
                       " the range of " + PrintableText(solvents[i].Name) +
                       "'s vapour pressure constants (" + Number(from, 0) + " to " + Number(to, 0) +
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
