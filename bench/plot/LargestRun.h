// The largest run the program computes: 14 zones of 1999 steps (28,000 points a line), the
// default inputs otherwise. Computed once, on first use.
#pragma once

#include <memory>
#include <utility>

#include "analysis/CaseRun.h"
#include "params/FieldTable.h"
#include "params/MemoryFieldTexts.h"
#include "sim/RunSeries.h"

namespace quillmere {

//! The fields of that run; `speed` the line speed's text [m/s].
inline MemoryFieldTexts LargestRunFields(const char* speed = "1.0") {
  MemoryFieldTexts fields;
  for (int zone = 1; zone <= kMaxZones; ++zone) {
    const char* texts[] = {"60.0", "199.9", "0.0", "0.0", "0.022", "0.055"};
    for (int i = 0; i < 6; ++i) fields.SetText(ZoneFieldName(zone, i), texts[i]);
  }
  fields.SetText("Edit6", speed);
  return fields;
}

inline RunSeries RunOf(const FieldTexts& fields) {
  auto params = std::make_unique<ParameterSet>();
  auto state = std::make_unique<SimulationState>();
  CaseRequest request;
  request.Series = true;
  return std::move(*RunCase(fields, '.', *params, *state, request).Series);
}

inline const RunSeries& LargestRun() {
  static const RunSeries run = RunOf(LargestRunFields());
  return run;
}

}  // namespace quillmere
