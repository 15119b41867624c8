// Finished runs as series, for the chart and window tests: the default inputs or a data file
// of tests/data, with some texts changed, marched as the OK button would without a result
// file.
#pragma once

#include <memory>
#include <string>
#include <utility>
#include <vector>

#include "RecordingMessages.h"
#include "analysis/CaseRun.h"
#include "params/FieldTable.h"
#include "params/MemoryFieldTexts.h"
#include "report/DataFile.h"
#include "sim/RunSeries.h"

namespace quillmere::test {

//! Field texts changed for a run: input name ("Speed", "Zone2.OuterTemperature") and text.
using TextChanges = std::vector<std::pair<std::string, std::string>>;

//! The field texts of the data file `dataFile` (a name in tests/data; "" for the defaults)
//! with `changes` made.
inline MemoryFieldTexts TextsOf(const std::string& dataFile, const TextChanges& changes = {}) {
  MemoryFieldTexts fields('.');
  if (!dataFile.empty()) {
    RecordingMessages messages;
    static_cast<void>(
        LoadDataFile(std::string(QUILLMERE_TEST_DATA) + "/" + dataFile, fields, messages));
  }
  for (const auto& [name, text] : changes) fields.SetText(FindInput(name)->name, text);
  return fields;
}

//! The series of the run of those texts; its zones are those finished before any fault.
inline RunSeries RunSeriesOf(const FieldTexts& fields) {
  auto params = std::make_unique<ParameterSet>();
  auto state = std::make_unique<SimulationState>();
  CaseRequest request;
  request.Series = true;
  return std::move(*RunCase(fields, '.', *params, *state, request).Series);
}

inline RunSeries RunSeriesOf(const std::string& dataFile, const TextChanges& changes = {}) {
  return RunSeriesOf(TextsOf(dataFile, changes));
}

}  // namespace quillmere::test
