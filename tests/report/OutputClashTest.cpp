#include "report/OutputClash.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <optional>
#include <string>

#include "TestSupport.h"
#include "base/Error.h"

namespace quillmere {
namespace {

// One file under two names, by identity where it exists and by its resolved path where it
// does not; devices lose nothing to an output, so they are no clash.
TEST(OutputClash, TheSameFileUnderAnyNameAndNothingElse) {
  test::ScratchDirectory scratch;
  std::ofstream(scratch.File("in.dat")) << "data";
  std::filesystem::create_hard_link(scratch.File("in.dat"), scratch.File("linked.dat"));
  std::filesystem::create_symlink(scratch.File("in.dat"), scratch.File("symbolic.dat"));
  std::filesystem::create_directories(scratch.path() / "A/B");
  std::filesystem::create_directory_symlink(scratch.File("A/B"), scratch.File("L"));
  struct Case {
    std::string input;
    std::string first;
    std::string second;
    std::optional<std::string> clash;
  };
  const std::string dir = scratch.path().string();
  const Case cases[] = {
      {dir + "/in.dat", dir + "/linked.dat", dir + "/out.csv",
       "The table \"" + dir + "/linked.dat\" is the data file \"" + dir +
           "/in.dat\" of this sweep, which is left as it is. Choose another table."},
      {dir + "/in.dat", dir + "/out.csv", dir + "/symbolic.dat",
       "The picture \"" + dir + "/symbolic.dat\" is the data file \"" + dir +
           "/in.dat\" of this sweep, which is left as it is. Choose another picture."},
      {dir + "/in.dat", dir + "/new/../out.csv", dir + "/out.csv",
       "The table and the picture cannot be the same file \"" + dir + "/out.csv\"."},
      // L/.. is A, where L links to A/B: the link is resolved before the "..".
      {dir + "/in.dat", dir + "/L/../t.csv", dir + "/A/t.csv",
       "The table and the picture cannot be the same file \"" + dir + "/A/t.csv\"."},
      // A folder is not a file to write into.
      {dir + "/in.dat", dir + "/A", dir + "/L/..",
       "The table and the picture cannot be the same file \"" + dir + "/L/..\"."},
      {dir + "/in.dat", "/dev/null", "/dev/null", std::nullopt},
      {dir + "/in.dat", dir + "/a.csv", dir + "/b.svg", std::nullopt},
  };
  for (const Case& c : cases) {
    OutputClashCheck check("sweep");
    check.Input("data file", c.input);
    check.Output("table", c.first);
    check.Output("picture", c.second);
    EXPECT_EQ(check.FirstClash(), c.clash) << c.first << " " << c.second;
  }
  OutputClashCheck clash("run");
  clash.Output("result file", dir + "/in.dat");
  clash.Input("data file", dir + "/linked.dat");
  try {
    clash.Check();
    ADD_FAILURE() << "no clash found";
  } catch (const Error& error) {
    EXPECT_EQ(error.Kind(), ErrorKind::Usage);
  }
}

}  // namespace
}  // namespace quillmere
