// One FormatFixedTo call, with the formats of the zone table and of the input echo, beside the
// same call of the digit-string reference that the tests compare it with. A run over the
// default inputs makes about 4200 of them (602 rows of 7 numbers), one over 14 full zones
// about 200000.
#include <benchmark/benchmark.h>

#include <array>
#include <cstddef>

#include "ReferenceFormatFixed.h"
#include "base/FormatFixed.h"

namespace quillmere {
namespace {

//! Values of a zone table column: a spread of magnitudes as a run writes them.
constexpr std::array<double, 8> kValues{123.4, 0.0417, 59.87,     0.00012,
                                        1.0,   30.0,   0.0028971, 1344.8};

using Formatter = std::size_t (*)(char*, double, int, int, char);

void Call(benchmark::State& state, Formatter format) {
  const int precision = static_cast<int>(state.range(0));
  const int digits = static_cast<int>(state.range(1));
  char out[kFormatFixedCapacity];
  std::size_t i = 0;
  for (auto _ : state) {
    const std::size_t length = format(out, kValues[i], precision, digits, '.');
    benchmark::DoNotOptimize(length);
    benchmark::DoNotOptimize(out);
    i = (i + 1) % kValues.size();
  }
  state.SetItemsProcessed(state.iterations());
}

void FormatFixedToCall(benchmark::State& state) {
  Call(state, FormatFixedTo);
}
void ReferenceCall(benchmark::State& state) {
  Call(state, test::ReferenceFormatFixedTo);
}

void Formats(benchmark::internal::Benchmark* benchmark) {
  benchmark->ArgNames({"P", "D"})
      ->Args({8, 3})    // TIME
      ->Args({7, 3})    // LENGTH
      ->Args({6, 2})    // TEMP
      ->Args({7, 5})    // WEIGHT1, WEIGHT2
      ->Args({6, 4})    // RESIDUAL RAT1, RESIDUAL RAT2
      ->Args({11, 9});  // a diffusion coefficient of the echo
}
BENCHMARK(FormatFixedToCall)->Apply(Formats);
BENCHMARK(ReferenceCall)->Apply(Formats);

void Scientific(benchmark::State& state, Formatter format) {
  char out[kFormatFixedCapacity];
  for (auto _ : state) {
    const std::size_t length = format(out, 123456789.0, 8, 3, '.');
    benchmark::DoNotOptimize(length);
    benchmark::DoNotOptimize(out);
  }
}
void FormatFixedToScientific(benchmark::State& state) {
  Scientific(state, FormatFixedTo);
}
void ReferenceScientific(benchmark::State& state) {
  Scientific(state, test::ReferenceFormatFixedTo);
}
BENCHMARK(FormatFixedToScientific);
BENCHMARK(ReferenceScientific);

}  // namespace
}  // namespace quillmere
