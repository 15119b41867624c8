#include "analysis/fit/FitProfiles.h"

#include <algorithm>
#include <cmath>

#include "analysis/fit/TrialModel.h"

namespace quillmere {
namespace {

//! Fits of the others tried on each side before the end is taken where it stands.
constexpr int kProfileFits = 12;

//! An end is found when the square root of the rise is met to this share.
constexpr double kProfileTolerance = 0.01;

//! The others fitted with parameter `i` held at `value`, from `values` (all free parameters),
//! the order members beside it pushed out of its way; nullopt when the bounds leave no room.
std::optional<LocalOptimum> FitHeld(TrialModels& models, const ParameterMap& map,
                                    const std::vector<FittingValues>& trials, std::size_t i,
                                    double value, std::vector<double> values, int maxIterations,
                                    const std::atomic<bool>* stop) {
  const int rank = OrderRank(*map.Parameters()[i].Field);
  values[i] = value;
  std::vector<FreeParameter> others;
  std::vector<double> start;
  for (std::size_t j = 0; j < map.Size(); ++j) {
    const int other = OrderRank(*map.Parameters()[j].Field);
    if (rank >= 0 && other >= 0 && other < rank) values[j] = std::min(values[j], value);
    if (rank >= 0 && other >= 0 && other > rank) values[j] = std::max(values[j], value);
    if (j == i) continue;
    others.push_back(map.Parameters()[j]);
    start.push_back(values[j]);
  }
  std::vector<FittingValues> held;
  for (const FittingValues& trial : trials) held.push_back(map.WithValues(trial, values));
  try {
    const ParameterMap heldMap(others, held);
    std::vector<double> variables(start.size());
    heldMap.ToVariables(start.data(), variables.data());
    const FitSpace space{&heldMap, map.Size(), static_cast<int>(i), value, stop};
    return FitLocally(models, space, variables, maxIterations);
  } catch (const FitParameterError&) {
    return std::nullopt;
  }
}

}  // namespace

ProfileEnd TraceProfile(TrialModels& models, const ParameterMap& map,
                        const std::vector<FittingValues>& trials, std::size_t i, int side,
                        const std::vector<double>& best, double bestSum, double rise,
                        double firstStep, int maxIterations, const std::atomic<bool>* stop) {
  const FreeParameter& p = map.Parameters()[i];
  const std::optional<Bound> bound = side < 0 ? p.Lower : p.Upper;
  const double target = std::sqrt(rise);
  const double fitted = best[i];
  // The profile's root rise q = sqrt(sum - bestSum) grows about linearly with the distance:
  // the next value is the secant's, between the nearest point below the target and the
  // nearest above it once there is one.
  struct Point {
    double at;
    double q;
  };
  Point inner{fitted, 0};
  std::optional<Point> outer;
  std::vector<double> from = best;
  ProfileEnd end;
  double next = fitted + side * firstStep;
  for (int fit = 0; fit < kProfileFits && !(stop && stop->load()); ++fit) {
    if (bound && side * (next - bound->Value) >= 0) next = bound->Value;
    const bool onBound = bound && next == bound->Value;
    ++end.LocalFits;
    const std::optional<LocalOptimum> held =
        FitHeld(models, map, trials, i, next, from, maxIterations, stop);
    if (!held || !held->Ran) {
      if (onBound && !held) {  // the bound leaves the others no room: it ends the interval
        end.Value = next;
        end.AtBound = true;
        return end;
      }
      next = (inner.at + next) / 2;  // the model does not run there: closer in
      continue;
    }
    if (held->SumOfSquares < bestSum - 1e-9 * std::max(bestSum, 1.0)) {
      end.LowerSum = std::min(end.LowerSum.value_or(held->SumOfSquares), held->SumOfSquares);
    }
    const double q = std::sqrt(std::max(0.0, held->SumOfSquares - bestSum));
    if (std::abs(q - target) <= kProfileTolerance * target) {
      end.Value = next;
      return end;
    }
    if (q < target) {
      if (onBound) {
        end.Value = next;
        end.AtBound = true;
        return end;
      }
      const double slope = q > inner.q ? (q - inner.q) / std::abs(next - inner.at) : 0;
      inner = {next, q};
      from = held->Values;
      const double reach = std::abs(next - fitted);
      double step = slope > 0 ? (target - q) / slope : reach;
      if (!outer) step = std::min(step, 3 * reach);  // no wild leaps on a flat profile
      next = outer ? inner.at + (outer->at - inner.at) * (target - inner.q) / (outer->q - inner.q)
                   : inner.at + side * step;
    } else {
      outer = Point{next, q};
      next = inner.at + (outer->at - inner.at) * (target - inner.q) / (outer->q - inner.q);
    }
  }
  end.Value = outer ? std::optional<double>(next) : std::nullopt;
  return end;
}

}  // namespace quillmere
