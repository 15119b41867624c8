// What a fit leaves uncertain: its free parameters' fitted values, standard errors and
// correlations, as the fit's report (`fit --report`, JSON) holds them. Their covariance is
// what runs, sweeps and optimisations carry into each exit figure's interval.
#pragma once

#include <string>
#include <string_view>
#include <vector>

#include "params/FieldTable.h"

namespace quillmere {

struct UncertainParameter {
  std::string Name;                  //!< "Keff"
  const FieldSpec* Field = nullptr;  //!< its input field
  double Fitted = 0;
  double StandardError = 0;
};

struct FitUncertainty {
  std::vector<UncertainParameter> Parameters;
  //! Correlations of the parameters, in their order (1 on the diagonal).
  std::vector<std::vector<double>> Correlation;
  //! The factor of the fit's own 95 % intervals (value ± factor · standard error): 1.96 where
  //! the measurements gave their sigmas, Student's t where the residuals gave the variance.
  double Factor95 = 1.959963984540054;
  //! Parameters of the fit taken as exact, and why ("We: no standard error (not identifiable)").
  std::vector<std::string> Notes;

  //! Σ = D R D, D the standard errors.
  std::vector<std::vector<double>> Covariance() const;
  //! The factor of a two-sided interval at `confidence` (0.95 for 95 %): Factor95 scaled by
  //! the normal quantiles' ratio.
  double Factor(double confidence) const;
};

//! Reads a fit report. Throws quillmere::Error(InputRefused) naming `fileName` and what is
//! missing: not JSON, no parameters, a parameter that is not a fitting parameter, a correlation
//! matrix that does not match the parameters or is not a correlation matrix.
FitUncertainty ReadFitUncertainty(std::string_view json, const std::string& fileName);

//! Reads the fit report in the file at `path` ("-": standard input). Throws FileError, or as
//! ReadFitUncertainty.
FitUncertainty ReadFitUncertaintyFile(const std::string& path);

//! The standard normal quantile of `probability` (0 < p < 1).
double NormalQuantile(double probability);

}  // namespace quillmere
