#include "analysis/FieldValueText.h"

#include <gtest/gtest.h>

namespace quillmere {
namespace {

TEST(FieldValueText, TheShortestTextWithTheSeparatorInForce) {
  EXPECT_EQ(FieldValueText(0.3, '.'), "0.3");
  EXPECT_EQ(FieldValueText(0.3, ','), "0,3");
  EXPECT_EQ(FieldValueText(60, ','), "60");
  EXPECT_EQ(FieldValueText(1e-5, ','), "1e-05");
  EXPECT_EQ(FieldValueText(-2.5e20, '.'), "-2.5e+20");
}

}  // namespace
}  // namespace quillmere
