// quillmere-sweep: the program behind "quillmere-cli sweep".
#include <unistd.h>

#include <atomic>
#include <csignal>
#include <iostream>

#include "cli/sweep/SweepCommandLine.h"

namespace {

//! Set by the first Ctrl-C, SIGTERM (a batch system's time limit, `timeout`) or SIGHUP (the
//! terminal closed); a second one ends the program at once.
std::atomic<bool> interrupted{false};
static_assert(std::atomic<bool>::is_always_lock_free);

extern "C" void OnInterrupt(int /*signal*/) {
  interrupted.store(true);
}

}  // namespace

int main(int argc, char** argv) {
  std::signal(SIGPIPE, SIG_IGN);  // a closed reader makes a write fail with its reason
  struct sigaction action {};
  action.sa_handler = OnInterrupt;
  action.sa_flags = SA_RESETHAND;  // the next Ctrl-C is the default: the program ends
  sigemptyset(&action.sa_mask);
  for (const int signal : {SIGINT, SIGTERM, SIGHUP}) sigaction(signal, &action, nullptr);
  return quillmere::RunSweepCommandLine(argc, argv, std::cout, std::cerr, interrupted,
                                        ::isatty(STDERR_FILENO) == 1);
}
