#include "analysis/fit/Measurements.h"

#include <algorithm>
#include <array>
#include <charconv>
#include <cmath>
#include <limits>
#include <optional>
#include <string>

#include "base/NumberText.h"
#include "base/PrintableText.h"
#include "base/Text.h"
#include "report/CodePage.h"
#include "report/CsvText.h"
#include "report/FileIO.h"

namespace quillmere {
namespace {

constexpr std::string_view kByteOrderMark = "\xEF\xBB\xBF";

//! What a column of the header holds.
struct Column {
  enum class Kind {
    Where,          //!< position_m or time_s
    Quantity,       //!< the name of the quantity measured (one measurement a line)
    Value,          //!< the measured value (one measurement a line)
    Sigma,          //!< its standard deviation (one measurement a line)
    QuantityValue,  //!< the values of one quantity (one column a quantity)
    QuantitySigma,  //!< their standard deviations (one column a quantity)
    Note,           //!< free text, not read
  };
  Kind kind = Kind::Note;
  MeasuredQuantity quantity = MeasuredQuantity::Temperature;
  std::string header;  //!< as the file writes it, for messages
  //! The unit in brackets behind the name, converted to the quantity's own:
  //! own = (written + Shift) * Scale; a standard deviation is only scaled.
  double Shift = 0;
  double Scale = 1;
};

//! A unit a column may be written in, and how to reach the column's own unit from it.
struct UnitConversion {
  std::string_view Unit;  //!< lower case, without blanks
  double Shift = 0;
  double Scale = 1;
};

std::string Lower(std::string_view text) {
  std::string lower(text);
  for (char& c : lower) {
    if (c >= 'A' && c <= 'Z') c = static_cast<char>(c - 'A' + 'a');
  }
  return lower;
}

//! The unit in brackets at the end of a column's name ("°F" of "Temperature [°F]"), trimmed;
//! nullopt when there is none.
std::optional<std::string_view> BracketedUnit(std::string_view text) {
  const std::string_view name = TrimBlanks(text);
  if (name.empty() || (name.back() != ')' && name.back() != ']')) return std::nullopt;
  const char open = name.back() == ')' ? '(' : '[';
  const std::size_t start = name.rfind(open);
  if (start == std::string_view::npos || start == 0) return std::nullopt;
  return TrimBlanks(name.substr(start + 1, name.size() - start - 2));
}

//! A name as compared: lower case, a unit in brackets at its end dropped, and blanks, "-" and
//! "_" left out ("Residual-1 (-)" and "residual1" are the same; "position_m" is "positionm").
std::string Compact(std::string_view text) {
  std::string_view name = TrimBlanks(text);
  if (BracketedUnit(name)) {
    name = TrimBlanks(name.substr(0, name.rfind(name.back() == ')' ? '(' : '[')));
  }
  std::string compact;
  for (const char c : Lower(name)) {
    if (c != ' ' && c != '\t' && c != '-' && c != '_') compact += c;
  }
  return compact;
}

std::optional<MeasuredQuantity> QuantityOf(std::string_view compact) {
  for (const MeasuredQuantity quantity : kMeasuredQuantities) {
    if (compact == QuantityName(quantity)) return quantity;
  }
  return std::nullopt;
}

std::string QuantityList() {
  std::string list;
  for (const MeasuredQuantity quantity : kMeasuredQuantities) {
    if (!list.empty()) list += quantity == kMeasuredQuantities.back() ? " or " : ", ";
    list += QuantityName(quantity);
  }
  return list;
}

std::optional<Column> ColumnOf(std::string_view header, std::optional<MeasurementAxis>& axis) {
  const std::string name = Compact(header);
  Column column;
  column.header = std::string(TrimBlanks(header));
  using Kind = Column::Kind;
  if (name == "positionm" || name == "position" || name == "times" || name == "time") {
    axis = name.starts_with("position") ? MeasurementAxis::Position : MeasurementAxis::Time;
    column.kind = Kind::Where;
    return column;
  }
  if (name == "quantity" || name == "value" || name == "sigma") {
    column.kind = name == "quantity" ? Kind::Quantity : name == "value" ? Kind::Value : Kind::Sigma;
    return column;
  }
  if (name == "note" || name == "notes" || name == "comment" || name == "comments") return column;
  if (const auto quantity = QuantityOf(name)) {
    column.kind = Kind::QuantityValue;
    column.quantity = *quantity;
    return column;
  }
  // A quantity's sigma: "temperature_sigma" or "sigma_temperature".
  constexpr std::string_view kSigma = "sigma";
  std::optional<MeasuredQuantity> quantity;
  if (name.ends_with(kSigma)) quantity = QuantityOf(name.substr(0, name.size() - kSigma.size()));
  if (!quantity && name.starts_with(kSigma)) quantity = QuantityOf(name.substr(kSigma.size()));
  if (!quantity) return std::nullopt;
  column.kind = Kind::QuantitySigma;
  column.quantity = *quantity;
  return column;
}

//! The units a column of `kind` (and `quantity`) may be written in, the column's own first.
std::vector<UnitConversion> UnitsOf(Column::Kind kind, MeasuredQuantity quantity,
                                    std::optional<MeasurementAxis> axis) {
  constexpr double kFahrenheit = 5.0 / 9.0;  // °C per °F
  using Kind = Column::Kind;
  if (kind == Kind::Where && axis == MeasurementAxis::Time) return {{"s"}, {"min", 0, 60}};
  if (kind == Kind::Where) return {{"m"}, {"mm", 0, 1e-3}, {"cm", 0, 1e-2}, {"ft", 0, 0.3048}};
  if (kind != Kind::QuantityValue && kind != Kind::QuantitySigma) return {};
  switch (quantity) {
    case MeasuredQuantity::Temperature:
      return {{"°c"},
              {"\u2103"},  // ℃, one character, as Japanese text writes it
              {"degc"},
              {"c"},
              {"°f", -32, kFahrenheit},
              {"\u2109", -32, kFahrenheit},  // ℉
              {"degf", -32, kFahrenheit},
              {"f", -32, kFahrenheit},
              {"k", -273.15, 1}};
    case MeasuredQuantity::Residual1:
    case MeasuredQuantity::Residual2:
      return {{"-"}, {""}, {"%", 0, 0.01}};
    case MeasuredQuantity::Weight1:
    case MeasuredQuantity::Weight2:
      return {{"kg/m2"}, {"kg/m²"}, {"g/m2", 0, 1e-3}, {"g/m²", 0, 1e-3}};
  }
  return {};
}

//! How the units of UnitsOf are written in a message.
std::string_view UnitChoices(Column::Kind kind, MeasuredQuantity quantity,
                             std::optional<MeasurementAxis> axis) {
  using Kind = Column::Kind;
  if (kind == Kind::Where) return axis == MeasurementAxis::Time ? "s or min" : "m, mm, cm or ft";
  switch (quantity) {
    case MeasuredQuantity::Temperature:
      return "°C, degC, °F, degF or K";
    case MeasuredQuantity::Residual1:
    case MeasuredQuantity::Residual2:
      return "- (a ratio) or %";
    case MeasuredQuantity::Weight1:
    case MeasuredQuantity::Weight2:
      return "kg/m2 or g/m2";
  }
  return "";
}

class MeasurementParser {
 public:
  explicit MeasurementParser(std::string_view name) { table_.Name = std::string(name); }

