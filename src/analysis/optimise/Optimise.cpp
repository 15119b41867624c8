#include "analysis/optimise/Optimise.h"

#include "analysis/CaseRun.h"

#include <oneapi/tbb/blocked_range.h>
#include <oneapi/tbb/enumerable_thread_specific.h>
#include <oneapi/tbb/info.h>
#include <oneapi/tbb/parallel_for.h>
#include <oneapi/tbb/partitioner.h>
#include <oneapi/tbb/task_arena.h>
#include <nlopt.hpp>

#include <algorithm>
#include <chrono>
#include <cmath>
#include <memory>
#include <numeric>
#include <random>

#include "base/Error.h"
#include "base/NumberText.h"

namespace quillmere {
namespace {

//! The constraint value of a setting whose run did not finish: far outside every limit, so
//! that the search turns away from it, but finite, so that its linear models stay usable.
constexpr double kFailedRun = 10.0;
//! Ends whose scaled objectives differ by less than this reached the same optimum.
constexpr double kSameObjective = 1e-3;
//! Ends farther apart than this (scaled, largest coordinate) are distinct optima.
constexpr double kSamePlace = 0.05;
//! The trust region's first radius, as a share of each range: a tenth, so that the first
//! simplex stays near the start rather than leaping into a region the limits close off.
constexpr double kFirstRadius = 0.1;
//! An end this near to meeting every limit is searched once more with the limits tightened by
//! kTightening.
constexpr double kNearlyMet = 1e-2;
constexpr double kTightening = 1e-6;
//! Bisection steps of the final polish.
constexpr int kPolishSteps = 8;

using Worker = CaseWorker;

//! A scaled setting and what its run gave, as the search weighs it.
struct Point {
  std::vector<double> X;          //!< scaled to [0, 1]
  double F = 0;                   //!< the objective as minimised: signed and scaled
  double Violation = kFailedRun;  //!< the largest Constraint (kFailedRun: the run failed)
  double Objective = 0;           //!< in its unit
  //! The sum of the squared violations, smooth where two limits cross (kFailedRun: failed).
  double Excess = kFailedRun;
  bool Finished = false;
  bool Feasible() const { return Finished && Violation <= 0; }
};

//! Better of two points: feasible before infeasible, then the lower F; among infeasible ones,
//! the smaller violation.
bool Better(const Point& a, const Point& b) {
  if (a.Feasible() != b.Feasible()) return a.Feasible();
  if (a.Feasible()) return a.F < b.F;
  if (a.Violation != b.Violation) return a.Violation < b.Violation;
  return a.F < b.F;
}

struct Context {
  const OptimiseProblem& Problem;
  const OptimiseOptions& Options;
  OptimiseControl& Control;
  double ObjectiveScale = 1;
};

std::vector<double> Unscaled(const OptimiseProblem& problem, const std::vector<double>& x) {
  std::vector<double> values(x.size());
  for (std::size_t i = 0; i < x.size(); ++i) {
    const FreeInput& f = problem.Free[i];
    values[i] = f.Low + std::clamp(x[i], 0.0, 1.0) * (f.High - f.Low);
  }
  return values;
}

//! One local search from one start: COBYLA over the scaled box, with the last run cached
//! (NLopt asks for the objective and then the limits of the same setting) and the best points
//! seen kept, since COBYLA's own end may lie a hair outside a limit.
class LocalSearch {
 public:
  LocalSearch(const Context& context, Worker& worker) : context_(context), worker_(worker) {}

  Point Evaluate(const std::vector<double>& x) {
    if (last_ && last_->X == x) return *last_;
    if (context_.Control.Stop.load(std::memory_order_relaxed)) throw nlopt::forced_stop();
    const OptimiseProblem& problem = context_.Problem;
    const RunEvaluation run =
        EvaluateSetting(problem, Unscaled(problem, x), context_.Options.DecimalSeparator,
                        worker_.Fields, *worker_.Params, *worker_.State);
    ++runs_;
    context_.Control.Runs.fetch_add(1, std::memory_order_relaxed);
    Point p;
    p.X = x;
    p.Finished = run.Finished;
    if (run.Finished) {
      p.Objective = run.Objective;
      p.F = (problem.Goal.Maximise ? -run.Objective : run.Objective) / context_.ObjectiveScale;
      p.Violation = -kFailedRun;
      for (std::size_t i = 0; i < problem.Limits.size(); ++i) {
        p.Violation = std::max(p.Violation, Constraint(problem.Limits[i], run.LimitValue[i]));
      }
      if (problem.Limits.empty()) p.Violation = 0;
      constraints_.assign(problem.Limits.size(), 0.0);
      p.Excess = 0;
      for (std::size_t i = 0; i < problem.Limits.size(); ++i) {
        constraints_[i] = Constraint(problem.Limits[i], run.LimitValue[i]);
        const double excess = std::max(constraints_[i], 0.0);
        p.Excess += excess * excess;
      }
    } else {
      p.F = 0;
      constraints_.assign(problem.Limits.size(), kFailedRun);
    }
    if (!best_ || Better(p, *best_)) best_ = p;
    last_ = p;
    return p;
  }

