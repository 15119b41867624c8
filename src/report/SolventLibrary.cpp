#include "report/SolventLibrary.h"

#include <algorithm>
#include <array>
#include <charconv>
#include <cmath>
#include <cstdlib>
#include <map>

#include "base/EditDistance.h"
#include "base/Error.h"
#include "base/NumberText.h"
#include "base/PrintableText.h"
#include "base/Text.h"
#include "params/FieldTable.h"
#include "report/CsvText.h"
#include "report/FileIO.h"

namespace quillmere {

// The library's text as built in (ShippedSolvents.cpp, generated from data/solvents.csv).
extern const std::string_view kShippedSolventLibrary;

namespace {

constexpr std::string_view kShippedName = "the shipped solvent library";

//! What a file saved as "UTF-8 with BOM" starts with.
constexpr std::string_view kByteOrderMark = "\xEF\xBB\xBF";

//! The properties a run takes from a chosen solvent, with their columns.
constexpr std::array<std::pair<SolventValue Solvent::*, std::string_view>, 4> kRunProperties{{
    {&Solvent::SpecificHeat, "specific_heat_kJ_kgK"},
    {&Solvent::HeatOfVaporization, "heat_of_vaporization_kJ_kg"},
    {&Solvent::Diffusivity, "diffusivity_m2_s"},
    {&Solvent::Density, "density_g_cm3"},
}};

//! A solvent's value that a field of the main window holds, in the order of SolventFieldNames:
//! its member, its name and unit as warnings give them, and whether it is a fixed constant (its
//! field disabled, filled by every choice).
struct FieldProperty {
  SolventValue Solvent::*Value;
  std::string_view Name;
  std::string_view Unit;
  bool Fixed;
};
constexpr std::array<FieldProperty, 8> kFieldProperties{{
    {&Solvent::SpecificHeat, "specific heat", " kJ/kg.K", false},
    {&Solvent::HeatOfVaporization, "heat of vaporization", " kJ/kg", false},
    {&Solvent::Diffusivity, "diffusion coefficient", " m2/s", false},
    {&Solvent::AntoineA, "Antoine A", "", true},
    {&Solvent::AntoineB, "Antoine B", "", true},
    {&Solvent::AntoineC, "Antoine C", "", true},
    {&Solvent::Density, "density", " g/cm3", false},
    {&Solvent::MolecularWeight, "molecular weight", " kg/kmol", true},
}};

//! A name as the index keys it: ASCII letters in lower case, as SameIgnoringCase compares.
std::string IndexKey(std::string_view name) {
  std::string key(name);
  for (char& c : key) {
    if (c >= 'A' && c <= 'Z') c = static_cast<char>(c - 'A' + 'a');
  }
  return key;
}

//! The columns of a library, by name.
constexpr std::array<std::string_view, 25> kColumns{
    "name",
    "cas",
    "antoine_a",
    "antoine_b",
    "antoine_c",
    "antoine_min_C",
    "antoine_max_C",
    "antoine_source",
    "boiling_point_C",
    "boiling_point_source",
    "molecular_weight",
    "molecular_weight_source",
    "density_g_cm3",
    "density_temperature_C",
    "density_source",
    "specific_heat_kJ_kgK",
    "specific_heat_source",
    "heat_of_vaporization_kJ_kg",
    "heat_of_vaporization_source",
    "diffusivity_m2_s",
    "diffusivity_source",
    "lel_percent",
    "lel_source",
    "flash_point_C",
    "flash_point_source",
};

class LibraryParser {
 public:
  explicit LibraryParser(std::string_view fileName) : fileName_(fileName) {}

  std::vector<Solvent> Parse(std::string_view text) {
    if (text.starts_with(kByteOrderMark)) text.remove_prefix(kByteOrderMark.size());
    std::vector<Solvent> entries;
    std::vector<std::string> fields;
    bool header = false;
    while (!text.empty()) {
      ++line_;
      const std::size_t end = text.find('\n');
      std::string_view row = text.substr(0, end);
      text.remove_prefix(end == std::string_view::npos ? text.size() : end + 1);
      if (row.ends_with('\r')) row.remove_suffix(1);
      if (TrimBlanks(row).empty() || TrimBlanks(row).starts_with('#')) continue;
      if (!SplitCsvLine(row, fields)) Refuse("a quotation mark is not closed");
      for (std::string& field : fields) field = std::string(TrimBlanks(field));
      if (!header) {
        ReadHeader(fields);
        header = true;
      } else {
        entries.push_back(ReadEntry(fields));
      }
    }
    if (!header) Refuse("it holds no header naming the columns");
    return entries;
  }

