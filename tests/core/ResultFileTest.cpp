#include "report/ResultFile.h"

#include <gtest/gtest.h>
#include <unistd.h>

#include <filesystem>
#include <fstream>
#include <iterator>
#include <memory>
#include <string>
#include <vector>

#include "TestSupport.h"
#include "params/AcquireParameters.h"
#include "params/FieldTable.h"
#include "params/MemoryFieldTexts.h"
#include "report/CodePage.h"

namespace quillmere {
namespace {

namespace fs = std::filesystem;

using test::CrLfLines;
using test::ReadBytes;
using test::RecordingMessages;

//! The default inputs acquired, with the web's entry state set.
struct DefaultInputs {
  test::Model model = test::DefaultModel();
  ParameterSet& params = *model.params;
  SimulationState* state = model.state.get();
};

//! A file of tests/data, byte for byte.
std::string TestData(const std::string& name) {
  const fs::path path = fs::path(QUILLMERE_TEST_DATA) / name;
  EXPECT_TRUE(fs::exists(path)) << path;
  return ReadBytes(path);
}

//! The echo of the default inputs as the result file holds it (code page 932, CR LF), written
//! from the echo table line by line with the default texts formatted by hand.
std::string GoldenHeader() {
  return TestData("result-header-defaults.txt");
}

// ---- the value lines ----------------------------------------------------------------------

TEST(ResultFileEcho, PrintsTheFieldsInTheOrderOfADataFile) {
  std::vector<std::string> expected{"Edit211", "Edit212"};
  for (int n = 221; n <= 228; ++n) expected.push_back("Edit" + std::to_string(n));
  for (int n = 231; n <= 238; ++n) expected.push_back("Edit" + std::to_string(n));
  expected.push_back("Edit241");
  for (int n = 201; n <= 208; ++n) expected.push_back("Edit" + std::to_string(n));
  expected.push_back("Edit20");
  for (int n = 1; n <= 13; ++n) expected.push_back("Edit" + std::to_string(n));

  std::vector<std::string> fields;
  for (const EchoValueLine& line : EchoValueLines()) {
    fields.emplace_back(line.field);
    const FieldSpec* field = FindField(line.field);
    ASSERT_NE(field, nullptr) << line.field;
    EXPECT_NE(field->slot, FieldSlot::SaveFileName);
  }
  EXPECT_EQ(fields, expected);
}

TEST(ResultFileEcho, ZoneOneUsesTheLinesOfEveryConditionsBlock) {
  const auto echo = EchoValueLines();
  const auto zone = ZoneConditionLines();
  ASSERT_EQ(zone.size(), 6u);
  for (std::size_t i = 0; i < zone.size(); ++i) {
    const ValueLineLayout& e = echo[echo.size() - zone.size() + i].layout;
    EXPECT_EQ(e.label, zone[i].label);
    EXPECT_EQ(e.lead, zone[i].lead);
    EXPECT_EQ(e.equalsColumn, zone[i].equalsColumn);
    EXPECT_EQ(e.precision, zone[i].precision);
    EXPECT_EQ(e.digits, zone[i].digits);
    EXPECT_EQ(echo[echo.size() - zone.size() + i].field, ZoneFieldName(1, static_cast<int>(i)));
  }
}

TEST(ResultFileValueLine, PlacesTheEqualsSignByCharactersNotBytes) {
  EXPECT_EQ(ValueLine({"Initial Temperature (℃)", 5, 55, 6, 2}, "15.00"),
            "     Initial Temperature (℃)                          =  15.00");
  EXPECT_EQ(ValueLine({"Specific Heat of Polymer (kJ/kg.K)", 4, 55, 4, 3}, "1.470"),
            "    Specific Heat of Polymer (kJ/kg.K)                =  1.470");
  EXPECT_EQ(ValueLine({"Speed (m/s)", 5, 56, 7, 3}, ""),
            "     Speed (m/s)                                       =  ");
}

TEST(ResultFileValueLine, LabelReachingTheColumnIsFollowedByTheEqualsSign) {
  EXPECT_EQ(ValueLine({"Label", 2, 5, 6, 2}, "1.00"), "  Label=  1.00");
}

// ---- the input echo -----------------------------------------------------------------------

TEST(ResultFileHeader, EchoesTheDefaultInputs) {
  const DefaultInputs in;
  const std::vector<std::string> lines = CrLfLines(ResultHeaderText(in.params, *in.state, '.'));
  ASSERT_EQ(lines.size(), 77u);
  EXPECT_EQ(lines[6], "    Specific Heat of Polymer (kJ/kg.K)                =  1.470");
  EXPECT_EQ(lines[13], "    Diffusion Coefficient of Solvent-1 in Air (m2/s)   =  0.000009030");
  EXPECT_EQ(lines[26], "    Vapor Pressure Parameter B of Solvent-2            =  1344.800");
  EXPECT_EQ(lines[68], "     Initial Temperature (℃)                          =  15.00");
}

TEST(ResultFileHeader, MatchesTheGoldenEchoOfTheDefaultInputs) {
  const DefaultInputs in;
  const std::vector<std::string> golden = CrLfLines(GoldenHeader());
  const std::vector<std::string> lines =
      CrLfLines(EncodeCodePage932(ResultHeaderText(in.params, *in.state, '.')));
  ASSERT_EQ(golden.size(), 77u);
  ASSERT_EQ(lines.size(), golden.size());
  for (std::size_t i = 0; i < lines.size(); ++i) {
    EXPECT_EQ(lines[i], golden[i]) << "line " << i + 1;
  }
}

TEST(ResultFileHeader, StandsTheEqualsSignsInOneByteColumnInCodePage932) {
  const DefaultInputs in;
  const std::string bytes = EncodeCodePage932(ResultHeaderText(in.params, *in.state, '.'));
  const std::vector<std::string> lines = CrLfLines(bytes);
  ASSERT_EQ(lines.size(), 77u);
  int valueLines = 0;
  for (std::size_t i = 0; i < lines.size(); ++i) {
    if (lines[i].find("=  ") == std::string::npos) continue;
    ++valueLines;
    // Lines 7 and 8 (the polymer) stand one byte to the left of all others.
    const std::size_t expected = (i == 6 || i == 7) ? 54 : 55;
    EXPECT_EQ(lines[i].find('='), expected) << "line " << i + 1 << ": " << lines[i];
  }
  EXPECT_EQ(valueLines, 41);
  EXPECT_EQ(lines[44],
            "    Interaction Parameter \x83\xD4"
            "1p                         =  0.010");
  EXPECT_EQ(lines[69], "     Outer Temperature (\x81\x8E)                            =  60.00");
}

TEST(ResultFileHeader, WritesTheGivenDecimalSeparator) {
  const DefaultInputs in;
  const std::vector<std::string> lines = CrLfLines(ResultHeaderText(in.params, *in.state, ','));
  ASSERT_EQ(lines.size(), 77u);
  EXPECT_EQ(lines[6], "    Specific Heat of Polymer (kJ/kg.K)                =  1,470");
  EXPECT_EQ(lines[13], "    Diffusion Coefficient of Solvent-1 in Air (m2/s)   =  0,000009030");
  EXPECT_EQ(lines[0], "===================");
}

TEST(ResultFileHeader, PrintsTheInitialTemperatureFromTheTrace) {
  DefaultInputs in;
  in.state->Trace.Temperature[1][0] = -5;
  const std::vector<std::string> lines = CrLfLines(ResultHeaderText(in.params, *in.state, '.'));
  ASSERT_EQ(lines.size(), 77u);
  EXPECT_EQ(lines[68], "     Initial Temperature (℃)                          =  -5.00");
}

TEST(ResultFileHeader, PrintsLargeValuesInScientificForm) {
  DefaultInputs in;
  in.params.Solvent2AntoineB = 123456789;
  in.params.Zones.ZoneLength[1] = 12345;
  const std::vector<std::string> lines = CrLfLines(ResultHeaderText(in.params, *in.state, '.'));
  ASSERT_EQ(lines.size(), 77u);
  EXPECT_EQ(lines[26], "    Vapor Pressure Parameter B of Solvent-2            =  1.2345679E008");
  EXPECT_EQ(lines[70], "     Zone Length (m)                                   =  12345.00");
}

// ---- the conditions block -----------------------------------------------------------------

TEST(ResultFileZoneConditions, WritesTheBlockOfZoneTwo) {
  const DefaultInputs in;
  const std::vector<std::string> lines = CrLfLines(ZoneConditionsText(in.params, 2, '.'));
  const std::vector<std::string> golden = CrLfLines(DecodeCodePage932(GoldenHeader()));
  ASSERT_EQ(lines.size(), 12u);
  ASSERT_EQ(golden.size(), 77u);
  EXPECT_EQ(lines[0], "");
  EXPECT_EQ(lines[1], "  -------");
  EXPECT_EQ(lines[2], "  ZONE 2");
  EXPECT_EQ(lines[3], "  -------");
  EXPECT_EQ(lines[4], "     Outer Temperature (℃)                            =  60.00");
  // Zone 2 has the defaults of zone 1, so its lines are lines 70 to 75 of the echo.
  for (std::size_t i = 4; i < 10; ++i) EXPECT_EQ(lines[i], golden[i + 65]) << "line " << i + 1;
  EXPECT_EQ(lines[10], "");
  EXPECT_EQ(lines[11], "");
}

TEST(ResultFileZoneConditions, WritesTwoDigitZonesUnderTheSameRule) {
  DefaultInputs in;
  in.params.Zones.OuterTemperature[14] = 120.5;
  in.params.Zones.ZoneLength[14] = 2.25;
  in.params.Zones.Solvent1Humidity[14] = 0.0012346;
  in.params.Zones.Solvent2Humidity[14] = -0.0000004;
  in.params.Zones.HeatTransferUpper[14] = 0.03;
  in.params.Zones.HeatTransferLower[14] = 0.000004;
  const std::vector<std::string> lines = CrLfLines(ZoneConditionsText(in.params, 14, ','));
  const std::vector<std::string> expected{
      "",
      "  -------",
      "  ZONE 14",
      "  -------",
      "     Outer Temperature (℃)                            =  120,50",
      "     Zone Length (m)                                   =  2,25",
      "     Solvent-1 Absolute Humidity                       =  0,001235",
      "     Solvent-2 Absolute Humidity                       =  0,000000",
      "     Heat Trans. Coeff. - Upper (kJ/m2.s.K)            =  0,03000",
      "     Heat Trans. Coeff. - Lower (kJ/m2.s.K)            =  0,00000",
      "",
      "",
  };
  EXPECT_EQ(lines, expected);
  EXPECT_EQ(CrLfLines(ZoneConditionsText(in.params, 10, '.'))[2], "  ZONE 10");
}

TEST(ResultFileZoneConditions, StandsTheEqualsSignsInOneByteColumnInCodePage932) {
  const DefaultInputs in;
  const std::vector<std::string> lines =
      CrLfLines(EncodeCodePage932(ZoneConditionsText(in.params, 2, '.')));
  ASSERT_EQ(lines.size(), 12u);
  for (std::size_t i = 4; i < 10; ++i) EXPECT_EQ(lines[i].find('='), 55u) << lines[i];
}

TEST(ResultFileZoneConditions, RefusesAZoneOutsideTheDryer) {
  const DefaultInputs in;
  EXPECT_THROW(ZoneConditionsText(in.params, 0, '.'), std::out_of_range);
  EXPECT_THROW(ZoneConditionsText(in.params, 15, '.'), std::out_of_range);
}

// ---- the zone table -----------------------------------------------------------------------

constexpr std::string_view kTableHeading[] = {
    "  [SIMULATION RESULTS]",
    "   TIME     LENGTH     TEMP     WEIGHT1  RESIDUAL RAT1   WEIGHT2  RESIDUAL RAT2",
    "    (s)       (m)     (deg-C)   (kg/m2)       (-)         (kg/m2)       (-)",
    "",
};

void ExpectHeading(const std::vector<std::string>& lines) {
  ASSERT_GE(lines.size(), 4u);
  for (std::size_t i = 0; i < 4; ++i) EXPECT_EQ(lines[i], kTableHeading[i]);
  EXPECT_EQ(lines[1].size(), 79u);
  EXPECT_EQ(lines[2].size(), 75u);
}

//! Sets point `s` of zone `zone`.
void SetPoint(SimulationState& state, int zone, std::size_t s, double time, double temperature,
              double weight1, double residual1, double weight2, double residual2) {
  ZoneTrace& t = state.Trace;
  t.Time[zone][s] = time;
  t.Temperature[zone][s] = temperature;
  t.Solvent1Weight[zone][s] = weight1;
  t.Solvent1Residual[zone][s] = residual1;
  t.Solvent2Weight[zone][s] = weight2;
  t.Solvent2Residual[zone][s] = residual2;
}

TEST(ResultFileZoneTable, StartsWithTheEntryStateOfTheWeb) {
  const DefaultInputs in;
  const std::vector<std::string> lines =
      CrLfLines(ZoneTableText(in.params, *in.state, 1, 300, '.'));
  ExpectHeading(lines);
  ASSERT_EQ(lines.size(), 4u + 301u);
  EXPECT_EQ(lines[4],
            "   0.000     0.000     15.00    0.04170      1.0000      0.01529      1.0000");
  EXPECT_EQ(lines[4].size(), 76u);
  EXPECT_EQ(lines.back().substr(0, 18), "   0.000    30.000");  // s = 300: 30 m
}

TEST(ResultFileZoneTable, WritesARowOfAnyPoint) {
  DefaultInputs in;
  SetPoint(*in.state, 1, 300, 123.4, 59.87, 0.00012, 0.0029, 0, 0);
  const std::vector<std::string> lines =
      CrLfLines(ZoneTableText(in.params, *in.state, 1, 300, '.'));
  ASSERT_EQ(lines.size(), 305u);
  EXPECT_EQ(lines[304],
            " 123.400    30.000     59.87    0.00012      0.0029      0.00000      0.0000");
}

TEST(ResultFileZoneTable, MeasuresTheLengthFromTheEntryOfEachZone) {
  DefaultInputs in;
  in.params.Speed = 2.5;
  in.state->TimeStep = 0.04;  // 0.1 m at 2.5 m/s
  const std::vector<std::string> lines = CrLfLines(ZoneTableText(in.params, *in.state, 2, 3, '.'));
  ASSERT_EQ(lines.size(), 8u);
  EXPECT_EQ(lines[4].substr(0, 18), "   0.000     0.000");
  EXPECT_EQ(lines[5].substr(0, 18), "   0.000     0.100");
  EXPECT_EQ(lines[7].substr(0, 18), "   0.000     0.300");
}

TEST(ResultFileZoneTable, WritesTextsLongerThanTheirColumnUnpadded) {
  DefaultInputs in;
  SetPoint(*in.state, 1, 0, 10000, 15, 0.0417, 1, 0.01529, 1);
  SetPoint(*in.state, 1, 1, 123456.789, 100, 1.5, 12.25, 0.25, 0.5);
  const std::vector<std::string> lines = CrLfLines(ZoneTableText(in.params, *in.state, 1, 1, '.'));
  ASSERT_EQ(lines.size(), 6u);
  EXPECT_EQ(lines[4],
            "10000.000     0.000     15.00    0.04170      1.0000      0.01529      1.0000");
  EXPECT_EQ(lines[5],
            "123456.790     0.100    100.00    1.50000      12.2500      0.25000      0.5000");
}

TEST(ResultFileZoneTable, PadsNegativeTextsByTheirLength) {
  DefaultInputs in;
  SetPoint(*in.state, 1, 0, -1.5, -5, 0.0417, 1, 0.01529, 1);
  const std::vector<std::string> lines = CrLfLines(ZoneTableText(in.params, *in.state, 1, 0, '.'));
  ASSERT_EQ(lines.size(), 5u);
  EXPECT_EQ(lines[4],
            "  -1.500     0.000     -5.00    0.04170      1.0000      0.01529      1.0000");
}

TEST(ResultFileZoneTable, WritesAWeightRoundedToZeroWithoutSign) {
  DefaultInputs in;
  SetPoint(*in.state, 1, 0, 0, 15, -0.000004, -0.00004, -0.0000001, -0.0);
  const std::vector<std::string> lines = CrLfLines(ZoneTableText(in.params, *in.state, 1, 0, '.'));
  ASSERT_EQ(lines.size(), 5u);
  EXPECT_EQ(lines[4],
            "   0.000     0.000     15.00    0.00000      0.0000      0.00000      0.0000");
}

TEST(ResultFileZoneTable, WritesOneRowForNoStepsAndNoneForFewer) {
  const DefaultInputs in;
  std::vector<std::string> lines = CrLfLines(ZoneTableText(in.params, *in.state, 1, 0, '.'));
  ExpectHeading(lines);
  EXPECT_EQ(lines.size(), 5u);

  lines = CrLfLines(ZoneTableText(in.params, *in.state, 1, -1, '.'));
  ExpectHeading(lines);
  EXPECT_EQ(lines.size(), 4u);
}

TEST(ResultFileZoneTable, WritesTheSeparatorInRowsNotInHeadings) {
  const DefaultInputs in;
  const std::vector<std::string> lines = CrLfLines(ZoneTableText(in.params, *in.state, 1, 1, ','));
  ExpectHeading(lines);
  ASSERT_EQ(lines.size(), 6u);
  EXPECT_EQ(lines[4],
            "   0,000     0,000     15,00    0,04170      1,0000      0,01529      1,0000");
  EXPECT_EQ(lines[5].substr(0, 18), "   0,000     0,100");
}

TEST(ResultFileZoneTable, RefusesPointsBeyondTheTrace) {
  const DefaultInputs in;
  EXPECT_NO_THROW(ZoneTableText(in.params, *in.state, 14, kTracePoints - 1, '.'));
  EXPECT_THROW(ZoneTableText(in.params, *in.state, 1, kTracePoints, '.'), std::out_of_range);
  EXPECT_THROW(ZoneTableText(in.params, *in.state, 15, 0, '.'), std::out_of_range);
}

// ---- the file -----------------------------------------------------------------------------

class ResultFileOnDisk : public ::testing::Test {
 protected:
  void SetUp() override {
    const auto* test = ::testing::UnitTest::GetInstance()->current_test_info();
    directory_ = fs::temp_directory_path() /
                 ("quillmere-" + std::to_string(::getpid()) + "-" + test->name());
    fs::remove_all(directory_);
    fs::create_directories(directory_);
    file_ = directory_ / "result.txt";
    in_.params.SaveFileName = file_.string();
  }
  void TearDown() override { fs::remove_all(directory_); }

