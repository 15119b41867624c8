// The model's value at a measured place: linear between the stored points around it, across
// zone boundaries, along the dryer or along the time.
#include "analysis/fit/TraceSampling.h"

#include <gtest/gtest.h>

#include <memory>

#include "analysis/CaseRun.h"
#include "params/MemoryFieldTexts.h"
#include "sim/TraceView.h"

namespace quillmere {
namespace {

//! Three zones of 1 m, 0 m and 1 m with an increment of 0.1 m at 0.5 m/s: 10, 0 and 10 steps,
//! so the dryer is 2 m long and the web leaves it after 4 s.
class TraceSampling : public ::testing::Test {
 protected:
  void SetUp() override {
    MemoryFieldTexts fields('.');
    fields.SetText("Edit6", "0.5");
    fields.SetText("Edit9", "1.0");
    fields.SetText("Edit22", "0.0");
    for (const auto& [field, text] : {std::pair{"Edit31", "70.0"},
                                      {"Edit32", "1.0"},
                                      {"Edit33", "0.0"},
                                      {"Edit34", "0.0"},
                                      {"Edit35", "0.022"},
                                      {"Edit36", "0.055"}}) {
      fields.SetText(field, text);
    }
    ASSERT_TRUE(RunCase(fields, '.', *params_, *state_).Finished());
    ASSERT_EQ(params_->ZoneCount, 3);
    ASSERT_EQ(params_->ZoneSteps[1], 10);
    ASSERT_EQ(params_->ZoneSteps[2], 0);
  }

  std::optional<TraceSite> At(double where, MeasurementAxis axis = MeasurementAxis::Position) {
    return LocateOnTrace(*params_, *state_, 3, axis, where);
  }

  std::unique_ptr<ParameterSet> params_ = std::make_unique<ParameterSet>();
  std::unique_ptr<SimulationState> state_ = std::make_unique<SimulationState>();
};

TEST_F(TraceSampling, TheDryersEndAlongEachAxis) {
  EXPECT_NEAR(TraceEnd(*params_, *state_, 3, MeasurementAxis::Position), 2.0, 1e-12);
  EXPECT_NEAR(TraceEnd(*params_, *state_, 3, MeasurementAxis::Time), 4.0, 1e-12);
}

TEST_F(TraceSampling, InterpolatesLinearlyBetweenTheStoredPoints) {
  const std::optional<TraceSite> site = At(0.125);
  ASSERT_TRUE(site);
  EXPECT_EQ(site->Zone, 1);
  EXPECT_EQ(site->Point, 1);
  EXPECT_NEAR(site->Fraction, 0.25, 1e-9);
  const auto& t = state_->Trace.Temperature[1];
  EXPECT_NEAR(ValueAt(*state_, *site, MeasuredQuantity::Temperature),
              t[1] + site->Fraction * (t[2] - t[1]), 1e-12);
  const auto& w = state_->Trace.Solvent2Weight[1];
  EXPECT_NEAR(ValueAt(*state_, *site, MeasuredQuantity::Weight2),
              w[1] + site->Fraction * (w[2] - w[1]), 1e-15);

  // The same place along the time: 0.25 s at 0.5 m/s.
  const std::optional<TraceSite> timed = At(0.25, MeasurementAxis::Time);
  ASSERT_TRUE(timed);
  EXPECT_EQ(timed->Point, 1);
  EXPECT_NEAR(timed->Fraction, 0.25, 1e-9);
}

// The stored points themselves, and the ends of the dryer, read exactly.
TEST_F(TraceSampling, ReadsStoredPointsAndTheEndsExactly) {
  const std::optional<TraceSite> entry = At(0);
  ASSERT_TRUE(entry);
  EXPECT_EQ(ValueAt(*state_, *entry, MeasuredQuantity::Temperature), state_->EntryTemperature());
  EXPECT_EQ(ValueAt(*state_, *entry, MeasuredQuantity::Residual1), 1.0);
  const double end = TraceEnd(*params_, *state_, 3, MeasurementAxis::Position);
  const std::optional<TraceSite> exit = At(end);
  ASSERT_TRUE(exit);
  EXPECT_EQ(exit->Zone, 3);
  EXPECT_EQ(ValueAt(*state_, *exit, MeasuredQuantity::Residual2),
            state_->Trace.Solvent2Residual[3][10]);
}

// A zone's exit and the next zone's entry are the same place: the place lies in the first, and
// the empty zone between them adds nothing.
TEST_F(TraceSampling, ZoneBoundariesAndAnEmptyZone) {
  const double boundary = ZoneView(*params_, *state_, 3).StartPosition();
  const std::optional<TraceSite> site = At(boundary);
  ASSERT_TRUE(site);
  EXPECT_EQ(site->Zone, 1);
  EXPECT_EQ(ValueAt(*state_, *site, MeasuredQuantity::Temperature),
            state_->Trace.Temperature[3][0]);
  const std::optional<TraceSite> after = At(boundary + 0.05);
  ASSERT_TRUE(after);
  EXPECT_EQ(after->Zone, 3);
  EXPECT_EQ(after->Point, 0);
  EXPECT_NEAR(after->Fraction, 0.5, 1e-9);
}

TEST_F(TraceSampling, NoSiteOutsideTheDryer) {
  EXPECT_FALSE(At(-0.001));
  EXPECT_FALSE(At(2.001));
  EXPECT_FALSE(At(4.001, MeasurementAxis::Time));
  EXPECT_FALSE(LocateOnTrace(*params_, *state_, 0, MeasurementAxis::Position, 0.5));
}

}  // namespace
}  // namespace quillmere
