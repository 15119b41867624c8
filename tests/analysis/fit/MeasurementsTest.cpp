// Measurement files: the two layouts, what an engineer's spreadsheet writes, and every way a
// file can be wrong, each refused with its file, line and column.
#include "analysis/fit/Measurements.h"

#include <gtest/gtest.h>

#include <fstream>
#include <string>
#include <vector>

#include "TestSupport.h"
#include "report/FileIO.h"

namespace quillmere {
namespace {

MeasurementTable Parse(std::string_view text) {
  return ParseMeasurements(text, "m.csv");
}

TEST(Measurements, OneMeasurementALine) {
  const MeasurementTable table = Parse(
      "position_m,quantity,value,sigma\n"
      "12.5,temperature,41.2,0.5\n"
      "60,residual1,0.0061,4e-4\n"
      "60,weight2,+1.5E-3,0.0001\n");
  EXPECT_EQ(table.Name, "m.csv");
  EXPECT_EQ(table.Axis, MeasurementAxis::Position);
  EXPECT_TRUE(table.HasSigma);
  ASSERT_EQ(table.Rows.size(), 3u);
  EXPECT_EQ(table.Rows[0].Where, 12.5);
  EXPECT_EQ(table.Rows[0].Quantity, MeasuredQuantity::Temperature);
  EXPECT_EQ(table.Rows[0].Value, 41.2);
  EXPECT_EQ(table.Rows[0].Sigma, 0.5);
  EXPECT_EQ(table.Rows[0].Line, 2);
  EXPECT_EQ(table.Rows[1].Quantity, MeasuredQuantity::Residual1);
  EXPECT_EQ(table.Rows[1].Sigma, 4e-4);
  EXPECT_EQ(table.Rows[2].Quantity, MeasuredQuantity::Weight2);
  EXPECT_EQ(table.Rows[2].Value, 1.5e-3);
  EXPECT_EQ(table.Rows[2].Line, 4);
}

// One line a position: every filled cell is a measurement, an empty one is none.
TEST(Measurements, OneColumnAQuantity) {
  const MeasurementTable table = Parse(
      "time_s,temperature,residual1,residual2\n"
      "5,30.1,,\n"
      "40,79.9,0.0034,0.0617\n");
  EXPECT_EQ(table.Axis, MeasurementAxis::Time);
  EXPECT_FALSE(table.HasSigma);
  ASSERT_EQ(table.Rows.size(), 4u);
  EXPECT_EQ(table.Rows[0].Quantity, MeasuredQuantity::Temperature);
  EXPECT_EQ(table.Rows[0].Where, 5);
  EXPECT_FALSE(table.Rows[0].Sigma);
  EXPECT_EQ(table.Rows[1].Quantity, MeasuredQuantity::Temperature);
  EXPECT_EQ(table.Rows[2].Quantity, MeasuredQuantity::Residual1);
  EXPECT_EQ(table.Rows[3].Quantity, MeasuredQuantity::Residual2);
  EXPECT_EQ(table.Rows[3].Value, 0.0617);
  EXPECT_EQ(table.Rows[3].Line, 3);
}

// What a spreadsheet or a hand writes: a byte-order mark, CR LF, capitals, units in brackets,
// blanks, comments, blank lines, a column of notes, empty trailing cells, quoted fields.
TEST(Measurements, ReadsWhatAnEngineerWrites) {
  const MeasurementTable table = Parse(
      "\xEF\xBB\xBF# pilot line, trial 3\r\n"
      "\r\n"
      "Position (m), Quantity , Value, Sigma, Note\r\n"
      " 12.5 , Temperature ,41.2 ,0.5, pyrometer 2\r\n"
      ",,,,\r\n"
      "60,Residual-1,\"0.0061\",0.0004,\"sample 7, lab\",,\r\n"
      "60,residual_2,0.07,0.001\r\n");
  EXPECT_TRUE(table.HasSigma);
  ASSERT_EQ(table.Rows.size(), 3u);
  EXPECT_EQ(table.Rows[0].Where, 12.5);
  EXPECT_EQ(table.Rows[0].Line, 4);
  EXPECT_EQ(table.Rows[1].Quantity, MeasuredQuantity::Residual1);
  EXPECT_EQ(table.Rows[1].Value, 0.0061);
  EXPECT_EQ(table.Rows[1].Line, 6);
  EXPECT_EQ(table.Rows[2].Quantity, MeasuredQuantity::Residual2);

  const MeasurementTable wide = Parse(
      "Time [s],Temperature [°C],sigma_temperature,Residual 1 (-),residual1_sigma\n"
      "10,50.5,0.5,0.4,0.01\n");
  EXPECT_EQ(wide.Axis, MeasurementAxis::Time);
  EXPECT_TRUE(wide.HasSigma);
  ASSERT_EQ(wide.Rows.size(), 2u);
  EXPECT_EQ(wide.Rows[0].Sigma, 0.5);
  EXPECT_EQ(wide.Rows[1].Quantity, MeasuredQuantity::Residual1);
  EXPECT_EQ(wide.Rows[1].Sigma, 0.01);
}

TEST(Measurements, NamesAndUnits) {
  const std::vector<std::string> names{"temperature", "residual1", "residual2", "weight1",
                                       "weight2"};
  const std::vector<std::string> units{"°C", "-", "-", "kg/m2", "kg/m2"};
  for (std::size_t i = 0; i < kMeasuredQuantities.size(); ++i) {
    EXPECT_EQ(QuantityName(kMeasuredQuantities[i]), names[i]);
    EXPECT_EQ(QuantityUnit(kMeasuredQuantities[i]), units[i]);
  }
  EXPECT_EQ(AxisName(MeasurementAxis::Position), "position_m");
  EXPECT_EQ(AxisName(MeasurementAxis::Time), "time_s");
}

// A unit in brackets is converted to the quantity's own; each expected value is the written one
// converted by hand ((104 - 32) * 5 / 9 = 40 °C, 3 ft = 0.9144 m, 250 mm = 0.25 m, 2 min =
// 120 s, 0.61 % = 0.0061, 1.5 g/m2 = 0.0015 kg/m2); a sigma is only scaled (0.9 °F = 0.5 °C).
TEST(Measurements, ConvertsTheUnitsInBrackets) {
  const MeasurementTable feet = Parse(
      "Position (ft),Temperature (degF),Temperature sigma (°F),Residual 1 (%),"
      "residual1_sigma (%),weight1 [g/m2],weight1_sigma [g/m2]\n"
      "3,104,0.9,0.61,0.05,1.5,0.2\n");
  ASSERT_EQ(feet.Rows.size(), 3u);
  EXPECT_DOUBLE_EQ(feet.Rows[0].Where, 0.9144);
  EXPECT_DOUBLE_EQ(feet.Rows[0].Value, 40);
  EXPECT_DOUBLE_EQ(*feet.Rows[0].Sigma, 0.5);
  EXPECT_DOUBLE_EQ(feet.Rows[1].Value, 0.0061);
  EXPECT_DOUBLE_EQ(*feet.Rows[1].Sigma, 0.0005);
  EXPECT_DOUBLE_EQ(feet.Rows[2].Value, 0.0015);
  EXPECT_DOUBLE_EQ(*feet.Rows[2].Sigma, 0.0002);
  const MeasurementTable metres = Parse("Position (mm),temperature (K)\n250,313.15\n");
  EXPECT_DOUBLE_EQ(metres.Rows[0].Where, 0.25);
  EXPECT_DOUBLE_EQ(metres.Rows[0].Value, 40);
  const MeasurementTable minutes = Parse("Time (min),Temperature (°C),Residual1 (-)\n2,40,0.1\n");
  EXPECT_EQ(minutes.Rows[0].Where, 120);
  EXPECT_EQ(minutes.Rows[0].Value, 40);
  EXPECT_EQ(minutes.Rows[1].Value, 0.1);
}

// A spreadsheet on a Japanese Windows saves CSV in code page 932: "°C" as 81 8B, "℃" as 81 8E.
// Such a file reads as its UTF-8 twin does; a UTF-16 file (Notepad's "Unicode") is refused,
// naming its encoding.
TEST(Measurements, ReadsCodePage932AndRefusesUtf16NamingIt) {
  const struct {
    std::string name;
    std::string text;
    double value;  // of the first measurement, in °C
  } files[] = {
      {"°C, code page 932",
       "Position (m),Temperature (\x81\x8B"
       "C)\r\n1.0,31.5\r\n",
       31.5},
      {"℃, code page 932", "Position (m),Temperature (\x81\x8E)\r\n1.0,31.5\r\n", 31.5},
      {"℃, UTF-8", "Position (m),Temperature (℃)\n1.0,31.5\n", 31.5},
      {"℉, UTF-8 with its mark", "\xEF\xBB\xBFPosition (m),Temperature (℉)\n1.0,104\n", 40},
      {"a note in Japanese, code page 932",
       "Position (m),Temperature (\x81\x8E),note\n1.0,31.5,\x83\x65\x83\x58\x83\x67\n", 31.5},
  };
  for (const auto& file : files) {
    SCOPED_TRACE(file.name);
    const MeasurementTable table = Parse(file.text);
    ASSERT_EQ(table.Rows.size(), 1u);
    EXPECT_EQ(table.Rows[0].Quantity, MeasuredQuantity::Temperature);
    EXPECT_DOUBLE_EQ(table.Rows[0].Value, file.value);
  }
  const std::string utf16le("\xFF\xFEP\0o\0s\0", 8);
  const std::string utf16be("\xFE\xFF\0P\0o\0s", 8);
  for (const auto& [text, encoding] :
       {std::pair{utf16le, "little-endian"}, std::pair{utf16be, "big-endian"}}) {
    try {
      Parse(text);
      ADD_FAILURE() << "a UTF-16 file was read";
    } catch (const MeasurementError& e) {
      EXPECT_EQ(std::string(e.what()), std::string("\"m.csv\": the file is UTF-16 (") + encoding +
                                           ") text; save it as CSV in UTF-8 or ANSI (Shift-JIS)");
    }
  }
}

struct BadFile {
  std::string text;
  std::string message;
};

TEST(Measurements, RefusesAFaultWithItsFileLineAndColumn) {
  const std::string header = "position_m,quantity,value,sigma\n";
  const std::vector<BadFile> cases{
      {"", "\"m.csv\": it holds no header (a line naming the columns)"},
      {"# only a comment\n\n", "\"m.csv\": it holds no header (a line naming the columns)"},
      {header, "\"m.csv\": it holds no measurements"},
      {header + "1,temperature,4x.5,0.5\n", "\"m.csv\", line 2, value: \"4x.5\" is not a number"},
      {header + "1,temperature,\"4,5\",0.5\n",
       "\"m.csv\", line 2, value: \"4,5\" is not a number (the decimal point is \".\")"},
      {header + "1,temperature,4,5,0.5\n",
       "\"m.csv\", line 2: 5 fields where the header names 4 columns (a decimal comma? the "
       "decimal point is \".\")"},
      {header + "1,temperature,,0.5\n", "\"m.csv\", line 2, value: is empty"},
      {header + "1,temperature,inf,0.5\n", "\"m.csv\", line 2, value: \"inf\" is not a number"},
      {header + "1,temperature,nan,0.5\n", "\"m.csv\", line 2, value: \"nan\" is not a number"},
      {header + "1,temperature,1e999,0.5\n", "\"m.csv\", line 2, value: \"1e999\" is not a number"},
      {header + "1,temperature,0x1p3,0.5\n", "\"m.csv\", line 2, value: \"0x1p3\" is not a number"},
      {header + "1,temperature,41,0\n",
       "\"m.csv\", line 2, sigma: a standard deviation must be greater than 0"},
      {header + "1,temperature,41,-0.5\n",
       "\"m.csv\", line 2, sigma: a standard deviation must be greater than 0"},
      {header + "1,temperature,41,\n", "\"m.csv\", line 2, sigma: is empty"},
      {header + ",temperature,41,0.5\n", "\"m.csv\", line 2, position_m: is empty"},
      {header + "1,humidity,41,0.5\n",
       "\"m.csv\", line 2, quantity: \"humidity\" is none of temperature, residual1, residual2, "
       "weight1 or weight2"},
      {header + "1,temperature,41,0.5\n2,residual1,\"0.5,0.1\n",
       "\"m.csv\", line 3: a quotation mark is not closed, or stands inside a field"},
      {"position_m;quantity;value\n1;temperature;41,5\n",
       "\"m.csv\", line 1: the columns are separated by \";\": save the file as CSV with \",\" "
       "between the columns and \".\" as the decimal point"},
      {"position_m\tquantity\tvalue\n",
       "\"m.csv\", line 1: the columns are separated by tabs: save the file as CSV with \",\" "
       "between the columns and \".\" as the decimal point"},
      {"position_m,quantity,value,sigam\n",
       "\"m.csv\", line 1: column 4 \"sigam\" is none of position_m, time_s, quantity, value, "
       "sigma, temperature, residual1, residual2, weight1 or weight2, a quantity's sigma "
       "(temperature_sigma) or note"},
      {"quantity,value\n",
       "\"m.csv\", line 1: no column gives the place of the measurements: name one position_m "
       "(from the dryer's entry, in m) or time_s (since the web entered the dryer, in s)"},
      {"position_m,time_s,temperature\n",
       "\"m.csv\", line 1: the place of a measurement is given twice (position_m and time_s): "
       "keep one column"},
      {"position_m,value,value\n", "\"m.csv\", line 1: the column value is there twice"},
      {"position_m,quantity,value,temperature\n",
       "\"m.csv\", line 1: the header mixes the two layouts: either quantity, value and sigma "
       "columns (one measurement a line) or one column a quantity"},
      {"position_m,value\n",
       "\"m.csv\", line 1: one measurement a line needs both a quantity and a value column"},
      {"position_m,note\n",
       "\"m.csv\", line 1: no column holds measurements: name the quantity in a quantity column "
       "with its value in a value column, or give one column a quantity (temperature, "
       "residual1, residual2, weight1 or weight2)"},
      {"position_m,temperature,residual1_sigma\n",
       "\"m.csv\", line 1: the column residual1_sigma has no column residual1 beside it"},
      {"position_m,temperature,temperature_sigma,residual1\n1,40,0.5,0.3\n",
       "\"m.csv\", line 1: temperature has a sigma column and residual1 has none: give a sigma "
       "for every measurement or for none"},
      {"position_m,temperature,temperature_sigma\n1,40,\n",
       "\"m.csv\", line 2, temperature_sigma: is empty"},
      {header + "1,temperature,41,1e-310\n",
       "\"m.csv\", line 2, sigma: \"1e-310\" is too small for a standard deviation (the least "
       "is 2.2250738585072014e-308 in the quantity's unit)"},
      {"Position (yd),temperature\n",
       "\"m.csv\", line 1: the unit \"yd\" of the column Position (yd) is not converted: write "
       "m, mm, cm or ft"},
      {"position_m,Temperature (degR)\n",
       "\"m.csv\", line 1: the unit \"degR\" of the column Temperature (degR) is not converted: "
       "write °C, degC, °F, degF or K"},
      {"position_m,Residual 1 (ppm)\n",
       "\"m.csv\", line 1: the unit \"ppm\" of the column Residual 1 (ppm) is not converted: "
       "write - (a ratio) or %"},
      {"position_m,quantity,Value (%)\n",
       "\"m.csv\", line 1: the column Value (%) gives a unit, \"%\", but holds values of several "
       "quantities: leave the unit out and write each value in its quantity's unit (°C, a "
       "ratio, kg/m2)"},
  };
  for (const BadFile& bad : cases) {
    test::ExpectError<MeasurementError>([&] { Parse(bad.text); }, bad.message);
  }
}

TEST(Measurements, ReadsAFileAndNamesOneThatCannotBeOpened) {
  test::ScratchDirectory scratch;
  const std::string path = scratch.File("trial.csv");
  std::ofstream(path, std::ios::binary) << "position_m,temperature\n3,40\n";
  const MeasurementTable table = ReadMeasurements(path);
  EXPECT_EQ(table.Name, path);
  ASSERT_EQ(table.Rows.size(), 1u);
  EXPECT_EQ(table.Rows[0].Value, 40);

  test::ExpectError<FileError>([&] { ReadMeasurements(scratch.File("missing.csv")); },
                               "Could not open the measurement file \"" +
                                   scratch.File("missing.csv") + "\": No such file or directory");
  test::ExpectError<FileError>(
      [&] { ReadMeasurements(scratch.path().string()); },
      "Could not read the measurement file \"" + scratch.path().string() + "\": Is a directory");
}

}  // namespace
}  // namespace quillmere

namespace quillmere {
namespace {

// A dense file gives a measurement for every two bytes, and each is kept in 48: the count is
// bounded so that the table stays within a small multiple of the file (16 MB of
// "1,1,1,1,1,1" lines took 560 to 900 MB).
TEST(Measurements, MoreThanTheMostMeasurementsAreRefused) {
  std::string text = "position_m,temperature,residual1\n";
  for (std::size_t i = 0; i < kMaxMeasurements / 2; ++i) text += "1,40,0.5\n";
  EXPECT_EQ(ParseMeasurements(text, "dense.csv").Rows.size(), kMaxMeasurements);
  text += "2,41,\n";
  test::ExpectError<MeasurementError>(
      [&] { ParseMeasurements(text, "dense.csv"); },
      "\"dense.csv\", line 125002: more than 250000 measurements, more than a measurement file "
      "holds");
}

}  // namespace
}  // namespace quillmere