  std::string Header() const {
    return EncodeCodePage932(ResultHeaderText(in_.params, *in_.state, '.'));
  }
  std::string Conditions(int zone) const {
    return EncodeCodePage932(ZoneConditionsText(in_.params, zone, '.'));
  }
  std::string Table(int zone, int steps) const {
    return EncodeCodePage932(ZoneTableText(in_.params, *in_.state, zone, steps, '.'));
  }

  fs::path directory_;
  fs::path file_;
  DefaultInputs in_;
  RecordingMessages messages_;
};

TEST_F(ResultFileOnDisk, CreatesTheFileWithTheEchoInCodePage932) {
  EXPECT_TRUE(WriteResultHeader(in_.params, *in_.state, '.', messages_));
  EXPECT_TRUE(messages_.messages.empty());
  const std::string bytes = ReadBytes(file_);
  EXPECT_EQ(bytes, GoldenHeader());
  EXPECT_EQ(bytes.substr(0, 21), "===================\r\n");  // no byte-order mark
  EXPECT_NE(bytes.find("(\x81\x8E)"), std::string::npos);
  EXPECT_EQ(bytes.substr(bytes.size() - 4), "\r\n\r\n");
}

TEST_F(ResultFileOnDisk, ReplacesAnExistingFile) {
  std::ofstream(file_, std::ios::binary) << std::string(10000, 'x');
  EXPECT_TRUE(WriteResultHeader(in_.params, *in_.state, '.', messages_));
  EXPECT_EQ(ReadBytes(file_), Header());
}

TEST_F(ResultFileOnDisk, AppendsTheBlocksOfARunInOrder) {
  SetPoint(*in_.state, 1, 300, 300, 59.87, 0.00012, 0.0029, 0, 0);
  SetPoint(*in_.state, 2, 0, 300, 59.87, 0.00012, 0.0029, 0, 0);
  EXPECT_TRUE(WriteResultHeader(in_.params, *in_.state, '.', messages_));
  EXPECT_TRUE(AppendZoneTable(in_.params, *in_.state, 1, 300, '.', messages_));
  EXPECT_TRUE(AppendZoneConditions(in_.params, 2, '.', messages_));
  EXPECT_TRUE(AppendZoneTable(in_.params, *in_.state, 2, 300, '.', messages_));
  EXPECT_TRUE(messages_.messages.empty());

  const std::string bytes = ReadBytes(file_);
  EXPECT_EQ(bytes, Header() + Table(1, 300) + Conditions(2) + Table(2, 300));
  const std::vector<std::string> lines = CrLfLines(bytes);
  ASSERT_EQ(lines.size(), 77u + 305u + 12u + 305u);
  EXPECT_EQ(lines[77], "  [SIMULATION RESULTS]");
  // Zone 1's last row, then the one empty line before zone 2's heading.
  EXPECT_EQ(lines[381],
            " 300.000    30.000     59.87    0.00012      0.0029      0.00000      0.0000");
  EXPECT_EQ(lines[382], "");
  EXPECT_EQ(lines[384], "  ZONE 2");
  EXPECT_EQ(lines[398],
            " 300.000     0.000     59.87    0.00012      0.0029      0.00000      0.0000");
  EXPECT_EQ(lines.back().substr(0, 18), "   0.000    30.000");
}

TEST_F(ResultFileOnDisk, AppendingNeverCreatesTheFile) {
  EXPECT_FALSE(AppendZoneConditions(in_.params, 2, '.', messages_));
  EXPECT_EQ(messages_.messages, std::vector<std::string>{"File can not open!"});
  EXPECT_FALSE(AppendZoneTable(in_.params, *in_.state, 1, 300, '.', messages_));
  EXPECT_EQ(messages_.messages.size(), 2u);
  EXPECT_FALSE(fs::exists(file_));
}

TEST_F(ResultFileOnDisk, MissingDirectoryShowsTheMessageForEveryStep) {
  in_.params.SaveFileName = (directory_ / "missing" / "result.txt").string();
  EXPECT_FALSE(WriteResultHeader(in_.params, *in_.state, '.', messages_));
  EXPECT_EQ(messages_.messages, std::vector<std::string>{"File can not open!"});
  EXPECT_FALSE(AppendZoneTable(in_.params, *in_.state, 1, 300, '.', messages_));
  EXPECT_FALSE(AppendZoneConditions(in_.params, 2, '.', messages_));
  EXPECT_EQ(messages_.messages, std::vector<std::string>(3, "File can not open!"));
  EXPECT_TRUE(messages_.errors.empty());
  EXPECT_FALSE(fs::exists(directory_ / "missing"));
}

TEST_F(ResultFileOnDisk, DirectoryNameCannotBeOpened) {
  in_.params.SaveFileName = directory_.string();
  EXPECT_FALSE(WriteResultHeader(in_.params, *in_.state, '.', messages_));
  EXPECT_FALSE(AppendZoneConditions(in_.params, 2, '.', messages_));
  EXPECT_EQ(messages_.messages, std::vector<std::string>(2, "File can not open!"));
  EXPECT_TRUE(fs::is_directory(directory_));
  EXPECT_TRUE(fs::is_empty(directory_));
}

TEST_F(ResultFileOnDisk, ReadOnlyFileCannotBeOpened) {
  if (::geteuid() == 0) GTEST_SKIP() << "the superuser writes read-only files";
  std::ofstream(file_, std::ios::binary) << "kept";
  fs::permissions(file_, fs::perms::owner_read);
  EXPECT_FALSE(WriteResultHeader(in_.params, *in_.state, '.', messages_));
  EXPECT_FALSE(AppendZoneConditions(in_.params, 2, '.', messages_));
  EXPECT_EQ(messages_.messages, std::vector<std::string>(2, "File can not open!"));
  EXPECT_EQ(ReadBytes(file_), "kept");
}

TEST_F(ResultFileOnDisk, FailingWriteThrowsWithTheSystemsReason) {
  if (!fs::exists("/dev/full")) GTEST_SKIP() << "no /dev/full";
  in_.params.SaveFileName = "/dev/full";  // opens, and every write fails with ENOSPC
  const std::string expected =
      "Could not write the result file \"/dev/full\": No space left on device";
  try {
    WriteResultHeader(in_.params, *in_.state, '.', messages_);
    ADD_FAILURE() << "WriteResultHeader did not throw";
  } catch (const ResultFileWriteError& e) {
    EXPECT_EQ(std::string(e.what()), expected);
  }
  try {
    AppendZoneTable(in_.params, *in_.state, 1, 300, '.', messages_);
    ADD_FAILURE() << "AppendZoneTable did not throw";
  } catch (const ResultFileWriteError& e) {
    EXPECT_EQ(std::string(e.what()), expected);
  }
  EXPECT_THROW(AppendZoneConditions(in_.params, 2, '.', messages_), ResultFileWriteError);
  EXPECT_TRUE(messages_.messages.empty());
}

}  // namespace
}  // namespace quillmere
