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
//! The restarts' smallest trust radius, as a share of the option's: they polish the best end
//! to a hundredth of the stage 2 searches' resolution.
constexpr double kFineRadius = 1e-2;
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
  std::vector<double> Constraints;  //!< each limit's Constraint (kFailedRun: the run failed)
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
  int Zones = 1;  //!< active zones of the line: the parts of a limit held zone by zone
};

//! The constraints COBYLA sees, one a limit's part (RunEvaluation::LimitParts): a zone's part
//! that does not count is well inside (-1), a failed run far outside every one.
std::vector<double> ConstraintParts(const Context& context, const RunEvaluation& run) {
  std::vector<double> parts;
  const std::vector<Limit>& limits = context.Problem.Limits;
  for (std::size_t i = 0; i < limits.size(); ++i) {
    const std::size_t count = ByZone(limits[i].What) ? static_cast<std::size_t>(context.Zones) : 1;
    for (std::size_t k = 0; k < count; ++k) {
      if (!run.Finished) {
        parts.push_back(kFailedRun);
      } else if (k < run.LimitParts[i].size() && run.LimitParts[i][k]) {
        parts.push_back(Constraint(limits[i], *run.LimitParts[i][k]));
      } else {
        parts.push_back(-1.0);
      }
    }
  }
  return parts;
}

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
  //! `fine`: end at a trust radius a hundredth of the option's (the restarts' polish).
  LocalSearch(const Context& context, Worker& worker, bool fine = false)
      : context_(context), worker_(worker), fine_(fine) {}

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
      p.Excess = 0;
      for (std::size_t i = 0; i < problem.Limits.size(); ++i) {
        p.Constraints.push_back(Constraint(problem.Limits[i], run.LimitValue[i]));
      }
    } else {
      p.F = 0;
      p.Constraints.assign(problem.Limits.size(), kFailedRun);
    }
    constraints_ = ConstraintParts(context_, run);
    if (run.Finished) {
      for (const double c : constraints_) p.Excess += std::max(c, 0.0) * std::max(c, 0.0);
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
    const std::size_t m = ConstraintParts(context_, RunEvaluation{}).size();
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
    } catch (const nlopt::forced_stop&) {  // a stop, or a feasible point found: they stand
      converged_ = !context_.Control.Stop.load();
    } catch (const nlopt::roundoff_limited&) {  // COBYLA's own end: the best points seen stand
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
      double radius = context_.Options.MinRadius * (fine_ ? kFineRadius : 1.0);
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
  bool fine_ = false;
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

MemoryFieldTexts OptimumFields(const OptimiseProblem& problem, const MemoryFieldTexts& base,
                               const OptimiseResult& result, char decimalSeparator) {
  MemoryFieldTexts fields = SettingFields(problem, base, result.Values, decimalSeparator);
  for (const auto& [name, text] : result.SizedExhausts) fields.SetText(name, text);
  return fields;
}

namespace {

using WorkerPool = tbb::enumerable_thread_specific<std::unique_ptr<Worker>>;

//! What the stages share: the problem, the workers and the arena of threads.
struct Search {
  const Context& Ctx;
  WorkerPool& Workers;
  tbb::task_arena& Arena;
};

//! Runs every setting of `xs` once, in parallel; the points in the order of `xs`.
std::vector<Point> RunDesign(const Search& search, const std::vector<std::vector<double>>& xs) {
  std::vector<Point> points(xs.size());
  search.Arena.execute([&] {
    tbb::parallel_for(tbb::blocked_range<std::size_t>(0, xs.size(), 8),
                      [&](const tbb::blocked_range<std::size_t>& range) {
                        for (std::size_t i = range.begin(); i != range.end(); ++i) {
                          if (search.Ctx.Control.Stop.load()) return;
                          LocalSearch one(search.Ctx, *search.Workers.local());
                          try {
                            points[i] = one.Evaluate(xs[i]);
                          } catch (const nlopt::forced_stop&) {
                          }
                        }
                      });
  });
  return points;
}

//! A local search from each of `from` with the first radius `radius`, in parallel; each end in
//! the order of `from` (nullopt where the search was stopped), with its outcome.
struct LocalEnd {
  std::optional<Point> End;
  std::size_t Runs = 0;
  bool Converged = false;
};

std::vector<LocalEnd> RunLocalSearches(const Search& search,
                                       const std::vector<std::vector<double>>& from,
                                       const std::vector<double>& radius, int maxRuns,
                                       bool countStarts, bool fine = false) {
  std::vector<LocalEnd> ends(from.size());
  search.Arena.execute([&] {
    tbb::parallel_for(
        tbb::blocked_range<std::size_t>(0, from.size(), 1),
        [&](const tbb::blocked_range<std::size_t>& range) {
          for (std::size_t i = range.begin(); i != range.end(); ++i) {
            if (search.Ctx.Control.Stop.load()) return;
            LocalSearch one(search.Ctx, *search.Workers.local(), fine);
            try {
              ends[i].End = one.Run(from[i], radius[i], maxRuns);
              ends[i].Converged = one.Converged();
            } catch (const nlopt::forced_stop&) {
            }
            ends[i].Runs = one.Runs();
            if (countStarts) search.Ctx.Control.StartsDone.fetch_add(1);
          }
        },
        tbb::simple_partitioner());
  });
  return ends;
}

//! The starts of stage 2: the data file's setting, then the best points of the design (by
//! Better) at least kDistinctStart apart from every start chosen before.
constexpr double kDistinctStart = 0.15;

std::vector<std::vector<double>> ChooseStarts(const std::vector<double>& given,
                                              const std::vector<Point>& design, int count) {
  std::vector<std::size_t> order(design.size());
  std::iota(order.begin(), order.end(), 0);
  std::stable_sort(order.begin(), order.end(),
                   [&](std::size_t a, std::size_t b) { return Better(design[a], design[b]); });
  std::vector<std::vector<double>> starts{given};
  for (const double apart : {kDistinctStart, kDistinctStart / 3, 0.0}) {
    for (const std::size_t i : order) {
      if (static_cast<int>(starts.size()) >= count) return starts;
      if (design[i].X.empty()) continue;
      const bool distinct = std::all_of(starts.begin(), starts.end(), [&](const auto& s) {
        return Distance(s, design[i].X) > apart;
      });
      if (distinct) starts.push_back(design[i].X);
    }
  }
  return starts;
}

//! A better end improves the best by more than this (scaled objective) to count as a gain.
constexpr double kRoundGain = 1e-7;
//! Local searches of a round of restarts, and how far (scaled) the perturbed ones start.
constexpr int kRestartsPerRound = 4;
constexpr double kRestartSpread = 0.05;

//! Stage 3: from the best end, and from points around it, again and again until a round gains
//! nothing. Returns whether the last round gained nothing (the best is a polished optimum);
//! `converged` tells whether a search of the last round that met every limit ended by its
//! tolerance.
bool Restart(const Search& search, Point& best, std::uint64_t seed, int maxRounds, int maxRuns,
             int& rounds, bool& converged) {
  converged = false;
  std::mt19937_64 random(seed ^ 0x9e3779b97f4a7c15ULL);
  const std::size_t n = best.X.size();
  for (rounds = 0; rounds < maxRounds;) {
    if (search.Ctx.Control.Stop.load()) return false;
    std::vector<std::vector<double>> from{best.X};
    for (int k = 1; k < kRestartsPerRound; ++k) {
      std::vector<double> x = best.X;
      for (std::size_t i = 0; i < n; ++i) {
        x[i] = std::clamp(x[i] + kRestartSpread * (2 * Uniform(random) - 1), 0.0, 1.0);
      }
      from.push_back(std::move(x));
    }
    const double radius = rounds % 2 == 0 ? kFirstRadius / 4 : kFirstRadius / 20;
    ++rounds;
    const std::vector<LocalEnd> ends = RunLocalSearches(
        search, from, std::vector<double>(from.size(), radius), maxRuns, false, true);
    bool gained = false;
    converged = std::any_of(ends.begin(), ends.end(), [](const LocalEnd& e) {
      return e.End && e.End->Feasible() && e.Converged;
    });
    for (const LocalEnd& e : ends) {
      if (!e.End || !Better(*e.End, best)) continue;
      const bool gain = !best.Feasible() || e.End->F < best.F - kRoundGain;
      best = *e.End;
      gained = gained || gain;
    }
    if (!gained) return true;
  }
  return false;
}

//! Refuses a data file whose inputs no setting of the free inputs can make readable: its own
//! setting and the middle of the box are both refused by acquisition.
void CheckDataFile(const OptimiseProblem& problem, const std::vector<double>& given,
                   char decimalSeparator, Worker& worker) {
  const RunEvaluation atGiven = EvaluateSetting(problem, Unscaled(problem, given), decimalSeparator,
                                                worker.Fields, *worker.Params, *worker.State);
  if (atGiven.Ending != ErrorKind::InputRefused) return;
  const RunEvaluation atMiddle =
      EvaluateSetting(problem, Unscaled(problem, std::vector<double>(given.size(), 0.5)),
                      decimalSeparator, worker.Fields, *worker.Params, *worker.State);
  if (atMiddle.Ending != ErrorKind::InputRefused) return;
  throw Error(ErrorKind::InputRefused,
              "The data file's inputs are refused at every setting tried: " + atGiven.Outcome);
}

//! The objective's scale: a free input's range, or a result's value at the data file's
//! setting, so that COBYLA's tolerances mean the same share whatever the unit.
double ObjectiveScale(const OptimiseProblem& problem, const std::vector<double>& given,
                      char decimalSeparator, Worker& worker) {
  if (problem.Goal.What == Quantity::Input) {
    for (const FreeInput& f : problem.Free) {
      if (f.Field == problem.Goal.Input) return f.High - f.Low;
    }
  }
  const RunEvaluation run = EvaluateSetting(problem, Unscaled(problem, given), decimalSeparator,
                                            worker.Fields, *worker.Params, *worker.State);
  return run.Finished && std::fabs(run.Objective) > 0 ? std::fabs(run.Objective) : 1.0;
}

//! Each local search of stage 2 as the report lists it.
void CollectStarts(const OptimiseProblem& problem, const std::vector<std::vector<double>>& starts,
                   const std::vector<LocalEnd>& ends, OptimiseResult& result) {
  result.Starts.resize(starts.size());
  for (std::size_t i = 0; i < starts.size(); ++i) {
    StartOutcome& s = result.Starts[i];
    s.From = Unscaled(problem, starts[i]);
    s.Runs = ends[i].Runs;
    s.Converged = ends[i].Converged;
    if (!ends[i].End) continue;
    const Point& end = *ends[i].End;
    s.To = Unscaled(problem, end.X);
    s.Feasible = end.Feasible();
    s.Finished = end.Finished;
    s.Objective = end.Objective;
    s.Violation = end.Violation;
    for (const double c : end.Constraints) s.Missed.push_back(!end.Finished || c > 0);
  }
}

//! The starts that reached the best, and the other distinct optima.
void CollectOptima(const OptimiseProblem& problem, const std::vector<LocalEnd>& ends,
                   const Point& best, OptimiseResult& result) {
  if (!result.Feasible) return;
  for (std::size_t i = 0; i < ends.size(); ++i) {
    if (!ends[i].End || !ends[i].End->Feasible()) continue;
    const Point& end = *ends[i].End;
    // An end within reach of the best, or as good, is the optimum found again (a start that
    // stopped short of it by its run budget counts too); only a distant one is another optimum.
    if (end.F - best.F <= kSameObjective || Distance(end.X, best.X) <= kSamePlace) {
      result.ReachedBy.push_back(i);
      continue;
    }
    if (!ends[i].Converged) continue;  // stopped on its way: no optimum
    bool merged = false;
    for (OtherOptimum& other : result.OtherOptima) {
      if (Distance(Scaled(problem, other.Values), end.X) <= kSamePlace) {
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
}

//! The setting reported, run once more for its limits and where each is highest.
void ReportSetting(const OptimiseProblem& problem, const MemoryFieldTexts& base,
                   const OptimiseOptions& options, const Point& best, Worker& worker,
                   OptimiseResult& result) {
  result.Values = Unscaled(problem, best.X);
  double incrementZ = ParseNumber(base.Text("Edit20"), options.DecimalSeparator).value_or(0.0);
  for (std::size_t i = 0; i < problem.Free.size(); ++i) {
    result.Values[i] = ModelValue(problem.Free[i], result.Values[i], incrementZ);
  }
  const RunEvaluation run =
      EvaluateSetting(problem, Unscaled(problem, best.X), options.DecimalSeparator, worker.Fields,
                      *worker.Params, *worker.State);
  result.Outcome = run.Outcome;
  result.Objective = run.Objective;
  result.Plant = run.Plant;
  result.SizedExhausts = run.SizedExhausts;
  if (!run.Finished) return;
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

//! The checks an answer passes to be called an optimum (Doubts names each that fails).
void CheckOptimum(const OptimiseProblem& problem, bool polished, bool restartsConverged,
                  const std::vector<LocalEnd>& ends, OptimiseResult& result) {
  bool anyBinding = std::any_of(result.Limits.begin(), result.Limits.end(),
                                [](const LimitAtOptimum& l) { return l.Binding; });
  // An objective that is a free input at its best bound cannot do better at all.
  for (std::size_t i = 0; i < problem.Free.size(); ++i) {
    const FreeInput& f = problem.Free[i];
    if (problem.Goal.What != Quantity::Input || f.Field != problem.Goal.Input) continue;
    const double best = problem.Goal.Maximise ? f.High : f.Low;
    anyBinding = anyBinding || std::fabs(result.Values[i] - best) <= 1e-6 * (f.High - f.Low);
  }
  if (!anyBinding) {
    for (std::size_t i = 0; i < problem.Free.size(); ++i) {
      const FreeInput& f = problem.Free[i];
      const double share = (result.Values[i] - f.Low) / (f.High - f.Low);
      if (share > 1e-3 && share < 1 - 1e-3) {
        result.Doubts.push_back("no limit binds, yet " + f.Name +
                                " is inside its range: a better setting may lie beyond");
        break;
      }
    }
  }
  if (!polished) {
    result.Doubts.push_back(result.Stopped
                                ? "the search was stopped before its restarts ended"
                                : "the restarts from the best setting did not confirm it: a "
                                  "round still improved it when the rounds ran out");
  }
  const bool anyConverged =
      restartsConverged || std::any_of(ends.begin(), ends.end(), [](const LocalEnd& e) {
        return e.End && e.End->Feasible() && e.Converged;
      });
  if (!anyConverged) {
    result.Doubts.push_back(
        "no local search that met every limit ended by its tolerance: each used up its runs "
        "(--max-runs)");
  }
}

//! Infeasible: the limits missed at the end of every local search.
void MarkMissedEverywhere(const OptimiseProblem& problem, OptimiseResult& result) {
  result.MissedEverywhere.assign(problem.Limits.size(), true);
  bool anyEnd = false;
  for (const StartOutcome& s : result.Starts) {
    if (s.Missed.size() != problem.Limits.size()) continue;
    anyEnd = true;
    for (std::size_t i = 0; i < s.Missed.size(); ++i) {
      if (!s.Missed[i]) result.MissedEverywhere[i] = false;
    }
  }
  if (!anyEnd) result.MissedEverywhere.assign(problem.Limits.size(), false);
}

//! Rounds of restarts of a search with a limit relaxed, at most.
constexpr int kShadowRounds = 2;

//! What the objective gains (signed, better positive) from the best search with `limit`
//! relaxed by the share `share`, warm-started at the optimum: searches from it with two first
//! radii, then restarts until a round gains nothing. nullopt where none ends feasible.
std::optional<double> RelaxedGain(const Search& search, const Point& best, std::size_t limit,
                                  double share) {
  OptimiseProblem relaxed = search.Ctx.Problem;
  Limit& l = relaxed.Limits[limit];
  l.Bound += l.Bound == 0 ? share : share * std::fabs(l.Bound);
  const Context context{relaxed, search.Ctx.Options, search.Ctx.Control, search.Ctx.ObjectiveScale,
                        search.Ctx.Zones};
  const Search inner{context, search.Workers, search.Arena};
  const int maxRuns = search.Ctx.Options.MaxRunsPerStart;
  std::optional<Point> top;
  for (const LocalEnd& e : RunLocalSearches(
           inner, {best.X, best.X}, {kFirstRadius / 5, kFirstRadius / 50}, maxRuns, false)) {
    if (e.End && e.End->Feasible() && (!top || e.End->F < top->F)) top = e.End;
  }
  if (!top) return std::nullopt;
  int rounds = 0;
  bool converged = false;
  Restart(inner, *top, search.Ctx.Options.Seed + limit + 1, kShadowRounds, maxRuns, rounds,
          converged);
  if (!top->Feasible()) return std::nullopt;
  const bool maximise = relaxed.Goal.Maximise;
  return maximise ? top->Objective - best.Objective : best.Objective - top->Objective;
}

//! What relaxing each binding limit by 1 % gains, kept only where relaxing it by 0.5 % gains
//! about half as much (the gain is then the slope it claims to be, not a search's noise).
void ShadowPrices(const Search& search, const Point& best, OptimiseResult& result) {
  for (std::size_t i = 0; i < result.Limits.size(); ++i) {
    LimitAtOptimum& limit = result.Limits[i];
    if (!limit.Binding) continue;
    const std::optional<double> whole = RelaxedGain(search, best, i, 0.01);
    const std::optional<double> half = RelaxedGain(search, best, i, 0.005);
    if (search.Ctx.Control.Stop.load()) return;
    const double scale = search.Ctx.ObjectiveScale;
    const bool agree = whole && half && *whole >= 0 && *half >= 0 &&
                       std::fabs(*whole - 2 * *half) <= 0.25 * *whole + 1e-6 * scale;
    if (agree) {
      limit.ShadowGain = *whole;
    } else {
      limit.ShadowNotEstimated = true;
    }
  }
}

//! The settings of the design, the data file's first: as many as options.DesignPoints asks
//! for, or 96 a free input (256 to 1024).
std::vector<std::vector<double>> DesignOf(const OptimiseProblem& problem,
                                          const MemoryFieldTexts& base,
                                          const OptimiseOptions& options) {
  const int count = options.DesignPoints > 0
                        ? options.DesignPoints
                        : std::clamp(96 * static_cast<int>(problem.Free.size()), 256, 1024);
  return StartPoints(problem, base, options.DecimalSeparator, count + 1, options.Seed);
}

//! The best point the search met: of the design's, then of the local searches' ends.
std::optional<Point> BestMet(const std::vector<Point>& designed,
                             const std::vector<LocalEnd>& ends) {
  std::optional<Point> best;
  for (const Point& p : designed) {
    if (!p.X.empty() && (!best || Better(p, *best))) best = p;
  }
  for (const LocalEnd& e : ends) {
    if (e.End && (!best || Better(*e.End, *best))) best = *e.End;
  }
  return best;
}

}  // namespace

OptimiseResult Optimise(const OptimiseProblem& problem, const MemoryFieldTexts& base,
                        const OptimiseOptions& options, OptimiseControl& control) {
  CheckProblem(problem);
  CheckFreeInputs(problem, base, options.DecimalSeparator);
  const auto began = std::chrono::steady_clock::now();
  const std::size_t runsBefore = control.Runs.load();
  OptimiseResult result;
  const std::vector<std::vector<double>> design = DesignOf(problem, base, options);
  const std::vector<double> given = design.front();

  Context context{problem, options, control, 1.0, ZonesTheLineRuns(base, options.DecimalSeparator)};
  auto first = std::make_unique<Worker>(base);
  CheckDataFile(problem, given, options.DecimalSeparator, *first);
  context.ObjectiveScale = ObjectiveScale(problem, given, options.DecimalSeparator, *first);
  control.Runs.fetch_add(1);

  WorkerPool workers([&base] { return std::make_unique<Worker>(base); });
  const int jobs = options.Jobs > 0 ? options.Jobs : tbb::info::default_concurrency();
  tbb::task_arena arena(jobs);
  const Search search{context, workers, arena};

  // Stage 1: the design.
  const std::vector<Point> designed = RunDesign(search, design);
  result.DesignRuns = design.size();
  // Stage 2: local searches from the data file's setting and the best of the design.
  const std::vector<std::vector<double>> starts =
      ChooseStarts(given, designed, std::max(options.Starts, 1));
  const std::vector<LocalEnd> ends =
      RunLocalSearches(search, starts, std::vector<double>(starts.size(), kFirstRadius),
                       options.MaxRunsPerStart, true);
  result.Stopped = control.Stop.load();
  std::optional<Point> best = BestMet(designed, ends);
  CollectStarts(problem, starts, ends, result);
  const auto counted = [&] {  // the runs and the time the search took
    result.Runs = control.Runs.load() - runsBefore;
    result.Seconds =
        std::chrono::duration<double>(std::chrono::steady_clock::now() - began).count();
    return std::move(result);
  };
  if (!best) return counted();
  // Stage 3: restarts from the best until a round gains nothing.
  bool restartsConverged = false;
  const bool polished = Restart(search, *best, options.Seed, options.MaxRounds,
                                options.MaxRunsPerStart, result.Rounds, restartsConverged);
  result.Stopped = control.Stop.load();
  result.Feasible = best->Feasible();
  result.AnyFinished = best->Finished;
  CollectOptima(problem, ends, *best, result);
  ReportSetting(problem, base, options, *best, *first, result);
  control.Runs.fetch_add(1);
  if (result.Feasible) {
    CheckOptimum(problem, polished, restartsConverged, ends, result);
  } else {
    MarkMissedEverywhere(problem, result);
  }
  if (options.ShadowPrices && result.Feasible && !result.Stopped) {
    ShadowPrices(search, *best, result);
  }
  return counted();
}

}  // namespace quillmere
