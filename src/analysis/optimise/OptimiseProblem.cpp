#include "analysis/optimise/OptimiseProblem.h"

#include <algorithm>
#include <array>
#include <charconv>
#include <cmath>
#include <stdexcept>

#include "analysis/CaseRun.h"
#include "analysis/FieldValueText.h"
#include "base/EditDistance.h"
#include "base/Error.h"
#include "base/FloatingPointGuard.h"
#include "base/NumberText.h"
#include "base/PrintableText.h"
#include "params/PlantInputs.h"
#include "sim/MiscCalc.h"

namespace quillmere {
namespace {

struct NamedQuantity {
  std::string_view Name;
  Quantity What;
  std::string_view Unit;
};

//! The results an objective or a limit can name, as users write them.
constexpr std::array<NamedQuantity, 7> kResults{{
    {"ExitResidual1", Quantity::ExitResidual1, "-"},
    {"ExitResidual2", Quantity::ExitResidual2, "-"},
    {"WebTemperature", Quantity::WebTemperature, "°C"},
    {"NoBoiling", Quantity::VapourPressure, "-"},
    {"LEL", Quantity::Lel, "% LEL"},
    {"LEL", Quantity::LelOfCode, "-"},
    {"Energy", Quantity::Energy, "kW"},
}};

bool SameIgnoringCase(std::string_view a, std::string_view b) {
  if (a.size() != b.size()) return false;
  for (std::size_t i = 0; i < a.size(); ++i) {
    const auto lower = [](char c) { return c >= 'A' && c <= 'Z' ? char(c - 'A' + 'a') : c; };
    if (lower(a[i]) != lower(b[i])) return false;
  }
  return true;
}

//! Residual ratios below this count as this in a constraint, whose logarithm it is.
constexpr double kSmallestResidual = 1e-12;

[[noreturn]] void Refuse(const std::string& text) {
  throw Error(ErrorKind::Usage, text);
}

double Number(std::string_view part, std::string_view whole) {
  const std::optional<double> value = ParseNumber(part, '.');
  if (!value) {
    Refuse(Quoted(part) + " in " + Quoted(whole) +
           " is not a number (numbers are written with \".\")");
  }
  return *value;
}

std::string ListOfNames(const std::vector<std::string>& names) {
  std::string list;
  for (std::size_t i = 0; i < names.size(); ++i) {
    if (i > 0) list += i + 1 == names.size() ? " or " : ", ";
    list += names[i];
  }
  return list;
}

//! The highest web temperature of the finished zones, and where it is.
TracePoint HottestPoint(const ParameterSet& params, const SimulationState& state, int zones) {
  int bestZone = 1;
  int bestPoint = 0;
  double highest = state.EntryTemperature();
  for (int zone = 1; zone <= zones; ++zone) {
    const auto& points = state.Trace.Temperature[zone];
    for (int point = 0; point <= params.ZoneSteps[zone]; ++point) {
      if (points[static_cast<std::size_t>(point)] > highest) {
        highest = points[static_cast<std::size_t>(point)];
        bestZone = zone;
        bestPoint = point;
      }
    }
  }
  return ZoneView(params, state, bestZone).At(bestPoint);
}

//! The highest surface vapour pressure p1 + p2 of the finished zones as a share of the air's
//! 760 mmHg, and where it is. A point whose pressures cannot be evaluated (a negative weight)
//! is left out, as the boiling warning leaves it out.
std::pair<double, TracePoint> HighestVapourPressure(const ParameterSet& params,
                                                    const SimulationState& state, int zones) {
  const ZoneTrace& t = state.Trace;
  double highest = 0;
  int bestZone = 1;
  int bestPoint = 0;
  for (int zone = 1; zone <= zones; ++zone) {
    for (int point = 0; point <= params.ZoneSteps[zone]; ++point) {
      const std::size_t i = static_cast<std::size_t>(point);
      ClearFloatingPointFaults();
      const SurfacePressures p = WebSurfacePressures(
          params, t.Temperature[zone][i], t.Solvent1Weight[zone][i], t.Solvent2Weight[zone][i]);
      const double share = (p.Solvent1 + p.Solvent2) / kTotalPressure;
      if (FloatingPointFaultRaised({p.Solvent1, p.Solvent2, share})) continue;
      if (share > highest) {
        highest = share;
        bestZone = zone;
        bestPoint = point;
      }
    }
  }
  return {highest, ZoneView(params, state, bestZone).At(bestPoint)};
}

}  // namespace

std::string_view QuantityName(Quantity quantity) {
  for (const NamedQuantity& q : kResults) {
    if (q.What == quantity) return q.Name;
  }
  return "";
}

std::string_view QuantityUnit(Quantity quantity) {
  for (const NamedQuantity& q : kResults) {
    if (q.What == quantity) return q.Unit;
  }
  return "";
}

bool NeedsPlant(Quantity quantity) {
  return quantity == Quantity::Lel || quantity == Quantity::LelOfCode ||
         quantity == Quantity::Energy;
}

Objective ParseObjective(std::string_view name, bool maximise) {
  for (const NamedQuantity& q : kResults) {
    if (SameIgnoringCase(name, q.Name) && q.What != Quantity::VapourPressure &&
        q.What != Quantity::LelOfCode) {
      return Objective{maximise, q.What, nullptr, std::string(q.Name), std::string(q.Unit)};
    }
  }
  const FieldSpec* field = FindInput(name);
  if (field == nullptr || field->slot == FieldSlot::SaveFileName) {
    std::vector<std::string> names{"ExitResidual1", "ExitResidual2", "WebTemperature", "Energy"};
    for (const std::string& closest : ClosestInputNames(name, 2)) names.push_back(closest);
    std::sort(names.begin(), names.end(), [&](const std::string& a, const std::string& b) {
      return EditDistance(name, a) < EditDistance(name, b);
    });
    names.resize(3);
    Refuse("There is no result or input " + Quoted(name) + " to optimise; did you mean " +
           ListOfNames(names) + "?");
  }
  return Objective{maximise, Quantity::Input, field, InputName(*field), std::string(field->unit)};
}

namespace {

//! A plant input free over `range` ("4000:20000"): a zone's exhaust, the web width, the
//! make-up air's temperature.
FreeInput FreePlantInput(const PlantFieldSpec& plant, std::string_view range,
                         std::string_view text) {
  FreeInput input;
  input.Name = std::string(plant.name);
  input.FieldName = std::string(plant.name);
  input.Unit = std::string(plant.unit);
  const std::size_t colon = range.find(':');
  if (colon == std::string_view::npos || range.find(':', colon + 1) != std::string_view::npos) {
    Refuse(input.Name + ": " + Quoted(range) + " is not a range LO:HI, e.g. " + input.Name +
           "=4000:20000");
  }
  input.Low = Number(range.substr(0, colon), text);
  input.High = Number(range.substr(colon + 1), text);
  if (!(input.Low < input.High)) {
    Refuse(input.Name + ": the lower bound " + Quoted(range.substr(0, colon)) +
           " must be below the upper bound " + Quoted(range.substr(colon + 1)));
  }
  return input;
}

}  // namespace

FreeInput ParseFreeInput(std::string_view text) {
  const std::size_t equals = text.find('=');
  if (equals == std::string_view::npos || equals == 0) {
    Refuse(Quoted(text) + " is not NAME=LO:HI, e.g. Speed=0.5:3");
  }
  const std::string_view name = text.substr(0, equals);
  const FieldSpec* field = FindInput(name);
  const PlantFieldSpec* plant = field == nullptr ? FindPlantField(name) : nullptr;
  if (field == nullptr && (plant == nullptr || !plant->numeric)) {
    Refuse("There is no input " + Quoted(name) + "; did you mean " +
           ListOfNames(ClosestInputNames(name)) + "?");
  }
  const std::string_view range = text.substr(equals + 1);
  if (plant != nullptr) return FreePlantInput(*plant, range, text);
  const std::string inputName = InputName(*field);
  const std::string named = inputName + " (" + std::string(field->name) + ")";
  if (field->slot == FieldSlot::SaveFileName) {
    Refuse(named + ", the name of the result file, cannot be free");
  }
  if (!field->enabled) {
    Refuse(named +
           " is one of the eight fixed constants (the Antoine constants and the molecular "
           "weights of both solvents), which cannot be free");
  }
  const std::size_t colon = range.find(':');
  if (colon == std::string_view::npos || range.find(':', colon + 1) != std::string_view::npos) {
    Refuse(inputName + ": " + Quoted(range) + " is not a range LO:HI, e.g. " + inputName +
           "=20:200");
  }
  FreeInput input;
  input.Field = field;
  input.Name = inputName;
  input.FieldName = std::string(field->name);
  input.Unit = std::string(field->unit);
  input.Low = Number(range.substr(0, colon), text);
  input.High = Number(range.substr(colon + 1), text);
  if (!(input.Low < input.High)) {
    Refuse(inputName + ": the lower bound " + Quoted(range.substr(0, colon)) +
           " must be below the upper bound " + Quoted(range.substr(colon + 1)));
  }
  input.WholeSteps =
      field->slot == FieldSlot::ZoneQuantity && field->zoneQuantity == &ZoneConditions::ZoneLength;
  return input;
}

Limit ParseLimit(std::string_view text) {
  constexpr std::string_view kForms =
      "write ExitResidual1<=X, ExitResidual2<=X, WebTemperature<=T, NoBoiling, NoBoiling:F, "
      "LEL<=P, LEL or Energy<=KW";
  Limit limit;
  limit.Text = std::string(text);
  if (SameIgnoringCase(text, "NoBoiling")) {
    return Limit{Quantity::VapourPressure, kNoBoilingShare, "NoBoiling"};
  }
  if (SameIgnoringCase(text, "LEL")) return Limit{Quantity::LelOfCode, 1.0, "LEL"};
  const std::size_t colon = text.find(':');
  if (colon != std::string_view::npos && SameIgnoringCase(text.substr(0, colon), "NoBoiling")) {
    const double share = Number(text.substr(colon + 1), text);
    if (!(share > 0 && share <= 1)) {
      Refuse(Quoted(text) +
             ": the share of the air pressure must be above 0 and at most 1 "
             "(NoBoiling:0.9 allows 90 % of 760 mmHg)");
    }
    return Limit{Quantity::VapourPressure, share,
                 "NoBoiling:" + std::string(text.substr(colon + 1))};
  }
  const std::size_t at = text.find("<=");
  if (at == std::string_view::npos)
    Refuse(Quoted(text) + " is not a limit: " + std::string(kForms));
  const std::string_view name = text.substr(0, at);
  for (const NamedQuantity& q : kResults) {
    if (q.What == Quantity::VapourPressure || q.What == Quantity::LelOfCode) continue;
    if (SameIgnoringCase(name, q.Name)) {
      limit.What = q.What;
      limit.Bound = Number(text.substr(at + 2), text);
      limit.Text = std::string(q.Name) + "<=" + std::string(text.substr(at + 2));
      return limit;
    }
  }
  Refuse(Quoted(name) + " cannot be limited: " + std::string(kForms));
}

void CheckProblem(const OptimiseProblem& problem) {
  if (problem.Free.empty()) Refuse("No input is free: give at least one --free NAME=LO:HI");
  for (std::size_t i = 0; i < problem.Free.size(); ++i) {
    for (std::size_t j = 0; j < i; ++j) {
      if (problem.Free[i].FieldName == problem.Free[j].FieldName) {
        Refuse(problem.Free[i].Name + " is free twice");
      }
    }
  }
  const Objective& goal = problem.Goal;
  if (goal.What == Quantity::Input &&
      std::none_of(problem.Free.begin(), problem.Free.end(),
                   [&](const FreeInput& f) { return f.Field == goal.Input; })) {
    Refuse(goal.Name + " is to be optimised but is not free: add --free " + goal.Name + "=LO:HI");
  }
  if (problem.Plant) return;
  const auto plantName = [](Quantity q) { return std::string(QuantityName(q)); };
  if (NeedsPlant(goal.What)) {
    Refuse(plantName(goal.What) + " needs the plant figures, which this search was not given");
  }
  for (const Limit& limit : problem.Limits) {
    if (NeedsPlant(limit.What)) {
      Refuse("The limit " + limit.Text +
             " needs the plant figures, which this search was not given");
    }
  }
}

void CheckPlantInputs(const OptimiseProblem& problem, const FieldTexts& fields,
                      char decimalSeparator) {
  std::string needs;
  if (NeedsPlant(problem.Goal.What)) needs = std::string(QuantityName(problem.Goal.What));
  for (const Limit& limit : problem.Limits) {
    if (needs.empty() && NeedsPlant(limit.What)) needs = "The limit " + limit.Text;
  }
  if (needs.empty()) return;
  if (!AcquirePlantInputs(fields, decimalSeparator)) {
    throw Error(ErrorKind::InputRefused,
                needs +
                    " needs the plant inputs: give the web width (WebWidth) in the data "
                    "file's plant lines, and each zone's exhaust (Zone1.Exhaust ...) or "
                    "leave it empty to have it sized");
  }
}

double Constraint(const Limit& limit, double value) {
  const bool residual =
      limit.What == Quantity::ExitResidual1 || limit.What == Quantity::ExitResidual2;
  if (residual && limit.Bound > 0) {
    // A residual ratio spans decades between the entry and the exit: its logarithm keeps a
    // setting ten times over the bound from weighing a hundred times more than one just over.
    ClearFloatingPointFaults();
    const double ratio = std::log(std::max(value, kSmallestResidual) / limit.Bound);
    if (!FloatingPointFaultRaised({ratio})) return ratio;
  }
  const double scale = limit.Bound == 0 ? 1.0 : std::fabs(limit.Bound);
  return (value - limit.Bound) / scale;
}

double ModelValue(const FreeInput& input, double value, double incrementZ) {
  if (!input.WholeSteps || !(incrementZ > 0)) return value;
  const double steps = std::nearbyint(value / incrementZ);
  return RoundedToDigits(steps * incrementZ, 12);
}

void ApplyValues(const OptimiseProblem& problem, const std::vector<double>& values,
                 char decimalSeparator, FieldTexts& fields) {
  // The increment of z in force: free, or as the fields give it.
  double incrementZ = 0;
  for (std::size_t i = 0; i < problem.Free.size(); ++i) {
    const FieldSpec* field = problem.Free[i].Field;
    if (field != nullptr && field->member == &ParameterSet::IncrementZ) incrementZ = values[i];
  }
  if (incrementZ == 0) {
    incrementZ = ParseNumber(fields.Text("Edit20"), decimalSeparator).value_or(0.0);
  }
  for (std::size_t i = 0; i < problem.Free.size(); ++i) {
    const FreeInput& input = problem.Free[i];
    fields.SetText(input.FieldName,
                   FieldValueText(ModelValue(input, values[i], incrementZ), decimalSeparator));
  }
}

namespace {

//! The quantities of a finished run at one setting, each computed once when first asked for.
class SettingQuantities {
 public:
  SettingQuantities(const OptimiseProblem& problem, const std::vector<double>& values,
                    const ParameterSet& params, const SimulationState& state,
                    const RunRecord& record, const std::optional<PlantDuty>& plant)
      : problem_(problem),
        values_(values),
        params_(params),
        state_(state),
        zones_(record.ZonesDone()),
        exit_(record.ZoneExits.back()),
        plant_(plant) {}

