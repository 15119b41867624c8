#include "cli/StopSignals.h"

#include <signal.h>
#include <unistd.h>

#include <array>
#include <charconv>
#include <cstdlib>
#include <string_view>

namespace quillmere {
namespace {

constexpr std::array<int, 3> kStopSignals{SIGINT, SIGTERM, SIGHUP};

// The one state a signal handler may touch: lock-free atomics.
std::atomic<bool> stopRequested{false};
std::atomic<int> signalsReceived{0};
std::atomic<int> lastSignal{0};
static_assert(std::atomic<bool>::is_always_lock_free && std::atomic<int>::is_always_lock_free);

extern "C" void OnStopSignal(int received) {
  stopRequested.store(true);
  lastSignal.store(received);
  if (signalsReceived.fetch_add(1) + 1 < 2) return;
  struct sigaction fallback {};
  fallback.sa_handler = SIG_DFL;
  sigemptyset(&fallback.sa_mask);
  for (const int signal : kStopSignals) {
    struct sigaction current {};
    if (sigaction(signal, nullptr, &current) == 0 && current.sa_handler == OnStopSignal) {
      sigaction(signal, &fallback, nullptr);
    }
  }
}

sigset_t StopSignalSet() {
  sigset_t set;
  sigemptyset(&set);
  for (const int signal : kStopSignals) sigaddset(&set, signal);
  return set;
}

}  // namespace

void InstallStopSignals() {
  struct sigaction ignore {};
  ignore.sa_handler = SIG_IGN;
  sigemptyset(&ignore.sa_mask);
  sigaction(SIGPIPE, &ignore, nullptr);
  struct sigaction action {};
  action.sa_handler = OnStopSignal;
  action.sa_mask = StopSignalSet();  // one handler at a time
  for (const int signal : kStopSignals) {
    struct sigaction previous {};
    if (sigaction(signal, nullptr, &previous) == 0 && previous.sa_handler == SIG_IGN) continue;
    sigaction(signal, &action, nullptr);
  }
  UnblockStopSignals();
  TellHandlersReady();
}

void TellHandlersReady() {
  const char* text = std::getenv(kReadyDescriptorVariable);
  if (text == nullptr) return;
  const std::string_view digits(text);
  int descriptor = -1;
  const auto [end, error] =
      std::from_chars(digits.data(), digits.data() + digits.size(), descriptor);
  ::unsetenv(kReadyDescriptorVariable);  // told once: a program started later must not write
  if (error != std::errc{} || end != digits.data() + digits.size() || descriptor < 0) return;
  [[maybe_unused]] const ssize_t written = ::write(descriptor, "R", 1);
  ::close(descriptor);
}

void PassStopOn() {
  if (stopRequested.load()) ::raise(lastSignal.load());
}

void UnblockStopSignals() {
  const sigset_t set = StopSignalSet();
  pthread_sigmask(SIG_UNBLOCK, &set, nullptr);
}

void BlockStopSignals() {
  const sigset_t set = StopSignalSet();
  pthread_sigmask(SIG_BLOCK, &set, nullptr);
}

const std::atomic<bool>& StopRequested() {
  return stopRequested;
}

}  // namespace quillmere
