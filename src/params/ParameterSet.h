// The complete input of one calculation, held in the units of the window's captions.
#pragma once

#include <array>
#include <cstdint>
#include <string>

namespace quillmere {

//! Number of dryer zones; zones are numbered 1 to kMaxZones everywhere.
inline constexpr int kMaxZones = 14;

//! Fixed-size array indexed by zone number 1 to 14 (zone 1 in the first element).
template <typename T>
class ZoneArray {
 public:
  T& operator[](int zone) { return values_[static_cast<std::size_t>(zone - 1)]; }
  const T& operator[](int zone) const { return values_[static_cast<std::size_t>(zone - 1)]; }

 private:
  std::array<T, kMaxZones> values_{};
};

//! The six conditions of every zone, as six parallel arrays indexed by zone number.
struct ZoneConditions {
  ZoneArray<double> OuterTemperature;   //!< zone air temperature [°C]
  ZoneArray<double> ZoneLength;         //!< length along the machine direction [m]
  ZoneArray<double> Solvent1Humidity;   //!< Solvent-1 vapour in the air [kg/kg dry air]
  ZoneArray<double> Solvent2Humidity;   //!< Solvent-2 vapour in the air [kg/kg dry air]
  ZoneArray<double> HeatTransferUpper;  //!< heat transfer coefficient above the web [kJ/m2.s.K]
  ZoneArray<double> HeatTransferLower;  //!< heat transfer coefficient below the web [kJ/m2.s.K]
};

//! The six condition arrays in the order of a zone's fields: outer temperature, zone length,
//! the two humidities, the upper and the lower heat transfer coefficient.
inline constexpr std::array<ZoneArray<double> ZoneConditions::*, 6> kZoneQuantities{
    &ZoneConditions::OuterTemperature,  &ZoneConditions::ZoneLength,
    &ZoneConditions::Solvent1Humidity,  &ZoneConditions::Solvent2Humidity,
    &ZoneConditions::HeatTransferUpper, &ZoneConditions::HeatTransferLower,
};

//! Every input of one calculation. One instance lives as long as the program; each run
//! refills it from the fields and nothing clears it, so values a run does not reach keep
//! what an earlier run stored. The initial web temperature is not here: acquisition puts it
//! straight into point 0 of zone 1 of the simulation trace.
struct ParameterSet {
  // Start conditions of the wet coating and the web.
  double InitialCoatingWeight = 0;  //!< wet coating per area at the entry [kg/m2]
  double BaseFilmWeight = 0;        //!< base film per area [kg/m2]
  double InitialSolidRatio = 0;     //!< weight ratio of polymer in the wet coating [-]
  double InitialSolvent1Ratio = 0;  //!< weight ratio of Solvent-1 [-]
  double InitialSolvent2Ratio = 0;  //!< weight ratio of Solvent-2 [-]
  double Speed = 0;                 //!< web speed [m/s]

  ZoneConditions Zones;

  double IncrementZ = 0;  //!< integration step along the machine direction [m]

  // Fitting parameters.
  double Wi = 0;     //!< solvent fraction below which the drying rate starts to fall [-]
  double We = 0;     //!< solvent fraction at which the drying rate reaches zero [-]
  double Wx = 0;     //!< solvent fraction of the knee of the falling-rate curve [-]
  double Wy = 0;     //!< correction factor at the knee [-]
  double Keff = 0;   //!< dryer efficiency, scales the upper heat transfer coefficient [-]
  double Chi1p = 0;  //!< Flory–Huggins interaction Solvent-1 / polymer [-]
  double Chi2p = 0;  //!< Flory–Huggins interaction Solvent-2 / polymer [-]
  double Chi12 = 0;  //!< Flory–Huggins interaction Solvent-1 / Solvent-2 [-]

  // Polymer.
  double PolymerSpecificHeat = 0;  //!< [kJ/kg.K]
  double PolymerDensity = 0;       //!< [g/cm3]

  // Solvent-1.
  double Solvent1SpecificHeat = 0;        //!< [kJ/kg.K]
  double Solvent1HeatOfVaporization = 0;  //!< [kJ/kg]
  double Solvent1Diffusivity = 0;         //!< diffusion coefficient in air [m2/s]
  double Solvent1AntoineA = 0;            //!< log10 Ps = A - B / (T + C), Ps in mmHg, T in °C
  double Solvent1AntoineB = 0;
  double Solvent1AntoineC = 0;
  double Solvent1Density = 0;          //!< [g/cm3]
  double Solvent1MolecularWeight = 0;  //!< relative molecular mass [-]

  // Solvent-2.
  double Solvent2SpecificHeat = 0;        //!< [kJ/kg.K]
  double Solvent2HeatOfVaporization = 0;  //!< [kJ/kg]
  double Solvent2Diffusivity = 0;         //!< diffusion coefficient in air [m2/s]
  double Solvent2AntoineA = 0;
  double Solvent2AntoineB = 0;
  double Solvent2AntoineC = 0;
  double Solvent2Density = 0;          //!< [g/cm3]
  double Solvent2MolecularWeight = 0;  //!< relative molecular mass [-]

  // Base film.
  double BaseFilmSpecificHeat = 0;  //!< [kJ/kg.K]

  std::string SaveFileName;  //!< result file name exactly as typed

  // Derived by acquisition.
  std::int32_t ZoneCount = 0;         //!< number of active zones, 1 to 14 after a complete run
  ZoneArray<std::int32_t> ZoneSteps;  //!< integration steps of each zone
};

}  // namespace quillmere
