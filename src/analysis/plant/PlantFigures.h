// What each zone of a finished run means for the plant: the solvent it evaporates, how close
// its exhaust comes to the lower explosive limit (LEL) of the vapour mixture, the least exhaust
// that keeps it within the limit of the oven codes, and the heat it takes: what its air gives
// the web and what heating its make-up air costs. Casing losses and fan heat are not
// modelled.
#pragma once

#include <array>
#include <optional>
#include <span>
#include <string>
#include <vector>

#include "params/ParameterSet.h"
#include "params/PlantInputs.h"
#include "sim/RunRecord.h"
#include "sim/RunSeries.h"
#include "sim/SimulationState.h"

namespace quillmere {

//! Volume of a kmol of ideal gas at 0 °C and 101.325 kPa [Nm3/kmol].
inline constexpr double kNormalMolarVolume = 22.414;
//! Molar mass of dry air [kg/kmol].
inline constexpr double kAirMolarMass = 28.96;
//! Specific heat of dry air at constant pressure [kJ/kg.K].
inline constexpr double kAirSpecificHeat = 1.006;
//! Above this air temperature the oven codes take the LEL as kHotLelFactor of its value [°C].
inline constexpr double kHotLelTemperature = 120;
inline constexpr double kHotLelFactor = 0.7;
//! The fraction of the LEL a zone's exhaust may reach: without and with continuous LEL
//! monitoring that controls the zone [-].
inline constexpr double kLelLimit = 0.25;
inline constexpr double kMonitoredLelLimit = 0.50;

//! What the plant figures need of a solvent besides the inputs of the run.
struct PlantSolvent {
  std::string Name;                  //!< as chosen ("as specified", "Ethyl acetate")
  std::optional<double> LelPercent;  //!< lower explosive limit in air [vol %]; nullopt: unknown
  bool Flammable = true;             //!< false: the vapour does not burn (water)
  //! The range of its Antoine constants [°C]; nullopt where it is not known.
  std::optional<std::array<double, 2>> AntoineRange;
};

//! The LEL of a vapour mixture by Le Chatelier's rule, 1 / Σ (yi / LELi) [vol %], with yi the
//! mole fractions of `kmolPerHour` (negative rates count as 0) and LELi in vol %. Solvents
//! that do not burn (`flammable` false) dilute the mixture. nullopt when nothing evaporates,
//! when nothing flammable does, or when the LEL of an evaporating flammable solvent is unknown.
std::optional<double> MixtureLel(std::span<const double> kmolPerHour,
                                 std::span<const std::optional<double>> lelPercent,
                                 std::span<const bool> flammable);

//! The LEL in force in air at `airTemperature` [°C]: `lelPercent` × 0.7 above 120 °C.
double LelAtTemperature(double lelPercent, double airTemperature);

//! The exhaust's vapour as a percentage of the LEL: 100 x / LELmix with x = Σṅ / (Σṅ + ṅair),
//! ṅair = V / 22.414. `vapour` [kmol/h], `exhaust` V [Nm3/h], `lelPercent` LELmix [vol %].
double PercentOfLel(double vapour, double exhaust, double lelPercent);

//! The least exhaust that keeps the vapour at the fraction `limit` of the LEL [Nm3/h]:
//! 22.414 · Σṅ (1 − f·LELmix) / (f·LELmix), LELmix as a volume fraction.
double MinimumExhaust(double vapour, double lelPercent, double limit);

//! Heating the make-up air from `ambient` to `airTemperature` [kW]: ṁair · 1.006 · ΔT with
//! ṁair = V · (28.96 / 22.414) / 3600 [kg/s].
double MakeUpAirHeat(double exhaust, double airTemperature, double ambient);

//! Density of dry air at 0 °C and 101.325 kPa, as the plant figures take it: 28.96 / 22.414
//! [kg/Nm3].
inline constexpr double kAirNormalDensity = kAirMolarMass / kNormalMolarVolume;
//! A zone is within its limit while its %LEL exceeds the limit by no more than this fraction
//! of it: a zone sized to the limit lands on it up to rounding, and rounding is no alarm.
inline constexpr double kLimitTolerance = 1e-9;
//! The air as stated and the exhaust's balance disagree where they differ by more than this
//! fraction of the larger and by more than kAirContentFloor [kg/kg].
inline constexpr double kAirBalanceTolerance = 0.05;
inline constexpr double kAirContentFloor = 1e-4;

//! The %LEL of air holding `humidity` [kg of each solvent per kg of dry air] with molar masses
//! `molarMass` [kg/kmol]: the mole fractions xi = (Yi / Mi) / (1 / 28.96 + Σ Yj / Mj), the
//! mixture's LEL by Le Chatelier's rule over them. 0 when it holds nothing flammable; nullopt
//! when a flammable solvent it holds has no known LEL. Negative contents count as 0.
std::optional<double> AirPercentOfLel(std::span<const double> humidity,
                                      std::span<const double> molarMass,
                                      std::span<const std::optional<double>> lelPercent,
                                      std::span<const bool> flammable);

//! What `exhaust` V [Nm3/h] carries of a solvent evaporating at `evaporated` ṁ [kg/h], per kg
//! of dry air: ṁ / (V · 28.96 / 22.414) [kg/kg]; nullopt without exhaust.
std::optional<double> ExhaustAirContent(double evaporated, double exhaust);

//! A zone's figures. A figure that cannot be formed (a solvent without a known LEL evaporates,
//! a sized exhaust that cannot be sized) is nullopt: unknown, never 0.
struct ZonePlant {
  int Zone = 0;
  double AirTemperature = 0;             //!< [°C]
  std::array<double, 2> Evaporated{};    //!< each solvent, entry minus exit [kg/h]
  std::array<double, 2> Molar{};         //!< each solvent [kmol/h], uptake counted as 0
  std::optional<double> LelPercent;      //!< of the evaporated mixture at the air temperature
  double LimitPercent = 25;              //!< of the LEL the exhaust may reach [%]
  std::optional<double> Exhaust;         //!< given, or where sized the minimum [Nm3/h]
  bool ExhaustSized = false;             //!< the exhaust was left empty: Exhaust is the minimum
  std::optional<double> MinimumExhaust;  //!< [Nm3/h]; nullopt where the LEL is unknown
  //! The exhaust's vapour by its balance (what evaporates in the zone leaves with its
  //! exhaust) [% of the LEL].
  std::optional<double> ExhaustPercentLel;
  //! Where the exhaust's %LEL is unknown, what the solvents of known LEL alone put into it:
  //! the others only add to it (Le Chatelier: x / LELmix = Σ xi / LELi) [% of the LEL].
  std::optional<double> LeastPercentLel;
  std::array<double, 2> StatedAir{};       //!< the zone's humidities as stated [kg/kg]
  std::optional<double> StatedPercentLel;  //!< the stated air's own [% of the LEL]
  //! What the exhaust carries of each solvent per kg of air [kg/kg]; nullopt without exhaust.
  std::optional<std::array<double, 2>> ExhaustAir;
  //! The zone's air [% of the LEL]: the larger of the exhaust's balance and the air as stated.
  std::optional<double> PercentLel;
  double WebHeat = 0;     //!< Qweb: what the air gives the web, latent heat included [kW]
  double LatentHeat = 0;  //!< Σ ṁi ΔHv,i, the part of Qweb that evaporates solvent [kW]
  //! Qweb less the latent heat: what heats the web and its coating [kW].
  double SensibleHeat = 0;
  std::optional<double> AirHeat;  //!< Qair: heating the make-up air [kW]
  std::optional<double> TotalHeat() const {
    return AirHeat ? std::optional<double>(WebHeat + *AirHeat) : std::nullopt;
  }
  //! The exhaust's balance is above the limit (beyond rounding).
  bool ExhaustOverLimit() const { return Above(ExhaustPercentLel); }
  //! The air as stated is above the limit.
  bool StatedOverLimit() const { return Above(StatedPercentLel); }
  //! The solvents of known LEL alone are above the limit: the zone is, whatever the others.
  bool LeastOverLimit() const { return Above(LeastPercentLel); }
  bool OverLimit() const { return ExhaustOverLimit() || StatedOverLimit() || LeastOverLimit(); }

