// Input acquisition: field texts to the ParameterSet, with the fixed messages.
#pragma once

#include <optional>
#include <stdexcept>
#include <string>

#include "base/Error.h"
#include "base/UserMessages.h"
#include "params/FieldTexts.h"
#include "params/ParameterSet.h"

namespace quillmere {

//! The largest step count a zone can take: its trace holds 2000 points, point 0 the entry.
inline constexpr int kMaxZoneSteps = 1999;

//! A further zone's outer temperature that is not empty and does not convert. It is not
//! answered by a message of the acquisition: it ends the whole run as an error.
class InputConversionError : public Error {
 public:
  explicit InputConversionError(const std::string& text) : Error(ErrorKind::InputRefused, text) {}
};

//! Reads every field, converts it and fills `params`, decides ZoneCount and the ZoneSteps.
//! The initial web temperature has no place in the set: it is stored into
//! `initialTemperature`, which the caller passes as the temperature of the web's entry point
//! (point 0 of zone 1 of the simulation trace). When the input is refused, shows the message
//! and returns it as an error of kind InputRefused (with the field's detail). Throws
//! InputConversionError for a further zone's unconvertible outer temperature and FloatingPointError
//! when the step count division faults (an Increment of z of 0).
Outcome<> AcquireParameters(const FieldTexts& fields, UserMessages& messages, char decimalSeparator,
                            ParameterSet& params, double& initialTemperature);

//! How far the initial weight ratios of solid, Solvent-1 and Solvent-2 may add up from 1 before
//! the run warns: far above the rounding of three typed decimals, far below a typing error.
inline constexpr double kWeightRatioSumTolerance = 1e-9;

//! The initial weight ratios (solid, Solvent-1, Solvent-2) should add up to 1: a warning
//! naming the three fields and their sum when they do not (by more than
//! kWeightRatioSumTolerance); nullopt when they do, or when one of them does not convert
//! (acquisition refuses the run).
std::optional<std::string> WeightRatioSumWarning(const FieldTexts& fields, char decimalSeparator);

//! Zones after the end of the zone list are never run, whatever they hold: the list ends at the
//! first zone from 2 to 14 whose outer temperature is empty or 0. A warning naming the zones
//! after that one that hold values (a field that is neither blank nor 0) and the zone that
//! ends the list; nullopt when there are none, or when the outer temperature that would end
//! the list does not convert (acquisition refuses the run there).
std::optional<std::string> UnreachedZonesWarning(const FieldTexts& fields, char decimalSeparator);

}  // namespace quillmere
