// Whole result files, kept byte for byte. Each blessed file in tests/data/blessed was first
// checked here against what the result file must hold: the hand-written echo, the heading and
// conditions lines, one row per point with LENGTH = s × Increment of z and TIME running on
// across zones, each zone starting from the last row of the zone before, the reference values
// of the default run, and "," for every decimal point of a number under a comma locale. A run
// must then reproduce the blessed bytes exactly.
//
// Where the expected values come from: the echo's labels and headings from the hand-written
// tests/data/result-header-defaults.txt; the default run's values (16.379 °C after step 1,
// 59.45 °C and residual ratios 0.0060 and 0.0804 at zone 1's exit, 60.00, 0.0054 and 0.0761 at
// zone 2's) are those the original program gives for its default inputs, to the digits it
// prints. The printed digits cannot tell a fault of a few parts in 1e10; MarchPrecisionTest pins
// the same run to the bit with values from an independent evaluation.
//
// Re-blessing: a blessed file is rewritten only for a deliberate change of what the program
// writes (a fault in the file's text, never the model's arithmetic, which must stay
// bit-identical), in the same commit as the change, saying why. Write it with the build's
// quillmere-cli (`quillmere-cli run tests/data/three-zones.dat -o
// tests/data/blessed/three-zones.txt`, the defaults with `template | run -`, the comma file with
// `--decimal-separator ,`), then compare it line by line with the old one: only the lines the
// change explains may differ, and these tests' structural checks must pass unchanged.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdio>
#include <string>
#include <vector>

#include "TestSupport.h"
#include "params/MemoryFieldTexts.h"
#include "report/CalculationRun.h"
#include "report/CodePage.h"
#include "report/DataFile.h"

