// The CSV and JSON of a run, read back as a spreadsheet or a script would, and checked against
// the result file of the same run, the march's record and the inputs.
#include "report/RunExport.h"

#include <gtest/gtest.h>

#include <charconv>
#include <clocale>
#include <nlohmann/json.hpp>
#include <string>
#include <string_view>
#include <vector>

#include "TestSupport.h"
#include "base/FormatFixed.h"
#include "params/AcquireParameters.h"
#include "params/FieldTable.h"
#include "params/MemoryFieldTexts.h"
#include "report/CalculationRun.h"
#include "report/CsvText.h"
#include "report/DataFile.h"
#include "sim/DryerMarch.h"
#include "sim/PhysicalWarnings.h"

namespace quillmere {
namespace {

using Json = nlohmann::json;

//! A run of `fields` and its series.
struct MarchedRun {
  test::Model model;
  RunRecord record;
  RunSeries series;
};

MarchedRun March(const FieldTexts& fields, char separator = '.') {
  MarchedRun run;
  test::RecordingMessages messages;
  if (!AcquireParameters(fields, messages, separator, *run.model.params,
                         run.model.state->EntryTemperature())
           .Ok()) {
    ADD_FAILURE() << "the inputs are refused";
  }
  run.record = MarchThroughDryer(*run.model.params, *run.model.state);
  run.series = CollectRunSeries(*run.model.params, *run.model.state, run.record);
  return run;
}

std::string JsonOf(const FieldTexts& fields, const MarchedRun& run, char separator = '.') {
  return RunJson(fields, separator, *run.model.params, run.model.state->EntryTemperature(),
                 run.series);
}

//! The lines of a text whose every line ends with LF.
std::vector<std::string> LfLines(std::string_view text) {
  std::vector<std::string> lines;
  EXPECT_TRUE(text.empty() || text.back() == '\n');
  EXPECT_EQ(text.find('\r'), std::string_view::npos);
  while (!text.empty()) {
    const std::size_t end = text.find('\n');
    lines.emplace_back(text.substr(0, end));
    text.remove_prefix(end == std::string_view::npos ? text.size() : end + 1);
  }
  return lines;
}

double ParseDouble(const std::string& text) {
  double value = 0;
  const auto result = std::from_chars(text.data(), text.data() + text.size(), value);
  EXPECT_TRUE(result.ec == std::errc() && result.ptr == text.data() + text.size()) << text;
  return value;
}

//! The rows of every zone table of a result file, zone by zone.
std::vector<std::vector<std::string>> TableRows(const std::string& resultFile) {
  const std::vector<std::string> lines = test::CrLfLines(resultFile);
  std::vector<std::vector<std::string>> rows;
  for (std::size_t i = 0; i < lines.size(); ++i) {
    if (lines[i] != "  [SIMULATION RESULTS]") continue;
    for (i += 4; i < lines.size() && !lines[i].empty(); ++i) rows.push_back(test::Words(lines[i]));
  }
  return rows;
}

std::size_t Column(std::string_view name) {
  const auto names = TraceColumnNames();
  for (std::size_t i = 0; i < names.size(); ++i) {
    if (names[i] == name) return i;
  }
  ADD_FAILURE() << "no column " << name;
  return 0;
}

// Every number of a result file's tables is the CSV's value of the same point written by the
// table's rule, so the CSV holds the same run at full precision.
TEST(RunExport, CsvHasEveryTableRowOfTheResultFileAtFullPrecision) {
  struct TableColumn {
    std::string_view csvName;
    int precision;
    int digits;
  };
  const TableColumn table[] = {
      {"time_s", 8, 3},
      {"zone_position_m", 7, 3},
      {"temperature_C", 6, 2},
      {"solvent1_weight_kg_m2", 7, 5},
      {"solvent1_residual", 6, 4},
      {"solvent2_weight_kg_m2", 7, 5},
      {"solvent2_residual", 6, 4},
  };
  for (const char* dataFile : {"", "fourteen-zones.dat"}) {
    SCOPED_TRACE(dataFile);
    test::ScratchDirectory directory;
    MemoryFieldTexts fields;
    test::RecordingMessages messages;
    if (*dataFile != '\0') {
      ASSERT_TRUE(
          LoadDataFile(std::string(QUILLMERE_TEST_DATA) + "/" + dataFile, fields, messages).Ok());
    }
    fields.SetText("Edit250", directory.File("result.txt"));
    test::Model model;
    const CalculationResult result =
        RunCalculation(fields, messages, '.', *model.params, *model.state);
    ASSERT_TRUE(result.Finished());
    const std::vector<std::vector<std::string>> rows =
        TableRows(test::ReadBytes(directory.File("result.txt")));

    const std::string csv = RunCsv(CollectRunSeries(*model.params, *model.state, result.Record));
    const std::vector<std::string> lines = LfLines(csv);
    ASSERT_EQ(lines.size(), rows.size() + 1);
    std::string header;
    for (const std::string_view name : TraceColumnNames()) {
      if (!header.empty()) header += ',';
      header += name;
    }
    EXPECT_EQ(lines[0], header);
    EXPECT_EQ(
        lines[0].rfind("zone,point,time_s,zone_position_m,dryer_position_m,temperature_C,", 0), 0u);

    int zone = 1;
    int point = 0;
    for (std::size_t r = 0; r < rows.size(); ++r) {
      std::vector<std::string> fieldsOfRow;
      ASSERT_TRUE(SplitCsvLine(lines[r + 1], fieldsOfRow));
      ASSERT_EQ(fieldsOfRow.size(), TraceColumnNames().size()) << lines[r + 1];
      if (fieldsOfRow[Column("point")] == "0" && r > 0) {
        ++zone;
        point = 0;
      }
      EXPECT_EQ(fieldsOfRow[Column("zone")], std::to_string(zone));
      EXPECT_EQ(fieldsOfRow[Column("point")], std::to_string(point++));
      ASSERT_EQ(rows[r].size(), std::size(table));
      for (std::size_t c = 0; c < std::size(table); ++c) {
        const double value = ParseDouble(fieldsOfRow[Column(table[c].csvName)]);
        EXPECT_EQ(rows[r][c], FormatFixed(value, table[c].precision, table[c].digits))
            << "row " << r << " " << table[c].csvName;
      }
    }
    EXPECT_EQ(zone, model.params->ZoneCount);
  }
}

TEST(RunExport, JsonCarriesTheInputsTheZoneExitsAndTheTrace) {
  const MemoryFieldTexts fields;
  const MarchedRun run = March(fields);
  const Json json = Json::parse(JsonOf(fields, run));

  EXPECT_EQ(json["version"], QUILLMERE_VERSION);
  EXPECT_EQ(json["decimal_separator"], ".");
  EXPECT_EQ(json["zone_count"], 2);
  EXPECT_EQ(json["time_step_s"].get<double>(), run.model.state->TimeStep);
  EXPECT_EQ(json["outcome"], "finished");
  EXPECT_TRUE(json["fault"].is_null());
  EXPECT_TRUE(json["warnings"].empty());

  const Json& inputs = json["inputs"];
  ASSERT_EQ(inputs.size(), AllFields().size());
  for (const FieldSpec& field : AllFields()) {
    const Json& input = inputs[InputName(field)];
    EXPECT_EQ(input["field"], field.name);
    EXPECT_EQ(input["text"], fields.Text(field.name));
    if (field.slot == FieldSlot::SaveFileName) {
      EXPECT_EQ(input["value"], "result.txt");
    } else if (field.group == FieldGroup::Zone && field.zone > 2) {
      EXPECT_TRUE(input["value"].is_null()) << field.name;  // not a zone of this run
    } else {
      EXPECT_EQ(input["value"].get<double>(),
                StoredValue(field, *run.model.params, run.model.state->EntryTemperature()))
          << field.name;
    }
  }
  EXPECT_EQ(inputs["Zone2.OuterTemperature"]["value"].get<double>(), 60.0);

  const Json& zones = json["zones"];
  ASSERT_EQ(zones.size(), run.record.ZoneExits.size());
  for (std::size_t z = 0; z < zones.size(); ++z) {
    const TracePoint& exit = run.record.ZoneExits[z];
    const Json& e = zones[z]["exit"];
    EXPECT_EQ(zones[z]["zone"], exit.Zone);
    EXPECT_EQ(e["zone"], exit.Zone);
    EXPECT_EQ(e["point"], exit.Point);
    EXPECT_EQ(e["time_s"].get<double>(), exit.Time);
    EXPECT_EQ(e["zone_position_m"].get<double>(), exit.ZonePosition);
    EXPECT_EQ(e["dryer_position_m"].get<double>(), exit.DryerPosition);
    EXPECT_EQ(e["temperature_C"].get<double>(), exit.Temperature);
    EXPECT_EQ(e["solvent1_weight_kg_m2"].get<double>(), exit.Solvent1Weight);
    EXPECT_EQ(e["solvent2_weight_kg_m2"].get<double>(), exit.Solvent2Weight);
    EXPECT_EQ(e["solvent1_fraction"].get<double>(), exit.Solvent1Fraction);
    EXPECT_EQ(e["solvent2_fraction"].get<double>(), exit.Solvent2Fraction);
    EXPECT_EQ(e["solvent1_residual"].get<double>(), exit.Solvent1Residual);
    EXPECT_EQ(e["solvent2_residual"].get<double>(), exit.Solvent2Residual);
    EXPECT_EQ(e["solvent1_surface_humidity_kg_kg"].get<double>(), exit.Solvent1SurfaceHumidity);
    EXPECT_EQ(e["solvent2_surface_humidity_kg_kg"].get<double>(), exit.Solvent2SurfaceHumidity);
  }
  EXPECT_EQ(zones[1]["start_position_m"].get<double>(), 30.0);

  // The trace: the CSV's columns, one array each, the same numbers.
  const Json& trace = json["trace"];
  const std::vector<std::string> lines = LfLines(RunCsv(run.series));
  ASSERT_EQ(trace.size(), TraceColumnNames().size());
  for (std::size_t c = 0; c < TraceColumnNames().size(); ++c) {
    const Json& values = trace[std::string(TraceColumnNames()[c])];
    ASSERT_EQ(values.size(), run.series.Points.size());
    for (std::size_t p = 0; p < values.size(); ++p) {
      std::vector<std::string> row;
      ASSERT_TRUE(SplitCsvLine(lines[p + 1], row));
      EXPECT_EQ(values[p].get<double>(), ParseDouble(row[c])) << TraceColumnNames()[c];
    }
  }
  EXPECT_TRUE(trace["zone"][0].is_number_integer());
}

TEST(RunExport, JsonTellsTheWarningsAndHowARunEnded) {
  MemoryFieldTexts hot;
  hot.SetText("Edit8", "2000");
  const MarchedRun boiling = March(hot);
  const Json warnings = Json::parse(JsonOf(hot, boiling))["warnings"];
  ASSERT_EQ(warnings.size(), boiling.record.Warnings.size());
  ASSERT_FALSE(warnings.empty());
  for (std::size_t i = 0; i < warnings.size(); ++i) {
    const PhysicalWarning& warning = boiling.record.Warnings[i];
    EXPECT_EQ(warnings[i]["kind"], WarningKindName(warning.Kind));
    EXPECT_EQ(warnings[i]["zone"], warning.Where.Zone);
    EXPECT_EQ(warnings[i]["point"], warning.Where.Point);
    EXPECT_EQ(warnings[i]["dryer_position_m"].get<double>(), warning.Where.DryerPosition);
    EXPECT_EQ(warnings[i]["temperature_C"].get<double>(), warning.Where.Temperature);
    EXPECT_EQ(warnings[i]["text"], warning.Text);
  }
  EXPECT_EQ(warnings[0]["kind"], "boiling");

  // Zone 2 of this data file overflows at its first step: zone 1 is all there is.
  MemoryFieldTexts fields;
  test::RecordingMessages messages;
  ASSERT_TRUE(LoadDataFile(QUILLMERE_TEST_DATA "/fault-zone2.dat", fields, messages).Ok());
  const MarchedRun faulted = March(fields);
  ASSERT_TRUE(faulted.record.Fault);
  const Json json = Json::parse(JsonOf(fields, faulted));
  EXPECT_EQ(json["outcome"], "fault");
  EXPECT_EQ(json["fault"],
            Json::parse(R"({"message": "Floating point overflow", "zone": 2, "point": 0,
                            "zone_position_m": 0.0, "dryer_position_m": 30.0})"));
  EXPECT_EQ(json["zones"].size(), 1u);
  EXPECT_EQ(json["trace"]["point"].size(), 301u);
  EXPECT_EQ(LfLines(RunCsv(faulted.series)).size(), 302u);
  EXPECT_EQ(json["time_step_s"].get<double>(), 0.1);  // 0.1 m / 1.0 m/s of the data file

  // Zone 1's air at -400 °C: a residual ratio rises above 1 at point 21 and the march
  // overflows at point 27 of that zone. The warning of the faulting zone is told (it was not).
  MemoryFieldTexts frozen;
  frozen.SetText("Edit8", "-400");
  const MarchedRun cold = March(frozen);
  ASSERT_TRUE(cold.record.Fault);
  const Json coldWarnings = Json::parse(JsonOf(frozen, cold))["warnings"];
  ASSERT_EQ(coldWarnings.size(), 1u);
  EXPECT_EQ(coldWarnings[0]["kind"], "not_physical");
  EXPECT_EQ(coldWarnings[0]["zone"], 1);
  EXPECT_EQ(coldWarnings[0]["point"], 21);

  // A fault while the entry state is set: no zone, and no place along the dryer.
  MemoryFieldTexts noSolvent;
  noSolvent.SetText("Edit4", "0");
  const MarchedRun atEntry = March(noSolvent);
  const Json entry = Json::parse(JsonOf(noSolvent, atEntry));
  EXPECT_EQ(entry["fault"]["zone"], 0);
  EXPECT_EQ(entry["fault"]["message"], "Invalid floating point operation");
  EXPECT_TRUE(entry["time_step_s"].is_null());  // never computed (it read 0.0)
  EXPECT_TRUE(entry["zones"].empty());
  EXPECT_TRUE(entry["trace"]["time_s"].empty());
  EXPECT_EQ(RunCsv(atEntry.series), LfLines(RunCsv(atEntry.series))[0] + "\n");
}

//! A series of two points: one where the model is known, one where the surface equilibrium is
//! not.
RunSeries TwoPoints() {
  RunSeries series;
  SeriesPoint known;
  known.State = {1, 0, 0.1, 0.1, 30.1, 59.4521, 1e-05, -0.5, 0.25, 0.125, 2, 0, true, 0.0625, 3};
  known.CorrectionFactor = 1;
  known.SurfaceKnown = true;
  known.SurfaceVapourPressure = 760.5;
  known.Solvent1DryingRate = 0.0001;
  known.Solvent2DryingRate = -2.5e-06;
  SeriesPoint unknown = known;
  unknown.State.Point = 1;
  unknown.State.SurfaceKnown = false;
  unknown.SurfaceKnown = false;
  unknown.CorrectionFactor = 0;
  series.Points = {known, unknown};
  return series;
}

TEST(RunExport, UnknownValuesAreEmptyCellsAndNulls) {
  const RunSeries series = TwoPoints();
  const std::vector<std::string> lines = LfLines(RunCsv(series));
  ASSERT_EQ(lines.size(), 3u);
  EXPECT_EQ(lines[1],
            "1,0,0.1,0.1,30.1,59.4521,1e-05,-0.5,0.25,0.125,2,0,0.0625,3,760.5,1,1e-04,-2.5e-06");
  EXPECT_EQ(lines[2], "1,1,0.1,0.1,30.1,59.4521,1e-05,-0.5,0.25,0.125,2,0,,,,0,,");

  const MemoryFieldTexts fields;
  const MarchedRun run = March(fields);
  const Json trace = Json::parse(RunJson(fields, '.', *run.model.params, 15, series))["trace"];
  const std::pair<const char*, double> known[] = {
      {"solvent1_surface_humidity_kg_kg", 0.0625}, {"solvent2_surface_humidity_kg_kg", 3},
      {"surface_vapour_pressure_mmHg", 760.5},     {"solvent1_drying_rate_kg_m2_s", 0.0001},
      {"solvent2_drying_rate_kg_m2_s", -2.5e-06},
  };
  for (const auto& [column, value] : known) {
    EXPECT_EQ(trace[column][0].get<double>(), value) << column;
    EXPECT_TRUE(trace[column][1].is_null()) << column;
  }
  EXPECT_EQ(trace["correction_factor"][1].get<double>(), 0.0);
}

//! Sets the process's locale for the test's duration.
class ProcessLocale {
 public:
  explicit ProcessLocale(const char* name) : previous_(std::setlocale(LC_ALL, nullptr)) {
    set_ = std::setlocale(LC_ALL, name) != nullptr;
  }
  ~ProcessLocale() { std::setlocale(LC_ALL, previous_.c_str()); }
  bool Set() const { return set_; }

