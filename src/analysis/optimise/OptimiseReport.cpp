#include "analysis/optimise/OptimiseReport.h"

#include <nlohmann/json.hpp>

#include <algorithm>
#include <charconv>
#include <cmath>

#include "base/FormatFixed.h"

namespace quillmere {
namespace {

std::string Metres(double value) {
  return FormatFixed(value, 18, 2, '.') + " m";
}

std::string WithUnit(double value, std::string_view unit) {
  std::string text = ReportNumber(value);
  if (!unit.empty() && unit != "-") {
    text += ' ';
    text += unit;
  }
  return text;
}

std::string_view LimitUnit(const Limit& limit) {
  return limit.What == Quantity::VapourPressure ? "of 760 mmHg" : QuantityUnit(limit.What);
}

std::string StartList(const std::vector<std::size_t>& starts) {
  std::string list;
  for (const std::size_t s : starts) {
    if (!list.empty()) list += ", ";
    list += std::to_string(s + 1);
  }
  return list;
}

std::string SettingText(const OptimiseProblem& problem, const std::vector<double>& values) {
  std::string text;
  for (std::size_t i = 0; i < values.size(); ++i) {
    if (!text.empty()) text += ", ";
    text += problem.Free[i].Name + " " + WithUnit(values[i], problem.Free[i].Unit);
  }
  return text;
}

//! The first lines: the optimum, the best setting found with the doubts about it, or the
//! nearest setting where none meets every limit.
std::string HeadlineText(const Objective& goal, const OptimiseResult& result) {
  const std::string verb = goal.Maximise ? "maximised" : "minimised";
  if (result.Values.empty()) return "No run finished: no setting could be judged.\n";
  if (result.Feasible && result.Doubts.empty()) {
    return "Optimum: " + goal.Name + " " + verb + " to " + WithUnit(result.Objective, goal.Unit) +
           ", every limit met.\n";
  }
  if (result.Feasible) {
    std::string text = "Best setting found, not shown to be the optimum: " + goal.Name + " " +
                       verb + " to " + WithUnit(result.Objective, goal.Unit) +
                       ", every limit met, but\n";
    for (const std::string& doubt : result.Doubts) text += "  - " + doubt + "\n";
    return text;
  }
  if (!result.AnyFinished) {
    return "No setting found that meets every limit: no run finished at any setting tried. "
           "The last ended: " +
           result.Outcome + "\n";
  }
  return "No setting found that meets every limit. The nearest, listed below, gives " + goal.Name +
         " " + WithUnit(result.Objective, goal.Unit) + ".\n";
}

//! "Inputs:", each free input's value and range, and whether it sits at either end.
std::string InputsText(const OptimiseProblem& problem, const OptimiseResult& result) {
  if (result.Values.empty()) return "";
  std::string text = "Inputs:\n";
  for (std::size_t i = 0; i < problem.Free.size(); ++i) {
    const FreeInput& f = problem.Free[i];
    const double v = result.Values[i];
    const double tolerance = 1e-6 * (f.High - f.Low);
    const std::string_view end = v >= f.High - tolerance  ? ", at the top of its range"
                                 : v <= f.Low + tolerance ? ", at the bottom of its range"
                                                          : "";
    text += "  " + f.Name + " = " + WithUnit(v, f.Unit) + "  (free from " + ReportNumber(f.Low) +
            " to " + ReportNumber(f.High) + std::string(end) + ")\n";
  }
  return text;
}

//! One limit's lines: its value, its margin or how far it is over, where, and what relaxing
//! it by 1 % would gain.
std::string LimitText(const Objective& goal, const LimitAtOptimum& limit) {
  const std::string_view unit = LimitUnit(limit.What);
  std::string text = "  " + limit.What.Text + ": " + WithUnit(limit.Value, unit);
  if (limit.Margin >= 0) {
    text += ", margin " + WithUnit(limit.Margin, unit);
    text += limit.Binding ? ", binding: " : "; ";
  } else {
    text += ", over by " + WithUnit(-limit.Margin, unit) + " (" +
            ReportNumber(100 * -limit.Margin /
                         (limit.What.Bound == 0 ? 1.0 : std::fabs(limit.What.Bound))) +
            " % of the limit): ";
  }
  text += LimitPlaceText(limit) + "\n";
  if (limit.ShadowGain) {
    text += "    relaxed by 1 %: " + goal.Name + " " + (*limit.ShadowGain >= 0 ? "+" : "") +
            WithUnit(goal.Maximise ? *limit.ShadowGain : -*limit.ShadowGain, goal.Unit) + "\n";
  } else if (limit.ShadowNotEstimated) {
    text +=
        "    relaxed by 1 %: not estimated (the searches with it relaxed by 1 % and by "
        "0.5 % do not agree)\n";
  }
  return text;
}

//! "Limits:" and each limit's lines.
std::string LimitsText(const Objective& goal, const OptimiseResult& result) {
  std::string text;
  if (!result.Limits.empty()) text += "Limits:\n";
  for (const LimitAtOptimum& limit : result.Limits) text += LimitText(goal, limit);
  return text;
}

//! The exhausts left empty that an LEL limit sized, which -o writes into the data file.
std::string SizedExhaustsText(const OptimiseResult& result) {
  std::string text;
  for (const auto& [name, exhaust] : result.SizedExhausts) {
    text += "Exhaust sized to the LEL limit: " + name + " = " + exhaust + " Nm3/h" +
            " (left empty in the data file; -o writes it)\n";
  }
  return text;
}

//! Where no setting meets every limit: the limits missed at the end of every local search
//! (cannot be met), apart from those the nearest setting alone misses.
std::string MissedLimitsText(const OptimiseResult& result) {
  if (result.Feasible || !result.AnyFinished) return "";
  std::string everywhere;
  std::string somewhere;
  for (std::size_t i = 0; i < result.Limits.size(); ++i) {
    const LimitAtOptimum& limit = result.Limits[i];
    if (limit.Margin >= 0) continue;
    const bool always = i < result.MissedEverywhere.size() && result.MissedEverywhere[i];
    std::string& list = always ? everywhere : somewhere;
    list += (list.empty() ? "" : ", ") + limit.What.Text;
  }
  std::string text;
  if (!everywhere.empty()) {
    text +=
        "Cannot be met within the free inputs' ranges (missed at the end of every local "
        "search): " +
        everywhere + ".\n";
  }
  if (!somewhere.empty()) {
    text +=
        "Missed by the nearest setting, though met at the end of some local search: " + somewhere +
        ".\n";
  }
  return text;
}

//! The starts (0-based) whose local search ended at a setting that misses a limit.
std::vector<std::size_t> StartsEndedOutside(const OptimiseResult& result) {
  std::vector<std::size_t> outside;
  for (std::size_t i = 0; i < result.Starts.size(); ++i) {
    if (!result.Starts[i].To.empty() && !result.Starts[i].Feasible) outside.push_back(i);
  }
  return outside;
}

//! The starts (0-based) that ended within every limit, not at the optimum, because their run
//! budget ran out rather than by the tolerance.
std::vector<std::size_t> StartsOutOfRuns(const OptimiseResult& result) {
  std::vector<std::size_t> unfinished;
  for (std::size_t i = 0; i < result.Starts.size(); ++i) {
    const StartOutcome& s = result.Starts[i];
    const bool reached =
        std::find(result.ReachedBy.begin(), result.ReachedBy.end(), i) != result.ReachedBy.end();
    if (!s.To.empty() && s.Feasible && !s.Converged && !reached) unfinished.push_back(i);
  }
  return unfinished;
}

//! "Starts: ..." in one line: how many, which reached the best, which ended outside a limit
//! and which used up their runs.
std::string StartsText(const OptimiseResult& result) {
  std::string text = "Starts: " + std::to_string(result.Starts.size());
  if (result.Feasible && !result.ReachedBy.empty()) {
    text += "; the best reached from " + StartList(result.ReachedBy);
  } else if (result.Feasible) {
    text += "; the best reached only by the restarts from the best end";
  }
  const std::vector<std::size_t> outside = StartsEndedOutside(result);
  if (!outside.empty() && result.Feasible) {
    text += "; " + StartList(outside) + " ended outside a limit";
  }
  const std::vector<std::size_t> unfinished = StartsOutOfRuns(result);
  if (!unfinished.empty()) {
    text += "; " + StartList(unfinished) + " used up " + (unfinished.size() > 1 ? "their" : "its") +
            " runs (--max-runs) on the way";
  }
  return text + ".\n";
}

//! A line for each other local optimum: its objective, setting and starts.
std::string OtherOptimaText(const OptimiseProblem& problem, const OptimiseResult& result) {
  const Objective& goal = problem.Goal;
  std::string text;
  for (const OtherOptimum& other : result.OtherOptima) {
    text += "Another local optimum: " + goal.Name + " " + WithUnit(other.Objective, goal.Unit) +
            " at " + SettingText(problem, other.Values) + " (from start" +
            (other.Starts.size() > 1 ? "s " : " ") + StartList(other.Starts) + ").\n";
  }
  return text;
}

//! The design, the rounds of restarts, the model runs and the time they took.
std::string EffortText(const OptimiseResult& result) {
  return "Design: " + std::to_string(result.DesignRuns) +
         " settings; restarts from the best: " + std::to_string(result.Rounds) +
         (result.Rounds == 1 ? " round" : " rounds") + ".\n" +
         "Model runs: " + std::to_string(result.Runs) + " in " +
         FormatFixed(result.Seconds, 18, 2, '.') + " s.\n";
}

using nlohmann::ordered_json;

ordered_json ObjectiveJson(const Objective& goal) {
  return {{"name", goal.Name},
          {"direction", goal.Maximise ? "maximise" : "minimise"},
          {"unit", goal.Unit}};
}

//! Each free input with its field, unit, value and range.
ordered_json InputsJson(const OptimiseProblem& problem, const OptimiseResult& result) {
  ordered_json inputs = ordered_json::array();
  for (std::size_t i = 0; i < problem.Free.size() && i < result.Values.size(); ++i) {
    const FreeInput& f = problem.Free[i];
    inputs.push_back({{"name", f.Name},
                      {"field", f.FieldName},
                      {"unit", f.Unit},
                      {"value", result.Values[i]},
                      {"low", f.Low},
                      {"high", f.High}});
  }
  return inputs;
}

//! The limit `index` of the result: its value, margin and place, what relaxing it would gain,
//! and, where no setting meets every limit, whether it was missed at every start.
ordered_json LimitJson(const OptimiseResult& result, std::size_t index) {
  const LimitAtOptimum& limit = result.Limits[index];
  ordered_json l{
      {"limit", limit.What.Text},  {"quantity", std::string(QuantityName(limit.What.What))},
      {"bound", limit.What.Bound}, {"value", limit.Value},
      {"margin", limit.Margin},    {"met", limit.Margin >= 0},
      {"binding", limit.Binding},  {"where", LimitPlaceText(limit)}};
  if (limit.Place.Zone > 0) {
    l["zone"] = limit.Place.Zone;
    if (limit.What.What != Quantity::Lel && limit.What.What != Quantity::LelOfCode) {
      l["position_m"] = limit.Place.DryerPosition;
      l["zone_position_m"] = limit.Place.ZonePosition;
    }
  }
  if (limit.ShadowGain) l["gain_if_relaxed_1_percent"] = *limit.ShadowGain;
  if (limit.ShadowNotEstimated) {
    l["gain_if_relaxed_1_percent"] = nullptr;  // the searches relaxed by 1 % and 0.5 % disagree
    l["gain_not_estimated"] = true;
  }
  if (!result.Feasible && index < result.MissedEverywhere.size()) {
    l["missed_at_every_start"] = static_cast<bool>(result.MissedEverywhere[index]);
  }
  return l;
}

ordered_json LimitsJson(const OptimiseResult& result) {
  ordered_json limits = ordered_json::array();
  for (std::size_t i = 0; i < result.Limits.size(); ++i) limits.push_back(LimitJson(result, i));
  return limits;
}

//! Each local search: where it started and ended, its runs, and how it ended.
ordered_json StartsJson(const OptimiseResult& result) {
  ordered_json starts = ordered_json::array();
  for (std::size_t i = 0; i < result.Starts.size(); ++i) {
    const StartOutcome& s = result.Starts[i];
    ordered_json start{
        {"start", i + 1}, {"from", s.From}, {"runs", s.Runs}, {"converged", s.Converged}};
    if (!s.To.empty()) {
      start["to"] = s.To;
      start["finished"] = s.Finished;
      start["feasible"] = s.Feasible;
      if (s.Finished) {
        start["value"] = s.Objective;
        start["largest_violation"] = s.Violation;
      }
    }
    starts.push_back(start);
  }
  return starts;
}

//! Starts (0-based) as the report numbers them, from 1.
ordered_json StartNumbers(const std::vector<std::size_t>& starts) {
  ordered_json numbers = ordered_json::array();
  for (const std::size_t s : starts) numbers.push_back(s + 1);
  return numbers;
}

ordered_json OtherOptimaJson(const OptimiseResult& result) {
  ordered_json others = ordered_json::array();
  for (const OtherOptimum& other : result.OtherOptima) {
    others.push_back({{"value", other.Objective},
                      {"inputs", other.Values},
                      {"starts", StartNumbers(other.Starts)}});
  }
  return others;
}

//! Each zone's %LEL, its limit and its heat, and the line's heat.
ordered_json PlantJson(const PlantDuty& plant) {
  ordered_json zones = ordered_json::array();
  for (const ZonePlantDuty& z : plant.Zones) {
    zones.push_back({{"percent_lel", z.PercentLel},
                     {"limit_percent_lel", z.LimitPercentLel},
                     {"heat_kw", z.HeatKw}});
  }
  return {{"zones", zones}, {"total_kw", plant.TotalKw}};
}

ordered_json SizedExhaustsJson(const OptimiseResult& result) {
  ordered_json sized = ordered_json::object();
  for (const auto& [name, exhaust] : result.SizedExhausts) sized[name] = exhaust;
  return sized;
}

}  // namespace

std::string ReportNumber(double value) {
  char text[32];
  const auto written =
      std::to_chars(text, text + sizeof text, value, std::chars_format::general, 6);
  return std::string(text, written.ptr);
}

std::string LimitPlaceText(const LimitAtOptimum& limit) {
  const TracePoint& p = limit.Place;
  switch (limit.What.What) {
    case Quantity::ExitResidual1:
    case Quantity::ExitResidual2:
      return "at the dryer's exit (zone " + std::to_string(p.Zone) + ", " +
             Metres(p.DryerPosition) + ")";
    case Quantity::WebTemperature:
      return std::string(limit.Binding ? "the web reaches it" : "highest") + " in zone " +
             std::to_string(p.Zone) + " at " + Metres(p.DryerPosition) + " (" +
             Metres(p.ZonePosition) + " into the zone)";
    case Quantity::VapourPressure:
      return std::string(limit.Binding ? "the coating would boil" : "highest") + " in zone " +
             std::to_string(p.Zone) + " at " + Metres(p.DryerPosition) + " (" +
             Metres(p.ZonePosition) + " into the zone, at a web temperature of " +
             FormatFixed(p.Temperature, 18, 1, '.') + " °C)";
    case Quantity::Lel:
    case Quantity::LelOfCode:
      return "highest in zone " + std::to_string(p.Zone);
    case Quantity::Energy:
    case Quantity::Input:
      return "the whole line";
  }
  return "";
}

std::string OptimiseReportText(const OptimiseProblem& problem, const OptimiseResult& result) {
  std::string text;
  if (result.Stopped) text += "The search was stopped before it ended.\n";
  text += HeadlineText(problem.Goal, result);
  text += InputsText(problem, result);
  text += LimitsText(problem.Goal, result);
  text += SizedExhaustsText(result);
  text += MissedLimitsText(result);
  text += StartsText(result);
  text += OtherOptimaText(problem, result);
  text += EffortText(result);
  return text;
}

std::string OptimiseReportJson(const OptimiseProblem& problem, const OptimiseResult& result) {
  ordered_json json;
  json["objective"] = ObjectiveJson(problem.Goal);
  json["feasible"] = result.Feasible;
  json["optimum"] = result.Feasible && result.Doubts.empty() && !result.Stopped;
  json["doubts"] = result.Doubts;
  json["stopped"] = result.Stopped;
  if (!result.Values.empty()) json["value"] = result.Objective;
  // An interrupted search has no outcome to speak of, whatever its last run did.
  json["outcome"] = result.Stopped ? "interrupted" : result.Outcome;
  json["inputs"] = InputsJson(problem, result);
  json["limits"] = LimitsJson(result);
  json["starts"] = StartsJson(result);
  json["reached_by"] = StartNumbers(result.ReachedBy);
  json["other_optima"] = OtherOptimaJson(result);
  if (result.Plant) json["plant"] = PlantJson(*result.Plant);
  json["sized_exhausts"] = SizedExhaustsJson(result);
  json["design_runs"] = result.DesignRuns;
  json["restart_rounds"] = result.Rounds;
  json["model_runs"] = result.Runs;
  json["seconds"] = result.Seconds;
  return json.dump(2) + "\n";
}

}  // namespace quillmere
