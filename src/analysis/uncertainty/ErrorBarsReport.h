// The error bars of a run as files: the JSON members the run's JSON adds ("step_error",
// "step_choice", "uncertainty") and a CSV of the exit figures with their error bars.
#pragma once

#include <string>
#include <string_view>

#include "analysis/uncertainty/ExitIntervals.h"
#include "analysis/uncertainty/StepChoice.h"
#include "analysis/uncertainty/StepError.h"

namespace quillmere {

//! What a run has of its error bars; each part may be absent.
struct ErrorBars {
  const StepError* Step = nullptr;
  const StepChoice* Choice = nullptr;
  const ExitIntervals* Intervals = nullptr;
};

//! The text of one JSON object with the members of the parts present.
std::string ErrorBarsJsonMembers(const ErrorBars& bars);

//! The members of two JSON object texts in one ("" for none).
std::string MergedJsonMembers(std::string_view first, std::string_view second);

//! A JSON document's text (an object) with the members of `members` (an object's text) added
//! after its own, written as the reports write theirs: indented by 2, ending with LF.
std::string WithJsonMembers(std::string_view document, std::string_view members);

//! One line a figure: figure,unit,value, then the step's error (status, error, order,
//! extrapolated) and the interval (low, high, method) where present; "." decimals.
std::string ErrorBarsCsv(const ErrorBars& bars);

}  // namespace quillmere
