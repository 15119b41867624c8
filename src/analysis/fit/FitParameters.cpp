#include "analysis/fit/FitParameters.h"

#include <algorithm>
#include <set>

#include "base/NumberText.h"
#include "base/PrintableText.h"
#include "base/Text.h"
#include "report/CsvText.h"

namespace quillmere {
namespace {

//! Fitting parameter indices (FittingFields order: Wi, We, Wx, Wy, Keff, Chi1p, Chi2p, Chi12).
constexpr int kWi = 0;
constexpr int kWe = 1;
constexpr int kWx = 2;
constexpr int kWy = 3;
constexpr int kKeff = 4;

//! The order that the correction factor's break points keep, lowest first.
constexpr std::array<int, 3> kOrder{kWe, kWx, kWi};

//! Keff scales the upper heat transfer coefficient: at 0 or below nothing would dry. The
//! smallest value a fit may give it by default [-].
constexpr double kLowestKeff = 1e-6;

int OrderPosition(int fitting) {
  for (std::size_t c = 0; c < kOrder.size(); ++c) {
    if (kOrder[c] == fitting) return static_cast<int>(c);
  }
  return -1;
}

std::string Number(double value) {
  return CsvNumber(value);
}

std::string FittingList() {
  std::string list;
  for (std::size_t i = 0; i < FittingFields().size(); ++i) {
    if (i > 0) list += i + 1 == FittingFields().size() ? " and " : ", ";
    list += InputName(*FittingFields()[i]);
  }
  return list;
}

//! "did you mean Keff, We or Wi?": the fitting parameters closest to a name that is none.
std::string Suggestion(std::string_view name) {
  std::vector<std::string> names;
  for (const std::string& candidate : ClosestInputNames(name, 2 * AllFields().size())) {
    const FieldSpec* field = FindInput(candidate);
    if (field == nullptr || FittingIndex(*field) < 0 || candidate != InputName(*field)) continue;
    if (std::find(names.begin(), names.end(), candidate) == names.end()) {
      names.push_back(candidate);
    }
    if (names.size() == 3) break;
  }
  std::string text = "did you mean ";
  for (std::size_t i = 0; i < names.size(); ++i) {
    if (i > 0) text += i + 1 == names.size() ? " or " : ", ";
    text += names[i];
  }
  return text + "?";
}

//! The fitting parameter named `name`, or FitParameterError naming `option`.
const FieldSpec& FittingField(std::string_view option, std::string_view name) {
  const FieldSpec* field = FindInput(name);
  if (field == nullptr) {
    throw FitParameterError(std::string(option) + ": " + Quoted(name) + " is not an input name; " +
                            Suggestion(name));
  }
  if (FittingIndex(*field) < 0) {
    throw FitParameterError(std::string(option) + ": " + InputName(*field) +
                            " is not a fitting parameter; only " + FittingList() +
                            " can be fitted");
  }
  return *field;
}

std::optional<Bound> DefaultLower(int fitting) {
  if (fitting == kWi || fitting == kWe || fitting == kWx || fitting == kWy) {
    return Bound{0.0, BoundSource::Default};
  }
  if (fitting == kKeff) return Bound{kLowestKeff, BoundSource::Default};
  return std::nullopt;
}

std::optional<Bound> DefaultUpper(int fitting) {
  if (fitting == kWi || fitting == kWe || fitting == kWx || fitting == kWy) {
    return Bound{1.0, BoundSource::Default};
  }
  return std::nullopt;
}

std::string BoundsText(const FreeParameter& p) {
  return (p.Lower ? Number(p.Lower->Value) : std::string("-inf")) + " to " +
         (p.Upper ? Number(p.Upper->Value) : std::string("inf"));
}

}  // namespace

const std::array<const FieldSpec*, kFittingParameterCount>& FittingFields() {
  static const std::array<const FieldSpec*, kFittingParameterCount> fields = [] {
    std::array<const FieldSpec*, kFittingParameterCount> found{};
    std::size_t n = 0;
    for (const FieldSpec& field : AllFields()) {
      if (field.group == FieldGroup::Fitting && n < found.size()) found[n++] = &field;
    }
    return found;
  }();
  return fields;
}

int FittingIndex(const FieldSpec& field) {
  const auto& fields = FittingFields();
  for (std::size_t i = 0; i < fields.size(); ++i) {
    if (fields[i] == &field) return static_cast<int>(i);
  }
  return -1;
}

int OrderRank(const FieldSpec& field) {
  return OrderPosition(FittingIndex(field));
}

std::string_view OrderName(int rank) {
  constexpr std::array<std::string_view, kOrder.size()> kNames{"We", "Wx", "Wi"};
  return kNames[static_cast<std::size_t>(rank)];
}

FittingValues FittingValuesOf(const ParameterSet& params) {
  FittingValues values{};
  for (std::size_t i = 0; i < values.size(); ++i) values[i] = params.*FittingFields()[i]->member;
  return values;
}

std::vector<FreeParameter> ParseFreeParameters(const std::vector<std::string>& lists) {
  std::vector<FreeParameter> free;
  for (const std::string& list : lists) {
    std::string_view rest = list;
    while (!rest.empty()) {
      const std::size_t comma = rest.find(',');
      const std::string_view name = TrimBlanks(rest.substr(0, comma));
      rest.remove_prefix(comma == std::string_view::npos ? rest.size() : comma + 1);
      if (name.empty()) continue;
      const FieldSpec& field = FittingField("--free", name);
      for (const FreeParameter& before : free) {
        if (before.Field == &field) {
          throw FitParameterError("--free: " + InputName(field) + " is named twice");
        }
      }
      const int fitting = FittingIndex(field);
      free.push_back({&field, InputName(field), DefaultLower(fitting), DefaultUpper(fitting)});
    }
  }
  if (free.empty()) throw FitParameterError("--free names no parameter to fit");
  return free;
}

void ApplyBounds(std::vector<FreeParameter>& free, const std::vector<std::string>& bounds,
                 char decimalSeparator) {
  std::set<const FieldSpec*> given;
  for (const std::string& text : bounds) {
    const std::string option = "--bounds " + PrintableText(text);
    const std::size_t equals = text.find('=');
    const std::size_t colon = text.find(':', equals == std::string::npos ? 0 : equals);
    if (equals == std::string::npos || colon == std::string::npos) {
      throw FitParameterError(option + ": write NAME=LO:HI (a side left empty is unbounded)");
    }
    const FieldSpec& field =
        FittingField(option, TrimBlanks(std::string_view(text).substr(0, equals)));
    const auto parameter = std::find_if(free.begin(), free.end(),
                                        [&](const FreeParameter& p) { return p.Field == &field; });
    if (parameter == free.end()) {
      throw FitParameterError(option + ": " + InputName(field) + " is not free (see --free)");
    }
    if (!given.insert(&field).second) {
      throw FitParameterError(option + ": " + InputName(field) + " has bounds twice");
    }
    const auto side = [&](std::string_view number) -> std::optional<Bound> {
      number = TrimBlanks(number);
      if (number.empty()) return std::nullopt;
      std::optional<double> value = ParseNumber(number, '.');
      if (!value) value = ParseNumber(number, decimalSeparator);
      if (!value) throw FitParameterError(option + ": " + Quoted(number) + " is not a number");
      return Bound{*value, BoundSource::Given};
    };
    const std::optional<Bound> lower =
        side(std::string_view(text).substr(equals + 1, colon - equals - 1));
    const std::optional<Bound> upper = side(std::string_view(text).substr(colon + 1));
    if (lower && upper && !(lower->Value < upper->Value)) {
      throw FitParameterError(option + ": the lower bound must be less than the upper");
    }
    parameter->Lower = lower;
    parameter->Upper = upper;
  }
}

ParameterMap::ParameterMap(std::vector<FreeParameter> free,
                           const std::vector<FittingValues>& trials)
    : free_(std::move(free)),
      roles_(free_.size(), VariableRole::Value),
      previous_(free_.size(), -1) {
  std::array<int, kOrder.size()> freeAt{-1, -1, -1};
  for (std::size_t i = 0; i < free_.size(); ++i) {
    const int c = OrderPosition(FittingIndex(*free_[i].Field));
    if (c >= 0) freeAt[static_cast<std::size_t>(c)] = static_cast<int>(i);
    start_.push_back(trials.front()[static_cast<std::size_t>(FittingIndex(*free_[i].Field))]);
  }
  const auto tightenLower = [](FreeParameter& p, double value) {
    if (!p.Lower || value > p.Lower->Value) p.Lower = Bound{value, BoundSource::Order};
  };
  const auto tightenUpper = [](FreeParameter& p, double value) {
    if (!p.Upper || value < p.Upper->Value) p.Upper = Bound{value, BoundSource::Order};
  };
  // Fixed members of the order bound the free ones above and below them, in every trial.
  for (std::size_t c = 0; c < kOrder.size(); ++c) {
    if (freeAt[c] < 0) continue;
    FreeParameter& p = free_[static_cast<std::size_t>(freeAt[c])];
    for (std::size_t other = 0; other < kOrder.size(); ++other) {
      if (freeAt[other] >= 0 || other == c) continue;
      for (const FittingValues& trial : trials) {
        const double fixed = trial[static_cast<std::size_t>(kOrder[other])];
        if (other < c) tightenLower(p, fixed);
        if (other > c) tightenUpper(p, fixed);
      }
    }
  }
  // Within a run of free members, no one can lie below the lowest one's lower bound or above
  // the highest one's upper bound.
  for (std::size_t c = 1; c < kOrder.size(); ++c) {
    if (freeAt[c] < 0 || freeAt[c - 1] < 0) continue;
    const FreeParameter& below = free_[static_cast<std::size_t>(freeAt[c - 1])];
    if (below.Lower) tightenLower(free_[static_cast<std::size_t>(freeAt[c])], below.Lower->Value);
  }
  for (std::size_t c = kOrder.size() - 1; c-- > 0;) {
    if (freeAt[c] < 0 || freeAt[c + 1] < 0) continue;
    const FreeParameter& above = free_[static_cast<std::size_t>(freeAt[c + 1])];
    if (above.Upper) tightenUpper(free_[static_cast<std::size_t>(freeAt[c])], above.Upper->Value);
  }
  for (const FreeParameter& p : free_) {
    if (p.Lower && p.Upper && !(p.Lower->Value < p.Upper->Value)) {
      throw FitParameterError("The bounds of " + p.Name + " leave it no room: " + BoundsText(p) +
                              " (We < Wx < Wi bounds it by the fixed ones)");
    }
  }
  for (std::size_t c = 0; c < kOrder.size(); ++c) {
    if (freeAt[c] < 0) continue;
    order_.push_back(static_cast<std::size_t>(freeAt[c]));
    if (c > 0 && freeAt[c - 1] >= 0) {
      const auto i = static_cast<std::size_t>(freeAt[c]);
      roles_[i] = free_[i].Upper ? VariableRole::Fraction : VariableRole::Gap;
      previous_[i] = freeAt[c - 1];
    }
  }
  for (std::size_t i = 0; i < free_.size(); ++i) {
    if (OrderPosition(FittingIndex(*free_[i].Field)) < 0) order_.push_back(i);
  }
  for (std::size_t i = 0; i < free_.size(); ++i) {
    const FreeParameter& p = free_[i];
    if ((p.Lower && start_[i] < p.Lower->Value) || (p.Upper && start_[i] > p.Upper->Value)) {
      throw FitParameterError(p.Name + " starts at " + Number(start_[i]) +
                                  " (the first trial's data file), outside its bounds " +
                                  BoundsText(p),
                              ErrorKind::InputRefused);
    }
    if (previous_[i] >= 0 && start_[i] < start_[static_cast<std::size_t>(previous_[i])]) {
      const FreeParameter& before = free_[static_cast<std::size_t>(previous_[i])];
      throw FitParameterError(before.Name + " " +
                                  Number(start_[static_cast<std::size_t>(previous_[i])]) + " and " +
                                  p.Name + " " + Number(start_[i]) +
                                  " break the order We < Wx < Wi at the start (the first trial's "
                                  "data file)",
                              ErrorKind::InputRefused);
    }
  }
}

std::optional<double> ParameterMap::VariableLower(std::size_t i) const {
  if (roles_[i] != VariableRole::Value) return 0.0;
  if (!free_[i].Lower) return std::nullopt;
  return free_[i].Lower->Value;
}

std::optional<double> ParameterMap::VariableUpper(std::size_t i) const {
  if (roles_[i] == VariableRole::Fraction) return 1.0;
  if (roles_[i] == VariableRole::Gap || !free_[i].Upper) return std::nullopt;
  return free_[i].Upper->Value;
}

void ParameterMap::ToValues(const double* variables, double* values) const {
  for (const std::size_t i : order_) {
    if (roles_[i] == VariableRole::Value) {
      values[i] = variables[i];
      continue;
    }
    // The room starts at the one before (or at the own lower bound when that is higher).
    const double before = values[previous_[i]];
    const double from = free_[i].Lower ? std::max(free_[i].Lower->Value, before) : before;
    values[i] = roles_[i] == VariableRole::Gap
                    ? from + variables[i]
                    : from + variables[i] * (free_[i].Upper->Value - from);
  }
}

void ParameterMap::ToVariables(const double* values, double* variables) const {
  for (const std::size_t i : order_) {
    if (roles_[i] == VariableRole::Value) {
      variables[i] = values[i];
      continue;
    }
    const double before = values[previous_[i]];
    const double from = free_[i].Lower ? std::max(free_[i].Lower->Value, before) : before;
    if (roles_[i] == VariableRole::Gap) {
      variables[i] = values[i] - from;
    } else {
      const double room = free_[i].Upper->Value - from;
      variables[i] = room > 0 ? (values[i] - from) / room : 0.0;
    }
  }
}

FittingValues ParameterMap::WithValues(const FittingValues& trial,
                                       const std::vector<double>& values) const {
  FittingValues with = trial;
  for (std::size_t i = 0; i < free_.size(); ++i) {
    with[static_cast<std::size_t>(FittingIndex(*free_[i].Field))] = values[i];
  }
  return with;
}

std::string_view BoundSideName(BoundSide side) {
  switch (side) {
    case BoundSide::Lower:
      return "lower";
    case BoundSide::Upper:
      return "upper";
    case BoundSide::None:
      break;
  }
  return "";
}

BoundSide BoundReached(const FreeParameter& parameter, double value) {
  if (parameter.Lower && value <= parameter.Lower->Value) return BoundSide::Lower;
  if (parameter.Upper && value >= parameter.Upper->Value) return BoundSide::Upper;
  return BoundSide::None;
}

std::vector<ConstraintCheck> CheckConstraints(const ParameterMap& map,
                                              const std::vector<FittingValues>& trials,
                                              const std::vector<double>& values) {
  std::vector<FittingValues> fitted;
  for (const FittingValues& trial : trials) fitted.push_back(map.WithValues(trial, values));
  // The values of the parameters a constraint concerns, once for each trial that differs.
  const auto valuesOf = [&](std::initializer_list<int> which) {
    std::vector<ConstraintCheck::TrialValues> list;
    std::set<std::vector<double>> seen;
    for (std::size_t t = 0; t < fitted.size(); ++t) {
      ConstraintCheck::TrialValues these{static_cast<int>(t + 1), {}};
      std::vector<double> key;
      for (const int f : which) {
        const double value = fitted[t][static_cast<std::size_t>(f)];
        these.Values.emplace_back(InputName(*FittingFields()[static_cast<std::size_t>(f)]), value);
        key.push_back(value);
      }
      if (seen.insert(key).second) list.push_back(std::move(these));
    }
    return list;
  };

  ConstraintCheck order{"We < Wx < Wi", true, false, valuesOf({kWe, kWx, kWi}), {}};
  ConstraintCheck knee{"0 <= Wy <= 1", true, false, valuesOf({kWy}), {}};
  ConstraintCheck keff{"Keff > 0", true, false, valuesOf({kKeff}), {}};
  for (const FittingValues& v : fitted) {
    order.Held = order.Held && v[kWe] <= v[kWx] && v[kWx] <= v[kWi];
    order.Active = order.Active || v[kWe] == v[kWx] || v[kWx] == v[kWi];
    knee.Held = knee.Held && v[kWy] >= 0 && v[kWy] <= 1;
    knee.Active = knee.Active || v[kWy] == 0 || v[kWy] == 1;
    keff.Held = keff.Held && v[kKeff] > 0;
  }
  std::vector<ConstraintCheck> checks{order, knee, keff};
  for (std::size_t i = 0; i < map.Size(); ++i) {
    const FreeParameter& p = map.Parameters()[i];
    const BoundSide side = BoundReached(p, values[i]);
    if (side == BoundSide::None) continue;
    const Bound& bound = side == BoundSide::Lower ? *p.Lower : *p.Upper;
    const int fitting = FittingIndex(*p.Field);
    std::size_t c = 0;
    if (OrderPosition(fitting) >= 0) {
      c = 0;
    } else if (fitting == kWy) {
      c = 1;
    } else if (fitting == kKeff) {
      c = 2;
    } else {
      checks.push_back({p.Name + " within its bounds", true, false, {}, {}});
      c = checks.size() - 1;
    }
    checks[c].Active = true;
    checks[c].OnBounds.push_back({p.Name, side, bound.Value, bound.Source});
  }
  return checks;
}

}  // namespace quillmere