  //! COBYLA from `x0` with a first radius of `radius` (scaled), then the polish.
  Point Run(const std::vector<double>& x0, double radius, int maxRuns) {
    std::vector<double> x = x0;
    Evaluate(x);
    Minimise(x, radius, maxRuns);
    // COBYLA may end where its merit of objective and limits has a local minimum outside the
    // limits (two limits pulling the air temperature opposite ways while the speed is high).
    // Then first a setting that meets the limits is sought alone, minimising the sum of the
    // squared violations from the nearest setting, and from it the objective again.
    if (!best_->Feasible() && static_cast<int>(runs_) + 10 < maxRuns &&
        !context_.Control.Stop.load()) {
      x = best_->X;
      feasibilityPhase_ = true;
      Minimise(x, radius, (maxRuns - static_cast<int>(runs_)) / 2);
      feasibilityPhase_ = false;
      if (best_->Feasible() && static_cast<int>(runs_) + 10 < maxRuns) {
        x = best_->X;
        Minimise(x, radius, maxRuns - static_cast<int>(runs_));
      }
    }
    if (context_.Control.Stop.load()) return *best_;
    const Point end = Evaluate(x);
    if (!best_->Feasible() && end.Finished && end.Violation <= kNearlyMet) {
      // COBYLA met the limits from outside only to its own round-off: once more from its end,
      // with every limit tightened by a hair.
      margin_ = kTightening;
      Minimise(x, radius / 10, std::max(maxRuns / 4, 10));
      margin_ = 0;
      if (context_.Control.Stop.load()) return *best_;
    }
    return Polish(x);
  }

  std::size_t Runs() const { return runs_; }
  //! The last COBYLA search ended by its own tolerance, not by the run budget.
  bool Converged() const { return converged_; }

 private:
  //! One COBYLA search from `x` (which it leaves at its end).
  void Minimise(std::vector<double>& x, double radius, int maxRuns) {
    const std::size_t n = x.size();
    nlopt::opt opt(nlopt::LN_COBYLA, static_cast<unsigned>(n));
    opt.set_lower_bounds(std::vector<double>(n, 0.0));
    opt.set_upper_bounds(std::vector<double>(n, 1.0));
    opt.set_min_objective(&LocalSearch::ObjectiveOf, this);
    const std::size_t m = context_.Problem.Limits.size();
    if (m > 0 && !feasibilityPhase_) {
      opt.add_inequality_mconstraint(&LocalSearch::ConstraintsOf, this,
                                     std::vector<double>(m, 0.0));
    }
    opt.set_initial_step(std::vector<double>(n, radius));
    opt.set_xtol_abs(MinimumRadii());
    opt.set_maxeval(maxRuns);
    double f = 0;
    try {
      converged_ = opt.optimize(x, f) != nlopt::MAXEVAL_REACHED;
    } catch (const std::exception&) {
      // A stop, or COBYLA's own end on round-off: the best points seen stand.
      converged_ = !context_.Control.Stop.load();
    }
  }

  //! The smallest trust radius of each free input: the option's share of its range, and at
  //! least two increments of z for a zone length.
  std::vector<double> MinimumRadii() const {
    const OptimiseProblem& problem = context_.Problem;
    const double incrementZ =
        ParseNumber(worker_.Fields.Text("Edit20"), context_.Options.DecimalSeparator).value_or(0.0);
    std::vector<double> radii;
    for (const FreeInput& f : problem.Free) {
      double radius = context_.Options.MinRadius;
      if (f.WholeSteps && incrementZ > 0) {
        radius = std::max(radius, 2 * incrementZ / (f.High - f.Low));
      }
      radii.push_back(std::min(radius, 0.5));
    }
    return radii;
  }

