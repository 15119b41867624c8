#include "report/ResultFile.h"

#include <algorithm>
#include <array>
#include <cmath>
#include <cstring>
#include <stdexcept>
#include <utility>

#include "base/FormatFixed.h"
#include "base/PrintableText.h"
#include "params/FieldTable.h"
#include "report/CodePage.h"

namespace quillmere {
namespace {

constexpr std::string_view kLineEnd = "\r\n";

// ---- value lines --------------------------------------------------------------------------

// The six conditions of a zone: the same texts and formats in the echo (zone 1) and in the
// conditions block of every further zone. The two temperature labels carry "℃", so their "="
// stands one character to the left and, in code page 932, at the same byte as the others.
constexpr std::array<ValueLineLayout, 6> kZoneConditionLines{{
    {"Outer Temperature (℃)", 5, 55, 6, 2},
    {"Zone Length (m)", 5, 56, 6, 2},
    {"Solvent-1 Absolute Humidity", 5, 56, 8, 6},
    {"Solvent-2 Absolute Humidity", 5, 56, 8, 6},
    {"Heat Trans. Coeff. - Upper (kJ/m2.s.K)", 5, 56, 7, 5},
    {"Heat Trans. Coeff. - Lower (kJ/m2.s.K)", 5, 56, 7, 5},
}};

// The value lines of the input echo, in the order of the echo and of a data file's first 41
// lines. The polymer's two lines keep their "=" one column left of all others.
constexpr std::array<EchoValueLine, 41> kEchoValueLines{{
    // Solid (polymer)
    {{"Specific Heat of Polymer (kJ/kg.K)", 4, 55, 4, 3}, "Edit211"},
    {{"Density of Polymer (g/cm3)", 4, 55, 5, 3}, "Edit212"},
    // Solvent-1
    {{"Specific Heat of Solvent-1 (kJ/kg.K)", 4, 56, 4, 3}, "Edit221"},
    {{"Heat of Vaporization of Solvent-1 (kJ/kg)", 4, 56, 7, 2}, "Edit222"},
    {{"Diffusion Coefficient of Solvent-1 in Air (m2/s)", 4, 56, 11, 9}, "Edit223"},
    {{"Vapor Pressure Parameter A of Solvent-1", 4, 56, 9, 6}, "Edit224"},
    {{"Vapor Pressure Parameter B of Solvent-1", 4, 56, 8, 3}, "Edit225"},
    {{"Vapor Pressure Parameter C of Solvent-1", 4, 56, 8, 3}, "Edit226"},
    {{"Density of Solvent-1 (g/cm3)", 4, 56, 5, 3}, "Edit227"},
    {{"Molecular Weight of Solvent-1", 4, 56, 6, 2}, "Edit228"},
    // Solvent-2
    {{"Specific Heat of Solvent-2 (kJ/kg.K)", 4, 56, 4, 3}, "Edit231"},
    {{"Heat of Vaporization of Solvent-2 (kJ/kg)", 4, 56, 7, 2}, "Edit232"},
    {{"Diffusion Coefficient of Solvent-2 in Air (m2/s)", 4, 56, 11, 9}, "Edit233"},
    {{"Vapor Pressure Parameter A of Solvent-2", 4, 56, 9, 6}, "Edit234"},
    {{"Vapor Pressure Parameter B of Solvent-2", 4, 56, 8, 3}, "Edit235"},
    {{"Vapor Pressure Parameter C of Solvent-2", 4, 56, 8, 3}, "Edit236"},
    {{"Density of Solvent-2 (g/cm3)", 4, 56, 5, 3}, "Edit237"},
    {{"Molecular Weight of Solvent-2", 4, 56, 6, 2}, "Edit238"},
    // Base film
    {{"Specific Heat of Base Film (kJ/kg.K)", 4, 56, 4, 3}, "Edit241"},
    // Fitting parameters
    {{"Drying Speed Correction Factor Wi", 4, 56, 4, 2}, "Edit201"},
    {{"Drying Speed Correction Factor We", 4, 56, 4, 2}, "Edit202"},
    {{"Drying Speed Correction Factor Wx", 4, 56, 4, 2}, "Edit203"},
    {{"Drying Speed Correction Factor Wy", 4, 56, 4, 2}, "Edit204"},
    {{"Dryer Efficiency Parameter Keff", 4, 56, 4, 2}, "Edit205"},
    {{"Interaction Parameter χ1p", 4, 55, 5, 3}, "Edit206"},
    {{"Interaction Parameter χ2p", 4, 55, 5, 3}, "Edit207"},
    {{"Interaction Parameter χ12", 4, 55, 5, 3}, "Edit208"},
    // Calculation accuracy
    {{"Increment of z (m)", 5, 56, 7, 5}, "Edit20"},
    // Operating conditions of zone 1: the start of the web, then the zone's conditions.
    {{"Initial  Coating Weight (kg/m2)", 5, 56, 8, 6}, "Edit1"},
    {{"Base Film Weight (kg/m2)", 5, 56, 8, 6}, "Edit2"},
    {{"Initial Solid Weight Ratio", 5, 56, 5, 3}, "Edit3"},
    {{"Initial Solvent-1 Weight Ratio", 5, 56, 5, 3}, "Edit4"},
    {{"Initial Solvent-2 Weight Ratio", 5, 56, 5, 3}, "Edit5"},
    {{"Speed (m/s)", 5, 56, 7, 3}, "Edit6"},
    {{"Initial Temperature (℃)", 5, 55, 6, 2}, "Edit7"},
    {kZoneConditionLines[0], "Edit8"},
    {kZoneConditionLines[1], "Edit9"},
    {kZoneConditionLines[2], "Edit10"},
    {kZoneConditionLines[3], "Edit11"},
    {kZoneConditionLines[4], "Edit12"},
    {kZoneConditionLines[5], "Edit13"},
}};

//! Lines of the echo that carry no value, each followed by `valueLines` lines of the next
//! value lines of kEchoValueLines.
struct EchoSection {
  std::span<const std::string_view> headingLines;
  std::size_t valueLines = 0;
};

constexpr std::string_view kUnderline9 = "  ---------";
constexpr std::string_view kZoneRule = "  -------";

constexpr std::array<std::string_view, 6> kPolymerHeading{
    "===================", "PHISICAL PROPERTIES", "===================", "",
    "  SOLID (POLYMER)",   "  ---------------"};
constexpr std::array<std::string_view, 3> kSolvent1Heading{"", "  SOLVENT-1", kUnderline9};
constexpr std::array<std::string_view, 3> kSolvent2Heading{"", "  SOLVENT-2", kUnderline9};
constexpr std::array<std::string_view, 3> kBaseFilmHeading{"", "  BASE FILM", kUnderline9};
constexpr std::array<std::string_view, 5> kFittingHeading{
    "", "", "==================", "FITTING PARAMETERS", "=================="};
constexpr std::array<std::string_view, 5> kAccuracyHeading{
    "", "", "====================", "CALCULATION ACCURACY", "===================="};
constexpr std::array<std::string_view, 5> kOperatingHeading{
    "", "", "===================", "OPERATING CONDITION", "==================="};
constexpr std::array<std::string_view, 4> kZone1Heading{"", kZoneRule, "  ZONE 1", kZoneRule};
constexpr std::array<std::string_view, 2> kEchoEnd{"", ""};

constexpr std::array<EchoSection, 9> kEchoSections{{
    {kPolymerHeading, 2},
    {kSolvent1Heading, 8},
    {kSolvent2Heading, 8},
    {kBaseFilmHeading, 1},
    {kFittingHeading, 8},
    {kAccuracyHeading, 1},
    {kOperatingHeading, 0},
    {kZone1Heading, 13},
    {kEchoEnd, 0},
}};

static_assert(
    [] {
      std::size_t values = 0;
      for (const EchoSection& section : kEchoSections) values += section.valueLines;
      return values;
    }() == kEchoValueLines.size(),
    "every value line of the echo has its place in a section");

//! Characters (code points) of a UTF-8 text: every byte that does not continue a sequence.
int CharacterCount(std::string_view utf8) {
  int count = 0;
  for (const char c : utf8) {
    if ((static_cast<unsigned char>(c) & 0xC0) != 0x80) ++count;
  }
  return count;
}

void AppendLine(std::string& text, std::string_view line) {
  text += line;
  text += kLineEnd;
}

void AppendValueLine(std::string& text, const ValueLineLayout& layout, double value,
                     char decimalSeparator) {
  char number[kFormatFixedCapacity];
  const std::size_t length =
      FormatFixedTo(number, value, layout.precision, layout.digits, decimalSeparator);
  AppendLine(text, ValueLine(layout, std::string_view(number, length)));
}

void CheckZone(int zone) {
  if (zone < 1 || zone > kMaxZones) {
    throw std::out_of_range("Zone " + std::to_string(zone) + " is not a dryer zone (1 to " +
                            std::to_string(kMaxZones) + ")");
  }
}

// ---- the zone table -----------------------------------------------------------------------

constexpr std::array<std::string_view, 4> kTableHeading{
    "  [SIMULATION RESULTS]",
    "   TIME     LENGTH     TEMP     WEIGHT1  RESIDUAL RAT1   WEIGHT2  RESIDUAL RAT2",
    "    (s)       (m)     (deg-C)   (kg/m2)       (-)         (kg/m2)       (-)",
    "",
};

//! One column of a table row: its format, the text lengths that are padded with blanks on the
//! left up to `width` (none when `width` is 0), and the blanks after it.
struct TableColumn {
  int precision;
  int digits;
  std::size_t shortestPadded;
  std::size_t width;
  std::size_t gapAfter;

