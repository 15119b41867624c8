#include "analysis/LocalFit.h"

#include <ceres/ceres.h>

#include <algorithm>
#include <cmath>

#include "analysis/TrialModel.h"

namespace quillmere {
namespace {

//! The residuals of one trial as a function of the solver's variables (one a parameter block).
struct VariableResiduals {
  TrialModel* model;
  const FitSpace* space;
  bool operator()(double const* const* variables, double* residuals) const {
    std::vector<double> u(space->Map->Size());
    for (std::size_t i = 0; i < u.size(); ++i) u[i] = variables[i][0];
    const std::vector<double> values = space->Values(u.data());
    return model->Residuals(values.data(), residuals);
  }
};

//! The neighbour of free parameter `i` in the order below (side -1) or above (+1): the value
//! of the free member next to it, or the bound that a fixed one sets; nullopt when none.
std::optional<double> Neighbour(const ParameterMap& map, std::size_t i, int side,
                                const std::vector<double>& values) {
  const int rank = OrderRank(*map.Parameters()[i].Field);
  if (rank < 0 || rank + side < 0) return std::nullopt;
  for (std::size_t j = 0; j < map.Size(); ++j) {
    if (OrderRank(*map.Parameters()[j].Field) == rank + side) return values[j];
  }
  const std::optional<Bound>& bound =
      side < 0 ? map.Parameters()[i].Lower : map.Parameters()[i].Upper;
  if (bound && bound->Source == BoundSource::Order) return bound->Value;
  return std::nullopt;
}

//! The variable of free parameter `i` moved to the middle of its room.
double Inside(const ParameterMap& map, std::size_t i, double variable) {
  switch (map.Role(i)) {
    case VariableRole::Fraction:
      return 0.5;
    case VariableRole::Gap:
      return std::max(variable, 10 * kFlatStrip);
    case VariableRole::Value:
      break;
  }
  const std::optional<double> lower = map.VariableLower(i);
  const std::optional<double> upper = map.VariableUpper(i);
  if (lower && upper) return (*lower + *upper) / 2;
  return variable;
}

//! Whether the residuals change when free parameter `i` moves by a quarter of a strip towards
//! the inside of its room.
bool Responds(TrialModels& models, const ParameterMap& map, std::size_t i,
              const std::vector<double>& values) {
  const std::optional<double> below = Neighbour(map, i, -1, values);
  const int inward = below && values[i] - *below <= kFlatStrip ? 1 : -1;
  std::vector<double> moved = values;
  moved[i] += inward * kFlatStrip / 4;
  for (const auto& model : models) {
    std::vector<double> at(model->Count());
    std::vector<double> next(model->Count());
    if (!model->Residuals(values.data(), at.data()) ||
        !model->Residuals(moved.data(), next.data())) {
      return true;
    }
    if (at != next) return true;
  }
  return false;
}

}  // namespace

std::vector<double> FitSpace::Values(const double* variables) const {
  std::vector<double> mapped(Map->Size());
  Map->ToValues(variables, mapped.data());
  if (Held < 0) return mapped;
  std::vector<double> values(Free);
  for (std::size_t i = 0, k = 0; i < Free; ++i) {
    values[i] = static_cast<int>(i) == Held ? HeldValue : mapped[k++];
  }
  return values;
}

bool SumOfSquaresAt(TrialModels& models, const std::vector<double>& values, double& sum) {
  sum = 0;
  for (const auto& model : models) {
    std::vector<double> residuals(model->Count());
    if (!model->Residuals(values.data(), residuals.data())) return false;
    for (const double r : residuals) sum += r * r;
  }
  return std::isfinite(sum);
}

LocalOptimum FitLocally(TrialModels& models, const FitSpace& space, std::vector<double> variables,
                        int maxIterations) {
  const ParameterMap& map = *space.Map;
  LocalOptimum end;
  for (std::size_t i = 0; i < map.Size(); ++i) {
    if (const auto lower = map.VariableLower(i)) variables[i] = std::max(variables[i], *lower);
    if (const auto upper = map.VariableUpper(i)) variables[i] = std::min(variables[i], *upper);
  }
  if (map.Size() == 0) {  // nothing left to vary: the point itself
    end.Values = space.Values(variables.data());
    end.Ran = SumOfSquaresAt(models, end.Values, end.SumOfSquares);
    end.Converged = end.Ran;
    end.Termination = "CONVERGENCE";
    return end;
  }
  ceres::Problem problem;
  std::vector<double*> blocks;
  for (double& v : variables) blocks.push_back(&v);
  for (const auto& model : models) {
    auto* cost = new ceres::DynamicNumericDiffCostFunction<VariableResiduals, ceres::CENTRAL>(
        new VariableResiduals{model.get(), &space});
    for (std::size_t i = 0; i < map.Size(); ++i) cost->AddParameterBlock(1);
    cost->SetNumResiduals(static_cast<int>(model->Count()));
    problem.AddResidualBlock(cost, nullptr, blocks);
  }
  for (std::size_t i = 0; i < map.Size(); ++i) {
    if (const auto lower = map.VariableLower(i))
      problem.SetParameterLowerBound(blocks[i], 0, *lower);
    if (const auto upper = map.VariableUpper(i))
      problem.SetParameterUpperBound(blocks[i], 0, *upper);
  }
  ceres::Solver::Options options;
  options.linear_solver_type = ceres::DENSE_QR;
  options.trust_region_strategy_type = ceres::LEVENBERG_MARQUARDT;
  options.max_num_iterations = maxIterations;
  options.function_tolerance = 1e-12;
  options.parameter_tolerance = 1e-12;
  options.gradient_tolerance = 1e-14;
  options.num_threads = 1;  // the starts run in parallel, each fit in one thread
  options.logging_type = ceres::SILENT;
  ceres::Solver::Summary summary;
  ceres::Solve(options, &problem, &summary);
  end.Variables = variables;
  end.Values = space.Values(variables.data());
  end.Iterations = summary.num_successful_steps + summary.num_unsuccessful_steps;
  end.Termination = ceres::TerminationTypeToString(summary.termination_type);
  end.Message = summary.message;
  end.Converged = summary.termination_type == ceres::CONVERGENCE;
  end.Failed =
      summary.termination_type == ceres::FAILURE || summary.termination_type == ceres::USER_FAILURE;
  end.Ran = SumOfSquaresAt(models, end.Values, end.SumOfSquares);
  return end;
}

std::string StripAt(const ParameterMap& map, std::size_t i, const std::vector<double>& values) {
  const int rank = OrderRank(*map.Parameters()[i].Field);
  if (rank < 0) return "";
  const std::optional<double> below = Neighbour(map, i, -1, values);
  const std::optional<double> above = Neighbour(map, i, 1, values);
  if (below && values[i] - *below <= kFlatStrip) {
    return std::string(OrderName(rank - 1)) + " ≤ " + std::string(OrderName(rank));
  }
  if (above && *above - values[i] <= kFlatStrip) {
    return std::string(OrderName(rank)) + " ≤ " + std::string(OrderName(rank + 1));
  }
  return "";
}

LocalOptimum FitLocallyOutOfStrips(TrialModels& models, const ParameterMap& map,
                                   const std::vector<double>& variables, int maxIterations) {
  const FitSpace space{&map, map.Size(), -1, 0};
  LocalOptimum first = FitLocally(models, space, variables, maxIterations);
  if (!first.Ran) return first;
  const auto inStrips = [&](const LocalOptimum& end) {
    std::vector<std::size_t> members;
    for (std::size_t i = 0; i < map.Size(); ++i) {
      if (!StripAt(map, i, end.Values).empty()) members.push_back(i);
    }
    return members;
  };
  const std::vector<std::size_t> strips = inStrips(first);
  if (strips.empty()) return first;
  std::vector<double> inside = first.Variables;
  for (const std::size_t i : strips) inside[i] = Inside(map, i, inside[i]);
  LocalOptimum second = FitLocally(models, space, inside, maxIterations);
  LocalOptimum better =
      second.Ran && second.SumOfSquares <= first.SumOfSquares ? std::move(second) : first;
  better.Restarted = true;
  for (const std::size_t i : inStrips(better)) {
    if (!Responds(models, map, i, better.Values)) better.Stalled.push_back(i);
  }
  return better;
}

}  // namespace quillmere
