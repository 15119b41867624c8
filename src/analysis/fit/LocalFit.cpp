#include "analysis/fit/LocalFit.h"

#include <ceres/ceres.h>

#include <algorithm>
#include <cmath>

#include "analysis/fit/TrialModel.h"
#include "report/CsvText.h"

namespace quillmere {
namespace {

//! How far inside its room's ends a member of the order is moved to see whether the model
//! responds there: a millionth of the room, well within any strip a step of the march misses.
constexpr double kStripInset = 1e-6;

//! Most iterations of a start of the search: one still creeping along a flat valley by then is
//! left where it is; only the best end is polished with the full count.
constexpr int kSearchIterations = 50;

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

//! The residuals of one trial with their derivatives by differences: forward ones (one run a
//! variable) while searching, central ones (two, and exact to second order) when polishing.
template <ceres::NumericDiffMethodType kMethod>
ceres::CostFunction* CostOf(TrialModel* model, const FitSpace& space) {
  auto* cost = new ceres::DynamicNumericDiffCostFunction<VariableResiduals, kMethod>(
      new VariableResiduals{model, &space});
  for (std::size_t i = 0; i < space.Map->Size(); ++i) cost->AddParameterBlock(1);
  cost->SetNumResiduals(static_cast<int>(model->Count()));
  return cost;
}

//! The residuals of all trials at `values`, one after the other; empty when a trial faults.
std::vector<double> AllResiduals(TrialModels& models, const std::vector<double>& values) {
  std::vector<double> all;
  for (const auto& model : models) {
    std::vector<double> residuals(model->Count());
    if (!model->Residuals(values.data(), residuals.data())) return {};
    all.insert(all.end(), residuals.begin(), residuals.end());
  }
  return all;
}

//! The room of free parameter `i` at `values`: from the member of the order below it (free or
//! fixed) or its lower bound, to the one above it or its upper bound; with the names of the
//! two ends for the report ("Wx", or the bound's number).
struct Room {
  double Low = 0;
  double High = 1;
  std::string LowName;
  std::string HighName;
};

std::optional<Room> RoomOf(const ParameterMap& map, std::size_t i,
                           const std::vector<double>& values) {
  const FreeParameter& p = map.Parameters()[i];
  const int rank = OrderRank(*p.Field);
  if (rank < 0 || !p.Lower || !p.Upper) return std::nullopt;
  Room room{p.Lower->Value, p.Upper->Value, CsvNumber(p.Lower->Value), CsvNumber(p.Upper->Value)};
  if (p.Lower->Source == BoundSource::Order && rank > 0) room.LowName = OrderName(rank - 1);
  if (p.Upper->Source == BoundSource::Order && rank < 2) room.HighName = OrderName(rank + 1);
  for (std::size_t j = 0; j < map.Size(); ++j) {
    const int other = OrderRank(*map.Parameters()[j].Field);
    if (other >= 0 && other == rank - 1)
      room = {values[j], room.High, std::string(OrderName(other)), room.HighName};
    if (other >= 0 && other == rank + 1)
      room = {room.Low, values[j], room.LowName, std::string(OrderName(other))};
  }
  return room;
}

//! Where member `i` of the order at `values` lies in a flat strip: a stretch of its room that
//! reaches one end, over which the residuals do not change at all. Returns the bound the strip
//! reaches ("Wx ≤ Wi"), or "" when the model responds on both sides or on neither (then the
//! measurements cannot see the parameter anywhere in its room: not identifiable, no strip).
std::string FlatStripBound(TrialModels& models, const ParameterMap& map, std::size_t i,
                           const std::vector<double>& values, const std::vector<double>& here) {
  const std::optional<Room> room = RoomOf(map, i, values);
  if (!room || here.empty() || !(room->High > room->Low)) return "";
  const double inset = kStripInset * (room->High - room->Low);
  const auto flatTo = [&](double end) {
    std::vector<double> moved = values;
    moved[i] = end;
    return AllResiduals(models, moved) == here;
  };
  const bool below = flatTo(room->Low + inset);
  const bool above = flatTo(room->High - inset);
  const std::string& name = map.Parameters()[i].Name;
  if (below && !above) return room->LowName + " ≤ " + name;
  if (above && !below) return name + " ≤ " + room->HighName;
  return "";
}

//! The members of the order that lie in a flat strip at `values`, with its bound.
std::vector<std::pair<std::size_t, std::string>> InFlatStrips(TrialModels& models,
                                                              const ParameterMap& map,
                                                              const std::vector<double>& values) {
  std::vector<std::pair<std::size_t, std::string>> members;
  const std::vector<double> here = AllResiduals(models, values);
  for (std::size_t i = 0; i < map.Size(); ++i) {
    std::string bound = FlatStripBound(models, map, i, values, here);
    if (!bound.empty()) members.emplace_back(i, std::move(bound));
  }
  return members;
}

//! Ends the solve at its next iteration once a stop is asked for.
class StopCallback : public ceres::IterationCallback {
 public:
  explicit StopCallback(const std::atomic<bool>& stop) : stop_(stop) {}
  ceres::CallbackReturnType operator()(const ceres::IterationSummary&) override {
    return stop_.load() ? ceres::SOLVER_ABORT : ceres::SOLVER_CONTINUE;
  }