  //! The blanks ahead of a text of `length` characters.
  [[nodiscard]] constexpr std::size_t PadFor(std::size_t length) const {
    return length >= shortestPadded && length < width ? width - length : 0;
  }
};

//! The length of `value` in fixed form with `digits` decimals as its integer digits make it
//! (a sign, at least one integer digit, the separator, the decimals); rounding may carry it
//! one digit further, and a value that rounds to zero loses its sign.
std::size_t LikelyFixedLength(double value, int digits) {
  const double magnitude = std::fabs(value);
  std::size_t integerDigits = 1;
  for (double next = 10; magnitude >= next && integerDigits < 20; next *= 10) ++integerDigits;
  return (std::signbit(value) ? 1 : 0) + integerDigits + 1 + static_cast<std::size_t>(digits);
}

enum TableColumnIndex : std::size_t {
  kTime,
  kLength,
  kTemperature,
  kSolvent1Weight,
  kSolvent1Residual,
  kSolvent2Weight,
  kSolvent2Residual,
  kTableColumns
};

constexpr std::array<TableColumn, kTableColumns> kColumns{{
    {8, 3, 5, 8, 3},  // TIME [s]
    {7, 3, 5, 7, 4},  // LENGTH [m]
    {6, 2, 4, 6, 4},  // TEMP [°C]
    {7, 5, 0, 0, 6},  // WEIGHT1 [kg/m2]
    {6, 4, 0, 0, 6},  // RESIDUAL RAT1 [-]
    {7, 5, 0, 0, 6},  // WEIGHT2 [kg/m2]
    {6, 4, 0, 0, 0},  // RESIDUAL RAT2 [-]
}};

//! Longest row: every text at the buffer's capacity.
constexpr std::size_t kLongestRow = kTableColumns * (kFormatFixedCapacity + 6);
//! A row with every text at its nominal width.
constexpr std::size_t kNominalRow = 76 + kLineEnd.size();

void AppendRow(std::string& text, const std::array<double, kTableColumns>& values,
               char decimalSeparator) {
  // Every copy and fill below has a fixed size, so that none of them is a call: blanks are laid
  // ahead of each text, the text formatted or copied over them at its place, and the row's end
  // moved on.
  constexpr std::size_t kBlanks = 8;  // more than any pad or gap
  char row[kLongestRow + kFormatFixedCapacity + kBlanks];
  char* end = row;
  for (std::size_t c = 0; c < kTableColumns; ++c) {
    const TableColumn& column = kColumns[c];
    const auto formatAt = [&](char* place) {
      return FormatFixedTo(place, values[c], column.precision, column.digits, decimalSeparator);
    };
    std::memset(end, ' ', kBlanks);
    if (column.width == 0) {
      // Never padded: formatted in place. (A copy of a text just written a few characters at a
      // time waits for those characters to be stored before it can read them.)
      end += formatAt(end);
    } else {
      const std::size_t likelyPad = column.PadFor(LikelyFixedLength(values[c], column.digits));
      std::size_t length = formatAt(end + likelyPad);
      const std::size_t pad = column.PadFor(length);
      if (pad != likelyPad) {  // rounding carried a digit, or a zero lost its sign
        std::memset(end, ' ', kBlanks);
        length = formatAt(end + pad);
      }
      end += pad + length;
    }
    std::memset(end, ' ', kBlanks);
    end += column.gapAfter;
  }
  end = std::copy(kLineEnd.begin(), kLineEnd.end(), end);
  text.append(row, end);
}

}  // namespace

std::span<const EchoValueLine> EchoValueLines() {
  return kEchoValueLines;
}

std::span<const ValueLineLayout> ZoneConditionLines() {
  return kZoneConditionLines;
}

std::string ValueLine(const ValueLineLayout& layout, std::string_view valueText) {
  std::string line(static_cast<std::size_t>(layout.lead), ' ');
  line += layout.label;
  const int used = layout.lead + CharacterCount(layout.label);
  if (used < layout.equalsColumn - 1) {
    line.append(static_cast<std::size_t>(layout.equalsColumn - 1 - used), ' ');
  }
  line += "=  ";
  line += valueText;
  return line;
}

std::string ResultHeaderText(const ParameterSet& params, double initialTemperature,
                             char decimalSeparator) {
  std::string text;
  text.reserve(6144);
  std::size_t next = 0;  // next value line of the echo
  for (const EchoSection& section : kEchoSections) {
    for (const std::string_view line : section.headingLines) AppendLine(text, line);
    for (std::size_t i = 0; i < section.valueLines; ++i, ++next) {
      const EchoValueLine& line = kEchoValueLines[next];
      const FieldSpec* field = FindField(line.field);
      if (field == nullptr) {
        throw std::logic_error("The echo prints the unknown field " + std::string(line.field));
      }
      AppendValueLine(text, line.layout, StoredValue(*field, params, initialTemperature),
                      decimalSeparator);
    }
  }
  return text;
}

std::string ZoneConditionsText(const ParameterSet& params, int zone, char decimalSeparator) {
  CheckZone(zone);
  std::string text;
  text.reserve(512);
  AppendLine(text, "");
  AppendLine(text, kZoneRule);
  AppendLine(text, "  ZONE " + std::to_string(zone));
  AppendLine(text, kZoneRule);
  for (std::size_t i = 0; i < kZoneConditionLines.size(); ++i) {
    AppendValueLine(text, kZoneConditionLines[i], (params.Zones.*kZoneQuantities[i])[zone],
                    decimalSeparator);
  }
  AppendLine(text, "");
  AppendLine(text, "");
  return text;
}

void AppendZoneTableText(std::string& text, const ZoneView& zone, char decimalSeparator) {
  const std::size_t rows = static_cast<std::size_t>(zone.Steps()) + 1;
  text.reserve(text.size() + 160 + rows * kNominalRow);
  for (const std::string_view line : kTableHeading) AppendLine(text, line);
  for (int s = 0; s <= zone.Steps(); ++s) {
    const TracePoint point = zone.At(s);
    AppendRow(text,
              {point.Time, point.ZonePosition, point.Temperature, point.Solvent1Weight,
               point.Solvent1Residual, point.Solvent2Weight, point.Solvent2Residual},
              decimalSeparator);
  }
}

std::string ZoneTableText(const ZoneView& zone, char decimalSeparator) {
  std::string text;
  AppendZoneTableText(text, zone, decimalSeparator);
  return text;
}

// ---- the file -----------------------------------------------------------------------------

ResultFile::ResultFile(const ParameterSet& params, char decimalSeparator, UserMessages& messages,
                       ResultFileOptions options)
    : params_(params),
      decimalSeparator_(decimalSeparator),
      messages_(messages),
      options_(std::move(options)) {}

Outcome<> ResultFile::WriteStep(OutputFile::Mode mode, std::string_view bytes) {
  if (options_.ToStandardOutput) {
    if (!standardOutput_) standardOutput_.emplace(OutputFile::StandardOutput("result file"));
    standardOutput_->Write(bytes);
    return {};
  }
  std::optional<OutputFile> file;
  try {
    const std::string& path =
        options_.WrittenTo.empty() ? params_.SaveFileName : options_.WrittenTo;
    file.emplace(OutputFile::Open(path, mode, "result file", params_.SaveFileName));
  } catch (const FileError& error) {
    messages_.ShowMessage(kFileCanNotOpen);
    messages_.ShowDetail(error.what());
    return Error(ErrorKind::File, std::string(kFileCanNotOpen), error.what());
  }
  if (mode == OutputFile::Mode::Create) {
    // Emptied only once it is known not to be the file the inputs came from.
    const LoadedDataFile* dataFile = options_.DataFile ? &*options_.DataFile : nullptr;
    if (dataFile != nullptr && dataFile->Identity && file->Identity() == dataFile->Identity) {
      const std::string message =
          "The result file " + Quoted(params_.SaveFileName) + " is the data file " +
          Quoted(dataFile->Name) +
          " of this run, which is left as it is. Choose another result file.";
      messages_.ShowMessage(message);
      return Error(ErrorKind::File, message);
    }
    file->Truncate();
  }
  file->Write(bytes);
  file->Close();
  return {};
}

Outcome<> ResultFile::WriteResultHeader(double initialTemperature) {
  return WriteStep(OutputFile::Mode::Create, EncodeCodePage932(ResultHeaderText(
                                                 params_, initialTemperature, decimalSeparator_)));
}

Outcome<> ResultFile::AppendZoneConditions(int zone) {
  return WriteStep(OutputFile::Mode::Append,
                   EncodeCodePage932(ZoneConditionsText(params_, zone, decimalSeparator_)));
}

Outcome<> ResultFile::AppendZoneTable(const ZoneView& zone) {
  // Table rows are ASCII, the same bytes in code page 932: written without conversion.
  text_.clear();
  AppendZoneTableText(text_, zone, decimalSeparator_);
  return WriteStep(OutputFile::Mode::Append, text_);
}

}  // namespace quillmere
