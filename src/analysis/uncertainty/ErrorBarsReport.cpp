#include "analysis/uncertainty/ErrorBarsReport.h"

#include <nlohmann/json.hpp>

#include "report/CsvText.h"

namespace quillmere {
namespace {

using Json = nlohmann::ordered_json;

std::string StatusName(StepErrorStatus status) {
  switch (status) {
    case StepErrorStatus::Estimated:
      return "estimated";
    case StepErrorStatus::Converged:
      return "converged";
    case StepErrorStatus::NotAsymptotic:
      return "not in the asymptotic range";
  }
  return {};
}

Json StepErrorObject(const StepError& error) {
  Json figures = Json::array();
  for (const FigureStepError& f : error.Figures) {
    const bool estimated = f.Status == StepErrorStatus::Estimated;
    figures.push_back(
        {{"figure", FigureName(f.Figure)},
         {"zone", f.Figure.Zone},
         {"unit", FigureUnit(f.Figure.Kind)},
         {"value", f.Figure.Value},
         {"at_twice_the_step", f.Coarser[0]},
         {"at_four_times_the_step", f.Coarser[1]},
         {"status", StatusName(f.Status)},
         {"order", f.Order ? Json(*f.Order) : Json(nullptr)},
         {"error", estimated                                ? Json(f.Error)
                   : f.Status == StepErrorStatus::Converged ? Json(0.0)
                                                            : Json(nullptr)},
         {"extrapolated",
          f.Status != StepErrorStatus::NotAsymptotic ? Json(f.Extrapolated) : Json(nullptr)}});
  }
  return {{"step_m", error.Step}, {"figures", figures}};
}

}  // namespace

std::string ErrorBarsJsonMembers(const ErrorBars& bars) {
  Json members = Json::object();
  if (bars.Step != nullptr) members["step_error"] = StepErrorObject(*bars.Step);
  if (bars.Choice != nullptr) {
    const std::optional<double> share = ExitResidualShare(bars.Choice->Estimate);
    members["step_choice"] = {{"step_m", bars.Choice->Step},
                              {"tolerance", bars.Choice->Tolerance},
                              {"exit_residual_error_share", share ? Json(*share) : Json(nullptr)},
                              {"met", bars.Choice->Met},
                              {"step_bound_reached", bars.Choice->BoundReached},
                              {"runs", bars.Choice->Runs}};
  }
  if (bars.Intervals != nullptr) {
    Json figures = Json::array();
    for (const FigureInterval& f : bars.Intervals->Figures) {
      figures.push_back({{"figure", FigureName(f.Figure)},
                         {"zone", f.Figure.Zone},
                         {"unit", FigureUnit(f.Figure.Kind)},
                         {"value", f.Figure.Value},
                         {"standard_error", f.StandardError},
                         {"low", f.Low},
                         {"high", f.High},
                         {"method", MethodName(f.Method)}});
    }
    members["uncertainty"] = {{"confidence", bars.Intervals->Confidence},
                              {"figures", figures},
                              {"notes", bars.Intervals->Notes},
                              {"runs", bars.Intervals->Runs}};
  }
  return members.dump();
}

std::string MergedJsonMembers(std::string_view first, std::string_view second) {
  if (first.empty()) return std::string(second);
  if (second.empty()) return std::string(first);
  Json merged = Json::parse(first);
  const Json more = Json::parse(second);
  for (auto it = more.begin(); it != more.end(); ++it) merged[it.key()] = it.value();
  return merged.dump();
}

std::string WithJsonMembers(std::string_view document, std::string_view members) {
  Json merged = Json::parse(document);
  const Json more = Json::parse(members);
  for (auto it = more.begin(); it != more.end(); ++it) merged[it.key()] = it.value();
  return merged.dump(2) + "\n";
}

std::string ErrorBarsCsv(const ErrorBars& bars) {
  std::string text = "figure,unit,value";
  if (bars.Step != nullptr) text += ",step_error_status,step_error,order,extrapolated";
  if (bars.Intervals != nullptr) text += ",low,high,interval_method";
  text += '\n';
  const std::size_t count = bars.Step != nullptr        ? bars.Step->Figures.size()
                            : bars.Intervals != nullptr ? bars.Intervals->Figures.size()
                                                        : 0;
  for (std::size_t i = 0; i < count; ++i) {
    const ExitFigure& figure =
        bars.Step != nullptr ? bars.Step->Figures[i].Figure : bars.Intervals->Figures[i].Figure;
    text += FigureName(figure) + ',' + FigureUnit(figure.Kind) + ',';
    AppendCsvNumber(text, figure.Value);
    if (bars.Step != nullptr) {
      const FigureStepError& f = bars.Step->Figures[i];
      text += ',' + StatusName(f.Status) + ',';
      if (f.Status == StepErrorStatus::Estimated) AppendCsvNumber(text, f.Error);
      if (f.Status == StepErrorStatus::Converged) text += '0';
      text += ',';
      if (f.Order) AppendCsvNumber(text, *f.Order);
      text += ',';
      if (f.Status != StepErrorStatus::NotAsymptotic) AppendCsvNumber(text, f.Extrapolated);
    }
    if (bars.Intervals != nullptr && i < bars.Intervals->Figures.size()) {
      const FigureInterval& f = bars.Intervals->Figures[i];
      text += ',';
      AppendCsvNumber(text, f.Low);
      text += ',';
      AppendCsvNumber(text, f.High);
      text += ',' + MethodName(f.Method);
    }
    text += '\n';
  }
  return text;
}

}  // namespace quillmere