  //! The value of `q`, with the web's point where it is reached in `place`.
  double Value(Quantity q, TracePoint& place) {
    place = TracePoint{};
    switch (q) {
      case Quantity::Input:
        for (std::size_t i = 0; i < problem_.Free.size(); ++i) {
          if (problem_.Free[i].Field == problem_.Goal.Input) return values_[i];
        }
        return 0;
      case Quantity::ExitResidual1:
        place = exit_;
        return exit_.Solvent1Residual;
      case Quantity::ExitResidual2:
        place = exit_;
        return exit_.Solvent2Residual;
      case Quantity::WebTemperature:
        if (!hottest_) hottest_ = HottestPoint(params_, state_, zones_);
        place = *hottest_;
        return hottest_->Temperature;
      case Quantity::VapourPressure:
        if (!pressure_) pressure_ = HighestVapourPressure(params_, state_, zones_);
        place = pressure_->second;
        return pressure_->first;
      case Quantity::Lel:
      case Quantity::LelOfCode:
        return HighestLel(q, place);
      case Quantity::Energy:
        return plant_->TotalKw;
    }
    return 0;
  }

 private:
  // A zone whose exhaust is sized to its limit meets it whatever the setting: the limit is
  // read where the exhaust is given, unless every exhaust is sized.
  double HighestLel(Quantity q, TracePoint& place) const {
    const std::vector<ZonePlantDuty>& all = plant_->Zones;
    const bool anyGiven =
        std::any_of(all.begin(), all.end(), [](const ZonePlantDuty& f) { return !f.ExhaustSized; });
    double highest = 0;
    bool first = true;
    for (std::size_t z = 0; z < all.size(); ++z) {
      const ZonePlantDuty& f = all[z];
      if (anyGiven && f.ExhaustSized) continue;
      if (q == Quantity::LelOfCode && !(f.LimitPercentLel > 0)) {
        throw std::runtime_error("zone " + std::to_string(z + 1) + " has no LEL limit");
      }
      const double v = q == Quantity::Lel ? f.PercentLel : f.PercentLel / f.LimitPercentLel;
      if (first || v > highest) {
        highest = v;
        place.Zone = static_cast<int>(z) + 1;
        first = false;
      }
    }
    return highest;
  }

