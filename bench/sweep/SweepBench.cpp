// Cases per second of a sweep, on one thread and on every core: the default inputs (two zones
// of 300 steps) and fourteen zones of 1999 steps each. Counters: items_per_second = cases/s.
#include <benchmark/benchmark.h>

#include "analysis/sweep/SweepRun.h"
#include "params/FieldTable.h"
#include "params/MemoryFieldTexts.h"

namespace quillmere {
namespace {

void RunCases(benchmark::State& run, const MemoryFieldTexts& base, const char* vary) {
  const SweepGrid grid({ParseSweepAxis(vary)});
  const SweepCases cases = ShardCases(grid.CaseCount(), {1, 1});
  SweepOptions options;
  options.Jobs = static_cast<int>(run.range(0));
  for (auto _ : run) {
    SweepControl control;
    bool lastFinished = false;
    RunSweep(grid, base, cases, options, control,
             [&lastFinished](SweepRow&& row) { lastFinished = row.Finished; });
    if (!lastFinished) {
      run.SkipWithError("a case did not finish");
      break;
    }
  }
  run.SetItemsProcessed(run.iterations() * static_cast<std::int64_t>(grid.CaseCount()));
}

void BM_SweepDefaultCases(benchmark::State& run) {
  RunCases(run, MemoryFieldTexts('.'), "Keff=0.2:0.5:256");
}

void BM_SweepFourteenZonesOf1999Steps(benchmark::State& run) {
  MemoryFieldTexts fields('.');
  for (int zone = 1; zone <= kMaxZones; ++zone) {
    const char* texts[] = {"60.0", "199.9", "0.0", "0.0", "0.022", "0.055"};
    for (int i = 0; i < 6; ++i) fields.SetText(ZoneFieldName(zone, i), texts[i]);
  }
  RunCases(run, fields, "Keff=0.2:0.5:16");
}

// One job, two jobs, and one per core.
void Jobs(benchmark::internal::Benchmark* b) {
  b->Arg(1)->Arg(2);
  if (DefaultSweepJobs() > 2) b->Arg(DefaultSweepJobs());
  b->UseRealTime()->Unit(benchmark::kMillisecond);
}

BENCHMARK(BM_SweepDefaultCases)->Apply(Jobs);
BENCHMARK(BM_SweepFourteenZonesOf1999Steps)->Apply(Jobs);

}  // namespace
}  // namespace quillmere
