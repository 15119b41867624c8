// The measurement file reader on any bytes: it either refuses them with a MeasurementError or
// gives a table whose every measurement is a finite number with a positive sigma or none, on
// a line of the file, and all with a sigma or none.
#include <cmath>
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string_view>

#include "analysis/fit/Measurements.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  const std::string_view text(reinterpret_cast<const char*>(data), size);
  quillmere::MeasurementTable table;
  try {
    table = quillmere::ParseMeasurements(text, "fuzz.csv");
  } catch (const quillmere::MeasurementError&) {
    return 0;
  }
  if (table.Rows.empty()) std::abort();
  for (const quillmere::Measurement& m : table.Rows) {
    if (!std::isfinite(m.Where) || !std::isfinite(m.Value) || m.Line < 2) std::abort();
    if (m.Sigma.has_value() != table.HasSigma) std::abort();
    if (m.Sigma && !(*m.Sigma > 0 && std::isfinite(*m.Sigma))) std::abort();
  }
  return 0;
}
