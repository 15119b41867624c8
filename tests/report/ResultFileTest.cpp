// The result file's blocks: the input echo, a zone's conditions and a zone's table, and the
// write steps that put them into the file. Whole runs are checked in CalculationRunTest.
#include "report/ResultFile.h"

#include <gtest/gtest.h>
#include <sys/stat.h>

#include <array>
#include <filesystem>
#include <fstream>
#include <functional>
#include <string>
#include <utility>
#include <vector>

#include "TestSupport.h"
#include "report/CodePage.h"

namespace quillmere {
namespace {

namespace fs = std::filesystem;

using test::CrLfLines;
using test::ReadBytes;

//! The echo of the default inputs as the result file holds it (code page 932, CR LF), written
//! from the echo table line by line with the default texts formatted by hand.
std::string GoldenHeader() {
  const fs::path path = fs::path(QUILLMERE_TEST_DATA) / "result-header-defaults.txt";
  EXPECT_TRUE(fs::exists(path)) << path;
  return ReadBytes(path);
}

// ---- the input echo -----------------------------------------------------------------------

TEST(ResultFileHeader, MatchesTheGoldenEchoOfTheDefaultInputs) {
  const test::Model in = test::DefaultModel();
  const std::vector<std::string> golden = CrLfLines(GoldenHeader());
  const std::vector<std::string> lines =
      CrLfLines(EncodeCodePage932(ResultHeaderText(*in.params, in.state->EntryTemperature(), '.')));
  ASSERT_EQ(golden.size(), 77u);
  ASSERT_EQ(lines.size(), golden.size());
  for (std::size_t i = 0; i < lines.size(); ++i) {
    EXPECT_EQ(lines[i], golden[i]) << "line " << i + 1;
  }
}

TEST(ResultFileHeader, StandsTheEqualsSignsInOneByteColumnInCodePage932) {
  const test::Model in = test::DefaultModel();
  const std::vector<std::string> lines =
      CrLfLines(EncodeCodePage932(ResultHeaderText(*in.params, in.state->EntryTemperature(), '.')));
  int valueLines = 0;
  for (std::size_t i = 0; i < lines.size(); ++i) {
    if (lines[i].find("=  ") == std::string::npos) continue;
    ++valueLines;
    // Lines 7 and 8 (the polymer) stand one byte to the left of all others.
    const std::size_t expected = (i == 6 || i == 7) ? 54 : 55;
    EXPECT_EQ(lines[i].find('='), expected) << "line " << i + 1 << ": " << lines[i];
  }
  EXPECT_EQ(valueLines, 41);
}

// Echo lines whose value text FormatFixed writes: separator, sign, scientific form.
TEST(ResultFileHeader, FormatsEachValueAsItsLineSays) {
  struct Case {
    char separator;
    std::function<void(test::Model&)> change;
    std::size_t line;  // from 1
    const char* expected;
  };
  const auto none = [](test::Model&) {};
  const Case cases[] = {
      {'.', none, 7, "    Specific Heat of Polymer (kJ/kg.K)                =  1.470"},
      {'.', none, 14, "    Diffusion Coefficient of Solvent-1 in Air (m2/s)   =  0.000009030"},
      {'.', none, 27, "    Vapor Pressure Parameter B of Solvent-2            =  1344.800"},
      {'.', none, 69, "     Initial Temperature (℃)                          =  15.00"},
      {',', none, 7, "    Specific Heat of Polymer (kJ/kg.K)                =  1,470"},
      {',', none, 14, "    Diffusion Coefficient of Solvent-1 in Air (m2/s)   =  0,000009030"},
      // The initial temperature comes from the trace.
      {'.', [](test::Model& m) { m.state->EntryTemperature() = -5; }, 69,
       "     Initial Temperature (℃)                          =  -5.00"},
      {'.', [](test::Model& m) { m.params->Solvent2AntoineB = 123456789; }, 27,
       "    Vapor Pressure Parameter B of Solvent-2            =  1.2345679E008"},
      {'.', [](test::Model& m) { m.params->Zones.ZoneLength[1] = 12345; }, 71,
       "     Zone Length (m)                                   =  12345.00"},
  };
  for (const Case& c : cases) {
    test::Model in = test::DefaultModel();
    c.change(in);
    const std::vector<std::string> lines =
        CrLfLines(ResultHeaderText(*in.params, in.state->EntryTemperature(), c.separator));
    ASSERT_EQ(lines.size(), 77u);
    EXPECT_EQ(lines[c.line - 1], c.expected) << "line " << c.line;
  }
}

// ---- the conditions block -----------------------------------------------------------------

TEST(ResultFileZoneConditions, WritesTheRuledZoneNumberAndTheSixConditions) {
  test::Model in = test::DefaultModel();
  in.params->Zones.OuterTemperature[10] = 120.5;
  in.params->Zones.ZoneLength[10] = 2.25;
  in.params->Zones.Solvent1Humidity[10] = 0.0012346;
  in.params->Zones.Solvent2Humidity[10] = -0.0000004;
  in.params->Zones.HeatTransferUpper[10] = 0.03;
  in.params->Zones.HeatTransferLower[10] = 0.000004;
  const std::vector<std::string> expected{
      "",
      "  -------",
      "  ZONE 10",
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
  EXPECT_EQ(CrLfLines(ZoneConditionsText(*in.params, 10, ',')), expected);
}

//! The table of `zone` as if the run had given it `steps` steps.
std::string TableText(test::Model& in, int zone, int steps, char separator) {
  in.params->ZoneSteps[zone] = steps;
  return ZoneTableText(ZoneView(*in.params, *in.state, zone), separator);
}

TEST(ResultFileBlocks, RefuseZonesAndPointsOutsideTheDryer) {
  test::Model in = test::DefaultModel();
  EXPECT_THROW(ZoneConditionsText(*in.params, 0, '.'), std::out_of_range);
  EXPECT_THROW(ZoneConditionsText(*in.params, 15, '.'), std::out_of_range);
  EXPECT_NO_THROW(TableText(in, 14, kTracePoints - 1, '.'));
  EXPECT_THROW(TableText(in, 1, kTracePoints, '.'), std::out_of_range);
  EXPECT_THROW(TableText(in, 1, -1, '.'), std::out_of_range);
  EXPECT_THROW(ZoneView(*in.params, *in.state, 15), std::out_of_range);
}

// ---- the zone table -----------------------------------------------------------------------

const std::vector<std::string> kTableHeading{
    "  [SIMULATION RESULTS]",
    "   TIME     LENGTH     TEMP     WEIGHT1  RESIDUAL RAT1   WEIGHT2  RESIDUAL RAT2",
    "    (s)       (m)     (deg-C)   (kg/m2)       (-)         (kg/m2)       (-)",
    "",
};

// The headings never take the separator; steps 0 writes the entry state alone.
TEST(ResultFileZoneTable, WritesTheHeadingsThenOneRowPerPoint) {
  test::Model in = test::DefaultModel();
  const std::pair<char, std::string> firstRows[] = {
      {'.', "   0.000     0.000     15.00    0.04170      1.0000      0.01529      1.0000"},
      {',', "   0,000     0,000     15,00    0,04170      1,0000      0,01529      1,0000"},
  };
  for (const auto& [separator, row] : firstRows) {
    std::vector<std::string> expected = kTableHeading;
    expected.push_back(row);
    EXPECT_EQ(CrLfLines(TableText(in, 1, 0, separator)), expected);
  }
}

TEST(ResultFileZoneTable, PadsEachTextToItsColumnUnlessItIsLonger) {
  struct Case {
    std::size_t point;             // the length is 0.1 m a point
    std::array<double, 6> values;  // time, temperature, weight and residual of both solvents
    const char* row;
  };
  const Case cases[] = {
      {300,
       {123.4, 59.87, 0.00012, 0.0029, 0, 0},
       " 123.400    30.000     59.87    0.00012      0.0029      0.00000      0.0000"},
      {0,
       {10000, 15, 0.0417, 1, 0.01529, 1},
       "10000.000     0.000     15.00    0.04170      1.0000      0.01529      1.0000"},
      {1,
       {123456.789, 100, 1.5, 12.25, 0.25, 0.5},
       "123456.790     0.100    100.00    1.50000      12.2500      0.25000      0.5000"},
      {0,
       {-1.5, -5, 0.0417, 1, 0.01529, 1},
       "  -1.500     0.000     -5.00    0.04170      1.0000      0.01529      1.0000"},
      // Values rounded to zero lose their sign.
      {0,
       {0, 15, -0.000004, -0.00004, -0.0000001, -0.0},
       "   0.000     0.000     15.00    0.00000      0.0000      0.00000      0.0000"},
      // ... in the padded columns too, which then take one blank more than the sign would;
      // a carry that rounds up to one more integer digit takes one blank less.
      {0,
       {-0.0004, -0.004, 0.0417, 1, 0.01529, 1},
       "   0.000     0.000      0.00    0.04170      1.0000      0.01529      1.0000"},
      {0,
       {9.9996, 99.996, 0.0417, 1, 0.01529, 1},
       "  10.000     0.000    100.00    0.04170      1.0000      0.01529      1.0000"},
      {0,
       {99999.9996, 9.9951, 0.0417, 1, 0.01529, 1},
       "100000.000     0.000     10.00    0.04170      1.0000      0.01529      1.0000"},
  };
  test::Model in = test::DefaultModel();
  ZoneTrace& t = in.state->Trace;
  for (const Case& c : cases) {
    const std::size_t s = c.point;
    t.Time[1][s] = c.values[0];
    t.Temperature[1][s] = c.values[1];
    t.Solvent1Weight[1][s] = c.values[2];
    t.Solvent1Residual[1][s] = c.values[3];
    t.Solvent2Weight[1][s] = c.values[4];
    t.Solvent2Residual[1][s] = c.values[5];
    const std::vector<std::string> lines = CrLfLines(TableText(in, 1, static_cast<int>(s), '.'));
    ASSERT_EQ(lines.size(), 4 + s + 1);
    EXPECT_EQ(lines.back(), c.row);
  }
}

// ---- the file -----------------------------------------------------------------------------

class ResultFileOnDisk : public ::testing::Test {
 protected:
  void SetUp() override { in_.params->SaveFileName = name_; }

  //! The three write steps, each returning whether it opened the file.
  std::vector<std::function<bool()>> Steps() {
    return {
        [this] { return file_.WriteResultHeader(in_.state->EntryTemperature()).Ok(); },
        [this] { return file_.AppendZoneTable(ZoneView(*in_.params, *in_.state, 1)).Ok(); },
        [this] { return file_.AppendZoneConditions(2).Ok(); },
    };
  }

  test::ScratchDirectory scratch_;
  std::string name_ = scratch_.File("result.txt");
  test::Model in_ = test::DefaultModel();
  test::RecordingMessages messages_;
  ResultFile file_{*in_.params, '.', messages_};
};

TEST_F(ResultFileOnDisk, WritesTheEchoInCodePage932AndReplacesAnExistingFile) {
  std::ofstream(name_, std::ios::binary) << std::string(10000, 'x');
  EXPECT_TRUE(file_.WriteResultHeader(in_.state->EntryTemperature()).Ok());
  EXPECT_TRUE(messages_.messages.empty());
  EXPECT_EQ(ReadBytes(name_), GoldenHeader());
}

TEST_F(ResultFileOnDisk, AppendingNeverCreatesTheFile) {
  // The step returns what it told, as a file problem.
  const Outcome<> appended = file_.AppendZoneConditions(2);
  ASSERT_FALSE(appended.Ok());
  EXPECT_EQ(appended.Why().Kind(), ErrorKind::File);
  EXPECT_STREQ(appended.Why().what(), "File can not open!");
  EXPECT_EQ(appended.Why().Details(),
            "Could not open the result file \"" + name_ + "\": No such file or directory");
  EXPECT_FALSE(file_.AppendZoneTable(ZoneView(*in_.params, *in_.state, 1)).Ok());
  EXPECT_EQ(messages_.messages, std::vector<std::string>(2, "File can not open!"));
  EXPECT_FALSE(fs::exists(name_));
}

TEST_F(ResultFileOnDisk, EveryStepShowsItsMessageWhenTheFileCannotOpen) {
  for (const fs::path& name : {scratch_.path() / "missing" / "result.txt", scratch_.path()}) {
    in_.params->SaveFileName = name.string();
    messages_.messages.clear();
    for (const auto& step : Steps()) EXPECT_FALSE(step()) << name;
    EXPECT_EQ(messages_.messages, std::vector<std::string>(3, "File can not open!"));
    EXPECT_TRUE(messages_.errors.empty());
    EXPECT_TRUE(fs::is_empty(scratch_.path())) << "created " << name;
  }
}

// A named pipe that nobody reads would block the open for ever.
TEST_F(ResultFileOnDisk, APipeWithoutReaderCannotOpenRatherThanHangTheRun) {
  const fs::path pipe = scratch_.path() / "pipe";
  ASSERT_EQ(mkfifo(pipe.c_str(), 0600), 0);
  in_.params->SaveFileName = pipe.string();
  for (const auto& step : Steps()) EXPECT_FALSE(step());
  EXPECT_EQ(messages_.messages, std::vector<std::string>(3, "File can not open!"));
}

// The result file is never the data file the inputs came from, under any of its names: the run
// is refused before anything is written and the data file stays as it was.
TEST_F(ResultFileOnDisk, RefusesToOverwriteTheRunsDataFile) {
  const std::string data = scratch_.File("line3.dat");
  std::ofstream(data, std::ios::binary) << "the inputs";
  fs::create_hard_link(data, scratch_.File("hard.dat"));
  fs::create_symlink(data, scratch_.File("soft.dat"));
  ResultFileOptions options;
  options.DataFile = LoadedDataFile{data, IdentityOfPath(data)};
  for (const char* name : {"line3.dat", "hard.dat", "soft.dat"}) {
    in_.params->SaveFileName = scratch_.File(name);
    messages_.messages.clear();
    ResultFile file(*in_.params, '.', messages_, options);
    EXPECT_FALSE(file.WriteResultHeader(15.0).Ok()) << name;
    EXPECT_EQ(messages_.messages,
              std::vector<std::string>{"The result file \"" + scratch_.File(name) +
                                       "\" is the data file \"" + data +
                                       "\" of this run, which is left as it is. Choose another "
                                       "result file."});
    EXPECT_EQ(ReadBytes(data), "the inputs");
  }
  in_.params->SaveFileName = name_;
  ResultFile other(*in_.params, '.', messages_, options);
  EXPECT_TRUE(other.WriteResultHeader(15.0).Ok());
}

TEST_F(ResultFileOnDisk, FailingWriteThrowsWithTheSystemsReason) {
  if (!fs::exists("/dev/full")) GTEST_SKIP() << "no /dev/full";
  in_.params->SaveFileName = "/dev/full";  // opens, and every write fails with ENOSPC
  for (const auto& step : Steps()) {
    try {
      step();
      ADD_FAILURE() << "no FileError";
    } catch (const FileError& e) {
      EXPECT_STREQ(e.what(),
                   "Could not write the result file \"/dev/full\": No space left on device");
    }
  }
  EXPECT_TRUE(messages_.messages.empty());
}

}  // namespace
}  // namespace quillmere
