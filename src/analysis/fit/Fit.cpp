#include "analysis/fit/Fit.h"

#include <ceres/ceres.h>

#include <tbb/blocked_range.h>
#include <tbb/enumerable_thread_specific.h>
#include <tbb/parallel_for.h>
#include <tbb/task_arena.h>
#include <Eigen/Dense>

#include <algorithm>
#include <charconv>
#include <chrono>
#include <cmath>
#include <filesystem>
#include <limits>
#include <map>
#include <thread>

#include "analysis/CaseRun.h"
#include "analysis/fit/FitProfiles.h"
#include "analysis/fit/FittedValueText.h"
#include "analysis/fit/LocalFit.h"
#include "analysis/fit/StartDesign.h"
#include "analysis/fit/TraceSampling.h"
#include "analysis/fit/TrialModel.h"
#include "base/Error.h"
#include "base/FloatingPointGuard.h"
#include "base/PrintableText.h"
#include "report/CsvText.h"
#include "report/FileIO.h"

namespace quillmere {
namespace {

//! A parameter is told apart from the others when the column-scaled Jacobian's singular values
//! stay above this share of the largest: below it, a change along the singular vector moves
//! the residuals by less than a millionth of what a change of a single parameter does.
constexpr double kIdentifiableRatio = 1e-6;

//! A parameter takes part in a direction the measurements cannot see when its component in
//! that (unit) singular vector is at least this large.
constexpr double kNullComponent = 0.1;

//! The 97.5 % quantile of Student's t distribution for 1 to 30 degrees of freedom (from the
//! standard tables, to three decimals).
constexpr std::array<double, 30> kStudentT975{
    12.706, 4.303, 3.182, 2.776, 2.571, 2.447, 2.365, 2.306, 2.262, 2.228,
    2.201,  2.179, 2.160, 2.145, 2.131, 2.120, 2.110, 2.101, 2.093, 2.086,
    2.080,  2.074, 2.069, 2.064, 2.060, 2.056, 2.052, 2.048, 2.045, 2.042};

//! The 97.5 % quantile of the normal distribution.
constexpr double kNormal975 = 1.959964;

//! Half the width of a 95 % interval in standard errors: Student's t with the fit's degrees of
//! freedom when the scatter is estimated from the fit (the Cornish–Fisher expansion beyond the
//! table, good to 1e-4 there), the normal quantile when the sigmas are known.
double IntervalFactor(bool sigmaGiven, int degreesOfFreedom) {
  if (sigmaGiven) return kNormal975;
  if (degreesOfFreedom <= static_cast<int>(kStudentT975.size())) {
    return kStudentT975[static_cast<std::size_t>(degreesOfFreedom - 1)];
  }
  const double z = kNormal975;
  const double n = degreesOfFreedom;
  const double z3 = z * z * z;
  const double z5 = z3 * z * z;
  return z + (z3 + z) / (4 * n) + (5 * z5 + 16 * z3 + 3 * z) / (96 * n * n);
}

//! What a parameter needs to be determined: where to measure, or to keep it fixed.
std::string HintFor(const std::vector<std::string>& names) {
  const auto has = [&](std::string_view name) {
    return std::find(names.begin(), names.end(), name) != names.end();
  };
  std::string measure;
  if (has("Wx") || has("Wy")) {
    measure =
        "measure residual solvent where the coating is drier (the falling-rate range, "
        "below the solvent fraction Wi)";
  } else if (has("We")) {
    measure = "measure residual solvent towards the dryer's exit, where drying comes to a stop";
  } else if (has("Wi")) {
    measure = "measure residual solvent where drying begins to slow down";
  } else if (has("Keff")) {
    measure =
        "measure web temperature or residual solvent in the first zones, where the "
        "coating dries at the full rate";
  } else {
    measure = "measure the residual solvent of each solvent (residual1 and residual2)";
  }
  std::string list;
  for (std::size_t i = 0; i < names.size(); ++i) {
    if (i > 0) list += i + 1 == names.size() ? " and " : ", ";
    list += names[i];
  }
  return measure + ", or fix " + list + " (leave " + (names.size() == 1 ? "it" : "them") +
         " out of --free)";
}

//! Scales the Jacobian's columns alike: 1 / each column's norm into `scales`. A parameter that
//! moves no residual at all (a zero column) cannot be determined: a group of its own.
std::vector<std::vector<std::size_t>> UnmovingParameters(const Eigen::MatrixXd& jacobian,
                                                         std::vector<double>& scales,
                                                         std::vector<bool>& identifiable) {
  const Eigen::VectorXd norms = jacobian.colwise().norm();
  std::vector<std::vector<std::size_t>> groups;
  for (std::size_t i = 0; i < identifiable.size(); ++i) {
    if (norms(static_cast<Eigen::Index>(i)) > 0) {
      scales[i] = 1 / norms(static_cast<Eigen::Index>(i));
    } else {
      identifiable[i] = false;
      groups.push_back({i});
    }
  }
  return groups;
}

//! Parameters whose effects cancel: each direction of the scaled Jacobian's null space (over
//! the parameters that move the residuals) gives the group of parameters that take part in it.
std::vector<std::vector<std::size_t>> CancellingParameters(const Eigen::MatrixXd& jacobian,
                                                           const std::vector<double>& scales,
                                                           std::vector<bool>& identifiable) {
  std::vector<Eigen::Index> moving;
  for (std::size_t i = 0; i < identifiable.size(); ++i) {
    if (identifiable[i]) moving.push_back(static_cast<Eigen::Index>(i));
  }
  std::vector<std::vector<std::size_t>> groups;
  if (moving.empty()) return groups;
  Eigen::MatrixXd scaled(jacobian.rows(), static_cast<Eigen::Index>(moving.size()));
  for (std::size_t k = 0; k < moving.size(); ++k) {
    scaled.col(static_cast<Eigen::Index>(k)) =
        jacobian.col(moving[k]) * scales[static_cast<std::size_t>(moving[k])];
  }
  const Eigen::JacobiSVD<Eigen::MatrixXd> svd(scaled, Eigen::ComputeFullV);
  const Eigen::VectorXd& singular = svd.singularValues();
  const Eigen::MatrixXd& v = svd.matrixV();
  for (Eigen::Index d = 0; d < v.cols(); ++d) {
    const double s = d < singular.size() ? singular(d) : 0.0;
    if (s >= kIdentifiableRatio * singular(0)) continue;
    std::vector<std::size_t> group;
    for (Eigen::Index k = 0; k < v.rows(); ++k) {
      if (std::abs(v(k, d)) < kNullComponent) continue;
      const auto i = static_cast<std::size_t>(moving[static_cast<std::size_t>(k)]);
      group.push_back(i);
      identifiable[i] = false;
    }
    if (!group.empty()) groups.push_back(group);
  }
  return groups;
}

//! Names the groups of parameters the measurements cannot determine, with what would. A
//! parameter stalled in a flat strip is named as such, not as one the measurements cannot
//! determine.
void RecordUnidentifiable(const std::vector<std::vector<std::size_t>>& groups,
                          const ParameterMap& map, FitResult& result) {
  for (const std::vector<std::size_t>& indices : groups) {
    std::vector<std::string> group;
    for (const std::size_t i : indices) group.push_back(map.Parameters()[i].Name);
    std::erase_if(group, [&](const std::string& name) {
      return std::any_of(
          result.Parameters.begin(), result.Parameters.end(),
          [&](const FittedParameter& p) { return p.Name == name && !p.Stalled.empty(); });
    });
    if (!group.empty()) result.Unidentifiable.push_back({group, HintFor(group)});
  }
}

//! The residuals of one trial as a function of the parameters' values, each divided by a
//! scale (so that every column of the Jacobian has about the same size).
struct ScaledResiduals {
  TrialModel* model;
  std::vector<double> scales;
  bool operator()(double const* const* scaled, double* residuals) const {
    std::array<double, kFittingParameterCount> values{};
    for (std::size_t i = 0; i < scales.size(); ++i) values[i] = scaled[i][0] * scales[i];
    return model->Residuals(values.data(), residuals);
  }
};

template <typename Functor>
ceres::CostFunction* CostOf(Functor functor, std::size_t parameters, std::size_t residuals) {
  auto* cost =
      new ceres::DynamicNumericDiffCostFunction<Functor, ceres::CENTRAL>(new Functor(functor));
  for (std::size_t i = 0; i < parameters; ++i) cost->AddParameterBlock(1);
  cost->SetNumResiduals(static_cast<int>(residuals));
  return cost;
}

double SumOfSquares(const std::vector<double>& residuals) {
  double sum = 0;
  for (const double r : residuals) sum += r * r;
  return sum;
}

//! Whether two file names name the same file: the same device and inode where both exist (a
//! symbolic link, a hard link, an absolute path), otherwise the same name as written
//! ("./a.csv" and "a.csv"), as the output clash check compares them.
bool SameFile(const std::string& a, const std::string& b) {
  const std::optional<FileIdentity> ia = IdentityOfPath(a);
  const std::optional<FileIdentity> ib = IdentityOfPath(b);
  if (ia && ib && a != "-" && b != "-") return *ia == *ib;
  return std::filesystem::path(a).lexically_normal() == std::filesystem::path(b).lexically_normal();
}

//! Six significant digits, for the texts of the doubts.
std::string Significant(double value) {
  char text[32];
  const auto end = std::to_chars(text, text + sizeof text, value, std::chars_format::general, 6);
  return std::string(text, end.ptr);
}

//! Root mean square errors by quantity, for each trial and over all trials.
void RecordRms(FitResult& result) {
  std::map<MeasuredQuantity, std::array<double, 3>> all;  // count, start and fitted squares
  for (TrialFit& trial : result.Trials) {
    std::map<MeasuredQuantity, std::array<double, 3>> sums;
    for (const MeasurementFit& m : trial.Measurements) {
      for (auto* s : {&sums[m.Measured.Quantity], &all[m.Measured.Quantity]}) {
        (*s)[0] += 1;
        (*s)[1] += (m.Start - m.Measured.Value) * (m.Start - m.Measured.Value);
        (*s)[2] += (m.Fitted - m.Measured.Value) * (m.Fitted - m.Measured.Value);
      }
    }
    for (const auto& [quantity, s] : sums) {
      trial.Quantities.push_back(
          {quantity, static_cast<int>(s[0]), std::sqrt(s[1] / s[0]), std::sqrt(s[2] / s[0])});
    }
  }
  for (const auto& [quantity, s] : all) {
    result.Quantities.push_back(
        {quantity, static_cast<int>(s[0]), std::sqrt(s[1] / s[0]), std::sqrt(s[2] / s[0])});
  }
}

//! The 99.9 % quantile of chi-square for `k` degrees of freedom: exact for 1 and 2
//! (z(0.9995)^2 and -2 ln 0.001), the Wilson–Hilferty cube beyond (within 1 % from k = 3).
double ChiSquare999(int k) {
  if (k == 1) return 10.827566;
  if (k == 2) return 13.815511;
  constexpr double kNormal999 = 3.090232;
  const double a = 2.0 / (9.0 * k);
  const double root = 1 - a + kNormal999 * std::sqrt(a);
  return k * root * root * root;
}

//! The 95 % quantile of chi-square for one degree of freedom: 1.959964 squared.
constexpr double kChiSquare95One = 3.841459;

//! Two ends of local fits are the same optimum when their sums of squares agree to this share
//! (or this much in all, near 0): local fits that end on a bound in a shallow valley stop a
//! little apart. Their values are not compared: along a direction the measurements cannot
//! see, the ends of one optimum lie apart.
constexpr double kSameSum = 1e-3;
constexpr double kSameSumFloor = 1e-9;

//! Other optima the report lists at most.
constexpr std::size_t kOtherOptimaShown = 5;

//! The seed of the start design: the same starts on every run.
constexpr std::uint32_t kDesignSeed = 20240601;

//! Where the start design puts parameter `i`'s variable for the design coordinate `u` (0 to
//! 1): across its bounds, kept off them by a little; for a positive parameter without an upper
//! bound (Keff) on a logarithmic scale from 0.01 to 10, widened to a tenth and ten times its
//! start (a start far off does not take the search with it); for one without bounds within
//! one (or its own size) of its start.
double DesignVariable(const ParameterMap& map, std::size_t i, double start, double u) {
  const double inside = 0.02 + 0.96 * u;
  switch (map.Role(i)) {
    case VariableRole::Fraction:
      return inside;
    case VariableRole::Gap:
      return inside * std::max(2 * start, 0.2);
    case VariableRole::Value:
      break;
  }
  const std::optional<double> lower = map.VariableLower(i);
  const std::optional<double> upper = map.VariableUpper(i);
  if (lower && upper) return *lower + (*upper - *lower) * inside;
  if (lower && *lower > 0 && start > 0) {
    const double from = std::max(*lower, std::min(start / 10, 0.01));
    return from * std::pow(std::max(start * 10, 10.0) / from, inside);
  }
  const double width = std::max(1.0, std::abs(start));
  double v = start + width * (2 * inside - 1);
  if (lower) v = std::max(v, *lower);
  if (upper) v = std::min(v, *upper);
  return v;
}

//! The local fits: one a start, on every core; each thread marches its own copies of the
//! trials, and each result lands at its start's index, so nothing depends on the schedule.
template <typename Task>
void ForEachStart(tbb::task_arena& arena, tbb::enumerable_thread_specific<TrialModels>& workers,
                  std::size_t count, const Task& task) {
  arena.execute([&] {
    tbb::parallel_for(tbb::blocked_range<std::size_t>(0, count, 1),
                      [&](const tbb::blocked_range<std::size_t>& range) {
                        TrialModels& models = workers.local();
                        for (std::size_t k = range.begin(); k != range.end(); ++k) {
                          task(models, k);
                        }
                      });
  });
}

}  // namespace

int FinishedFitStatus(const FitResult& result) {
  return result.Trustworthy() ? kExitFinished : ExitStatus(ErrorKind::Untrustworthy);
}

int DefaultStarts(std::size_t freeParameters) {
  return static_cast<int>(4 * freeParameters + 4);
}

Fit::Fit(std::vector<FitTrial> trials, std::vector<FreeParameter> free, FitOptions options)
    : trials_(std::move(trials)), options_(options) {
  std::vector<const FieldSpec*> fields;
  for (const FreeParameter& p : free) fields.push_back(p.Field);
  std::size_t measurements = 0;
  for (std::size_t t = 0; t < trials_.size(); ++t) {
    const FitTrial& trial = trials_[t];
    // Measurements with sigmas and without cannot be weighed against each other.
    const MeasurementTable& first = trials_.front().Measurements;
    if (trial.Measurements.HasSigma != first.HasSigma) {
      const MeasurementTable& with = first.HasSigma ? first : trial.Measurements;
      const MeasurementTable& without = first.HasSigma ? trial.Measurements : first;
      throw FitRefused(Quoted(with.Name) + " gives sigmas and " + Quoted(without.Name) +
                       " does not: give a sigma for every measurement or for none.");
    }
    // A trial given twice would count its measurements twice, and its errors shrink by √2.
    for (std::size_t before = 0; before < t; ++before) {
      if (SameFile(trials_[before].DataFileName, trial.DataFileName) &&
          SameFile(trials_[before].Measurements.Name, trial.Measurements.Name)) {
        throw FitRefused("--trial " + Quoted(trial.DataFileName + ":" + trial.Measurements.Name) +
                         " is given twice: each trial counts once.");
      }
    }
    measurements += trial.Measurements.Rows.size();
  }
  if (measurements < free.size()) {
    throw FitRefused("--free: " + std::to_string(free.size()) + " free parameters and only " +
                     std::to_string(measurements) + " measurement" +
                     (measurements == 1 ? "" : "s") +
                     ": a fit needs at least as many measurements as free parameters (measure "
                     "more, or fix some).");
  }
  for (const FitTrial& trial : trials_) {
    models_.push_back(
        std::make_unique<TrialModel>(trial, fields, trials_.front(), options_.DecimalSeparator));
    fitting_.push_back(models_.back()->Fitting());
  }
  map_ = std::make_unique<ParameterMap>(std::move(free), fitting_);
}

Fit::~Fit() = default;

MemoryFieldTexts Fit::FittedFields(const FitResult& result) const {
  MemoryFieldTexts fields = trials_.front().Fields;
  const std::vector<std::optional<std::string>> texts = FileValueTexts(result);
  for (std::size_t i = 0; i < map_->Size() && i < texts.size(); ++i) {
    if (!texts[i]) continue;  // not determined: its start value stays
    std::string text = *texts[i];
    std::replace(text.begin(), text.end(), '.', options_.DecimalSeparator);
    fields.SetText(map_->Parameters()[i].Field->name, text);
  }
  return fields;
}

//! The state of one solve: the fit's inputs, the worker threads' copies of the trials, and
//! the result as it grows step by step.
class FitSolve {
 public:
  FitSolve(const std::vector<FitTrial>& trials, const FitOptions& options, TrialModels& models,
           const ParameterMap& map, const std::vector<FittingValues>& fitting)
      : trials_(trials),
        options_(options),
        models_(models),
        map_(map),
        fitting_(fitting),
        arena_(options.Threads > 0 ? options.Threads : tbb::task_arena::automatic),
        workers_([&models] {
          TrialModels copies;
          for (const auto& model : models) copies.push_back(std::make_unique<TrialModel>(*model));
          return copies;
        }) {}

