// What a march through the dryer computed, besides the trace itself: the web at each zone's
// exit, the physical warnings, and how the run ended.
#pragma once

#include <optional>
#include <string>
#include <vector>

#include "sim/TraceView.h"

namespace quillmere {

//! What kind of physical limit of the model a warning is about.
enum class WarningKind {
  Boiling,        //!< the surface vapour pressure reached the air pressure
  Condensing,     //!< a solvent's humidity in the air is above the surface equilibrium
  DryingStopped,  //!< the solvent fraction reached We before the dryer's end
  NotPhysical,    //!< a weight or residual ratio below 0, or a residual ratio above 1
};

//! A limit of the model that a zone reached: the model keeps computing as it is written, the
//! user is told where its results stop being physical.
struct PhysicalWarning {
  WarningKind Kind = WarningKind::Boiling;
  TracePoint Where;  //!< the first point of the zone where it happens
  std::string Text;  //!< in words a process engineer uses, with the numbers
};

//! A floating-point fault that ended the march.
struct RunFault {
  std::string Message;  //!< the fault's own text ("Floating point overflow")
  int Zone = 0;         //!< the zone whose march faulted; 0 while the entry state was set
  int Point = 0;        //!< the last point of that zone computed before the fault
  bool PositionKnown = false;
  double ZonePosition = 0;   //!< of that point from the zone's entry [m]
  double DryerPosition = 0;  //!< of that point from the dryer's entry [m]
};

//! Where in the dryer a fault ended the run: "at the dryer's entry", "in zone 3", or "in zone 3
//! at 4.20 m (64.20 m from the dryer's entry)" with the positions' decimal separator.
std::string FaultPlace(const RunFault& fault, char decimalSeparator = '.');

struct RunRecord {
  int ZoneCount = 0;                      //!< zones the inputs make active
  std::vector<TracePoint> ZoneExits;      //!< the web leaving each finished zone, zone 1 first
  std::vector<PhysicalWarning> Warnings;  //!< zone by zone, in the order they arose
  std::optional<RunFault> Fault;          //!< the fault that ended the run, if one did
  bool Stopped = false;                   //!< an observer ended the run

  //! Every active zone was computed and every observer saw it.
  bool Finished() const {
    return !Fault && !Stopped && static_cast<int>(ZoneExits.size()) == ZoneCount;
  }
  //! Zones whose trace is complete (their views are valid).
  int ZonesDone() const { return static_cast<int>(ZoneExits.size()); }
};

}  // namespace quillmere
