// The starts of the global search: spread evenly, the same on every run.
#include "analysis/fit/StartDesign.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <array>

namespace quillmere {
namespace {

// The first b^2 points put one coordinate of base b into each interval of width b^-2, in
// every dimension (b = 2, 3, 5, 7: 4, 9, 25 and 49 intervals).
TEST(StartDesign, FillsEveryIntervalOnce) {
  const std::array<std::size_t, 4> bases{2, 3, 5, 7};
  const auto design = StartDesign(49, 4, 17);
  for (std::size_t d = 0; d < bases.size(); ++d) {
    const std::size_t n = bases[d] * bases[d];
    std::vector<int> filled(n, 0);
    for (std::size_t i = 0; i < n; ++i) {
      ASSERT_GE(design[i][d], 0.0);
      ASSERT_LT(design[i][d], 1.0);
      ++filled[static_cast<std::size_t>(design[i][d] * static_cast<double>(n))];
    }
    EXPECT_TRUE(std::all_of(filled.begin(), filled.end(), [](int f) { return f == 1; })) << d;
  }
}

TEST(StartDesign, TheSameSeedGivesTheSamePoints) {
  EXPECT_EQ(StartDesign(10, 5, 3), StartDesign(10, 5, 3));
  EXPECT_NE(StartDesign(10, 5, 3), StartDesign(10, 5, 4));
  EXPECT_THROW(StartDesign(1, 9, 3), std::invalid_argument);
}

}  // namespace
}  // namespace quillmere
