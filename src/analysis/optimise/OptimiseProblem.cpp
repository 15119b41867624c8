#include "analysis/optimise/OptimiseProblem.h"

#include <algorithm>
#include <array>
#include <charconv>
#include <cmath>
#include <map>
#include <stdexcept>

#include "analysis/CaseRun.h"
#include "analysis/FieldValueText.h"
#include "analysis/plant/ZoneAirFromExhaust.h"
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

//! The highest %LEL of the zones (Quantity::Lel) or the highest share of a zone's own limit
//! (Quantity::LelOfCode), and its zone. A zone whose exhaust is sized to its own limit meets
//! that limit whatever the setting: it is read only where every exhaust is sized.
double HighestLel(Quantity q, const std::vector<ZonePlantDuty>& all, TracePoint& place) {
  const bool anyGiven =
      std::any_of(all.begin(), all.end(), [](const ZonePlantDuty& f) { return !f.ExhaustSized; });
  double highest = 0;
  bool first = true;
  for (std::size_t z = 0; z < all.size(); ++z) {
    const ZonePlantDuty& f = all[z];
    if (anyGiven && f.ExhaustSized) continue;
    if (q == Quantity::LelOfCode && !(f.LimitPercentLel > 0)) {
      throw Error(ErrorKind::InputRefused, "zone " + std::to_string(z + 1) + " has no LEL limit");
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

//! The zones' own highest web temperature (`pressure` false) or surface vapour pressure as a
//! share of 760 mmHg (true), index 0 for zone 1; a zone where no point's pressures evaluate
//! has none.
std::vector<std::optional<double>> ZoneHighs(const ParameterSet& params,
                                             const SimulationState& state, int zones,
                                             bool pressure) {
  const ZoneTrace& t = state.Trace;
  std::vector<std::optional<double>> highs(static_cast<std::size_t>(zones));
  for (int zone = 1; zone <= zones; ++zone) {
    std::optional<double>& high = highs[static_cast<std::size_t>(zone - 1)];
    if (!pressure && zone == 1) high = state.EntryTemperature();
    for (int point = 0; point <= params.ZoneSteps[zone]; ++point) {
      const std::size_t i = static_cast<std::size_t>(point);
      double value = t.Temperature[zone][i];
      if (pressure) {
        ClearFloatingPointFaults();
        const SurfacePressures p = WebSurfacePressures(
            params, t.Temperature[zone][i], t.Solvent1Weight[zone][i], t.Solvent2Weight[zone][i]);
        value = (p.Solvent1 + p.Solvent2) / kTotalPressure;
        if (FloatingPointFaultRaised({p.Solvent1, p.Solvent2, value})) continue;
      }
      if (!high || value > *high) high = value;
    }
  }
  return highs;
}

//! The LEL limit's quantity by zone, as HighestLel reads it.
std::vector<std::optional<double>> ZoneLels(Quantity q, const std::vector<ZonePlantDuty>& all) {
  const bool anyGiven =
      std::any_of(all.begin(), all.end(), [](const ZonePlantDuty& f) { return !f.ExhaustSized; });
  std::vector<std::optional<double>> parts(all.size());
  for (std::size_t z = 0; z < all.size(); ++z) {
    const ZonePlantDuty& f = all[z];
    if (anyGiven && f.ExhaustSized) continue;
    parts[z] = q == Quantity::Lel ? f.PercentLel : f.PercentLel / f.LimitPercentLel;
  }
  return parts;
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

//! A bound no setting can meet by what the quantity is: a residual ratio is above 0, an
//! exhaust's %LEL too, the heat is not negative and no web is colder than absolute zero.
void RefuseImpossibleBound(const Limit& limit) {
  const double bound = limit.Bound;
  switch (limit.What) {
    case Quantity::ExitResidual1:
    case Quantity::ExitResidual2:
      if (!(bound > 0)) {
        Refuse(limit.Text + " cannot be met: a residual ratio is above 0 at every setting");
      }
      return;
    case Quantity::Lel:
      if (!(bound > 0)) {
        Refuse(limit.Text +
               " cannot be met: an exhaust that carries solvent is above 0 % of its LEL");
      }
      return;
    case Quantity::Energy:
      if (!(bound >= 0)) Refuse(limit.Text + " cannot be met: the line's heat is not negative");
      return;
    case Quantity::WebTemperature:
      if (!(bound > -273.15)) {
        Refuse(limit.Text + " cannot be met: no web is colder than absolute zero");
      }
      return;
    default:
      return;
  }
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
  if (field->group == FieldGroup::Accuracy) {
    Refuse(named +
           " sets how finely the model computes, not the line: a coarser step would only "
           "seem to dry faster, so it cannot be free");
  }
  if (field->group == FieldGroup::Fitting) {
    Refuse(named +
           " is a property of the coating that a fit to measurements determines, not a "
           "setting of the line, so it cannot be free");
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
  if (field->member == &ParameterSet::Speed && !(input.Low > 0)) {
    Refuse(inputName + ": the web must run forward through the dryer, so the lower bound " +
           Quoted(range.substr(0, colon)) + " must be above 0 m/s");
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
      RefuseImpossibleBound(limit);
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

namespace {

bool ProblemNeedsPlant(const OptimiseProblem& problem) {
  return NeedsPlant(problem.Goal.What) ||
         std::any_of(problem.Limits.begin(), problem.Limits.end(),
                     [](const Limit& l) { return NeedsPlant(l.What); });
}

}  // namespace

int ZonesTheLineRuns(const FieldTexts& fields, char decimalSeparator) {
  for (int zone = 2; zone <= kMaxZones; ++zone) {
    const std::string text = fields.Text(ZoneFieldName(zone, 0));
    if (text.empty() || ParseNumber(text, decimalSeparator) == 0.0) return zone - 1;
  }
  return kMaxZones;
}

bool ByZone(Quantity quantity) {
  return quantity == Quantity::WebTemperature || quantity == Quantity::VapourPressure ||
         quantity == Quantity::Lel || quantity == Quantity::LelOfCode;
}

void CheckFreeInputs(const OptimiseProblem& problem, const FieldTexts& fields,
                     char decimalSeparator) {
  const int zones = ZonesTheLineRuns(fields, decimalSeparator);
  const std::string line = "the line runs " + std::to_string(zones) +
                           (zones == 1 ? " zone" : " zones") +
                           " (its zones end at the first zone whose outer temperature is empty "
                           "or 0)";
  const bool hasWidth = !fields.Text("WebWidth").empty();
  for (const FreeInput& input : problem.Free) {
    const PlantFieldSpec* plant =
        input.Field == nullptr ? FindPlantField(input.FieldName) : nullptr;
    const int zone = input.Field != nullptr ? input.Field->zone
                     : plant != nullptr     ? plant->zone
                                            : 0;
    if (zone > zones) {
      Refuse(input.Name + " cannot change the answer: " + line);
    }
    if (input.Field != nullptr) continue;
    if (!hasWidth) {
      Refuse(input.Name +
             " cannot change the answer: the data file has no plant inputs (no web width, "
             "WebWidth), so no plant figure is computed");
    }
    if (!ProblemNeedsPlant(problem)) {
      Refuse(input.Name +
             " changes only the plant figures, which neither the objective nor any limit "
             "reads: limit the LEL or the Energy, or minimise the Energy");
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

double ExhaustSizedTo(const ZonePlantDuty& zone, double percent) {
  const double limit = zone.LimitPercentLel / 100;
  const double exhaust =
      kNormalMolarVolume *
      ((zone.Exhaust / kNormalMolarVolume + zone.Vapour) * limit / (percent / 100) - zone.Vapour);
  if (!(exhaust > 0)) return exhaust;
  const double unit = std::pow(10.0, std::floor(std::log10(exhaust)) - 5);
  return RoundedToDigits(std::ceil(exhaust / unit) * unit, 6);
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
        if (!pressureKnown_) {
          std::tie(pressure_, pressurePlace_) = HighestVapourPressure(params_, state_, zones_);
          pressureKnown_ = true;
        }
        place = pressurePlace_;
        return pressure_;
      case Quantity::Lel:
      case Quantity::LelOfCode:
        return HighestLel(q, plant_->Zones, place);
      case Quantity::Energy:
        return plant_->TotalKw;
    }
    return 0;
  }

  //! The quantity of `limit` zone by zone where it is held so (ByZone), else its one value.
  std::vector<std::optional<double>> Parts(const Limit& limit, double value) const {
    switch (limit.What) {
      case Quantity::WebTemperature:
      case Quantity::VapourPressure:
        return ZoneHighs(params_, state_, zones_, limit.What == Quantity::VapourPressure);
      case Quantity::Lel:
      case Quantity::LelOfCode:
        return ZoneLels(limit.What, plant_->Zones);
      default:
        return {value};
    }
  }

 private:
  const OptimiseProblem& problem_;
  const std::vector<double>& values_;
  const ParameterSet& params_;
  const SimulationState& state_;
  const int zones_;
  const TracePoint exit_;
  const std::optional<PlantDuty>& plant_;
  std::optional<TracePoint> hottest_;
  // The highest vapour pressure and where, found once when a limit or the objective asks.
  // (Not an optional pair: GCC 12 at -O3 takes its members as possibly uninitialised.)
  bool pressureKnown_ = false;
  double pressure_ = 0;
  TracePoint pressurePlace_{};
};

bool NeedsPlantFigures(const OptimiseProblem& problem) {
  return problem.Plant && ProblemNeedsPlant(problem);
}

//! The plant duty of a finished run; with an LEL<=P limit below a zone's own limit, each
//! exhaust left empty sized to P (the figures computed again with it, and its text kept in
//! `evaluation`), since that zone of the setting's data file runs so.
std::optional<PlantDuty> SizedPlantDuty(const OptimiseProblem& problem, CaseResult& run,
                                        const CaseRequest& request, char decimalSeparator,
                                        const ParameterSet& params, const SimulationState& state,
                                        RunEvaluation& evaluation) {
  std::optional<PlantDuty> duty = problem.Plant.Duty(run, params);
  std::optional<double> percent;
  for (const Limit& limit : problem.Limits) {
    if (limit.What == Quantity::Lel) percent = std::min(percent.value_or(limit.Bound), limit.Bound);
  }
  if (!duty || !percent || !request.Plant || !request.Solvents) return duty;
  PlantInputs sized = *request.Plant;
  for (std::size_t z = 0; z < duty->Zones.size(); ++z) {
    const ZonePlantDuty& zone = duty->Zones[z];
    if (!zone.ExhaustSized || !(zone.LimitPercentLel > *percent) || !(zone.Vapour > 0)) continue;
    const double exhaust = ExhaustSizedTo(zone, *percent);
    if (!std::isfinite(exhaust) || !(exhaust > 0)) continue;
    const int number = static_cast<int>(z) + 1;
    sized.Exhaust[number] = exhaust;
    evaluation.SizedExhausts.emplace_back(ExhaustFieldName(number),
                                          FieldValueText(exhaust, decimalSeparator));
  }
  if (evaluation.SizedExhausts.empty()) return duty;
  run.Figures = PlantFiguresOf(params, sized, *request.Solvents, state, run.Record);
  return problem.Plant.Duty(run, params);
}

//! Whether every figure of the evaluation is a finite number.
bool AllFinite(const RunEvaluation& evaluation) {
  if (!std::isfinite(evaluation.Objective)) return false;
  for (const double v : evaluation.LimitValue) {
    if (!std::isfinite(v)) return false;
  }
  for (const auto& parts : evaluation.LimitParts) {
    for (const std::optional<double>& v : parts) {
      if (v && !std::isfinite(*v)) return false;
    }
  }
  if (evaluation.Plant) {
    if (!std::isfinite(evaluation.Plant->TotalKw)) return false;
    for (const ZonePlantDuty& z : evaluation.Plant->Zones) {
      if (!std::isfinite(z.PercentLel) || !std::isfinite(z.HeatKw) || !std::isfinite(z.Exhaust)) {
        return false;
      }
    }
  }
  return true;
}

}  // namespace

namespace {

//! Field texts an evaluation changes besides the free inputs (the humidities its zones' air
//! settles to, the exhausts it sizes), each put back as it was when the evaluation ends: the
//! next setting of the worker starts from the data file's texts, as a run of its own data file
//! does, whatever the order of the settings.
class ChangedTexts {
 public:
  explicit ChangedTexts(FieldTexts& fields) : fields_(fields) {}
  ChangedTexts(const ChangedTexts&) = delete;
  ChangedTexts& operator=(const ChangedTexts&) = delete;
  ~ChangedTexts() { PutBack(); }

  void Set(const std::string& field, const std::string& text) {
    Keep(field);
    fields_.SetText(field, text);
  }

  //! Runs of the case that put into the humidities of each zone whose air follows from its
  //! exhaust what the exhaust carries, from the humidities as stated, as `run` does before its
  //! run. Nothing without such a zone.
  void SettleZoneAir(const CaseRequest& request, char decimalSeparator, ParameterSet& params,
                     SimulationState& state) {
    if (!request.Plant || !request.Solvents || !request.Plant->AnyAirFromExhaust()) return;
    for (int zone = 1; zone <= kMaxZones; ++zone) {
      if (!request.Plant->AirFromExhaust[zone]) continue;
      for (const std::string& field : ZoneHumidityFields(zone)) {
        Keep(field);
        fields_.SetText(field, kept_.at(field));  // as stated, were it settled before
      }
    }
    ZoneAirFromExhaust(fields_, decimalSeparator, *request.Plant, *request.Solvents, params, state);
  }

  void PutBack() {
    for (const auto& [field, text] : kept_) fields_.SetText(field, text);
    kept_.clear();
  }

 private:
  void Keep(const std::string& field) {
    if (!kept_.contains(field)) kept_.emplace(field, fields_.Text(field));
  }

  FieldTexts& fields_;
  std::map<std::string, std::string> kept_;
};

//! Whether a zone whose exhaust an LEL<=P limit sized also takes its air from that exhaust:
//! its drying then depends on the exhaust sized.
bool SizedZoneAirFollows(const RunEvaluation& evaluation, const CaseRequest& request) {
  if (!request.Plant) return false;
  for (const auto& [field, text] : evaluation.SizedExhausts) {
    for (int zone = 1; zone <= kMaxZones; ++zone) {
      if (field == ExhaustFieldName(zone) && request.Plant->AirFromExhaust[zone]) return true;
    }
  }
  return false;
}

//! How often the exhausts sized to an LEL<=P limit are sized again from the run they make,
//! where a zone's air follows from its exhaust.
constexpr int kExhaustResizings = 4;

//! Runs the setting again with the exhausts an LEL<=P limit sized given in `fields`, its zones'
//! air settled to them, as the setting's data file runs; sizes them again where a zone is above
//! P, the vapour having changed with its air. The plant duty of the last run, nullopt where a
//! run does not finish or has no duty (the run's ending then in `evaluation`).
std::optional<PlantDuty> RunWithSizedExhausts(const OptimiseProblem& problem, double percent,
                                              char decimalSeparator, ChangedTexts& changed,
                                              FieldTexts& fields, ParameterSet& params,
                                              SimulationState& state, CaseResult& run,
                                              RunEvaluation& evaluation) {
  std::optional<PlantDuty> duty;
  for (int round = 0; round < kExhaustResizings; ++round) {
    for (const auto& [field, text] : evaluation.SizedExhausts) changed.Set(field, text);
    const std::optional<CaseRequest> request = problem.Plant.Request(fields, decimalSeparator);
    if (!request) return std::nullopt;
    changed.SettleZoneAir(*request, decimalSeparator, params, state);
    run = RunCase(fields, decimalSeparator, params, state, *request);
    if (!run.Finished()) {
      evaluation.Outcome = run.OutcomeText();
      evaluation.Ending = run.Ending;
      return std::nullopt;
    }
    duty = problem.Plant.Duty(run, params);
    // The last round's exhausts are those that ran: the data file holds what was evaluated.
    if (!duty || round + 1 == kExhaustResizings) return duty;
    bool within = true;
    for (auto& [field, text] : evaluation.SizedExhausts) {
      for (std::size_t z = 0; z < duty->Zones.size(); ++z) {
        ZonePlantDuty zone = duty->Zones[z];
        if (field != ExhaustFieldName(static_cast<int>(z) + 1)) continue;
        if (zone.PercentLel <= percent || !(zone.Vapour > 0)) continue;
        // The exhaust's %LEL at the exhaust given reads off what the vapour asks for.
        zone.LimitPercentLel = zone.PercentLel;
        const double exhaust = ExhaustSizedTo(zone, percent);
        if (!std::isfinite(exhaust) || !(exhaust > 0)) continue;
        text = FieldValueText(exhaust, decimalSeparator);
        within = false;
      }
    }
    if (within) break;
  }
  return duty;
}

//! The lowest bound of the LEL<=P limits, if there is one.
std::optional<double> LelBound(const OptimiseProblem& problem) {
  std::optional<double> percent;
  for (const Limit& limit : problem.Limits) {
    if (limit.What == Quantity::Lel) percent = std::min(percent.value_or(limit.Bound), limit.Bound);
  }
  return percent;
}

//! The run of the setting and its plant duty, as EvaluateSetting gives them without margins:
//! false with the ending in `evaluation` where the run did not finish.
bool RunSetting(const OptimiseProblem& problem, const std::vector<double>& values,
                char decimalSeparator, FieldTexts& fields, ParameterSet& params,
                SimulationState& state, ChangedTexts& changed, CaseResult& run,
                RunEvaluation& evaluation) {
  std::optional<CaseRequest> request;
  std::optional<CaseRequest> plantCase;
  try {
    ApplyValues(problem, values, decimalSeparator, fields);
    // The plant inputs say which zones' air follows from their exhaust, whatever is limited.
    if (problem.Plant) plantCase = problem.Plant.Request(fields, decimalSeparator);
    if (NeedsPlantFigures(problem)) request = plantCase;
    if (plantCase) changed.SettleZoneAir(*plantCase, decimalSeparator, params, state);
    run = RunCase(fields, decimalSeparator, params, state, request.value_or(CaseRequest{}));
  } catch (const Error& error) {
    // What ends the window's run in its error box ends only this setting.
    evaluation.Outcome = error.what();
    evaluation.Ending = error.Kind();
    return false;
  }
  if (!run.Finished()) {
    evaluation.Outcome = run.OutcomeText();
    evaluation.Ending = run.Ending;
    return false;
  }
  evaluation.Ending = ErrorKind::RunFault;
  if (!NeedsPlantFigures(problem)) return true;
  try {
    if (request) {
      evaluation.Plant =
          SizedPlantDuty(problem, run, *request, decimalSeparator, params, state, evaluation);
      if (evaluation.Plant && SizedZoneAirFollows(evaluation, *request)) {
        evaluation.Plant = RunWithSizedExhausts(problem, *LelBound(problem), decimalSeparator,
                                                changed, fields, params, state, run, evaluation);
      }
    }
  } catch (const Error& error) {  // a plant figure the setting cannot give: the setting fails
    evaluation.Plant.reset();
    evaluation.Outcome = error.what();
    return false;
  }
  if (!evaluation.Plant && evaluation.Outcome.empty()) {
    evaluation.Outcome = "the plant inputs were refused";
  }
  return evaluation.Plant.has_value();
}

//! The evaluation of the setting at the point estimates (EvaluateSetting without margins).
RunEvaluation EvaluatePoint(const OptimiseProblem& problem, const std::vector<double>& values,
                            char decimalSeparator, MemoryFieldTexts& fields, ParameterSet& params,
                            SimulationState& state) {
  RunEvaluation evaluation;
  CaseResult run;
  ChangedTexts changed(fields);
  if (!RunSetting(problem, values, decimalSeparator, fields, params, state, changed, run,
                  evaluation)) {
    return evaluation;
  }
  try {
    SettingQuantities quantities(problem, values, params, state, run.Record, evaluation.Plant);
    TracePoint place;
    evaluation.Objective = quantities.Value(problem.Goal.What, place);
    for (const Limit& limit : problem.Limits) {
      const double v = quantities.Value(limit.What, place);
      evaluation.LimitValue.push_back(v);
      evaluation.LimitPlace.push_back(place);
      evaluation.LimitParts.push_back(quantities.Parts(limit, v));
    }
  } catch (const Error& error) {  // a figure the setting cannot give: the setting fails
    evaluation.LimitValue.clear();
    evaluation.LimitPlace.clear();
    evaluation.LimitParts.clear();
    evaluation.Outcome = error.what();
    return evaluation;
  }
  if (!AllFinite(evaluation)) {
    // A figure that is not a number meets no limit: the setting is a fault, never a success.
    evaluation.LimitValue.clear();
    evaluation.LimitPlace.clear();
    evaluation.LimitParts.clear();
    evaluation.Outcome = "a figure of the run is not a finite number";
    return evaluation;
  }
  evaluation.Ending.reset();
  evaluation.Finished = true;
  evaluation.Outcome = "finished";
  return evaluation;
}

}  // namespace

RunEvaluation EvaluateSetting(const OptimiseProblem& problem, const std::vector<double>& values,
                              char decimalSeparator, MemoryFieldTexts& fields, ParameterSet& params,
                              SimulationState& state) {
  RunEvaluation evaluation =
      EvaluatePoint(problem, values, decimalSeparator, fields, params, state);
  if (!evaluation.Finished) return evaluation;
  if (problem.Margin) {
    OptimiseProblem plain = problem;
    plain.Margin = nullptr;
    const std::vector<double> pointEstimates = evaluation.LimitValue;
    problem.Margin(evaluation, [&](const FieldChanges& changes) {
      MemoryFieldTexts changed = fields;
      for (const auto& [field, text] : changes) changed.SetText(field, text);
      const RunEvaluation again =
          EvaluateSetting(plain, values, decimalSeparator, changed, params, state);
      return again.Finished ? std::optional(again.LimitValue) : std::nullopt;
    });
    // The search holds each part of a limit (a zone's) on its own: each part takes the margin
    // its limit took, or the search would stop at the point estimate's bound.
    for (std::size_t i = 0; i < evaluation.LimitParts.size(); ++i) {
      const double margin = evaluation.LimitValue[i] - pointEstimates[i];
      for (std::optional<double>& part : evaluation.LimitParts[i]) {
        if (part) *part += margin;
      }
    }
  }
  return evaluation;
}

}  // namespace quillmere
