// The result file's write steps taken by a thread of their own, in the march's order, with
// what they have to say shown in the march's thread.
#include "report/ResultFileWriter.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <string>
#include <vector>

#include "TestSupport.h"
#include "sim/DryerMarch.h"

namespace quillmere {
namespace {

class ResultFileWriterTest : public ::testing::Test {
 protected:
  ResultFileWriterTest() {
    in_.params->SaveFileName = name_;
    // The default run's two zones, marched.
    EXPECT_TRUE(MarchThroughDryer(*in_.params, *in_.state).Finished());
  }

  test::ScratchDirectory scratch_;
  std::string name_ = scratch_.File("result.txt");
  test::Model in_ = test::DefaultModel();
  test::RecordingMessages messages_;
};

// The blocks land in the order they are told, whichever thread writes them.
TEST_F(ResultFileWriterTest, WritesTheBlocksInTheMarchsOrder) {
  test::RecordingMessages direct;
  ResultFile file(*in_.params, '.', direct);
  ASSERT_TRUE(file.WriteResultHeader(15.0));
  ASSERT_TRUE(file.AppendZoneTable(ZoneView(*in_.params, *in_.state, 1)));
  ASSERT_TRUE(file.AppendZoneConditions(2));
  ASSERT_TRUE(file.AppendZoneTable(ZoneView(*in_.params, *in_.state, 2)));
  const std::string oneByOne = test::ReadBytes(name_);

  ResultFileWriter writer(*in_.params, '.', messages_);
  const RunRecord record;
  EXPECT_TRUE(writer.RunStarting(*in_.params, *in_.state));
  EXPECT_TRUE(writer.ZoneStarting(1));
  EXPECT_TRUE(writer.ZoneFinished(ZoneView(*in_.params, *in_.state, 1), record));
  EXPECT_TRUE(writer.ZoneStarting(2));
  EXPECT_TRUE(writer.ZoneFinished(ZoneView(*in_.params, *in_.state, 2), record));
  EXPECT_TRUE(writer.Finish());
  EXPECT_TRUE(test::ReadBytes(name_) == oneByOne);
  EXPECT_TRUE(messages_.messages.empty());
}

// A step that cannot open the file says so once, in the march's thread, and the march is told
// to end at its next step; nothing is written after it.
TEST_F(ResultFileWriterTest, AFileThatCannotBeOpenedEndsTheRunAtTheNextStep) {
  ResultFileWriter writer(*in_.params, '.', messages_);
  const RunRecord record;
  EXPECT_TRUE(writer.RunStarting(*in_.params, *in_.state));
  ASSERT_TRUE(writer.Finish());
  std::filesystem::remove(name_);  // appending never creates the file
  EXPECT_TRUE(writer.ZoneStarting(1));
  writer.ZoneFinished(ZoneView(*in_.params, *in_.state, 1), record);
  EXPECT_FALSE(writer.Finish());
  EXPECT_FALSE(writer.ZoneStarting(2));
  EXPECT_FALSE(writer.Finish());
  EXPECT_EQ(messages_.messages, std::vector<std::string>{"File can not open!"});
  EXPECT_EQ(messages_.details, std::vector<std::string>{"Could not open the result file \"" +
                                                        name_ + "\": No such file or directory"});
  EXPECT_FALSE(std::filesystem::exists(name_));
}

TEST_F(ResultFileWriterTest, AFailedWriteReachesTheMarchAsItsError) {
  in_.params->SaveFileName = "/dev/full";
  ResultFileWriter writer(*in_.params, '.', messages_);
  // At the march's next step, or when it waits for the last blocks: whichever comes first.
  test::ExpectError<FileError>(
      [&] {
        writer.RunStarting(*in_.params, *in_.state);
        writer.Finish();
      },
      "Could not write the result file \"/dev/full\": No space left on "
      "device");
}

}  // namespace
}  // namespace quillmere
