// The shell every command runs in, tried through the programs as a user would: no output over
// a file the command reads, one way to stop on a signal, and one table of exit statuses.
#include <fcntl.h>
#include <gtest/gtest.h>
#include <signal.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

#include "TestSupport.h"
#include "base/Error.h"
#include "cli/StopSignals.h"

extern char** environ;

namespace quillmere {
namespace {

using test::ShellQuote;

class ProgramShell : public ::testing::Test {
 protected:
  void SetUp() override {
    ASSERT_EQ(Cli("template -o d.dat").status, 0);
    Write("m.csv", "position_m,quantity,value\n10,temperature,40\n");
    Write("lib.csv", "a library\n");
    std::filesystem::create_directories(work_.path() / "xdg/quillmere");
    Write("xdg/quillmere/solvents.csv", "the user's library\n");
  }

  void Write(const std::string& name, const std::string& bytes) const {
    std::ofstream(work_.File(name), std::ios::binary) << bytes;
  }
  std::string Read(const std::string& name) const { return test::ReadBytes(work_.File(name)); }

  test::ProgramOutcome Cli(const std::string& arguments) const {
    return test::RunShell("cd " + ShellQuote(work_.path().string()) +
                              " && LC_ALL=C XDG_DATA_HOME=" + ShellQuote(work_.File("xdg")) + " " +
                              ShellQuote(QUILLMERE_CLI) + " " + arguments + " < /dev/null",
                          capture_);
  }

  //! Starts quillmere-cli with `arguments` in the work directory (SIGHUP ignored when
  //! `ignoreHangup`, as under nohup) and returns once its stop signals are handled: the shell
  //! writes a byte to the descriptor the environment names.
  pid_t StartWhenReady(const std::vector<std::string>& arguments, bool ignoreHangup) const {
    int ready[2];
    EXPECT_EQ(::pipe(ready), 0);
    ::fcntl(ready[0], F_SETFD, FD_CLOEXEC);
    std::vector<std::string> texts{QUILLMERE_CLI};
    texts.insert(texts.end(), arguments.begin(), arguments.end());
    std::vector<char*> argv;
    for (std::string& text : texts) argv.push_back(text.data());
    argv.push_back(nullptr);
    std::vector<std::string> environment{
        "LC_ALL=C", "XDG_DATA_HOME=" + work_.File("no-library"),
        std::string(kReadyDescriptorVariable) + "=" + std::to_string(ready[1])};
    std::vector<char*> envp;
    for (std::string& text : environment) envp.push_back(text.data());
    envp.push_back(nullptr);

    posix_spawn_file_actions_t files;
    posix_spawn_file_actions_init(&files);
    posix_spawn_file_actions_addchdir_np(&files, work_.path().c_str());
    posix_spawn_file_actions_addopen(&files, 0, "/dev/null", O_RDONLY, 0);
    posix_spawn_file_actions_addopen(&files, 1, capture_.File("out").c_str(),
                                     O_WRONLY | O_CREAT | O_TRUNC, 0644);
    posix_spawn_file_actions_addopen(&files, 2, capture_.File("err").c_str(),
                                     O_WRONLY | O_CREAT | O_TRUNC, 0644);
    posix_spawnattr_t attributes;
    posix_spawnattr_init(&attributes);
    sigset_t none, defaults;
    sigemptyset(&none);
    sigemptyset(&defaults);
    sigaddset(&defaults, SIGINT);
    sigaddset(&defaults, SIGTERM);
    if (!ignoreHangup) sigaddset(&defaults, SIGHUP);
    posix_spawnattr_setsigmask(&attributes, &none);
    posix_spawnattr_setsigdefault(&attributes, &defaults);
    posix_spawnattr_setflags(&attributes, POSIX_SPAWN_SETSIGMASK | POSIX_SPAWN_SETSIGDEF);
    struct sigaction ignore {
    }, previous{};
    ignore.sa_handler = SIG_IGN;
    if (ignoreHangup) sigaction(SIGHUP, &ignore, &previous);
    pid_t pid = -1;
    EXPECT_EQ(posix_spawn(&pid, QUILLMERE_CLI, &files, &attributes, argv.data(), envp.data()), 0);
    if (ignoreHangup) sigaction(SIGHUP, &previous, nullptr);
    posix_spawn_file_actions_destroy(&files);
    posix_spawnattr_destroy(&attributes);
    ::close(ready[1]);
    char byte = 0;
    EXPECT_EQ(::read(ready[0], &byte, 1), 1) << "the program ended before its handlers were in";
    ::close(ready[0]);
    return pid;
  }

  static int ExitStatusOf(pid_t pid) {
    int status = 0;
    ::waitpid(pid, &status, 0);
    return WIFEXITED(status) ? WEXITSTATUS(status) : 128 + WTERMSIG(status);
  }

  //! No temporary output file left behind in the work directory.
  void ExpectNoTemporaryFiles() const {
    for (const auto& entry : std::filesystem::directory_iterator(work_.path())) {
      const std::string name = entry.path().filename().string();
      EXPECT_FALSE(name.starts_with(".")) << name;
    }
  }

