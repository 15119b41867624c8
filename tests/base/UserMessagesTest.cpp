#include "base/UserMessages.h"

#include <gtest/gtest.h>

namespace quillmere {
namespace {

TEST(ErrorBoxText, AppendsAFullStopOnlyAfterCharactersThatSortAfterIt) {
  EXPECT_EQ(ErrorBoxText("Invalid floating point operation"), "Invalid floating point operation.");
  EXPECT_EQ(ErrorBoxText("Disk error 28"), "Disk error 28.");
  EXPECT_EQ(ErrorBoxText("Done."), "Done.");
  EXPECT_EQ(ErrorBoxText("Stop!"), "Stop!");
  EXPECT_EQ(ErrorBoxText("Trailing blank "), "Trailing blank ");
  EXPECT_EQ(ErrorBoxText("(in brackets)"), "(in brackets)");
  EXPECT_EQ(ErrorBoxText("path/"), "path/.");
  EXPECT_EQ(ErrorBoxText(""), "");
}

}  // namespace
}  // namespace quillmere
