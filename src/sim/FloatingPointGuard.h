// Floating-point faults as errors: invalid operation, division by zero and overflow end the
// action that caused them instead of leaving a silent infinity or not-a-number behind.
#pragma once

#include <initializer_list>
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
//! clear. The results of the guarded computation are passed in so that they are certainly
//! computed when the flags are read (the compiler may not move them past the call); store
//! them only after this returns, so that no infinity or not-a-number is ever kept.
void ThrowOnFloatingPointFault(std::initializer_list<double> results);

}  // namespace quillmere