  FitResult Run() {
    const auto began = std::chrono::steady_clock::now();
    RecordStart();
    const std::vector<std::vector<double>> starts = StartPoints();
    std::vector<LocalOptimum> ends = LocalFits(starts);
    if (ends.empty()) ends.emplace_back();  // stopped before a start ended: none ran
    const LocalOptimum best = Polish(BestOptimum(ends));
    RecordFitted(best);
    Diagnose();
    Covariance();
    if (options_.Profiles) Profiles();
    Judge(best);
    CountRuns();
    result_.Seconds =
        std::chrono::duration<double>(std::chrono::steady_clock::now() - began).count();
    return std::move(result_);
  }

 private:
  void RecordStart();
  std::vector<std::vector<double>> StartPoints() const;
  std::vector<LocalOptimum> LocalFits(const std::vector<std::vector<double>>& starts);
  const LocalOptimum& BestOptimum(const std::vector<LocalOptimum>& ends);
  LocalOptimum Polish(const LocalOptimum& best);
  void RecordFitted(const LocalOptimum& best);
  void Diagnose();
  Eigen::MatrixXd ValueJacobian();
  void Covariance();
  std::optional<Eigen::MatrixXd> KeptCovariance(const std::vector<std::size_t>& kept);
  void Profiles();
  void Judge(const LocalOptimum& best);
  void JudgeSingleStart();
  void CountRuns();
  int Threads() const;
  bool Stopping() const { return options_.Stop && options_.Stop->load(); }