namespace quillmere {
namespace {

using test::RecordingMessages;
using test::ScratchDirectory;

constexpr std::size_t kEchoLines = 77;
constexpr std::size_t kTableHeadingLines = 4;
constexpr std::size_t kConditionsLines = 12;

std::string DataPath(const std::string& name) {
  return std::string(QUILLMERE_TEST_DATA) + "/" + name;
}

std::vector<std::string> Lines(const std::string& file) {
  return test::CrLfLines(test::ReadBytes(DataPath(file)));
}

std::string Fixed3(double value) {
  char text[32];
  std::snprintf(text, sizeof text, "%.3f", value);
  return text;
}

//! The structure every result file of a run at Speed 1 m/s and Increment of z 0.1 m has: the
//! echo with the hand-written labels and headings, then for each zone its conditions block
//! (from zone 2 on) and its table of `steps[zone] + 1` rows. A run that ended on a fault in
//! zone `faultZone` ends with that zone's conditions block.
void CheckStructure(const std::vector<std::string>& lines, const std::vector<int>& steps,
                    int faultZone = 0) {
  // The echo: the hand-written file of the default run, with other values behind the "=".
  const std::vector<std::string> echo = Lines("result-header-defaults.txt");
  ASSERT_EQ(echo.size(), kEchoLines);
  ASSERT_GE(lines.size(), kEchoLines);
  for (std::size_t i = 0; i < kEchoLines; ++i) {
    const std::size_t equals = echo[i].find('=');
    const bool valueLine = equals != std::string::npos && echo[i].find_first_not_of('=') == 0;
    if (valueLine) {
      EXPECT_EQ(lines[i].substr(0, equals + 3), echo[i].substr(0, equals + 3)) << "line " << i + 1;
    } else {
      EXPECT_EQ(lines[i], echo[i]) << "line " << i + 1;
    }
  }

  std::size_t next = kEchoLines;
  long totalSteps = 0;
  std::vector<std::string> previousLast;
  for (std::size_t zone = 1; zone <= steps.size(); ++zone) {
    if (zone > 1) {
      ASSERT_GE(lines.size(), next + kConditionsLines);
      EXPECT_EQ(lines[next], "");
      EXPECT_EQ(lines[next + 1], "  -------");
      EXPECT_EQ(lines[next + 2], "  ZONE " + std::to_string(zone));
      EXPECT_EQ(lines[next + 3], "  -------");
      for (std::size_t i = 0; i < 6; ++i) {
        // The same labels as zone 1's six lines at the end of the echo.
        const std::string& zone1 = echo[kEchoLines - 8 + i];
        EXPECT_EQ(lines[next + 4 + i].substr(0, zone1.find('=') + 3),
                  zone1.substr(0, zone1.find('=') + 3));
      }
      EXPECT_EQ(lines[next + 10], "");
      EXPECT_EQ(lines[next + 11], "");
      next += kConditionsLines;
      if (static_cast<int>(zone) == faultZone) {
        EXPECT_EQ(next, lines.size()) << "the file ends with the faulty zone's conditions";
        return;
      }
    }
    ASSERT_GE(lines.size(), next + kTableHeadingLines + steps[zone - 1] + 1) << "zone " << zone;
    EXPECT_EQ(lines[next], "  [SIMULATION RESULTS]");
    EXPECT_EQ(lines[next + 1],
              "   TIME     LENGTH     TEMP     WEIGHT1  RESIDUAL RAT1   WEIGHT2  RESIDUAL RAT2");
    EXPECT_EQ(lines[next + 2],
              "    (s)       (m)     (deg-C)   (kg/m2)       (-)         (kg/m2)       (-)");
    EXPECT_EQ(lines[next + 3], "");
    next += kTableHeadingLines;
    for (int s = 0; s <= steps[zone - 1]; ++s) {
      const std::string& row = lines[next + static_cast<std::size_t>(s)];
      const std::vector<std::string> columns = test::Words(row);
      ASSERT_EQ(columns.size(), 7u) << row;
      EXPECT_EQ(row.size(), 76u) << row;
      EXPECT_EQ(columns[0], Fixed3(static_cast<double>(totalSteps + s) / 10)) << row;
      EXPECT_EQ(columns[1], Fixed3(static_cast<double>(s) / 10)) << row;
      if (s == 0 && zone > 1) {
        std::vector<std::string> expected = previousLast;
        expected[1] = "0.000";
        EXPECT_EQ(columns, expected)
            << "zone " << zone << " starts where zone " << zone - 1 << " ended";
      }
    }
    totalSteps += steps[zone - 1];
    previousLast = test::Words(lines[next + static_cast<std::size_t>(steps[zone - 1])]);
    next += static_cast<std::size_t>(steps[zone - 1]) + 1;
  }
  EXPECT_EQ(next, lines.size()) << "the file ends with the last zone's last row";
}

//! The bytes a run of the data file `dataFile` (none: the default texts) writes.
std::string RunBytes(const char* dataFile, char separator, bool expectFault = false) {
  ScratchDirectory directory;
  MemoryFieldTexts fields(separator);
  RecordingMessages messages;
  if (dataFile != nullptr) {
    EXPECT_TRUE(LoadDataFile(DataPath(dataFile), fields, messages).Ok());
  }
  fields.SetText("Edit250", directory.File("result.txt"));
  test::Model model;
  const CalculationResult result =
      RunCalculation(fields, messages, separator, *model.params, *model.state);
  EXPECT_EQ(result.Ending(), expectFault ? std::optional(ErrorKind::RunFault) : std::nullopt);
  if (expectFault) {
    EXPECT_EQ(messages.errors, std::vector<std::string>{"Floating point overflow."});
  }
  return test::ReadBytes(directory.File("result.txt"));
}

TEST(BlessedResultFiles, DefaultsHoldTheReferenceValuesOfTheDefaultRun) {
  const std::vector<std::string> lines = Lines("blessed/defaults.txt");
  CheckStructure(lines, {300, 300});
  ASSERT_EQ(lines.size(), kEchoLines + 4 + 301 + 12 + 4 + 301);
  EXPECT_EQ(lines[6], "    Specific Heat of Polymer (kJ/kg.K)                =  1.470");
  EXPECT_EQ(lines[13], "    Diffusion Coefficient of Solvent-1 in Air (m2/s)   =  0.000009030");
  EXPECT_EQ(lines[26], "    Vapor Pressure Parameter B of Solvent-2            =  1344.800");
  EXPECT_EQ(lines[68],
            EncodeCodePage932("     Initial Temperature (℃)                          =  15.00"));
  const std::size_t zone1 = kEchoLines + kTableHeadingLines;
  EXPECT_EQ(lines[zone1],
            "   0.000     0.000     15.00    0.04170      1.0000      0.01529      1.0000");
  // After step 1: 16.379 °C, 0.041650 and 0.0152815 kg/m2, ratios 0.99880 and 0.99944.
  EXPECT_EQ(lines[zone1 + 1],
            "   0.100     0.100     16.38    0.04165      0.9988      0.01528      0.9994");
  // After step 300: 59.45 °C, ratios 0.0060 and 0.0804; zone 2 ends at 60.00, 0.0054, 0.0761.
  const std::vector<std::string> zone1Last = test::Words(lines[zone1 + 300]);
  EXPECT_EQ(zone1Last[2], "59.45");
  EXPECT_EQ(zone1Last[4], "0.0060");
  EXPECT_EQ(zone1Last[6], "0.0804");
  const std::vector<std::string> zone2Last = test::Words(lines.back());
  EXPECT_EQ(zone2Last[2], "60.00");
  EXPECT_EQ(zone2Last[4], "0.0054");
  EXPECT_EQ(zone2Last[6], "0.0761");
}

TEST(BlessedResultFiles, TheCommaFileIsThePointFileWithCommasInItsNumbers) {
  const std::vector<std::string> point = Lines("blessed/defaults.txt");
  const std::vector<std::string> comma = Lines("blessed/defaults-comma.txt");
  ASSERT_EQ(point.size(), comma.size());
  for (std::size_t i = 0; i < point.size(); ++i) {
    std::string expected = point[i];
    // Numbers stand behind the "=" of a value line, or make up a whole table row.
    const std::size_t equals = expected.find("=  ");
    const bool row = i >= kEchoLines && test::Words(expected).size() == 7 &&
                     expected.find_first_not_of(" 0123456789.-E") == std::string::npos;
    const std::size_t from = equals != std::string::npos ? equals : row ? 0 : expected.size();
    std::replace(expected.begin() + static_cast<std::ptrdiff_t>(from), expected.end(), '.', ',');
    EXPECT_EQ(comma[i], expected) << "line " << i + 1;
  }
}

TEST(BlessedResultFiles, ThreeZonesEndWithTheThirdZonesConditionsAndTable) {
  const std::vector<std::string> lines = Lines("blessed/three-zones.txt");
  CheckStructure(lines, {300, 300, 200});
  const std::size_t zone3 = kEchoLines + 2 * (kTableHeadingLines + 301) + kConditionsLines;
  EXPECT_EQ(lines[zone3 + 4],
            EncodeCodePage932("     Outer Temperature (℃)                            =  80.00"));
  EXPECT_EQ(lines[zone3 + 5], "     Zone Length (m)                                   =  20.00");
  EXPECT_EQ(lines[zone3 + 8], "     Heat Trans. Coeff. - Upper (kJ/m2.s.K)            =  0.03000");
  EXPECT_EQ(test::Words(lines.back())[0], "80.000");
}

TEST(BlessedResultFiles, FourteenZonesIncludeAZoneOfNoSteps) {
  // Zone lengths 3, 2.5, 2, 0.04 (no step), 2, 1.5, 1.5, 2, 2.05 (20.5 increments, to even:
  // 20), 2.5, 3, 3, 2 and 1 m.
  const std::vector<std::string> lines = Lines("blessed/fourteen-zones.txt");
  CheckStructure(lines, {30, 25, 20, 0, 20, 15, 15, 20, 20, 25, 30, 30, 20, 10});
  EXPECT_NE(std::find(lines.begin(), lines.end(), "  ZONE 14"), lines.end());
}

TEST(BlessedResultFiles, AFaultInZoneTwoLeavesItsConditionsWithoutATable) {
  const std::vector<std::string> lines = Lines("blessed/fault-zone2.txt");
  CheckStructure(lines, {300, 300}, 2);
  EXPECT_EQ(lines[lines.size() - 4],
            "     Heat Trans. Coeff. - Upper (kJ/m2.s.K)            =  1E308");
}

TEST(BlessedResultFiles, RunsWriteTheBlessedBytes) {
  EXPECT_EQ(RunBytes(nullptr, '.'), test::ReadBytes(DataPath("blessed/defaults.txt")));
  EXPECT_EQ(RunBytes(nullptr, ','), test::ReadBytes(DataPath("blessed/defaults-comma.txt")));
  EXPECT_EQ(RunBytes("three-zones.dat", '.'), test::ReadBytes(DataPath("blessed/three-zones.txt")));
  EXPECT_EQ(RunBytes("fourteen-zones.dat", '.'),
            test::ReadBytes(DataPath("blessed/fourteen-zones.txt")));
  EXPECT_EQ(RunBytes("fault-zone2.dat", '.', true),
            test::ReadBytes(DataPath("blessed/fault-zone2.txt")));
}

}  // namespace
}  // namespace quillmere
