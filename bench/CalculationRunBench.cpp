// Whole calculations of 14 zones of 1999 steps each (28,000 steps, a result file of 2.2 MB):
// the march alone, as a sweep or a fit runs it; the run with its result file; and the run as
// the command line does it, from reading the data file to printing the summary.
#include <benchmark/benchmark.h>

#include <cstdio>
#include <filesystem>
#include <memory>
#include <sstream>
#include <string>

#include "SilentMessages.h"
#include "cli/CommandLine.h"
#include "params/AcquireParameters.h"
#include "params/FieldTable.h"
#include "params/MemoryFieldTexts.h"
#include "report/CalculationRun.h"
#include "report/ResultFile.h"
#include "sim/DryerMarch.h"
#include "sim/TraceView.h"

namespace quillmere {
namespace {

constexpr int kSteps = kMaxZones * 1999;

MemoryFieldTexts FourteenFullZones() {
  MemoryFieldTexts fields;
  for (int zone = 1; zone <= kMaxZones; ++zone) {
    const char* texts[] = {"60.0", "199.9", "0.0", "0.0", "0.022", "0.055"};
    for (int i = 0; i < 6; ++i) fields.SetText(ZoneFieldName(zone, i), texts[i]);
  }
  return fields;
}

std::string ScratchFile(const char* name) {
  return (std::filesystem::temp_directory_path() / name).string();
}

//! The inputs of the 14 full zones, acquired, and a state to march them on.
struct AcquiredFourteenZones {
  AcquiredFourteenZones() {
    SilentMessages messages;
    AcquireParameters(FourteenFullZones(), messages, '.', *params, state->EntryTemperature()).Ok();
  }
  std::unique_ptr<ParameterSet> params = std::make_unique<ParameterSet>();
  std::unique_ptr<SimulationState> state = std::make_unique<SimulationState>();
};

// Reported as steps per second.
void BM_MarchFourteenZonesOf1999Steps(benchmark::State& run) {
  const AcquiredFourteenZones in;
  for (auto _ : run) {
    const RunRecord record = MarchThroughDryer(*in.params, *in.state);
    if (!record.Finished()) {
      run.SkipWithError("the march did not finish");
      break;
    }
    benchmark::DoNotOptimize(record.ZoneExits.back().Temperature);
  }
  run.SetItemsProcessed(run.iterations() * kSteps);
}
BENCHMARK(BM_MarchFourteenZonesOf1999Steps)->Unit(benchmark::kMillisecond);

void BM_RunFourteenZonesOf1999Steps(benchmark::State& run) {
  MemoryFieldTexts fields = FourteenFullZones();
  const std::string file = ScratchFile("quillmere-bench-result.txt");
  fields.SetText("Edit250", file);
  SilentMessages messages;
  auto params = std::make_unique<ParameterSet>();
  auto state = std::make_unique<SimulationState>();
  for (auto _ : run) {
    if (!RunCalculation(fields, messages, '.', *params, *state).Finished()) {
      run.SkipWithError("the run did not finish");
      break;
    }
  }
  run.SetItemsProcessed(run.iterations() * kSteps);
  std::remove(file.c_str());
}
BENCHMARK(BM_RunFourteenZonesOf1999Steps)->Unit(benchmark::kMillisecond);

// One zone's table of 2000 rows formatted, what the result file's writer does for each zone
// while the march integrates the next one (reported as rows per second).
void BM_ZoneTableOf1999Steps(benchmark::State& run) {
  const AcquiredFourteenZones in;
  if (!MarchThroughDryer(*in.params, *in.state).Finished()) {
    run.SkipWithError("the march did not finish");
    return;
  }
  const ZoneView zone(*in.params, *in.state, 7);
  std::string text;
  for (auto _ : run) {
    text.clear();
    AppendZoneTableText(text, zone, '.');
    benchmark::DoNotOptimize(text.data());
  }
  run.SetItemsProcessed(run.iterations() * (zone.Steps() + 1));
}
BENCHMARK(BM_ZoneTableOf1999Steps)->Unit(benchmark::kMicrosecond);

// quillmere-cli run DATAFILE -o RESULT, in the process: all but starting the program.
void BM_CommandLineRunFourteenZonesOf1999Steps(benchmark::State& run) {
  const std::string file = ScratchFile("quillmere-bench-cli-result.txt");
  const std::string data = QUILLMERE_BENCH_DATA "/fourteen-zones-1999-steps.dat";
  const char* argv[] = {"quillmere-cli", "--decimal-separator", ".", "run", data.c_str(), "-o",
                        file.c_str()};
  for (auto _ : run) {
    std::ostringstream out;
    std::ostringstream err;
    if (RunCommandLine(7, argv, out, err) != kExitFinished) {
      run.SkipWithError(err.str().c_str());
      break;
    }
  }
  run.SetItemsProcessed(run.iterations() * kSteps);
  std::remove(file.c_str());
}
BENCHMARK(BM_CommandLineRunFourteenZonesOf1999Steps)->Unit(benchmark::kMillisecond);

}  // namespace
}  // namespace quillmere
