// The Optimise dialog's report: what the search found, in the words and units of the input
// pages and of the dialog's own rows ("Zone 1 air temperature (°C)", "Web temperature (°C) at
// most 100"), not in the command line's names, and the values Apply will type.
#pragma once

#include <optional>
#include <string>
#include <vector>

#include "analysis/optimise/Optimise.h"
#include "analysis/optimise/OptimiseProblem.h"
#include "app/ShortestSetting.h"

namespace quillmere {

//! What the dialog calls the problem's parts.
struct DialogWords {
  std::string Objective;            //!< "Speed (m/s)", "Heat of all zones (kW)"
  std::vector<std::string> Free;    //!< one a free input: "Zone 1 air temperature (°C)"
  std::vector<std::string> Limits;  //!< one a limit: "Web temperature (°C) at most 100"
};

//! Several lines, each ending with LF; numbers to 6 significant digits with ".", the values
//! Apply types as they will stand in the fields (`decimalSeparator`).
std::string DialogReportText(const OptimiseProblem& problem, const OptimiseResult& result,
                             const DialogWords& words, const std::optional<ShortSetting>& applied,
                             char decimalSeparator);

}  // namespace quillmere