  //! COBYLA's end `x`, where it lies a hair outside a limit and beats the best feasible point
  //! seen, bisected towards that point: the best setting on the way that meets every limit.
  Point Polish(const std::vector<double>& x) {
    const Point end = Evaluate(x);
    if (!best_->Feasible() || end.Feasible() || !end.Finished || end.F >= best_->F ||
        end.Violation > 0.01) {
      return *best_;
    }
    std::vector<double> inside = best_->X;
    std::vector<double> outside = x;
    for (int step = 0; step < kPolishSteps; ++step) {
      std::vector<double> middle(x.size());
      for (std::size_t i = 0; i < x.size(); ++i) middle[i] = 0.5 * (inside[i] + outside[i]);
      if (Evaluate(middle).Feasible()) {
        inside = middle;
      } else {
        outside = middle;
      }
    }
    return *best_;
  }

  static double ObjectiveOf(unsigned n, const double* x, double* /*gradient*/, void* data) {
    auto& self = *static_cast<LocalSearch*>(data);
    const Point p = self.Evaluate(std::vector<double>(x, x + n));
    if (!self.feasibilityPhase_) return p.F;
    if (p.Feasible()) throw nlopt::forced_stop();  // found: the objective takes over
    return p.Excess;
  }

  static void ConstraintsOf(unsigned m, double* result, unsigned n, const double* x,
                            double* /*gradient*/, void* data) {
    auto& self = *static_cast<LocalSearch*>(data);
    self.Evaluate(std::vector<double>(x, x + n));
    for (unsigned i = 0; i < m; ++i) result[i] = self.constraints_[i] + self.margin_;
  }

