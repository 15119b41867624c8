// Floating-point faults as errors: invalid operation, division by zero and overflow end the
// action that caused them instead of leaving a silent infinity or not-a-number behind. The
// status flags are per thread, so runs in several threads guard themselves independently.
#pragma once

#include <initializer_list>
#include <string>

#include "base/Error.h"

namespace quillmere {

//! A floating-point fault. Its text is the fault's own ("Floating point overflow"); where the
//! fault arose in the march through the dryer (zone and trace point) is added when known.
class FloatingPointError : public Error {
 public:
  explicit FloatingPointError(const std::string& what, int zone = 0, int point = 0)
      : Error(ErrorKind::RunFault, what), zone_(zone), point_(point) {}

  //! Zone (1 to 14) whose march faulted, 0 when the fault arose outside a zone.
  int Zone() const { return zone_; }
  //! The last trace point of that zone that was computed before the fault.
  int Point() const { return point_; }

 private:
  int zone_;
  int point_;
};

//! Clears the invalid, division-by-zero and overflow status flags. Call before a guarded
//! computation.
void ClearFloatingPointFaults();

//! Throws FloatingPointError ("Invalid floating point operation", "Floating point division
//! by zero" or "Floating point overflow") when one of the flags is raised since the last
//! clear. The results of the guarded computation are passed in so that they are certainly
//! computed when the flags are read (the compiler may not move them past the call); store
//! them only after this returns, so that no infinity or not-a-number is ever kept.
void ThrowOnFloatingPointFault(std::initializer_list<double> results);

//! Whether one of the flags is raised since the last clear (and clears them), for a
//! computation whose fault is an answer rather than an error; the same rule for `results`.
bool FloatingPointFaultRaised(std::initializer_list<double> results);

}  // namespace quillmere
