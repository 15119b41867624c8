#include "analysis/uncertainty/FitUncertainty.h"

#include <cmath>
#include <nlohmann/json.hpp>

#include "base/Error.h"
#include "base/PrintableText.h"
#include "report/FileIO.h"

namespace quillmere {
namespace {

constexpr double kNormal95 = 1.959963984540054;

[[noreturn]] void Refuse(const std::string& fileName, const std::string& why) {
  throw Error(ErrorKind::InputRefused,
              "The fit report " + Quoted(fileName) + " cannot give the fit's uncertainty: " + why);
}

//! The report as JSON: an object with an array of "parameters".
nlohmann::json ParsedReport(std::string_view text, const std::string& fileName) {
  const nlohmann::json report = nlohmann::json::parse(text, nullptr, false);
  if (report.is_discarded() || !report.is_object()) Refuse(fileName, "it is not JSON.");
  if (!report.contains("parameters") || !report["parameters"].is_array()) {
    Refuse(fileName, "it has no \"parameters\".");
  }
  return report;
}

//! Adds a fitted parameter with its standard error to `fit`, or notes it as exact when it has
//! none; the fit's own interval gives the factor of its intervals.
void ReadParameter(const nlohmann::json& p, const std::string& fileName, FitUncertainty& fit) {
  if (!p.is_object() || !p.contains("name") || !p["name"].is_string()) {
    Refuse(fileName, "a parameter has no name.");
  }
  const std::string name = p["name"].get<std::string>();
  const FieldSpec* field = FindInput(name);
  if (field == nullptr) Refuse(fileName, "\"" + PrintableText(name) + "\" is no input.");
  if (!p.contains("fitted") || !p["fitted"].is_number()) {
    Refuse(fileName, name + " has no fitted value.");
  }
  if (!p.contains("standard_error") || !p["standard_error"].is_number()) {
    fit.Notes.push_back(name + ": no standard error (not identifiable), taken as exact");
    return;
  }
  const double se = p["standard_error"].get<double>();
  if (!(se >= 0) || !std::isfinite(se)) Refuse(fileName, name + "'s standard error is not valid.");
  fit.Parameters.push_back({name, field, p["fitted"].get<double>(), se});
  // The fit's own interval gives its factor (unless it was clipped at a bound).
  if (se > 0 && p.contains("interval95") && !p.value("interval95_clipped", true)) {
    const nlohmann::json& interval = p["interval95"];
    if (!interval.is_array() || interval.size() != 2 || !interval[0].is_number() ||
        !interval[1].is_number()) {
      Refuse(fileName, PrintableText(name) + "'s 95 % interval is not two numbers.");
    }
    fit.Factor95 = (interval[1].get<double>() - interval[0].get<double>()) / (2 * se);
  }
}

//! Where the correlation matrix's `order` names the parameter `name`.
std::size_t CorrelationIndex(const nlohmann::json& order, const std::string& name,
                             const std::string& fileName) {
  for (std::size_t i = 0; i < order.size(); ++i) {
    if (order[i].is_string() && order[i].get<std::string>() == name) return i;
  }
  Refuse(fileName, "the correlation matrix does not name " + name + ".");
}

//! The correlations of the parameters kept, by name, in their order (1 on the diagonal).
std::vector<std::vector<double>> KeptCorrelation(const nlohmann::json& correlation,
                                                 const std::vector<UncertainParameter>& kept,
                                                 const std::string& fileName) {
  using nlohmann::json;
  if (!correlation.is_object()) Refuse(fileName, "its \"correlation\" is not an object.");
  const json& order = correlation.value("parameters", json::array());
  const json& matrix = correlation.value("matrix", json::array());
  if (!order.is_array() || !matrix.is_array()) {
    Refuse(fileName, "its \"correlation\" has no list of parameters and matrix.");
  }
  const std::size_t n = kept.size();
  std::vector<std::vector<double>> result(n, std::vector<double>(n, 0.0));
  for (std::size_t i = 0; i < n; ++i) {
    for (std::size_t j = 0; j < n && n > 1; ++j) {
      const std::size_t a = CorrelationIndex(order, kept[i].Name, fileName);
      const std::size_t b = CorrelationIndex(order, kept[j].Name, fileName);
      if (a >= matrix.size() || !matrix[a].is_array() || b >= matrix[a].size() ||
          !matrix[a][b].is_number()) {
        Refuse(fileName, "the correlation matrix is not square over its parameters.");
      }
      const double r = matrix[a][b].get<double>();
      if (!(std::fabs(r) <= 1 + 1e-9) || (i == j && std::fabs(r - 1) > 1e-6)) {
        Refuse(fileName, "the correlation matrix holds " + std::to_string(r) + ".");
      }
      result[i][j] = i == j ? 1.0 : r;
    }
  }
  if (n == 1) result = {{1.0}};
  return result;
}

}  // namespace

std::vector<std::vector<double>> FitUncertainty::Covariance() const {
  const std::size_t n = Parameters.size();
  std::vector<std::vector<double>> sigma(n, std::vector<double>(n));
  for (std::size_t i = 0; i < n; ++i) {
    for (std::size_t j = 0; j < n; ++j) {
      sigma[i][j] = Correlation[i][j] * Parameters[i].StandardError * Parameters[j].StandardError;
    }
  }
  return sigma;
}

double FitUncertainty::Factor(double confidence) const {
  return Factor95 * NormalQuantile(0.5 + confidence / 2) / kNormal95;
}

FitUncertainty ReadFitUncertaintyFile(const std::string& path) {
  InputFile file =
      path == "-" ? InputFile::StandardInput("fit report") : InputFile::Open(path, "fit report");
  std::string text;
  char buffer[65536];
  while (const std::size_t got = file.Read(buffer, sizeof buffer)) text.append(buffer, got);
  return ReadFitUncertainty(text, path);
}

double NormalQuantile(double probability) {
  // Φ(x) = erfc(−x/√2)/2 rises with x: bisection to the last bit.
  double low = -40;
  double high = 40;
  for (int i = 0; i < 200 && high - low > 1e-15; ++i) {
    const double mid = (low + high) / 2;
    (0.5 * std::erfc(-mid / std::sqrt(2.0)) < probability ? low : high) = mid;
  }
  return (low + high) / 2;
}

FitUncertainty ReadFitUncertainty(std::string_view text, const std::string& fileName) {
  using nlohmann::json;
  try {
    const json report = ParsedReport(text, fileName);
    FitUncertainty fit;
    for (const json& p : report["parameters"]) ReadParameter(p, fileName, fit);
    if (fit.Parameters.empty()) Refuse(fileName, "no free parameter has a standard error.");
    fit.Correlation =
        KeptCorrelation(report.value("correlation", json::object()), fit.Parameters, fileName);
    return fit;
  } catch (const json::exception&) {
    // A value of another kind than the report writes there (a number for a name, text for a
    // flag): refused like any report that is not one.
    Refuse(fileName, "a value in it is not of the kind a fit report writes there.");
  }
}

}  // namespace quillmere
