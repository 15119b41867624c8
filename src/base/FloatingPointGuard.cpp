#include "base/FloatingPointGuard.h"

#include <cfenv>

namespace quillmere {

namespace {
constexpr int kFaults = FE_INVALID | FE_DIVBYZERO | FE_OVERFLOW;
}

void ClearFloatingPointFaults() {
  std::feclearexcept(kFaults);
}

bool FloatingPointFaultRaised(std::initializer_list<double> /*results*/) {
  if (std::fetestexcept(kFaults) == 0) return false;
  std::feclearexcept(kFaults);
  return true;
}

void ThrowOnFloatingPointFault(std::initializer_list<double> /*results*/) {
  const int raised = std::fetestexcept(kFaults);
  if (raised == 0) return;
  std::feclearexcept(kFaults);
  // An infinity from a division by zero or an overflow usually turns into an invalid
  // operation a few operations later (infinity minus infinity), while a not-a-number raises
  // nothing further; so when several flags are up, the division or the overflow came first.
  if (raised & FE_DIVBYZERO) throw FloatingPointError("Floating point division by zero");
  if (raised & FE_OVERFLOW) throw FloatingPointError("Floating point overflow");
  throw FloatingPointError("Invalid floating point operation");
}

}  // namespace quillmere
