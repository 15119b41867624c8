// One way for every command to stop: SIGINT (Ctrl-C), SIGTERM (a batch system's time limit,
// `timeout`) and SIGHUP (the terminal closed) ask the work to stop; the work in flight ends,
// what is done is written, and the program exits with 130.
#pragma once

#include <atomic>

namespace quillmere {

//! Catches SIGINT, SIGTERM and SIGHUP, each unless the caller ignores it (nohup: a hangup stays
//! ignored), and unblocks them. The first and the second signal only ask to stop, so that a
//! command winding down is not killed by a second SIGTERM; after the second the defaults are
//! back, and a third ends the program at once. SIGPIPE is ignored: a closed reader makes a
//! write fail with its reason.
void InstallStopSignals();

//! Blocks the three signals, as quillmere-cli does before it hands a command to its program:
//! the program inherits them blocked and receives them once its handlers are in place.
void BlockStopSignals();
//! Unblocks them again (the program could not be started).
void UnblockStopSignals();

//! A stop signal that came before a program is started takes its place: with the signals
//! blocked, raises the last one again, to be pending until the program's handlers are in place.
void PassStopOn();

//! The environment variable that names a descriptor to which InstallStopSignals writes one
//! byte once the handlers are in place, then closes: how a test knows that a signal it sends
//! will be handled. The variable is removed.
inline constexpr const char* kReadyDescriptorVariable = "QUILLMERE_SIGNALS_READY_FD";
void TellHandlersReady();

//! Set once a stop signal came.
const std::atomic<bool>& StopRequested();

}  // namespace quillmere
