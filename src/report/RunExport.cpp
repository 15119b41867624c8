#include "report/RunExport.h"

#include <array>
#include <charconv>
#include <cmath>
#include <nlohmann/json.hpp>

#include "params/FieldTable.h"
#include "report/CsvText.h"
#include "sim/PhysicalWarnings.h"

namespace quillmere {
namespace {

using Json = nlohmann::ordered_json;

//! Which values of a point a column needs.
enum class Needs {
  Nothing,             //!< always known
  SurfaceHumidity,     //!< the trace point's surface humidities (State.SurfaceKnown)
  SurfaceEquilibrium,  //!< the series point's vapour pressure and rates (SurfaceKnown)
};

struct Column {
  std::string_view Name;
  bool Integer;  //!< written without decimals (zone and point numbers)
  bool OfState;  //!< a value of the trace point alone (a zone's exit carries it too)
  Needs Known;
  double (*Value)(const SeriesPoint&);
};

constexpr std::array<Column, 18> kColumns{{
    {"zone", true, true, Needs::Nothing, [](const SeriesPoint& p) { return double(p.State.Zone); }},
    {"point", true, true, Needs::Nothing,
     [](const SeriesPoint& p) { return double(p.State.Point); }},
    {"time_s", false, true, Needs::Nothing, [](const SeriesPoint& p) { return p.State.Time; }},
    {"zone_position_m", false, true, Needs::Nothing,
     [](const SeriesPoint& p) { return p.State.ZonePosition; }},
    {"dryer_position_m", false, true, Needs::Nothing,
     [](const SeriesPoint& p) { return p.State.DryerPosition; }},
    {"temperature_C", false, true, Needs::Nothing,
     [](const SeriesPoint& p) { return p.State.Temperature; }},
    {"solvent1_weight_kg_m2", false, true, Needs::Nothing,
     [](const SeriesPoint& p) { return p.State.Solvent1Weight; }},
    {"solvent2_weight_kg_m2", false, true, Needs::Nothing,
     [](const SeriesPoint& p) { return p.State.Solvent2Weight; }},
    {"solvent1_fraction", false, true, Needs::Nothing,
     [](const SeriesPoint& p) { return p.State.Solvent1Fraction; }},
    {"solvent2_fraction", false, true, Needs::Nothing,
     [](const SeriesPoint& p) { return p.State.Solvent2Fraction; }},
    {"solvent1_residual", false, true, Needs::Nothing,
     [](const SeriesPoint& p) { return p.State.Solvent1Residual; }},
    {"solvent2_residual", false, true, Needs::Nothing,
     [](const SeriesPoint& p) { return p.State.Solvent2Residual; }},
    {"solvent1_surface_humidity_kg_kg", false, true, Needs::SurfaceHumidity,
     [](const SeriesPoint& p) { return p.State.Solvent1SurfaceHumidity; }},
    {"solvent2_surface_humidity_kg_kg", false, true, Needs::SurfaceHumidity,
     [](const SeriesPoint& p) { return p.State.Solvent2SurfaceHumidity; }},
    {"surface_vapour_pressure_mmHg", false, false, Needs::SurfaceEquilibrium,
     [](const SeriesPoint& p) { return p.SurfaceVapourPressure; }},
    {"correction_factor", false, false, Needs::Nothing,
     [](const SeriesPoint& p) { return p.CorrectionFactor; }},
    {"solvent1_drying_rate_kg_m2_s", false, false, Needs::SurfaceEquilibrium,
     [](const SeriesPoint& p) { return p.Solvent1DryingRate; }},
    {"solvent2_drying_rate_kg_m2_s", false, false, Needs::SurfaceEquilibrium,
     [](const SeriesPoint& p) { return p.Solvent2DryingRate; }},
}};

constexpr std::array<std::string_view, kColumns.size()> kColumnNames = [] {
  std::array<std::string_view, kColumns.size()> names{};
  for (std::size_t i = 0; i < kColumns.size(); ++i) names[i] = kColumns[i].Name;
  return names;
}();

bool Known(const Column& column, const SeriesPoint& p) {
  switch (column.Known) {
    case Needs::Nothing:
      return true;
    case Needs::SurfaceHumidity:
      return p.State.SurfaceKnown;
    case Needs::SurfaceEquilibrium:
      return p.SurfaceKnown;
  }
  return false;
}

//! A value as JSON: an integer for the integer columns, null where it is not known.
Json ColumnValue(const Column& column, const SeriesPoint& p) {
  if (!Known(column, p)) return nullptr;
  const double value = column.Value(p);
  if (column.Integer) return static_cast<int>(value);
  return value;
}

//! The values of a trace point alone, by column name.
Json PointObject(const TracePoint& point) {
  SeriesPoint p;
  p.State = point;
  Json object = Json::object();
  for (const Column& column : kColumns) {
    if (column.OfState) object[column.Name] = ColumnValue(column, p);
  }
  return object;
}

Json InputsObject(const FieldTexts& fields, const ParameterSet& params, double initialTemperature) {
  Json inputs = Json::object();
  for (const FieldSpec& field : AllFields()) {
    Json input = Json::object();
    input["field"] = field.name;
    input["text"] = fields.Text(field.name);
    if (field.slot == FieldSlot::SaveFileName) {
      input["value"] = params.SaveFileName;
    } else if (field.group == FieldGroup::Zone && field.zone > params.ZoneCount) {
      input["value"] = nullptr;  // not an input of this run: acquisition did not read it
    } else {
      input["value"] = StoredValue(field, params, initialTemperature);
    }
    inputs[InputName(field)] = std::move(input);
  }
  return inputs;
}

Json FaultObject(const RunSeries& series) {
  if (!series.Fault) return nullptr;
  const RunFault& fault = *series.Fault;
  Json object = Json::object();
  object["message"] = fault.Message;
  object["zone"] = fault.Zone;
  object["point"] = fault.Point;
  object["zone_position_m"] = fault.PositionKnown ? Json(fault.ZonePosition) : Json(nullptr);
  object["dryer_position_m"] = fault.PositionKnown ? Json(fault.DryerPosition) : Json(nullptr);
  return object;
}

Json ZonesArray(const RunSeries& series) {
  Json zones = Json::array();
  for (const ZoneSummary& summary : series.Zones) {
    Json zone = Json::object();
    zone["zone"] = summary.Zone;
    zone["outer_temperature_C"] = summary.OuterTemperature;
    zone["length_m"] = summary.Length;
    zone["start_position_m"] = summary.StartPosition;
    zone["solvent_evaporated_kg_m2"] = summary.SolventEvaporated;
    zone["exit"] = PointObject(summary.Exit);
    zones.push_back(std::move(zone));
  }
  return zones;
}

Json WarningsArray(const RunSeries& series) {
  Json warnings = Json::array();
  for (const PhysicalWarning& warning : series.Warnings) {
    Json object = Json::object();
    object["kind"] = WarningKindName(warning.Kind);
    object["zone"] = warning.Where.Zone;
    object["point"] = warning.Where.Point;
    object["time_s"] = warning.Where.Time;
    object["zone_position_m"] = warning.Where.ZonePosition;
    object["dryer_position_m"] = warning.Where.DryerPosition;
    object["temperature_C"] = warning.Where.Temperature;
    object["text"] = warning.Text;
    warnings.push_back(std::move(object));
  }
  return warnings;
}

Json TraceObject(const RunSeries& series) {
  Json trace = Json::object();
  for (const Column& column : kColumns) {
    Json values = Json::array();
    values.get_ref<Json::array_t&>().reserve(series.Points.size());
    for (const SeriesPoint& p : series.Points) values.push_back(ColumnValue(column, p));
    trace[column.Name] = std::move(values);
  }
  return trace;
}

void AppendInteger(std::string& text, int value) {
  char digits[16];
  const auto result = std::to_chars(digits, digits + sizeof digits, value);
  text.append(digits, result.ptr);
}

}  // namespace

std::span<const std::string_view> TraceColumnNames() {
  return kColumnNames;
}

std::string RunCsv(const RunSeries& series) {
  constexpr std::size_t kLineEstimate = kColumns.size() * 20;  // [bytes]
  std::string text;
  text.reserve((series.Points.size() + 1) * kLineEstimate);
  for (std::size_t i = 0; i < kColumns.size(); ++i) {
    if (i > 0) text += ',';
    text += kColumns[i].Name;
  }
  text += '\n';
  for (const SeriesPoint& p : series.Points) {
    for (std::size_t i = 0; i < kColumns.size(); ++i) {
      const Column& column = kColumns[i];
      if (i > 0) text += ',';
      if (!Known(column, p)) continue;
      if (column.Integer) {
        AppendInteger(text, static_cast<int>(column.Value(p)));
      } else {
        AppendCsvNumber(text, column.Value(p));
      }
    }
    text += '\n';
  }
  return text;
}

std::string RunJson(const FieldTexts& fields, char decimalSeparator, const ParameterSet& params,
                    double initialTemperature, const RunSeries& series,
                    std::string_view moreMembers) {
  Json run = Json::object();
  run["version"] = QUILLMERE_VERSION;
  run["decimal_separator"] = std::string(1, decimalSeparator);
  run["inputs"] = InputsObject(fields, params, initialTemperature);
  run["zone_count"] = params.ZoneCount;
  // A fault at the dryer's entry ends the run before the time step is computed.
  const bool timeStepKnown = !series.Fault || series.Fault->Zone > 0;
  run["time_step_s"] = timeStepKnown ? Json(series.TimeStep) : Json(nullptr);
  const bool finished = static_cast<int>(series.Zones.size()) == params.ZoneCount;
  run["outcome"] = series.Fault ? "fault" : finished ? "finished" : "stopped";
  run["fault"] = FaultObject(series);
  run["zones"] = ZonesArray(series);
  run["warnings"] = WarningsArray(series);
  if (!moreMembers.empty()) {
    Json more = Json::parse(moreMembers);
    for (auto& [name, value] : more.items()) run[name] = std::move(value);
  }
  run["trace"] = TraceObject(series);
  // Field texts are the user's bytes: one that is not UTF-8 is written with U+FFFD.
  return run.dump(-1, ' ', false, Json::error_handler_t::replace) + '\n';
}

}  // namespace quillmere
