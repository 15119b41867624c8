// A robust optimum holds its limit at the upper confidence bound: checked against the
// intervals that a run at the optimum gives, independently of the margin the search used.
#include "analysis/uncertainty/RobustLimits.h"

#include <gtest/gtest.h>

#include "FitReports.h"
#include "analysis/FieldValueText.h"
#include "analysis/uncertainty/ExitIntervals.h"

namespace quillmere {
namespace {

//! The one-sided 95 % bound of the exit residual ratio 2 at `speed`, linearised as the search's
//! margins are (near the correction factor's knee the sampled interval, which the run reports,
//! reaches a little further: 0.08013 at the robust optimum).
double UpperBoundAt(double speed, const FitUncertainty& fit) {
  MemoryFieldTexts fields('.');
  fields.SetText("Edit6", FieldValueText(speed, '.'));
  FigureModel model('.', std::nullopt);
  const ExitFigures nominal = model.Run(fields);
  const ExitIntervals intervals = ExitIntervalsOf(fields, model, fit, nominal, 0.90);
  for (const FigureInterval& f : intervals.Figures) {
    if (f.Figure.Kind == FigureKind::Residual2 && f.Figure.Zone == 2) {
      return f.Figure.Value + fit.Factor(0.90) * f.StandardError;
    }
  }
  ADD_FAILURE() << "no exit residual 2";
  return 0;
}

// The fastest speed of the default line with ExitResidual2<=0.08: the robust one is slower, its
// residual's 95 % bound sits on the limit; the nominal one's bound is over it.
TEST(RobustLimits, TheLimitHoldsAtItsConfidenceBound) {
  const FitUncertainty fit = ReadFitUncertainty(test::kTwoTrialFitReport, "fit.json");
  const MemoryFieldTexts base('.');
  OptimiseProblem problem;
  problem.Goal = ParseObjective("Speed", true);
  problem.Free.push_back(ParseFreeInput("Speed=0.3:3"));
  problem.Limits.push_back(ParseLimit("ExitResidual2<=0.08"));
  OptimiseOptions options;
  options.ShadowPrices = false;
  OptimiseControl control;
  const OptimiseResult nominal = Optimise(problem, base, options, control);
  problem.Margin = RobustMargin(fit, FittingCentre(fit, base, '.'), 0.1, {}, '.');
  const OptimiseResult robust = Optimise(problem, base, options, control);
  ASSERT_TRUE(nominal.Feasible);
  ASSERT_TRUE(robust.Feasible);
  EXPECT_LT(robust.Objective, nominal.Objective);
  const double bound = UpperBoundAt(robust.Objective, fit);
  EXPECT_LE(bound, 0.08 * (1 + 1e-4));
  EXPECT_GE(bound, 0.08 * (1 - 1e-3));  // binding: no speed left on the table
  EXPECT_GT(UpperBoundAt(nominal.Objective, fit), 0.08 * 1.01);
  // To 0.01 m/s: the last digit is where the search stops polishing (1.888 before its restarts,
  // 1.885 after); that the limit binds at its bound is checked above.
  EXPECT_EQ(RobustCostText(problem, nominal, robust, {}).substr(0, 58),
            "Robust optimum (every limit at its 95 % bound): Speed 1.88");
}

}  // namespace
}  // namespace quillmere