 private:
  [[noreturn]] void Refuse(const std::string& reason) const {
    throw Error(ErrorKind::InputRefused,
                "The solvent library " + Quoted(fileName_) + " is not correct!",
                "Line " + std::to_string(line_) + ": " + reason + ".");
  }

  void ReadHeader(const std::vector<std::string>& fields) {
    for (const std::string_view column : kColumns) {
      const auto it = std::find(fields.begin(), fields.end(), column);
      if (it == fields.end()) Refuse("the header lacks the column " + Quoted(column));
      index_[std::string(column)] = static_cast<std::size_t>(it - fields.begin());
    }
  }

  std::string Cell(const std::vector<std::string>& fields, std::string_view column) const {
    const std::size_t i = index_.at(std::string(column));
    return i < fields.size() ? fields[i] : std::string();
  }

  SolventValue Value(const std::vector<std::string>& fields, std::string_view column,
                     std::string_view sourceColumn, bool required) const {
    SolventValue value;
    value.Text = Cell(fields, column);
    value.Source = sourceColumn.empty() ? std::string() : Cell(fields, sourceColumn);
    if (value.Text.empty()) {
      if (required) Refuse("the column " + Quoted(column) + " is empty");
      return value;
    }
    value.Value = ParseDotNumber(value.Text);
    if (!value.Value) {
      Refuse("the column " + Quoted(column) + " holds " + Quoted(value.Text) +
             ", which is not a number written with \".\"");
    }
    return value;
  }

  //! A value that, where given, is above 0.
  SolventValue Positive(const std::vector<std::string>& fields, std::string_view column,
                        std::string_view sourceColumn, bool required) const {
    SolventValue value = Value(fields, column, sourceColumn, required);
    if (value.Value && !(*value.Value > 0)) {
      Refuse("the column " + Quoted(column) + " holds " + Quoted(value.Text) +
             ", which is not above 0");
    }
    return value;
  }

  Solvent ReadEntry(const std::vector<std::string>& fields) const {
    Solvent s;
    s.Name = Cell(fields, "name");
    if (s.Name.empty()) Refuse("the column \"name\" is empty");
    if (SameIgnoringCase(s.Name, kAsSpecified)) {
      Refuse("the name " + Quoted(s.Name) + " is that of the pair of the original inputs");
    }
    s.Cas = Cell(fields, "cas");
    s.AntoineA = Value(fields, "antoine_a", "antoine_source", true);
    s.AntoineB = Value(fields, "antoine_b", "antoine_source", true);
    s.AntoineC = Value(fields, "antoine_c", "antoine_source", true);
    s.AntoineMin = *Value(fields, "antoine_min_C", "", true).Value;
    s.AntoineMax = *Value(fields, "antoine_max_C", "", true).Value;
    if (s.AntoineMin > s.AntoineMax) Refuse("the Antoine range ends below its start");
    s.BoilingPoint = Value(fields, "boiling_point_C", "boiling_point_source", false);
    s.MolecularWeight = Positive(fields, "molecular_weight", "molecular_weight_source", true);
    s.Density = Positive(fields, "density_g_cm3", "density_source", false);
    s.DensityTemperature = Value(fields, "density_temperature_C", "", false).Value.value_or(0);
    s.SpecificHeat = Positive(fields, "specific_heat_kJ_kgK", "specific_heat_source", false);
    s.HeatOfVaporization =
        Positive(fields, "heat_of_vaporization_kJ_kg", "heat_of_vaporization_source", false);
    s.Diffusivity = Positive(fields, "diffusivity_m2_s", "diffusivity_source", false);
    if (SameIgnoringCase(Cell(fields, "lel_percent"), "none")) {
      s.Flammable = false;
      s.Lel.Text = "none";
      s.Lel.Source = Cell(fields, "lel_source");
    } else {
      s.Lel = Value(fields, "lel_percent", "lel_source", false);
      if (s.Lel.Value && !(*s.Lel.Value > 0 && *s.Lel.Value <= 100)) {
        Refuse("the column \"lel_percent\" holds " + Quoted(s.Lel.Text) +
               ", but an LEL is above 0 and at most 100 %");
      }
    }
    s.FlashPoint = Value(fields, "flash_point_C", "flash_point_source", false);
    s.Library = std::string(fileName_);
    return s;
  }

