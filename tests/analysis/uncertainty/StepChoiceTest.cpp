// --step auto: the step chosen meets the tolerance, checked against runs at a much finer step
// on the default line and on a line of 14 zones.
#include "analysis/uncertainty/StepChoice.h"

#include <gtest/gtest.h>

#include <cmath>

#include "RecordingMessages.h"
#include "report/DataFile.h"

namespace quillmere {
namespace {

// The exit residuals at the chosen step against the value extrapolated from a run at
// `finest` (a step well below the chosen one, within the zone's bound): first order,
// f* = f(finest) − (f(h) − f(finest))·finest/(h − finest).
void ExpectToleranceMet(const MemoryFieldTexts& fields, double finest, double tolerance) {
  FigureModel model('.', std::nullopt);
  const StepChoice choice = ChooseStep(fields, model, tolerance);
  ASSERT_TRUE(choice.Met);
  EXPECT_FALSE(choice.BoundReached);
  ASSERT_LT(finest, 0.7 * choice.Step);
  const ExitFigures atChoice = model.Run(AtStep(fields, choice.Step, '.'));
  const ExitFigures atFinest = model.Run(AtStep(fields, finest, '.'));
  int checked = 0;
  for (std::size_t i = 0; i < atChoice.size(); ++i) {
    const ExitFigure& f = atChoice[i];
    if (f.Zone != atChoice.back().Zone) continue;
    if (f.Kind != FigureKind::Residual1 && f.Kind != FigureKind::Residual2) continue;
    const double fine = atFinest[i].Value;
    const double truth = fine - (f.Value - fine) * finest / (choice.Step - finest);
    EXPECT_LE(std::fabs(f.Value - truth), tolerance * std::fabs(truth))
        << "figure " << i << " at " << choice.Step << " m: " << f.Value << " against " << truth;
    ++checked;
  }
  EXPECT_EQ(checked, 2);
}

TEST(StepChoice, DefaultLineMeetsTheTolerance) {
  // Two zones of 30 m: 0.1 m is 3 % off in residual 1, 0.025 m the first step within 1 %;
  // 0.016 m (1875 steps) is the finest a zone of 30 m takes.
  const MemoryFieldTexts fields('.');
  FigureModel model('.', std::nullopt);
  const StepChoice choice = ChooseStep(fields, model, 0.01);
  EXPECT_EQ(choice.Step, 0.025);
  EXPECT_EQ(choice.Runs, 5);  // 0.1, 0.2, 0.4, then 0.05 and 0.025
  ExpectToleranceMet(fields, 0.016, 0.01);
}

TEST(StepChoice, FourteenZonesMeetTheTolerance) {
  MemoryFieldTexts fields('.');
  test::RecordingMessages messages;
  ASSERT_TRUE(
      LoadDataFile(std::string(QUILLMERE_TEST_DATA) + "/fourteen-zones.dat", fields, messages)
          .Ok());
  ExpectToleranceMet(fields, 0.00155, 0.01);
  ExpectToleranceMet(fields, 0.00155, 0.005);
}

// A tolerance finer than the zones' step bound allows stops at the finest step the bound
// leaves, and says so.
TEST(StepChoice, BoundReachedIsSaid) {
  const MemoryFieldTexts fields('.');
  FigureModel model('.', std::nullopt);
  const StepChoice choice = ChooseStep(fields, model, 1e-4);
  EXPECT_FALSE(choice.Met);
  EXPECT_TRUE(choice.BoundReached);
  EXPECT_EQ(choice.Step, 0.025);  // 0.0125 m would take 2400 steps in a zone of 30 m
  EXPECT_NE(StepChoiceText(choice, '.').find("finer step than the zones' step bound"),
            std::string::npos);
}

}  // namespace
}  // namespace quillmere
