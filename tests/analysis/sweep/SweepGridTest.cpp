#include "analysis/sweep/SweepGrid.h"

#include <gtest/gtest.h>

#include <limits>
#include <set>
#include <string>
#include <vector>

#include "TestSupport.h"

namespace quillmere {
namespace {

TEST(SweepValues, RangesListsAndGeometricRanges) {
  struct Case {
    std::string text;
    std::vector<double> values;
  };
  const Case cases[] = {
      {"0.5:2:4", {0.5, 1.0, 1.5, 2.0}},
      {"0.1:0.5:5", {0.1, 0.2, 0.3, 0.4, 0.5}},  // 0.3, not 0.30000000000000004
      {"2:0.5:4", {2.0, 1.5, 1.0, 0.5}},         // downwards
      {"-1:1:3", {-1.0, 0.0, 1.0}},
      {"60:60:1", {60.0}},
      {"1e-3:1e-1:3:log", {0.001, 0.01, 0.1}},
      {"1:1000:4:LOG", {1, 10, 100, 1000}},
      {"-100:-1:3:log", {-100, -10, -1}},
      {"0.022,0.03, 0.04", {0.022, 0.03, 0.04}},
      {"60", {60.0}},
      {"-0.5,+2,1e2", {-0.5, 2, 100}},
  };
  for (const Case& c : cases) {
    EXPECT_EQ(ParseSweepValues(c.text), c.values) << c.text;
  }
  // Evenly spaced to the last bit that matters: the step between neighbours is the same.
  const std::vector<double> tenths = ParseSweepValues("0:1:11");
  for (std::size_t i = 0; i < tenths.size(); ++i) {
    EXPECT_EQ(tenths[i], static_cast<double>(i) / 10) << i;
  }
}

TEST(SweepValues, RefusesWhatDoesNotRead) {
  struct Case {
    std::string text;
    std::string error;
  };
  const std::string forms =
      "write a:b:n (n values from a to b), a:b:n:log (geometric) or a list a,b,c";
  const Case cases[] = {
      {"", "No values given: " + forms},
      {"1:2", "\"1:2\" is not a range: " + forms},
      {"1:2:3:lin", "\"1:2:3:lin\" is not a range: " + forms},
      {"1:2:3:log:5", "\"1:2:3:log:5\" is not a range: " + forms},
      {"1:x:3", "\"x\" in \"1:x:3\" is not a number (numbers are written with \".\")"},
      {"0,5", ""},  // a list of 0 and 5, not a decimal comma: read as two values
      {"1,,2", "\"\" in \"1,,2\" is not a number (numbers are written with \".\")"},
      {"1,5;2", "\"5;2\" in \"1,5;2\" is not a number (numbers are written with \".\")"},
      {"1:2:0", "\"1:2:0\": the count \"0\" must be a whole number from 1 to 10000000"},
      {"1:2:2.5", "\"1:2:2.5\": the count \"2.5\" must be a whole number from 1 to 10000000"},
      {"1:2:-3", "\"1:2:-3\": the count \"-3\" must be a whole number from 1 to 10000000"},
      {"1:2:1", "\"1:2:1\": one value cannot include both ends; give a count of at least 2"},
      {"0:10:5:log",
       "\"0:10:5:log\": a geometric range needs two ends of the same sign, neither of them 0"},
      {"-1:10:5:log",
       "\"-1:10:5:log\": a geometric range needs two ends of the same sign, neither of them 0"},
      {"1e308:1.7e308:3",
       "\"1e308:1.7e308:3\": the values between the ends are beyond the range of numbers"},
      {"1e999,1", "\"1e999\" in \"1e999,1\" is not a number (numbers are written with \".\")"},
  };
  for (const Case& c : cases) {
    if (c.error.empty()) {
      EXPECT_EQ(ParseSweepValues(c.text), (std::vector<double>{0, 5})) << c.text;
      continue;
    }
    test::ExpectError<SweepInputError>([&] { ParseSweepValues(c.text); }, c.error);
  }
}

TEST(SweepAxis, NamesAsUsersSeeThem) {
  struct Case {
    std::string text;
    std::string name;
    std::string field;
  };
  const Case cases[] = {
      {"Speed=1,2", "Speed", "Edit6"},
      {"keff=1,2", "Keff", "Edit205"},
      {"IncrementZ=0.05,0.1", "IncrementZ", "Edit20"},
      {"Zone3.OuterTemperature=60,80", "Zone3.OuterTemperature", "Edit31"},
      {"zone1.zonelength=10,20", "Zone1.ZoneLength", "Edit9"},
      {"Edit31=60,80", "Zone3.OuterTemperature", "Edit31"},
      {"InitialTemperature=15,25", "InitialTemperature", "Edit7"},
  };
  for (const Case& c : cases) {
    const SweepAxis axis = ParseSweepAxis(c.text);
    EXPECT_EQ(axis.Name, c.name) << c.text;
    EXPECT_EQ(axis.Field->name, c.field) << c.text;
    EXPECT_EQ(axis.Values.size(), 2u) << c.text;
  }
}

TEST(SweepAxis, RefusesMisspeltNamesFixedConstantsAndTheSaveFileName) {
  struct Case {
    std::string text;
    std::string error;
  };
  const std::string fixed =
      " is one of the eight fixed constants (the Antoine constants and the molecular weights "
      "of both solvents), which cannot be varied";
  const Case cases[] = {
      {"Sped=1,2", "There is no input \"Sped\"; did you mean Speed, We or Wi?"},
      {"Zone3.OuterTemprature=60",
       "There is no input \"Zone3.OuterTemprature\"; did you mean Zone3.OuterTemperature, "
       "Zone1.OuterTemperature or Zone2.OuterTemperature?"},
      {"Zone15.ZoneLength=1",
       "There is no input \"Zone15.ZoneLength\"; did you mean "
       "Zone1.ZoneLength, Zone5.ZoneLength or Zone10.ZoneLength?"},
      {"Solvent1AntoineA=7", "Solvent1AntoineA (Edit224)" + fixed},
      {"Edit238=90", "Solvent2MolecularWeight (Edit238)" + fixed},
      {"SaveFileName=a",
       "SaveFileName (Edit250), the name of the result file, cannot be "
       "varied; --results DIR writes the result file of every case"},
      {"Speed",
       "\"Speed\" gives no values: write NAME=VALUES, e.g. Speed=0.5:2:4, and for "
       "VALUES write a:b:n (n values from a to b), a:b:n:log (geometric) or a list "
       "a,b,c"},
      {"=1,2", "\"=1,2\" names no input before \"=\""},
      {"Keff=0:1",
       "Keff: \"0:1\" is not a range: write a:b:n (n values from a to b), "
       "a:b:n:log (geometric) or a list a,b,c"},
  };
  for (const Case& c : cases) {
    test::ExpectError<SweepInputError>([&] { ParseSweepAxis(c.text); }, c.error);
  }
}

TEST(SweepGrid, FirstAxisVariesSlowest) {
  const SweepGrid grid({ParseSweepAxis("Speed=1,2,3"), ParseSweepAxis("Keff=0.1,0.2")});
  ASSERT_EQ(grid.CaseCount(), 6u);
  const std::vector<std::vector<double>> expected{{1, 0.1}, {1, 0.2}, {2, 0.1},
                                                  {2, 0.2}, {3, 0.1}, {3, 0.2}};
  for (std::size_t i = 0; i < expected.size(); ++i) EXPECT_EQ(grid.Values(i), expected[i]) << i;
}

TEST(SweepGrid, RefusesAnInputVariedTwiceAndAGridTooLarge) {
  test::ExpectError<SweepInputError>(
      [] {
        SweepGrid({ParseSweepAxis("Speed=1,2"), ParseSweepAxis("Edit6=3")});
      },
      "Speed is varied twice");
  test::ExpectError<SweepInputError>(
      [] {
        // 10^5 × 10^5 × 10^5 × 10^5 = 10^20 cases, beyond 2^64 - 1.
        SweepGrid({ParseSweepAxis("Speed=1:2:100000"), ParseSweepAxis("Keff=1:2:100000"),
                   ParseSweepAxis("Wi=0.1:0.2:100000"), ParseSweepAxis("We=0.1:0.2:100000")});
      },
      "The grid would have more than 18446744073709551615 cases, more than a case number can "
      "count");
}

TEST(SweepShard, ShardsTogetherRunEveryCaseOnce) {
  for (const std::size_t count : {1u, 2u, 3u, 7u}) {
    for (const std::size_t cases : {0u, 1u, 12u, 13u}) {
      std::multiset<std::size_t> all;
      for (std::size_t index = 1; index <= count; ++index) {
        const SweepCases part = ShardCases(cases, {index, count});
        for (std::size_t i = 0; i < part.size(); ++i) {
          if (i > 0) {
            EXPECT_LT(part[i - 1], part[i]);
          }
          EXPECT_EQ(part[i] % count, index - 1);
          all.insert(part[i]);
        }
      }
      std::multiset<std::size_t> expected;
      for (std::size_t c = 0; c < cases; ++c) expected.insert(c);
      EXPECT_EQ(all, expected) << count << " shards of " << cases;
    }
  }
}

// Shard numbers near 2^64 never wrap around to cases before the first one (they did: the next
// case past the last was counted modulo 2^64).
TEST(SweepShard, ShardsNearTheLargestNumberDoNotWrapAround) {
  constexpr std::size_t kMax = std::numeric_limits<std::size_t>::max();
  struct Case {
    std::size_t caseCount;
    SweepShard shard;
    std::size_t first;
    std::size_t count;
  };
  const Case cases[] = {
      {kMax, {kMax, kMax}, kMax - 1, 1},  // the last case only
      {kMax, {1, kMax - 1}, 0, 2},        // cases 1 and 2^64 - 1
      {10, {kMax - 5, kMax}, 0, 0},       // beyond the grid: none
      {kMax, {1, kMax / 2 + 1}, 0, 2},    // cases 1 and 2^63 + 1
  };
  for (const Case& c : cases) {
    const SweepCases part = ShardCases(c.caseCount, c.shard);
    EXPECT_EQ(part.size(), c.count) << c.shard.Index << "/" << c.shard.Count;
    if (part.size() > 0) {
      EXPECT_EQ(part[0], c.first);
      EXPECT_LT(part[part.size() - 1], c.caseCount);
    }
    if (part.size() > 1) {
      EXPECT_LT(part[0], part[part.size() - 1]);
    }
  }
  const SweepShard shard = ParseSweepShard("18446744073709551615/18446744073709551615");
  EXPECT_EQ(shard.Index, kMax);
}

TEST(SweepShard, ReadsIOfNAndRefusesTheRest) {
  const SweepShard shard = ParseSweepShard("2/3");
  EXPECT_EQ(shard.Index, 2u);
  EXPECT_EQ(shard.Count, 3u);
  for (const char* wrong : {"0/3", "4/3", "3", "1/0", "a/b", "1/3/5", "-1/3", "1 /3", ""}) {
    test::ExpectError<SweepInputError>(
        [wrong] { ParseSweepShard(wrong); },
        "The shard \"" + std::string(wrong) +
            "\" is not I/N with 1 <= I <= N (shard I of N runs every N-th case from case I on)");
  }
}

}  // namespace
}  // namespace quillmere
