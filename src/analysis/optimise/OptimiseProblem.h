// What an optimisation of the line asks: an objective (an input to maximise, such as the
// speed, or a result to minimise, such as the residual solvent or the heat), the inputs left
// free within their ranges (addressed by the names users see: "Speed",
// "Zone2.OuterTemperature"), and the limits every setting must meet (the residual solvent at
// the exit, the web temperature, boiling, the exhaust's LEL, the heat). A run of the model at
// a setting gives the objective's value and each limit's value; the search (Optimise) only
// sees those.
#pragma once

#include <cstddef>
#include <functional>
#include <optional>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include "analysis/CaseRun.h"
#include "analysis/plant/PlantFigures.h"
#include "base/Error.h"
#include "params/FieldTable.h"
#include "params/FieldTexts.h"
#include "params/MemoryFieldTexts.h"
#include "params/ParameterSet.h"
#include "sim/RunRecord.h"
#include "sim/SimulationState.h"
#include "sim/TraceView.h"

namespace quillmere {

//! What a run gives that an objective or a limit can be about.
enum class Quantity {
  Input,           //!< a free input's own value (the speed)
  ExitResidual1,   //!< Solvent-1 residual ratio at the dryer's exit [-]
  ExitResidual2,   //!< Solvent-2 residual ratio at the dryer's exit [-]
  WebTemperature,  //!< the highest web temperature anywhere in the dryer [°C]
  VapourPressure,  //!< the highest surface vapour pressure p1 + p2, as a share of 760 mmHg [-]
  Lel,             //!< the highest %LEL of any zone's exhaust [% LEL]
  LelOfCode,       //!< the highest %LEL of a zone as a share of that zone's limit [-]
  Energy,          //!< the heat the line takes, all zones [kW]
};

//! The quantity's name as users write it ("ExitResidual1"); "" for Quantity::Input.
std::string_view QuantityName(Quantity quantity);
//! Its unit as the report writes it ("°C", "kW", "-").
std::string_view QuantityUnit(Quantity quantity);
//! Whether its value comes from the plant figures rather than the drying model alone.
bool NeedsPlant(Quantity quantity);

struct Objective {
  bool Maximise = true;
  Quantity What = Quantity::Input;
  const FieldSpec* Input = nullptr;  //!< for Quantity::Input
  std::string Name;                  //!< "Speed", "Energy"
  std::string Unit;                  //!< "m/s", "kW"
};

//! An input left free between two bounds, both included.
struct FreeInput {
  const FieldSpec* Field = nullptr;  //!< nullptr for a plant input (a zone's exhaust ...)
  std::string Name;                  //!< InputName(*Field), or the plant input's name
  std::string FieldName;             //!< where its text goes: "Edit6", "Zone3.Exhaust"
  std::string Unit;                  //!< "m/s", "Nm3/h"
  double Low = 0;
  double High = 0;
  //! A zone length: the model marches it in whole increments of z, so the search takes it in
  //! whole increments too (a length between two of them runs as the nearer one).
  bool WholeSteps = false;
};

//! A limit every setting must meet: the quantity's value at most Bound.
struct Limit {
  Quantity What = Quantity::ExitResidual1;
  double Bound = 0;  //!< in the quantity's unit (for NoBoiling, the share of 760 mmHg)
  std::string Text;  //!< as the report names it: "ExitResidual1<=0.01", "NoBoiling:0.9"
};

//! The share of the air pressure a plain NoBoiling allows the surface vapour pressure: the
//! margin keeps the coating clear of blisters where the model's temperature is a little low.
inline constexpr double kNoBoilingShare = 0.95;

//! What the plant makes of one zone of a finished run.
struct ZonePlantDuty {
  double PercentLel = 0;       //!< the exhaust's solvent vapour as a percentage of its LEL
  double LimitPercentLel = 0;  //!< the zone's own limit (25 % LEL, 50 % when monitored)
  double HeatKw = 0;           //!< heat the zone takes: to the web and to the make-up air [kW]
  //! The exhaust was left empty and sized to the limit: the zone meets it by construction, and
  //! the limit binds elsewhere (its cost shows in the heat of the air).
  bool ExhaustSized = false;
  double Exhaust = 0;  //!< given, or where sized the least that keeps the limit [Nm3/h]
  double Vapour = 0;   //!< solvent evaporated, uptake counted as 0 [kmol/h]
};

//! What the plant makes of a finished run: each active zone, zone 1 first.
struct PlantDuty {
  std::vector<ZonePlantDuty> Zones;
  double TotalKw = 0;  //!< all zones [kW]
};

//! The plant figures of the settings. Request: what a setting's case asks for, from its field
//! texts (which hold the plant inputs: width, ambient temperature, exhaust flows): the solvents
//! in force and the plant inputs; nullopt when the plant inputs are refused (the setting then
//! counts as infeasible). Duty: what the finished case (its plant figures; `params` the set
//! that ran it) means for the limits; nullopt where it cannot show a limit met. Both are
//! called from several threads at once, each with its own run: they must keep no state.
struct PlantModel {
  std::function<std::optional<CaseRequest>(const FieldTexts& fields, char decimalSeparator)>
      Request;
  using DutyFunction =
      std::function<std::optional<PlantDuty>(const CaseResult& run, const ParameterSet& params)>;
  DutyFunction Duty;
  explicit operator bool() const { return Request && Duty; }
};

struct RunEvaluation;

//! Field texts to change (field name, text) for one more run of the same setting.
using FieldChanges = std::vector<std::pair<std::string, std::string>>;
//! The limits' values of the setting run again with `changes` applied; nullopt where that run
//! did not finish.
using EvaluateAgain =
    std::function<std::optional<std::vector<double>>(const FieldChanges& changes)>;
//! Adds to each limit's value of a finished evaluation the margin its uncertainty asks for (a
//! robust optimum holds the limits at their upper confidence bounds), from runs of the same
//! setting with inputs changed. Called from several threads at once: it must keep no state.
using LimitMargin = std::function<void(RunEvaluation& evaluation, const EvaluateAgain& again)>;

struct OptimiseProblem {
  Objective Goal;
  std::vector<FreeInput> Free;
  std::vector<Limit> Limits;
  PlantModel Plant;    //!< empty while no plant model is wired: LEL and Energy are refused
  LimitMargin Margin;  //!< empty: the limits hold for the point estimates
};

//! "Speed" or "ExitResidual1", "WebTemperature", "Energy", "LEL", in any case: the objective,
//! maximised or minimised. Throws Error(ErrorKind::Usage) for a name that is neither a result
//! nor an input (with the closest names).
Objective ParseObjective(std::string_view name, bool maximise);

//! Refuses a problem whose objective or limits need the plant figures when `fields` hold no
//! plant inputs (no web width): Error(ErrorKind::InputRefused) naming what needs them and what
//! to give; plant inputs that do not read are refused as AcquirePlantInputs refuses them.
void CheckPlantInputs(const OptimiseProblem& problem, const FieldTexts& fields,
                      char decimalSeparator);

//! The zones the fields make active: up to the first zone after zone 1 whose outer temperature
//! is empty or 0, as acquisition decides it (a text that does not read counts as a zone: the
//! run then says what is wrong with it).
int ZonesTheLineRuns(const FieldTexts& fields, char decimalSeparator);

//! Whether a limit on the quantity is held zone by zone (RunEvaluation::LimitParts).
bool ByZone(Quantity quantity);

//! Refuses (Error(ErrorKind::Usage)) a free input that cannot change the answer on the line
//! `fields` hold: a zone's input or exhaust past the last zone run, a plant input where the
//! fields have no plant inputs, or where neither the objective nor a limit reads the plant
//! figures.
void CheckFreeInputs(const OptimiseProblem& problem, const FieldTexts& fields,
                     char decimalSeparator);

//! "NAME=LO:HI", numbers written with ".". Throws Error(ErrorKind::Usage): a misspelt name
//! (with the closest names), the save file name, an input that is not a setting of the line (a
//! fixed constant, a fitting parameter, the increment of z), LO >= HI, a speed not above 0.
FreeInput ParseFreeInput(std::string_view text);

//! "ExitResidual1<=X", "ExitResidual2<=X", "WebTemperature<=T", "NoBoiling", "NoBoiling:F"
//! (0 < F <= 1), "LEL<=P" (% LEL), "LEL" (each zone's own limit), "Energy<=KW". Throws
//! Error(ErrorKind::Usage), also for a bound no setting can meet by definition (a residual or
//! %LEL not above 0, a negative heat).
Limit ParseLimit(std::string_view text);

//! Refuses (Error(ErrorKind::Usage)) a problem that cannot be searched: no free input, an input
//! free twice, an objective input that is not free, LEL or Energy without a plant model.
void CheckProblem(const OptimiseProblem& problem);

//! What one run at a setting gave.
struct RunEvaluation {
  bool Finished = false;
  std::string Outcome;             //!< "finished", or what ended the run
  double Objective = 0;            //!< the objective quantity's value (when finished)
  std::vector<double> LimitValue;  //!< each limit's quantity (when finished)
  //! Each limit's quantity by zone (index 0 for zone 1; nullopt where a zone does not count),
  //! for the quantities that are the highest of the zones' (the web temperature, the vapour
  //! pressure, the LEL); one part for the others. The search holds each part to the limit on
  //! its own: the highest of several is not smooth where two zones trade places.
  std::vector<std::vector<std::optional<double>>> LimitParts;
  //! Where each limit's quantity is highest: the web's point; Zone 0 where it is the line's.
  std::vector<TracePoint> LimitPlace;
  std::optional<PlantDuty> Plant;  //!< when the problem needs it and it was computed
  //! How the run ended where it did not finish: InputRefused where acquisition refused the
  //! inputs, RunFault for a fault or a figure that is not finite.
  std::optional<ErrorKind> Ending;
  //! The exhausts left empty that an LEL<=P limit sized to P (below the zone's own limit), as
  //! field name and text: the setting's data file holds them so that it meets P as it runs.
  std::vector<std::pair<std::string, std::string>> SizedExhausts;
};

//! The exhaust of a zone left empty, sized to `percent` of the LEL instead of its own limit, from
//! the zone's figures: 22.414 · (fuel / (f · LELmix) − Σṅ) with fuel / LELmix read off the
//! exhaust sized to the zone's limit. Rounded up to six significant digits, so that the text
//! written keeps the zone at most at `percent`.
double ExhaustSizedTo(const ZonePlantDuty& zone, double percent);

//! A limit's value as a constraint of the search, at most 0 where the limit is met: for the
//! residual ratios log(value / bound), for the others (value - bound) / scale, the scale being
//! the bound itself (1 where the bound is 0), so that every limit weighs alike whatever its
//! unit. Near the bound both are the share by which the value exceeds it.
double Constraint(const Limit& limit, double value);

//! Applies `values` (one a free input, in order) to `fields` as texts, as if typed.
void ApplyValues(const OptimiseProblem& problem, const std::vector<double>& values,
                 char decimalSeparator, FieldTexts& fields);

//! The value the model runs for a free input: a zone length in whole increments of z
//! (`incrementZ` [m]) where it is WholeSteps, otherwise `value` itself.
double ModelValue(const FreeInput& input, double value, double incrementZ);

//! Sets `values` in `fields` (the worker's own copy of the base texts) and runs the case,
//! exactly as the window's OK would, with `params` and `state` the worker's own. A run that
//! ends on a message or a fault is returned as not Finished, never thrown.
RunEvaluation EvaluateSetting(const OptimiseProblem& problem, const std::vector<double>& values,
                              char decimalSeparator, MemoryFieldTexts& fields, ParameterSet& params,
                              SimulationState& state);

}  // namespace quillmere
