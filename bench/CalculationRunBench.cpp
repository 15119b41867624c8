// A whole calculation of 14 zones of 1999 steps each, written to a result file.
#include <benchmark/benchmark.h>

#include <cstdio>
#include <filesystem>
#include <memory>

#include "SilentMessages.h"
#include "params/FieldTable.h"
#include "params/MemoryFieldTexts.h"
#include "report/CalculationRun.h"

namespace quillmere {
namespace {

void BM_RunFourteenZonesOf1999Steps(benchmark::State& run) {
  MemoryFieldTexts fields;
  for (int zone = 1; zone <= kMaxZones; ++zone) {
    const char* texts[] = {"60.0", "199.9", "0.0", "0.0", "0.022", "0.055"};
    for (int i = 0; i < 6; ++i) fields.SetText(ZoneFieldName(zone, i), texts[i]);
  }
  const std::string file =
      (std::filesystem::temp_directory_path() / "quillmere-bench-result.txt").string();
  fields.SetText("Edit250", file);
  SilentMessages messages;
  auto params = std::make_unique<ParameterSet>();
  auto state = std::make_unique<SimulationState>();
  for (auto _ : run) {
    if (RunCalculation(fields, messages, '.', *params, *state).Outcome != RunOutcome::Finished) {
      run.SkipWithError("the run did not finish");
      break;
    }
  }
  run.SetItemsProcessed(run.iterations() * kMaxZones * 1999);
  std::remove(file.c_str());
}
BENCHMARK(BM_RunFourteenZonesOf1999Steps)->Unit(benchmark::kMillisecond);

}  // namespace
}  // namespace quillmere
