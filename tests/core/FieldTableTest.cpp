#include "params/FieldTable.h"

#include <gtest/gtest.h>

namespace quillmere {
namespace {

TEST(FieldTable, HoldsEveryInputOnce) {
  EXPECT_EQ(AllFields().size(), 41u + 1u + 13u * 6u);
  ASSERT_NE(FindField("Edit146"), nullptr);
  EXPECT_EQ(FindField("Edit147"), nullptr);
}

}  // namespace
}  // namespace quillmere