 private:
  const std::atomic<bool>& stop_;
};

//! The solver's options for a search's start or a polish.
ceres::Solver::Options SolverOptions(int maxIterations, Closeness closeness) {
  const bool polish = closeness == Closeness::Polish;
  ceres::Solver::Options options;
  options.linear_solver_type = ceres::DENSE_QR;
  options.trust_region_strategy_type = ceres::LEVENBERG_MARQUARDT;
  options.max_num_iterations = polish ? maxIterations : std::min(maxIterations, kSearchIterations);
  options.function_tolerance = polish ? 1e-12 : 1e-8;
  options.parameter_tolerance = polish ? 1e-12 : 1e-8;
  options.gradient_tolerance = polish ? 1e-14 : 1e-10;
  options.num_threads = 1;  // the starts run in parallel, each fit in one thread
  options.logging_type = ceres::SILENT;
  return options;
}

//! Where the solver ended, as a LocalOptimum (the sum of squares there run again).
LocalOptimum EndOf(TrialModels& models, const FitSpace& space, const std::vector<double>& variables,
                   const ceres::Solver::Summary& summary) {
  LocalOptimum end;
  end.Variables = variables;
  end.Values = space.Values(variables.data());
  end.Iterations = summary.num_successful_steps + summary.num_unsuccessful_steps;
  end.Termination = ceres::TerminationTypeToString(summary.termination_type);
  end.Message = summary.message;
  end.Converged = summary.termination_type == ceres::CONVERGENCE;
  end.Stopped = summary.termination_type == ceres::USER_FAILURE && space.Stop && space.Stop->load();
  end.Failed =
      summary.termination_type == ceres::FAILURE || summary.termination_type == ceres::USER_FAILURE;
  if (end.Stopped) return end;  // not an optimum: nothing to run there
  end.Ran = SumOfSquaresAt(models, end.Values, end.SumOfSquares);
  return end;
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
                        int maxIterations, Closeness closeness) {
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
  const bool polish = closeness == Closeness::Polish;
  for (const auto& model : models) {
    problem.AddResidualBlock(polish ? CostOf<ceres::CENTRAL>(model.get(), space)
                                    : CostOf<ceres::FORWARD>(model.get(), space),
                             nullptr, blocks);
  }
  for (std::size_t i = 0; i < map.Size(); ++i) {
    if (const auto lower = map.VariableLower(i))
      problem.SetParameterLowerBound(blocks[i], 0, *lower);
    if (const auto upper = map.VariableUpper(i))
      problem.SetParameterUpperBound(blocks[i], 0, *upper);
  }
  ceres::Solver::Options options = SolverOptions(maxIterations, closeness);
  std::optional<StopCallback> stopCallback;
  if (space.Stop) options.callbacks.push_back(&stopCallback.emplace(*space.Stop));
  ceres::Solver::Summary summary;
  ceres::Solve(options, &problem, &summary);
  return EndOf(models, space, variables, summary);
}

LocalOptimum FitLocallyOutOfStrips(TrialModels& models, const ParameterMap& map,
                                   const std::vector<double>& variables, int maxIterations,
                                   Closeness closeness, const std::atomic<bool>* stop) {
  const FitSpace space{&map, map.Size(), -1, 0, stop};
  LocalOptimum first = FitLocally(models, space, variables, maxIterations, closeness);
  if (!first.Ran) return first;
  const auto strips = InFlatStrips(models, map, first.Values);
  if (strips.empty()) return first;
  // Out of each strip: halfway from where it stands to the far end of its room.
  std::vector<double> values = first.Values;
  for (const auto& [i, bound] : strips) {
    const std::optional<Room> room = RoomOf(map, i, values);
    const bool low = bound.ends_with(" ≤ " + map.Parameters()[i].Name);
    values[i] = (values[i] + (low ? room->High : room->Low)) / 2;
  }
  std::vector<double> inside(map.Size());
  map.ToVariables(values.data(), inside.data());
  LocalOptimum second = FitLocally(models, space, inside, maxIterations, closeness);
  if (second.Stopped) {  // the start did not run its course
    first.Stopped = true;
    return first;
  }
  LocalOptimum better =
      second.Ran && second.SumOfSquares <= first.SumOfSquares ? std::move(second) : first;
  better.Restarted = true;
  better.Stalled = InFlatStrips(models, map, better.Values);
  return better;
}

}  // namespace quillmere