  MeasurementTable Parse(std::string_view text) {
    if (text.starts_with(kByteOrderMark)) text.remove_prefix(kByteOrderMark.size());
    std::vector<std::string> fields;
    int number = 0;
    while (!text.empty()) {
      ++number;
      const std::size_t end = text.find('\n');
      std::string_view line = text.substr(0, end);
      text.remove_prefix(end == std::string_view::npos ? text.size() : end + 1);
      if (line.ends_with('\r')) line.remove_suffix(1);
      if (TrimBlanks(line).starts_with('#')) continue;
      if (!SplitCsvLine(line, fields)) {
        Refuse(number, "a quotation mark is not closed, or stands inside a field");
      }
      if (std::all_of(fields.begin(), fields.end(),
                      [](const std::string& f) { return TrimBlanks(f).empty(); })) {
        continue;
      }
      if (columns_.empty()) {
        ReadHeader(number, line, fields);
      } else {
        ReadLine(number, fields);
      }
    }
    if (columns_.empty()) Refuse("it holds no header (a line naming the columns)");
    if (table_.Rows.empty()) Refuse("it holds no measurements");
    CheckSigmas();
    return std::move(table_);
  }

 private:
  using Kind = Column::Kind;

  [[noreturn]] void Refuse(std::string_view what) const {
    throw MeasurementError(Quoted(table_.Name) + ": " + std::string(what));
  }
  [[noreturn]] void Refuse(int line, std::string_view what) const {
    throw MeasurementError(Quoted(table_.Name) + ", line " + std::to_string(line) + ": " +
                           std::string(what));
  }
  [[noreturn]] void Refuse(int line, const Column& column, std::string_view what) const {
    throw MeasurementError(Quoted(table_.Name) + ", line " + std::to_string(line) + ", " +
                           PrintableText(column.header) + ": " + std::string(what));
  }

