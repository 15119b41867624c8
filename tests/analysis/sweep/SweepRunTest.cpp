#include "analysis/sweep/SweepRun.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <memory>
#include <string>
#include <vector>

#include "RecordingMessages.h"
#include "TestSupport.h"
#include "analysis/plant/PlantReport.h"
#include "params/MemoryFieldTexts.h"
#include "report/CalculationRun.h"
#include "report/DataFile.h"
#include "report/FileIO.h"
#include "report/SolventLibrary.h"
#include "sim/TraceView.h"

namespace quillmere {
namespace {

SweepCases AllCases(const SweepGrid& grid) {
  return ShardCases(grid.CaseCount(), {1, 1});
}

//! The rows a sweep hands on, in the order it hands them on.
std::vector<std::optional<SweepRow>> Rows(const SweepGrid& grid, const MemoryFieldTexts& base,
                                          SweepCases cases, const SweepOptions& options,
                                          SweepControl& control) {
  std::vector<std::optional<SweepRow>> rows;
  const std::size_t handedOn = RunSweep(grid, base, cases, options, control,
                                        [&rows](SweepRow&& row) { rows.emplace_back(row); });
  EXPECT_EQ(handedOn, rows.size());
  return rows;
}

std::vector<std::optional<SweepRow>> Sweep(const SweepGrid& grid, const MemoryFieldTexts& base,
                                           SweepOptions options = {}) {
  SweepControl control;
  auto rows = Rows(grid, base, AllCases(grid), options, control);
  EXPECT_EQ(control.Done.load(), grid.CaseCount());
  return rows;
}

std::string Table(const std::vector<std::optional<SweepRow>>& rows) {
  std::string table;
  for (const auto& row : rows) table += row ? SweepTableLine(*row) : "(none)\n";
  return table;
}

// Every row holds what one calculation with the same field texts computes, in grid order.
TEST(SweepRun, ThreeByFourGridEqualsTwelveSingleRuns) {
  const SweepGrid grid(
      {ParseSweepAxis("Zone2.OuterTemperature=50,60,70"), ParseSweepAxis("Speed=0.5:2:4")});
  SweepOptions options;
  options.Jobs = 2;
  const auto rows = Sweep(grid, MemoryFieldTexts('.'), options);
  ASSERT_EQ(rows.size(), 12u);
  const char* speeds[] = {"0.5", "1", "1.5", "2"};
  const char* temperatures[] = {"50", "60", "70"};
  for (std::size_t i = 0; i < 12; ++i) {
    ASSERT_TRUE(rows[i]) << i;
    const SweepRow& row = *rows[i];
    MemoryFieldTexts fields('.');
    fields.SetText("Edit21", temperatures[i / 4]);
    fields.SetText("Edit6", speeds[i % 4]);
    test::Model single;
    const CaseResult result = RunCase(fields, '.', *single.params, *single.state);
    ASSERT_TRUE(result.Finished()) << i;
    const TracePoint exit = result.Record.ZoneExits.back();
    double highest = -1e9;
    for (int zone = 1; zone <= 2; ++zone) {
      const ZoneView view(*single.params, *single.state, zone);
      for (int s = 0; s <= view.Steps(); ++s) highest = std::max(highest, view.At(s).Temperature);
    }
    EXPECT_EQ(row.Case, i + 1);
    EXPECT_EQ(row.Values,
              (std::vector<double>{50.0 + 10.0 * double(i / 4), 0.5 * double(i % 4 + 1)}));
    EXPECT_EQ(row.Outcome, "finished");
    EXPECT_EQ(row.Exit.Time, exit.Time) << i;
    EXPECT_EQ(row.Exit.Temperature, exit.Temperature) << i;
    EXPECT_EQ(row.Exit.Solvent1Residual, exit.Solvent1Residual) << i;
    EXPECT_EQ(row.Exit.Solvent2Residual, exit.Solvent2Residual) << i;
    EXPECT_EQ(row.HighestTemperature, highest) << i;
  }
}

TEST(SweepRun, SameRowsWithOneAndSeveralJobs) {
  const SweepGrid grid({ParseSweepAxis("Keff=0.1:0.5:5"), ParseSweepAxis("Edit20=0.1,0.01,0.2"),
                        ParseSweepAxis("Edit4=0,0.6")});
  SweepOptions one;
  one.Jobs = 1;
  SweepOptions several;
  several.Jobs = 4;
  const std::string serial = Table(Sweep(grid, MemoryFieldTexts('.'), one));
  EXPECT_EQ(Table(Sweep(grid, MemoryFieldTexts('.'), several)), serial);
  EXPECT_EQ(serial.find("(none)"), std::string::npos);
}

// The step bound, a fault at the entry and a fault in zone 2 end their case, not the sweep.
TEST(SweepRun, CasesThatEndEarlyAreRowsWithTheirMessage) {
  const SweepGrid grid(
      {ParseSweepAxis("IncrementZ=0.01,0.1"), ParseSweepAxis("InitialSolvent1Ratio=0,0.6")});
  const auto rows = Sweep(grid, MemoryFieldTexts('.'));
  ASSERT_EQ(rows.size(), 4u);
  const std::string bound =
      "Zone 1 would need 3000 integration steps, more than the 1999 steps a zone can take! "
      "Enter a larger Increment of z or a shorter Zone Length.";
  EXPECT_EQ(rows[0]->Outcome, bound);
  EXPECT_EQ(rows[1]->Outcome, bound);
  EXPECT_EQ(rows[2]->Outcome, "Invalid floating point operation at the dryer's entry");
  EXPECT_EQ(rows[3]->Outcome, "finished");
  EXPECT_FALSE(rows[2]->Finished);
  EXPECT_EQ(SweepTableLine(*rows[2]),
            "3,0.1,0,Invalid floating point operation at the dryer's entry,,,,,,,\"The Initial "
            "Solid Weight Ratio (Edit3), Initial Solvent-1 Weight Ratio (Edit4) and Initial "
            "Solvent-2 Weight Ratio (Edit5) add up to 0.4, not 1: the coating's weights are taken "
            "from each ratio as it is given.\"\n");

  // A data file whose zone 2 has an upper heat transfer coefficient of 1E308.
  MemoryFieldTexts faulty('.');
  test::RecordingMessages messages;
  ASSERT_TRUE(LoadDataFile(QUILLMERE_TEST_DATA "/fault-zone2.dat", faulty, messages).Ok());
  const auto faultRows = Sweep(SweepGrid({ParseSweepAxis("Speed=1,2")}), faulty);
  for (const auto& row : faultRows) {
    EXPECT_EQ(row->Outcome,
              "Floating point overflow in zone 2 at 0.00 m (30.00 m from the dryer's entry)");
  }
}

TEST(SweepRun, ResultFilesAreThoseOfSingleRuns) {
  test::ScratchDirectory scratch;
  const SweepGrid grid({ParseSweepAxis("Speed=1,2"), ParseSweepAxis("Keff=0.3,0.4")});
  SweepOptions options;
  options.ResultDirectory = scratch.File("results");
  std::filesystem::create_directory(*options.ResultDirectory);
  const auto rows = Sweep(grid, MemoryFieldTexts('.'), options);
  ASSERT_TRUE(rows[3] && rows[3]->Finished);

  MemoryFieldTexts fields('.');
  fields.SetText("Edit6", "2");
  fields.SetText("Edit205", "0.4");
  fields.SetText("Edit250", scratch.File("single.txt"));
  test::Model single;
  test::RecordingMessages messages;
  ASSERT_TRUE(RunCalculation(fields, messages, '.', *single.params, *single.state).Finished());
  const std::string expected = test::ReadBytes(scratch.File("single.txt"));
  ASSERT_FALSE(expected.empty());
  EXPECT_TRUE(test::ReadBytes(scratch.File("results/case-0004.txt")) == expected);
  EXPECT_EQ(rows[3]->Exit.Time, single.state->Trace.Time[2][300]);

  // A directory that is not there: every case says so, with the system's reason, and keeps
  // what it computed.
  options.ResultDirectory = scratch.File("missing");
  const auto refused =
      Sweep(SweepGrid({ParseSweepAxis("Speed=1")}), MemoryFieldTexts('.'), options);
  EXPECT_EQ(refused[0]->Outcome, "finished");
  EXPECT_EQ(refused[0]->ResultFileError, "File can not open! Could not create the result file \"" +
                                             scratch.File("missing/case-0001.txt") +
                                             "\": No such file or directory");
}

TEST(SweepRun, CaseResultFileNamesHaveAtLeastFourDigits) {
  EXPECT_EQ(CaseResultFileName("out", 7, 12), "out/case-0007.txt");
  EXPECT_EQ(CaseResultFileName("out/", 7, 123456), "out/case-000007.txt");
  EXPECT_EQ(CaseResultFileName("/tmp/r", 12345, 12345), "/tmp/r/case-12345.txt");
}

TEST(SweepRun, ValuesAreTypedWithTheDecimalSeparatorInForce) {
  const SweepGrid grid({ParseSweepAxis("Speed=0.5,1.5")});
  SweepOptions comma;
  comma.DecimalSeparator = ',';
  const auto withComma = Sweep(grid, MemoryFieldTexts(','), comma);
  const auto withPoint = Sweep(grid, MemoryFieldTexts('.'));
  EXPECT_EQ(Table(withComma), Table(withPoint));
  EXPECT_EQ(withComma[1]->Outcome, "finished");
}

TEST(SweepRun, AZoneAfterTheEndOfTheListIsAWarningOfItsRow) {
  const SweepGrid grid({ParseSweepAxis("Zone4.OuterTemperature=0,70")});
  const auto rows = Sweep(grid, MemoryFieldTexts('.'));
  EXPECT_EQ(rows[0]->Warnings, std::vector<std::string>{});
  EXPECT_EQ(rows[1]->Warnings,
            std::vector<std::string>{
                "Zone 4 is filled but not run: the list of zones ends before zone 3, whose "
                "Outer Temperature is empty (the first zone from 2 to 14 whose Outer "
                "Temperature is empty or 0 ends the list)."});
}

// The README's plant example (docs/examples/plant-line4.dat) at 2.5 m/s: the drying stops in
// zone 4, where the web leaves both solvents' Antoine ranges, and zone 2's exhaust is over its
// limit. The row has the plant figures, and its warnings in that order.
TEST(SweepRun, APlantRowHoldsItsFiguresAndTheirWarningsInOrder) {
  MemoryFieldTexts base('.');
  test::RecordingMessages messages;
  ASSERT_TRUE(
      LoadDataFile(QUILLMERE_TEST_DATA "/../../docs/examples/plant-line4.dat", base, messages)
          .Ok());
  const SolventLibrary library(ShippedSolvents());
  ApplySolventNames(library, base, '.');
  SweepOptions options;
  options.PlantSolvents = PlantSolventsOf(library, base);
  const auto rows = Sweep(SweepGrid({ParseSweepAxis("Speed=2.5")}), base, options);
  ASSERT_TRUE(rows[0] && rows[0]->Plant);
  EXPECT_EQ(rows[0]->Plant->Zones.size(), 4u);
  const std::vector<std::string>& warnings = rows[0]->Warnings;
  // Then the zones whose air, stated free of solvent, their exhaust contradicts (1 to 3).
  ASSERT_EQ(warnings.size(), 7u);
  EXPECT_EQ(warnings[0].rfind("In zone 4 the drying stops", 0), 0u) << warnings[0];
  EXPECT_EQ(warnings[1].rfind("Zone 4: the web reaches 99.4 °C, above the range of Ethyl", 0), 0u)
      << warnings[1];
  EXPECT_EQ(warnings[2].rfind("Zone 4: the web reaches 99.4 °C, above the range of Ethanol", 0), 0u)
      << warnings[2];
  EXPECT_EQ(warnings[3].rfind("Zone 1: its air is stated to hold", 0), 0u) << warnings[3];
  EXPECT_EQ(warnings[4].rfind("Zone 2: the exhaust of 8000 Nm3/h is at 46.2 % of the LEL", 0), 0u)
      << warnings[4];
}

TEST(SweepRun, AStopRunsNoFurtherCase) {
  const SweepGrid grid({ParseSweepAxis("Speed=1:2:20")});
  SweepControl control;
  control.Stop = true;
  const auto rows = Rows(grid, MemoryFieldTexts('.'), AllCases(grid), {}, control);
  EXPECT_TRUE(rows.empty());
  EXPECT_EQ(control.Done.load(), 0u);
}

// A stop while rows are handed on: the cases started still come, so the rows handed on are the
// first ones of the grid, each once, in order, and no more than the window holds after the stop.
TEST(SweepRun, AStopMidwayHandsOnTheFirstRowsInOrder) {
  const SweepGrid grid({ParseSweepAxis("Speed=1:2:2000")});
  SweepControl control;
  SweepOptions options;
  options.Jobs = 2;
  std::vector<std::size_t> cases;
  RunSweep(grid, MemoryFieldTexts('.'), AllCases(grid), options, control, [&](SweepRow&& row) {
    cases.push_back(row.Case);
    if (cases.size() == 5) control.Stop = true;
  });
  ASSERT_GE(cases.size(), 5u);
  EXPECT_LE(cases.size(), 5 + kRowsInFlightPerJob * 2);
  for (std::size_t i = 0; i < cases.size(); ++i) EXPECT_EQ(cases[i], i + 1);
  EXPECT_EQ(control.Done.load(), cases.size());
}

// A sink that fails (the table's reader went away) stops the sweep: its error comes out of
// RunSweep once the rows in flight have passed unused, none of them left undestroyed (the
// sanitizer build finds a row left in the pipeline's buffers as a leak), and no row after it
// reaches the sink.
TEST(SweepRun, AFailingSinkStopsTheSweepAndIsThrown) {
  const SweepGrid grid({ParseSweepAxis("Speed=1:2:2000")});
  SweepControl control;
  SweepOptions options;
  options.Jobs = 2;
  std::size_t handed = 0;
  test::ExpectError<FileError>(
      [&] {
        RunSweep(grid, MemoryFieldTexts('.'), AllCases(grid), options, control, [&](SweepRow&&) {
          if (++handed == 3) throw FileError("Could not write the table: Broken pipe.");
        });
      },
      "Could not write the table: Broken pipe.");
  EXPECT_EQ(handed, 3u);
  EXPECT_TRUE(control.Stop.load());
  EXPECT_EQ(control.Done.load(), 2u);
}

TEST(SweepRun, AShardRunsItsCasesUnderTheirGlobalNumbers) {
  const SweepGrid grid({ParseSweepAxis("Speed=1:2:7")});
  SweepControl control;
  const auto rows = Rows(grid, MemoryFieldTexts('.'), ShardCases(7, {2, 3}), {}, control);
  ASSERT_EQ(rows.size(), 2u);
  EXPECT_EQ(rows[0]->Case, 2u);
  EXPECT_EQ(rows[1]->Case, 5u);
  EXPECT_EQ(rows[1]->Values, grid.Values(4));
}

}  // namespace
}  // namespace quillmere

