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

}  // namespace

std::string FitReportText(const FitResult& result, char separator) {
  const auto number = [&](double value) { return Significant(value, separator); };
  std::string text;
  std::vector<std::string> names;
  for (const FittedParameter& p : result.Parameters) names.push_back(p.Name);
  const std::size_t measurements = MeasurementCount(result);
  text += "Fitted " + List(names) + " to " + std::to_string(measurements) + " measurement" +
          (measurements == 1 ? "" : "s") + " of " + std::to_string(result.Trials.size()) +
          " trial" + (result.Trials.size() == 1 ? "" : "s") + ".\n";
  text += "The solver stopped after " + std::to_string(result.Iterations) + " iteration" +
          (result.Iterations == 1 ? "" : "s") + " (" + result.Termination +
          "): " + result.StopReason + "\n";
  text += "Model runs: " + std::to_string(result.ModelRuns) + ", in " +
          Significant(result.Seconds, separator, 3) + " s";
  if (result.FaultedRuns > 0) {
    text += "; " + std::to_string(result.FaultedRuns) +
            " ended on a floating-point fault, and the solver stepped back from there";
  }
  text += ".\n";
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
      values += (i > 0 ? ", " : "") + result.Parameters[i].Name + " " + number(o.Values[i]);
    }
    text += "  another optimum, sum of squares " + number(o.SumOfSquares) + " (" +
            std::to_string(o.Starts) + " start" + (o.Starts == 1 ? "" : "s") + "): " + values +
            "\n";
  }
  text += "\n";

  text += "PARAMETER        START       FITTED    STD ERROR   95 % INTERVAL\n";
  bool profiled = false;
  for (const FittedParameter& p : result.Parameters) {
    std::string line = Left(p.Name, 10) + Right(number(p.Start), 12) + Right(number(p.Fitted), 13);
    if (!p.Stalled.empty()) {
      line += "   stalled at the bound " + p.Stalled;
    } else if (!p.Identifiable) {
      line += "   not identifiable";
    } else if (p.StandardError) {
      line += Right(number(*p.StandardError), 13);
      if (p.ProfileLow && p.ProfileHigh) {
        profiled = true;
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
    text += line + "\n";
  }
  text += "\n";
  if (profiled) {
    text +=
        "The 95 % intervals are the profile likelihood's: each parameter held further from "
        "its fitted value, the others fitted again, until the sum of squares has risen by " +
        number(result.ProfileRise) +
        "; \"(bound)\": the measurements allow values beyond "
        "the bound.\n";
  }
  const std::string covariance =
      profiled ? "the covariance's 95 % intervals" : "the 95 % intervals";
  if (!result.CovarianceNote.empty()) {
    text += "N" + result.CovarianceNote.substr(1) + ".\n";
  } else if (result.SigmaGiven) {
    text += "Standard errors from the sigmas of the measurements; " + covariance + " are 1" +
            std::string(1, separator) + "96 standard errors wide on each side.\n";
  } else {
    text += "Standard errors from the residual variance " + number(result.ResidualVariance) + " (" +
            std::to_string(result.DegreesOfFreedom) +
            " degrees of freedom): the measurements carry no sigma, so all weigh alike; " +
            covariance + " use Student's t.\n";
    if (result.Quantities.size() > 1) {
      text +=
          "Without sigmas, 1 °C of temperature weighs as much as 1 of a residual ratio or "
          "1 kg/m2: give each measurement its sigma to weigh the quantities fairly.\n";
    }
  }

  if (profiled) {
    for (const FittedParameter& p : result.Parameters) {
      if (!p.Interval95 || !p.Identifiable) continue;
      text += "  " + p.Name + " " + number((*p.Interval95)[0]) + " to " +
              number((*p.Interval95)[1]) + (p.WaldClipped ? " (clipped to its bounds)" : "") + "\n";
    }
  }

  if (result.Correlation.size() > 1) {
    text += "\nCORRELATIONS\n" + std::string(10, ' ');
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
  }

  text += "\nSum of squares of the residuals" +
          std::string(result.SigmaGiven ? " (in sigmas)" : "") + ": " +
          number(result.StartSumOfSquares) + " at the start, " + number(result.FittedSumOfSquares) +
          " fitted.\n";

  text += "\nRMS ERROR (model - measured)           START       FITTED\n";
  for (const QuantityFit& q : result.Quantities) {
    text += Left(QuantityCaption(q.Quantity) + ", " + std::to_string(q.Count), 35) +
            Right(number(q.StartRms), 11) + Right(number(q.FittedRms), 13) + "\n";
    if (result.Trials.size() < 2) continue;
    for (const TrialFit& trial : result.Trials) {
      for (const QuantityFit& t : trial.Quantities) {
        if (t.Quantity != q.Quantity) continue;
        text +=
            Left("  " + PrintableText(trial.DataFileName) + ", " + std::to_string(t.Count), 35) +
            Right(number(t.StartRms), 11) + Right(number(t.FittedRms), 13) + "\n";
      }
    }
  }

  text += "\nCONSTRAINTS\n";
  for (const ConstraintCheck& c : result.Constraints) {
    std::vector<std::string> details;
    for (const ConstraintCheck::TrialValues& trial : c.Values) {
      std::string values = trial.Trial > 1 ? "trial " + std::to_string(trial.Trial) + ": " : "";
      for (std::size_t i = 0; i < trial.Values.size(); ++i) {
        values +=
            (i > 0 ? ", " : "") + trial.Values[i].first + " " + number(trial.Values[i].second);
      }
      details.push_back(values);
    }
    for (const ConstraintCheck::BoundContact& b : c.OnBounds) {
      details.push_back(b.Name + " lies on its " + std::string(BoundSideName(b.Side)) + " bound " +
                        number(b.Value) +
                        (b.Source == BoundSource::Order   ? ", set by the order We < Wx < Wi"
                         : b.Source == BoundSource::Given ? ", given by --bounds"
                                                          : ""));
    }
    std::string detail;
    for (const std::string& d : details) detail += (detail.empty() ? "" : "; ") + d;
    text += "  " + c.Text + ": " + (c.Held ? "held" : "does not hold") +
            (c.Active ? ", active" : "") + (detail.empty() ? "" : " (" + detail + ")") + "\n";
  }

  if (!result.Doubts.empty()) {
    text += "\nNOT TO BE TRUSTED\n";
    for (const std::string& doubt : result.Doubts) text += "  " + doubt + "\n";
  }

  if (!result.Unidentifiable.empty()) {
    text += "\nNOT IDENTIFIABLE\n";
    for (const NotIdentifiable& n : result.Unidentifiable) {
      text += "  " + List(n.Parameters) + ": the measurements cannot determine " +
              (n.Parameters.size() == 1 ? "it" : "them apart") + "; " + n.Hint + ".\n";
    }
  }
  return text;
}

std::string FitReportJson(const FitResult& result) {
  using nlohmann::json;
  const auto bound = [](const std::optional<Bound>& b) -> json {
    if (!b) return nullptr;
    return {{"value", b->Value}, {"source", SourceName(b->Source)}};
  };
  const auto rms = [](const std::vector<QuantityFit>& quantities) {
    json list = json::array();
    for (const QuantityFit& q : quantities) {
      list.push_back({{"quantity", QuantityName(q.Quantity)},
                      {"unit", QuantityUnit(q.Quantity)},
                      {"count", q.Count},
                      {"start", q.StartRms},
                      {"fitted", q.FittedRms}});
    }
    return list;
  };

  json parameters = json::array();
  for (const FittedParameter& p : result.Parameters) {
    json entry{{"name", p.Name},
               {"start", p.Start},
               {"fitted", p.Fitted},
               {"lower_bound", bound(p.Lower)},
               {"upper_bound", bound(p.Upper)},
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
    parameters.push_back(entry);
  }

  json trials = json::array();
  for (const TrialFit& trial : result.Trials) {
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
    trials.push_back({{"data_file", PrintableText(trial.DataFileName)},
                      {"measurement_file", PrintableText(trial.MeasurementFileName)},
                      {"axis", AxisName(trial.Axis)},
                      {"rms", rms(trial.Quantities)},
                      {"measurements", measurements}});
  }

  json constraints = json::array();
  for (const ConstraintCheck& c : result.Constraints) {
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
    constraints.push_back({{"constraint", c.Text},
                           {"held", c.Held},
                           {"active", c.Active},
                           {"values", values},
                           {"on_bounds", bounds}});
  }
  json unidentifiable = json::array();
  for (const NotIdentifiable& n : result.Unidentifiable) {
    unidentifiable.push_back({{"parameters", n.Parameters}, {"hint", n.Hint}});
  }

  json optima = json::array();
  for (const OtherOptimum& o : result.OtherOptima) {
    json values = json::object();
    for (std::size_t i = 0; i < o.Values.size() && i < result.Parameters.size(); ++i) {
      values[result.Parameters[i].Name] = o.Values[i];
    }
    optima.push_back(
        {{"sum_of_squares", o.SumOfSquares}, {"values", values}, {"starts", o.Starts}});
  }

  json report{
      {"parameters", parameters},
      {"correlation", {{"parameters", result.CorrelationNames}, {"matrix", result.Correlation}}},
      {"standard_errors_from", result.SigmaGiven ? "measurement sigmas" : "residual variance"},
      {"residual_variance", result.ResidualVariance},
      {"degrees_of_freedom", result.DegreesOfFreedom},
      {"covariance_note", result.CovarianceNote},
      {"sum_of_squares",
       {{"start", result.StartSumOfSquares}, {"fitted", result.FittedSumOfSquares}}},
      {"rms", rms(result.Quantities)},
      {"trials", trials},
      {"constraints", constraints},
      {"not_identifiable", unidentifiable},
      {"search",
       {{"starts", result.Starts},
        {"starts_at_best", result.StartsAtBest},
        {"restarts", result.Restarts},
        {"other_optima", optima}}},
      {"profile_rise", result.ProfileRise},
      {"poor_fit_limit", result.PoorFitLimit > 0 ? json(result.PoorFitLimit) : json(nullptr)},
      {"trustworthy", result.Trustworthy()},
      {"doubts", result.Doubts},
      {"solver",
       {{"termination", result.Termination},
        {"message", result.StopReason},
        {"converged", result.Converged},
        {"iterations", result.Iterations},
        {"model_runs", result.ModelRuns},
        {"faulted_runs", result.FaultedRuns},
        {"seconds", result.Seconds}}}};
  if (result.Stopped) {  // only then: the report of a whole fit keeps its members
    report["interrupted"] = true;
    report["search"]["starts_asked"] = result.StartsAsked;
  }
  return report.dump(2) + "\n";
}

}  // namespace quillmere