  void ReadHeader(int line, std::string_view text, const std::vector<std::string>& fields) {
    if (fields.size() == 1 && text.find_first_of(";\t") != std::string_view::npos) {
      Refuse(line, std::string("the columns are separated by ") +
                       (text.find(';') != std::string_view::npos ? "\";\"" : "tabs") +
                       ": save the file as CSV with \",\" between the columns and \".\" as the "
                       "decimal point");
    }
    std::optional<MeasurementAxis> axis;
    for (std::size_t i = 0; i < fields.size(); ++i) {
      std::optional<MeasurementAxis> columnAxis;
      std::optional<Column> column = ColumnOf(fields[i], columnAxis);
      if (!column) {
        Refuse(line, "column " + std::to_string(i + 1) + " " + Quoted(TrimBlanks(fields[i])) +
                         " is none of position_m, time_s, quantity, value, sigma, " +
                         QuantityList() + ", a quantity's sigma (temperature_sigma) or note");
      }
      if (column->kind == Kind::Where && axis) {
        Refuse(line, "the place of a measurement is given twice (" + std::string(AxisName(*axis)) +
                         " and " + PrintableText(column->header) + "): keep one column");
      }
      if (columnAxis) axis = columnAxis;
      ConvertUnit(line, *column, fields[i], columnAxis);
      for (const Column& before : columns_) {
        if (column->kind != Kind::Note && before.kind == column->kind &&
            before.quantity == column->quantity) {
          Refuse(line, "the column " + PrintableText(column->header) + " is there twice");
        }
      }
      columns_.push_back(std::move(*column));
    }
    if (!axis) {
      Refuse(line,
             "no column gives the place of the measurements: name one position_m (from "
             "the dryer's entry, in m) or time_s (since the web entered the dryer, in s)");
    }
    table_.Axis = *axis;
    const auto has = [&](Kind kind) {
      return std::any_of(columns_.begin(), columns_.end(),
                         [&](const Column& c) { return c.kind == kind; });
    };
    const bool oneALine = has(Kind::Quantity) || has(Kind::Value) || has(Kind::Sigma);
    if (oneALine && (has(Kind::QuantityValue) || has(Kind::QuantitySigma))) {
      Refuse(line,
             "the header mixes the two layouts: either quantity, value and sigma columns "
             "(one measurement a line) or one column a quantity");
    }
    if (oneALine && (!has(Kind::Quantity) || !has(Kind::Value))) {
      Refuse(line, "one measurement a line needs both a quantity and a value column");
    }
    if (!oneALine && !has(Kind::QuantityValue)) {
      Refuse(line,
             "no column holds measurements: name the quantity in a quantity column with "
             "its value in a value column, or give one column a quantity (" +
                 QuantityList() + ")");
    }
    for (const Column& sigma : columns_) {
      if (sigma.kind != Kind::QuantitySigma) continue;
      const bool hasValues = std::any_of(columns_.begin(), columns_.end(), [&](const Column& c) {
        return c.kind == Kind::QuantityValue && c.quantity == sigma.quantity;
      });
      if (!hasValues) {
        Refuse(line, "the column " + PrintableText(sigma.header) + " has no column " +
                         std::string(QuantityName(sigma.quantity)) + " beside it");
      }
    }
    oneALine_ = oneALine;
    headerLine_ = line;
  }

