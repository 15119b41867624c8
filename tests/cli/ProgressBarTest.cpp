#include "cli/ProgressBar.h"

#include <gtest/gtest.h>

namespace quillmere {
namespace {

TEST(ProgressBar, LinesForTheTerminalWidth) {
  struct Case {
    std::size_t done, total;
    double seconds;
    std::size_t width;
    std::string line;
  };
  const Case cases[] = {
      {0, 1000, 0.0, 80, std::string("[").append(40, '.') + "]    0/1000 cases"},
      {250, 1000, 5.0, 80,
       std::string("[").append(10, '#').append(30, '.') + "]  250/1000 cases  50.0/s  0:15 left"},
      {1000, 1000, 20.0, 80,
       std::string("[").append(40, '#') + "] 1000/1000 cases  50.0/s  0:00 left"},
      {1, 7201, 1.0, 60,
       std::string("[").append(20, '.') + "]    1/7201 cases  1.0/s  2:00:00 left"},
      {5, 10, 1.0, 30, "  5/10 cases  5.0/s  0:01 left"},  // too narrow for a bar
      {5, 10, 1.0, 12, "  5/10 cases"},
  };
  for (const Case& c : cases) {
    const std::string line = ProgressLine(c.done, c.total, c.seconds, c.width);
    EXPECT_EQ(line, c.line) << c.done << " of " << c.total << " in " << c.width;
    EXPECT_LE(line.size(), c.width);
  }
}

TEST(ProgressBar, Durations) {
  EXPECT_EQ(DurationText(0), "0:00");
  EXPECT_EQ(DurationText(59.6), "1:00");
  EXPECT_EQ(DurationText(3599), "59:59");
  EXPECT_EQ(DurationText(3600), "1:00:00");
  EXPECT_EQ(DurationText(-5), "0:00");
}

}  // namespace
}  // namespace quillmere
