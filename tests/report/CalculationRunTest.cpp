#include "report/CalculationRun.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <filesystem>
#include <fstream>

#include "TestSupport.h"
#include "base/FloatingPointGuard.h"
#include "params/AcquireParameters.h"
#include "params/FieldTable.h"
#include "params/MemoryFieldTexts.h"
#include "report/CodePage.h"
#include "report/ResultFile.h"

namespace quillmere {
namespace {

//! How a run that finished ended.
const std::optional<ErrorKind> kFinished;

using test::Model;
using test::RecordingMessages;
using test::ScratchDirectory;

constexpr int kEchoLines = 77;
constexpr int kTableHeadingLines = 4;
constexpr int kConditionsLines = 12;

class CalculationRunTest : public ::testing::Test {
 protected:
  CalculationRunTest() { fields.SetText("Edit250", resultFile); }

  //! How the run ended: nothing when it finished, else the kind of its error.
  std::optional<ErrorKind> Run() {
    return RunCalculation(fields, messages, '.', *model.params, *model.state).Ending();
  }
  std::vector<std::string> ResultLines() const {
    return test::CrLfLines(test::ReadBytes(resultFile));
  }
  void SetZone(int zone, const char* outer, const char* length) {
    fields.SetText(ZoneFieldName(zone, 0), outer);
    fields.SetText(ZoneFieldName(zone, 1), length);
    fields.SetText(ZoneFieldName(zone, 2), "0.0");
    fields.SetText(ZoneFieldName(zone, 3), "0.0");
    fields.SetText(ZoneFieldName(zone, 4), "0.022");
    fields.SetText(ZoneFieldName(zone, 5), "0.055");
  }

