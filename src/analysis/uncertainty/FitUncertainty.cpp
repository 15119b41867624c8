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
  const json report = json::parse(text, nullptr, false);
  if (report.is_discarded() || !report.is_object()) Refuse(fileName, "it is not JSON.");
  if (!report.contains("parameters") || !report["parameters"].is_array()) {
    Refuse(fileName, "it has no \"parameters\".");
  }
  FitUncertainty fit;
  std::vector<std::string> names;
  for (const json& p : report["parameters"]) {
    const std::string name = p.value("name", "");
    const FieldSpec* field = FindInput(name);
    if (field == nullptr) Refuse(fileName, "\"" + PrintableText(name) + "\" is no input.");
    if (!p.contains("fitted") || !p["fitted"].is_number()) {
      Refuse(fileName, name + " has no fitted value.");
    }
    if (!p.contains("standard_error") || !p["standard_error"].is_number()) {
      fit.Notes.push_back(name + ": no standard error (not identifiable), taken as exact");
      continue;
    }
    const double se = p["standard_error"].get<double>();
    if (!(se >= 0) || !std::isfinite(se))
      Refuse(fileName, name + "'s standard error is not valid.");
    fit.Parameters.push_back({name, field, p["fitted"].get<double>(), se});
    // The fit's own interval gives its factor (unless it was clipped at a bound).
    if (se > 0 && p.contains("interval95") && p["interval95"].is_array() &&
        !p.value("interval95_clipped", true)) {
      fit.Factor95 =
          (p["interval95"][1].get<double>() - p["interval95"][0].get<double>()) / (2 * se);
    }
  }
  if (fit.Parameters.empty()) Refuse(fileName, "no free parameter has a standard error.");
  // The correlations of the parameters kept, by name.
  const json& correlation = report.value("correlation", json::object());
  const json& order = correlation.value("parameters", json::array());
  const json& matrix = correlation.value("matrix", json::array());
  const auto indexOf = [&](const std::string& name) -> std::size_t {
    for (std::size_t i = 0; i < order.size(); ++i) {
      if (order[i].is_string() && order[i].get<std::string>() == name) return i;
    }
    Refuse(fileName, "the correlation matrix does not name " + name + ".");
  };
  const std::size_t n = fit.Parameters.size();
  fit.Correlation.assign(n, std::vector<double>(n, 0.0));
  for (std::size_t i = 0; i < n; ++i) {
    for (std::size_t j = 0; j < n && n > 1; ++j) {
      const std::size_t a = indexOf(fit.Parameters[i].Name);
      const std::size_t b = indexOf(fit.Parameters[j].Name);
      if (a >= matrix.size() || !matrix[a].is_array() || b >= matrix[a].size() ||
          !matrix[a][b].is_number()) {
        Refuse(fileName, "the correlation matrix is not square over its parameters.");
      }
      const double r = matrix[a][b].get<double>();
      if (!(std::fabs(r) <= 1 + 1e-9) || (i == j && std::fabs(r - 1) > 1e-6)) {
        Refuse(fileName, "the correlation matrix holds " + std::to_string(r) + ".");
      }
      fit.Correlation[i][j] = i == j ? 1.0 : r;
    }
  }
  if (n == 1) fit.Correlation = {{1.0}};
  return fit;
}

}  // namespace quillmere