 private:
  std::string previous_;
  bool set_ = false;
};

// Under a locale whose decimal separator is "," the field texts carry "," and the exports
// still write ".".
TEST(RunExport, NumbersKeepThePointUnderACommaLocale) {
  const ProcessLocale german("de_DE.UTF-8");
  if (!german.Set()) GTEST_SKIP() << "no de_DE.UTF-8 locale (scripts/bootstrap makes one)";
  ASSERT_EQ(std::string(std::localeconv()->decimal_point), ",");

  EXPECT_EQ(LfLines(RunCsv(TwoPoints()))[1],
            "1,0,0.1,0.1,30.1,59.4521,1e-05,-0.5,0.25,0.125,2,0,0.0625,3,760.5,1,1e-04,-2.5e-06");

  const MemoryFieldTexts fields(',');
  const MarchedRun run = March(fields, ',');
  const std::string text = JsonOf(fields, run, ',');
  EXPECT_NE(text.find(R"("decimal_separator":",")"), std::string::npos);
  EXPECT_NE(text.find(R"("InitialCoatingWeight":{"field":"Edit1","text":"0,0695","value":0.0695})"),
            std::string::npos);
  EXPECT_NE(text.find(R"("time_step_s":0.1,)"), std::string::npos);
  const Json json = Json::parse(text);
  EXPECT_EQ(json["zones"][0]["exit"]["temperature_C"].get<double>(),
            run.record.ZoneExits[0].Temperature);
}

// Field texts are what the user typed: bytes that are not UTF-8 must not make the JSON
// unwritable or invalid.
TEST(RunExport, JsonReplacesFieldBytesThatAreNotUtf8) {
  MemoryFieldTexts fields;
  fields.SetText("Edit250", "r\xffsult.txt");
  const MarchedRun run = March(fields);
  const Json json = Json::parse(JsonOf(fields, run));
  EXPECT_EQ(json["inputs"]["SaveFileName"]["text"], "r\xEF\xBF\xBDsult.txt");
}

}  // namespace
}  // namespace quillmere
