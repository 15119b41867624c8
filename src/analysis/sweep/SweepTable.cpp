#include "analysis/sweep/SweepTable.h"

#include <algorithm>

#include "base/FormatFixed.h"
#include "base/Text.h"
#include "report/CsvText.h"

namespace quillmere {
namespace {

constexpr std::string_view kResultColumns =
    "outcome,exit time (s),exit web temperature (°C),exit Solvent-1 residual ratio (-),"
    "exit Solvent-2 residual ratio (-),highest web temperature (°C),coating first boils at (m),"
    "warnings";

constexpr std::string_view kPlantColumns =
    ",ExitLEL of the worst zone (%),total heat (kW),total exhaust (Nm³/h)";

//! The highest web temperature of the finished zones [°C].
double HighestTemperature(const ParameterSet& params, const SimulationState& state, int zones) {
  double highest = state.EntryTemperature();
  for (int zone = 1; zone <= zones; ++zone) {
    const auto& points = state.Trace.Temperature[zone];
    const auto end = points.begin() + params.ZoneSteps[zone] + 1;
    highest = std::max(highest, *std::max_element(points.begin(), end));
  }
  return highest;
}

}  // namespace

SweepRow SweepRowOf(std::size_t caseNumber, std::vector<double> values, const CaseResult& result,
                    const ParameterSet& params, const SimulationState& state,
                    std::vector<std::string> inputWarnings) {
  SweepRow row;
  row.Case = caseNumber;
  row.Values = std::move(values);
  row.Finished = result.Finished();
  row.InputRefused = result.Ending == ErrorKind::InputRefused;
  row.ResultFileFailed = result.Ending == ErrorKind::File;
  const RunRecord& record = result.Record;
  if (row.Finished) {
    row.Outcome = "finished";
    row.Exit = record.ZoneExits.back();
    row.HighestTemperature = HighestTemperature(params, state, record.ZonesDone());
  } else if (record.Fault) {
    // The fault's own text, then where it arose.
    row.Outcome = record.Fault->Message + " " + FaultPlace(*record.Fault);
  } else {
    row.Outcome = Joined(result.Messages, " ");
  }
  row.Warnings = std::move(inputWarnings);
  for (const PhysicalWarning& warning : record.Warnings) {
    if (warning.Kind == WarningKind::Boiling) {
      if (!row.FirstBoiling) row.FirstBoiling = warning.Where.DryerPosition;
    } else {
      row.Warnings.push_back(warning.Text);
    }
  }
  return row;
}

std::string SweepTableHeader(const std::vector<SweepAxis>& axes, bool plantColumns) {
  std::string line = "case";
  for (const SweepAxis& axis : axes) {
    std::string column = axis.Name;
    if (!axis.Field->unit.empty()) column += " (" + std::string(axis.Field->unit) + ")";
    line += ',' + CsvField(column);
  }
  line += ',';
  line += kResultColumns;
  if (plantColumns) line += kPlantColumns;
  line += '\n';
  return line;
}

std::string SweepTableLine(const SweepRow& row, bool plantColumns) {
  std::string line;
  AppendSweepTableLine(line, row, plantColumns);
  return line;
}

void AppendSweepTableLine(std::string& line, const SweepRow& row, bool plantColumns) {
  line += std::to_string(row.Case);
  for (const double value : row.Values) {
    line += ',';
    AppendCsvNumber(line, value);
  }
  line += ',' + CsvField(row.Outcome) + ',';
  if (row.Finished) {
    for (const double value : {row.Exit.Time, row.Exit.Temperature, row.Exit.Solvent1Residual,
                               row.Exit.Solvent2Residual, row.HighestTemperature}) {
      AppendCsvNumber(line, value);
      line += ',';
    }
  } else {
    line += ",,,,,";
  }
  if (row.FirstBoiling) AppendCsvNumber(line, *row.FirstBoiling);
  line += ',' + CsvField(Joined(row.Warnings, "; "));
  if (plantColumns) {
    // A figure the case's plant figures cannot form reads "unknown", never 0; a case without
    // plant figures leaves the fields empty.
    const auto figure = [&line, &row](std::optional<double> value) {
      line += ',';
      if (!row.Plant) return;
      if (value) {
        AppendCsvNumber(line, *value);
      } else {
        line += "unknown";
      }
    };
    const bool complete = row.Plant && !row.Plant->Incomplete;
    figure(row.Plant ? row.Plant->WorstPercentLel : std::nullopt);
    figure(complete ? std::optional<double>(row.Plant->TotalHeat) : std::nullopt);
    figure(complete ? std::optional<double>(row.Plant->TotalExhaust) : std::nullopt);
  }
  line += '\n';
}

}  // namespace quillmere
