#include "sim/DryerMarch.h"

#include <gtest/gtest.h>

#include <vector>

#include "TestSupport.h"
#include "params/AcquireParameters.h"
#include "params/MemoryFieldTexts.h"

namespace quillmere {
namespace {

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

// At 400 degrees in zone 1 a step takes more Solvent-1 than is left: zone 1 stops drying and
// has a negative weight, which zone 2 starts with.
TEST(DryerMarch, ObserversSeeEachZonesWarningsWhenTheZoneIsFinished) {
  test::Model model;
  MemoryFieldTexts fields;
  fields.SetText("Edit8", "400");
  test::RecordingMessages messages;
  ASSERT_TRUE(AcquireParameters(fields, messages, '.', *model.params,
                                model.state->Trace.Temperature[1][0]));
  ZoneWarnings observer;
  const RunRecord record = MarchThroughDryer(*model.params, *model.state, observer);
  ASSERT_TRUE(record.Finished());
  EXPECT_EQ(observer.seen, (std::vector<std::size_t>{2, 3}));
  EXPECT_EQ(observer.lastZone, (std::vector<int>{1, 2}));
  EXPECT_EQ(record.Warnings.size(), 3u);
}

}  // namespace
}  // namespace quillmere