  ScratchDirectory directory;
  std::string resultFile = directory.File("result.txt");
  MemoryFieldTexts fields;
  RecordingMessages messages;
  Model model;
};

TEST_F(CalculationRunTest, DefaultInputsWriteTwoZonesAndAnnounceTheEnd) {
  ASSERT_EQ(Run(), kFinished);
  EXPECT_EQ(messages.finishCount, 1);
  EXPECT_TRUE(messages.messages.empty());

  const std::vector<std::string> lines = ResultLines();
  ASSERT_EQ(lines.size(), std::size_t{kEchoLines + 4 + 301 + kConditionsLines + 4 + 301});
  EXPECT_EQ(lines[kEchoLines], "  [SIMULATION RESULTS]");
  const std::size_t zone1First = kEchoLines + kTableHeadingLines;
  EXPECT_EQ(lines[zone1First],
            "   0.000     0.000     15.00    0.04170      1.0000      0.01529      1.0000");
  const std::string& zone1Last = lines[zone1First + 300];
  EXPECT_EQ(test::Words(zone1Last)[0], "30.000");
  EXPECT_EQ(test::Words(zone1Last)[1], "30.000");
  EXPECT_EQ(test::Words(zone1Last)[2], "59.45");
  EXPECT_EQ(test::Words(zone1Last)[4], "0.0060");
  EXPECT_EQ(test::Words(zone1Last)[6], "0.0804");
  EXPECT_EQ(lines[zone1First + 301], "");
  EXPECT_EQ(lines[zone1First + 303], "  ZONE 2");

  // Zone 2 starts where zone 1 ended; only the length starts again at 0.
  const std::size_t zone2First = zone1First + 301 + kConditionsLines + kTableHeadingLines;
  std::vector<std::string> expected = test::Words(zone1Last);
  expected[1] = "0.000";
  EXPECT_EQ(test::Words(lines[zone2First]), expected);
  const std::vector<std::string> last = test::Words(lines.back());
  EXPECT_EQ(last[0], "60.000");
  EXPECT_EQ(last[2], "60.00");
  EXPECT_EQ(last[4], "0.0054");
  EXPECT_EQ(last[6], "0.0761");
}

TEST_F(CalculationRunTest, OneZoneWritesNoConditionsBlock) {
  fields.SetText("Edit21", "");
  ASSERT_EQ(Run(), kFinished);
  EXPECT_EQ(ResultLines().size(), std::size_t{kEchoLines + kTableHeadingLines + 301});
}

TEST_F(CalculationRunTest, ThreeZonesWriteTheConditionsOfZonesTwoAndThreeAfterTheTableBefore) {
  SetZone(3, "80.0", "5.0");
  ASSERT_EQ(Run(), kFinished);
  const std::vector<std::string> lines = ResultLines();
  ASSERT_EQ(lines.size(), std::size_t{kEchoLines + 2 * (kConditionsLines + kTableHeadingLines) +
                                      kTableHeadingLines + 301 + 301 + 51});
  const std::size_t zone3Block = kEchoLines + 2 * kTableHeadingLines + 2 * 301 + kConditionsLines;
  EXPECT_EQ(lines[zone3Block + 2], "  ZONE 3");
  EXPECT_EQ(lines[zone3Block + 4],
            EncodeCodePage932("     Outer Temperature (℃)                            =  80.00"));
  EXPECT_EQ(test::Words(lines.back())[1], "5.000");
}

TEST_F(CalculationRunTest, FourteenZonesWriteFourteenTablesWithLengthsOfStepTimesIncrement) {
  for (int zone = 3; zone <= kMaxZones; ++zone) SetZone(zone, "60.0", "2.0");
  ASSERT_EQ(Run(), kFinished);
  const std::vector<std::string> lines = ResultLines();
  int tables = 0;
  for (std::size_t i = 0; i < lines.size(); ++i) {
    if (lines[i] != "  [SIMULATION RESULTS]") continue;
    ++tables;
    const std::size_t rows = tables <= 2 ? 301 : 21;
    for (std::size_t s = 0; s < rows; ++s) {
      char length[16];
      std::snprintf(length, sizeof length, "%.3f", static_cast<double>(s) / 10);
      ASSERT_EQ(test::Words(lines[i + kTableHeadingLines + s])[1], length) << tables << " " << s;
    }
  }
  EXPECT_EQ(tables, 14);
  EXPECT_EQ(lines[lines.size() - 21 - kTableHeadingLines - kConditionsLines + 2], "  ZONE 14");
}

TEST_F(CalculationRunTest, AZoneOfNoStepsHasOneRowThatTheNextZoneStartsFrom) {
  SetZone(2, "60.0", "0.04");
  SetZone(3, "70.0", "1.0");
  ASSERT_EQ(Run(), kFinished);
  const std::vector<std::string> lines = ResultLines();
  const std::size_t zone2First =
      kEchoLines + kTableHeadingLines + 301 + kConditionsLines + kTableHeadingLines;
  EXPECT_EQ(lines[zone2First + 1], "");
  EXPECT_EQ(lines[zone2First + 3], "  ZONE 3");
  const std::size_t zone3First = zone2First + 1 + kConditionsLines + kTableHeadingLines;
  EXPECT_EQ(lines[zone3First], lines[zone2First]);
}

TEST_F(CalculationRunTest, ARefusedInputWritesNothing) {
  {
    std::ofstream existing(resultFile, std::ios::binary);
    existing << "older result";
  }
  fields.SetText("Edit3", "0.18x");
  EXPECT_EQ(Run(), ErrorKind::InputRefused);
  EXPECT_EQ(test::ReadBytes(resultFile), "older result");
  EXPECT_EQ(messages.finishCount, 0);

  fields.SetText("Edit3", "0.18");
  fields.SetText("Edit250", "");
  EXPECT_EQ(Run(), ErrorKind::InputRefused);
  EXPECT_EQ(messages.messages.back(), "Input Save File Name!");
}

TEST_F(CalculationRunTest, AnExistingResultFileIsReplaced) {
  {
    std::ofstream existing(resultFile, std::ios::binary);
    existing << std::string(200000, '#');
  }
  ASSERT_EQ(Run(), kFinished);
  EXPECT_EQ(ResultLines().front(), "===================");
  EXPECT_EQ(test::ReadBytes(resultFile).find('#'), std::string::npos);
}

// A result file that cannot be opened is said once, and the run ends there instead of
// computing on and announcing success.
TEST_F(CalculationRunTest, AResultFileThatCannotBeCreatedEndsTheRunAfterOneMessage) {
  fields.SetText("Edit250", directory.File("missing/result.txt"));
  EXPECT_EQ(Run(), ErrorKind::File);
  EXPECT_EQ(messages.messages, std::vector<std::string>{"File can not open!"});
  EXPECT_EQ(messages.finishCount, 0);
  EXPECT_FALSE(std::filesystem::exists(directory.path() / "missing"));

  fields.SetText("Edit250", directory.path().string());  // a directory's name
  EXPECT_EQ(Run(), ErrorKind::File);
  EXPECT_EQ(messages.messages.size(), 2u);
}

TEST_F(CalculationRunTest, AFailingWriteEndsTheRunWithItsCause) {
  fields.SetText("Edit250", "/dev/full");
  try {
    Run();
    FAIL();
  } catch (const FileError& e) {
    EXPECT_NE(std::string(e.what()).find("No space left on device"), std::string::npos) << e.what();
  }
  EXPECT_EQ(messages.finishCount, 0);
}

TEST_F(CalculationRunTest, AZeroInitialSolventRatioLeavesTheHeaderOnly) {
  fields.SetText("Edit5", "0");
  EXPECT_EQ(Run(), ErrorKind::RunFault);
  EXPECT_EQ(messages.errors, std::vector<std::string>{"Invalid floating point operation."});
  EXPECT_EQ(ResultLines().size(), std::size_t{kEchoLines});
  EXPECT_EQ(messages.finishCount, 0);
}

TEST_F(CalculationRunTest, AFaultInAFurtherZoneLeavesItsConditionsBlockWithoutTable) {
  fields.SetText("Edit26", "1E308");
  EXPECT_EQ(Run(), ErrorKind::RunFault);
  EXPECT_EQ(messages.errors, std::vector<std::string>{"Floating point overflow."});
  const std::vector<std::string> lines = ResultLines();
  ASSERT_EQ(lines.size(), std::size_t{kEchoLines + kTableHeadingLines + 301 + kConditionsLines});
  EXPECT_EQ(lines[lines.size() - 3],
            "     Heat Trans. Coeff. - Lower (kJ/m2.s.K)            =  1E308");
}

TEST_F(CalculationRunTest, ALaterRunWithFewerZonesLeavesTheExtraTracesAsTheyWere) {
  SetZone(3, "80.0", "5.0");
  ASSERT_EQ(Run(), kFinished);
  const double zone3End = model.state->Trace.Temperature[3][50];
  fields.SetText("Edit31", "");
  fields.SetText("Edit22", "10.0");
  ASSERT_EQ(Run(), kFinished);
  EXPECT_EQ(model.state->Trace.Temperature[3][50], zone3End);
  EXPECT_EQ(model.params->ZoneCount, 2);
  EXPECT_EQ(model.params->Zones.OuterTemperature[3], 80.0);
  EXPECT_EQ(ResultLines().size(), std::size_t{kEchoLines + 4 + 301 + kConditionsLines + 4 + 101});
}

TEST_F(CalculationRunTest, ACommaLocaleWritesCommas) {
  MemoryFieldTexts commaFields(',');
  commaFields.SetText("Edit250", resultFile);
  ASSERT_TRUE(RunCalculation(commaFields, messages, ',', *model.params, *model.state).Finished());
  const std::vector<std::string> lines = ResultLines();
  EXPECT_EQ(lines[6], "    Specific Heat of Polymer (kJ/kg.K)                =  1,470");
  EXPECT_EQ(lines[kEchoLines + kTableHeadingLines],
            "   0,000     0,000     15,00    0,04170      1,0000      0,01529      1,0000");
}

}  // namespace
}  // namespace quillmere
