// Runs the cases of a sweep on every core: each worker thread keeps its own field texts,
// ParameterSet and SimulationState for all the cases it runs, and each row lands at its
// case's place, so the table's order never depends on the schedule.
#pragma once

#include <array>
#include <atomic>
#include <cstddef>
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

//! The name of a case's result file in `directory`.
std::string CaseResultFileName(const std::string& directory, std::size_t caseNumber,
                               std::size_t caseCount);

//! Applies each case's values to a copy of `base` (the defaults with the data file applied)
//! as field texts and runs it. Returns one row per entry of `cases` (0-based indices into the
//! grid), in the same order; a case not run because `control.Stop` was set has no row. A case
//! that the inputs refuse or a fault ends is a row with its outcome, never the end of the
//! sweep.
std::vector<std::optional<SweepRow>> RunSweep(const SweepGrid& grid, const MemoryFieldTexts& base,
                                              const std::vector<std::size_t>& cases,
                                              const SweepOptions& options, SweepControl& control);

}  // namespace quillmere
