// The plant columns of a sweep's table: the %LEL of the worst zone, the total heat and the
// total exhaust, after the other columns, where the sweep has plant inputs.
#include <gtest/gtest.h>

#include <string>

#include "analysis/sweep/SweepTable.h"

namespace quillmere {
namespace {

TEST(SweepTable, PlantColumnsFollowTheOthersAndStayEmptyForACaseWithout) {
  const std::string header = SweepTableHeader({}, true);
  EXPECT_TRUE(
      header.ends_with(",warnings,ExitLEL of the worst zone (%),total heat (kW),"
                       "total exhaust (Nm³/h)\n"))
      << header;
  EXPECT_EQ(SweepTableHeader({}).find("ExitLEL"), std::string::npos);

  SweepRow row;
  row.Case = 7;
  row.Outcome = "the case's own message";
  EXPECT_EQ(SweepTableLine(row, true), "7,the case's own message,,,,,,,,,,\n");
  row.Plant = PlantFigures{};
  row.Plant->WorstPercentLel = 12.5;
  row.Plant->TotalHeat = 866.5;
  row.Plant->TotalExhaust = 30000;
  EXPECT_TRUE(SweepTableLine(row, true).ends_with(",12.5,866.5,30000\n"));
  EXPECT_EQ(SweepTableLine(row), "7,the case's own message,,,,,,,\n");
}

}  // namespace
}  // namespace quillmere
