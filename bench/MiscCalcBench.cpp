// The drying model: one surface humidity evaluation, and one zone of the most steps a zone
// can take, from the default entry state.
#include <benchmark/benchmark.h>

#include <memory>

#include "SilentMessages.h"
#include "params/AcquireParameters.h"
#include "params/MemoryFieldTexts.h"
#include "sim/MiscCalc.h"

namespace quillmere {
namespace {

struct DefaultModel {
  DefaultModel() {
    MemoryFieldTexts fields;
    SilentMessages messages;
    fields.SetText("Edit9", "199.9");
    AcquireParameters(fields, messages, '.', *params, state->EntryTemperature()).Ok();
    InitialiseSimulation(*params, *state);
  }
  std::unique_ptr<ParameterSet> params = std::make_unique<ParameterSet>();
  std::unique_ptr<SimulationState> state = std::make_unique<SimulationState>();
};

void BM_SurfaceHumidities(benchmark::State& run) {
  const DefaultModel model;
  const ParameterSet& p = *model.params;
  double temperature = 15.0;
  for (auto _ : run) {
    Humidities surface = WebSurfaceHumidities(p, temperature, 0.0417, 0.01529);
    benchmark::DoNotOptimize(surface);
    benchmark::ClobberMemory();
  }
}
BENCHMARK(BM_SurfaceHumidities);

// Reported per step: the time of the zone divided by its 1999 steps.
void BM_IntegrateZone1999Steps(benchmark::State& run) {
  DefaultModel model;
  for (auto _ : run) {
    IntegrateZone(*model.params, *model.state, 1, 1999);
    benchmark::DoNotOptimize(model.state->Trace.Temperature[1][1999]);
  }
  run.SetItemsProcessed(run.iterations() * 1999);
}
BENCHMARK(BM_IntegrateZone1999Steps)->Unit(benchmark::kMicrosecond);

}  // namespace
}  // namespace quillmere
