#include "analysis/sweep/SweepGrid.h"

#include <charconv>
#include <cmath>
#include <limits>
#include <optional>

#include "base/FloatingPointGuard.h"
#include "base/NumberText.h"
#include "base/PrintableText.h"
#include "base/Text.h"
#include "report/CsvText.h"

namespace quillmere {
namespace {

constexpr std::string_view kValueForms =
    "write a:b:n (n values from a to b), a:b:n:log (geometric) or a list a,b,c";

std::vector<std::string_view> Split(std::string_view text, char separator) {
  std::vector<std::string_view> parts;
  std::size_t start = 0;
  for (;;) {
    const std::size_t end = text.find(separator, start);
    parts.push_back(text.substr(start, end == std::string_view::npos ? end : end - start));
    if (end == std::string_view::npos) return parts;
    start = end + 1;
  }
}

double Number(std::string_view part, std::string_view whole) {
  const std::optional<double> value = ParseNumber(part, '.');
  if (!value) {
    throw SweepInputError(Quoted(part) + " in " + Quoted(whole) +
                          " is not a number (numbers are written with \".\")");
  }
  return *value;
}

std::size_t Count(std::string_view part, std::string_view whole) {
  std::size_t count = 0;
  const auto [end, error] = std::from_chars(part.data(), part.data() + part.size(), count);
  if (error != std::errc{} || end != part.data() + part.size() || count < 1 ||
      count > SweepGrid::kMaxCases) {
    throw SweepInputError(Quoted(whole) + ": the count " + Quoted(part) +
                          " must be a whole number from 1 to " +
                          std::to_string(SweepGrid::kMaxCases));
  }
  return count;
}

std::vector<double> Range(std::string_view text, const std::vector<std::string_view>& parts) {
  if (parts.size() < 3 || parts.size() > 4 ||
      (parts.size() == 4 && !SameIgnoringCase(parts[3], "log"))) {
    throw SweepInputError(Quoted(text) + " is not a range: " + std::string(kValueForms));
  }
  const double a = Number(parts[0], text);
  const double b = Number(parts[1], text);
  const std::size_t n = Count(parts[2], text);
  const bool geometric = parts.size() == 4;
  if (n == 1 && a != b) {
    throw SweepInputError(Quoted(text) + ": one value cannot include both ends; give a count of " +
                          "at least 2");
  }
  if (geometric && !((a > 0 && b > 0) || (a < 0 && b < 0))) {
    throw SweepInputError(Quoted(text) +
                          ": a geometric range needs two ends of the same sign, neither of them 0");
  }
  std::vector<double> values(n);
  values.front() = a;
  values.back() = b;
  ClearFloatingPointFaults();
  const double last = static_cast<double>(n - 1);
  const double sign = a < 0 ? -1.0 : 1.0;
  const double logA = geometric ? std::log(sign * a) : 0.0;
  const double logB = geometric ? std::log(sign * b) : 0.0;
  for (std::size_t i = 1; i + 1 < n; ++i) {
    const double k = static_cast<double>(i);
    // To 15 significant digits, so that a range of tenths gives 0.3 and not
    // 0.30000000000000004: the value that is then applied is the one the table shows.
    values[i] = geometric ? RoundedToDigits(sign * std::exp(logA + (logB - logA) * k / last), 15)
                          : RoundedToDigits((a * (last - k) + b * k) / last, 15);
  }
  if (FloatingPointFaultRaised({values.empty() ? 0.0 : values[n / 2]})) {
    throw SweepInputError(Quoted(text) +
                          ": the values between the ends are beyond the range of "
                          "numbers");
  }
  return values;
}

}  // namespace

std::vector<double> ParseSweepValues(std::string_view text) {
  if (text.find(':') != std::string_view::npos) return Range(text, Split(text, ':'));
  if (text.empty()) throw SweepInputError("No values given: " + std::string(kValueForms));
  std::vector<double> values;
  for (const std::string_view part : Split(text, ',')) values.push_back(Number(part, text));
  return values;
}

SweepAxis ParseSweepAxis(std::string_view text) {
  const std::size_t equals = text.find('=');
  if (equals == std::string_view::npos) {
    throw SweepInputError(Quoted(text) +
                          " gives no values: write NAME=VALUES, e.g. "
                          "Speed=0.5:2:4, and for VALUES " +
                          std::string(kValueForms));
  }
  const std::string_view name = text.substr(0, equals);
  if (name.empty()) throw SweepInputError(Quoted(text) + " names no input before \"=\"");
  const FieldSpec* field = FindInput(name);
  if (field == nullptr) {
    const std::vector<std::string> closest = ClosestInputNames(name);
    std::string list;
    for (std::size_t i = 0; i < closest.size(); ++i) {
      if (i > 0) list += i + 1 == closest.size() ? " or " : ", ";
      list += closest[i];
    }
    throw SweepInputError("There is no input " + Quoted(name) + "; did you mean " + list + "?");
  }
  const std::string inputName = InputName(*field);
  const std::string named = inputName + " (" + std::string(field->name) + ")";
  if (field->slot == FieldSlot::SaveFileName) {
    throw SweepInputError(named +
                          ", the name of the result file, cannot be varied; --results "
                          "DIR writes the result file of every case");
  }
  if (!field->enabled) {
    throw SweepInputError(named +
                          " is one of the eight fixed constants (the Antoine constants "
                          "and the molecular weights of both solvents), which cannot be varied");
  }
  try {
    return SweepAxis{field, inputName, ParseSweepValues(text.substr(equals + 1))};
  } catch (const SweepInputError& error) {
    throw SweepInputError(inputName + ": " + error.what());
  }
}

SweepGrid::SweepGrid(std::vector<SweepAxis> axes) : axes_(std::move(axes)) {
  strides_.assign(axes_.size(), 1);
  for (std::size_t i = 0; i < axes_.size(); ++i) {
    for (std::size_t j = 0; j < i; ++j) {
      if (axes_[j].Field == axes_[i].Field) {
        throw SweepInputError(axes_[i].Name + " is varied twice");
      }
    }
  }
  caseCount_ = 1;
  for (std::size_t i = axes_.size(); i-- > 0;) {
    strides_[i] = caseCount_;
    const std::size_t size = axes_[i].Values.size();
    if (size == 0) throw SweepInputError(axes_[i].Name + " takes no values");
    if (caseCount_ > std::numeric_limits<std::size_t>::max() / size) {
      throw SweepInputError("The grid would have more than " +
                            std::to_string(std::numeric_limits<std::size_t>::max()) +
                            " cases, more than a case number can count");
    }
    caseCount_ *= size;
  }
}

double SweepGrid::Value(std::size_t caseIndex, std::size_t axis) const {
  const SweepAxis& a = axes_.at(axis);
  return a.Values[(caseIndex / strides_[axis]) % a.Values.size()];
}

std::vector<double> SweepGrid::Values(std::size_t caseIndex) const {
  std::vector<double> values(axes_.size());
  for (std::size_t axis = 0; axis < axes_.size(); ++axis) values[axis] = Value(caseIndex, axis);
  return values;
}

SweepShard ParseSweepShard(std::string_view text) {
  const std::size_t slash = text.find('/');
  const auto number = [](std::string_view part) -> std::optional<std::size_t> {
    std::size_t value = 0;
    const auto [end, error] = std::from_chars(part.data(), part.data() + part.size(), value);
    if (error != std::errc{} || end != part.data() + part.size() || part.empty()) {
      return std::nullopt;
    }
    return value;
  };
  if (slash != std::string_view::npos) {
    const std::optional<std::size_t> index = number(text.substr(0, slash));
    const std::optional<std::size_t> count = number(text.substr(slash + 1));
    if (index && count && *index >= 1 && *index <= *count) return {*index, *count};
  }
  throw SweepInputError("The shard " + Quoted(text) +
                        " is not I/N with 1 <= I <= N (shard I of N runs every N-th case from "
                        "case I on)");
}

SweepCases ShardCases(std::size_t caseCount, SweepShard shard) {
  SweepCases cases;
  if (shard.Count == 0 || shard.Index == 0 || shard.Index > caseCount) return cases;
  cases.First = shard.Index - 1;
  cases.Step = shard.Count;
  cases.Count = (caseCount - 1 - cases.First) / cases.Step + 1;
  return cases;
}

}  // namespace quillmere
