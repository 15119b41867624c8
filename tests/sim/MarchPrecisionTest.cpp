// The march of the default run (tests/data/blessed/defaults.txt) pinned to the last bit at a
// few points. The result file prints four or five digits, so a fault that moves every value by
// a few parts in 1e10 (a wrong last digit of one of Gill's coefficients, an operation taken in
// another order) leaves the blessed files as they are; these points catch it.
//
// Where the values come from: tests/support/march-reference.py evaluates the default run a
// second time, written out again from the model's formulas in Python's IEEE double arithmetic
// (the same left-to-right order, no fused multiply-add, the C library's pow and exp), which
// gives the march's doubles to the bit. It also evaluates the first step in 50-digit decimal
// arithmetic with the same published coefficients: each double of point 1 lies within 0.63
// units in the last place of it (Solvent-1 0.63, Solvent-2 0.29, temperature 0.53 ulp), so they
// are the step's value. Changing 1.7071067812 to 1.7071067813 moves point 1's temperature by
// 11233 ulp, 0.12132034356 to 0.1213203436 by 5113 ulp.
#include <gtest/gtest.h>

#include "TestSupport.h"
#include "sim/DryerMarch.h"

namespace quillmere {
namespace {

struct PinnedPoint {
  int zone;
  int point;
  double solvent1Weight;  // [kg/m2]
  double solvent2Weight;  // [kg/m2]
  double temperature;     // [°C]
};

// From tests/support/march-reference.py (see above).
constexpr PinnedPoint kPinnedPoints[] = {
    // The first step: 0.04164986393206978, 0.015281466629465657, 16.379467639462522.
    {1, 1, 0x1.5532186f132aap-5, 0x1.f4be3bb448c1ap-7, 0x1.06124ca8d61c1p+4},
    // Zone 1's exit: 0.0002496590594344698, 0.001230058978384766, 59.44668204286445.
    {1, 300, 0x1.05c957ed3ebf3p-12, 0x1.4273dc5656576p-10, 0x1.db92ce08ee81ap+5},
    // The dryer's exit: 0.0002266821664484071, 0.0011633180858195015, 59.999998584339025.
    {2, 300, 0x1.db630fba392a8p-13, 0x1.30f4f488a4843p-10, 0x1.dfffff41fe426p+5},
};

TEST(MarchPrecision, TheDefaultRunHitsItsPinnedPointsToTheBit) {
  test::Model model = test::DefaultModel();
  const RunRecord record = MarchThroughDryer(*model.params, *model.state);
  ASSERT_FALSE(record.Fault.has_value());
  const ZoneTrace& t = model.state->Trace;
  for (const PinnedPoint& pin : kPinnedPoints) {
    const auto j = static_cast<std::size_t>(pin.point);
    SCOPED_TRACE(testing::Message() << "zone " << pin.zone << " point " << pin.point);
    EXPECT_EQ(t.Solvent1Weight[pin.zone][j], pin.solvent1Weight);
    EXPECT_EQ(t.Solvent2Weight[pin.zone][j], pin.solvent2Weight);
    EXPECT_EQ(t.Temperature[pin.zone][j], pin.temperature);
  }
}

}  // namespace
}  // namespace quillmere