namespace quillmere {
namespace {

// Zone 1's air at 200 °C boils the coating early; the row says where, as the run's record does.
TEST(SweepRun, TheRowSaysWhereTheCoatingFirstBoils) {
  const auto rows =
      Sweep(SweepGrid({ParseSweepAxis("Zone1.OuterTemperature=60,200")}), MemoryFieldTexts('.'));
  EXPECT_EQ(rows[0]->FirstBoiling, std::nullopt);
  MemoryFieldTexts fields('.');
  fields.SetText("Edit8", "200");
  test::Model single;
  const CaseResult result = RunCase(fields, '.', *single.params, *single.state);
  const auto boiling =
      std::find_if(result.Record.Warnings.begin(), result.Record.Warnings.end(),
                   [](const PhysicalWarning& w) { return w.Kind == WarningKind::Boiling; });
  ASSERT_NE(boiling, result.Record.Warnings.end());
  EXPECT_EQ(rows[1]->FirstBoiling, boiling->Where.DryerPosition);
  // Boiling in a later zone is in that column too; the others are warnings of the row.
  const auto others =
      std::count_if(result.Record.Warnings.begin(), result.Record.Warnings.end(),
                    [](const PhysicalWarning& w) { return w.Kind != WarningKind::Boiling; });
  EXPECT_EQ(rows[1]->Warnings.size(), static_cast<std::size_t>(others));
  EXPECT_GT(others, 0);
}

}  // namespace
}  // namespace quillmere
