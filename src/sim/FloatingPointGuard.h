// Floating-point faults as errors: invalid operation, division by zero and overflow end the
// action that caused them instead of leaving a silent infinity or not-a-number behind.
#pragma once

#include <stdexcept>

namespace quillmere {

class FloatingPointError : public std::runtime_error {
 public:
  using std::runtime_error::runtime_error;
};

//! Clears the invalid, division-by-zero and overflow status flags. Call before a guarded
//! computation.
void ClearFloatingPointFaults();

//! Throws FloatingPointError ("Invalid floating point operation", "Floating point division
//! by zero" or "Floating point overflow") when one of the flags is raised since the last
//! clear. Defined out of line so that every result computed before the call is complete
//! (stored) when the flags are read.
void ThrowOnFloatingPointFault();

}  // namespace quillmere