  const OptimiseProblem& problem_;
  const std::vector<double>& values_;
  const ParameterSet& params_;
  const SimulationState& state_;
  const int zones_;
  const TracePoint exit_;
  const std::optional<PlantDuty>& plant_;
  std::optional<TracePoint> hottest_;
  std::optional<std::pair<double, TracePoint>> pressure_;
};

bool NeedsPlantFigures(const OptimiseProblem& problem) {
  return problem.Plant && (NeedsPlant(problem.Goal.What) ||
                           std::any_of(problem.Limits.begin(), problem.Limits.end(),
                                       [](const Limit& l) { return NeedsPlant(l.What); }));
}

}  // namespace

RunEvaluation EvaluateSetting(const OptimiseProblem& problem, const std::vector<double>& values,
                              char decimalSeparator, MemoryFieldTexts& fields, ParameterSet& params,
                              SimulationState& state) {
  RunEvaluation evaluation;
  CaseResult run;
  const bool needsPlant = NeedsPlantFigures(problem);
  std::optional<CaseRequest> request;
  try {
    ApplyValues(problem, values, decimalSeparator, fields);
    if (needsPlant) request = problem.Plant.Request(fields, decimalSeparator);
    run = RunCase(fields, decimalSeparator, params, state, request.value_or(CaseRequest{}));
  } catch (const std::exception& error) {
    // What ends the window's run in its error box ends only this setting.
    evaluation.Outcome = error.what();
    return evaluation;
  }
  if (!run.Finished()) {
    evaluation.Outcome = run.OutcomeText();
    return evaluation;
  }
  try {
    if (needsPlant) {
      if (request) evaluation.Plant = problem.Plant.Duty(run, params);
      if (!evaluation.Plant) {
        evaluation.Outcome = "the plant inputs were refused";
        return evaluation;
      }
    }
    SettingQuantities quantities(problem, values, params, state, run.Record, evaluation.Plant);
    TracePoint place;
    evaluation.Objective = quantities.Value(problem.Goal.What, place);
    for (const Limit& limit : problem.Limits) {
      evaluation.LimitValue.push_back(quantities.Value(limit.What, place));
      evaluation.LimitPlace.push_back(place);
    }
  } catch (const std::exception& error) {
    evaluation.LimitValue.clear();
    evaluation.LimitPlace.clear();
    evaluation.Outcome = error.what();
    return evaluation;
  }
  evaluation.Finished = true;
  evaluation.Outcome = "finished";
  if (problem.Margin) {
    OptimiseProblem plain = problem;
    plain.Margin = nullptr;
    problem.Margin(evaluation, [&](const FieldChanges& changes) {
      MemoryFieldTexts changed = fields;
      for (const auto& [field, text] : changes) changed.SetText(field, text);
      const RunEvaluation again =
          EvaluateSetting(plain, values, decimalSeparator, changed, params, state);
      return again.Finished ? std::optional(again.LimitValue) : std::nullopt;
    });
  }
  return evaluation;
}

}  // namespace quillmere
