// Reading a user's solvent library of many rows, as every command pays it when the file is in
// the user's data folder: parsing the rows and putting them into the library's name index
// should grow with the rows, not with their square (run with 10,000 and 50,000 rows and
// compare).
#include <benchmark/benchmark.h>

#include <string>

#include "SolventLibraryText.h"
#include "report/SolventLibrary.h"

namespace quillmere {
namespace {

//! A library of `rows` solvents of distinct names, in the shipped library's columns.
std::string LibraryOfRows(int rows) {
  std::string text(test::kSolventLibraryHeader);
  for (int i = 0; i < rows; ++i) {
    text += "Solvent " + std::to_string(i) +
            ",1-2-3,7.0,1300,220,0,150,lab,100,lab,80,lab,0.87,20,lab,1.9,lab,400,lab,8e-6,lab,"
            "1.5,lab,10,lab\n";
  }
  return text;
}

void BM_LoadUserLibrary(benchmark::State& bench) {
  const std::string text = LibraryOfRows(static_cast<int>(bench.range(0)));
  for (auto _ : bench) {
    SolventLibrary library(ShippedSolvents());
    library.Add(ParseSolventLibrary(text, "solvents.csv"));
    benchmark::DoNotOptimize(library.Find("Solvent 49999"));
  }
  bench.SetComplexityN(bench.range(0));
}
BENCHMARK(BM_LoadUserLibrary)
    ->Arg(10000)
    ->Arg(50000)
    ->Complexity(benchmark::oN)
    ->Unit(benchmark::kMillisecond);

}  // namespace
}  // namespace quillmere
