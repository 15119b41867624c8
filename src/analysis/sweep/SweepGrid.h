// A sweep: inputs varied over lists of values, every combination of their values one case,
// addressed by the names users see ("Speed", "Zone3.OuterTemperature", "Edit31").
#pragma once

#include <cstddef>
#include <stdexcept>
#include <string>
#include <string_view>
#include <vector>

#include "base/Error.h"
#include "params/FieldTable.h"

namespace quillmere {

//! A varied input that cannot be used: a misspelt name, a fixed constant, values that do not
//! read. The text says why, in the user's words.
class SweepInputError : public Error {
 public:
  explicit SweepInputError(const std::string& text) : Error(ErrorKind::Usage, text) {}
};

//! One varied input and the values it takes, in the order given.
struct SweepAxis {
  const FieldSpec* Field = nullptr;
  std::string Name;  //!< as users address the input: InputName(*Field)
  std::vector<double> Values;
};

//! The values of "a:b:n" (n values from a to b, both included, evenly spaced), "a:b:n:log"
//! (the same, geometrically spaced; a and b of one sign, not 0) or "a,b,c" (the values as
//! listed). Numbers are written with "." whatever the decimal separator of the fields.
//! Throws SweepInputError.
std::vector<double> ParseSweepValues(std::string_view text);

//! "NAME=VALUES": the input NAME stands for and its values. Names are those of InputName or a
//! field's own name, in any case. Refuses a misspelt name (with the closest names), the save
//! file name and the eight fixed constants. Throws SweepInputError.
SweepAxis ParseSweepAxis(std::string_view text);

//! Every combination of the axes' values: case 0 takes the first value of every axis, and the
//! last axis varies fastest, the first slowest (as nested loops in the order given).
class SweepGrid {
 public:
  //! Refuses an input varied twice and a grid whose case count a 64-bit number cannot hold.
  explicit SweepGrid(std::vector<SweepAxis> axes);

  //! The most values one range gives: each is held while the sweep runs (8 bytes a value),
  //! and the grid's cases are the product of its ranges.
  static constexpr std::size_t kMaxCases = 10'000'000;

  const std::vector<SweepAxis>& Axes() const { return axes_; }
  std::size_t CaseCount() const { return caseCount_; }
  //! The value of axis `axis` in case `caseIndex` (0-based).
  double Value(std::size_t caseIndex, std::size_t axis) const;
  //! The values of every axis in case `caseIndex`, in the order of the axes.
  std::vector<double> Values(std::size_t caseIndex) const;

 private:
  std::vector<SweepAxis> axes_;
  std::vector<std::size_t> strides_;  //!< cases between two values of an axis
  std::size_t caseCount_ = 1;
};

//! A part of a grid for one machine: every Count-th case, starting at case Index (both
//! 1-based; "1/1" is the whole grid).
struct SweepShard {
  std::size_t Index = 1;
  std::size_t Count = 1;
};

//! "I/N" with 1 <= I <= N. Throws SweepInputError.
SweepShard ParseSweepShard(std::string_view text);

//! Cases of a grid in grid order, every Step-th from First (0-based indices), Count of them.
struct SweepCases {
  std::size_t First = 0;
  std::size_t Step = 1;
  std::size_t Count = 0;
  std::size_t size() const { return Count; }
  //! The i-th case, i < Count: never beyond the grid, so never wrapping around.
  std::size_t operator[](std::size_t i) const { return First + i * Step; }
};

//! The cases of a grid of `caseCount` cases that a shard runs, in grid order (any I and N up
//! to the largest 64-bit number, without wrapping around).
SweepCases ShardCases(std::size_t caseCount, SweepShard shard);

}  // namespace quillmere
