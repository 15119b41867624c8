#include "analysis/sweep/SweepRun.h"

#include <oneapi/tbb/enumerable_thread_specific.h>
#include <oneapi/tbb/global_control.h>
#include <oneapi/tbb/info.h>
#include <oneapi/tbb/parallel_pipeline.h>
#include <oneapi/tbb/task_arena.h>

#include <algorithm>
#include <exception>
#include <filesystem>
#include <memory>
#include <optional>

#include "analysis/FieldValueText.h"
#include "analysis/plant/ZoneAirFromExhaust.h"
#include "base/Text.h"
#include "base/UserMessages.h"
#include "params/AcquireParameters.h"
#include "params/PlantInputs.h"
#include "report/FileIO.h"

namespace quillmere {
namespace {

using Worker = CaseWorker;

//! What the case asks of the run: the Antoine ranges of the solvents the sweep names and the
//! plant figures of its plant inputs, its result file in --results. A case whose plant inputs
//! are refused runs without figures: `plantRefused` tells why.
CaseRequest RequestOf(const SweepGrid& grid, std::size_t caseIndex, const SweepOptions& options,
                      Worker& worker, std::optional<std::string>& plantRefused) {
  CaseRequest request;
  request.Solvents = options.PlantSolvents;
  if (options.PlantSolvents) {
    try {
      request.Plant = AcquirePlantInputs(worker.Fields, options.DecimalSeparator);
    } catch (const Error& error) {
      plantRefused = error.what();
    }
  }
  if (options.ResultDirectory) {
    worker.Fields.SetText(
        "Edit250", CaseResultFileName(*options.ResultDirectory, caseIndex + 1, grid.CaseCount()));
    request.ResultFile.emplace();
  }
  return request;
}

//! The case's result file is written whole: into a temporary file beside it, renamed into
//! place once the case has marched. Where that cannot be created, the steps open the name
//! itself and say why they cannot.
std::optional<StagedOutput> StageCaseFile(CaseRequest& request, const FieldTexts& fields) {
  if (!request.ResultFile) return std::nullopt;
  try {
    StagedOutput file = StagedOutput::Begin(fields.Text("Edit250"), "result file");
    file.Close();
    request.ResultFile->WrittenTo = file.WrittenTo();
    return file;
  } catch (const FileError&) {
    return std::nullopt;
  }
}

//! Settles the air of the zones that follow their exhaust for this case alone (the warnings
//! into `warnings`); returns their humidity fields with the texts to put back after the case,
//! so that the next case starts from the base's, whatever the order of the cases.
std::vector<std::pair<std::string, std::string>> SettleZoneAir(const SweepOptions& options,
                                                               Worker& worker,
                                                               std::vector<std::string>& warnings) {
  std::vector<std::pair<std::string, std::string>> stated;
  if (!options.PlantSolvents) return stated;
  std::optional<PlantInputs> plant;
  try {
    plant = AcquirePlantInputs(worker.Fields, options.DecimalSeparator);
  } catch (const Error&) {
    return stated;  // refused where the plant figures are formed
  }
  if (!plant || !plant->AnyAirFromExhaust()) return stated;
  for (int zone = 1; zone <= kMaxZones; ++zone) {
    if (!plant->AirFromExhaust[zone]) continue;
    for (const std::string& field : ZoneHumidityFields(zone)) {
      stated.emplace_back(field, worker.Fields.Text(field));
    }
  }
  for (std::string& warning :
       ZoneAirFromExhaust(worker.Fields, options.DecimalSeparator, *plant, *options.PlantSolvents,
                          *worker.Params, *worker.State)
           .Warnings) {
    warnings.push_back(std::move(warning));
  }
  return stated;
}

SweepRow RunOneCase(const SweepGrid& grid, std::size_t caseIndex, const SweepOptions& options,
                    Worker& worker) {
  const char separator = options.DecimalSeparator;
  std::vector<double> values = grid.Values(caseIndex);
  for (std::size_t axis = 0; axis < values.size(); ++axis) {
    worker.Fields.SetText(grid.Axes()[axis].Field->name, FieldValueText(values[axis], separator));
  }
  std::vector<std::string> inputWarnings;
  if (std::optional<std::string> unreached = UnreachedZonesWarning(worker.Fields, separator)) {
    inputWarnings.push_back(std::move(*unreached));
  }
  if (std::optional<std::string> ratios = WeightRatioSumWarning(worker.Fields, separator)) {
    inputWarnings.push_back(std::move(*ratios));
  }
  const std::vector<std::pair<std::string, std::string>> statedAir =
      SettleZoneAir(options, worker, inputWarnings);
  std::optional<std::string> plantRefused;
  CaseRequest request = RequestOf(grid, caseIndex, options, worker, plantRefused);
  std::optional<StagedOutput> caseFile = StageCaseFile(request, worker.Fields);
  CaseResult result = RunCase(worker, separator, request);
  std::string resultFileError;
  if (caseFile && result.Marched()) {
    try {
      caseFile->Commit();
    } catch (const FileError& error) {
      resultFileError = error.what();
    }
  }
  if (request.ResultFile && result.Ending == ErrorKind::File) {
    // The file is told in a column of its own; the row keeps what the case computes.
    resultFileError = Joined(result.Messages, " ");
    CaseRequest withoutFile = request;
    withoutFile.ResultFile.reset();
    result = RunCase(worker, separator, withoutFile);
  }
  SweepRow row = SweepRowOf(caseIndex + 1, std::move(values), result, *worker.Params, *worker.State,
                            std::move(inputWarnings));
  row.ResultFileFailed = !resultFileError.empty();
  row.ResultFileError = std::move(resultFileError);
  for (std::string& warning : result.SolventWarnings) row.Warnings.push_back(std::move(warning));
  if (row.Finished && plantRefused) row.Warnings.push_back(std::move(*plantRefused));
  for (std::string& warning : result.LelWarnings()) row.Warnings.push_back(std::move(warning));
  row.Plant = std::move(result.Figures);
  for (const auto& [field, text] : statedAir) worker.Fields.SetText(field, text);
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

std::size_t RunSweep(const SweepGrid& grid, const MemoryFieldTexts& base, SweepCases cases,
                     const SweepOptions& options, SweepControl& control, const SweepRowSink& sink) {
  tbb::enumerable_thread_specific<std::unique_ptr<Worker>> workers(
      [&base] { return std::make_unique<Worker>(base); });
  const int jobs = options.Jobs > 0 ? options.Jobs : DefaultSweepJobs();
  // More threads than cores only when asked for: the library allows no more than it is told.
  std::optional<tbb::global_control> allowed;
  if (jobs > DefaultSweepJobs()) {
    allowed.emplace(tbb::global_control::max_allowed_parallelism, static_cast<std::size_t>(jobs));
  }
  tbb::task_arena arena(jobs);
  std::size_t next = 0;
  std::size_t delivered = 0;
  // What the sink threw: the sweep stops, and the rows in flight pass through unused rather
  // than the pipeline being cancelled, which would leave them undestroyed in its buffers.
  std::exception_ptr sinkFailure;
  arena.execute([&] {
    // One case a token: cases take milliseconds, a stop is seen before the next case starts,
    // and the rows finished out of order wait in at most kRowsInFlightPerJob × jobs tokens.
    tbb::parallel_pipeline(
        kRowsInFlightPerJob * static_cast<std::size_t>(jobs),
        tbb::make_filter<void, std::size_t>(tbb::filter_mode::serial_in_order,
                                            [&](tbb::flow_control& flow) -> std::size_t {
                                              if (next == cases.size() ||
                                                  control.Stop.load(std::memory_order_relaxed)) {
                                                flow.stop();
                                                return 0;
                                              }
                                              return cases[next++];
                                            }) &
            tbb::make_filter<std::size_t, SweepRow>(tbb::filter_mode::parallel,
                                                    [&](std::size_t caseIndex) {
                                                      return RunOneCase(grid, caseIndex, options,
                                                                        *workers.local());
                                                    }) &
            tbb::make_filter<SweepRow, void>(tbb::filter_mode::serial_in_order, [&](SweepRow row) {
              if (sinkFailure) return;
              try {
                sink(std::move(row));
              } catch (...) {
                sinkFailure = std::current_exception();
                control.Stop.store(true);
                return;
              }
              ++delivered;
              control.Done.fetch_add(1, std::memory_order_relaxed);
            }));
  });
  if (sinkFailure) std::rethrow_exception(sinkFailure);
  return delivered;
}

}  // namespace quillmere