  //! Sets the column's conversion from the unit in brackets behind its name; refuses a unit
  //! that is not converted, so that none is silently taken for the quantity's own.
  void ConvertUnit(int line, Column& column, std::string_view header,
                   std::optional<MeasurementAxis> axis) const {
    const std::optional<std::string_view> written = BracketedUnit(header);
    if (!written || column.kind == Kind::Note || column.kind == Kind::Quantity) return;
    std::string unit;
    for (const char c : Lower(*written)) {
      if (c != ' ' && c != '\t') unit += c;
    }
    const std::vector<UnitConversion> units = UnitsOf(column.kind, column.quantity, axis);
    for (const UnitConversion& known : units) {
      if (known.Unit == unit) {
        column.Shift = column.kind == Kind::QuantitySigma ? 0 : known.Shift;
        column.Scale = known.Scale;
        return;
      }
    }
    if (units.empty()) {
      Refuse(line, "the column " + PrintableText(column.header) + " gives a unit, " +
                       Quoted(*written) +
                       ", but holds values of several quantities: leave the unit out and write "
                       "each value in its quantity's unit (°C, a ratio, kg/m2)");
    }
    Refuse(line, "the unit " + Quoted(*written) + " of the column " + PrintableText(column.header) +
                     " is not converted: write " +
                     std::string(UnitChoices(column.kind, column.quantity, axis)));
  }

  double NumberIn(int line, const Column& column, std::string_view field) const {
    const std::string_view text = TrimBlanks(field);
    if (text.empty()) Refuse(line, column, "is empty");
    const std::optional<double> value = ParseDotNumber(text);
    if (!value) {
      std::string what = Quoted(text) + " is not a number";
      if (text.find(',') != std::string_view::npos) what += " (the decimal point is \".\")";
      Refuse(line, column, what);
    }
    return *value;
  }

  //! A standard deviation in the column's own unit: a positive normal number, so that its
  //! reciprocal, the measurement's weight, is finite.
  double SigmaIn(int line, const Column& column, std::string_view field) const {
    const double sigma = NumberIn(line, column, field) * column.Scale;
    if (!(sigma > 0)) Refuse(line, column, "a standard deviation must be greater than 0");
    if (sigma < std::numeric_limits<double>::min()) {
      Refuse(line, column,
             Quoted(TrimBlanks(field)) + " is too small for a standard deviation (the least is " +
                 CsvNumber(std::numeric_limits<double>::min()) + " in the quantity's unit)");
    }
    return sigma;
  }

  void ReadLine(int line, const std::vector<std::string>& fields) {
    if (fields.size() > columns_.size()) {
      const bool extraEmpty =
          std::all_of(fields.begin() + static_cast<long>(columns_.size()), fields.end(),
                      [](const std::string& f) { return TrimBlanks(f).empty(); });
      if (!extraEmpty) {
        Refuse(line, std::to_string(fields.size()) + " fields where the header names " +
                         std::to_string(columns_.size()) +
                         " columns (a decimal comma? the decimal point is \".\")");
      }
    }
    const auto field = [&](std::size_t i) -> std::string_view {
      return i < fields.size() ? std::string_view(fields[i]) : std::string_view();
    };
    double where = 0;
    for (std::size_t i = 0; i < columns_.size(); ++i) {
      if (columns_[i].kind == Kind::Where) {
        where = NumberIn(line, columns_[i], field(i)) * columns_[i].Scale;
      }
    }
    if (oneALine_) {
      Measurement m;
      m.Where = where;
      m.Line = line;
      for (std::size_t i = 0; i < columns_.size(); ++i) {
        const Column& column = columns_[i];
        if (column.kind == Kind::Quantity) {
          const std::string_view text = TrimBlanks(field(i));
          if (text.empty()) Refuse(line, column, "is empty");
          const std::optional<MeasuredQuantity> quantity = QuantityOf(Compact(text));
          if (!quantity) {
            Refuse(line, column, Quoted(text) + " is none of " + QuantityList());
          }
          m.Quantity = *quantity;
        } else if (column.kind == Kind::Value) {
          m.Value = NumberIn(line, column, field(i));
        } else if (column.kind == Kind::Sigma) {
          m.Sigma = SigmaIn(line, column, field(i));
        }
      }
      Keep(line, m);
      return;
    }
    for (std::size_t i = 0; i < columns_.size(); ++i) {
      const Column& column = columns_[i];
      if (column.kind != Kind::QuantityValue || TrimBlanks(field(i)).empty()) continue;
      Measurement m;
      m.Where = where;
      m.Line = line;
      m.Quantity = column.quantity;
      m.Value = (NumberIn(line, column, field(i)) + column.Shift) * column.Scale;
      for (std::size_t j = 0; j < columns_.size(); ++j) {
        if (columns_[j].kind == Kind::QuantitySigma && columns_[j].quantity == column.quantity) {
          m.Sigma = SigmaIn(line, columns_[j], field(j));
        }
      }
      Keep(line, m);
    }
  }

