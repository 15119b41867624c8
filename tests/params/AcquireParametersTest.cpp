#include "params/AcquireParameters.h"

#include <gtest/gtest.h>

#include <tuple>

#include "TestSupport.h"
#include "base/FloatingPointGuard.h"
#include "params/FieldTable.h"
#include "params/MemoryFieldTexts.h"

namespace quillmere {
namespace {

using test::Model;
using test::RecordingMessages;

class AcquireParametersTest : public ::testing::Test {
 protected:
  bool Acquire(char separator = '.') {
    return AcquireParameters(fields, messages, separator, *model.params,
                             model.state->EntryTemperature())
        .Ok();
  }
  // Fills zone `zone` (2 to 14) with plausible conditions.
  void FillZone(int zone, const char* outer = "70.0") {
    fields.SetText(ZoneFieldName(zone, 0), outer);
    fields.SetText(ZoneFieldName(zone, 1), "10.0");
    for (int i = 2; i < 4; ++i) fields.SetText(ZoneFieldName(zone, i), "0.0");
    fields.SetText(ZoneFieldName(zone, 4), "0.03");
    fields.SetText(ZoneFieldName(zone, 5), "0.04");
  }

  MemoryFieldTexts fields;
  RecordingMessages messages;
  Model model;
  ParameterSet& params = *model.params;
};

TEST_F(AcquireParametersTest, DefaultsGiveTwoZonesOfThreeHundredSteps) {
  ASSERT_TRUE(Acquire());
  EXPECT_TRUE(messages.messages.empty());
  EXPECT_EQ(params.ZoneCount, 2);
  for (int zone : {1, 2}) {
    EXPECT_EQ(params.ZoneSteps[zone], 300);
    EXPECT_EQ(params.Zones.OuterTemperature[zone], 60.0);
    EXPECT_EQ(params.Zones.ZoneLength[zone], 30.0);
    EXPECT_EQ(params.Zones.Solvent1Humidity[zone], 0.0);
    EXPECT_EQ(params.Zones.Solvent2Humidity[zone], 0.0);
    EXPECT_EQ(params.Zones.HeatTransferUpper[zone], 0.022);
    EXPECT_EQ(params.Zones.HeatTransferLower[zone], 0.055);
  }
  EXPECT_EQ(params.ZoneSteps[3], 0);
  EXPECT_EQ(params.InitialCoatingWeight, 0.0695);
  EXPECT_EQ(params.IncrementZ, 0.1);
  EXPECT_EQ(params.Solvent2AntoineB, 1344.8);
  EXPECT_EQ(params.Chi1p, 0.01);
  EXPECT_EQ(params.Solvent1Diffusivity, 0.00000903);
  EXPECT_EQ(params.SaveFileName, "result.txt");
  EXPECT_EQ(model.state->EntryTemperature(), 15.0);
}

TEST_F(AcquireParametersTest, DefaultsShownWithACommaConvertUnderACommaLocale) {
  MemoryFieldTexts commaFields(',');
  EXPECT_EQ(commaFields.Text("Edit1"), "0,0695");
  EXPECT_EQ(commaFields.Text("Edit250"), "result.txt");
  ASSERT_TRUE(
      AcquireParameters(commaFields, messages, ',', params, model.state->EntryTemperature()).Ok());
  EXPECT_EQ(params.InitialCoatingWeight, 0.0695);
  EXPECT_EQ(params.Solvent1AntoineA, 6.38469);
  // The point defaults do not convert where the separator is a comma.
  EXPECT_FALSE(Acquire(','));
  EXPECT_EQ(messages.messages.back(), "Input value is not correct!");
}

TEST_F(AcquireParametersTest, AGeneralFieldThatDoesNotConvertKeepsItAndEverythingAfterIt) {
  fields.SetText("Edit6", "fast");
  // The refusal comes back as what the user was told, for the caller to act on its kind.
  const Outcome<> refused =
      AcquireParameters(fields, messages, '.', *model.params, model.state->EntryTemperature());
  ASSERT_FALSE(refused.Ok());
  EXPECT_EQ(refused.Why().Kind(), ErrorKind::InputRefused);
  EXPECT_STREQ(refused.Why().what(), "Input value is not correct!");
  EXPECT_EQ(refused.Why().Details(),
            "Speed (m/s) (Edit6) holds \"fast\", which is not a number; the decimal separator in "
            "force is \".\".");
  EXPECT_EQ(messages.messages, std::vector<std::string>{"Input value is not correct!"});
  EXPECT_EQ(params.InitialSolvent2Ratio, 0.22);  // Edit5, before the failing field
  EXPECT_EQ(params.Speed, 0.0);
  EXPECT_EQ(model.state->EntryTemperature(), 0.0);
  EXPECT_EQ(params.IncrementZ, 0.0);
  EXPECT_EQ(params.ZoneCount, 0);
  EXPECT_EQ(params.SaveFileName, "");
}

TEST_F(AcquireParametersTest, AnEmptySaveFileNameIsRefusedAfterTheGeneralBlockIsStored) {
  fields.SetText("Edit250", "");
  EXPECT_FALSE(Acquire());
  EXPECT_EQ(messages.messages, std::vector<std::string>{"Input Save File Name!"});
  EXPECT_EQ(params.IncrementZ, 0.1);
  EXPECT_EQ(params.ZoneCount, 1);
  EXPECT_EQ(params.ZoneSteps[1], 0);
  EXPECT_EQ(params.Zones.OuterTemperature[2], 0.0);

  fields.SetText("Edit250", "   ");
  EXPECT_TRUE(Acquire());
  EXPECT_EQ(params.SaveFileName, "   ");
}

TEST_F(AcquireParametersTest, TheFirstAbsentZoneEndsTheList) {
  fields.SetText("Edit21", "0");
  ASSERT_TRUE(Acquire());
  EXPECT_EQ(params.ZoneCount, 1);
  EXPECT_EQ(params.ZoneSteps[1], 300);

  fields.SetText("Edit21", " -0.0 ");
  ASSERT_TRUE(Acquire());
  EXPECT_EQ(params.ZoneCount, 1);

  fields.SetText("Edit21", "");
  ASSERT_TRUE(Acquire());
  EXPECT_EQ(params.ZoneCount, 1);

  // Zone 3 empty: zones 4 to 14 are neither read nor stored, even with bad texts.
  fields.SetText("Edit21", "60.0");
  for (int zone = 4; zone <= kMaxZones; ++zone) FillZone(zone);
  fields.SetText("Edit92", "not read");
  ASSERT_TRUE(Acquire());
  EXPECT_EQ(params.ZoneCount, 2);
  EXPECT_EQ(params.Zones.OuterTemperature[4], 0.0);
}

TEST_F(AcquireParametersTest, FourteenFilledZonesAreAllActive) {
  for (int zone = 3; zone <= kMaxZones; ++zone) FillZone(zone);
  ASSERT_TRUE(Acquire());
  EXPECT_EQ(params.ZoneCount, 14);
  EXPECT_EQ(params.Zones.HeatTransferLower[14], 0.04);
  EXPECT_EQ(params.ZoneSteps[14], 100);
}

TEST_F(AcquireParametersTest, ARefusedZoneLeavesEveryFurtherZoneOfTheSetAsItWas) {
  for (int zone = 3; zone <= 5; ++zone) FillZone(zone);
  ASSERT_TRUE(Acquire());
  EXPECT_EQ(params.ZoneCount, 5);

  for (int zone = 2; zone <= 5; ++zone) fields.SetText(ZoneFieldName(zone, 4), "0.5");
  fields.SetText("Edit51", "60");
  fields.SetText("Edit52", "");
  EXPECT_FALSE(Acquire());
  EXPECT_EQ(messages.messages.back(), "Input value of Zone 5 is not correct!");
  EXPECT_EQ(params.ZoneCount, 1);
  EXPECT_EQ(params.Zones.HeatTransferUpper[2], 0.022);
  EXPECT_EQ(params.Zones.HeatTransferUpper[3], 0.03);
  EXPECT_EQ(params.Zones.OuterTemperature[5], 70.0);
  EXPECT_EQ(params.ZoneSteps[1], 300);  // the step counts keep the earlier run's

  fields.SetText("Edit141", "1");
  FillZone(14, "x");
  fields.SetText("Edit52", "10");
  ASSERT_TRUE(Acquire());  // zone 6 is empty, so zone 14 is never read
  EXPECT_EQ(params.ZoneCount, 5);
}

TEST_F(AcquireParametersTest, AFurtherZonesOuterTemperatureThatDoesNotConvertEndsTheRunAsAnError) {
  fields.SetText("Edit31", "hot");
  test::ExpectError<InputConversionError>(
      [&] { Acquire(); }, "Outer Temperature of Zone 3: \"hot\" is not a valid number");
  EXPECT_TRUE(messages.messages.empty());
  EXPECT_EQ(params.ZoneCount, 1);
  EXPECT_EQ(params.Zones.OuterTemperature[2], 0.0);
}

// Several faults at once: the one acquisition meets first is the one the user is told.
TEST_F(AcquireParametersTest, TheFirstCheckThatFailsIsTheOneShown) {
  struct Case {
    std::vector<std::pair<const char*, const char*>> texts;
    const char* message;
  };
  const Case cases[] = {
      // A general field before the empty save file name.
      {{{"Edit241", "x"}, {"Edit250", ""}}, "Input value is not correct!"},
      // The save file name before a zone's field.
      {{{"Edit250", ""}, {"Edit23", "x"}}, "Input Save File Name!"},
      // A zone's field before the step bound of an earlier zone.
      {{{"Edit9", "1000"}, {"Edit24", "x"}}, "Input value of Zone 2 is not correct!"},
      // Two-digit zone numbers.
      {{{"Edit102", "x"}}, "Input value of Zone 10 is not correct!"},
      {{{"Edit146", "x"}}, "Input value of Zone 14 is not correct!"},
  };
  for (int zone = 3; zone <= 14; ++zone) FillZone(zone);
  for (const Case& c : cases) {
    MemoryFieldTexts filled = fields;
    for (const auto& [field, text] : c.texts) fields.SetText(field, text);
    messages.messages.clear();
    EXPECT_FALSE(Acquire()) << c.message;
    EXPECT_EQ(messages.messages, std::vector<std::string>{c.message});
    fields = filled;
  }
}

// An outer temperature of blanks only is not empty: it does not end the zone list, and as it
// does not convert it ends the run as an error, for every further zone.
TEST_F(AcquireParametersTest, ABlankOnlyOuterTemperatureEndsTheRunAsAnUnconvertibleValue) {
  for (int zone = 3; zone <= 14; ++zone) FillZone(zone);
  for (int zone = 2; zone <= 14; ++zone) {
    MemoryFieldTexts filled = fields;
    fields.SetText(ZoneFieldName(zone, 0), "   ");
    test::ExpectError<InputConversionError>(
        [&] { Acquire(); },
        "Outer Temperature of Zone " + std::to_string(zone) + ": \"   \" is not a valid number");
    EXPECT_TRUE(messages.messages.empty());
    fields = filled;
  }
}

TEST_F(AcquireParametersTest, StepCountsRoundHalfToEven) {
  fields.SetText("Edit20", "1.0");
  const std::pair<const char*, int> cases[] = {{"2.5", 2}, {"3.5", 4}, {"2.6", 3}, {"0.5", 0},
                                               {"1.5", 2}, {"0.4", 0}, {"-0", 0}};
  for (const auto& [length, steps] : cases) {
    fields.SetText("Edit9", length);
    ASSERT_TRUE(Acquire()) << length;
    EXPECT_EQ(params.ZoneSteps[1], steps) << length;
  }
}

TEST_F(AcquireParametersTest, AStepCountATraceCannotHoldIsRefusedWithAClearMessage) {
  fields.SetText("Edit22", "199.9");  // 1999 steps: the most a zone can take
  ASSERT_TRUE(Acquire());
  EXPECT_EQ(params.ZoneSteps[2], 1999);

  fields.SetText("Edit22", "200.0");
  EXPECT_FALSE(Acquire());
  EXPECT_EQ(messages.messages.back(),
            "Zone 2 would need 2000 integration steps, more than the 1999 steps a zone can take! "
            "Enter a larger Increment of z or a shorter Zone Length.");
  EXPECT_EQ(params.ZoneSteps[1], 300);
  EXPECT_EQ(params.ZoneSteps[2], 1999);

  // A count far beyond the 32-bit range must not wrap into the allowed range.
  fields.SetText("Edit22", "429496729.7");
  EXPECT_FALSE(Acquire());
  fields.SetText("Edit22", "1E30");
  EXPECT_FALSE(Acquire());
  EXPECT_NE(messages.messages.back().find("Zone 2 would need 1e+31 integration steps"),
            std::string::npos);

  // A negative length or increment: time would run backwards, even where the quotient of the
  // two is positive or rounds to no step at all.
  fields.SetText("Edit22", "30.0");
  const std::tuple<const char*, const char*, const char*> negative[] = {{"-30.0", "0.1", "-300"},
                                                                        {"-30.0", "-0.1", "300"},
                                                                        {"30.0", "-0.1", "-300"},
                                                                        {"-0.04", "0.1", "0"}};
  for (const auto& [length, increment, count] : negative) {
    fields.SetText("Edit9", length);
    fields.SetText("Edit20", increment);
    EXPECT_FALSE(Acquire()) << length << " " << increment;
    EXPECT_EQ(messages.messages.back(),
              std::string("Zone 1 would need ") + count +
                  " integration steps! Its Zone Length and the Increment of z must not be "
                  "negative.");
  }
}

TEST_F(AcquireParametersTest, AStepCountDivisionThatFaultsEndsTheRunAsAnError) {
  fields.SetText("Edit20", "0");
  test::ExpectError<FloatingPointError>([&] { Acquire(); }, "Floating point division by zero");
  EXPECT_EQ(params.Zones.OuterTemperature[2], 60.0);  // the zone arrays are already copied

  fields.SetText("Edit9", "0");
  test::ExpectError<FloatingPointError>([&] { Acquire(); }, "Invalid floating point operation");

  fields.SetText("Edit20", "1E-300");
  fields.SetText("Edit9", "1E300");
  test::ExpectError<FloatingPointError>([&] { Acquire(); }, "Floating point overflow");
}

}  // namespace
}  // namespace quillmere

