#include "params/AcquireParameters.h"

#include <array>
#include <charconv>
#include <cmath>
#include <string>
#include <vector>

#include "base/FloatingPointGuard.h"
#include "base/NumberText.h"
#include "base/PrintableText.h"
#include "params/FieldTable.h"

namespace quillmere {
namespace {

constexpr std::string_view kInputValueNotCorrect = "Input value is not correct!";
constexpr std::string_view kInputSaveFileName = "Input Save File Name!";

std::string ZoneMessage(int zone) {
  return "Input value of Zone " + std::to_string(zone) + " is not correct!";
}

//! What the command line adds after a refusal: the field, its text and the decimal separator
//! with which it was read ("Speed (m/s) (Edit6) holds "1,5", which is not a number; ...").
std::string RefusedFieldText(const FieldSpec& field, std::string_view text, char separator) {
  const std::string named = FieldCaption(field) + " (" + std::string(field.name) + ")";
  if (text.empty()) return named + " is empty.";
  if (text.find_first_not_of(' ') == std::string_view::npos) return named + " holds blanks only.";
  return named + " holds " + Quoted(text) +
         ", which is not a number; the decimal separator in force is \"" +
         std::string(1, separator) + "\".";
}

//! Shows a refusal's message, then points at the field and says what it holds; the refusal.
Error RefuseField(UserMessages& messages, std::string_view message, const FieldSpec& field,
                  std::string_view text, char separator) {
  messages.ShowMessage(message);
  messages.PointAtField(field.name);
  std::string detail = RefusedFieldText(field, text, separator);
  messages.ShowDetail(detail);
  return Error(ErrorKind::InputRefused, std::string(message), std::move(detail));
}

//! Shows a refusal's message; the refusal.
Error Refuse(UserMessages& messages, const std::string& message) {
  messages.ShowMessage(message);
  return Error(ErrorKind::InputRefused, message);
}

//! A value in the fewest digits that tell it (at most 10 significant), "." whatever the
//! separator: 1.05, -2, 1.0000001.
std::string ShortestText(double value) {
  char buffer[64];
  const auto result =
      std::to_chars(buffer, buffer + sizeof buffer, value, std::chars_format::general, 10);
  return std::string(buffer, result.ptr);
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

Outcome<> AcquireParameters(const FieldTexts& fields, UserMessages& messages, char decimalSeparator,
                            ParameterSet& params, double& initialTemperature) {
  // 1. The general block and zone 1, stored one by one as they convert.
  for (const FieldSpec& field : AllFields()) {
    if (field.group == FieldGroup::Zone && field.zone >= 2) continue;
    if (field.slot == FieldSlot::SaveFileName) continue;
    const std::string text = fields.Text(field.name);
    const std::optional<double> value = ParseNumber(text, decimalSeparator);
    if (!value) return RefuseField(messages, kInputValueNotCorrect, field, text, decimalSeparator);
    ValueSlot(field, params, initialTemperature) = *value;
  }
  params.SaveFileName = fields.Text("Edit250");

  // A negative speed runs the web backwards through the dryer: times and positions below 0
  // and a march without meaning. Refused as a negative zone length is.
  if (params.Speed < 0) {
    const FieldSpec& speed = *FindField("Edit6");
    messages.ShowMessage(kInputValueNotCorrect);
    messages.PointAtField(speed.name);
    std::string detail = FieldCaption(speed) + " (" + std::string(speed.name) + ") is " +
                         ShortestText(params.Speed) +
                         ": the web must run forward through the dryer, so the Speed must not "
                         "be negative.";
    messages.ShowDetail(detail);
    return Error(ErrorKind::InputRefused, std::string(kInputValueNotCorrect), std::move(detail));
  }

  // 2. and 3.
  params.ZoneCount = 1;
  if (params.SaveFileName.empty()) return Refuse(messages, std::string(kInputSaveFileName));

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
      const std::string text = fields.Text(field.name);
      const std::optional<double> value = ParseNumber(text, decimalSeparator);
      if (!value) return RefuseField(messages, ZoneMessage(zone), field, text, decimalSeparator);
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
      return Refuse(messages, StepCountMessage(zone, steps, negativeInput));
    }
    params.ZoneSteps[zone] = static_cast<std::int32_t>(steps);
  }
  return {};
}

std::optional<std::string> WeightRatioSumWarning(const FieldTexts& fields, char decimalSeparator) {
  constexpr std::array<std::string_view, 3> kRatios{"Edit3", "Edit4", "Edit5"};
  double sum = 0;
  std::string named;
  for (std::size_t i = 0; i < kRatios.size(); ++i) {
    const std::optional<double> value = ParseNumber(fields.Text(kRatios[i]), decimalSeparator);
    if (!value) return std::nullopt;  // acquisition refuses the run
    sum += *value;
    const FieldSpec& field = *FindField(kRatios[i]);
    named += (i == 0                    ? ""
              : i + 1 == kRatios.size() ? " and "
                                        : ", ") +
             FieldCaption(field) + " (" + std::string(field.name) + ")";
  }
  // Three ratios typed with a few decimals add up to 1 within a few units of the last place.
  if (!(std::fabs(sum - 1.0) > kWeightRatioSumTolerance)) return std::nullopt;
  return "The " + named + " add up to " + ShortestText(sum) +
         ", not 1: the coating's weights are taken from each ratio as it is given.";
}

std::optional<std::string> UnreachedZonesWarning(const FieldTexts& fields, char decimalSeparator) {
  // The zone that ends the list, as acquisition finds it.
  int end = 0;
  bool emptyEnd = false;
  for (int zone = 2; zone <= kMaxZones && end == 0; ++zone) {
    const std::string text = fields.Text(ZoneFieldName(zone, 0));
    if (text.empty()) {
      end = zone;
      emptyEnd = true;
    } else {
      const std::optional<double> outer = ParseNumber(text, decimalSeparator);
      if (!outer) return std::nullopt;  // acquisition refuses the run there
      if (*outer == 0.0) end = zone;
    }
  }
  if (end == 0) return std::nullopt;
  // A zone after it is filled when one of its fields holds something other than blanks or 0.
  std::vector<int> filled;
  for (int zone = end + 1; zone <= kMaxZones; ++zone) {
    for (int i = 0; i < static_cast<int>(kZoneQuantities.size()); ++i) {
      const std::string text = fields.Text(ZoneFieldName(zone, i));
      if (text.find_first_not_of(' ') == std::string::npos) continue;
      const std::optional<double> value = ParseNumber(text, decimalSeparator);
      if (!value || *value != 0.0) {
        filled.push_back(zone);
        break;
      }
    }
  }
  if (filled.empty()) return std::nullopt;
  std::string zones = filled.size() == 1 ? "Zone " : "Zones ";
  for (std::size_t i = 0; i < filled.size(); ++i) {
    if (i > 0) zones += i + 1 == filled.size() ? " and " : ", ";
    zones += std::to_string(filled[i]);
  }
  return zones + (filled.size() == 1 ? " is" : " are") +
         " filled but not run: the list of zones ends before zone " + std::to_string(end) +
         ", whose Outer Temperature is " + (emptyEnd ? "empty" : "0") +
         " (the first zone from 2 to 14 whose Outer Temperature is empty or 0 ends the list).";
}

}  // namespace quillmere
