#include "analysis/sweep/SweepTable.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "TestSupport.h"
#include "params/MemoryFieldTexts.h"

namespace quillmere {
namespace {

TEST(SweepTable, HeaderNamesEveryColumnWithItsUnit) {
  const std::vector<SweepAxis> axes{ParseSweepAxis("Speed=1"), ParseSweepAxis("Keff=1"),
                                    ParseSweepAxis("Edit31=60")};
  EXPECT_EQ(SweepTableHeader(axes),
            "case,Speed (m/s),Keff,Zone3.OuterTemperature (°C),outcome,exit time (s),"
            "exit web temperature (°C),exit Solvent-1 residual ratio (-),"
            "exit Solvent-2 residual ratio (-),highest web temperature (°C),"
            "coating first boils at (m),warnings\n");
}

TEST(SweepTable, RowsOfEachOutcome) {
  struct Case {
    const char* what;
    SweepRow row;
    std::string line;
  };
  SweepRow finished;
  finished.Case = 7;
  finished.Values = {0.5, 60};
  finished.Finished = true;
  finished.Outcome = "finished";
  finished.Exit.Time = 60;
  finished.Exit.Temperature = 59.5;
  finished.Exit.Solvent1Residual = 0.0054;
  finished.Exit.Solvent2Residual = 0.1;
  finished.HighestTemperature = 61.25;
  finished.FirstBoiling = 12.5;
  finished.Warnings = {"Solvent-2 condenses in zone 2, from 0.1 m", "a, b"};

  SweepRow refused;
  refused.Case = 12;
  refused.Values = {1e-5, -3};
  refused.Outcome = "Zone 1 would need 3000 integration steps, more than the 1999 steps";

  SweepRow quoted = refused;
  quoted.Outcome = "Text \"x\"";
  const Case cases[] = {
      {"finished", finished,
       "7,0.5,60,finished,60,59.5,0.0054,0.1,61.25,12.5,"
       "\"Solvent-2 condenses in zone 2, from 0.1 m; a, b\"\n"},
      {"refused", refused,
       "12,1e-05,-3,\"Zone 1 would need 3000 integration steps, more than the 1999 steps\","
       ",,,,,,\n"},
      {"quoted", quoted, "12,1e-05,-3,\"Text \"\"x\"\"\",,,,,,,\n"},
  };
  for (const Case& c : cases) EXPECT_EQ(SweepTableLine(c.row), c.line) << c.what;
}

// The row reads the run's record: the first boiling point apart, every other warning in order.
TEST(SweepTable, RowTakesTheFirstBoilingPointAndTheOtherWarnings) {
  test::Model model = test::DefaultModel();
  CaseResult result = RunCase(MemoryFieldTexts('.'), '.', *model.params, *model.state);
  ASSERT_TRUE(result.Finished());
  const auto warning = [](WarningKind kind, double position, std::string text) {
    PhysicalWarning w;
    w.Kind = kind;
    w.Where.DryerPosition = position;
    w.Text = std::move(text);
    return w;
  };
  result.Record.Warnings = {warning(WarningKind::Condensing, 1, "condenses"),
                            warning(WarningKind::Boiling, 31.5, "boils in zone 2"),
                            warning(WarningKind::Boiling, 61.5, "boils in zone 3"),
                            warning(WarningKind::DryingStopped, 70, "stops")};
  const SweepRow row =
      SweepRowOf(3, {1.0}, result, *model.params, *model.state, {"Zone 4 is filled"});
  EXPECT_EQ(row.Case, 3u);
  EXPECT_EQ(row.FirstBoiling, 31.5);
  EXPECT_EQ(row.Warnings, (std::vector<std::string>{"Zone 4 is filled", "condenses", "stops"}));
  EXPECT_EQ(row.Outcome, "finished");
  // Zone 2's air is at 60 °C, and the web approaches it from below.
  EXPECT_GT(row.HighestTemperature, 59.9);
  EXPECT_LT(row.HighestTemperature, 60.0);
}

}  // namespace
}  // namespace quillmere
