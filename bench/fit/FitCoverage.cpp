// How often the 95 % intervals of a fit cover the values the measurements were made with: two
// trials measured with Keff 0.45, Wi 0.35, We 0.08 plus normal noise of the probes' sigmas,
// fitted again for each of many noise replicates; for each free parameter the share of
// replicates whose covariance (Wald) interval and whose profile-likelihood interval hold the
// true value. A study, not a timing: run it by hand, and see HACKING.md for its table.
//
//   quillmere_fit_coverage [FREE [REPLICATES [STARTS]]]   (Keff,Wi,We 100 4)
#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <map>
#include <random>
#include <string>

#include "FitTrials.h"
#include "analysis/fit/Fit.h"

namespace quillmere {
namespace {

struct Coverage {
  int wald = 0;
  int profile = 0;
  int profileAtBound = 0;  //!< of the profile intervals, those that end at a bound
  std::vector<double> waldWidths;
  std::vector<double> profileWidths;
};

double Median(std::vector<double> values) {
  if (values.empty()) return 0;
  std::sort(values.begin(), values.end());
  return values[values.size() / 2];
}

int Study(const std::string& free, int replicates, int starts) {
  const std::map<std::string, double> truth{{"Keff", 0.45}, {"Wi", 0.35}, {"We", 0.08},
                                            {"Wx", 0.2},    {"Wy", 0.5},  {"Chi1p", 0.01}};
  std::map<std::string, Coverage> coverage;
  int untrusted = 0;
  long runs = 0;
  for (int r = 0; r < replicates; ++r) {
    std::mt19937 random(1000 + static_cast<unsigned>(r));
    FitOptions options;
    options.Starts = starts;
    Fit fit(test::TwoTrials(&random, true), ParseFreeParameters({free}), options);
    const FitResult result = fit.Solve();
    untrusted += !result.Trustworthy();
    runs += result.ModelRuns;
    for (const FittedParameter& p : result.Parameters) {
      Coverage& c = coverage[p.Name];
      const double value = truth.at(p.Name);
      if (p.Interval95) {
        c.wald += (*p.Interval95)[0] <= value && value <= (*p.Interval95)[1];
        c.waldWidths.push_back((*p.Interval95)[1] - (*p.Interval95)[0]);
      }
      if (p.ProfileLow && p.ProfileHigh) {
        c.profile += *p.ProfileLow <= value && value <= *p.ProfileHigh;
        c.profileAtBound += p.ProfileAtBound[0] || p.ProfileAtBound[1];
        c.profileWidths.push_back(*p.ProfileHigh - *p.ProfileLow);
      }
    }
    std::fprintf(stderr, "\rreplicate %d of %d", r + 1, replicates);
  }
  std::fprintf(stderr, "\n");
  std::printf(
      "Free %s, %d replicates, %d starts each; %d fits not to be trusted; %ld model "
      "runs.\n\n",
      free.c_str(), replicates, starts, untrusted, runs);
  std::printf(
      "| Parameter | True | Wald covers | Profile covers | Median Wald width | "
      "Median profile width | Profile at a bound |\n");
  std::printf("|---|---|---|---|---|---|---|\n");
  for (const auto& [name, c] : coverage) {
    std::printf("| %s | %g | %d %% | %d %% | %.4g | %.4g | %d |\n", name.c_str(), truth.at(name),
                100 * c.wald / replicates, 100 * c.profile / replicates, Median(c.waldWidths),
                Median(c.profileWidths), c.profileAtBound);
  }
  return 0;
}

}  // namespace
}  // namespace quillmere

int main(int argc, char** argv) {
  const std::string free = argc > 1 ? argv[1] : "Keff,Wi,We";
  const int replicates = argc > 2 ? std::atoi(argv[2]) : 100;
  const int starts = argc > 3 ? std::atoi(argv[3]) : 4;
  return quillmere::Study(free, std::max(1, replicates), std::max(1, starts));
}
