// A whole fit: five fitting parameters (Keff, Wi, We, Wx, Wy) to two trials of two 10 m zones
// with 40 noisy measurements, from the default values, with the default global search (24
// starts) and the profile intervals; and the search alone. Reports the wall time of a fit and
// the model runs it takes.
#include <benchmark/benchmark.h>

#include <random>

#include "FitTrials.h"
#include "analysis/fit/Fit.h"

namespace quillmere {
namespace {

void BM_FitFiveParametersToTwoTrials(benchmark::State& run) {
  std::mt19937 random(5);
  const std::vector<FitTrial> trials = test::TwoTrials(&random, true);
  FitOptions options;
  options.Profiles = run.range(0) != 0;
  long runs = 0;
  for (auto _ : run) {
    Fit fit(trials, ParseFreeParameters({"Keff,Wi,We,Wx,Wy"}), options);
    const FitResult result = fit.Solve();
    if (!result.Converged) {
      run.SkipWithError("the fit did not converge");
      break;
    }
    runs = result.ModelRuns;
    benchmark::DoNotOptimize(result.Parameters.front().Fitted);
  }
  run.counters["model_runs"] = static_cast<double>(runs);
  run.counters["runs_per_second"] =
      benchmark::Counter(static_cast<double>(runs), benchmark::Counter::kIsIterationInvariantRate);
}
BENCHMARK(BM_FitFiveParametersToTwoTrials)
    ->ArgName("profiles")
    ->Arg(1)
    ->Arg(0)
    ->Unit(benchmark::kMillisecond)
    ->UseRealTime();

}  // namespace
}  // namespace quillmere
