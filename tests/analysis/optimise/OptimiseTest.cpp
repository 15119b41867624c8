// The search against an exhaustive answer, the limits it names as binding and where, a problem
// without a feasible setting, and a result that does not depend on the threads.
#include "analysis/optimise/Optimise.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <memory>
#include <string>

#include "TestSupport.h"
#include "analysis/CaseRun.h"
#include "analysis/optimise/OptimiseReport.h"
#include "sim/RunSeries.h"

namespace quillmere {
namespace {

//! Two zones of 10 m (100 increments of z each) with the other inputs at the defaults.
MemoryFieldTexts ShortLine() {
  MemoryFieldTexts fields('.');
  fields.SetText("Edit9", "10");
  fields.SetText("Edit22", "10");
  return fields;
}

OptimiseProblem Problem(const char* objective, std::initializer_list<const char*> free,
                        std::initializer_list<const char*> limits) {
  OptimiseProblem problem;
  problem.Goal = ParseObjective(objective, true);
  for (const char* text : free) problem.Free.push_back(ParseFreeInput(text));
  for (const char* text : limits) problem.Limits.push_back(ParseLimit(text));
  return problem;
}

//! What a run of `fields` gives, computed from the run's series as the curves window shows it,
//! not by the optimiser's own evaluation.
struct Checked {
  bool finished = false;
  double exitResidual1 = 0;
  double highestVapourPressure = 0;  //!< [mmHg]
};

Checked CheckRun(const MemoryFieldTexts& fields, test::Model& model) {
  const CaseResult run = RunCase(fields, '.', *model.params, *model.state);
  Checked checked;
  if (!run.Finished()) return checked;
  checked.finished = true;
  checked.exitResidual1 = run.Record.ZoneExits.back().Solvent1Residual;
  const RunSeries series = CollectRunSeries(*model.params, *model.state, run.Record);
  for (const SeriesPoint& p : series.Points) {
    if (p.SurfaceKnown) {
      checked.highestVapourPressure =
          std::max(checked.highestVapourPressure, p.SurfaceVapourPressure);
    }
  }
  return checked;
}

// Speed and the two zones' air temperatures free, the residual of Solvent-1 at most 0.008 and
// the vapour pressure at most 70 % of 760 mmHg (532 mmHg). The grid: speeds every 0.1 m/s, air
// temperatures every 25 K; its best feasible speed is a lower bound of the optimum, and the
// optimum can beat it by little more than the grid's spacing.
TEST(Optimise, AtLeastAsFastAsTheBestFeasiblePointOfAFineGrid) {
  const MemoryFieldTexts base = ShortLine();
  const OptimiseProblem problem = Problem(
      "Speed", {"Speed=0.2:6", "Zone1.OuterTemperature=40:240", "Zone2.OuterTemperature=40:240"},
      {"ExitResidual1<=0.008", "NoBoiling:0.7"});
  double gridBest = 0;
  test::Model model;
  for (int s = 2; s <= 60; ++s) {
    for (int t1 = 40; t1 <= 240; t1 += 25) {
      for (int t2 = 40; t2 <= 240; t2 += 25) {
        MemoryFieldTexts fields = base;
        fields.SetText("Edit6", std::to_string(s / 10) + "." + std::to_string(s % 10));
        fields.SetText("Edit8", std::to_string(t1));
        fields.SetText("Edit21", std::to_string(t2));
        const Checked c = CheckRun(fields, model);
        if (c.finished && c.exitResidual1 <= 0.008 && c.highestVapourPressure <= 0.7 * 760) {
          gridBest = std::max(gridBest, s / 10.0);
        }
      }
    }
  }
  ASSERT_GT(gridBest, 0.0);
  OptimiseOptions options;
  options.Jobs = 2;
  OptimiseControl control;
  const OptimiseResult result = Optimise(problem, base, options, control);
  ASSERT_TRUE(result.Feasible);
  EXPECT_GE(result.Values[0], gridBest) << "grid " << gridBest;
  EXPECT_LE(result.Values[0], gridBest + 0.2);
  EXPECT_EQ(result.Objective, result.Values[0]);
  // The optimum on its own, as the data file -o writes would run it.
  const Checked alone = CheckRun(SettingFields(problem, base, result.Values, '.'), model);
  ASSERT_TRUE(alone.finished);
  EXPECT_LE(alone.exitResidual1, 0.008);
  EXPECT_LE(alone.highestVapourPressure, 0.7 * 760);
  EXPECT_FALSE(result.ReachedBy.empty());
  EXPECT_EQ(result.Runs, control.Runs.load());
}

// Zone 1's air may reach 200 °C, but the vapour pressure may not exceed 60 % of 760 mmHg: the
// coating's surface in zone 1 decides how fast the line can run.
TEST(Optimise, NamesBoilingAsBindingWithItsZone) {
  const OptimiseProblem problem = Problem("Speed", {"Speed=0.2:4", "Zone1.OuterTemperature=40:200"},
                                          {"ExitResidual1<=0.02", "NoBoiling:0.6"});
  OptimiseOptions options;
  options.Starts = 4;
  options.Jobs = 2;
  OptimiseControl control;
  const OptimiseResult result = Optimise(problem, ShortLine(), options, control);
  ASSERT_TRUE(result.Feasible);
  ASSERT_EQ(result.Limits.size(), 2u);
  const LimitAtOptimum& boiling = result.Limits[1];
  EXPECT_TRUE(boiling.Binding);
  EXPECT_EQ(boiling.Place.Zone, 1);
  EXPECT_GT(boiling.Place.ZonePosition, 0.0);
  EXPECT_LE(boiling.Place.ZonePosition, 10.0);
  EXPECT_GE(boiling.Margin, 0.0);
  ASSERT_TRUE(boiling.ShadowGain);
  EXPECT_GT(*boiling.ShadowGain, 0.0);
  EXPECT_EQ(LimitPlaceText(boiling).rfind("the coating would boil in zone 1 at ", 0), 0u)
      << LimitPlaceText(boiling);
  const std::string report = OptimiseReportText(problem, result);
  EXPECT_NE(report.find("NoBoiling:0.6: "), std::string::npos) << report;
  EXPECT_NE(report.find("binding: the coating would boil in zone 1"), std::string::npos) << report;
}

// Solvent-2 stops drying at the equilibrium fraction We, near 7 % of what it brings in: a
// residual ratio of 0.002 cannot be met at any setting.
TEST(Optimise, SaysWhichLimitAnInfeasibleProblemMisses) {
  const OptimiseProblem problem = Problem("Speed", {"Speed=0.2:4", "Zone1.OuterTemperature=40:200"},
                                          {"ExitResidual2<=0.002", "WebTemperature<=150"});
  OptimiseOptions options;
  options.Starts = 3;
  options.Jobs = 2;
  OptimiseControl control;
  const OptimiseResult result = Optimise(problem, ShortLine(), options, control);
  EXPECT_FALSE(result.Feasible);
  EXPECT_TRUE(result.AnyFinished);
  ASSERT_EQ(result.Limits.size(), 2u);
  EXPECT_LT(result.Limits[0].Margin, 0.0);
  EXPECT_GE(result.Limits[1].Margin, 0.0);
  const std::string report = OptimiseReportText(problem, result);
  EXPECT_EQ(report.rfind("No setting found that meets every limit", 0), 0u) << report;
  EXPECT_NE(report.find("Cannot be met within the free inputs' ranges (missed at the end of every "
                        "local search): ExitResidual2<=0.002.\n"),
            std::string::npos)
      << report;
  // A limit named as one that cannot be met is missed at the end of every local search.
  ASSERT_EQ(result.MissedEverywhere.size(), 2u);
  EXPECT_TRUE(result.MissedEverywhere[0]);
  EXPECT_FALSE(result.MissedEverywhere[1]);
  for (const StartOutcome& start : result.Starts) {
    ASSERT_EQ(start.Missed.size(), 2u);
    EXPECT_TRUE(start.Missed[0]);
  }
}

// A free input whose range holds the value the line runs already adds settings to choose
// from, and a looser limit allows more: the answer is never worse than without them.
TEST(Optimise, AFreeInputWhoseRangeHoldsItsValueNeverWorsensTheAnswer) {
  MemoryFieldTexts base = ShortLine();
  base.SetText("Edit8", "90");
  base.SetText("Edit21", "70");
  const std::pair<const char*, const char*> added[] = {
      {"Zone2.OuterTemperature=40:200", "70 °C"},
      {"Zone2.ZoneLength=5:15", "10 m"},
      {"Zone1.HeatTransferUpper=0.01:0.1", "the default"},
  };
  OptimiseOptions options;
  options.Jobs = 2;
  options.ShadowPrices = false;
  const OptimiseProblem fewer =
      Problem("Speed", {"Speed=0.2:6", "Zone1.OuterTemperature=40:200"},
              {"ExitResidual1<=0.008", "NoBoiling:0.7", "WebTemperature<=80"});
  OptimiseControl control;
  const OptimiseResult without = Optimise(fewer, base, options, control);
  ASSERT_TRUE(without.Feasible);
  for (const auto& [free, holds] : added) {
    OptimiseProblem more = fewer;
    more.Free.push_back(ParseFreeInput(free));
    OptimiseControl moreControl;
    const OptimiseResult with = Optimise(more, base, options, moreControl);
    ASSERT_TRUE(with.Feasible) << free;
    EXPECT_GE(with.Objective, without.Objective * (1 - 1e-6)) << free << " holding " << holds;
  }
  // Nor does loosening a limit worsen it.
  OptimiseProblem looser = fewer;
  looser.Limits[0] = ParseLimit("ExitResidual1<=0.009");
  OptimiseControl looserControl;
  const OptimiseResult loosened = Optimise(looser, base, options, looserControl);
  ASSERT_TRUE(loosened.Feasible);
  EXPECT_GE(loosened.Objective, without.Objective * (1 - 1e-6));
}

// A search cut short (a handful of runs, no restarts) may end inside the box with no limit
// binding: such an answer is never called an optimum, and the report says why.
TEST(Optimise, AnInteriorAnswerWithoutABindingLimitIsNoOptimum) {
  const OptimiseProblem problem = Problem("Speed", {"Speed=0.2:6", "Zone1.OuterTemperature=40:200"},
                                          {"ExitResidual1<=0.008", "NoBoiling:0.7"});
  for (const int maxRuns : {10, 15, 400}) {
    OptimiseOptions options;
    options.Jobs = 2;
    options.Starts = 1;
    options.DesignPoints = 4;
    options.MaxRounds = maxRuns == 400 ? 12 : 0;
    options.MaxRunsPerStart = maxRuns;
    options.ShadowPrices = false;
    OptimiseControl control;
    const OptimiseResult result = Optimise(problem, ShortLine(), options, control);
    if (!result.Feasible) continue;
    const bool binding = std::any_of(result.Limits.begin(), result.Limits.end(),
                                     [](const LimitAtOptimum& l) { return l.Binding; });
    bool interior = false;
    for (std::size_t i = 0; i < problem.Free.size(); ++i) {
      const FreeInput& f = problem.Free[i];
      interior = interior || (result.Values[i] > f.Low + 1e-3 * (f.High - f.Low) &&
                              result.Values[i] < f.High - 1e-3 * (f.High - f.Low));
    }
    if (!binding && interior) {
      EXPECT_FALSE(result.Doubts.empty()) << maxRuns;
    }
    if (maxRuns < 400) {
      EXPECT_FALSE(result.Doubts.empty()) << maxRuns;  // its restarts never ran
      const std::string report = OptimiseReportText(problem, result);
      EXPECT_EQ(report.rfind("Best setting found, not shown to be the optimum: ", 0), 0u) << report;
    } else {
      EXPECT_TRUE(result.Doubts.empty()) << result.Doubts.front();
    }
  }
}

// Settings whose run the inputs refuse (a negative zone length) are infeasible points the
// search turns away from; the same answer comes from one thread as from two.
TEST(Optimise, RefusedRunsAreInfeasibleAndTheThreadsDoNotMatter) {
  const OptimiseProblem problem =
      Problem("Speed", {"Speed=0.2:4", "Zone2.ZoneLength=-10:10"}, {"ExitResidual1<=0.02"});
  OptimiseOptions options;
  options.Starts = 4;
  options.ShadowPrices = false;
  std::vector<OptimiseResult> results;
  for (const int jobs : {1, 2}) {
    options.Jobs = jobs;
    OptimiseControl control;
    results.push_back(Optimise(problem, ShortLine(), options, control));
  }
  ASSERT_TRUE(results[0].Feasible);
  EXPECT_EQ(results[0].Values, results[1].Values);
  EXPECT_EQ(results[0].Runs, results[1].Runs);
  EXPECT_EQ(OptimiseReportJson(problem, results[0]).substr(0, 200),
            OptimiseReportJson(problem, results[1]).substr(0, 200));
  EXPECT_GT(results[0].Values[1], 0.0);  // a positive length
}

// A stop ends every local search at its next run.
TEST(Optimise, StopsWhenAsked) {
  const OptimiseProblem problem = Problem("Speed", {"Speed=0.2:4"}, {"ExitResidual1<=0.02"});
  OptimiseOptions options;
  options.Jobs = 1;
  OptimiseControl control;
  control.Stop = true;
  const OptimiseResult result = Optimise(problem, ShortLine(), options, control);
  EXPECT_TRUE(result.Stopped);
  EXPECT_FALSE(result.Feasible);
}

}  // namespace
}  // namespace quillmere
