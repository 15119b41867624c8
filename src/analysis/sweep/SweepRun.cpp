#include "analysis/sweep/SweepRun.h"

#include <oneapi/tbb/blocked_range.h>
#include <oneapi/tbb/enumerable_thread_specific.h>
#include <oneapi/tbb/info.h>
#include <oneapi/tbb/parallel_for.h>
#include <oneapi/tbb/partitioner.h>
#include <oneapi/tbb/task_arena.h>

#include <algorithm>
#include <filesystem>
#include <memory>

#include "analysis/CaseRun.h"
#include "base/KeptMessages.h"
#include "base/UserMessages.h"
#include "params/AcquireParameters.h"
#include "base/KeptMessages.h"
#include "params/PlantInputs.h"
#include "base/UserMessages.h"
#include "report/CalculationRun.h"

namespace quillmere {
namespace {

//! What a worker thread keeps from case to case: the large state is allocated once.
struct Worker {
  explicit Worker(const MemoryFieldTexts& base)
      : Fields(base),
        Params(std::make_unique<ParameterSet>()),
        State(std::make_unique<SimulationState>()) {}
  MemoryFieldTexts Fields;
  std::unique_ptr<ParameterSet> Params;
  std::unique_ptr<SimulationState> State;
};

//! The calculation of the OK button, with the case's result file.
CaseResult RunWithResultFile(const FieldTexts& fields, char separator, ParameterSet& params,
                             SimulationState& state) {
  CaseResult result;
  KeptMessages messages(result.Messages);
  CalculationResult run = RunCalculation(fields, messages, separator, params, state);
  result.Record = std::move(run.Record);
  result.Ending = run.Ending();
  return result;
}

SweepRow RunOneCase(const SweepGrid& grid, std::size_t caseIndex, const SweepOptions& options,
                    Worker& worker) {
  const char separator = options.DecimalSeparator;
  std::vector<double> values = grid.Values(caseIndex);
  for (std::size_t axis = 0; axis < values.size(); ++axis) {
    worker.Fields.SetText(grid.Axes()[axis].Field->name, SweepValueText(values[axis], separator));
  }
  std::vector<std::string> inputWarnings;
  if (std::optional<std::string> unreached = UnreachedZonesWarning(worker.Fields, separator)) {
    inputWarnings.push_back(std::move(*unreached));
  }
  CaseResult result;
  try {
    if (options.ResultDirectory) {
      worker.Fields.SetText(
          "Edit250", CaseResultFileName(*options.ResultDirectory, caseIndex + 1, grid.CaseCount()));
      result = RunWithResultFile(worker.Fields, separator, *worker.Params, *worker.State);
    } else {
      result = RunCase(worker.Fields, separator, *worker.Params, *worker.State);
    }
  } catch (const Error& error) {
    // An error that ends the window's run in its error box (an unconvertible outer temperature
    // of a further zone, a write that failed) ends only this case.
    result.Ending = error.Kind();
    result.Messages.push_back(ErrorBoxText(error.what()));
  } catch (const std::exception& error) {
    result.Ending = ErrorKind::RunFault;
    result.Messages.push_back(ErrorBoxText(error.what()));
  }
  SweepRow row = SweepRowOf(caseIndex + 1, std::move(values), result, *worker.Params, *worker.State,
                            std::move(inputWarnings));
  if (options.PlantSolvents) {
    for (std::string& warning : AntoineRangeWarnings(*options.PlantSolvents, *worker.Params,
                                                     *worker.State, result.Record)) {
      row.Warnings.push_back(std::move(warning));
    }
  }
  if (options.PlantSolvents && row.Finished) {
    try {
      if (const std::optional<PlantInputs> plant = AcquirePlantInputs(worker.Fields, separator)) {
        row.Plant = PlantFiguresOf(*worker.Params, *plant, *options.PlantSolvents, *worker.State,
                                   result.Record);
        for (const std::string& warning : row.Plant->Warnings) row.Warnings.push_back(warning);
      }
    } catch (const std::exception& error) {
      row.Warnings.push_back(error.what());
    }
  }
  return row;
}

}  // namespace

int DefaultSweepJobs() {
  return tbb::info::default_concurrency();
}

std::string CaseResultFileName(const std::string& directory, std::size_t caseNumber,
                               std::size_t caseCount) {
  const std::size_t width = std::max<std::size_t>(4, std::to_string(caseCount).size());
  std::string number = std::to_string(caseNumber);
  number.insert(0, width > number.size() ? width - number.size() : 0, '0');
  return (std::filesystem::path(directory) / ("case-" + number + ".txt")).string();
}

std::vector<std::optional<SweepRow>> RunSweep(const SweepGrid& grid, const MemoryFieldTexts& base,
                                              const std::vector<std::size_t>& cases,
                                              const SweepOptions& options, SweepControl& control) {
  std::vector<std::optional<SweepRow>> rows(cases.size());
  tbb::enumerable_thread_specific<std::unique_ptr<Worker>> workers(
      [&base] { return std::make_unique<Worker>(base); });
  const int jobs = options.Jobs > 0 ? options.Jobs : DefaultSweepJobs();
  tbb::task_arena arena(jobs);
  arena.execute([&] {
    // One case a task: cases take milliseconds, and a stop is seen before the next case.
    tbb::parallel_for(
        tbb::blocked_range<std::size_t>(0, cases.size(), 1),
        [&](const tbb::blocked_range<std::size_t>& range) {
          Worker& worker = *workers.local();
          for (std::size_t i = range.begin(); i != range.end(); ++i) {
            if (control.Stop.load(std::memory_order_relaxed)) return;
            rows[i] = RunOneCase(grid, cases[i], options, worker);
            control.Done.fetch_add(1, std::memory_order_relaxed);
          }
        },
        tbb::simple_partitioner());
  });
  return rows;
}

}  // namespace quillmere
