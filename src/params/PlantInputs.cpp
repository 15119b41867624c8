#include "params/PlantInputs.h"

#include <algorithm>
#include <array>
#include <vector>

#include "base/Error.h"
#include "base/NumberText.h"
#include "base/PrintableText.h"
#include "base/Text.h"

namespace quillmere {
namespace {

//! Names and labels of the zones' exhaust fields, kept for the program's lifetime so that the
//! table can hold views of them.
struct ExhaustTexts {
  std::array<std::string, kMaxZones> names;
  std::array<std::string, kMaxZones> labels;
  std::array<std::string, kMaxZones> airNames;
  std::array<std::string, kMaxZones> airLabels;
};

const ExhaustTexts& Exhausts() {
  static const ExhaustTexts texts = [] {
    ExhaustTexts t;
    for (int zone = 1; zone <= kMaxZones; ++zone) {
      t.names[static_cast<std::size_t>(zone - 1)] = ExhaustFieldName(zone);
      t.labels[static_cast<std::size_t>(zone - 1)] =
          "Exhaust Air of Zone " + std::to_string(zone) + " (Nm3/h)";
      t.airNames[static_cast<std::size_t>(zone - 1)] = ZoneAirFieldName(zone);
      t.airLabels[static_cast<std::size_t>(zone - 1)] =
          "Air of Zone " + std::to_string(zone) + " from its Exhaust (yes/no)";
    }
    return t;
  }();
  return texts;
}

std::vector<PlantFieldSpec> BuildPlantFields() {
  std::vector<PlantFieldSpec> t{
      {"Solvent1Name", "Solvent-1", "", "as specified", 0, false},
      {"Solvent2Name", "Solvent-2", "", "as specified", 0, false},
      {"WebWidth", "Web (Coating) Width (m)", "m", "", 0, true},
      {"AmbientTemperature", "Make-up Air Temperature (deg-C)", "°C", "20.0", 0, true},
      {"LelMonitoring", "Continuous LEL Monitoring (yes/no)", "", "no", 0, false},
  };
  const ExhaustTexts& e = Exhausts();
  for (int zone = 1; zone <= kMaxZones; ++zone) {
    const auto i = static_cast<std::size_t>(zone - 1);
    t.push_back({e.names[i], e.labels[i], "Nm3/h", "", zone, true});
  }
  for (int zone = 1; zone <= kMaxZones; ++zone) {
    const auto i = static_cast<std::size_t>(zone - 1);
    t.push_back({e.airNames[i], e.airLabels[i], "", "", zone, false, false});
  }
  return t;
}

[[noreturn]] void Refuse(const PlantFieldSpec& field, std::string_view text, std::string_view why) {
  throw Error(ErrorKind::InputRefused, "Input value is not correct!",
              std::string(field.label) + " (" + std::string(field.name) + ") holds " +
                  Quoted(text) + ", " + std::string(why) + ".");
}

//! A yes/no field: true for "yes", false for "no" or nothing, in any case.
bool YesOrNo(const FieldTexts& fields, const PlantFieldSpec& field) {
  const std::string text(TrimBlanks(fields.Text(field.name)));
  if (SameIgnoringCase(text, "yes")) return true;
  if (!text.empty() && !SameIgnoringCase(text, "no")) {
    Refuse(field, text, "which is neither \"yes\" nor \"no\"");
  }
  return false;
}

}  // namespace

std::span<const PlantFieldSpec> PlantFields() {
  static const std::vector<PlantFieldSpec> table = BuildPlantFields();
  return table;
}

const PlantFieldSpec* FindPlantField(std::string_view name) {
  for (const PlantFieldSpec& field : PlantFields()) {
    if (SameIgnoringCase(field.name, name)) return &field;
  }
  return nullptr;
}

std::string ExhaustFieldName(int zone) {
  return "Zone" + std::to_string(zone) + ".Exhaust";
}

std::string ZoneAirFieldName(int zone) {
  return "Zone" + std::to_string(zone) + ".AirFromExhaust";
}

bool PlantInputs::AnyAirFromExhaust() const {
  for (int zone = 1; zone <= kMaxZones; ++zone) {
    if (AirFromExhaust[zone]) return true;
  }
  return false;
}

std::string PlantDefaultText(const PlantFieldSpec& field, char decimalSeparator) {
  std::string text(field.defaultText);
  if (field.numeric) std::replace(text.begin(), text.end(), '.', decimalSeparator);
  return text;
}

std::optional<PlantInputs> AcquirePlantInputs(const FieldTexts& fields, char decimalSeparator) {
  const auto number = [&](const PlantFieldSpec& field, std::string_view text) {
    const std::optional<double> value = ParseNumber(text, decimalSeparator);
    if (!value) {
      Refuse(field, text,
             std::string("which is not a number; the decimal separator in force is \"") +
                 decimalSeparator + "\"");
    }
    return *value;
  };
  const PlantFieldSpec& widthField = *FindPlantField("WebWidth");
  const std::string widthText(TrimBlanks(fields.Text(widthField.name)));
  if (widthText.empty()) return std::nullopt;

  PlantInputs plant;
  plant.WebWidth = number(widthField, widthText);
  if (!(plant.WebWidth > 0)) Refuse(widthField, widthText, "and a web is wider than 0 m");

  const PlantFieldSpec& ambientField = *FindPlantField("AmbientTemperature");
  const std::string ambientText(TrimBlanks(fields.Text(ambientField.name)));
  if (!ambientText.empty()) plant.AmbientTemperature = number(ambientField, ambientText);
  if (!(plant.AmbientTemperature >= kLowestAmbientTemperature &&
        plant.AmbientTemperature <= kHighestAmbientTemperature)) {
    Refuse(ambientField, ambientText, "and make-up air is drawn at -50 to 60 °C");
  }
  plant.LelMonitoring = YesOrNo(fields, *FindPlantField("LelMonitoring"));

  for (int zone = 1; zone <= kMaxZones; ++zone) {
    plant.AirFromExhaust[zone] = YesOrNo(fields, *FindPlantField(ZoneAirFieldName(zone)));
    const PlantFieldSpec& field = *FindPlantField(ExhaustFieldName(zone));
    const std::string text(TrimBlanks(fields.Text(field.name)));
    if (text.empty()) continue;
    const double exhaust = number(field, text);
    if (exhaust < 0) Refuse(field, text, "and an exhaust air flow is not below 0");
    plant.Exhaust[zone] = exhaust;
  }
  return plant;
}

}  // namespace quillmere
