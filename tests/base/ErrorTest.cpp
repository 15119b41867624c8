// The exit status of every program, from an error's kind: the statuses the README and each
// command's --help document.
#include "base/Error.h"

#include <gtest/gtest.h>

namespace quillmere {
namespace {

TEST(ErrorTest, EachKindHasItsDocumentedExitStatus) {
  const struct {
    ErrorKind kind;
    int status;
  } cases[] = {
      {ErrorKind::InputRefused, 1},  {ErrorKind::File, 2},       {ErrorKind::RunFault, 3},
      {ErrorKind::Untrustworthy, 4}, {ErrorKind::Infeasible, 5}, {ErrorKind::Usage, 64},
      {ErrorKind::Interrupted, 130},  // 128 + SIGINT, as a shell reports a program it ended
  };
  for (const auto& c : cases) EXPECT_EQ(ExitStatus(c.kind), c.status);
  EXPECT_EQ(kExitFinished, 0);
}

TEST(ErrorTest, AnOutcomeHoldsItsValueOrWhyNot) {
  const Outcome<int> value = 7;
  ASSERT_TRUE(value.Ok());
  EXPECT_EQ(value.Value(), 7);
  const Outcome<int> refused = Error(ErrorKind::File, "Data file can not open!", "No such file");
  ASSERT_FALSE(refused.Ok());
  EXPECT_EQ(refused.Why().Kind(), ErrorKind::File);
  EXPECT_STREQ(refused.Why().what(), "Data file can not open!");
  EXPECT_EQ(refused.Why().Details(), "No such file");
  EXPECT_TRUE(Outcome<>().Ok());
}

}  // namespace
}  // namespace quillmere