namespace quillmere {
namespace {

// A negative speed runs the web backwards (it "finished" with zone exits at -30 s and -60 s):
// refused with the field named, as a negative zone length is. A speed of 0 is not negative.
TEST_F(AcquireParametersTest, ANegativeSpeedIsRefusedWithTheFieldNamed) {
  fields.SetText("Edit6", "-0.5");
  EXPECT_FALSE(Acquire());
  EXPECT_EQ(messages.messages, std::vector<std::string>{"Input value is not correct!"});
  EXPECT_EQ(messages.fields, std::vector<std::string>{"Edit6"});
  EXPECT_EQ(messages.details,
            std::vector<std::string>{"Speed (m/s) (Edit6) is -0.5: the web must run forward "
                                     "through the dryer, so the Speed must not be negative."});
  messages = {};
  fields.SetText("Edit6", "-0");
  EXPECT_TRUE(Acquire());
}

TEST(WeightRatioSumWarning, NamesTheThreeRatiosAndTheirSum) {
  struct Case {
    const char* solid;
    const char* solvent1;
    const char* solvent2;
    const char* sum;  // "" for no warning
  };
  const Case cases[] = {
      {"0.18", "0.60", "0.22", ""},  // the defaults: 1 within the rounding of the decimals
      {"0.1", "0.2", "0.7", ""},     // 0.1 + 0.2 + 0.7 = 0.9999999999999999 in binary
      {"0.18", "0.65", "0.22", "1.05"}, {"0.18", "0", "0.22", "0.4"},
      {"x", "0.6", "0.22", ""},  // refused by acquisition instead
  };
  for (const Case& c : cases) {
    MemoryFieldTexts fields('.');
    fields.SetText("Edit3", c.solid);
    fields.SetText("Edit4", c.solvent1);
    fields.SetText("Edit5", c.solvent2);
    const std::optional<std::string> warning = WeightRatioSumWarning(fields, '.');
    if (std::string(c.sum).empty()) {
      EXPECT_EQ(warning, std::nullopt) << c.solvent1;
      continue;
    }
    EXPECT_EQ(warning,
              "The Initial Solid Weight Ratio (Edit3), Initial Solvent-1 Weight Ratio "
              "(Edit4) and Initial Solvent-2 Weight Ratio (Edit5) add up to " +
                  std::string(c.sum) +
                  ", not 1: the coating's weights are taken from each ratio as it is "
                  "given.");
  }
}

}  // namespace
}  // namespace quillmere
