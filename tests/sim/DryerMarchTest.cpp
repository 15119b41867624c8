// The march through the dryer as data: without a result file, with observers told of each
// zone, faults recorded with where they arose, and runs in several threads at once.
#include "sim/DryerMarch.h"

#include <gtest/gtest.h>

#include <string>
#include <thread>
#include <vector>

#include "TestSupport.h"
#include "base/FormatFixed.h"
#include "params/AcquireParameters.h"
#include "params/FieldTable.h"
#include "params/MemoryFieldTexts.h"
#include "report/CalculationRun.h"
#include "report/DataFile.h"

namespace quillmere {
namespace {

using test::Model;
using test::RecordingMessages;

//! The inputs of `fields` acquired into a fresh model, ready to march.
Model Acquired(const MemoryFieldTexts& fields) {
  Model model;
  RecordingMessages messages;
  EXPECT_TRUE(
      AcquireParameters(fields, messages, '.', *model.params, model.state->EntryTemperature())
          .Ok());
  return model;
}

std::string F(double value, int precision, int digits) {
  return FormatFixed(value, precision, digits, '.');
}

// The default run, marched without a result file: the web leaves zone 1 at 59.45 °C with
// residual ratios 0.0060 and 0.0804 and zone 2 at 60.00 °C, 0.0054 and 0.0761.
TEST(MarchThroughDryer, RecordsEachZonesExitWithoutAResultFile) {
  Model model = Acquired(MemoryFieldTexts());
  const RunRecord record = MarchThroughDryer(*model.params, *model.state);
  ASSERT_TRUE(record.Finished());
  ASSERT_EQ(record.ZonesDone(), 2);
  const TracePoint& zone1 = record.ZoneExits[0];
  EXPECT_EQ(zone1.Zone, 1);
  EXPECT_EQ(zone1.Point, 300);
  EXPECT_EQ(F(zone1.Time, 8, 3), "30.000");
  EXPECT_EQ(F(zone1.Temperature, 6, 2), "59.45");
  EXPECT_EQ(F(zone1.Solvent1Residual, 6, 4), "0.0060");
  EXPECT_EQ(F(zone1.Solvent2Residual, 6, 4), "0.0804");
  const TracePoint& zone2 = record.ZoneExits[1];
  EXPECT_EQ(F(zone2.Time, 8, 3), "60.000");
  EXPECT_EQ(F(zone2.Temperature, 6, 2), "60.00");
  EXPECT_EQ(F(zone2.Solvent1Residual, 6, 4), "0.0054");
  EXPECT_EQ(F(zone2.Solvent2Residual, 6, 4), "0.0761");
  EXPECT_EQ(zone2.DryerPosition, 60.0);
  EXPECT_TRUE(record.Warnings.empty());
}

TEST(ZoneView, GivesEveryValidPointWithItsPositionsAlongTheZoneAndTheDryer) {
  Model model = Acquired(MemoryFieldTexts());
  ASSERT_TRUE(MarchThroughDryer(*model.params, *model.state).Finished());
  const ZoneTrace& trace = model.state->Trace;
  const ZoneView zone2(*model.params, *model.state, 2);
  EXPECT_EQ(zone2.Steps(), 300);
  EXPECT_EQ(zone2.StartPosition(), 30.0);
  for (const int s : {0, 1, 150, 300}) {
    const TracePoint p = zone2.At(s);
    EXPECT_EQ(p.Time, trace.Time[2][static_cast<std::size_t>(s)]);
    EXPECT_EQ(p.Temperature, trace.Temperature[2][static_cast<std::size_t>(s)]);
    EXPECT_EQ(p.Solvent2Residual, trace.Solvent2Residual[2][static_cast<std::size_t>(s)]);
    // s × TimeStep × Speed: the LENGTH column, and along the dryer from zone 1's 300 steps.
    EXPECT_EQ(F(p.ZonePosition, 7, 3), F(s * 0.1, 7, 3));
    EXPECT_EQ(F(p.DryerPosition, 7, 3), F(30 + s * 0.1, 7, 3));
    EXPECT_TRUE(p.SurfaceKnown);
  }
  // Zone 2 begins where zone 1 ended; its entry's surface humidities are those its first step
  // computed, which the view also computes for zone 1's exit from the same state.
  const TracePoint exit1 = ZoneView(*model.params, *model.state, 1).Exit();
  const TracePoint entry2 = zone2.At(0);
  EXPECT_EQ(exit1.Temperature, entry2.Temperature);
  EXPECT_EQ(exit1.DryerPosition, entry2.DryerPosition);
  EXPECT_EQ(exit1.Solvent1SurfaceHumidity, entry2.Solvent1SurfaceHumidity);
  EXPECT_EQ(exit1.Solvent2SurfaceHumidity, entry2.Solvent2SurfaceHumidity);
  EXPECT_THROW(ZoneView(*model.params, *model.state, 0), std::out_of_range);
}

//! Notes what it is told; ends the run at `stopAt` ("zone 2" or "table 1").
class NotingObserver : public MarchObserver {
 public:
  explicit NotingObserver(std::string stopAt = {}) : stopAt_(std::move(stopAt)) {}
  bool RunStarting(const ParameterSet&, const SimulationState&) override { return Note("run"); }
  bool ZoneStarting(int zone) override { return Note("zone " + std::to_string(zone)); }
  bool ZoneFinished(const ZoneView& zone, const RunRecord& record) override {
    EXPECT_EQ(record.ZonesDone(), zone.Zone());  // the exit is recorded before it is told
    return Note("table " + std::to_string(zone.Zone()));
  }
  std::vector<std::string> notes;

