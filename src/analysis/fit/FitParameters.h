// The fitting parameters that a fit varies ("free"), their bounds, and the map between their
// values and the solver's variables that keeps the drying speed correction factor meaningful:
// We < Wx < Wi (the factor rises from 0 at We through the knee at Wx to 1 at Wi), 0 <= Wy <= 1
// and Keff > 0. A solver knows bounds on each variable only, so a run of free parameters of
// the order We, Wx, Wi is varied as the first one's value followed, for each next one, by the
// fraction of the room between the one before it and its upper bound that it takes. A fixed
// member of the order bounds its free neighbours instead.
#pragma once

#include <array>
#include <optional>
#include <stdexcept>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include "base/Error.h"
#include "params/FieldTable.h"

namespace quillmere {

//! The eight fitting parameters, in the order of their fields (Edit201 to Edit208).
inline constexpr int kFittingParameterCount = 8;
using FittingValues = std::array<double, kFittingParameterCount>;

//! The fitting parameters' fields, Wi first.
const std::array<const FieldSpec*, kFittingParameterCount>& FittingFields();

//! The index (0 to 7) of a fitting parameter's field in FittingFields, or -1 for another field.
int FittingIndex(const FieldSpec& field);

//! The place of a fitting parameter in the order We < Wx < Wi (0, 1, 2), -1 for the others.
int OrderRank(const FieldSpec& field);

//! The name of the member of the order at `rank` ("We", "Wx", "Wi").
std::string_view OrderName(int rank);

//! The values of the eight fitting parameters in an acquired parameter set.
FittingValues FittingValuesOf(const ParameterSet& params);

//! A bad --free or --bounds argument; the text says which and why.
class FitParameterError : public Error {
 public:
  //! A wrong option is a usage error; start values of a data file outside their bounds are
  //! refused input.
  explicit FitParameterError(const std::string& text, ErrorKind kind = ErrorKind::Usage)
      : Error(kind, text) {}
};

//! Where a bound comes from, for the report.
enum class BoundSource {
  None,     //!< unbounded on that side
  Default,  //!< the range in which the parameter keeps its meaning
  Given,    //!< --bounds
  Order,    //!< a fixed member of We < Wx < Wi (or the bound of a free neighbour in it)
};

struct Bound {
  double Value = 0;
  BoundSource Source = BoundSource::None;
};

//! A parameter that the fit varies, shared by all trials.
struct FreeParameter {
  const FieldSpec* Field = nullptr;
  std::string Name;            //!< as users address it ("Keff")
  std::optional<Bound> Lower;  //!< none: unbounded below
  std::optional<Bound> Upper;
};

//! The parameters named by the --free lists ("Keff,Wi,We"; names in any case, also as field
//! names "Edit205"), in the order named, with their default bounds. Throws FitParameterError
//! for a name that is no input (with the closest fitting parameters' names), an input that is
//! not a fitting parameter, or a name given twice.
std::vector<FreeParameter> ParseFreeParameters(const std::vector<std::string>& lists);

//! Applies --bounds texts "NAME=LO:HI" (either side may be empty: unbounded) over the default
//! bounds. Numbers are read with "." or with `decimalSeparator`. Throws FitParameterError.
void ApplyBounds(std::vector<FreeParameter>& free, const std::vector<std::string>& bounds,
                 char decimalSeparator);

//! How one free parameter's value follows from the solver's variables.
enum class VariableRole {
  Value,     //!< the variable is the value itself, bounded like it
  Fraction,  //!< 0 to 1: the share of the room from the one before it to its upper bound
  Gap,       //!< 0 and up: the step above the one before it (no upper bound)
};

//! The map between the free parameters' values (in the order of FreeParameter) and the
//! solver's variables (one each, same order).
class ParameterMap {
 public:
  //! `trials` holds the fitting parameters of each trial (its data file); the free ones
  //! start from the first trial's values. Tightens the bounds of the free members of
  //! We < Wx < Wi by the fixed ones of every trial and by each other. Throws FitParameterError
  //! when the bounds leave no room, or when a start value lies outside its bounds or breaks
  //! the order.
  ParameterMap(std::vector<FreeParameter> free, const std::vector<FittingValues>& trials);

  std::size_t Size() const { return free_.size(); }
  //! The free parameters with the bounds in force (tightened by the order).
  const std::vector<FreeParameter>& Parameters() const { return free_; }
  VariableRole Role(std::size_t i) const { return roles_[i]; }
  std::optional<double> VariableLower(std::size_t i) const;
  std::optional<double> VariableUpper(std::size_t i) const;

  //! The start values (from the first trial).
  const std::vector<double>& StartValues() const { return start_; }

  void ToValues(const double* variables, double* values) const;
  void ToVariables(const double* values, double* variables) const;

  //! The trial's fitting parameters with the free ones set to `values`.
  FittingValues WithValues(const FittingValues& trial, const std::vector<double>& values) const;

 private:
  std::vector<FreeParameter> free_;
  std::vector<VariableRole> roles_;
  std::vector<int> previous_;       //!< the free member of the order before a Fraction or Gap
  std::vector<std::size_t> order_;  //!< members of the order first, in its order, then the rest
  std::vector<double> start_;
};

//! Which of its bounds a free parameter's value lies on.
enum class BoundSide { None, Lower, Upper };

//! "lower", "upper", or "" for none: as the reports name the side.
std::string_view BoundSideName(BoundSide side);

//! What a constraint on the fitting parameters is and whether the fitted values meet it.
struct ConstraintCheck {
  //! The values of the parameters it concerns in one trial.
  struct TrialValues {
    int Trial = 1;  //!< 1 is the first
    std::vector<std::pair<std::string, double>> Values;
  };
  //! A free parameter that lies on one of its bounds.
  struct BoundContact {
    std::string Name;
    BoundSide Side = BoundSide::None;
    double Value = 0;
    BoundSource Source = BoundSource::None;
  };
  std::string Text;                 //!< "We < Wx < Wi"
  bool Held = true;                 //!< by the values of every trial (equality allowed)
  bool Active = false;              //!< met with equality, or a free parameter lies on a bound
  std::vector<TrialValues> Values;  //!< the first trial's, then each trial's that differ
  std::vector<BoundContact> OnBounds;
};

//! Checks the constraints (We < Wx < Wi, 0 <= Wy <= 1, Keff > 0) for the trials' fitting
//! parameters with the free ones at `values`; a free parameter lying on a bound is named.
std::vector<ConstraintCheck> CheckConstraints(const ParameterMap& map,
                                              const std::vector<FittingValues>& trials,
                                              const std::vector<double>& values);

//! The bound of free parameter `parameter` that `value` lies on, if any.
BoundSide BoundReached(const FreeParameter& parameter, double value);

}  // namespace quillmere