  const std::vector<FitTrial>& trials_;
  const FitOptions& options_;
  TrialModels& models_;
  const ParameterMap& map_;
  const std::vector<FittingValues>& fitting_;
  tbb::task_arena arena_;
  tbb::enumerable_thread_specific<TrialModels> workers_;
  FitResult result_;
  std::vector<double> fitted_;
  std::vector<bool> identifiable_;
  std::vector<double> scales_;  //!< 1 / the norm of each Jacobian column
  //! The lowest sum of squares a profile met below the best optimum's, and whose profile.
  double lowerSum_ = std::numeric_limits<double>::max();
  std::string lowerProfile_;
};

FitResult Fit::Solve() {
  return FitSolve(trials_, options_, models_, *map_, fitting_).Run();
}

//! Step 1: the model at the data file's values, at each measurement and along the dryer.
void FitSolve::RecordStart() {
  result_.SigmaGiven = trials_.front().Measurements.HasSigma;
  const std::vector<double>& start = map_.StartValues();
  for (std::size_t t = 0; t < models_.size(); ++t) {
    TrialModel& model = *models_[t];
    std::vector<double> residuals(model.Count());
    if (!model.Residuals(start.data(), residuals.data())) {
      throw FitRefused("The start values do not run through the dryer of " +
                       Quoted(trials_[t].DataFileName));
    }
    result_.StartSumOfSquares += SumOfSquares(residuals);
    TrialFit trial;
    trial.DataFileName = trials_[t].DataFileName;
    trial.MeasurementFileName = trials_[t].Measurements.Name;
    trial.Axis = trials_[t].Measurements.Axis;
    for (std::size_t i = 0; i < model.Count(); ++i) {
      trial.Measurements.push_back({trials_[t].Measurements.Rows[i], model.ModelValue(i), 0});
    }
    trial.StartCurve = model.Curve();
    result_.Trials.push_back(std::move(trial));
  }
}

//! Step 2: the starts, in the solver's variables: the data file's values, then the points of
//! the design spread over the bounded space.
std::vector<std::vector<double>> FitSolve::StartPoints() const {
  const std::size_t n = map_.Size();
  const int count = options_.Starts > 0 ? options_.Starts : DefaultStarts(n);
  std::vector<double> start(n);
  map_.ToVariables(map_.StartValues().data(), start.data());
  std::vector<std::vector<double>> starts{start};
  const auto design = StartDesign(static_cast<std::size_t>(count - 1), n, kDesignSeed);
  for (const std::vector<double>& point : design) {
    std::vector<double> variables(n);
    for (std::size_t i = 0; i < n; ++i) {
      variables[i] = DesignVariable(map_, i, start[i], point[i]);
    }
    starts.push_back(variables);
  }
  return starts;
}

//! Step 3: a bounded local fit from every start, out of the flat strips of the order; after a
//! stop, the starts that ended.
std::vector<LocalOptimum> FitSolve::LocalFits(const std::vector<std::vector<double>>& starts) {
  std::vector<LocalOptimum> ends(starts.size());
  ForEachStart(arena_, workers_, starts.size(), [&](TrialModels& models, std::size_t k) {
    if (Stopping()) {
      ends[k].Stopped = true;
      return;
    }
    ends[k] = FitLocallyOutOfStrips(models, map_, starts[k], options_.MaxIterations,
                                    Closeness::Search, options_.Stop);
    if (!ends[k].Stopped && options_.StartEnded) options_.StartEnded();
  });
  result_.StartsAsked = static_cast<int>(starts.size());
  result_.Stopped = std::erase_if(ends, [](const LocalOptimum& end) { return end.Stopped; }) > 0;
  result_.Starts = static_cast<int>(ends.size());
  return ends;
}

//! Step 4: the lowest sum of squares of all ends (the earliest start on a tie), how many
//! starts reached it, and the other optima met.
const LocalOptimum& FitSolve::BestOptimum(const std::vector<LocalOptimum>& ends) {
  const auto same = [&](const LocalOptimum& a, const LocalOptimum& b) {
    const double sums = std::max(a.SumOfSquares, b.SumOfSquares);
    return std::abs(a.SumOfSquares - b.SumOfSquares) <= kSameSum * sums + kSameSumFloor;
  };
  std::size_t best = 0;
  for (std::size_t k = 0; k < ends.size(); ++k) {
    result_.Restarts += ends[k].Restarted;
    if (ends[k].Ran && (!ends[best].Ran || ends[k].SumOfSquares < ends[best].SumOfSquares)) {
      best = k;
    }
  }
  if (!ends[best].Ran) {
    result_.Failed = true;
    return ends[best];
  }
  // Of the ends at the best optimum, one where the solver converged.
  for (std::size_t k = 0; k < ends.size() && !ends[best].Converged; ++k) {
    if (ends[k].Ran && ends[k].Converged && same(ends[k], ends[best])) best = k;
  }
  // The ends in clusters of the same optimum, in the order of their sums of squares.
  std::vector<std::size_t> order(ends.size());
  for (std::size_t k = 0; k < order.size(); ++k) order[k] = k;
  std::stable_sort(order.begin(), order.end(), [&](std::size_t a, std::size_t b) {
    return ends[a].Ran && (!ends[b].Ran || ends[a].SumOfSquares < ends[b].SumOfSquares);
  });
  std::vector<std::pair<std::size_t, int>> clusters;  // first end, count
  for (const std::size_t k : order) {
    if (!ends[k].Ran) continue;
    const auto cluster = std::find_if(clusters.begin(), clusters.end(),
                                      [&](const auto& c) { return same(ends[c.first], ends[k]); });
    if (cluster != clusters.end()) {
      ++cluster->second;
    } else {
      clusters.emplace_back(k, 1);
    }
  }
  for (const auto& [k, count] : clusters) {
    if (same(ends[k], ends[best])) {
      result_.StartsAtBest += count;
    } else if (result_.OtherOptima.size() < kOtherOptimaShown) {
      result_.OtherOptima.push_back({ends[k].SumOfSquares, ends[k].Values, count});
    }
  }
  return ends[best];
}

//! Step 5: the best end closed in on to the last digits, from where the search left it.
LocalOptimum FitSolve::Polish(const LocalOptimum& best) {
  if (result_.Failed) return best;
  LocalOptimum polished = FitLocallyOutOfStrips(
      models_, map_, best.Variables, options_.MaxIterations, Closeness::Polish, options_.Stop);
  result_.Stopped = result_.Stopped || polished.Stopped;
  if (!polished.Ran || polished.SumOfSquares > best.SumOfSquares) return best;
  polished.Restarted = polished.Restarted || best.Restarted;
  return polished;
}

//! Step 6: the model at the best values, the root mean square errors, the parameters and the
//! constraints.
void FitSolve::RecordFitted(const LocalOptimum& best) {
  const std::size_t n = map_.Size();
  fitted_ = result_.Failed ? map_.StartValues() : best.Values;
  result_.Iterations = best.Iterations;
  result_.Termination = best.Termination;
  result_.StopReason = best.Message;
  result_.Converged = best.Converged;
  std::size_t measurements = 0;
  for (std::size_t t = 0; t < models_.size(); ++t) {
    TrialModel& model = *models_[t];
    std::vector<double> residuals(model.Count());
    if (!model.Residuals(fitted_.data(), residuals.data())) {
      throw Error(ErrorKind::RunFault, "The fitted values do not run through the dryer of " +
                                           Quoted(trials_[t].DataFileName));
    }
    result_.FittedSumOfSquares += SumOfSquares(residuals);
    TrialFit& trial = result_.Trials[t];
    for (std::size_t i = 0; i < model.Count(); ++i) {
      trial.Measurements[i].Fitted = model.ModelValue(i);
    }
    trial.FittedCurve = model.Curve();
    measurements += model.Count();
  }
  RecordRms(result_);
  for (std::size_t i = 0; i < n; ++i) {
    const FreeParameter& p = map_.Parameters()[i];
    FittedParameter fp;
    fp.Name = p.Name;
    fp.Start = map_.StartValues()[i];
    fp.Fitted = fitted_[i];
    fp.Lower = p.Lower;
    fp.Upper = p.Upper;
    fp.BoundReached = BoundReached(p, fitted_[i]);
    result_.Parameters.push_back(fp);
  }
  for (const auto& [i, bound] : best.Stalled) result_.Parameters[i].Stalled = bound;
  result_.Constraints = CheckConstraints(map_, fitting_, fitted_);
  result_.DegreesOfFreedom = static_cast<int>(measurements) - static_cast<int>(n);
  if (result_.DegreesOfFreedom > 0) {
    result_.ResidualVariance = result_.FittedSumOfSquares / result_.DegreesOfFreedom;
  }
}

//! Threads for the derivatives of the diagnostics: one a trial, up to the cores.
int FitSolve::Threads() const {
  const int cores = options_.Threads > 0
                        ? options_.Threads
                        : static_cast<int>(std::max(1u, std::thread::hardware_concurrency()));
  return std::clamp(static_cast<int>(models_.size()), 1, cores);
}

//! The Jacobian of the residuals at the best values, in the parameters' own values (central
//! differences); empty when the model does not run at a point next to them.
Eigen::MatrixXd FitSolve::ValueJacobian() {
  // The Jacobian at the fitted values, in the parameters' own values: its columns show what
  // each parameter does to the residuals, its singular values which of them the measurements
  // can tell apart.
  const std::size_t n = map_.Size();
  std::vector<double> values = fitted_;
  Eigen::MatrixXd jacobian;
  ceres::Problem valueProblem;
  std::vector<double*> valueBlocks;
  for (double& v : values) valueBlocks.push_back(&v);
  for (const auto& model : models_) {
    valueProblem.AddResidualBlock(
        CostOf(ScaledResiduals{model.get(), std::vector<double>(n, 1.0)}, n, model->Count()),
        nullptr, valueBlocks);
  }
  ceres::Problem::EvaluateOptions evaluate;
  evaluate.parameter_blocks = valueBlocks;
  evaluate.num_threads = Threads();
  ceres::CRSMatrix crs;
  if (valueProblem.Evaluate(evaluate, nullptr, nullptr, nullptr, &crs)) {
    jacobian = Eigen::MatrixXd::Zero(crs.num_rows, crs.num_cols);
    for (int row = 0; row < crs.num_rows; ++row) {
      for (int k = crs.rows[static_cast<std::size_t>(row)];
           k < crs.rows[static_cast<std::size_t>(row) + 1]; ++k) {
        jacobian(row, crs.cols[static_cast<std::size_t>(k)]) =
            crs.values[static_cast<std::size_t>(k)];
      }
    }
  }
  return jacobian;
}

//! Step 7: which parameters the measurements determine: the Jacobian at the best values, its
//! columns scaled alike, and its singular values.
void FitSolve::Diagnose() {
  const std::size_t n = map_.Size();
  const Eigen::MatrixXd jacobian = ValueJacobian();
  identifiable_.assign(n, true);
  scales_.assign(n, 1.0);
  if (jacobian.size() == 0) {
    result_.CovarianceNote =
        "no standard errors: the model does not run at every point next to the fitted values "
        "that the derivatives need";
    std::fill(identifiable_.begin(), identifiable_.end(), false);
  } else {
    std::vector<std::vector<std::size_t>> groups =
        UnmovingParameters(jacobian, scales_, identifiable_);
    for (std::vector<std::size_t>& group : CancellingParameters(jacobian, scales_, identifiable_)) {
      groups.push_back(std::move(group));
    }
    RecordUnidentifiable(groups, map_, result_);
  }
  for (std::size_t i = 0; i < n; ++i) result_.Parameters[i].Identifiable = identifiable_[i];
}

//! Step 8: the standard errors, correlations and covariance (Wald) intervals.
void FitSolve::Covariance() {
  std::vector<std::size_t> kept;
  for (std::size_t i = 0; i < map_.Size(); ++i) {
    if (identifiable_[i]) kept.push_back(i);
  }
  const bool scatterKnown = result_.SigmaGiven || result_.DegreesOfFreedom > 0;
  if (kept.empty() || !result_.CovarianceNote.empty()) return;
  if (!scatterKnown) {
    result_.CovarianceNote =
        "no standard errors: without sigmas the scatter of the measurements is estimated from "
        "the fit, and there are no more measurements than free parameters";
    return;
  }
  const std::optional<Eigen::MatrixXd> covariance = KeptCovariance(kept);
  if (!covariance) {
    result_.CovarianceNote = "no standard errors: the covariance could not be computed";
    return;
  }
  const Eigen::MatrixXd& c = *covariance;
  const double factor = IntervalFactor(result_.SigmaGiven, result_.DegreesOfFreedom);
  for (std::size_t a = 0; a < kept.size(); ++a) {
    FittedParameter& p = result_.Parameters[kept[a]];
    const auto ia = static_cast<Eigen::Index>(a);
    const double error = std::sqrt(std::max(0.0, c(ia, ia)));
    p.StandardError = error;
    // Clipped to the bounds: no value beyond one is possible.
    std::array<double, 2> interval{p.Fitted - factor * error, p.Fitted + factor * error};
    if (p.Lower && interval[0] < p.Lower->Value) interval[0] = p.Lower->Value;
    if (p.Upper && interval[1] > p.Upper->Value) interval[1] = p.Upper->Value;
    p.WaldClipped =
        interval[0] != p.Fitted - factor * error || interval[1] != p.Fitted + factor * error;
    p.Interval95 = interval;
    result_.CorrelationNames.push_back(p.Name);
    std::vector<double> row;
    for (std::size_t b = 0; b < kept.size(); ++b) {
      const auto ib = static_cast<Eigen::Index>(b);
      const double scale = std::sqrt(c(ia, ia) * c(ib, ib));
      row.push_back(a == b ? 1.0 : scale > 0 ? c(ia, ib) / scale : 0.0);
    }
    result_.Correlation.push_back(row);
  }
}

//! The covariance of the parameters `kept` (the identifiable ones), the others held at their
//! fitted values, in their own units; computed in scaled values so that its rank test sees the
//! same conditioning as Diagnose. nullopt when it cannot be computed.
std::optional<Eigen::MatrixXd> FitSolve::KeptCovariance(const std::vector<std::size_t>& kept) {
  const std::size_t n = map_.Size();
  std::vector<double> scaledValues(n);
  for (std::size_t i = 0; i < n; ++i) scaledValues[i] = fitted_[i] / scales_[i];
  ceres::Problem problem;
  std::vector<double*> blocks;
  for (double& v : scaledValues) blocks.push_back(&v);
  for (const auto& model : models_) {
    problem.AddResidualBlock(CostOf(ScaledResiduals{model.get(), scales_}, n, model->Count()),
                             nullptr, blocks);
  }
  for (std::size_t i = 0; i < n; ++i) {
    if (!identifiable_[i]) problem.SetParameterBlockConstant(blocks[i]);
  }
  ceres::Covariance::Options options;
  options.algorithm_type = ceres::DENSE_SVD;
  options.min_reciprocal_condition_number = kIdentifiableRatio * kIdentifiableRatio;
  options.num_threads = Threads();
  ceres::Covariance covariance(options);
  std::vector<const double*> keptBlocks;
  for (const std::size_t i : kept) keptBlocks.push_back(blocks[i]);
  const auto size = static_cast<Eigen::Index>(kept.size());
  Eigen::MatrixXd c(size, size);
  if (!covariance.Compute(keptBlocks, &problem) ||
      !covariance.GetCovarianceMatrix(keptBlocks, c.data())) {
    return std::nullopt;
  }
  const double variance = result_.SigmaGiven ? 1.0 : result_.ResidualVariance;
  for (Eigen::Index a = 0; a < size; ++a) {
    for (Eigen::Index b = 0; b < size; ++b) {
      c(a, b) *= scales_[kept[static_cast<std::size_t>(a)]] *
                 scales_[kept[static_cast<std::size_t>(b)]] * variance;
    }
  }
  return c;
}

//! Step 9: the profile-likelihood interval of each identifiable parameter, both sides of each
//! traced at once on every core; none after a stop.
void FitSolve::Profiles() {
  const std::size_t n = map_.Size();
  if (result_.Failed || (!result_.SigmaGiven && result_.DegreesOfFreedom <= 0)) return;
  const double factor = IntervalFactor(result_.SigmaGiven, result_.DegreesOfFreedom);
  const double rise =
      result_.SigmaGiven ? kChiSquare95One : result_.ResidualVariance * factor * factor;
  if (!(rise > 0)) return;  // measured without scatter: nothing to rise by
  std::vector<ProfileEnd> ends(2 * n);
  ForEachStart(arena_, workers_, 2 * n, [&](TrialModels& models, std::size_t k) {
    const std::size_t i = k / 2;
    if (!identifiable_[i] || Stopping()) return;
    const FittedParameter& p = result_.Parameters[i];
    const double step = p.StandardError && *p.StandardError > 0
                            ? factor * *p.StandardError
                            : 0.1 * std::max(std::abs(p.Fitted), 1e-2);
    ends[k] =
        TraceProfile(models, map_, fitting_, i, k % 2 == 0 ? -1 : 1, fitted_,
                     result_.FittedSumOfSquares, rise, step, options_.MaxIterations, options_.Stop);
  });
  if (Stopping()) {  // some profiles were cut short: none is an interval
    result_.Stopped = true;
    return;
  }
  result_.ProfileRise = rise;
  for (std::size_t i = 0; i < n; ++i) {
    FittedParameter& p = result_.Parameters[i];
    p.ProfileLow = ends[2 * i].Value;
    p.ProfileHigh = ends[2 * i + 1].Value;
    p.ProfileAtBound = {ends[2 * i].AtBound, ends[2 * i + 1].AtBound};
    for (const ProfileEnd& end : {ends[2 * i], ends[2 * i + 1]}) {
      if (end.LowerSum && *end.LowerSum < lowerSum_) {
        lowerSum_ = *end.LowerSum;
        lowerProfile_ = p.Name;
      }
    }
  }
}

//! Step 10: whether the best optimum is to be trusted: the solver converged there, no parameter
//! stalled in a flat strip, the sum of squares is not far above its expectation, and no
//! profile met a lower one.
void FitSolve::Judge(const LocalOptimum& best) {
  if (result_.Stopped) {
    result_.Doubts.push_back("the fit was interrupted after " + std::to_string(result_.Starts) +
                             " of " + std::to_string(result_.StartsAsked) +
                             " starts of the search: the best optimum may lie elsewhere, and "
                             "no profile interval is traced");
  }
  if (result_.Failed) return;
  if (!best.Converged) {
    result_.Doubts.push_back("the solver stopped without converging (" + best.Termination +
                             "): " + best.Message);
  }
  for (const FittedParameter& p : result_.Parameters) {
    if (p.Stalled.empty()) continue;
    result_.Doubts.push_back(p.Name + " stalled at the bound " + p.Stalled +
                             ": the model does not respond to it this close to the bound, even "
                             "after a restart from inside the bounds");
  }
  if (result_.SigmaGiven && result_.DegreesOfFreedom > 0) {
    result_.PoorFitLimit = ChiSquare999(result_.DegreesOfFreedom);
    if (result_.FittedSumOfSquares > result_.PoorFitLimit) {
      result_.Doubts.push_back(
          "the fit is poor: the sum of squares " + Significant(result_.FittedSumOfSquares) +
          " lies above " + Significant(result_.PoorFitLimit) +
          ", the 99.9 % quantile of chi-square for " + std::to_string(result_.DegreesOfFreedom) +
          " degrees of freedom: the model does not explain the measurements within their sigmas");
    }
  }
  if (!lowerProfile_.empty()) {
    result_.Doubts.push_back("the profile of " + lowerProfile_ + " met a sum of squares of " +
                             Significant(lowerSum_) +
                             ", below the best optimum's: the fit did not end at the optimum");
  }
  for (const NotIdentifiable& group : result_.Unidentifiable) {
    std::string names;
    for (const std::string& name : group.Parameters) names += (names.empty() ? "" : ", ") + name;
    result_.Doubts.push_back("the measurements cannot determine " + names +
                             ": -o keeps the start value; remove " +
                             (group.Parameters.size() > 1 ? "them" : "it") +
                             " from --free, or measure what determines " +
                             (group.Parameters.size() > 1 ? "them" : "it"));
  }
  JudgeSingleStart();
}

//! One start alone confirms nothing where it ended on a bound or with a parameter the
//! measurements seem not to determine: another start may well find the optimum elsewhere.
void FitSolve::JudgeSingleStart() {
  if (result_.Starts != 1) return;
  for (const FittedParameter& p : result_.Parameters) {
    if (p.Identifiable && p.BoundReached == BoundSide::None) continue;
    result_.Doubts.push_back(
        "the only start ended with " + p.Name +
        (p.Identifiable ? " at its " + std::string(BoundSideName(p.BoundReached)) + " bound"
                        : " not determined") +
        ", which no other start confirms: give more --starts");
    return;
  }
}

//! Step 11: the marches of all threads.
void FitSolve::CountRuns() {
  for (const auto& model : models_) {
    result_.ModelRuns += model->Runs();
    result_.FaultedRuns += model->Faults();
  }
  workers_.combine_each([&](const TrialModels& models) {
    for (const auto& model : models) {
      result_.ModelRuns += model->Runs();
      result_.FaultedRuns += model->Faults();
    }
  });
}

}  // namespace quillmere
