// The error-bar options of the commands that run the model: "--step-error" (the step's error
// of each exit figure), "--step auto" with "--step-tolerance" (the step at which the exit
// residuals are converged), "--uncertainty FIT.json" (the fit's uncertainty carried into each
// exit figure) and "--figures-csv" (the exit figures with their error bars as CSV).
#pragma once

#include <CLI/CLI.hpp>

#include <optional>
#include <string>

#include "analysis/uncertainty/ErrorBarsReport.h"
#include "analysis/uncertainty/ExitIntervals.h"
#include "analysis/uncertainty/StepChoice.h"
#include "analysis/uncertainty/StepError.h"
#include "params/MemoryFieldTexts.h"

namespace quillmere {

//! Which of the options a command takes: run all of them, sweep and optimise the step's and the
//! fit's, fit only the step's.
enum class ErrorBarsCommand { Run, Study, Fit };

struct ErrorBarsOptions {
  bool StepError = false;                                 //!< --step-error
  std::optional<std::string> Step;                        //!< --step auto
  double TolerancePercent = 100 * kDefaultStepTolerance;  //!< --step-tolerance
  std::optional<std::string> UncertaintyFile;             //!< --uncertainty FILE
  double ConfidencePercent = 95;                          //!< --confidence
  std::optional<std::string> FiguresCsv;                  //!< --figures-csv FILE (run only)

  //! Adds --step and --step-tolerance; but to fit also --uncertainty and --confidence; to run
  //! also --step-error and --figures-csv.
  void AddTo(CLI::App& command, ErrorBarsCommand use);

  bool AutoStep() const { return Step.has_value(); }
  bool Any() const { return StepError || Step || UncertaintyFile; }

  //! Throws Error(Usage) for a --step other than "auto", a tolerance or confidence out of
  //! range, or --figures-csv without an error bar to write; reads no file.
  void CheckOptions() const;
  //! CheckOptions, then reads the fit report (Error(File) or Error(InputRefused)).
  std::optional<FitUncertainty> Validate() const;
};

//! What the error bars of one run came to.
struct RunErrorBars {
  std::optional<StepChoice> Choice;
  std::optional<quillmere::StepError> Step;
  std::optional<ExitIntervals> Intervals;

  ErrorBars Parts() const;
  //! The summary's lines: the step chosen, the step's error table, the intervals' table.
  std::string SummaryText(char decimalSeparator) const;
};

//! With --step auto, chooses the step for `fields` and sets it there. Throws quillmere::Error.
std::optional<StepChoice> ChooseStepFor(const ErrorBarsOptions& options, MemoryFieldTexts& fields,
                                        FigureModel& model);

//! The step's error and the intervals of `figures` (those of `fields` as they ran), as asked
//! for. Throws quillmere::Error.
RunErrorBars ErrorBarsOf(const ErrorBarsOptions& options, const std::optional<FitUncertainty>& fit,
                         const MemoryFieldTexts& fields, FigureModel& model,
                         const ExitFigures& figures);

}  // namespace quillmere
