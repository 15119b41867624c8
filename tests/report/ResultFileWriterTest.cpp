// The result file's write steps taken by a thread of their own, in the march's order, with
// what they have to say shown in the march's thread.
#include "report/ResultFileWriter.h"

#include <gtest/gtest.h>

#include <pthread.h>
#include <sched.h>

#include <chrono>
#include <filesystem>
#include <string>
#include <thread>
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

  //! The default run's blocks, each step opening and closing the file in this thread.
  std::string WrittenOneByOne() {
    test::RecordingMessages direct;
    ResultFile file(*in_.params, '.', direct);
    EXPECT_TRUE(file.WriteResultHeader(15.0).Ok());
    EXPECT_TRUE(file.AppendZoneTable(ZoneView(*in_.params, *in_.state, 1)).Ok());
    EXPECT_TRUE(file.AppendZoneConditions(2).Ok());
    EXPECT_TRUE(file.AppendZoneTable(ZoneView(*in_.params, *in_.state, 2)).Ok());
    return test::ReadBytes(name_);
  }

  //! The same blocks told to a writer, as the march tells them.
  void WriteThroughTheWriter() {
    ResultFileWriter writer(*in_.params, '.', messages_);
    const RunRecord record;
    EXPECT_TRUE(writer.RunStarting(*in_.params, *in_.state));
    EXPECT_TRUE(writer.ZoneStarting(1));
    EXPECT_TRUE(writer.ZoneFinished(ZoneView(*in_.params, *in_.state, 1), record));
    EXPECT_TRUE(writer.ZoneStarting(2));
    EXPECT_TRUE(writer.ZoneFinished(ZoneView(*in_.params, *in_.state, 2), record));
    EXPECT_TRUE(writer.Finish().Ok());
  }

  test::ScratchDirectory scratch_;
  std::string name_ = scratch_.File("result.txt");
  test::Model in_ = test::DefaultModel();
  test::RecordingMessages messages_;
};

// The blocks land in the order they are told, whichever thread writes them.
TEST_F(ResultFileWriterTest, WritesTheBlocksInTheMarchsOrder) {
  const std::string oneByOne = WrittenOneByOne();
  WriteThroughTheWriter();
  EXPECT_TRUE(test::ReadBytes(name_) == oneByOne);
  EXPECT_TRUE(messages_.messages.empty());
}

// Finish takes the steps the writer has not started, one at a time like the writer: the blocks
// keep their order wherever the march waits for them, over many interleavings of the two.
TEST_F(ResultFileWriterTest, FinishAtAnyStepKeepsTheOrder) {
  const std::string oneByOne = WrittenOneByOne();
  for (int round = 0; round < 200; ++round) {
    ResultFileWriter writer(*in_.params, '.', messages_);
    const RunRecord record;
    const auto finishOnRound = [&](int every) {
      if (round % every == 0) {
        EXPECT_TRUE(writer.Finish().Ok());
      }
    };
    EXPECT_TRUE(writer.RunStarting(*in_.params, *in_.state));
    finishOnRound(2);
    EXPECT_TRUE(writer.ZoneStarting(1));
    EXPECT_TRUE(writer.ZoneFinished(ZoneView(*in_.params, *in_.state, 1), record));
    finishOnRound(3);
    EXPECT_TRUE(writer.ZoneStarting(2));
    finishOnRound(5);
    EXPECT_TRUE(writer.ZoneFinished(ZoneView(*in_.params, *in_.state, 2), record));
    EXPECT_TRUE(writer.Finish().Ok());
    ASSERT_TRUE(test::ReadBytes(name_) == oneByOne) << "round " << round;
  }
  EXPECT_TRUE(messages_.messages.empty());
}

// A march that waited for its blocks goes on: the writer takes the next steps by itself again.
TEST_F(ResultFileWriterTest, AfterFinishTheWriterTakesStepsAgain) {
  std::string twoBlocks;
  {
    test::RecordingMessages direct;
    ResultFile file(*in_.params, '.', direct);
    ASSERT_TRUE(file.WriteResultHeader(15.0).Ok());
    ASSERT_TRUE(file.AppendZoneTable(ZoneView(*in_.params, *in_.state, 1)).Ok());
    twoBlocks = test::ReadBytes(name_);
  }
  ResultFileWriter writer(*in_.params, '.', messages_);
  const RunRecord record;
  EXPECT_TRUE(writer.RunStarting(*in_.params, *in_.state));
  EXPECT_TRUE(writer.Finish().Ok());
  EXPECT_TRUE(writer.ZoneStarting(1));
  EXPECT_TRUE(writer.ZoneFinished(ZoneView(*in_.params, *in_.state, 1), record));
  // No Finish: the table arrives from the writer thread alone (a generous bound, not a timing).
  const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(30);
  while (test::ReadBytes(name_) != twoBlocks && std::chrono::steady_clock::now() < deadline) {
    std::this_thread::sleep_for(std::chrono::milliseconds(1));
  }
  EXPECT_TRUE(test::ReadBytes(name_) == twoBlocks);
  EXPECT_TRUE(writer.Finish().Ok());
}

// A step that cannot open the file says so once, in the march's thread, and the march is told
// to end at its next step; nothing is written after it.
TEST_F(ResultFileWriterTest, AFileThatCannotBeOpenedEndsTheRunAtTheNextStep) {
  ResultFileWriter writer(*in_.params, '.', messages_);
  const RunRecord record;
  EXPECT_TRUE(writer.RunStarting(*in_.params, *in_.state));
  ASSERT_TRUE(writer.Finish().Ok());
  std::filesystem::remove(name_);  // appending never creates the file
  EXPECT_TRUE(writer.ZoneStarting(1));
  writer.ZoneFinished(ZoneView(*in_.params, *in_.state, 1), record);
  EXPECT_FALSE(writer.Finish().Ok());
  EXPECT_FALSE(writer.ZoneStarting(2));
  EXPECT_FALSE(writer.Finish().Ok());
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
        static_cast<void>(writer.Finish());
      },
      "Could not write the result file \"/dev/full\": No space left on "
      "device");
}

cpu_set_t ProcessorsOf(pid_t thread) {
  cpu_set_t set;
  CPU_ZERO(&set);
  EXPECT_EQ(sched_getaffinity(thread, sizeof set, &set), 0);
  return set;
}

// On a single processor the writer shares it with the march and still writes every block.
TEST_F(ResultFileWriterTest, OnOneProcessorTheWriterSharesIt) {
  const cpu_set_t ours = ProcessorsOf(0);
  cpu_set_t one;
  CPU_ZERO(&one);
  CPU_SET(sched_getcpu(), &one);
  const std::string oneByOne = WrittenOneByOne();
  ASSERT_EQ(pthread_setaffinity_np(pthread_self(), sizeof one, &one), 0);
  WriteThroughTheWriter();
  ASSERT_EQ(pthread_setaffinity_np(pthread_self(), sizeof ours, &ours), 0);
  EXPECT_TRUE(test::ReadBytes(name_) == oneByOne);
  EXPECT_TRUE(messages_.messages.empty());
}

}  // namespace
}  // namespace quillmere
