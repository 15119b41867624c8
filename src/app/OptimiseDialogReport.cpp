#include "app/OptimiseDialogReport.h"

#include <algorithm>

#include "analysis/FieldValueText.h"
#include "analysis/optimise/OptimiseReport.h"

namespace quillmere {
namespace {

std::string Listed(const std::vector<std::size_t>& starts) {
  std::string list;
  for (const std::size_t s : starts) list += (list.empty() ? "" : ", ") + std::to_string(s + 1);
  return list;
}

std::string Headline(const OptimiseResult& result, const DialogWords& words, bool maximise) {
  std::string text = result.Stopped ? "The search was stopped before it ended.\n" : "";
  if (result.Values.empty()) return text + "No run finished: no setting could be judged.\n";
  if (result.Feasible) {
    return text + "Optimum: " + words.Objective + (maximise ? " maximised to " : " minimised to ") +
           ReportNumber(result.Objective) + ", every limit met.\n";
  }
  if (!result.AnyFinished) {
    return text + "No setting found that meets every limit: no run finished. The last ended: " +
           result.Outcome + "\n";
  }
  return text + "No setting found that meets every limit. The nearest gives " + words.Objective +
         " " + ReportNumber(result.Objective) + ".\n";
}

std::string InputLines(const OptimiseProblem& problem, const OptimiseResult& result,
                       const DialogWords& words) {
  std::string text = "Inputs:\n";
  for (std::size_t i = 0; i < problem.Free.size() && i < result.Values.size(); ++i) {
    const FreeInput& f = problem.Free[i];
    const double v = result.Values[i];
    const double tolerance = 1e-6 * (f.High - f.Low);
    const char* end = v >= f.High - tolerance  ? ", at the top of its range"
                      : v <= f.Low + tolerance ? ", at the bottom of its range"
                                               : "";
    text += "  " + words.Free.at(i) + ": " + ReportNumber(v) + "  (free from " +
            ReportNumber(f.Low) + " to " + ReportNumber(f.High) + end + ")\n";
  }
  return text;
}

std::string LimitLines(const OptimiseResult& result, const DialogWords& words) {
  std::string text = result.Limits.empty() ? "" : "Limits:\n";
  std::string missed;
  for (std::size_t i = 0; i < result.Limits.size(); ++i) {
    const LimitAtOptimum& limit = result.Limits[i];
    const std::string said = i < words.Limits.size() ? words.Limits[i] : limit.What.Text;
    text += "  " + said + ": " + ReportNumber(limit.Value);
    if (limit.Margin >= 0) {
      text += limit.Binding ? ", binding: " : "; ";
    } else {
      text += ", over by " + ReportNumber(-limit.Margin) + ": ";
      missed += (missed.empty() ? "" : "; ") + said;
    }
    text += LimitPlaceText(limit) + "\n";
    if (limit.ShadowGain) {
      text += "    relaxed by 1 %: " + words.Objective + " " + (*limit.ShadowGain >= 0 ? "+" : "") +
              ReportNumber(*limit.ShadowGain) + "\n";
    }
  }
  if (!result.Feasible && !missed.empty()) {
    text += "Not met within the free inputs' ranges: " + missed + ".\n";
  }
  return text;
}

std::string AppliedLine(const OptimiseProblem& problem, const DialogWords& words,
                        const ShortSetting& applied, char decimalSeparator) {
  std::string text = "Apply types ";
  for (std::size_t i = 0; i < problem.Free.size() && i < applied.Values.size(); ++i) {
    text += (i == 0 ? "" : ", ") + words.Free.at(i) + " " +
            FieldValueText(applied.Values[i], decimalSeparator);
  }
  if (!applied.Checked) return text + ": their run does not meet every limit.\n";
  return text + " (" + std::to_string(applied.Digits) +
         " significant digits; their run meets every limit).\n";
}

std::string StartLine(const OptimiseResult& result) {
  std::string text = "Starts: " + std::to_string(result.Starts.size());
  if (result.Feasible && !result.ReachedBy.empty()) {
    text += "; the optimum reached from " + Listed(result.ReachedBy);
  }
  std::vector<std::size_t> outside;
  std::vector<std::size_t> unfinished;
  for (std::size_t i = 0; i < result.Starts.size(); ++i) {
    const StartOutcome& s = result.Starts[i];
    const bool reached =
        std::find(result.ReachedBy.begin(), result.ReachedBy.end(), i) != result.ReachedBy.end();
    if (!s.To.empty() && !s.Feasible) outside.push_back(i);
    if (!s.To.empty() && s.Feasible && !s.Converged && !reached) unfinished.push_back(i);
  }
  if (result.Feasible && !outside.empty())
    text += "; " + Listed(outside) + " ended outside a limit";
  if (!unfinished.empty()) {
    text += "; " + Listed(unfinished) + " stopped at the most runs a start may take";
  }
  return text + ".\n";
}

}  // namespace

std::string DialogReportText(const OptimiseProblem& problem, const OptimiseResult& result,
                             const DialogWords& words, const std::optional<ShortSetting>& applied,
                             char decimalSeparator) {
  std::string text = Headline(result, words, problem.Goal.Maximise);
  if (result.Feasible) {
    for (const std::string& doubt : result.Doubts)
      text += "Not shown to be the optimum: " + doubt + "\n";
  }
  if (!result.Values.empty()) text += InputLines(problem, result, words);
  text += LimitLines(result, words);
  if (applied) text += AppliedLine(problem, words, *applied, decimalSeparator);
  text += StartLine(result);
  for (const OtherOptimum& other : result.OtherOptima) {
    text += "Another local optimum: " + words.Objective + " " + ReportNumber(other.Objective) +
            " (from start" + (other.Starts.size() > 1 ? "s " : " ") + Listed(other.Starts) + ").\n";
  }
  // The runs, not the time: the same search reads the same on every machine.
  return text + "Model runs: " + std::to_string(result.Runs) + ".\n";
}

}  // namespace quillmere
