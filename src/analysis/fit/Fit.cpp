#include "analysis/fit/Fit.h"

#include <ceres/ceres.h>

#include <Eigen/Dense>
#include <algorithm>
#include <chrono>
#include <cmath>
#include <map>
#include <thread>

#include "analysis/CaseRun.h"
#include "analysis/fit/TraceSampling.h"
#include "base/FloatingPointGuard.h"
#include "base/PrintableText.h"
#include "report/CsvText.h"
#include "sim/DryerMarch.h"
#include "sim/TraceView.h"

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

std::string Number(double value) {
  return CsvNumber(value);
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

}  // namespace

//! One trial's model: its own parameter set and simulation state, allocated once for the whole
//! fit, and the places of its measurements on the trace. Runs the march at given values of the
//! free parameters and gives the residuals.
class TrialModel {
 public:
  TrialModel(const FitTrial& trial, const std::vector<const FieldSpec*>& free,
             const FitTrial& first, char separator)
      : table_(trial.Measurements),
        free_(free),
        params_(std::make_unique<ParameterSet>()),
        state_(std::make_unique<SimulationState>()) {
    // The free parameters start from the first trial's texts in every trial.
    MemoryFieldTexts fields = trial.Fields;
    for (const FieldSpec* field : free) fields.SetText(field->name, first.Fields.Text(field->name));
    const CaseResult start = RunCase(fields, separator, *params_, *state_);
    ++runs_;
    if (!start.Finished()) {
      throw FitRefused(
          "The trial " + Quoted(trial.DataFileName) + " does not run at the start values:",
          start.Messages);
    }
    entryTemperature_ = state_->EntryTemperature();
    zones_ = params_->ZoneCount;
    const double end = TraceEnd(*params_, *state_, zones_, table_.Axis);
    for (const Measurement& m : table_.Rows) {
      const std::optional<TraceSite> site =
          LocateOnTrace(*params_, *state_, zones_, table_.Axis, m.Where);
      if (!site) {
        const bool time = table_.Axis == MeasurementAxis::Time;
        throw FitRefused(Quoted(table_.Name) + ", line " + std::to_string(m.Line) + ", " +
                         std::string(AxisName(table_.Axis)) + ": " + Number(m.Where) +
                         " lies outside the dryer of " + Quoted(trial.DataFileName) + ", which " +
                         (time ? "the web leaves after " : "is ") + Number(end) +
                         (time ? " s" : " m long"));
      }
      sites_.push_back(*site);
      weights_.push_back(m.Sigma ? 1 / *m.Sigma : 1.0);
    }
    fitting_ = FittingValuesOf(*params_);
  }

  const FittingValues& Fitting() const { return fitting_; }
  std::size_t Count() const { return sites_.size(); }
  long Runs() const { return runs_; }
  long Faults() const { return faults_; }

  //! Marches through the dryer with the free parameters at `values`; false when the run ends
  //! on a floating-point fault.
  bool Run(const double* values) {
    for (std::size_t i = 0; i < free_.size(); ++i) (*params_).*free_[i]->member = values[i];
    state_->EntryTemperature() = entryTemperature_;
    ++runs_;
    if (MarchThroughDryer(*params_, *state_).Finished()) return true;
    ++faults_;
    return false;
  }

  //! The model at each measured place, of the last run.
  double ModelValue(std::size_t i) const {
    return ValueAt(*state_, sites_[i], table_.Rows[i].Quantity);
  }

  //! (model − measured) / sigma for every measurement; false when the run faults.
  bool Residuals(const double* values, double* residuals) {
    if (!Run(values)) return false;
    ClearFloatingPointFaults();
    for (std::size_t i = 0; i < sites_.size(); ++i) {
      residuals[i] = (ModelValue(i) - table_.Rows[i].Value) * weights_[i];
    }
    return !FloatingPointFaultRaised({residuals[0], residuals[sites_.size() - 1]});
  }

  //! The last run at every stored point along the axis of the measurements.
  std::vector<CurvePoint> Curve() const {
    std::vector<CurvePoint> curve;
    for (int zone = 1; zone <= zones_; ++zone) {
      const ZoneView view(*params_, *state_, zone);
      for (int point = zone == 1 ? 0 : 1; point <= view.Steps(); ++point) {
        const TracePoint at = view.At(point);
        CurvePoint p;
        p.Where = table_.Axis == MeasurementAxis::Position ? at.DryerPosition : at.Time;
        for (std::size_t q = 0; q < kMeasuredQuantities.size(); ++q) {
          p.Values[q] = ValueAt(*state_, TraceSite{zone, point, 0}, kMeasuredQuantities[q]);
        }
        curve.push_back(p);
      }
    }
    return curve;
  }