  test::ScratchDirectory work_;
  test::ScratchDirectory capture_;
};

// An output over the solvent library of --solvents, or over the user's own, is refused in every
// command before anything is read or written, and the library is left as it is.
TEST_F(ProgramShell, NoCommandWritesOverASolventLibrary) {
  const std::string user = "xdg/quillmere/solvents.csv";
  const std::vector<std::string> commands{
      "run d.dat --solvents lib.csv -o lib.csv",
      "run d.dat --csv " + user,
      "template --solvents lib.csv -o lib.csv",
      "template -o " + user,
      "sweep d.dat --vary Speed=1:2:2 --solvents lib.csv -o lib.csv",
      "sweep d.dat --vary Speed=1:2:2 -o " + user,
      "fit --trial d.dat:m.csv --free Keff -o " + user,
      "optimise d.dat --maximise Speed --free Speed=0.5:2 --solvents lib.csv --report lib.csv",
      "optimize d.dat --maximise Speed --free Speed=0.5:2 -o " + user,
  };
  for (const std::string& command : commands) {
    SCOPED_TRACE(command);
    const test::ProgramOutcome outcome = Cli(command);
    EXPECT_EQ(outcome.status, 64);
    EXPECT_NE(outcome.err.find("solvent library"), std::string::npos) << outcome.err;
    EXPECT_TRUE(Read("lib.csv") == "a library\n");
    EXPECT_TRUE(Read(user) == "the user's library\n");
  }
  ExpectNoTemporaryFiles();
}

// Two SIGTERMs (what `timeout` sends) as soon as the handlers are in place: every command ends
// with 130; the sweep's table says that it is incomplete, and the outputs of fit and optimise
// are each complete or as they were. A second signal never kills the program, and a fit asked
// for ten thousand starts stops where it stands.
TEST_F(ProgramShell, TwoTerminationsStopEveryCommandTheSameWay) {
  struct Command {
    std::vector<std::string> Arguments;
    std::vector<std::string> Outputs;
  };
  const std::vector<Command> commands{
      {{"sweep", "d.dat", "--vary", "Speed=0.5:2:4", "-o", "t.csv"}, {}},
      {{"fit", "--trial", "d.dat:m.csv", "--free", "Keff", "--starts", "10000", "-o", "f.dat",
        "--report", "f.json"},
       {"f.dat", "f.json"}},
      {{"optimise", "d.dat", "--maximise", "Speed", "--free", "Speed=0.5:2", "--starts", "2", "-o",
        "o.dat", "--report", "o.json"},
       {"o.dat", "o.json"}},
  };
  for (const Command& command : commands) {
    for (int trial = 0; trial < 20; ++trial) {
      SCOPED_TRACE(command.Arguments[0] + ", trial " + std::to_string(trial));
      for (const std::string& output : command.Outputs) Write(output, "as it was\n");
      const pid_t pid = StartWhenReady(command.Arguments, false);
      ::kill(pid, SIGTERM);
      ::kill(pid, SIGTERM);
      ASSERT_EQ(ExitStatusOf(pid), 130) << test::ReadBytes(capture_.File("err"));
      if (command.Outputs.empty()) {
        EXPECT_NE(Read("t.csv").find("\n# incomplete: the sweep was interrupted; "),
                  std::string::npos);
      }
      for (const std::string& output : command.Outputs) {
        const std::string bytes = Read(output);
        EXPECT_TRUE(bytes == "as it was\n" || (bytes.size() > 10 && bytes.back() == '\n'))
            << output;
      }
      ExpectNoTemporaryFiles();
    }
  }
}

// Under nohup a hangup is ignored: the sweep goes on to its whole table.
TEST_F(ProgramShell, AnIgnoredHangupStaysIgnored) {
  const pid_t pid =
      StartWhenReady({"sweep", "d.dat", "--vary", "Speed=0.5:2:2", "-o", "t.csv"}, true);
  ::kill(pid, SIGHUP);
  EXPECT_EQ(ExitStatusOf(pid), 0);
  EXPECT_EQ(Read("t.csv").find("# incomplete"), std::string::npos);
  EXPECT_NE(Read("t.csv").find("\n2,2,finished,"), std::string::npos) << Read("t.csv");
}

// The README's table of exit statuses is the code's, row by row, and so is every help footer.
TEST_F(ProgramShell, TheExitStatusesAreOneTable) {
  const std::string readme = test::ReadBytes(QUILLMERE_SOURCE_DIR "/README.md");
  std::size_t at = readme.find("| status | meaning |\n|---|---|\n");
  ASSERT_NE(at, std::string::npos);
  for (const ExitStatusMeaning& row : ExitStatuses()) {
    const std::string line =
        "| " + std::to_string(row.Status) + " | " + std::string(row.Meaning) + " |\n";
    const std::size_t next = readme.find(line, at);
    EXPECT_NE(next, std::string::npos) << line;
    at = next == std::string::npos ? at : next;
  }
  for (const char* command : {"--help", "run --help", "sweep --help", "fit --help",
                              "optimise --help", "template --help"}) {
    EXPECT_NE(Cli(command).out.find(ExitStatusHelp()), std::string::npos) << command;
  }
}

}  // namespace
}  // namespace quillmere
