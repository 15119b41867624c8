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

//! A zone's figures.
struct ZonePlant {
  int Zone = 0;
  double AirTemperature = 0;             //!< [°C]
  std::array<double, 2> Evaporated{};    //!< each solvent, entry minus exit [kg/h]
  std::array<double, 2> Molar{};         //!< each solvent [kmol/h], uptake counted as 0
  std::optional<double> LelPercent;      //!< of the evaporated mixture at the air temperature
  double LimitPercent = 25;              //!< of the LEL the exhaust may reach [%]
  double Exhaust = 0;                    //!< given, or where sized the minimum [Nm3/h]
  bool ExhaustSized = false;             //!< the exhaust was left empty: Exhaust is the minimum
  std::optional<double> MinimumExhaust;  //!< [Nm3/h]; nullopt where the LEL is unknown
  std::optional<double> PercentLel;      //!< the exhaust's vapour [% of the LEL]
  double WebHeat = 0;       //!< Qweb: what the air gives the web, latent heat included [kW]
  double LatentHeat = 0;    //!< Σ ṁi ΔHv,i, the part of Qweb that evaporates solvent [kW]
  double SensibleHeat = 0;  //!< the web's and coating's sensible heat gain [kW]
  double AirHeat = 0;       //!< Qair: heating the make-up air [kW]
  double TotalHeat() const { return WebHeat + AirHeat; }
  bool OverLimit() const { return PercentLel && *PercentLel > LimitPercent; }
};

struct PlantFigures {
  std::vector<ZonePlant> Zones;
  double TotalHeat = 0;     //!< Σ (Qweb + Qair) [kW]
  double TotalExhaust = 0;  //!< [Nm3/h]
  double TotalSolvent = 0;  //!< both solvents [kg/h]
  //! Heat per kg of solvent evaporated [MJ/kg]; nullopt when none evaporates.
  std::optional<double> EnergyPerSolvent;
  //! The zone nearest its limit and its exhaust's % of the LEL; nullopt when no zone has one.
  std::optional<double> WorstPercentLel;
  int WorstZone = 0;
  //! A zone whose exhaust exceeds its limit, with the exhaust it needs.
  std::vector<std::string> Warnings;
};

//! A zone's figures from its points in the march's order (point 0 its entry, the last its
//! exit). Qweb = b·u·∫ (hU + hL)(Tair − T) dt by the trapezoid rule over the points; the
//! sensible heat Σ C(wj)·(Tj+1 − Tj) with the heat capacity of each step's start, as the march
//! holds it through the step.
ZonePlant ZonePlantOf(const ParameterSet& params, const PlantInputs& plant,
                      const std::array<PlantSolvent, 2>& solvents, int zone,
                      std::span<const TracePoint> points);

//! The figures of every finished zone of a run collected as series.
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
