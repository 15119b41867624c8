// The search for the best setting of the line within the limits, in three stages, each run on
// every core with oneTBB:
//  1. a design: a Latin hypercube of a few hundred settings over the free inputs' box (with the
//     data file's setting), which maps where the limits are met and where the best ones lie;
//  2. local searches by COBYLA (NLopt) from the data file's setting and the best distinct points
//     of the design;
//  3. restarts from the best end, from it and from points around it with a smaller first
//     radius, round after round until a round improves nothing.
// The best feasible end is kept, the other distinct ends are reported as other local optima,
// and for each limit that binds, what relaxing it by 1 % gains (a warm-started search again,
// checked against relaxing it by 0.5 %). The answer is called an optimum only where it passes
// the checks of Doubts; otherwise the report says which failed.
//
// Why COBYLA: the model is a black box of a few milliseconds without derivatives, the free
// inputs are few (up to a dozen) and so are the limits, which are nonlinear. COBYLA builds
// linear models of the objective and of every limit from n + 1 runs and moves within a trust
// region, so it follows a limit along its boundary without a penalty parameter to tune; an
// augmented Lagrangian around a bounded method would solve a sequence of subproblems and
// spend several times the runs for the same answer.
//
// The model marches each zone in whole increments of z, so the results are piecewise smooth in
// a zone length (a step appears where the length crosses half an increment). A free zone
// length is therefore taken in whole increments, and the trust region never shrinks below two
// of them: the linear models then span the steps rather than fitting one. The speed enters
// smoothly (the time step is the increment over the speed). Each local search ends with a
// polish: where COBYLA ends a hair outside a limit, a bisection towards the best setting that
// met every limit finds the best one that does, and only settings whose run met every limit
// are ever reported as feasible.
#pragma once

#include <atomic>
#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "analysis/optimise/OptimiseProblem.h"
#include "params/MemoryFieldTexts.h"
#include "sim/TraceView.h"

