// The plant figures of a whole run of 14 zones of 1999 steps each, from its series (as run and
// the window compute them) and from the state (as a sweep's case does), and the reading of the
// shipped solvent library that every run and template takes.
#include <benchmark/benchmark.h>

#include <memory>

#include "SilentMessages.h"
#include "analysis/plant/PlantFigures.h"
#include "params/AcquireParameters.h"
#include "params/FieldTable.h"
#include "params/MemoryFieldTexts.h"
#include "report/SolventLibrary.h"
#include "sim/DryerMarch.h"
#include "sim/RunSeries.h"

namespace quillmere {
namespace {

//! Fourteen zones of 199.9 m at the default increment of 0.1 m, marched once, on a 1.5 m web.
struct PlantRun {
  MemoryFieldTexts fields;
  std::unique_ptr<ParameterSet> params = std::make_unique<ParameterSet>();
  std::unique_ptr<SimulationState> state = std::make_unique<SimulationState>();
  RunRecord record;
  RunSeries series;
  PlantInputs plant;
  std::array<PlantSolvent, 2> solvents{PlantSolvent{"MEK", 1.4, true, std::nullopt},
                                       PlantSolvent{"Toluene", 1.1, true, std::nullopt}};

  PlantRun() {
    for (int zone = 1; zone <= kMaxZones; ++zone) {
      const char* texts[] = {"60.0", "199.9", "0.0", "0.0", "0.022", "0.055"};
      for (int i = 0; i < 6; ++i) fields.SetText(ZoneFieldName(zone, i), texts[i]);
    }
    plant.WebWidth = 1.5;
    SilentMessages messages;
    if (AcquireParameters(fields, messages, '.', *params, state->EntryTemperature()).Ok()) {
      record = MarchThroughDryer(*params, *state);
      series = CollectRunSeries(*params, *state, record);
    }
  }
};

void BM_PlantFiguresOfSeriesFourteenZonesOf1999Steps(benchmark::State& bench) {
  const PlantRun run;
  if (!run.record.Finished()) bench.SkipWithError("the run did not finish");
  for (auto _ : bench) {
    benchmark::DoNotOptimize(PlantFiguresOf(*run.params, run.plant, run.solvents, run.series));
  }
}
BENCHMARK(BM_PlantFiguresOfSeriesFourteenZonesOf1999Steps)->Unit(benchmark::kMicrosecond);

void BM_PlantFiguresOfStateFourteenZonesOf1999Steps(benchmark::State& bench) {
  const PlantRun run;
  if (!run.record.Finished()) bench.SkipWithError("the run did not finish");
  for (auto _ : bench) {
    benchmark::DoNotOptimize(
        PlantFiguresOf(*run.params, run.plant, run.solvents, *run.state, run.record));
  }
}
BENCHMARK(BM_PlantFiguresOfStateFourteenZonesOf1999Steps)->Unit(benchmark::kMicrosecond);

void BM_ShippedSolventLibrary(benchmark::State& bench) {
  for (auto _ : bench) benchmark::DoNotOptimize(ShippedSolvents());
}
BENCHMARK(BM_ShippedSolventLibrary)->Unit(benchmark::kMicrosecond);

}  // namespace
}  // namespace quillmere
