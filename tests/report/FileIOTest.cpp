// Files opened, written and read with one set of safeguards.
#include "report/FileIO.h"

#include <fcntl.h>
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <csignal>
#include <filesystem>
#include <fstream>
#include <string>

#include "TestSupport.h"

namespace quillmere {
namespace {

namespace fs = std::filesystem;

TEST(FileIdentity, IsTheSameForEveryNameOfAFile) {
  test::ScratchDirectory scratch;
  const std::string file = scratch.File("data.dat");
  std::ofstream(file) << "x";
  fs::create_hard_link(file, scratch.File("hard.dat"));
  fs::create_symlink(file, scratch.File("soft.dat"));
  std::ofstream(scratch.File("other.dat")) << "x";
  ASSERT_TRUE(IdentityOfPath(file));
  EXPECT_EQ(IdentityOfPath(scratch.File("hard.dat")), IdentityOfPath(file));
  EXPECT_EQ(IdentityOfPath(scratch.File("soft.dat")), IdentityOfPath(file));
  EXPECT_NE(IdentityOfPath(scratch.File("other.dat")), IdentityOfPath(file));
  EXPECT_FALSE(IdentityOfPath(scratch.File("missing.dat")));
}

// A file opened to be created keeps its content until the caller empties it.
TEST(OutputFile, EmptiesAnExistingFileOnlyWhenAsked) {
  test::ScratchDirectory scratch;
  const std::string name = scratch.File("result.txt");
  std::ofstream(name) << "older content";
  OutputFile::Open(name, OutputFile::Mode::Create, "result file").Close();
  EXPECT_EQ(test::ReadBytes(name), "older content");
  OutputFile file = OutputFile::Open(name, OutputFile::Mode::Create, "result file");
  file.Truncate();
  file.Write("new");
  file.Close();
  EXPECT_EQ(test::ReadBytes(name), "new");

  const std::string missing = scratch.File("missing.txt");
  test::ExpectError<FileError>(
      [&] { OutputFile::Open(missing, OutputFile::Mode::Append, "result file"); },
      "Could not open the result file \"" + missing + "\": No such file or directory");
  test::ExpectError<FileError>(
      [&] { OutputFile::Open(scratch.File("no/such.txt"), OutputFile::Mode::Create, "CSV file"); },
      "Could not create the CSV file \"" + scratch.File("no/such.txt") +
          "\": No such file or directory");
}

// A reader that goes away makes the next write fail with the system's reason, instead of
// ending the program by SIGPIPE (which the programs ignore).
TEST(OutputFile, AWriteToAPipeWhoseReaderLeftFailsWithBrokenPipe) {
  std::signal(SIGPIPE, SIG_IGN);
  test::ScratchDirectory scratch;
  const std::string pipe = scratch.File("pipe\x1B[2J");
  ASSERT_EQ(mkfifo(pipe.c_str(), 0600), 0);
  const int reader = ::open(pipe.c_str(), O_RDONLY | O_NONBLOCK);
  ASSERT_GE(reader, 0);
  OutputFile file = OutputFile::Open(pipe, OutputFile::Mode::Create, "result file");
  file.Truncate();  // nothing to empty in a pipe
  file.Write("header");
  ::close(reader);
  test::ExpectError<FileError>(
      [&] { file.Write("table"); },
      "Could not write the result file \"" + scratch.File("pipe") + "\\x1B[2J\": Broken pipe");
}

TEST(InputFile, ReadingADirectoryFailsWithTheSystemsReason) {
  test::ScratchDirectory scratch;
  InputFile file = InputFile::Open(scratch.path().string(), "data file");
  char buffer[16];
  test::ExpectError<FileError>(
      [&] { file.Read(buffer, sizeof buffer); },
      "Could not read the data file \"" + scratch.path().string() + "\": Is a directory");
  test::ExpectError<FileError>([&] { InputFile::Open(scratch.File("missing"), "data file"); },
                               "Could not open the data file \"" + scratch.File("missing") +
                                   "\": No such file or directory");
}

// Outputs written whole: until they are committed together, every name keeps what it held;
// one given up leaves no temporary file; a link keeps pointing at the file it names.
TEST(StagedOutputs, AreWrittenWholeOrNotAtAll) {
  test::ScratchDirectory scratch;
  std::ofstream(scratch.File("old.csv")) << "old";
  std::filesystem::create_symlink(scratch.File("old.csv"), scratch.File("link.csv"));
  {
    StagedOutputs given;
    given.Add(scratch.File("old.csv"), "table").Write("new");
    given.Add(scratch.File("new.json"), "report").Write("{}");
  }  // an error or an interrupt before CommitAll
  EXPECT_EQ(test::ReadBytes(scratch.File("old.csv")), "old");
  EXPECT_FALSE(std::filesystem::exists(scratch.File("new.json")));
  StagedOutputs outputs;
  outputs.Add(scratch.File("link.csv"), "table").Write("new");
  outputs.Add(scratch.File("new.json"), "report").Write("{}");
  EXPECT_EQ(test::ReadBytes(scratch.File("old.csv")), "old");
  outputs.CommitAll();
  EXPECT_EQ(test::ReadBytes(scratch.File("old.csv")), "new");
  EXPECT_TRUE(std::filesystem::is_symlink(scratch.File("link.csv")));
  EXPECT_EQ(test::ReadBytes(scratch.File("new.json")), "{}");
  EXPECT_EQ(std::distance(std::filesystem::directory_iterator(scratch.path()),
                          std::filesystem::directory_iterator()),
            3);  // old.csv, link.csv, new.json: no temporary file is left
}

}  // namespace
}  // namespace quillmere
