#include "analysis/fit/FitReport.h"

#include <algorithm>
#include <charconv>
#include <nlohmann/json.hpp>

#include "base/PrintableText.h"

namespace quillmere {
namespace {

//! Six significant digits ("0.450012", "1.2e-05") with the user's decimal separator.
std::string Significant(double value, char separator, int digits = 6) {
  char text[40];
  const auto end =
      std::to_chars(text, text + sizeof text, value, std::chars_format::general, digits);
  std::string s(text, end.ptr);
  std::replace(s.begin(), s.end(), '.', separator);
  return s;
}

std::string Left(std::string text, std::size_t width) {
  // Width in characters: count UTF-8 lead bytes only ("°C" is two columns of bytes, one wide).
  std::size_t shown = 0;
  for (const char c : text) shown += (static_cast<unsigned char>(c) & 0xC0) != 0x80;
  if (shown < width) text.append(width - shown, ' ');
  return text;
}

std::string Right(const std::string& text, std::size_t width) {
  return text.size() < width ? std::string(width - text.size(), ' ') + text : text;
}

std::string List(const std::vector<std::string>& names) {
  std::string list;
  for (std::size_t i = 0; i < names.size(); ++i) {
    if (i > 0) list += i + 1 == names.size() ? " and " : ", ";
    list += names[i];
  }
  return list;
}

std::string QuantityCaption(MeasuredQuantity quantity) {
  return std::string(QuantityName(quantity)) + " (" + std::string(QuantityUnit(quantity)) + ")";
}

std::string SourceName(BoundSource source) {
  switch (source) {
    case BoundSource::None:
      return "none";
    case BoundSource::Default:
      return "default";
    case BoundSource::Given:
      return "given";
    case BoundSource::Order:
      return "order";
  }
  return "none";
}

std::size_t MeasurementCount(const FitResult& result) {
  std::size_t count = 0;
  for (const TrialFit& trial : result.Trials) count += trial.Measurements.size();
  return count;
}

//! "1 trial", "2 trials": `count` and its `noun`, plural but for one.
std::string Counted(long long count, const std::string& noun) {
  return std::to_string(count) + " " + noun + (count == 1 ? "" : "s");
}

//! Whether the parameter's interval is the profile likelihood's (else the covariance's).
bool Profiled(const FittedParameter& p) {
  return p.Stalled.empty() && p.Identifiable && p.StandardError && p.ProfileLow && p.ProfileHigh;
}

// The text report, a section a function. Each writes its numbers with `separator`.

//! What was fitted to what, how the solver ended, and what it cost.
std::string SolverText(const FitResult& result, char separator) {
  std::vector<std::string> names;
  for (const FittedParameter& p : result.Parameters) names.push_back(p.Name);
  std::string text = "Fitted " + List(names) + " to " +
                     Counted(static_cast<long long>(MeasurementCount(result)), "measurement") +
                     " of " + Counted(static_cast<long long>(result.Trials.size()), "trial") +
                     ".\n";
  text += "The solver stopped after " + Counted(result.Iterations, "iteration") + " (" +
          result.Termination + "): " + result.StopReason + "\n";
  text += "Model runs: " + std::to_string(result.ModelRuns) + ", in " +
          Significant(result.Seconds, separator, 3) + " s";
  if (result.FaultedRuns > 0) {
    text += "; " + std::to_string(result.FaultedRuns) +
            " ended on a floating-point fault, and the solver stepped back from there";
  }
  return text + ".\n";
}

//! How the starts of the global search ended, and the other optima they met.
std::string SearchText(const FitResult& result, char separator) {
  std::string text;
  if (result.Starts > 0) {
    text += "Global search: " + std::to_string(result.StartsAtBest) + " of " +
            std::to_string(result.Starts) + " starts reached the best optimum";
    if (result.Restarts > 0) {
      text += "; " + std::to_string(result.Restarts) +
              " were started again from inside the bounds after ending in a flat strip of "
              "We <= Wx <= Wi";
    }
    text += ".\n";
  }
  for (const OtherOptimum& o : result.OtherOptima) {
    std::string values;
    for (std::size_t i = 0; i < o.Values.size() && i < result.Parameters.size(); ++i) {
      values += (i > 0 ? ", " : "") + result.Parameters[i].Name + " " +
                Significant(o.Values[i], separator);
    }
    text += "  another optimum, sum of squares " + Significant(o.SumOfSquares, separator) + " (" +
            Counted(o.Starts, "start") + "): " + values + "\n";
  }
  return text;
}

//! A row of the parameter table: start, fitted, and the standard error with the 95 % interval
//! or why there is none.
std::string ParameterRow(const FittedParameter& p, char separator) {
  const auto number = [&](double value) { return Significant(value, separator); };
  std::string line = Left(p.Name, 10) + Right(number(p.Start), 12) + Right(number(p.Fitted), 13);
  if (!p.Stalled.empty()) {
    line += "   stalled at the bound " + p.Stalled;
  } else if (!p.Identifiable) {
    line += "   not identifiable";
  } else if (p.StandardError) {
    line += Right(number(*p.StandardError), 13);
    if (Profiled(p)) {
      line += "   " + number(*p.ProfileLow) + (p.ProfileAtBound[0] ? " (bound)" : "") + " to " +
              number(*p.ProfileHigh) + (p.ProfileAtBound[1] ? " (bound)" : "");
    } else if (p.Interval95) {
      line += "   " + number((*p.Interval95)[0]) + " to " + number((*p.Interval95)[1]) +
              " (covariance)";
    }
  }
  if (p.BoundReached != BoundSide::None) {
    line += "   (on its " + std::string(BoundSideName(p.BoundReached)) + " bound)";
  }
  return line + "\n";
}

std::string ParameterTable(const FitResult& result, char separator) {
  std::string text = "PARAMETER        START       FITTED    STD ERROR   95 % INTERVAL\n";
  for (const FittedParameter& p : result.Parameters) text += ParameterRow(p, separator);
  return text;
}

//! Where the standard errors come from, and so how wide `intervals` are.
std::string StandardErrorsText(const FitResult& result, char separator,
                               const std::string& intervals) {
  if (!result.CovarianceNote.empty()) return "N" + result.CovarianceNote.substr(1) + ".\n";
  if (result.SigmaGiven) {
    return "Standard errors from the sigmas of the measurements; " + intervals + " are 1" +
           std::string(1, separator) + "96 standard errors wide on each side.\n";
  }
  std::string text = "Standard errors from the residual variance " +
                     Significant(result.ResidualVariance, separator) + " (" +
                     std::to_string(result.DegreesOfFreedom) +
                     " degrees of freedom): the measurements carry no sigma, so all weigh alike; " +
                     intervals + " use Student's t.\n";
  if (result.Quantities.size() > 1) {
    text +=
        "Without sigmas, 1 °C of temperature weighs as much as 1 of a residual ratio or "
        "1 kg/m2: give each measurement its sigma to weigh the quantities fairly.\n";
  }
  return text;
}

//! Where the standard errors and the 95 % intervals come from; with profiles, the covariance's
//! intervals follow as well.
std::string IntervalsText(const FitResult& result, char separator, bool profiled) {
  std::string text;
  if (profiled) {
    text +=
        "The 95 % intervals are the profile likelihood's: each parameter held further from "
        "its fitted value, the others fitted again, until the sum of squares has risen by " +
        Significant(result.ProfileRise, separator) +
        "; \"(bound)\": the measurements allow values beyond "
        "the bound.\n";
  }
  text += StandardErrorsText(result, separator,
                             profiled ? "the covariance's 95 % intervals" : "the 95 % intervals");
  if (profiled) {
    for (const FittedParameter& p : result.Parameters) {
      if (!p.Interval95 || !p.Identifiable) continue;
      text += "  " + p.Name + " " + Significant((*p.Interval95)[0], separator) + " to " +
              Significant((*p.Interval95)[1], separator) +
              (p.WaldClipped ? " (clipped to its bounds)" : "") + "\n";
    }
  }
  return text;
}

//! The correlations of the parameters, three decimals, when there are two or more.
std::string CorrelationTable(const FitResult& result, char separator) {
  if (result.Correlation.size() <= 1) return "";
  std::string text = "\nCORRELATIONS\n" + std::string(10, ' ');
  for (const std::string& name : result.CorrelationNames) text += Right(name, 9);
  text += "\n";
  for (std::size_t a = 0; a < result.Correlation.size(); ++a) {
    text += Left(result.CorrelationNames[a], 10);
    for (const double c : result.Correlation[a]) {
      char fixed[16];
      const auto end = std::to_chars(fixed, fixed + sizeof fixed, c, std::chars_format::fixed, 3);
      std::string s(fixed, end.ptr);
      std::replace(s.begin(), s.end(), '.', separator);
      text += Right(s, 9);
    }
    text += "\n";
  }
  return text;
}

std::string SumOfSquaresText(const FitResult& result, char separator) {
  return "\nSum of squares of the residuals" +
         std::string(result.SigmaGiven ? " (in sigmas)" : "") + ": " +
         Significant(result.StartSumOfSquares, separator) + " at the start, " +
         Significant(result.FittedSumOfSquares, separator) + " fitted.\n";
}

std::string RmsRow(const std::string& caption, const QuantityFit& q, char separator) {
  return Left(caption + ", " + std::to_string(q.Count), 35) +
         Right(Significant(q.StartRms, separator), 11) +
         Right(Significant(q.FittedRms, separator), 13) + "\n";
}

//! The RMS errors by quantity and, with two trials or more, by trial under each quantity.
std::string RmsTable(const FitResult& result, char separator) {
  std::string text = "\nRMS ERROR (model - measured)           START       FITTED\n";
  for (const QuantityFit& q : result.Quantities) {
    text += RmsRow(QuantityCaption(q.Quantity), q, separator);
    if (result.Trials.size() < 2) continue;
    for (const TrialFit& trial : result.Trials) {
      for (const QuantityFit& t : trial.Quantities) {
        if (t.Quantity == q.Quantity) {
          text += RmsRow("  " + PrintableText(trial.DataFileName), t, separator);
        }
      }
    }
  }
  return text;
}

//! A constraint, whether it holds, and the values and bounds behind the verdict.
std::string ConstraintLine(const ConstraintCheck& c, char separator) {
  std::vector<std::string> details;
  for (const ConstraintCheck::TrialValues& trial : c.Values) {
    std::string values = trial.Trial > 1 ? "trial " + std::to_string(trial.Trial) + ": " : "";
    for (std::size_t i = 0; i < trial.Values.size(); ++i) {
      values += (i > 0 ? ", " : "") + trial.Values[i].first + " " +
                Significant(trial.Values[i].second, separator);
    }
    details.push_back(values);
  }
  for (const ConstraintCheck::BoundContact& b : c.OnBounds) {
    details.push_back(b.Name + " lies on its " + std::string(BoundSideName(b.Side)) + " bound " +
                      Significant(b.Value, separator) +
                      (b.Source == BoundSource::Order   ? ", set by the order We < Wx < Wi"
                       : b.Source == BoundSource::Given ? ", given by --bounds"
                                                        : ""));
  }
  std::string detail;
  for (const std::string& d : details) detail += (detail.empty() ? "" : "; ") + d;
  return "  " + c.Text + ": " + (c.Held ? "held" : "does not hold") + (c.Active ? ", active" : "") +
         (detail.empty() ? "" : " (" + detail + ")") + "\n";
}

std::string ConstraintsText(const FitResult& result, char separator) {
  std::string text = "\nCONSTRAINTS\n";
  for (const ConstraintCheck& c : result.Constraints) text += ConstraintLine(c, separator);
  return text;
}

//! Why the fit is not to be trusted, when it is not.
std::string DoubtsText(const FitResult& result) {
  if (result.Doubts.empty()) return "";
  std::string text = "\nNOT TO BE TRUSTED\n";
  for (const std::string& doubt : result.Doubts) text += "  " + doubt + "\n";
  return text;
}

//! The parameters the measurements cannot determine, and what would.
std::string UnidentifiableText(const FitResult& result) {
  if (result.Unidentifiable.empty()) return "";
  std::string text = "\nNOT IDENTIFIABLE\n";
  for (const NotIdentifiable& n : result.Unidentifiable) {
    text += "  " + List(n.Parameters) + ": the measurements cannot determine " +
            (n.Parameters.size() == 1 ? "it" : "them apart") + "; " + n.Hint + ".\n";
  }
  return text;
}

// The JSON report, a member a function.

nlohmann::json BoundJson(const std::optional<Bound>& b) {
  if (!b) return nullptr;
  return {{"value", b->Value}, {"source", SourceName(b->Source)}};
}

nlohmann::json RmsJson(const std::vector<QuantityFit>& quantities) {
  nlohmann::json list = nlohmann::json::array();
  for (const QuantityFit& q : quantities) {
    list.push_back({{"quantity", QuantityName(q.Quantity)},
                    {"unit", QuantityUnit(q.Quantity)},
                    {"count", q.Count},
                    {"start", q.StartRms},
                    {"fitted", q.FittedRms}});
  }
  return list;
}

nlohmann::json ParameterJson(const FittedParameter& p) {
  using nlohmann::json;
  json entry{{"name", p.Name},
             {"start", p.Start},
             {"fitted", p.Fitted},
             {"lower_bound", BoundJson(p.Lower)},
             {"upper_bound", BoundJson(p.Upper)},
             {"bound_reached", p.BoundReached == BoundSide::None
                                   ? json(nullptr)
                                   : json(std::string(BoundSideName(p.BoundReached)))},
             {"identifiable", p.Identifiable},
             {"standard_error", nullptr},
             {"interval95", nullptr}};
  if (p.StandardError) entry["standard_error"] = *p.StandardError;
  if (p.Interval95) entry["interval95"] = {(*p.Interval95)[0], (*p.Interval95)[1]};
  entry["interval95_clipped"] = p.WaldClipped;
  entry["profile95"] = {p.ProfileLow ? json(*p.ProfileLow) : json(nullptr),
                        p.ProfileHigh ? json(*p.ProfileHigh) : json(nullptr)};
  entry["profile95_at_bound"] = {p.ProfileAtBound[0], p.ProfileAtBound[1]};
  entry["stalled_at"] = p.Stalled.empty() ? json(nullptr) : json(p.Stalled);
  return entry;
}

//! A trial's files, its RMS errors and each measurement with the model's values.
nlohmann::json TrialJson(const TrialFit& trial) {
  using nlohmann::json;
  json measurements = json::array();
  for (const MeasurementFit& m : trial.Measurements) {
    measurements.push_back({{"line", m.Measured.Line},
                            {"where", m.Measured.Where},
                            {"quantity", QuantityName(m.Measured.Quantity)},
                            {"value", m.Measured.Value},
                            {"sigma", m.Measured.Sigma ? json(*m.Measured.Sigma) : json(nullptr)},
                            {"start", m.Start},
                            {"fitted", m.Fitted}});
  }
  return {{"data_file", PrintableText(trial.DataFileName)},
          {"measurement_file", PrintableText(trial.MeasurementFileName)},
          {"axis", AxisName(trial.Axis)},
          {"rms", RmsJson(trial.Quantities)},
          {"measurements", measurements}};
}

nlohmann::json ConstraintJson(const ConstraintCheck& c) {
  using nlohmann::json;
  json values = json::array();
  for (const ConstraintCheck::TrialValues& trial : c.Values) {
    json these = json::object();
    for (const auto& [name, value] : trial.Values) these[name] = value;
    values.push_back({{"trial", trial.Trial}, {"values", these}});
  }
  json bounds = json::array();
  for (const ConstraintCheck::BoundContact& b : c.OnBounds) {
    bounds.push_back({{"parameter", b.Name},
                      {"side", std::string(BoundSideName(b.Side))},
                      {"value", b.Value},
                      {"source", SourceName(b.Source)}});
  }
  return {{"constraint", c.Text},
          {"held", c.Held},
          {"active", c.Active},
          {"values", values},
          {"on_bounds", bounds}};
}

//! How the starts of the global search ended, and the other optima they met.
nlohmann::json SearchJson(const FitResult& result) {
  using nlohmann::json;
  json optima = json::array();
  for (const OtherOptimum& o : result.OtherOptima) {
    json values = json::object();
    for (std::size_t i = 0; i < o.Values.size() && i < result.Parameters.size(); ++i) {
      values[result.Parameters[i].Name] = o.Values[i];
    }
    optima.push_back(
        {{"sum_of_squares", o.SumOfSquares}, {"values", values}, {"starts", o.Starts}});
  }
  return {{"starts", result.Starts},
          {"starts_at_best", result.StartsAtBest},
          {"restarts", result.Restarts},
          {"other_optima", optima}};
}

nlohmann::json SolverJson(const FitResult& result) {
  return {{"termination", result.Termination}, {"message", result.StopReason},
          {"converged", result.Converged},     {"iterations", result.Iterations},
          {"model_runs", result.ModelRuns},    {"faulted_runs", result.FaultedRuns},
          {"seconds", result.Seconds}};
}

//! Applies `toJson` to each of `items`, into an array.
template <typename Item, typename ToJson>
nlohmann::json ArrayOf(const std::vector<Item>& items, ToJson toJson) {
  nlohmann::json list = nlohmann::json::array();
  for (const Item& item : items) list.push_back(toJson(item));
  return list;
}

}  // namespace

std::string FitReportText(const FitResult& result, char separator) {
  const bool profiled = std::any_of(result.Parameters.begin(), result.Parameters.end(), Profiled);
  std::string text = SolverText(result, separator);
  text += SearchText(result, separator) + "\n";
  text += ParameterTable(result, separator) + "\n";
  text += IntervalsText(result, separator, profiled);
  text += CorrelationTable(result, separator);
  text += SumOfSquaresText(result, separator);
  text += RmsTable(result, separator);
  text += ConstraintsText(result, separator);
  text += DoubtsText(result);
  text += UnidentifiableText(result);
  return text;
}

std::string FitReportJson(const FitResult& result) {
  using nlohmann::json;
  const auto unidentifiable = [](const NotIdentifiable& n) -> json {
    return {{"parameters", n.Parameters}, {"hint", n.Hint}};
  };
  json report{
      {"parameters", ArrayOf(result.Parameters, ParameterJson)},
      {"correlation", {{"parameters", result.CorrelationNames}, {"matrix", result.Correlation}}},
      {"standard_errors_from", result.SigmaGiven ? "measurement sigmas" : "residual variance"},
      {"residual_variance", result.ResidualVariance},
      {"degrees_of_freedom", result.DegreesOfFreedom},
      {"covariance_note", result.CovarianceNote},
      {"sum_of_squares",
       {{"start", result.StartSumOfSquares}, {"fitted", result.FittedSumOfSquares}}},
      {"rms", RmsJson(result.Quantities)},
      {"trials", ArrayOf(result.Trials, TrialJson)},
      {"constraints", ArrayOf(result.Constraints, ConstraintJson)},
      {"not_identifiable", ArrayOf(result.Unidentifiable, unidentifiable)},
      {"search", SearchJson(result)},
      {"profile_rise", result.ProfileRise},
      {"poor_fit_limit", result.PoorFitLimit > 0 ? json(result.PoorFitLimit) : json(nullptr)},
      {"trustworthy", result.Trustworthy()},
      {"doubts", result.Doubts},
      {"solver", SolverJson(result)}};
  if (result.Stopped) {  // only then: the report of a whole fit keeps its members
    report["interrupted"] = true;
    report["search"]["starts_asked"] = result.StartsAsked;
  }
  return report.dump(2) + "\n";
}

}  // namespace quillmere
