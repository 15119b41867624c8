// Any bytes as a data file, all the way: read through the loader, acquired, and marched a few
// steps a zone, with the result file's texts built for every block. A refused file changes no
// field; nothing is ever written as an infinity or a not-a-number; every failure is one of the
// program's own errors.
#include <sys/mman.h>
#include <unistd.h>

#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <memory>
#include <string>
#include <string_view>

#include "base/FloatingPointGuard.h"
#include "base/UserMessages.h"
#include "params/AcquireParameters.h"
#include "params/FieldTable.h"
#include "params/MemoryFieldTexts.h"
#include "report/DataFile.h"
#include "report/ResultFile.h"
#include "sim/DryerMarch.h"

namespace {

using namespace quillmere;

//! Steps a zone is marched at most, so that every input runs in a moment.
constexpr std::int32_t kStepsPerZone = 20;

class SilentMessages : public UserMessages {
 public:
  void ShowMessage(std::string_view) override { ++shown; }
  void ShowError(std::string_view) override { ++shown; }
  void ShowFinish() override {}
  int shown = 0;
};

void Check(bool condition) {
  if (!condition) __builtin_trap();
}

void CheckPrintable(std::string_view text) {
  Check(text.find("INF") == std::string_view::npos);
  Check(text.find("NAN") == std::string_view::npos);
}

//! Builds the texts the result file would receive, at the moments it would receive them.
class TextChecker : public MarchObserver {
 public:
  bool RunStarting(const ParameterSet& params, const SimulationState& state) override {
    params_ = &params;
    CheckPrintable(ResultHeaderText(params, state.EntryTemperature(), '.'));
    return true;
  }
  bool ZoneStarting(int zone) override {
    if (zone > 1) CheckPrintable(ZoneConditionsText(*params_, zone, '.'));
    return true;
  }
  bool ZoneFinished(const ZoneView& zone, const RunRecord&) override {
    CheckPrintable(ZoneTableText(zone, '.'));
    return true;
  }

 private:
  const ParameterSet* params_ = nullptr;
};

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  static const MemoryFieldTexts defaults;
  static const auto state = std::make_unique<SimulationState>();  // large: allocated once
  MemoryFieldTexts fields = defaults;
  SilentMessages messages;

  // The bytes as a file of their own, read through the loader's reading loop.
  const int file = memfd_create("data-file", 0);
  Check(file >= 0);
  Check(write(file, data, size) == static_cast<ssize_t>(size));
  const std::string path = "/proc/self/fd/" + std::to_string(file);
  const bool applied = LoadDataFile(path, fields, messages).Ok();
  close(file);
  Check(messages.shown == (applied ? 0 : 1));
  for (const FieldSpec& field : AllFields()) {
    const bool unchanged = fields.Text(field.name) == defaults.Text(field.name);
    if (!applied || !field.enabled || field.name == "Edit250") Check(unchanged);
  }
  if (!applied) return 0;

  ParameterSet params;
  try {
    if (!AcquireParameters(fields, messages, '.', params, state->EntryTemperature()).Ok()) {
      return 0;
    }
  } catch (const InputConversionError&) {
    return 0;
  } catch (const FloatingPointError&) {
    return 0;
  }
  for (int zone = 1; zone <= params.ZoneCount; ++zone) {
    params.ZoneSteps[zone] = std::min(params.ZoneSteps[zone], kStepsPerZone);
  }
  TextChecker checker;
  const RunRecord record = MarchThroughDryer(params, *state, checker);
  Check(record.Finished() || record.Fault.has_value());
  return 0;
}