 private:
  const MeasurementTable& table_;
  std::vector<const FieldSpec*> free_;
  std::unique_ptr<ParameterSet> params_;
  std::unique_ptr<SimulationState> state_;
  double entryTemperature_ = 0;
  int zones_ = 0;
  std::vector<TraceSite> sites_;
  std::vector<double> weights_;  //!< 1 / sigma, or 1
  FittingValues fitting_{};
  long runs_ = 0;
  long faults_ = 0;  //!< runs that ended on a floating-point fault
};

namespace {

//! The residuals of one trial as a function of the solver's variables (one a parameter block).
struct VariableResiduals {
  TrialModel* model;
  const ParameterMap* map;
  bool operator()(double const* const* variables, double* residuals) const {
    std::array<double, kFittingParameterCount> u{};
    std::array<double, kFittingParameterCount> values{};
    for (std::size_t i = 0; i < map->Size(); ++i) u[i] = variables[i][0];
    map->ToValues(u.data(), values.data());
    return model->Residuals(values.data(), residuals);
  }
};

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

}  // namespace

Fit::Fit(std::vector<FitTrial> trials, std::vector<FreeParameter> free, FitOptions options)
    : trials_(std::move(trials)), options_(options) {
  std::vector<const FieldSpec*> fields;
  for (const FreeParameter& p : free) fields.push_back(p.Field);
  // Measurements with sigmas and without cannot be weighed against each other.
  for (const FitTrial& trial : trials_) {
    const MeasurementTable& first = trials_.front().Measurements;
    if (trial.Measurements.HasSigma != first.HasSigma) {
      const MeasurementTable& with = first.HasSigma ? first : trial.Measurements;
      const MeasurementTable& without = first.HasSigma ? trial.Measurements : first;
      throw FitRefused(Quoted(with.Name) + " gives sigmas and " + Quoted(without.Name) +
                       " does not: give a sigma for every measurement or for none.");
    }
  }
  std::vector<FittingValues> fitting;
  for (const FitTrial& trial : trials_) {
    models_.push_back(
        std::make_unique<TrialModel>(trial, fields, trials_.front(), options_.DecimalSeparator));
    fitting.push_back(models_.back()->Fitting());
  }
  map_ = std::make_unique<ParameterMap>(std::move(free), fitting);
}

Fit::~Fit() = default;

MemoryFieldTexts Fit::FittedFields(const std::vector<double>& values) const {
  MemoryFieldTexts fields = trials_.front().Fields;
  for (std::size_t i = 0; i < map_->Size(); ++i) {
    std::string text = CsvNumber(values[i]);
    std::replace(text.begin(), text.end(), '.', options_.DecimalSeparator);
    fields.SetText(map_->Parameters()[i].Field->name, text);
  }
  return fields;
}

