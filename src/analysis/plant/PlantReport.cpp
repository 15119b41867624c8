#include "analysis/plant/PlantReport.h"

#include <nlohmann/json.hpp>

#include "base/FormatFixed.h"
#include "base/PrintableText.h"
#include "params/PlantInputs.h"
#include "report/CsvText.h"

namespace quillmere {
namespace {

using Json = nlohmann::ordered_json;

std::string Column(const std::string& text, std::size_t width) {
  return text.size() < width ? std::string(width - text.size(), ' ') + text : " " + text;
}

Json Optional(const std::optional<double>& value) {
  return value ? Json(*value) : Json(nullptr);
}

Json Optional(const SolventValue& value) {
  return Optional(value.Value);
}

//! What the summary shows for a figure that cannot be formed.
constexpr std::string_view kUnknown = "unknown";

constexpr std::array<std::size_t, 11> kWidths{4, 8, 10, 9, 11, 8, 13, 9, 9, 9, 9};

std::string Row(const std::array<std::string, 11>& cells) {
  std::string line;
  for (std::size_t i = 0; i < cells.size(); ++i) line += Column(cells[i], kWidths[i]);
  return line + '\n';
}

}  // namespace

std::array<PlantSolvent, 2> PlantSolventsOf(const SolventLibrary& library,
                                            const FieldTexts& fields) {
  std::array<PlantSolvent, 2> solvents;
  for (int number = 1; number <= 2; ++number) {
    PlantSolvent& s = solvents[static_cast<std::size_t>(number - 1)];
    s.Name = fields.Text(SolventNameField(number));
    if (s.Name.empty()) s.Name = kAsSpecified;
    if (const Solvent* safety = SafetyEntry(library, fields, number)) {
      s.LelPercent = safety->Lel.Value;
      s.Flammable = safety->Flammable;
    }
    if (const Solvent* chosen = library.Find(s.Name)) {
      s.Name = chosen->Name;
      s.AntoineRange = std::array<double, 2>{chosen->AntoineMin, chosen->AntoineMax};
    }
  }
  return solvents;
}

std::string SolventLines(const SolventLibrary& library, const FieldTexts& fields) {
  std::string text;
  for (int number = 1; number <= 2; ++number) {
    std::string name = fields.Text(SolventNameField(number));
    if (name.empty()) name = kAsSpecified;
    text += "Solvent-" + std::to_string(number) + ": ";
    const Solvent* chosen = library.Find(name);
    const Solvent* safety = SafetyEntry(library, fields, number);
    text += chosen ? PrintableText(chosen->Name) + " (" + PrintableText(chosen->Cas) + ")"
                   : PrintableText(name);
    if (!chosen && safety) text += " (LEL and flash point of " + PrintableText(safety->Name) + ")";
    if (safety) {
      if (!safety->Flammable) {
        text += ", not flammable";
      } else {
        text +=
            ", LEL " + (safety->Lel.Value ? PrintableText(safety->Lel.Text) + " %" : "not known");
        if (safety->FlashPoint.Value) {
          text += ", flash point " + PrintableText(safety->FlashPoint.Text) + " °C";
        }
      }
    }
    text += '\n';
  }
  return text;
}

std::string PlantSummaryText(const PlantFigures& figures, const PlantInputs& plant,
                             char separator) {
  const auto f = [separator](double value, int digits) {
    return FormatFixed(value, 18, digits, separator);
  };
  const auto optional = [&](const std::optional<double>& value, int digits) {
    return value ? f(*value, digits) : std::string(kUnknown);
  };
  std::string text = "\n";
  text += Row({"ZONE", "AIR", "SOLVENT", "LEL MIX", "EXHAUST", "%LEL", "MIN EXHAUST", "QWEB",
               "LATENT", "QAIR", "TOTAL"});
  text += Row({"", "(deg-C)", "(kg/h)", "(%)", "(Nm3/h)", "(%)", "(Nm3/h)", "(kW)", "(kW)", "(kW)",
               "(kW)"});
  bool sized = false;
  for (const ZonePlant& z : figures.Zones) {
    sized = sized || z.ExhaustSized;
    // No LEL of the mixture where nothing flammable evaporates ("-"); unknown where one does.
    const std::string lel = z.LelPercent   ? f(*z.LelPercent, 3)
                            : z.PercentLel ? "-"
                                           : std::string(kUnknown);
    text += Row({std::to_string(z.Zone), f(z.AirTemperature, 1),
                 f(z.Evaporated[0] + z.Evaporated[1], 2), lel,
                 optional(z.Exhaust, 0) + (z.ExhaustSized ? "*" : " "), optional(z.PercentLel, 2),
                 optional(z.MinimumExhaust, 0) + " ", f(z.WebHeat, 2), f(z.LatentHeat, 2),
                 optional(z.AirHeat, 2), optional(z.TotalHeat(), 2)});
  }
  const std::string partial = figures.Incomplete ? "+" : "";
  text += Row({"ALL", "", f(figures.TotalSolvent, 2), "",
               f(figures.TotalExhaust, 0) + (figures.Incomplete ? "+" : " "), "", "", "", "", "",
               f(figures.TotalHeat, 2) + partial});
  text += "Limit: " + f(plant.LelMonitoring ? 100 * kMonitoredLelLimit : 100 * kLelLimit, 0) +
          " % of the LEL (" +
          (plant.LelMonitoring ? "continuous LEL monitoring" : "no continuous LEL monitoring") +
          "); web width " + f(plant.WebWidth, 3) + " m; make-up air from " +
          f(plant.AmbientTemperature, 1) + " deg-C.\n";
  if (sized) text += "* sized: the least exhaust that keeps the zone within the limit.\n";
  if (figures.Incomplete) {
    text +=
        "+ incomplete: the totals leave out the exhaust and make-up air of the zones whose "
        "exhaust is unknown.\n";
  }
  if (!figures.WorstPercentLel && !figures.Zones.empty()) {
    text += "The line's worst %LEL is unknown: the LEL of a zone's vapour is not known.\n";
  }
  if (figures.EnergyPerSolvent) {
    text += "Energy: " + f(*figures.EnergyPerSolvent, 2) + " MJ per kg of solvent evaporated.\n";
  }
  text +=
      "QWEB is what the zone's air gives the web, its latent part included; QAIR heats the "
      "make-up air. Casing losses and fan heat are not modelled.\n";
  return text;
}

std::string PlantZonesCsv(const PlantFigures& figures) {
  std::string text =
      "zone,air_temperature_C,solvent1_evaporated_kg_h,solvent2_evaporated_kg_h,"
      "solvent1_kmol_h,solvent2_kmol_h,mixture_lel_percent,exhaust_Nm3_h,exhaust_sized,"
      "percent_of_lel,limit_percent_of_lel,minimum_exhaust_Nm3_h,web_heat_kW,latent_heat_kW,"
      "sensible_heat_kW,air_heat_kW,total_heat_kW,exhaust_percent_of_lel,"
      "stated_solvent1_kg_kg,stated_solvent2_kg_kg,stated_percent_of_lel,"
      "exhaust_solvent1_kg_kg,exhaust_solvent2_kg_kg\n";
  const auto number = [&text](double value) {
    AppendCsvNumber(text, value);
    text += ',';
  };
  const auto optional = [&text](const std::optional<double>& value) {
    if (value) AppendCsvNumber(text, *value);
    text += ',';
  };
  for (const ZonePlant& z : figures.Zones) {
    text += std::to_string(z.Zone) + ',';
    for (const double value :
         {z.AirTemperature, z.Evaporated[0], z.Evaporated[1], z.Molar[0], z.Molar[1]}) {
      number(value);
    }
    optional(z.LelPercent);
    optional(z.Exhaust);
    text += z.ExhaustSized ? "yes," : "no,";
    optional(z.PercentLel);
    number(z.LimitPercent);
    optional(z.MinimumExhaust);
    for (const double value : {z.WebHeat, z.LatentHeat, z.SensibleHeat}) number(value);
    optional(z.AirHeat);
    optional(z.TotalHeat());
    optional(z.ExhaustPercentLel);
    number(z.StatedAir[0]);
    number(z.StatedAir[1]);
    optional(z.StatedPercentLel);
    optional(z.ExhaustAir ? std::optional<double>((*z.ExhaustAir)[0]) : std::nullopt);
    if (z.ExhaustAir) AppendCsvNumber(text, (*z.ExhaustAir)[1]);
    text += '\n';
  }
  return text;
}

std::string PlantJsonMembers(const SolventLibrary& library, const FieldTexts& fields,
                             const std::optional<PlantInputs>& plant,
                             const std::optional<PlantFigures>& figures) {
  Json members = Json::object();
  Json solvents = Json::array();
  for (int number = 1; number <= 2; ++number) {
    std::string name = fields.Text(SolventNameField(number));
    if (name.empty()) name = kAsSpecified;
    const Solvent* chosen = library.Find(name);
    const Solvent* safety = SafetyEntry(library, fields, number);
    Json s = Json::object();
    s["solvent"] = number;
    s["name"] = chosen ? chosen->Name : name;
    s["cas"] = chosen ? Json(chosen->Cas) : Json(nullptr);
    s["library"] = chosen ? Json(chosen->Library) : Json(nullptr);
    s["antoine_range_C"] =
        chosen ? Json::array({chosen->AntoineMin, chosen->AntoineMax}) : Json(nullptr);
    s["safety_data_of"] = safety ? Json(safety->Name) : Json(nullptr);
    s["flammable"] = safety ? Json(safety->Flammable) : Json(nullptr);
    s["lel_percent"] = safety ? Optional(safety->Lel) : Json(nullptr);
    s["flash_point_C"] = safety ? Optional(safety->FlashPoint) : Json(nullptr);
    solvents.push_back(std::move(s));
  }
  members["solvents"] = std::move(solvents);
  if (plant && figures) {
    Json p = Json::object();
    Json inputs = Json::object();
    inputs["web_width_m"] = plant->WebWidth;
    inputs["ambient_temperature_C"] = plant->AmbientTemperature;
    inputs["lel_monitoring"] = plant->LelMonitoring;
    Json airFromExhaust = Json::array();
    for (int zone = 1; zone <= kMaxZones; ++zone) {
      if (plant->AirFromExhaust[zone]) airFromExhaust.push_back(zone);
    }
    inputs["air_from_exhaust_zones"] = std::move(airFromExhaust);
    p["inputs"] = std::move(inputs);
    Json zones = Json::array();
    for (const ZonePlant& z : figures->Zones) {
      Json zone = Json::object();
      zone["zone"] = z.Zone;
      zone["air_temperature_C"] = z.AirTemperature;
      zone["evaporated_kg_h"] = Json::array({z.Evaporated[0], z.Evaporated[1]});
      zone["evaporated_kmol_h"] = Json::array({z.Molar[0], z.Molar[1]});
      zone["mixture_lel_percent"] = Optional(z.LelPercent);
      zone["exhaust_Nm3_h"] = Optional(z.Exhaust);
      zone["exhaust_sized"] = z.ExhaustSized;
      zone["percent_of_lel"] = Optional(z.PercentLel);
      zone["limit_percent_of_lel"] = z.LimitPercent;
      zone["minimum_exhaust_Nm3_h"] = Optional(z.MinimumExhaust);
      zone["web_heat_kW"] = z.WebHeat;
      zone["latent_heat_kW"] = z.LatentHeat;
      zone["sensible_heat_kW"] = z.SensibleHeat;
      zone["air_heat_kW"] = Optional(z.AirHeat);
      zone["total_heat_kW"] = Optional(z.TotalHeat());
      zone["exhaust_percent_of_lel"] = Optional(z.ExhaustPercentLel);
      zone["stated_air_kg_kg"] = Json::array({z.StatedAir[0], z.StatedAir[1]});
      zone["stated_percent_of_lel"] = Optional(z.StatedPercentLel);
      zone["exhaust_air_kg_kg"] =
          z.ExhaustAir ? Json::array({(*z.ExhaustAir)[0], (*z.ExhaustAir)[1]}) : Json(nullptr);
      zones.push_back(std::move(zone));
    }
    p["zones"] = std::move(zones);
    Json totals = Json::object();
    // An incomplete total is no total: null, with what is known beside it.
    const auto total = [&](double value) {
      return figures->Incomplete ? Json(nullptr) : Json(value);
    };
    totals["heat_kW"] = total(figures->TotalHeat);
    totals["exhaust_Nm3_h"] = total(figures->TotalExhaust);
    totals["complete"] = !figures->Incomplete;
    totals["known_heat_kW"] = figures->TotalHeat;
    totals["known_exhaust_Nm3_h"] = figures->TotalExhaust;
    totals["solvent_kg_h"] = figures->TotalSolvent;
    totals["energy_MJ_per_kg_solvent"] = Optional(figures->EnergyPerSolvent);
    totals["worst_percent_of_lel"] = Optional(figures->WorstPercentLel);
    totals["worst_zone"] = figures->WorstZone == 0 ? Json(nullptr) : Json(figures->WorstZone);
    p["totals"] = std::move(totals);
    p["warnings"] = figures->Warnings;
    p["not_modelled"] = "casing losses, fan heat";
    members["plant"] = std::move(p);
  }
  return members.dump(-1, ' ', false, Json::error_handler_t::replace);
}

}  // namespace quillmere