  void Keep(int line, const Measurement& m) {
    if (table_.Rows.size() == kMaxMeasurements) {
      Refuse(line, "more than " + std::to_string(kMaxMeasurements) +
                       " measurements, more than a measurement file holds");
    }
    table_.Rows.push_back(m);
  }

  //! Measurements with a sigma and without one cannot be weighed against each other.
  void CheckSigmas() {
    const auto withSigma = [](const Measurement& m) { return m.Sigma.has_value(); };
    const auto with = std::find_if(table_.Rows.begin(), table_.Rows.end(), withSigma);
    const auto without = std::find_if_not(table_.Rows.begin(), table_.Rows.end(), withSigma);
    if (with != table_.Rows.end() && without != table_.Rows.end()) {
      Refuse(headerLine_, std::string(QuantityName(with->Quantity)) + " has a sigma column and " +
                              std::string(QuantityName(without->Quantity)) +
                              " has none: give a sigma for every measurement or for none");
    }
    table_.HasSigma = with != table_.Rows.end();
  }

  MeasurementTable table_;
  std::vector<Column> columns_;
  bool oneALine_ = false;
  int headerLine_ = 0;
};

}  // namespace

std::string_view QuantityName(MeasuredQuantity quantity) {
  switch (quantity) {
    case MeasuredQuantity::Temperature:
      return "temperature";
    case MeasuredQuantity::Residual1:
      return "residual1";
    case MeasuredQuantity::Residual2:
      return "residual2";
    case MeasuredQuantity::Weight1:
      return "weight1";
    case MeasuredQuantity::Weight2:
      return "weight2";
  }
  return "";
}

std::string_view QuantityUnit(MeasuredQuantity quantity) {
  switch (quantity) {
    case MeasuredQuantity::Temperature:
      return "°C";
    case MeasuredQuantity::Residual1:
    case MeasuredQuantity::Residual2:
      return "-";
    case MeasuredQuantity::Weight1:
    case MeasuredQuantity::Weight2:
      return "kg/m2";
  }
  return "";
}

std::string_view AxisName(MeasurementAxis axis) {
  return axis == MeasurementAxis::Position ? "position_m" : "time_s";
}

MeasurementTable ParseMeasurements(std::string_view text, std::string_view name) {
  if (const std::string_view utf16 = Utf16Encoding(text); !utf16.empty()) {
    throw MeasurementError(Quoted(name) + ": the file is " + std::string(utf16) +
                           " text; save it as CSV in UTF-8 or ANSI (Shift-JIS)");
  }
  return MeasurementParser(name).Parse(DecodeUtf8OrCodePage932(text));
}

namespace {

std::optional<InputFile> OpenMeasurements(const std::string& path) {
  if (path == "-") return InputFile::StandardInput("measurement file");
  return InputFile::Open(path, "measurement file");
}

}  // namespace

MeasurementTable ReadMeasurements(const std::string& path) {
  std::optional<InputFile> file = OpenMeasurements(path);
  std::string bytes;
  std::array<char, 1 << 16> buffer;
  while (const std::size_t n = file->Read(buffer.data(), buffer.size())) {
    bytes.append(buffer.data(), n);
    if (bytes.size() > kMeasurementFileLimit) {
      throw MeasurementError(Quoted(file->Name()) + ": it is larger than " +
                             std::to_string(kMeasurementFileLimit / (1024 * 1024)) +
                             " MB, more than a measurement file holds");
    }
  }
  return ParseMeasurements(bytes, file->Name());
}

}  // namespace quillmere
