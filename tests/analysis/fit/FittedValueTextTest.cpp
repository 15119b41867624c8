// The digits of a fitted value in the fitted data file: those its standard error justifies.
#include "analysis/fit/FittedValueText.h"

#include <gtest/gtest.h>

namespace quillmere {
namespace {

struct Case {
  double value;
  std::optional<double> error;
  const char* text;  // rounded by hand: two significant digits of the error, six at most
};

TEST(FittedValueText, KeepsTheDigitsTheStandardErrorJustifies) {
  const Case cases[]{
      {0.29600734674923024, 0.0078, "0.296"},  // to 0.0001: 0.2960
      {0.29600734674923024, 0.78, "0.3"},      // to 0.01: 0.30
      {0.45231749, 0.00012, "0.45232"},        // to 0.00001
      {0.45231749, 1.2e-9, "0.452317"},        // six significant digits at most
      {0.45231749, std::nullopt, "0.452317"},  // no error: six digits
      {0.45231749, 0.0, "0.452317"},           // an error of 0 says nothing
      {1.2345678e-5, 3.1e-7, "0.00001235"},    // to 1e-8; six digits allow 1e-10
      {-0.61849, 0.25, "-0.62"},               // to 0.01
      {123456.789, 2500, "123500"},            // to 100
      {0.3, 5, "0.3"},                         // to 0.1
      {0.04, 5, "0"},                          // to 0.1: nothing is justified
      {2.0, 0.013, "2"},                       // trailing zeros left out: 2.000
  };
  for (const Case& c : cases) {
    EXPECT_EQ(FittedValueText(c.value, c.error), c.text) << c.value;
  }
}

}  // namespace
}  // namespace quillmere
