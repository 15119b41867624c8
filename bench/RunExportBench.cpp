// The exports of a whole run of 14 zones of 1999 steps each (28 000 points), and the scan of
// its zones for physical warnings that every march does.
#include <benchmark/benchmark.h>

#include <memory>

#include "SilentMessages.h"
#include "params/AcquireParameters.h"
#include "params/FieldTable.h"
#include "params/MemoryFieldTexts.h"
#include "report/RunExport.h"
#include "sim/DryerMarch.h"
#include "sim/PhysicalWarnings.h"
#include "sim/RunSeries.h"

namespace quillmere {
namespace {

constexpr int kPoints = kMaxZones * 2000;

//! Fourteen zones of 199.9 m at the default increment of 0.1 m, marched once.
struct FourteenZoneRun {
  MemoryFieldTexts fields;
  std::unique_ptr<ParameterSet> params = std::make_unique<ParameterSet>();
  std::unique_ptr<SimulationState> state = std::make_unique<SimulationState>();
  RunRecord record;
  RunSeries series;

  FourteenZoneRun() {
    for (int zone = 1; zone <= kMaxZones; ++zone) {
      const char* texts[] = {"60.0", "199.9", "0.0", "0.0", "0.022", "0.055"};
      for (int i = 0; i < 6; ++i) fields.SetText(ZoneFieldName(zone, i), texts[i]);
    }
    SilentMessages messages;
    if (AcquireParameters(fields, messages, '.', *params, state->EntryTemperature()).Ok()) {
      record = MarchThroughDryer(*params, *state);
      series = CollectRunSeries(*params, *state, record);
    }
  }
  bool Finished() const { return record.Finished() && series.Points.size() == kPoints; }
};

void BM_RunCsvFourteenZonesOf1999Steps(benchmark::State& bench) {
  const FourteenZoneRun run;
  if (!run.Finished()) bench.SkipWithError("the run did not finish");
  std::size_t bytes = 0;
  for (auto _ : bench) {
    const std::string csv = RunCsv(run.series);
    bytes = csv.size();
    benchmark::DoNotOptimize(csv.data());
  }
  bench.SetItemsProcessed(bench.iterations() * kPoints);
  bench.SetBytesProcessed(bench.iterations() * static_cast<std::int64_t>(bytes));
}
BENCHMARK(BM_RunCsvFourteenZonesOf1999Steps)->Unit(benchmark::kMillisecond);

void BM_RunJsonFourteenZonesOf1999Steps(benchmark::State& bench) {
  const FourteenZoneRun run;
  if (!run.Finished()) bench.SkipWithError("the run did not finish");
  for (auto _ : bench) {
    const std::string json =
        RunJson(run.fields, '.', *run.params, run.state->EntryTemperature(), run.series);
    benchmark::DoNotOptimize(json.data());
  }
  bench.SetItemsProcessed(bench.iterations() * kPoints);
}
BENCHMARK(BM_RunJsonFourteenZonesOf1999Steps)->Unit(benchmark::kMillisecond);

void BM_CollectRunSeriesFourteenZonesOf1999Steps(benchmark::State& bench) {
  const FourteenZoneRun run;
  if (!run.Finished()) bench.SkipWithError("the run did not finish");
  for (auto _ : bench) {
    const RunSeries series = CollectRunSeries(*run.params, *run.state, run.record);
    benchmark::DoNotOptimize(series.Points.data());
  }
  bench.SetItemsProcessed(bench.iterations() * kPoints);
}
BENCHMARK(BM_CollectRunSeriesFourteenZonesOf1999Steps)->Unit(benchmark::kMillisecond);

// What the warnings add to every march: one scan of each finished zone.
void BM_PhysicalWarningsFourteenZonesOf1999Steps(benchmark::State& bench) {
  const FourteenZoneRun run;
  if (!run.Finished()) bench.SkipWithError("the run did not finish");
  for (auto _ : bench) {
    RunRecord record;
    record.ZoneCount = run.params->ZoneCount;
    for (int zone = 1; zone <= kMaxZones; ++zone) {
      const ZoneView view(*run.params, *run.state, zone);
      record.ZoneExits.push_back(run.record.ZoneExits[static_cast<std::size_t>(zone - 1)]);
      AppendZoneWarnings(*run.params, *run.state, view, record);
    }
    benchmark::DoNotOptimize(record.Warnings.data());
  }
  bench.SetItemsProcessed(bench.iterations() * kPoints);
}
BENCHMARK(BM_PhysicalWarningsFourteenZonesOf1999Steps)->Unit(benchmark::kMicrosecond);

}  // namespace
}  // namespace quillmere
