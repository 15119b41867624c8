// The fastest speed of a six-zone line: the speed and the six zones' air temperatures free,
// three limits (the residual of Solvent-1 at the exit, the vapour pressure, the web
// temperature). Reports the wall-clock time of the whole search and its model runs.
#include <benchmark/benchmark.h>

#include <string>

#include "analysis/optimise/Optimise.h"
#include "params/FieldTable.h"
#include "params/MemoryFieldTexts.h"

namespace quillmere {
namespace {

//! Six zones of 10 m (100 increments of z each) at 60 °C, the other inputs at the defaults.
MemoryFieldTexts SixZones() {
  MemoryFieldTexts fields('.');
  for (int zone = 1; zone <= 6; ++zone) {
    fields.SetText(ZoneFieldName(zone, 0), "60");
    fields.SetText(ZoneFieldName(zone, 1), "10");
    for (int i = 2; i < 6; ++i) {
      fields.SetText(ZoneFieldName(zone, i), fields.Text(ZoneFieldName(1, i)));
    }
  }
  return fields;
}

OptimiseProblem FastestSixZoneLine() {
  OptimiseProblem problem;
  problem.Goal = ParseObjective("Speed", true);
  problem.Free.push_back(ParseFreeInput("Speed=0.2:8"));
  for (int zone = 1; zone <= 6; ++zone) {
    problem.Free.push_back(
        ParseFreeInput("Zone" + std::to_string(zone) + ".OuterTemperature=40:200"));
  }
  for (const char* limit : {"ExitResidual1<=0.006", "NoBoiling:0.8", "WebTemperature<=110"}) {
    problem.Limits.push_back(ParseLimit(limit));
  }
  return problem;
}

void BM_FastestSixZoneLine(benchmark::State& state) {
  const MemoryFieldTexts base = SixZones();
  const OptimiseProblem problem = FastestSixZoneLine();
  OptimiseOptions options;
  options.Jobs = static_cast<int>(state.range(0));
  std::size_t runs = 0;
  double speed = 0;
  bool feasible = false;
  for (auto _ : state) {
    OptimiseControl control;
    const OptimiseResult result = Optimise(problem, base, options, control);
    runs = result.Runs;
    speed = result.Objective;
    feasible = result.Feasible;
    benchmark::DoNotOptimize(result);
  }
  state.counters["model_runs"] = static_cast<double>(runs);
  state.counters["speed_m_per_s"] = speed;
  state.counters["feasible"] = feasible ? 1 : 0;
}
BENCHMARK(BM_FastestSixZoneLine)->Arg(1)->Arg(2)->Unit(benchmark::kSecond)->UseRealTime();

}  // namespace
}  // namespace quillmere