  const Context& context_;
  Worker& worker_;
  std::optional<Point> last_;
  std::vector<double> constraints_;  //!< of last_
  double margin_ = 0;                //!< added to every constraint COBYLA sees
  bool converged_ = false;
  bool feasibilityPhase_ = false;  //!< COBYLA minimises the largest violation alone
  std::optional<Point> best_;
  std::size_t runs_ = 0;
};

double Distance(const std::vector<double>& a, const std::vector<double>& b) {
  double largest = 0;
  for (std::size_t i = 0; i < a.size(); ++i) largest = std::max(largest, std::fabs(a[i] - b[i]));
  return largest;
}

std::vector<double> Scaled(const OptimiseProblem& problem, const std::vector<double>& values) {
  std::vector<double> x(values.size());
  for (std::size_t i = 0; i < values.size(); ++i) {
    const FreeInput& f = problem.Free[i];
    x[i] = (values[i] - f.Low) / (f.High - f.Low);
  }
  return x;
}

//! A uniform number in [0, 1) from the generator's raw bits, the same on every platform.
double Uniform(std::mt19937_64& random) {
  return static_cast<double>(random() >> 11) * 0x1.0p-53;
}

}  // namespace

std::vector<std::vector<double>> StartPoints(const OptimiseProblem& problem,
                                             const MemoryFieldTexts& base, char decimalSeparator,
                                             int count, std::uint64_t seed) {
  const std::size_t n = problem.Free.size();
  std::vector<std::vector<double>> starts;
  std::vector<double> given(n);
  for (std::size_t i = 0; i < n; ++i) {
    const FreeInput& f = problem.Free[i];
    const double value = ParseNumber(base.Text(f.FieldName), decimalSeparator).value_or(f.Low);
    given[i] = std::clamp((value - f.Low) / (f.High - f.Low), 0.0, 1.0);
  }
  starts.push_back(given);
  const std::size_t others = count > 1 ? static_cast<std::size_t>(count - 1) : 0;
  if (others == 0) return starts;
  std::mt19937_64 random(seed);
  std::vector<std::vector<std::size_t>> strata(n);
  for (std::size_t i = 0; i < n; ++i) {
    strata[i].resize(others);
    std::iota(strata[i].begin(), strata[i].end(), 0);
    for (std::size_t j = others; j-- > 1;) {
      std::swap(strata[i][j], strata[i][random() % (j + 1)]);
    }
  }
  for (std::size_t k = 0; k < others; ++k) {
    std::vector<double> x(n);
    for (std::size_t i = 0; i < n; ++i) {
      x[i] = (static_cast<double>(strata[i][k]) + Uniform(random)) / static_cast<double>(others);
    }
    starts.push_back(std::move(x));
  }
  return starts;
}

MemoryFieldTexts SettingFields(const OptimiseProblem& problem, const MemoryFieldTexts& base,
                               const std::vector<double>& values, char decimalSeparator) {
  MemoryFieldTexts fields = base;
  ApplyValues(problem, values, decimalSeparator, fields);
  return fields;
}

OptimiseResult Optimise(const OptimiseProblem& problem, const MemoryFieldTexts& base,
                        const OptimiseOptions& options, OptimiseControl& control) {
  CheckProblem(problem);
  const auto began = std::chrono::steady_clock::now();
  const std::size_t runsBefore = control.Runs.load();
  OptimiseResult result;
  const std::vector<std::vector<double>> starts = StartPoints(
      problem, base, options.DecimalSeparator, std::max(options.Starts, 1), options.Seed);

  // The objective's scale: a free input's range, or a result's value at the data file's
  // setting, so that COBYLA's tolerances mean the same share whatever the unit.
  Context context{problem, options, control, 1.0};
  auto first = std::make_unique<Worker>(base);
  if (problem.Goal.What == Quantity::Input) {
    for (const FreeInput& f : problem.Free) {
      if (f.Field == problem.Goal.Input) context.ObjectiveScale = f.High - f.Low;
    }
  } else {
    const RunEvaluation run =
        EvaluateSetting(problem, Unscaled(problem, starts[0]), options.DecimalSeparator,
                        first->Fields, *first->Params, *first->State);
    control.Runs.fetch_add(1);
    if (run.Finished && std::fabs(run.Objective) > 0) {
      context.ObjectiveScale = std::fabs(run.Objective);
    }
  }

  tbb::enumerable_thread_specific<std::unique_ptr<Worker>> workers(
      [&base] { return std::make_unique<Worker>(base); });
  const int jobs = options.Jobs > 0 ? options.Jobs : tbb::info::default_concurrency();
  tbb::task_arena arena(jobs);
  std::vector<std::optional<Point>> ends(starts.size());
  result.Starts.resize(starts.size());
  arena.execute([&] {
    tbb::parallel_for(
        tbb::blocked_range<std::size_t>(0, starts.size(), 1),
        [&](const tbb::blocked_range<std::size_t>& range) {
          for (std::size_t i = range.begin(); i != range.end(); ++i) {
            if (control.Stop.load()) return;
            LocalSearch search(context, *workers.local());
            try {
              ends[i] = search.Run(starts[i], kFirstRadius, options.MaxRunsPerStart);
              result.Starts[i].Converged = search.Converged();
            } catch (const nlopt::forced_stop&) {
            }
            result.Starts[i].Runs = search.Runs();
            control.StartsDone.fetch_add(1);
          }
        },
        tbb::simple_partitioner());
  });
  result.Stopped = control.Stop.load();

  std::optional<std::size_t> bestStart;
  for (std::size_t i = 0; i < starts.size(); ++i) {
    StartOutcome& s = result.Starts[i];
    s.From = Unscaled(problem, starts[i]);
    if (!ends[i]) continue;
    const Point& end = *ends[i];
    s.To = Unscaled(problem, end.X);
    s.Feasible = end.Feasible();
    s.Finished = end.Finished;
    s.Objective = end.Objective;
    s.Violation = end.Violation;
    if (!bestStart || Better(end, *ends[*bestStart])) bestStart = i;
  }
  if (!bestStart) {
    result.Runs = control.Runs.load() - runsBefore;
    result.Seconds =
        std::chrono::duration<double>(std::chrono::steady_clock::now() - began).count();
    return result;
  }
  const Point& best = *ends[*bestStart];
  result.Feasible = best.Feasible();
  result.AnyFinished = best.Finished;
  for (std::size_t i = 0; i < starts.size(); ++i) {
    if (!ends[i] || !ends[i]->Feasible() || !result.Feasible) continue;
    const Point& end = *ends[i];
    // An end within reach of the best, or as good, is the optimum found again (a start that
    // stopped short of it by its run budget counts too); only a distant one is another optimum.
    if (end.F - best.F <= kSameObjective || Distance(end.X, best.X) <= kSamePlace) {
      result.ReachedBy.push_back(i);
      continue;
    }
    if (!result.Starts[i].Converged) continue;  // stopped on its way: no optimum
    bool merged = false;
    for (OtherOptimum& other : result.OtherOptima) {
      const std::vector<double> x = Scaled(problem, other.Values);
      if (Distance(x, end.X) <= kSamePlace) {
        other.Starts.push_back(i);
        merged = true;
        break;
      }
    }
    if (!merged) result.OtherOptima.push_back({{i}, Unscaled(problem, end.X), end.Objective});
  }
  std::sort(result.OtherOptima.begin(), result.OtherOptima.end(),
            [&](const OtherOptimum& a, const OtherOptimum& b) {
              return problem.Goal.Maximise ? a.Objective > b.Objective : a.Objective < b.Objective;
            });

  // The setting reported, run once more for its limits and where each is highest.
  result.Values = Unscaled(problem, best.X);
  double incrementZ = ParseNumber(base.Text("Edit20"), options.DecimalSeparator).value_or(0.0);
  for (std::size_t i = 0; i < problem.Free.size(); ++i) {
    const FieldSpec* field = problem.Free[i].Field;
    if (field != nullptr && field->member == &ParameterSet::IncrementZ) {
      incrementZ = result.Values[i];
    }
  }
  for (std::size_t i = 0; i < problem.Free.size(); ++i) {
    result.Values[i] = ModelValue(problem.Free[i], result.Values[i], incrementZ);
  }
  const RunEvaluation run =
      EvaluateSetting(problem, Unscaled(problem, best.X), options.DecimalSeparator, first->Fields,
                      *first->Params, *first->State);
  control.Runs.fetch_add(1);
  result.Outcome = run.Outcome;
  result.Objective = run.Objective;
  result.Plant = run.Plant;
  if (run.Finished) {
    for (std::size_t i = 0; i < problem.Limits.size(); ++i) {
      LimitAtOptimum limit;
      limit.What = problem.Limits[i];
      limit.Value = run.LimitValue[i];
      limit.Margin = limit.What.Bound - limit.Value;
      limit.Binding = Constraint(limit.What, limit.Value) >= -kBindingShare;
      limit.Place = run.LimitPlace[i];
      result.Limits.push_back(limit);
    }
  }

  // Shadow prices: each binding limit relaxed by 1 %, searched again from the optimum.
  if (options.ShadowPrices && result.Feasible && !result.Stopped) {
    std::vector<std::size_t> binding;
    for (std::size_t i = 0; i < result.Limits.size(); ++i) {
      if (result.Limits[i].Binding) binding.push_back(i);
    }
    std::vector<std::optional<double>> gains(binding.size());
    arena.execute([&] {
      tbb::parallel_for(
          tbb::blocked_range<std::size_t>(0, binding.size(), 1),
          [&](const tbb::blocked_range<std::size_t>& range) {
            for (std::size_t k = range.begin(); k != range.end(); ++k) {
              OptimiseProblem relaxed = problem;
              Limit& limit = relaxed.Limits[binding[k]];
              limit.Bound += limit.Bound == 0 ? 0.01 : 0.01 * std::fabs(limit.Bound);
              const Context relaxedContext{relaxed, options, control, context.ObjectiveScale};
              // Two searches from the optimum, a wide and a narrow first radius: a limit that
              // bends back can turn one of them away.
              for (const double radius : {kFirstRadius / 5, kFirstRadius / 50}) {
                LocalSearch search(relaxedContext, *workers.local());
                try {
                  const Point end = search.Run(best.X, radius, options.MaxRunsPerStart / 2);
                  if (end.Feasible()) {
                    const double gain = problem.Goal.Maximise ? end.Objective - best.Objective
                                                              : best.Objective - end.Objective;
                    gains[k] = std::max(gains[k].value_or(gain), gain);
                  }
                } catch (const nlopt::forced_stop&) {
                }
              }
            }
          },
          tbb::simple_partitioner());
    });
    for (std::size_t k = 0; k < binding.size(); ++k) {
      result.Limits[binding[k]].ShadowGain = gains[k];
    }
  }
  result.Runs = control.Runs.load() - runsBefore;
  result.Seconds = std::chrono::duration<double>(std::chrono::steady_clock::now() - began).count();
  return result;
}

}  // namespace quillmere
