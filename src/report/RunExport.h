// A run for spreadsheets and scripts, beside the result file: its trace as CSV, and the whole
// run (inputs, zones, warnings, how it ended, trace) as JSON. Both are UTF-8 with LF line ends
// and write numbers with "." in the shortest form that reads back to the same double,
// whatever the locale and the decimal separator of the fields.
#pragma once

#include <span>
#include <string>
#include <string_view>

#include "params/FieldTexts.h"
#include "params/ParameterSet.h"
#include "sim/RunSeries.h"

namespace quillmere {

//! The trace's columns, each name with its unit: "zone", "point", "time_s",
//! "zone_position_m", "dryer_position_m", "temperature_C", the solvents' weights [kg/m2],
//! mass fractions, residual ratios and surface humidities [kg/kg], the surface vapour pressure
//! [mmHg], the drying speed correction factor and the solvents' drying rates [kg/m2.s].
std::span<const std::string_view> TraceColumnNames();

//! The trace as CSV: the header line of TraceColumnNames, then one line for every stored point
//! of every finished zone, zone by zone from its point 0 (a copy of the previous zone's exit,
//! with its own zone number) to its exit. A value that is not known there (a surface
//! humidity the model could not evaluate) is an empty field.
std::string RunCsv(const RunSeries& series);

//! The run as one JSON object: "version"; "decimal_separator" of the field texts; "inputs",
//! by input name (InputName) in the order of the fields, each with its "field", its "text"
//! and the "value" acquisition stored (null for the zones after the last active one);
//! "zone_count"; "time_step_s" (null after a fault at the dryer's entry); "outcome" ("finished",
//! "fault" or "stopped") with "fault" (its "message", "zone", "point" and positions) or null;
//! "zones", the summary of each finished zone with its "exit"; "warnings" ("kind" as
//! WarningKindName, "zone", "point", positions, "text"); and "trace", one array for each of
//! TraceColumnNames, null where a value is not known. `initialTemperature` is the web's entry
//! temperature that acquisition stored. `moreMembers`, the text of a JSON object, adds its members
//! before "trace" (the solvents and the plant figures).
std::string RunJson(const FieldTexts& fields, char decimalSeparator, const ParameterSet& params,
                    double initialTemperature, const RunSeries& series,
                    std::string_view moreMembers = {});

}  // namespace quillmere
