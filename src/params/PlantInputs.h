// The plant inputs beside the drying inputs: which solvents the coating holds, the web's
// width, the make-up air's temperature, whether the exhaust has continuous LEL monitoring,
// each zone's exhaust air and whether a zone's air follows from its exhaust. They live in the data
// file after its 119 lines and never reach the result file; the plant figures of a run are computed
// from them.
#pragma once

#include <optional>
#include <span>
#include <string>
#include <string_view>

#include "params/FieldTexts.h"
#include "params/ParameterSet.h"

namespace quillmere {

//! A plant input field: its name is also the input's name (for --vary and a data file line).
struct PlantFieldSpec {
  std::string_view name;         //!< "WebWidth", "Zone3.Exhaust"
  std::string_view label;        //!< the data file line's label and the window's caption
  std::string_view unit;         //!< "" where it has none
  std::string_view defaultText;  //!< "." as decimal separator
  int zone = 0;                  //!< 1 to 14 for a zone's input, 0 otherwise
  bool numeric = true;           //!< false for the solvent names and the yes/no inputs
  //! A data file holds the field's line even when it is empty; false for an input that older
  //! files lack and whose line is written only when it is given.
  bool writtenWhenEmpty = true;
};

//! Solvent1Name, Solvent2Name, WebWidth, AmbientTemperature, LelMonitoring, then
//! Zone1.Exhaust to Zone14.Exhaust, then Zone1.AirFromExhaust to Zone14.AirFromExhaust.
std::span<const PlantFieldSpec> PlantFields();

//! The plant field of that name in any case, or nullptr.
const PlantFieldSpec* FindPlantField(std::string_view name);

//! "Zone3.Exhaust"
std::string ExhaustFieldName(int zone);

//! "Zone3.AirFromExhaust"
std::string ZoneAirFieldName(int zone);

//! The make-up air's temperatures a plant draws from outdoors or a hall [°C].
inline constexpr double kLowestAmbientTemperature = -50;
inline constexpr double kHighestAmbientTemperature = 60;

//! A plant field's default text with the decimal separator in force.
std::string PlantDefaultText(const PlantFieldSpec& field, char decimalSeparator);

struct PlantInputs {
  double WebWidth = 0;             //!< coated width [m]
  double AmbientTemperature = 20;  //!< make-up air drawn in [°C]
  //! The exhaust has continuous LEL monitoring that controls the zones: the limit is 50 % of
  //! the LEL instead of 25 %.
  bool LelMonitoring = false;
  //! Fresh air each zone draws and exhausts [Nm3/h at 0 °C, 101.325 kPa]; nullopt: size it.
  ZoneArray<std::optional<double>> Exhaust;
  //! The zone's humidities follow from its exhaust: what the drying puts into its air less
  //! what the exhaust takes out (ZoneAirFromExhaust), instead of being given.
  ZoneArray<bool> AirFromExhaust;
  bool AnyAirFromExhaust() const;
};

//! The plant inputs the fields hold, or nullopt when the web width is empty: a run without a
//! width has no plant figures. Throws quillmere::Error (InputRefused, "Input value is not
//! correct!") naming the field and its text for a value that does not read or is out of
//! range (width not above 0, a make-up air outside −50 to 60 °C, an exhaust below 0, a yes/no
//! input neither "yes" nor "no").
std::optional<PlantInputs> AcquirePlantInputs(const FieldTexts& fields, char decimalSeparator);

}  // namespace quillmere