 private:
  bool Above(const std::optional<double>& percent) const {
    return percent && *percent > LimitPercent * (1 + kLimitTolerance);
  }
};

struct PlantFigures {
  std::vector<ZonePlant> Zones;
  //! The totals over the zones whose figures are known; Incomplete when a zone's exhaust (and
  //! so its make-up air's heat) is not.
  double TotalHeat = 0;     //!< Σ (Qweb + Qair) [kW]
  double TotalExhaust = 0;  //!< [Nm3/h]
  double TotalSolvent = 0;  //!< both solvents [kg/h]
  bool Incomplete = false;
  //! Heat per kg of solvent evaporated [MJ/kg]; nullopt when none evaporates or the totals are
  //! incomplete.
  std::optional<double> EnergyPerSolvent;
  //! The zone nearest its limit and its %LEL; nullopt when a zone's %LEL is unknown (or no
  //! zone finished): the line's worst is then unknown, never the best of the others.
  std::optional<double> WorstPercentLel;
  int WorstZone = 0;
  //! A zone above its limit, a zone whose LEL is unknown, a zone whose stated air and
  //! exhaust disagree.
  std::vector<std::string> Warnings;
};

//! A zone's figures from its points in the march's order (point 0 its entry, the last its
//! exit). Qweb = b·u·∫ (hU + hL)(Tair − T) dt by the trapezoid rule over the points.
ZonePlant ZonePlantOf(const ParameterSet& params, const PlantInputs& plant,
                      const std::array<PlantSolvent, 2>& solvents, int zone,
                      std::span<const TracePoint> points);

//! The figures of every finished zone of a run collected as series. Throws quillmere::Error
//! (RunFault) naming the figure when one is not a finite number (a web width of 1e308 m): the
//! run's plant figures are then a fault, not a table of infinities.
PlantFigures PlantFiguresOf(const ParameterSet& params, const PlantInputs& plant,
                            const std::array<PlantSolvent, 2>& solvents, const RunSeries& series);

//! The same from the state that still holds the run (a sweep's case).
PlantFigures PlantFiguresOf(const ParameterSet& params, const PlantInputs& plant,
                            const std::array<PlantSolvent, 2>& solvents,
                            const SimulationState& state, const RunRecord& record);

//! A warning for each zone where the web's temperature leaves the range of a solvent's
//! Antoine constants (the vapour pressure there is extrapolated), from the run's series.
std::vector<std::string> AntoineRangeWarnings(const std::array<PlantSolvent, 2>& solvents,
                                              const RunSeries& series);

//! The same from the state that still holds the run (a sweep's case).
std::vector<std::string> AntoineRangeWarnings(const std::array<PlantSolvent, 2>& solvents,
                                              const ParameterSet& params,
                                              const SimulationState& state,
                                              const RunRecord& record);

}  // namespace quillmere
