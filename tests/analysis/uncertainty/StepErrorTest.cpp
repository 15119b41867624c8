// The step's error: Richardson's estimate from the figures at h, 2h and 4h, and, for the
// default inputs, its agreement with a run at a quarter of the step.
#include "analysis/uncertainty/StepError.h"

#include <gtest/gtest.h>

#include <cmath>

#include "base/NumberText.h"

namespace quillmere {
namespace {

struct EstimateCase {
  const char* name;
  double atStep, atTwice, atFourTimes;
  StepErrorStatus status;
  double error;  // the extrapolated value minus the value at h, where estimated
};

// Values made by hand: f(h) = 1 − c·h^p at h = 1, 2, 4 (so the order is p exactly).
TEST(StepError, RichardsonFromThreeSteps) {
  const EstimateCase cases[] = {
      // p = 1, c = 0.01: f* = 1, error of f(h) = +0.01.
      {"first order", 0.99, 0.98, 0.96, StepErrorStatus::Estimated, 0.01},
      // p = 1 falling the other way.
      {"first order from above", 1.01, 1.02, 1.04, StepErrorStatus::Estimated, -0.01},
      // p = 2: a second-order figure is not what the march's order says it should be.
      {"second order", 0.99, 0.96, 0.84, StepErrorStatus::NotAsymptotic, 0},
      // p = 0.5: far from the asymptotic range.
      {"half order", 0.99, 0.98586, 0.98, StepErrorStatus::NotAsymptotic, 0},
      // The differences change sign: no order at all.
      {"oscillating", 0.99, 0.98, 0.99, StepErrorStatus::NotAsymptotic, 0},
      // The step changes nothing but the last bits.
      {"converged", 60.0, 60.0 + 1e-12, 60.0 - 1e-12, StepErrorStatus::Converged, 0},
  };
  for (const EstimateCase& c : cases) {
    SCOPED_TRACE(c.name);
    const FigureStepError e =
        FigureStepErrorFrom({FigureKind::Residual1, 2, c.atStep}, c.atTwice, c.atFourTimes);
    EXPECT_EQ(e.Status, c.status);
    if (c.status == StepErrorStatus::Estimated) {
      EXPECT_NEAR(*e.Order, 1.0, 1e-9);
      EXPECT_NEAR(e.Error, c.error, 1e-12);
      EXPECT_NEAR(e.Extrapolated, c.atStep + c.error, 1e-12);
    }
  }
}

// The band of first order is closed at both ends: 0.7 and 1.4 are in it, just outside is not.
TEST(StepError, FirstOrderBandEnds) {
  const auto withOrder = [](double p) {
    // f(h) − f(2h) = 0.001, f(2h) − f(4h) = 0.001·2^p.
    return FigureStepErrorFrom({FigureKind::Residual2, 1, 0.5}, 0.499,
                               0.499 - 0.001 * std::exp2(p));
  };
  EXPECT_EQ(withOrder(0.7 + 1e-9).Status, StepErrorStatus::Estimated);
  EXPECT_EQ(withOrder(1.4 - 1e-9).Status, StepErrorStatus::Estimated);
  EXPECT_EQ(withOrder(0.7 - 1e-6).Status, StepErrorStatus::NotAsymptotic);
  EXPECT_EQ(withOrder(1.4 + 1e-6).Status, StepErrorStatus::NotAsymptotic);
}

double ExitValue(const ExitFigures& figures, FigureKind kind) {
  double value = 0;
  for (const ExitFigure& f : figures) {
    if (f.Kind == kind) value = f.Value;  // the last zone's
  }
  return value;
}

// For the default inputs (two zones of 30 m at 0.1 m), the estimate from 0.2 and 0.4 m against
// the error that a run at 0.025 m shows: the march being first order, f* ≈ f(h/4) + (f(h/4) −
// f(h))/3, so the reference error of f(h) is (f(h/4) − f(h))·4/3. They agree within a factor
// of 1.5 for both exit residuals.
TEST(StepError, DefaultInputsAgreeWithAQuarterStep) {
  const MemoryFieldTexts fields('.');
  FigureModel model('.', std::nullopt);
  const ExitFigures atStep = model.Run(fields);
  const StepError estimate = StepErrorOf(fields, model, atStep);
  EXPECT_EQ(estimate.Step, 0.1);
  const ExitFigures quarter = model.Run(AtStep(fields, 0.025, '.'));
  for (const FigureKind kind : {FigureKind::Residual1, FigureKind::Residual2}) {
    SCOPED_TRACE(static_cast<int>(kind));
    const FigureStepError* exit = nullptr;
    for (const FigureStepError& f : estimate.Figures) {
      if (f.Figure.Kind == kind && f.Figure.Zone == 2) exit = &f;
    }
    ASSERT_NE(exit, nullptr);
    ASSERT_EQ(exit->Status, StepErrorStatus::Estimated);
    const double reference = (ExitValue(quarter, kind) - ExitValue(atStep, kind)) * 4 / 3;
    const double ratio = exit->Error / reference;
    EXPECT_GT(ratio, 1 / 1.5);
    EXPECT_LT(ratio, 1.5);
  }
}

}  // namespace
}  // namespace quillmere
