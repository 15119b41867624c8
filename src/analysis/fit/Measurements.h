// Measurements taken on a coating line: web temperatures from pyrometers at zone positions,
// residual solvent from samples at the dryer's exit or along a pilot line. They are kept in a
// CSV file of one of two layouts, so that the model can be compared with them and its fitting
// parameters fitted to them:
//
//   one measurement a line                 one line a position, one column a quantity
//   position_m,quantity,value,sigma        position_m,temperature,residual1,residual1_sigma
//   12.5,temperature,41.2,0.5              12.5,41.2,,
//   60,residual1,0.0061,0.0004             60,59.8,0.0061,0.0004
//
// The position is the distance from the dryer's entry [m] ("position_m"), or the time since the
// web entered it [s] ("time_s"). Numbers use "." whatever the locale; "sigma", the standard
// deviation of a measurement, is optional, and measurements without it weigh alike.
#pragma once

#include "base/Error.h"

#include <array>
#include <optional>
#include <stdexcept>
#include <string>
#include <string_view>
#include <vector>

namespace quillmere {

//! What was measured.
enum class MeasuredQuantity {
  Temperature,  //!< web temperature [°C]
  Residual1,    //!< Solvent-1 weight / its weight at the dryer's entry [-]
  Residual2,    //!< Solvent-2 weight / its weight at the dryer's entry [-]
  Weight1,      //!< Solvent-1 left in the coating [kg/m2]
  Weight2,      //!< Solvent-2 left in the coating [kg/m2]
};

inline constexpr std::array<MeasuredQuantity, 5> kMeasuredQuantities{
    MeasuredQuantity::Temperature, MeasuredQuantity::Residual1, MeasuredQuantity::Residual2,
    MeasuredQuantity::Weight1, MeasuredQuantity::Weight2};

//! The quantity's name in a measurement file: "temperature", "residual1", "residual2",
//! "weight1", "weight2".
std::string_view QuantityName(MeasuredQuantity quantity);

//! Its unit: "°C", "-" for the ratios, "kg/m2".
std::string_view QuantityUnit(MeasuredQuantity quantity);

//! Along what a measurement's place is given.
enum class MeasurementAxis {
  Position,  //!< distance from the dryer's entry [m]
  Time,      //!< time since the web entered the dryer [s]
};

//! The axis's column name: "position_m" or "time_s".
std::string_view AxisName(MeasurementAxis axis);

struct Measurement {
  double Where = 0;  //!< along the axis of its file [m or s]
  MeasuredQuantity Quantity = MeasuredQuantity::Temperature;
  double Value = 0;             //!< in the quantity's unit
  std::optional<double> Sigma;  //!< standard deviation, in the quantity's unit; a normal > 0
  int Line = 0;                 //!< the line of the file it stands on (1 is the first)
};

//! The measurements of one trial.
struct MeasurementTable {
  std::string Name;  //!< the file, as messages name it
  MeasurementAxis Axis = MeasurementAxis::Position;
  bool HasSigma = false;          //!< every measurement has its sigma (otherwise none has)
  std::vector<Measurement> Rows;  //!< in the order of the file
};

//! A measurement file that cannot be used, with a text that names the file, the line and the
//! column: "\"a.csv\", line 4, value: \"4,5\" is not a number (the decimal point is \".\")".
class MeasurementError : public Error {
 public:
  explicit MeasurementError(const std::string& text) : Error(ErrorKind::InputRefused, text) {}
};

//! The most a measurement file may hold [bytes]: far beyond any line's record.
inline constexpr std::size_t kMeasurementFileLimit = 16 * 1024 * 1024;

//! The most measurements a file may hold: far beyond what a line's instruments record in a
//! trial, and at 48 bytes each a table below the file limit (a dense file gives a measurement
//! for every two bytes).
inline constexpr std::size_t kMaxMeasurements = 250'000;

//! Reads the text of a measurement file (UTF-8, with or without a byte-order mark; LF or CR LF
//! line ends). Blank lines and lines starting with "#" are skipped; the first other line is the
//! header. Column names are read in any case, and blanks, "-" and "_" inside a quantity's name
//! do not count ("Residual 1"). A unit in brackets behind a name is converted to the quantity's
//! own ("Position (ft)", "Temperature [°F]", "Residual 1 (%)", "weight1 (g/m2)"); a unit that
//! is not converted is refused, never dropped. Throws MeasurementError at the first fault.
//! Bytes that are not UTF-8 are read as code page 932, as a spreadsheet on a Japanese Windows
//! saves CSV; UTF-16 text is refused, naming it.
MeasurementTable ParseMeasurements(std::string_view text, std::string_view name);

//! Reads the measurement file at `path` ("-" is standard input). Throws FileError when it
//! cannot be opened or read, MeasurementError as ParseMeasurements.
MeasurementTable ReadMeasurements(const std::string& path);

}  // namespace quillmere
