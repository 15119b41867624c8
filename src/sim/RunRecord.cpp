#include "sim/RunRecord.h"

#include "base/FormatFixed.h"

namespace quillmere {

std::string FaultPlace(const RunFault& fault, char decimalSeparator) {
  if (fault.Zone == 0) return "at the dryer's entry";
  std::string place = "in zone " + std::to_string(fault.Zone);
  if (fault.PositionKnown) {
    place += " at " + FormatFixed(fault.ZonePosition, 18, 2, decimalSeparator) + " m (" +
             FormatFixed(fault.DryerPosition, 18, 2, decimalSeparator) +
             " m from the dryer's entry)";
  }
  return place;
}

}  // namespace quillmere