 private:
  bool Note(std::string note) {
    notes.push_back(note);
    return note != stopAt_;
  }
  std::string stopAt_;
};

TEST(MarchThroughDryer, TellsTheObserverEachStepAndStopsWhenItSays) {
  MemoryFieldTexts fields;
  for (int i = 0; i < 6; ++i) fields.SetText(ZoneFieldName(3, i), fields.Text(ZoneFieldName(2, i)));
  Model model = Acquired(fields);
  NotingObserver all;
  EXPECT_TRUE(MarchThroughDryer(*model.params, *model.state, all).Finished());
  EXPECT_EQ(all.notes, (std::vector<std::string>{"run", "zone 1", "table 1", "zone 2", "table 2",
                                                 "zone 3", "table 3"}));

  NotingObserver stopping("zone 2");
  const RunRecord stopped = MarchThroughDryer(*model.params, *model.state, stopping);
  EXPECT_TRUE(stopped.Stopped);
  EXPECT_FALSE(stopped.Finished());
  EXPECT_EQ(stopped.ZonesDone(), 1);
  EXPECT_EQ(stopping.notes.back(), "zone 2");
}

TEST(MarchThroughDryer, RecordsAFaultWithTheZoneAndThePositionWhereItArose) {
  struct Case {
    const char* field;
    const char* text;
    const char* message;
    int zone;
    int point;
  };
  const Case cases[] = {
      // A zero initial ratio: the entry's residual ratio is 0 / 0.
      {"Edit5", "0", "Invalid floating point operation", 0, 0},
      // The mass transfer coefficients overflow as zone 2 begins.
      {"Edit25", "1E307", "Floating point overflow", 2, 0},
      // A lower coefficient far too large for the step: the temperature swings wider at each
      // step until it overflows in the ninth, leaving points 1 to 8.
      {"Edit26", "2.3E9", "Floating point overflow", 2, 8},
  };
  for (const Case& c : cases) {
    MemoryFieldTexts fields;
    fields.SetText(c.field, c.text);
    Model model = Acquired(fields);
    const RunRecord record = MarchThroughDryer(*model.params, *model.state);
    ASSERT_TRUE(record.Fault) << c.field;
    EXPECT_EQ(record.Fault->Message, c.message);
    EXPECT_EQ(record.Fault->Zone, c.zone) << c.field;
    EXPECT_EQ(record.Fault->Point, c.point) << c.field;
    EXPECT_TRUE(record.Fault->PositionKnown);
    EXPECT_DOUBLE_EQ(record.Fault->ZonePosition, c.point * 0.1);
    EXPECT_DOUBLE_EQ(record.Fault->DryerPosition, (c.zone == 2 ? 30 : 0) + c.point * 0.1);
    EXPECT_EQ(record.ZonesDone(), c.zone == 2 ? 1 : 0);
  }
}

// A position beyond the double range is a floating-point overflow like the others: the run
// ends there, instead of writing "INF" as the LENGTH of the zone's last rows.
TEST(MarchThroughDryer, APositionBeyondTheDoubleRangeEndsTheRun) {
  test::ScratchDirectory directory;
  MemoryFieldTexts fields;
  fields.SetText("Edit250", directory.File("result.txt"));
  fields.SetText("Edit20", "1E306");      // Increment of z
  fields.SetText("Edit6", "1E306");       // Speed: a time step of 1 s
  fields.SetText("Edit9", "1.7976E308");  // 180 increments, 1.8E308 m
  fields.SetText("Edit21", "");
  Model model;
  RecordingMessages messages;
  const CalculationResult result =
      RunCalculation(fields, messages, '.', *model.params, *model.state);
  EXPECT_EQ(result.Ending(), ErrorKind::RunFault);
  EXPECT_EQ(messages.errors, std::vector<std::string>{"Floating point overflow."});
  ASSERT_TRUE(result.Record.Fault);
  EXPECT_EQ(result.Record.Fault->Zone, 1);
  EXPECT_FALSE(result.Record.Fault->PositionKnown);
  const std::string file = test::ReadBytes(directory.File("result.txt"));
  EXPECT_EQ(test::CrLfLines(file).size(), 77u);  // the echo, and no table
  EXPECT_EQ(file.find("INF"), std::string::npos);
}

// Each run owns its state: two different cases computed at once in two threads write the same
// bytes as one after the other, and a faulting run in one thread never faults the other.
TEST(MarchThroughDryer, RunsInSeveralThreadsAtOnce) {
  test::ScratchDirectory directory;
  struct Case {
    const char* dataFile;
    std::string resultFile;
    std::string alone;
    std::string together;
  };
  std::vector<Case> cases{{nullptr, directory.File("defaults.txt"), {}, {}},
                          {"three-zones.dat", directory.File("three.txt"), {}, {}}};
  const auto run = [](const Case& c) {
    MemoryFieldTexts fields;
    RecordingMessages messages;
    if (c.dataFile != nullptr) {
      EXPECT_TRUE(
          LoadDataFile(std::string(QUILLMERE_TEST_DATA) + "/" + c.dataFile, fields, messages).Ok());
    }
    fields.SetText("Edit250", c.resultFile);
    Model model;
    for (int repeat = 0; repeat < 20; ++repeat) {
      EXPECT_TRUE(RunCalculation(fields, messages, '.', *model.params, *model.state).Finished());
    }
    return test::ReadBytes(c.resultFile);
  };
  for (Case& c : cases) c.alone = run(c);
  {
    std::vector<std::jthread> threads;
    for (Case& c : cases) threads.emplace_back([&c, &run] { c.together = run(c); });
    // A third thread faults again and again meanwhile.
    threads.emplace_back([] {
      MemoryFieldTexts fields;
      fields.SetText("Edit26", "1E306");
      for (int repeat = 0; repeat < 20; ++repeat) {
        Model model = Acquired(fields);
        EXPECT_TRUE(MarchThroughDryer(*model.params, *model.state).Fault);
      }
    });
  }
  for (const Case& c : cases) {
    EXPECT_FALSE(c.alone.empty());
    EXPECT_TRUE(c.together == c.alone) << c.resultFile;
  }
}

//! Keeps what the record held when each zone was finished.
class ZoneWarnings : public MarchObserver {
 public:
  bool ZoneFinished(const ZoneView& zone, const RunRecord& record) override {
    seen.push_back(record.Warnings.size());
    lastZone.push_back(record.Warnings.empty() ? 0 : record.Warnings.back().Where.Zone);
    EXPECT_EQ(record.ZoneExits.back().Zone, zone.Zone());
    return true;
  }
  std::vector<std::size_t> seen;
  std::vector<int> lastZone;
};

// At 400 degrees in zone 1 a step takes more Solvent-1 than is left: zone 1 has a negative
// weight, which zone 2 starts with (the drying stop that follows it is no physical state).
TEST(MarchThroughDryer, ObserversSeeEachZonesWarningsWhenTheZoneIsFinished) {
  test::Model model;
  MemoryFieldTexts fields;
  fields.SetText("Edit8", "400");
  test::RecordingMessages messages;
  ASSERT_TRUE(
      AcquireParameters(fields, messages, '.', *model.params, model.state->EntryTemperature())
          .Ok());
  ZoneWarnings observer;
  const RunRecord record = MarchThroughDryer(*model.params, *model.state, observer);
  ASSERT_TRUE(record.Finished());
  EXPECT_EQ(observer.seen, (std::vector<std::size_t>{1, 2}));
  EXPECT_EQ(observer.lastZone, (std::vector<int>{1, 2}));
  EXPECT_EQ(record.Warnings.size(), 2u);
}

}  // namespace
}  // namespace quillmere
