#include "params/AcquireParameters.h"

#include <charconv>
#include <cmath>
#include <string>

#include "params/FieldTable.h"
#include "params/FloatingPointGuard.h"
#include "params/NumberText.h"
#include "params/PrintableText.h"

namespace quillmere {
namespace {

constexpr std::string_view kInputValueNotCorrect = "Input value is not correct!";
constexpr std::string_view kInputSaveFileName = "Input Save File Name!";

std::string ZoneMessage(int zone) {
  return "Input value of Zone " + std::to_string(zone) + " is not correct!";
}

// A step count as the user would read it: the whole number the quotient rounds to, in
// exponent form when it is too large to be read digit by digit.
std::string StepCountText(double steps) {
  char buffer[64];
  const bool huge = std::fabs(steps) >= 1e15;
  const auto result =
      huge ? std::to_chars(buffer, buffer + sizeof buffer, steps)
           : std::to_chars(buffer, buffer + sizeof buffer, steps, std::chars_format::fixed, 0);
  return std::string(buffer, result.ptr);
}

std::string StepCountMessage(int zone, double steps, bool negativeInput) {
  const std::string count = StepCountText(steps + 0.0);  // no "-0"
  if (negativeInput) {
    return "Zone " + std::to_string(zone) + " would need " + count +
           " integration steps! Its Zone Length and the Increment of z must not be negative.";
  }
  return "Zone " + std::to_string(zone) + " would need " + count +
         " integration steps, more than the " + std::to_string(kMaxZoneSteps) +
         " steps a zone can take! Enter a larger Increment of z or a shorter Zone Length.";
}

}  // namespace

bool AcquireParameters(const FieldTexts& fields, UserMessages& messages, char decimalSeparator,
                       ParameterSet& params, double& initialTemperature) {
  // 1. The general block and zone 1, stored one by one as they convert.
  for (const FieldSpec& field : AllFields()) {
    if (field.group == FieldGroup::Zone && field.zone >= 2) continue;
    if (field.slot == FieldSlot::SaveFileName) continue;
    const std::optional<double> value = ParseNumber(fields.Text(field.name), decimalSeparator);
    if (!value) {
      messages.ShowMessage(kInputValueNotCorrect);
      return false;
    }
    ValueSlot(field, params, initialTemperature) = *value;
  }
  params.SaveFileName = fields.Text("Edit250");

  // 2. and 3.
  params.ZoneCount = 1;
  if (params.SaveFileName.empty()) {
    messages.ShowMessage(kInputSaveFileName);
    return false;
  }

  // 4. The zone list ends at the first zone whose outer temperature is empty or zero. The zones
  // are read into a scratch copy first, so that a refused zone leaves the set untouched.
  ZoneConditions scratch;
  int zoneCount = kMaxZones;
  for (int zone = 2; zone <= kMaxZones; ++zone) {
    const std::string outerName = ZoneFieldName(zone, 0);
    const std::string outerText = fields.Text(outerName);
    if (outerText.empty()) {
      zoneCount = zone - 1;
      break;
    }
    const std::optional<double> outer = ParseNumber(outerText, decimalSeparator);
    if (!outer) {
      throw InputConversionError("Outer Temperature of Zone " + std::to_string(zone) + ": " +
                                 Quoted(outerText) + " is not a valid number");
    }
    if (*outer == 0.0) {
      zoneCount = zone - 1;
      break;
    }
    for (int i = 0; i < static_cast<int>(kZoneQuantities.size()); ++i) {
      const FieldSpec& field = *FindField(ZoneFieldName(zone, i));
      const std::optional<double> value = ParseNumber(fields.Text(field.name), decimalSeparator);
      if (!value) {
        messages.ShowMessage(ZoneMessage(zone));
        return false;
      }
      (scratch.*field.zoneQuantity)[zone] = *value;
    }
  }
  params.ZoneCount = zoneCount;

  // 5.
  for (int zone = 2; zone <= params.ZoneCount; ++zone) {
    for (const auto quantity : kZoneQuantities) {
      (params.Zones.*quantity)[zone] = (scratch.*quantity)[zone];
    }
  }

  // 6. Step counts: the zone length in increments of z, rounded half to even. A count that
  // its trace cannot hold is refused here, before it is narrowed to a 32-bit integer.
  for (int zone = 1; zone <= params.ZoneCount; ++zone) {
    ClearFloatingPointFaults();
    const double length = params.Zones.ZoneLength[zone];
    const double quotient = length / params.IncrementZ;
    const double steps = std::nearbyint(quotient);
    ThrowOnFloatingPointFault({quotient, steps});
    // A negative length and a negative increment give a positive count, but time would run
    // backwards: each is refused on its own.
    const bool negativeInput = length < 0 || params.IncrementZ < 0 || steps < 0;
    if (negativeInput || steps > kMaxZoneSteps) {
      messages.ShowMessage(StepCountMessage(zone, steps, negativeInput));
      return false;
    }
    params.ZoneSteps[zone] = static_cast<std::int32_t>(steps);
  }
  return true;
}

}  // namespace quillmere
