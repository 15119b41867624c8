// A fit's report as `quillmere-cli fit --report` writes the parts that error bars read.
#pragma once

#include <string_view>

namespace quillmere::test {

//! Standard errors and correlations of the size a fit of two short trials gives (HACKING, the
//! coverage table): Keff, Wi and We fitted.
inline constexpr std::string_view kTwoTrialFitReport = R"({"parameters": [
  {"name": "Keff", "fitted": 0.3, "standard_error": 0.006},
  {"name": "Wi", "fitted": 0.3, "standard_error": 0.01},
  {"name": "We", "fitted": 0.1, "standard_error": 0.002}],
  "correlation": {"parameters": ["Keff", "Wi", "We"],
                  "matrix": [[1, -0.4, 0.2], [-0.4, 1, 0.3], [0.2, 0.3, 1]]}})";

}  // namespace quillmere::test