  std::string_view fileName_;
  int line_ = 0;
  std::map<std::string, std::size_t> index_;
};

//! The bytes of a library file, up to kSolventLibraryByteLimit: a larger file (a device that
//! never ends) is refused after reading no more than that.
std::string ReadWholeFile(const std::string& path) {
  std::string bytes;
  std::array<char, 1 << 16> buffer;
  try {
    InputFile file = InputFile::Open(path, "solvent library");
    while (const std::size_t n = file.Read(buffer.data(), buffer.size())) {
      if (bytes.size() + n > kSolventLibraryByteLimit) {
        throw Error(ErrorKind::InputRefused,
                    "The solvent library " + Quoted(path) + " is not correct!",
                    "It is larger than " + std::to_string(kSolventLibraryByteLimit >> 20) +
                        " MiB; a library of solvents is far smaller.");
      }
      bytes.append(buffer.data(), n);
    }
  } catch (const FileError& e) {
    throw Error(ErrorKind::File, e.what());
  }
  return bytes;
}

//! A field text from a library text: "." replaced by the separator in force.
std::string FieldText(std::string text, char decimalSeparator) {
  std::replace(text.begin(), text.end(), '.', decimalSeparator);
  return text;
}

}  // namespace

SolventLibrary::SolventLibrary(std::vector<Solvent> entries) {
  Add(std::move(entries));
}

void SolventLibrary::Add(std::vector<Solvent> entries) {
  for (Solvent& entry : entries) {
    if (!entry.Library.empty() &&
        std::find(files_.begin(), files_.end(), entry.Library) == files_.end()) {
      files_.push_back(entry.Library);
    }
    const auto [slot, added] = index_.emplace(IndexKey(entry.Name), entries_.size());
    if (added) {
      entries_.push_back(std::move(entry));
    } else {
      entries_[slot->second] = std::move(entry);
    }
  }
}

const Solvent* SolventLibrary::Find(std::string_view name) const {
  const auto it = index_.find(IndexKey(name));
  return it == index_.end() ? nullptr : &entries_[it->second];
}

std::vector<std::string> SolventLibrary::UnreadWarnings() const {
  std::vector<std::string> warnings;
  for (const Error& why : unread_) {
    warnings.push_back(std::string(why.what()) + " " + why.Details() +
                       " Its solvents are not read; the shipped ones are.");
  }
  return warnings;
}

std::vector<Solvent> ParseSolventLibrary(std::string_view text, std::string_view fileName) {
  return LibraryParser(fileName).Parse(text);
}

std::vector<Solvent> ShippedSolvents() {
  return ParseSolventLibrary(kShippedSolventLibrary, kShippedName);
}

std::string UserSolventFile() {
  const char* dataHome = std::getenv("XDG_DATA_HOME");
  if (dataHome != nullptr && dataHome[0] == '/') {
    return std::string(dataHome) + "/quillmere/solvents.csv";
  }
  const char* home = std::getenv("HOME");
  if (home == nullptr || home[0] == '\0') return {};
  return std::string(home) + "/.local/share/quillmere/solvents.csv";
}

SolventLibrary LoadSolventLibrary(const std::optional<std::string>& extraFile) {
  SolventLibrary library(ShippedSolvents());
  const std::string userFile = UserSolventFile();
  if (!userFile.empty() && IdentityOfPath(userFile)) {
    // A user's file that does not read stops only a command that chooses a solvent.
    try {
      library.Add(ParseSolventLibrary(ReadWholeFile(userFile), userFile));
    } catch (const Error& why) {
      library.AddUnread(why);
    }
  }
  if (extraFile) library.Add(ParseSolventLibrary(ReadWholeFile(*extraFile), *extraFile));
  return library;
}

std::array<std::string, 8> SolventFieldNames(int number) {
  const int first = number == 1 ? 221 : 231;
  std::array<std::string, 8> names;
  for (int i = 0; i < 8; ++i)
    names[static_cast<std::size_t>(i)] = "Edit" + std::to_string(first + i);
  return names;
}

std::string SolventNameField(int number) {
  return "Solvent" + std::to_string(number) + "Name";
}

void ApplySolventChoice(FieldTexts& fields, int number, const Solvent* solvent,
                        char decimalSeparator, bool properties) {
  const std::array<std::string, 8> names = SolventFieldNames(number);
  fields.SetText(SolventNameField(number), solvent ? solvent->Name : std::string(kAsSpecified));
  for (std::size_t i = 0; i < names.size(); ++i) {
    const FieldProperty& property = kFieldProperties[i];
    if (!property.Fixed && !properties) continue;
    std::string text;
    if (solvent == nullptr) {
      text = DefaultText(*FindField(names[i]), decimalSeparator);
    } else {
      const SolventValue& value = solvent->*property.Value;
      if (value.Text.empty()) continue;
      text = FieldText(value.Text, decimalSeparator);
    }
    fields.SetText(names[i], text);
  }
}

std::vector<std::string> UnconfirmedValueWarnings(const SolventLibrary& library,
                                                  const FieldTexts& fields) {
  std::vector<std::string> warnings;
  for (int number = 1; number <= 2; ++number) {
    const std::string name(TrimBlanks(fields.Text(SolventNameField(number))));
    const Solvent* solvent = SameIgnoringCase(name, kAsSpecified) ? nullptr : library.Find(name);
    if (solvent == nullptr) continue;
    const std::array<std::string, 8> names = SolventFieldNames(number);
    for (std::size_t i = 0; i < names.size(); ++i) {
      const FieldProperty& property = kFieldProperties[i];
      const SolventValue& value = solvent->*property.Value;
      const std::string text(TrimBlanks(fields.Text(names[i])));
      std::string written = text;  // as the library writes it, with "."
      std::replace(written.begin(), written.end(), ',', '.');
      if (value.Source != kUnconfirmedSource || written != value.Text) continue;
      std::string warning = "Solvent-" + std::to_string(number) + " ";
      warning += Quoted(solvent->Name);
      warning += ": its ";
      warning += property.Name;
      warning += ", " + text;
      warning += property.Unit;
      warning += " (" + names[i] + "), is the solvent library's value, not yet checked against ";
      warning += "a printed source; where it matters, type a value of your own.";
      warnings.push_back(std::move(warning));
    }
  }
  return warnings;
}

std::string_view MissingRunProperty(const Solvent& solvent) {
  for (const auto& [value, column] : kRunProperties) {
    if (!(solvent.*value).Value) return column;
  }
  return {};
}

void RequireRunProperties(const Solvent& solvent, int number) {
  const std::string_view missing = MissingRunProperty(solvent);
  if (missing.empty()) return;
  throw Error(ErrorKind::InputRefused,
              "Solvent-" + std::to_string(number) + " " + Quoted(solvent.Name) +
                  " lacks a property a run needs!",
              "The solvent library " + Quoted(solvent.Library) + " gives no " +
                  std::string(missing) + " for it; give it there.");
}

std::vector<std::string> ClosestSolventNames(const SolventLibrary& library, std::string_view name,
                                             std::size_t count) {
  std::vector<std::pair<std::size_t, std::string>> ranked;
  for (const Solvent& s : library.Entries())
    ranked.emplace_back(EditDistance(name, s.Name), s.Name);
  std::stable_sort(ranked.begin(), ranked.end(),
                   [](const auto& a, const auto& b) { return a.first < b.first; });
  std::vector<std::string> closest;
  for (std::size_t i = 0; i < ranked.size() && closest.size() < count; ++i) {
    closest.push_back(ranked[i].second);
  }
  return closest;
}

void ApplySolventNames(const SolventLibrary& library, FieldTexts& fields, char decimalSeparator) {
  for (int number = 1; number <= 2; ++number) {
    const std::string name(TrimBlanks(fields.Text(SolventNameField(number))));
    if (name.empty() || SameIgnoringCase(name, kAsSpecified)) {
      ApplySolventChoice(fields, number, nullptr, decimalSeparator, false);
      continue;
    }
    if (!library.Unread().empty()) {
      const Error& why = library.Unread().front();
      throw Error(ErrorKind::InputRefused, why.what(),
                  why.Details() + " Solvent-" + std::to_string(number) + " " + Quoted(name) +
                      " is chosen and may be one of its solvents.");
    }
    const Solvent* solvent = library.Find(name);
    if (solvent == nullptr) {
      std::string closest;
      for (const std::string& candidate : ClosestSolventNames(library, name)) {
        closest += (closest.empty() ? "" : ", ") + Quoted(candidate);
      }
      throw Error(ErrorKind::InputRefused,
                  "Solvent-" + std::to_string(number) + " " + Quoted(name) +
                      " is not in the solvent library!",
                  "The closest names are " + closest + "; a solvent of your own goes into " +
                      (UserSolventFile().empty() ? std::string("a file named with --solvents")
                                                 : Quoted(UserSolventFile())) +
                      ".");
    }
    ApplySolventChoice(fields, number, solvent, decimalSeparator, false);
  }
}

const Solvent* SafetyEntry(const SolventLibrary& library, const FieldTexts& fields, int number) {
  const std::string name(TrimBlanks(fields.Text(SolventNameField(number))));
  if (name.empty() || SameIgnoringCase(name, kAsSpecified)) {
    return library.Find(number == 1 ? "MEK" : "Toluene");
  }
  return library.Find(name);
}

}  // namespace quillmere
