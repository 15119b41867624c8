// Free fitting parameters: their names, their bounds, and the solver's variables that keep
// We < Wx < Wi whatever values the solver tries.
#include "analysis/fit/FitParameters.h"

#include <gtest/gtest.h>

#include <random>
#include <string>
#include <vector>

#include "TestSupport.h"

namespace quillmere {
namespace {

//! The fitting parameters of the default texts: Wi 0.3, We 0.1, Wx 0.2, Wy 0.5, Keff 0.3,
//! Chi1p 0.01, Chi2p 0.5, Chi12 0.5.
FittingValues Defaults() {
  return {0.3, 0.1, 0.2, 0.5, 0.3, 0.01, 0.5, 0.5};
}

std::vector<FreeParameter> Free(const std::string& list,
                                const std::vector<std::string>& bounds = {}) {
  std::vector<FreeParameter> free = ParseFreeParameters({list});
  ApplyBounds(free, bounds, ',');
  return free;
}

TEST(FitParameters, TheEightFittingParametersInTheOrderOfTheirFields) {
  std::vector<std::string> names;
  for (const FieldSpec* field : FittingFields()) names.push_back(InputName(*field));
  EXPECT_EQ(names,
            (std::vector<std::string>{"Wi", "We", "Wx", "Wy", "Keff", "Chi1p", "Chi2p", "Chi12"}));
  EXPECT_EQ(FittingIndex(*FindField("Edit205")), 4);
  EXPECT_EQ(FittingIndex(*FindField("Edit6")), -1);
  const test::Model model = test::DefaultModel();
  EXPECT_EQ(FittingValuesOf(*model.params), Defaults());
}

// We <= Wx <= Wi, lowest first; the other fitting parameters have no place in it.
TEST(FitParameters, ThePlacesOfTheOrder) {
  std::vector<int> ranks;
  for (const FieldSpec* field : FittingFields()) ranks.push_back(OrderRank(*field));
  EXPECT_EQ(ranks, (std::vector<int>{2, 0, 1, -1, -1, -1, -1, -1}));  // Wi, We, Wx, Wy, ...
  EXPECT_EQ(OrderName(0), "We");
  EXPECT_EQ(OrderName(1), "Wx");
  EXPECT_EQ(OrderName(2), "Wi");
}

TEST(FitParameters, NamesInAnyCaseAndAsFieldNamesWithDefaultBounds) {
  const std::vector<FreeParameter> free = ParseFreeParameters({"keff, WI", "Edit202,chi12"});
  ASSERT_EQ(free.size(), 4u);
  EXPECT_EQ(free[0].Name, "Keff");
  EXPECT_EQ(free[0].Lower->Value, 1e-6);
  EXPECT_FALSE(free[0].Upper);
  EXPECT_EQ(free[1].Name, "Wi");
  EXPECT_EQ(free[1].Lower->Value, 0.0);
  EXPECT_EQ(free[1].Upper->Value, 1.0);
  EXPECT_EQ(free[1].Upper->Source, BoundSource::Default);
  EXPECT_EQ(free[2].Name, "We");
  EXPECT_EQ(free[3].Name, "Chi12");
  EXPECT_FALSE(free[3].Lower);
  EXPECT_FALSE(free[3].Upper);
}

TEST(FitParameters, BoundsOverTheDefaults) {
  const std::vector<FreeParameter> free =
      Free("Keff,Wy,Chi1p", {"Keff=0.1:2", "wy=:0.8", "Chi1p=-1,5:"});
  EXPECT_EQ(free[0].Lower->Value, 0.1);
  EXPECT_EQ(free[0].Lower->Source, BoundSource::Given);
  EXPECT_EQ(free[0].Upper->Value, 2.0);
  EXPECT_FALSE(free[1].Lower);  // an empty side is unbounded, not the default
  EXPECT_EQ(free[1].Upper->Value, 0.8);
  EXPECT_EQ(free[2].Lower->Value, -1.5);  // the user's decimal separator
  EXPECT_FALSE(free[2].Upper);
}

TEST(FitParameters, RefusesBadNamesAndBounds) {
  const std::vector<std::pair<std::function<void()>, std::string>> cases{
      {[] { ParseFreeParameters({"Kef"}); },
       "--free: \"Kef\" is not an input name; did you mean Keff, We or Wi?"},
      {[] { ParseFreeParameters({"Speed"}); },
       "--free: Speed is not a fitting parameter; only Wi, We, Wx, Wy, Keff, Chi1p, Chi2p and "
       "Chi12 can be fitted"},
      {[] { ParseFreeParameters({"Zone2.OuterTemperature"}); },
       "--free: Zone2.OuterTemperature is not a fitting parameter; only Wi, We, Wx, Wy, Keff, "
       "Chi1p, Chi2p and Chi12 can be fitted"},
      {[] {
         ParseFreeParameters({"Keff,Wi", "keff"});
       },
       "--free: Keff is named twice"},
      {[] { ParseFreeParameters({" , "}); }, "--free names no parameter to fit"},
      {[] { Free("Keff", {"Keff0.1:2"}); },
       "--bounds Keff0.1:2: write NAME=LO:HI (a side left empty is unbounded)"},
      {[] { Free("Keff", {"Keff=0.1"}); },
       "--bounds Keff=0.1: write NAME=LO:HI (a side left empty is unbounded)"},
      {[] { Free("Keff", {"Wy=0:1"}); }, "--bounds Wy=0:1: Wy is not free (see --free)"},
      {[] { Free("Keff", {"Kef=0:1"}); },
       "--bounds Kef=0:1: \"Kef\" is not an input name; did you mean Keff, We or Wi?"},
      {[] { Free("Keff", {"Keff=a:1"}); }, "--bounds Keff=a:1: \"a\" is not a number"},
      {[] { Free("Keff", {"Keff=2:1"}); },
       "--bounds Keff=2:1: the lower bound must be less than the upper"},
      {[] { Free("Keff", {"Keff=1:1"}); },
       "--bounds Keff=1:1: the lower bound must be less than the upper"},
      {[] {
         Free("Keff", {"Keff=0:1", "KEFF=0:2"});
       },
       "--bounds KEFF=0:2: Keff has bounds twice"},
  };
  for (const auto& [action, message] : cases) {
    test::ExpectError<FitParameterError>(action, message);
  }
}

// A fixed member of We < Wx < Wi bounds its free neighbours, in every trial.
TEST(ParameterMap, FixedMembersOfTheOrderBoundTheFreeOnes) {
  FittingValues second = Defaults();
  second[2] = 0.25;  // Wx of the second trial
  const ParameterMap map(Free("Wi,We"), {Defaults(), second});
  EXPECT_EQ(map.Role(0), VariableRole::Value);
  EXPECT_EQ(map.Role(1), VariableRole::Value);
  EXPECT_EQ(map.Parameters()[0].Lower->Value, 0.25);  // Wi above both trials' Wx
  EXPECT_EQ(map.Parameters()[0].Lower->Source, BoundSource::Order);
  EXPECT_EQ(map.Parameters()[0].Upper->Value, 1.0);
  EXPECT_EQ(map.Parameters()[1].Lower->Value, 0.0);
  EXPECT_EQ(map.Parameters()[1].Upper->Value, 0.2);  // We below both
  EXPECT_EQ(map.VariableLower(0), 0.25);
  EXPECT_EQ(map.VariableUpper(1), 0.2);
  EXPECT_EQ(map.StartValues(), (std::vector<double>{0.3, 0.1}));
}

// Adjacent free members: the first is its own variable, the next ones the share of the room
// above the one before them. Every point of the variables' box gives ordered values within
// the bounds, and the map reads back.
TEST(ParameterMap, EveryPointOfTheBoxKeepsTheOrder) {
  const ParameterMap map(Free("Keff,Wi,Wx,We", {"Wx=0.15:0.6"}), {Defaults()});
  EXPECT_EQ(map.Role(0), VariableRole::Value);
  EXPECT_EQ(map.Role(3), VariableRole::Value);        // We, the lowest
  EXPECT_EQ(map.Role(2), VariableRole::Fraction);     // Wx
  EXPECT_EQ(map.Role(1), VariableRole::Fraction);     // Wi
  EXPECT_EQ(map.Parameters()[3].Upper->Value, 0.6);   // We no higher than Wx can be
  EXPECT_EQ(map.Parameters()[1].Lower->Value, 0.15);  // Wi no lower than Wx can be
  std::vector<double> variables(4);
  std::vector<double> values(4);
  std::vector<double> back(4);
  map.ToVariables(map.StartValues().data(), variables.data());
  map.ToValues(variables.data(), values.data());
  for (std::size_t i = 0; i < 4; ++i) EXPECT_NEAR(values[i], map.StartValues()[i], 1e-15);

  std::mt19937 random(1);
  for (int draw = 0; draw < 1000; ++draw) {
    for (std::size_t i = 0; i < 4; ++i) {
      const double low = map.VariableLower(i).value_or(-10);
      const double high = map.VariableUpper(i).value_or(10);
      // The box's corners and edges too.
      const int pick = std::uniform_int_distribution<int>(0, 4)(random);
      variables[i] = pick == 0   ? low
                     : pick == 1 ? high
                                 : std::uniform_real_distribution<double>(low, high)(random);
    }
    map.ToValues(variables.data(), values.data());
    const double wi = values[1], wx = values[2], we = values[3];
    EXPECT_LE(we, wx);
    EXPECT_LE(wx, wi);
    EXPECT_GE(we, 0.0);
    EXPECT_LE(wi, 1.0);
    EXPECT_GE(wx, 0.15);
    EXPECT_LE(wx, 0.6);
    map.ToVariables(values.data(), back.data());
    map.ToValues(back.data(), variables.data());
    for (std::size_t i = 0; i < 4; ++i) EXPECT_NEAR(variables[i], values[i], 1e-12);
  }
}

// Without an upper bound, the next member is the step above the one before it.
TEST(ParameterMap, AnUnboundedNextMemberIsAGap) {
  const ParameterMap map(Free("Wx,Wi", {"Wi=0.1:"}), {Defaults()});
  EXPECT_EQ(map.Role(1), VariableRole::Gap);
  EXPECT_EQ(map.VariableLower(1), 0.0);
  EXPECT_FALSE(map.VariableUpper(1));
  const double variables[2] = {0.3, 0.5};
  double values[2];
  map.ToValues(variables, values);
  EXPECT_EQ(values[0], 0.3);
  EXPECT_EQ(values[1], 0.8);
}

TEST(ParameterMap, RefusesBoundsWithoutRoomAndStartsOutsideThem) {
  FittingValues crossed = Defaults();
  crossed[1] = 0.35;  // the second trial's We above Wi
  const std::vector<std::pair<std::function<void()>, std::string>> cases{
      {[] { ParameterMap(Free("Wx", {"Wx=0.5:0.9"}), {Defaults()}); },
       "The bounds of Wx leave it no room: 0.5 to 0.3 (We < Wx < Wi bounds it by the fixed "
       "ones)"},
      {[&] {
         ParameterMap(Free("Wx"), {Defaults(), crossed});
       },
       "The bounds of Wx leave it no room: 0.35 to 0.3 (We < Wx < Wi bounds it by the fixed "
       "ones)"},
      {[] {
         FittingValues v = Defaults();
         v[1] = 0.25;
         ParameterMap(Free("Wx"), {v});
       },
       "Wx starts at 0.2 (the first trial's data file), outside its bounds 0.25 to 0.3"},
      {[] { ParameterMap(Free("Keff", {"Keff=0.4:1"}), {Defaults()}); },
       "Keff starts at 0.3 (the first trial's data file), outside its bounds 0.4 to 1"},
      {[] {
         FittingValues v = Defaults();
         v[2] = 0.05;  // Wx below We
         ParameterMap(Free("We,Wx"), {v});
       },
       "We 0.1 and Wx 0.05 break the order We < Wx < Wi at the start (the first trial's data "
       "file)"},
  };
  for (const auto& [action, message] : cases) {
    test::ExpectError<FitParameterError>(action, message);
  }
}

TEST(ParameterMap, ConstraintsHeldActiveAndBoundsReached) {
  const ParameterMap map(Free("Keff,Wx", {"Keff=0.1:0.4"}), {Defaults()});
  const std::vector<ConstraintCheck> inside = CheckConstraints(map, {Defaults()}, {0.35, 0.25});
  ASSERT_EQ(inside.size(), 3u);
  EXPECT_EQ(inside[0].Text, "We < Wx < Wi");
  EXPECT_TRUE(inside[0].Held);
  EXPECT_FALSE(inside[0].Active);
  ASSERT_EQ(inside[0].Values.size(), 1u);
  EXPECT_EQ(inside[0].Values[0].Values,
            (std::vector<std::pair<std::string, double>>{{"We", 0.1}, {"Wx", 0.25}, {"Wi", 0.3}}));
  EXPECT_EQ(inside[1].Text, "0 <= Wy <= 1");
  EXPECT_EQ(inside[2].Text, "Keff > 0");
  EXPECT_TRUE(inside[2].OnBounds.empty());

  // Wx on Wi, Keff on its upper bound.
  const std::vector<ConstraintCheck> onBounds = CheckConstraints(map, {Defaults()}, {0.4, 0.3});
  EXPECT_TRUE(onBounds[0].Held);
  EXPECT_TRUE(onBounds[0].Active);
  ASSERT_EQ(onBounds[0].OnBounds.size(), 1u);
  EXPECT_EQ(onBounds[0].OnBounds[0].Name, "Wx");
  EXPECT_EQ(onBounds[0].OnBounds[0].Side, BoundSide::Upper);
  EXPECT_EQ(onBounds[0].OnBounds[0].Source, BoundSource::Order);
  EXPECT_TRUE(onBounds[2].Active);
  EXPECT_EQ(onBounds[2].OnBounds[0].Source, BoundSource::Given);
  EXPECT_EQ(BoundReached(map.Parameters()[0], 0.4), BoundSide::Upper);
  EXPECT_EQ(BoundReached(map.Parameters()[0], 0.1), BoundSide::Lower);
  EXPECT_EQ(BoundReached(map.Parameters()[0], 0.2), BoundSide::None);

  // Fixed values from a data file that break a constraint: it does not hold, for that trial.
  FittingValues broken = Defaults();
  broken[3] = 1.5;
  const std::vector<ConstraintCheck> two = CheckConstraints(map, {Defaults(), broken}, {0.3, 0.2});
  EXPECT_FALSE(two[1].Held);
  ASSERT_EQ(two[1].Values.size(), 2u);
  EXPECT_EQ(two[1].Values[1].Trial, 2);
  EXPECT_EQ(two[1].Values[1].Values[0].second, 1.5);
  EXPECT_EQ(two[0].Values.size(), 1u);  // the same in both trials
}

}  // namespace
}  // namespace quillmere
