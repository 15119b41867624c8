#include "cli/ErrorBarsOptions.h"

#include "base/Error.h"
#include "cli/CommandLine.h"
#include "cli/DataFileArgument.h"
#include "report/FileIO.h"

namespace quillmere {

void ErrorBarsOptions::AddTo(CLI::App& command, ErrorBarsCommand use) {
  const bool forRun = use == ErrorBarsCommand::Run;
  command
      .add_option("--step", Step,
                  "\"auto\": halve the Increment of z from the data file's until the estimated "
                  "step error of the exit residuals is within --step-tolerance (never past a "
                  "zone's step bound); the step chosen and the estimate are reported")
      ->type_name("auto");
  command
      .add_option("--step-tolerance", TolerancePercent,
                  "With --step auto: the error allowed in each exit residual, in % of its value")
      ->type_name("PERCENT")
      ->capture_default_str();
  if (use == ErrorBarsCommand::Fit) return;
  command
      .add_option("--uncertainty", UncertaintyFile,
                  "A fit's report (fit --report, JSON): carry its parameters' standard errors and "
                  "correlations into each exit figure's interval (linearised by central "
                  "differences, or sampled where the model is far from linear)")
      ->type_name("FIT.json");
  command
      .add_option("--confidence", ConfidencePercent,
                  forRun ? "With --uncertainty: the intervals' confidence in %"
                         : "With --uncertainty: every limit holds at this upper confidence "
                           "bound (%) rather than at the point estimate (a robust optimum)")
      ->type_name("PERCENT")
      ->capture_default_str();
  if (!forRun) return;
  command.add_flag("--step-error", StepError,
                   "Also estimate each exit figure's error from the step, from runs at twice and "
                   "four times the Increment of z (Richardson, the observed order shown)");
  command
      .add_option("--figures-csv", FiguresCsv,
                  "With --step-error or --uncertainty: also write each exit figure with its error "
                  "bars as CSV to FILE (\"-\": standard output)")
      ->type_name("FILE");
}

void ErrorBarsOptions::CheckOptions() const {
  if (Step && *Step != "auto") {
    throw Error(ErrorKind::Usage,
                "--step takes \"auto\"; a step of its own is the Increment of z "
                "(Edit20) of the data file.");
  }
  if (!(TolerancePercent > 0 && TolerancePercent < 100)) {
    throw Error(ErrorKind::Usage, "--step-tolerance must lie between 0 and 100 (%).");
  }
  if (!(ConfidencePercent > 0 && ConfidencePercent < 100)) {
    throw Error(ErrorKind::Usage, "--confidence must lie between 0 and 100 (%).");
  }
  if (FiguresCsv && !StepError && !UncertaintyFile) {
    throw Error(ErrorKind::Usage, "--figures-csv needs --step-error or --uncertainty.");
  }
}

std::optional<FitUncertainty> ErrorBarsOptions::Validate() const {
  CheckOptions();
  if (!UncertaintyFile) return std::nullopt;
  return ReadFitUncertaintyFile(*UncertaintyFile);
}

ErrorBars RunErrorBars::Parts() const {
  return {Step ? &*Step : nullptr, Choice ? &*Choice : nullptr, Intervals ? &*Intervals : nullptr};
}

std::string RunErrorBars::SummaryText(char separator) const {
  std::string text;
  if (Choice) text += StepChoiceText(*Choice, separator);
  if (Step) text += StepErrorText(*Step, separator);
  if (Intervals) text += ExitIntervalsText(*Intervals, separator);
  return text;
}

std::optional<StepChoice> ChooseStepFor(const ErrorBarsOptions& options, MemoryFieldTexts& fields,
                                        FigureModel& model) {
  if (!options.AutoStep()) return std::nullopt;
  StepChoice choice = ChooseStep(fields, model, options.TolerancePercent / 100);
  fields = AtStep(fields, choice.Step, model.DecimalSeparator());
  return choice;
}

RunErrorBars ErrorBarsOf(const ErrorBarsOptions& options, const std::optional<FitUncertainty>& fit,
                         const MemoryFieldTexts& fields, FigureModel& model,
                         const ExitFigures& figures) {
  RunErrorBars bars;
  if (options.StepError) bars.Step = StepErrorOf(fields, model, figures);
  if (fit) {
    bars.Intervals = ExitIntervalsOf(fields, model, *fit, figures, options.ConfidencePercent / 100);
  }
  return bars;
}

}  // namespace quillmere
