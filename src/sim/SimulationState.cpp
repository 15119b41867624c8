#include "sim/SimulationState.h"

#include <sys/mman.h>

#include <cstdlib>
#include <new>
#include <stdexcept>
#include <string>

#include "base/FloatingPointGuard.h"

namespace quillmere {
namespace {

//! The size of a huge page on the machines the program runs on [bytes].
constexpr std::size_t kHugePage = std::size_t{2} << 20;
//! The size of a page [bytes].
constexpr std::size_t kPage = 4096;

}  // namespace

void* SimulationState::operator new(std::size_t size) {
  // The whole huge pages it spans take huge pages (the system clears each it gives, so the
  // rest stays on small ones); where huge pages are not offered, the advice does nothing.
  const std::size_t rounded = (size + kPage - 1) / kPage * kPage;
  void* memory = nullptr;
  if (::posix_memalign(&memory, kHugePage, rounded) != 0) throw std::bad_alloc();
  if (const std::size_t huge = rounded / kHugePage * kHugePage; huge > 0) {
    ::madvise(memory, huge, MADV_HUGEPAGE);
  }
  return memory;
}

void SimulationState::operator delete(void* memory) noexcept {
  std::free(memory);
}

void InitialiseSimulation(const ParameterSet& p, SimulationState& s) {
  ClearFloatingPointFaults();
  const double w0 = p.InitialCoatingWeight;
  const double solvent1 = w0 * p.InitialSolvent1Ratio;
  const double solvent2 = w0 * p.InitialSolvent2Ratio;
  const double timeStep = p.IncrementZ / p.Speed;
  const double coating = solvent1 + solvent2 + w0 * p.InitialSolidRatio;
  const double fraction1 = solvent1 / coating;
  const double fraction2 = solvent2 / coating;
  // Quotients, not constants: a zero initial solvent weight is a fault (0 / 0).
  const double residual1 = solvent1 / solvent1;
  const double residual2 = solvent2 / solvent2;
  ThrowOnFloatingPointFault({timeStep, fraction1, fraction2, residual1, residual2});

  ZoneTrace& t = s.Trace;
  t.Solvent1Weight[1][0] = solvent1;
  t.Solvent2Weight[1][0] = solvent2;
  t.Time[1][0] = 0;
  s.TimeStep = timeStep;
  t.Solvent1Fraction[1][0] = fraction1;
  t.Solvent2Fraction[1][0] = fraction2;
  t.Solvent1Residual[1][0] = residual1;
  t.Solvent2Residual[1][0] = residual2;
}

void HandOverZone(SimulationState& s, int zone, int steps) {
  if (zone < 1 || zone >= kMaxZones || steps < 0 || steps >= kTracePoints) {
    throw std::out_of_range("HandOverZone: zone " + std::to_string(zone) + " after " +
                            std::to_string(steps) + " steps");
  }
  ZoneTrace& t = s.Trace;
  const auto last = static_cast<std::size_t>(steps);
  for (ZoneTrace::Points* quantity :
       {&t.Time, &t.Solvent1Weight, &t.Solvent2Weight, &t.Temperature, &t.Solvent1Fraction,
        &t.Solvent2Fraction, &t.Solvent1Residual, &t.Solvent2Residual}) {
    (*quantity)[zone + 1][0] = (*quantity)[zone][last];
  }
}

}  // namespace quillmere
