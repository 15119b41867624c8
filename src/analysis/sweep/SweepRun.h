// Runs the cases of a sweep on every core: each worker thread keeps its own field texts,
// ParameterSet and SimulationState for all the cases it runs, and the rows are handed on in
// grid order as soon as each and every row before it are done, so that the table's order never
// depends on the schedule and a sweep of any size holds only a bounded window of rows.
#pragma once

#include <array>
#include <atomic>
#include <cstddef>
#include <functional>
#include <optional>
#include <string>
#include <vector>

#include "analysis/sweep/SweepGrid.h"
#include "analysis/sweep/SweepTable.h"
#include "params/MemoryFieldTexts.h"

namespace quillmere {

struct SweepOptions {
  char DecimalSeparator = '.';  //!< of the field texts
  int Jobs = 0;                 //!< threads that run cases; 0 for one per core
  //! When set, each case writes its result file there as "case-0007.txt" (the case number,
  //! at least four digits), through the calculation that the OK button runs.
  std::optional<std::string> ResultDirectory;
  //! The solvents' plant data, where the fields hold plant inputs or name a solvent of the
  //! library: each case's warnings then say where its web leaves an Antoine range, and with
  //! plant inputs each finished case carries its plant figures, its plant warnings among its
  //! warnings.
  std::optional<std::array<PlantSolvent, 2>> PlantSolvents;
};

//! Shared between the sweep and whoever watches it (a progress bar, a signal handler).
struct SweepControl {
  std::atomic<std::size_t> Done{0};  //!< cases finished so far
  std::atomic<bool> Stop{false};     //!< set to start no further case
};

//! Threads a sweep uses when the user does not say: one per core.
int DefaultSweepJobs();

//! Rows being run or waiting for an earlier row, per thread: the reorder window. A slow case
//! holds up the rows after it, at most this many per thread, before the next cases wait too.
inline constexpr std::size_t kRowsInFlightPerJob = 16;

//! Receives the rows, one at a time, in the order of the cases.
using SweepRowSink = std::function<void(SweepRow&&)>;

//! The name of a case's result file in `directory`.
std::string CaseResultFileName(const std::string& directory, std::size_t caseNumber,
                               std::size_t caseCount);

//! Applies each case's values to a copy of `base` (the defaults with the data file applied)
//! as field texts and runs it, on options.Jobs threads (more than the cores when asked for).
//! Hands `sink` one row per case of `cases`, in their order, each as soon as it and the rows
//! before it are done; once `control.Stop` is set no further case starts, and the rows of the
//! cases started are still handed on, so that the rows handed on are always the first ones.
//! A case that the inputs refuse or a fault ends is a row with its outcome, never the end of
//! the sweep; an exception of `sink` stops the sweep (the rows in flight are dropped) and is
//! rethrown. Returns the rows handed on.
std::size_t RunSweep(const SweepGrid& grid, const MemoryFieldTexts& base, SweepCases cases,
                     const SweepOptions& options, SweepControl& control, const SweepRowSink& sink);

}  // namespace quillmere
