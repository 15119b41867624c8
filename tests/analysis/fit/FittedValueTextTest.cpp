// The digits of a fitted value in the fitted data file: those its standard error justifies.
#include "analysis/fit/FittedValueText.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "analysis/fit/Fit.h"

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

// Two parameters correlated at 0.999 with errors of 0.01: each rounded to its own error
// (0.4464, 0.2960) moves the pair across the narrow valley of the sum of squares, a rise of
// several units. The file's texts take the digits that keep the rise δᵀ C⁻¹ δ within 1 % of
// the 95 % region (3.84); a parameter that is not determined gets no text (its start stays).
TEST(FittedValueText, TheFileKeepsTheFitWithCorrelatedParameters) {
  FitResult result;
  const double values[] = {0.44637912345, 0.29604387654, 0.0812};
  const char* names[] = {"Keff", "Wi", "Wx"};
  for (int i = 0; i < 3; ++i) {
    FittedParameter p;
    p.Name = names[i];
    p.Fitted = values[i];
    p.StandardError = 0.01;
    p.Identifiable = i < 2;
    result.Parameters.push_back(p);
  }
  result.CorrelationNames = {"Keff", "Wi"};
  result.Correlation = {{1, 0.999}, {0.999, 1}};
  const auto rise = [&](const std::vector<double>& rounded) {
    const double a = rounded[0] - values[0];
    const double b = rounded[1] - values[1];
    const double det = 1e-4 * 1e-4 * (1 - 0.999 * 0.999);
    // δᵀ C⁻¹ δ for C = 1e-4 [[1, ρ], [ρ, 1]].
    return 1e-4 * (a * a - 2 * 0.999 * a * b + b * b) / det;
  };
  const std::vector<double> ownError{std::stod(FittedValueText(values[0], 0.01)),
                                     std::stod(FittedValueText(values[1], 0.01))};
  EXPECT_GT(rise(ownError), 0.01 * 3.84);  // the rounding the report shows would not do
  const std::vector<std::optional<std::string>> texts = FileValueTexts(result);
  ASSERT_EQ(texts.size(), 3u);
  ASSERT_TRUE(texts[0] && texts[1]);
  EXPECT_FALSE(texts[2]);
  EXPECT_LE(rise({std::stod(*texts[0]), std::stod(*texts[1])}), 0.01 * 3.84)
      << *texts[0] << " " << *texts[1];
  EXPECT_LT(texts[0]->size(), 17u);  // not every digit either
}

}  // namespace
}  // namespace quillmere
