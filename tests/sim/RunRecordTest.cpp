// Where in the dryer a fault ended a run, as the command line and the sweep's table say it.
#include "sim/RunRecord.h"

#include <gtest/gtest.h>

namespace quillmere {
namespace {

TEST(RunRecord, FaultPlaceNamesTheZoneAndThePosition) {
  RunFault fault;
  fault.Message = "Floating point overflow";
  EXPECT_EQ(FaultPlace(fault), "at the dryer's entry");
  fault.Zone = 3;
  EXPECT_EQ(FaultPlace(fault), "in zone 3");
  fault.PositionKnown = true;
  fault.ZonePosition = 4.2;
  fault.DryerPosition = 64.2;
  EXPECT_EQ(FaultPlace(fault), "in zone 3 at 4.20 m (64.20 m from the dryer's entry)");
  EXPECT_EQ(FaultPlace(fault, ','), "in zone 3 at 4,20 m (64,20 m from the dryer's entry)");
}

}  // namespace
}  // namespace quillmere