namespace quillmere {

struct OptimiseOptions {
  char DecimalSeparator = '.';  //!< of the field texts
  //! Local searches of stage 2: the data file's setting, then the best distinct points of the
  //! design.
  int Starts = 8;
  //! Settings of the design (stage 1); 0 for 96 a free input, at least 256 and at most 1024.
  int DesignPoints = 0;
  //! Rounds of restarts (stage 3) at most; the search stops earlier when a round gains nothing.
  int MaxRounds = 12;
  int Jobs = 0;               //!< threads; 0 for one per core
  std::uint64_t Seed = 1;     //!< of the design
  int MaxRunsPerStart = 400;  //!< model runs one local search may take
  //! The smallest trust radius, as a share of each free input's range.
  double MinRadius = 1e-3;
  bool ShadowPrices = true;  //!< search again with each binding limit relaxed by 1 %
};

//! Shared between a search and whoever watches it (a progress bar, a Cancel button).
struct OptimiseControl {
  std::atomic<std::size_t> Runs{0};        //!< model runs so far
  std::atomic<std::size_t> StartsDone{0};  //!< local searches finished
  std::atomic<bool> Stop{false};           //!< set to end the search at the next run
};

//! How one local search ended.
struct StartOutcome {
  std::vector<double> From;  //!< the start's values, one a free input
  std::vector<double> To;    //!< the best setting it found (meeting every limit if it could)
  bool Feasible = false;     //!< `To`'s run finished and met every limit
  bool Finished = false;     //!< `To`'s run finished
  double Objective = 0;      //!< at `To`, in the objective's unit
  double Violation = 0;      //!< the largest Constraint at `To` (0 or less where feasible)
  std::size_t Runs = 0;
  bool Converged = false;    //!< ended by COBYLA's tolerance, not by the run budget
  std::vector<bool> Missed;  //!< each limit missed at `To` (every one where the run failed)
};

//! A limit at the setting reported.
struct LimitAtOptimum {
  Limit What;
  double Value = 0;      //!< the limited quantity [its unit]
  double Margin = 0;     //!< Bound - Value: what is left [the unit]; negative where violated
  bool Binding = false;  //!< the limit is met with less than kBindingShare of its bound left
  TracePoint Place;      //!< where the quantity is highest (Zone 0: the line as a whole)
  //! What the objective gains (in its unit, positive for better) when the bound is relaxed by
  //! 1 %: for binding limits of a feasible optimum, when shadow prices were asked for.
  std::optional<double> ShadowGain;
  //! Binding, but what relaxing it gains could not be estimated: the searches with it relaxed
  //! by 1 % and by 0.5 % disagree, or found nothing.
  bool ShadowNotEstimated = false;
};

//! A limit binds where less than this share of its bound is left.
inline constexpr double kBindingShare = 2e-3;

//! Another local optimum: a feasible end of one or more starts that is neither the best nor
//! near it.
struct OtherOptimum {
  std::vector<std::size_t> Starts;  //!< 0-based
  std::vector<double> Values;
  double Objective = 0;
};

struct OptimiseResult {
  //! A setting that met every limit was found: Values is the best. Otherwise Values is the
  //! setting that came nearest to meeting them (the least largest violation).
  bool Feasible = false;
  bool Stopped = false;        //!< the search was stopped before it ended
  bool AnyFinished = false;    //!< some run finished at all
  std::vector<double> Values;  //!< one a free input, as the model runs them
  double Objective = 0;        //!< at Values [its unit]
  std::string Outcome;         //!< of the run at Values: "finished", or what ended it
  std::vector<LimitAtOptimum> Limits;
  std::optional<PlantDuty> Plant;  //!< at Values, when the problem needs them
  std::vector<StartOutcome> Starts;
  std::vector<std::size_t> ReachedBy;  //!< starts (0-based) whose end is the optimum
  std::vector<OtherOptimum> OtherOptima;
  //! Why the best setting found is not shown to be the optimum, one reason a line; empty where
  //! it passed every check: a limit binds or every free input is at a bound; the last round of
  //! restarts improved nothing; the local searches ended by their tolerance.
  std::vector<std::string> Doubts;
  //! Infeasible: each limit missed at the end of every local search (the limits that cannot be
  //! met, as far as the search can tell).
  std::vector<bool> MissedEverywhere;
  //! The exhausts an LEL<=P limit sized to P at Values, as field name and text.
  std::vector<std::pair<std::string, std::string>> SizedExhausts;
  std::size_t DesignRuns = 0;  //!< runs of the design
  int Rounds = 0;              //!< rounds of restarts
  std::size_t Runs = 0;        //!< model runs, the shadow prices' included
  double Seconds = 0;          //!< wall-clock time of the whole search
};

//! The start points of the search, scaled to [0, 1] per free input: the data file's setting
//! (clamped into the box), then a Latin hypercube of `count` - 1 points drawn with a
//! mt19937_64 of `seed` (the same points on every platform and schedule).
std::vector<std::vector<double>> StartPoints(const OptimiseProblem& problem,
                                             const MemoryFieldTexts& base, char decimalSeparator,
                                             int count, std::uint64_t seed);

//! Runs the search on the fields `base` (the defaults with the data file applied). Throws
//! Error(ErrorKind::Usage) for a problem CheckProblem refuses; a run that ends on a message or
//! a fault is an infeasible setting, never the end of the search. The result does not depend
//! on the number of threads or their schedule.
OptimiseResult Optimise(const OptimiseProblem& problem, const MemoryFieldTexts& base,
                        const OptimiseOptions& options, OptimiseControl& control);

//! `base` with the setting `values` applied.
MemoryFieldTexts SettingFields(const OptimiseProblem& problem, const MemoryFieldTexts& base,
                               const std::vector<double>& values, char decimalSeparator);

//! `base` with the result's setting applied and the exhausts it sized written in, as the
//! optimum's data file holds it: run as it stands, it meets every limit the search met.
MemoryFieldTexts OptimumFields(const OptimiseProblem& problem, const MemoryFieldTexts& base,
                               const OptimiseResult& result, char decimalSeparator);

}  // namespace quillmere
