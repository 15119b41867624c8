// What sets two runs apart, in the words of the key: the input pages' words and units.
#include "analysis/RunComparison.h"

#include <gtest/gtest.h>

#include "params/FieldTable.h"
#include "params/MemoryFieldTexts.h"

namespace quillmere {
namespace {

RunInputs With(std::initializer_list<std::pair<const char*, const char*>> changes,
               char separator = '.') {
  MemoryFieldTexts fields(separator);
  for (const auto& [name, text] : changes) fields.SetText(FindInput(name)->name, text);
  return InputsOf(fields);
}

std::string Describe(const RunInputs& run, const RunInputs& other, char separator = '.') {
  return DescribeInputs(run, DifferingInputs(run, other, separator));
}

TEST(RunComparison, InputsThatDifferAreNamedWithTheirTexts) {
  const struct {
    const char* name;
    const char* text;
    const char* described;  // empty: no difference
  } cases[] = {
      {"Speed", "1.2", "Speed 1.2 m/s"},
      {"Zone2.OuterTemperature", "80", "zone 2 air 80 °C"},
      {"Speed", " 1.00 ", ""},  // the same value written otherwise
      {"Keff", "3e-1", ""},     // the same value with an exponent
      {"Zone2.ZoneLength", "", "zone 2 length (empty)"},
      {"Speed", "fast", "Speed fast"},
      {"Zone3.OuterTemperature", "70", "zone 3 air 70 °C"},
      {"Solvent1Density", "0.9", "Density of Solvent-1 0.9 g/cm3"},
      {"SaveFileName", "other.txt", ""},  // the save file name is no input
  };
  for (const auto& c : cases) {
    EXPECT_EQ(Describe(With({{c.name, c.text}}), With({})), c.described) << c.name;
  }
}

TEST(RunComparison, EachRunIsDescribedByItsOwnTexts) {
  const RunInputs slow = With({{"Speed", "0.8"}, {"Zone2.OuterTemperature", "75"}});
  const RunInputs fast = With({{"Speed", "1.2"}});
  EXPECT_EQ(Describe(slow, fast), "Speed 0.8 m/s, zone 2 air 75 °C");
  EXPECT_EQ(Describe(fast, slow), "Speed 1.2 m/s, zone 2 air 60.0 °C");
}

TEST(RunComparison, NumbersCompareWithTheUsersSeparator) {
  const RunInputs comma = With({{"Speed", "1,0"}}, ',');
  EXPECT_EQ(Describe(comma, With({}, ','), ','), "");
  EXPECT_EQ(Describe(With({{"Speed", "1,2"}}, ','), comma, ','), "Speed 1,2 m/s");
}

TEST(RunComparison, ManyDifferencesAreCounted) {
  const RunInputs many = With({{"Speed", "2"},
                               {"Keff", "0.4"},
                               {"Wi", "0.35"},
                               {"Zone1.OuterTemperature", "70"},
                               {"Zone2.OuterTemperature", "90"}});
  const std::vector<std::size_t> differing = DifferingInputs(many, With({}), '.');
  ASSERT_EQ(differing.size(), 5u);
  // In the order of the fields: the start conditions, zone 1, the fitting parameters, ...
  EXPECT_EQ(DescribeInputs(many, differing),
            "Speed 2 m/s, zone 1 air 70 °C, Drying Speed Correction Factor Wi 0.35 and 2 more");
  EXPECT_EQ(DescribeInputs(many, differing, 10),
            "Speed 2 m/s, zone 1 air 70 °C, Drying Speed Correction Factor Wi 0.35, Dryer "
            "Efficiency Parameter Keff 0.4, zone 2 air 90 °C");
}

}  // namespace
}  // namespace quillmere
