// What the error bars cost. The step's error on the data file of bench/data (14 zones × 1999
// steps) and on the default line: a plain run of the figures, then the same with the two
// coarser runs of the estimate (target: less than one run more). A robust optimum (the
// fastest speed of the default line with residual 2 at most 0.08 at its 95 % bound, the fit's
// uncertainty of Keff, Wi and We) beside the nominal one.
#include <benchmark/benchmark.h>

#include "FitReports.h"
#include "RecordingMessages.h"
#include "analysis/optimise/Optimise.h"
#include "analysis/uncertainty/ExitIntervals.h"
#include "analysis/uncertainty/RobustLimits.h"
#include "analysis/uncertainty/StepError.h"
#include "report/DataFile.h"

namespace quillmere {
namespace {

MemoryFieldTexts Line(bool benchData) {
  MemoryFieldTexts fields('.');
  if (benchData) {
    test::RecordingMessages messages;
    if (!LoadDataFile(std::string(QUILLMERE_BENCH_DATA) + "/fourteen-zones-1999-steps.dat", fields,
                      messages)
             .Ok()) {
      throw std::runtime_error("bench data file not read");
    }
  }
  return fields;
}

void BM_PlainRun(benchmark::State& s) {
  const MemoryFieldTexts fields = Line(s.range(0) == 1);
  FigureModel model('.', std::nullopt);
  for (auto _ : s) benchmark::DoNotOptimize(model.Run(fields));
}
BENCHMARK(BM_PlainRun)->Arg(0)->Arg(1)->Unit(benchmark::kMillisecond);

// The default line at four times its step: what is left of a run when the march is short.
void BM_CoarseRun(benchmark::State& s) {
  const MemoryFieldTexts fields = AtStep(Line(false), 0.4, '.');
  FigureModel model('.', std::nullopt);
  for (auto _ : s) benchmark::DoNotOptimize(model.Run(fields));
}
BENCHMARK(BM_CoarseRun)->Unit(benchmark::kMillisecond);

void BM_RunWithStepError(benchmark::State& s) {
  const MemoryFieldTexts fields = Line(s.range(0) == 1);
  FigureModel model('.', std::nullopt);
  for (auto _ : s) {
    const ExitFigures figures = model.Run(fields);
    benchmark::DoNotOptimize(StepErrorOf(fields, model, figures));
  }
}
BENCHMARK(BM_RunWithStepError)->Arg(0)->Arg(1)->Unit(benchmark::kMillisecond);

void BM_RunWithIntervals(benchmark::State& s) {
  const MemoryFieldTexts fields = Line(false);
  const FitUncertainty fit = ReadFitUncertainty(test::kTwoTrialFitReport, "fit.json");
  FigureModel model('.', std::nullopt);
  for (auto _ : s) {
    const ExitFigures figures = model.Run(fields);
    benchmark::DoNotOptimize(ExitIntervalsOf(fields, model, fit, figures));
  }
}
BENCHMARK(BM_RunWithIntervals)->Unit(benchmark::kMillisecond);

void BM_Optimum(benchmark::State& s) {
  const bool robust = s.range(0) == 1;
  const MemoryFieldTexts base = Line(false);
  OptimiseProblem problem;
  problem.Goal = ParseObjective("Speed", true);
  problem.Free.push_back(ParseFreeInput("Speed=0.3:3"));
  problem.Limits.push_back(ParseLimit("ExitResidual2<=0.08"));
  const FitUncertainty fit = ReadFitUncertainty(test::kTwoTrialFitReport, "fit.json");
  if (robust) {
    problem.Margin = RobustMargin(fit, FittingCentre(fit, base, '.'), 0.1, {}, '.');
  }
  OptimiseOptions options;
  options.ShadowPrices = false;
  double speed = 0;
  for (auto _ : s) {
    OptimiseControl control;
    const OptimiseResult result = Optimise(problem, base, options, control);
    speed = result.Objective;
  }
  s.counters["speed_m_s"] = speed;
}
BENCHMARK(BM_Optimum)->Arg(0)->Arg(1)->Unit(benchmark::kMillisecond)->UseRealTime();

}  // namespace
}  // namespace quillmere

BENCHMARK_MAIN();