FitResult Fit::Solve() {
  const auto began = std::chrono::steady_clock::now();
  const std::size_t n = map_->Size();
  const std::vector<double> start = map_->StartValues();
  const int threads = options_.Threads > 0
                          ? options_.Threads
                          : static_cast<int>(std::clamp<std::size_t>(
                                std::thread::hardware_concurrency(), 1, models_.size()));
  FitResult result;
  result.SigmaGiven = trials_.front().Measurements.HasSigma;
  std::size_t measurements = 0;
  for (const auto& model : models_) measurements += model->Count();

  // The start: the model at each measurement and along the dryer.
  std::vector<std::vector<double>> residuals(models_.size());
  for (std::size_t t = 0; t < models_.size(); ++t) {
    TrialModel& model = *models_[t];
    residuals[t].resize(model.Count());
    if (!model.Residuals(start.data(), residuals[t].data())) {
      throw std::runtime_error("The start values do not run through the dryer of " +
                               Quoted(trials_[t].DataFileName));
    }
    result.StartSumOfSquares += SumOfSquares(residuals[t]);
    TrialFit trial;
    trial.DataFileName = trials_[t].DataFileName;
    trial.MeasurementFileName = trials_[t].Measurements.Name;
    trial.Axis = trials_[t].Measurements.Axis;
    for (std::size_t i = 0; i < model.Count(); ++i) {
      trial.Measurements.push_back({trials_[t].Measurements.Rows[i], model.ModelValue(i), 0});
    }
    trial.StartCurve = model.Curve();
    result.Trials.push_back(std::move(trial));
  }

  // The least-squares fit in the solver's variables, within their bounds.
  std::vector<double> variables(n);
  map_->ToVariables(start.data(), variables.data());
  ceres::Problem problem;
  std::vector<double*> blocks;
  for (double& v : variables) blocks.push_back(&v);
  for (const auto& model : models_) {
    problem.AddResidualBlock(CostOf(VariableResiduals{model.get(), map_.get()}, n, model->Count()),
                             nullptr, blocks);
  }
  for (std::size_t i = 0; i < n; ++i) {
    if (const auto lower = map_->VariableLower(i)) {
      problem.SetParameterLowerBound(blocks[i], 0, *lower);
    }
    if (const auto upper = map_->VariableUpper(i)) {
      problem.SetParameterUpperBound(blocks[i], 0, *upper);
    }
  }
  ceres::Solver::Options solverOptions;
  solverOptions.linear_solver_type = ceres::DENSE_QR;
  solverOptions.trust_region_strategy_type = ceres::LEVENBERG_MARQUARDT;
  solverOptions.max_num_iterations = options_.MaxIterations;
  solverOptions.function_tolerance = 1e-12;
  solverOptions.parameter_tolerance = 1e-12;
  solverOptions.gradient_tolerance = 1e-14;
  solverOptions.num_threads = threads;
  solverOptions.logging_type = ceres::SILENT;
  ceres::Solver::Summary summary;
  ceres::Solve(solverOptions, &problem, &summary);
  result.Iterations = summary.num_successful_steps + summary.num_unsuccessful_steps;
  result.Termination = ceres::TerminationTypeToString(summary.termination_type);
  result.StopReason = summary.message;
  result.Converged = summary.termination_type == ceres::CONVERGENCE;
  result.Failed =
      summary.termination_type == ceres::FAILURE || summary.termination_type == ceres::USER_FAILURE;

  std::vector<double> fitted(n);
  map_->ToValues(variables.data(), fitted.data());

  // The fitted model at each measurement and along the dryer.
  std::vector<FittingValues> fitting;
  for (std::size_t t = 0; t < models_.size(); ++t) {
    TrialModel& model = *models_[t];
    if (!model.Residuals(fitted.data(), residuals[t].data())) {
      throw std::runtime_error("The fitted values do not run through the dryer of " +
                               Quoted(trials_[t].DataFileName));
    }
    result.FittedSumOfSquares += SumOfSquares(residuals[t]);
    TrialFit& trial = result.Trials[t];
    for (std::size_t i = 0; i < model.Count(); ++i)
      trial.Measurements[i].Fitted = model.ModelValue(i);
    trial.FittedCurve = model.Curve();
    fitting.push_back(model.Fitting());
  }

  // Root mean square errors by quantity, for each trial and over all trials.
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

  for (std::size_t i = 0; i < n; ++i) {
    const FreeParameter& p = map_->Parameters()[i];
    FittedParameter fp;
    fp.Name = p.Name;
    fp.Start = start[i];
    fp.Fitted = fitted[i];
    fp.Lower = p.Lower;
    fp.Upper = p.Upper;
    fp.BoundReached = std::string(BoundReached(p, fitted[i]));
    result.Parameters.push_back(fp);
  }
  result.Constraints = CheckConstraints(*map_, fitting, fitted);
  result.DegreesOfFreedom = static_cast<int>(measurements) - static_cast<int>(n);
  if (result.DegreesOfFreedom > 0) {
    result.ResidualVariance = result.FittedSumOfSquares / result.DegreesOfFreedom;
  }

  // The Jacobian at the fitted values, in the parameters' own values: its columns show what
  // each parameter does to the residuals, its singular values which of them the measurements
  // can tell apart.
  std::vector<double> values = fitted;
  Eigen::MatrixXd jacobian;
  {
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
    evaluate.num_threads = threads;
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
  }
  std::vector<bool> identifiable(n, true);
  std::vector<double> scales(n, 1.0);
  if (jacobian.size() == 0) {
    result.CovarianceNote =
        "no standard errors: the model does not run at every point next to the fitted values "
        "that the derivatives need";
    std::fill(identifiable.begin(), identifiable.end(), false);
  } else {
    const Eigen::VectorXd norms = jacobian.colwise().norm();
    std::vector<std::vector<std::string>> groups;
    // A parameter that moves no residual at all.
    for (std::size_t i = 0; i < n; ++i) {
      if (norms(static_cast<Eigen::Index>(i)) > 0) {
        scales[i] = 1 / norms(static_cast<Eigen::Index>(i));
      } else {
        identifiable[i] = false;
        groups.push_back({map_->Parameters()[i].Name});
      }
    }
    // Parameters whose effects cancel: directions of the scaled Jacobian's null space.
    std::vector<Eigen::Index> moving;
    for (std::size_t i = 0; i < n; ++i) {
      if (identifiable[i]) moving.push_back(static_cast<Eigen::Index>(i));
    }
    if (!moving.empty()) {
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
        std::vector<std::string> group;
        for (Eigen::Index k = 0; k < v.rows(); ++k) {
          if (std::abs(v(k, d)) < kNullComponent) continue;
          const auto i = static_cast<std::size_t>(moving[static_cast<std::size_t>(k)]);
          group.push_back(map_->Parameters()[i].Name);
          identifiable[i] = false;
        }
        if (!group.empty()) groups.push_back(group);
      }
    }
    for (const auto& group : groups) result.Unidentifiable.push_back({group, HintFor(group)});
  }
  for (std::size_t i = 0; i < n; ++i) result.Parameters[i].Identifiable = identifiable[i];

  // The covariance of the identifiable parameters, the others held at their fitted values,
  // computed in scaled values so that its rank test sees the same conditioning as the one
  // above.
  std::vector<std::size_t> kept;
  for (std::size_t i = 0; i < n; ++i) {
    if (identifiable[i]) kept.push_back(i);
  }
  const bool scatterKnown = result.SigmaGiven || result.DegreesOfFreedom > 0;
  if (!kept.empty() && !scatterKnown && result.CovarianceNote.empty()) {
    result.CovarianceNote =
        "no standard errors: without sigmas the scatter of the measurements is estimated from "
        "the fit, and there are no more measurements than free parameters";
  }
  if (!kept.empty() && scatterKnown && result.CovarianceNote.empty()) {
    std::vector<double> scaledValues(n);
    for (std::size_t i = 0; i < n; ++i) scaledValues[i] = fitted[i] / scales[i];
    ceres::Problem covarianceProblem;
    std::vector<double*> scaledBlocks;
    for (double& v : scaledValues) scaledBlocks.push_back(&v);
    for (const auto& model : models_) {
      covarianceProblem.AddResidualBlock(
          CostOf(ScaledResiduals{model.get(), scales}, n, model->Count()), nullptr, scaledBlocks);
    }
    for (std::size_t i = 0; i < n; ++i) {
      if (!identifiable[i]) covarianceProblem.SetParameterBlockConstant(scaledBlocks[i]);
    }
    ceres::Covariance::Options covarianceOptions;
    covarianceOptions.algorithm_type = ceres::DENSE_SVD;
    covarianceOptions.min_reciprocal_condition_number = kIdentifiableRatio * kIdentifiableRatio;
    covarianceOptions.num_threads = threads;
    ceres::Covariance covariance(covarianceOptions);
    std::vector<const double*> keptBlocks;
    for (const std::size_t i : kept) keptBlocks.push_back(scaledBlocks[i]);
    Eigen::MatrixXd c(static_cast<Eigen::Index>(kept.size()),
                      static_cast<Eigen::Index>(kept.size()));
    if (covariance.Compute(keptBlocks, &covarianceProblem) &&
        covariance.GetCovarianceMatrix(keptBlocks, c.data())) {
      const double variance = result.SigmaGiven ? 1.0 : result.ResidualVariance;
      const double factor = IntervalFactor(result.SigmaGiven, result.DegreesOfFreedom);
      for (std::size_t a = 0; a < kept.size(); ++a) {
        for (std::size_t b = 0; b < kept.size(); ++b) {
          c(static_cast<Eigen::Index>(a), static_cast<Eigen::Index>(b)) *=
              scales[kept[a]] * scales[kept[b]] * variance;
        }
      }
      for (std::size_t a = 0; a < kept.size(); ++a) {
        FittedParameter& p = result.Parameters[kept[a]];
        const double error =
            std::sqrt(std::max(0.0, c(static_cast<Eigen::Index>(a), static_cast<Eigen::Index>(a))));
        p.StandardError = error;
        p.Interval95 = std::array<double, 2>{p.Fitted - factor * error, p.Fitted + factor * error};
      }
      for (std::size_t a = 0; a < kept.size(); ++a) {
        result.CorrelationNames.push_back(result.Parameters[kept[a]].Name);
        std::vector<double> row;
        for (std::size_t b = 0; b < kept.size(); ++b) {
          const auto ia = static_cast<Eigen::Index>(a);
          const auto ib = static_cast<Eigen::Index>(b);
          const double scale = std::sqrt(c(ia, ia) * c(ib, ib));
          row.push_back(a == b ? 1.0 : scale > 0 ? c(ia, ib) / scale : 0.0);
        }
        result.Correlation.push_back(row);
      }
    } else {
      result.CovarianceNote = "no standard errors: the covariance could not be computed";
    }
  }

  for (const auto& model : models_) {
    result.ModelRuns += model->Runs();
    result.FaultedRuns += model->Faults();
  }
  result.Seconds = std::chrono::duration<double>(std::chrono::steady_clock::now() - began).count();
  return result;
}

}  // namespace quillmere
