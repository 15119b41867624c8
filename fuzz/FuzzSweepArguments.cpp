// The sweep's --vary and --shard texts on any bytes: the first line is a shard "I/N", each
// further line a "NAME=VALUES". A text is refused with a SweepInputError or read into values
// that are finite and as many as a range may give; a shard's cases lie in the grid, in grid
// order, every N-th from case I, without wrapping around near 2^64.
#include <cmath>
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <limits>
#include <optional>
#include <string_view>
#include <vector>

#include "analysis/sweep/SweepGrid.h"

namespace {

using quillmere::SweepInputError;

std::vector<std::string_view> Lines(std::string_view text) {
  std::vector<std::string_view> lines;
  while (!text.empty() && lines.size() < 4) {
    const std::size_t end = text.find('\n');
    lines.push_back(text.substr(0, end));
    text.remove_prefix(end == std::string_view::npos ? text.size() : end + 1);
  }
  return lines;
}

void CheckShard(quillmere::SweepShard shard, std::size_t caseCount) {
  const quillmere::SweepCases cases = quillmere::ShardCases(caseCount, shard);
  if (cases.size() > 0) {
    const std::size_t first = cases[0];
    const std::size_t last = cases[cases.size() - 1];
    if (first != shard.Index - 1 || last >= caseCount || last < first) std::abort();
    if ((last - first) % shard.Count != 0) std::abort();
    // One more case would lie beyond the grid.
    if (caseCount - 1 - last >= shard.Count) std::abort();
  } else if (shard.Index <= caseCount) {
    std::abort();
  }
}

//! A range of more than 99999 values: read as any other, but a long time a run (up to 10^7
//! values, each rounded), so the fuzzer spends its time elsewhere.
bool LargeRange(std::string_view vary) {
  std::size_t colon = vary.find(':');
  if (colon == std::string_view::npos) return false;
  colon = vary.find(':', colon + 1);
  if (colon == std::string_view::npos) return false;
  const std::string_view count = vary.substr(colon + 1, vary.find(':', colon + 1) - colon - 1);
  return count.size() > 5;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  if (size > 512) return 0;  // names and values of a command line, not files
  const std::vector<std::string_view> lines =
      Lines(std::string_view(reinterpret_cast<const char*>(data), size));
  if (lines.empty()) return 0;
  std::optional<quillmere::SweepShard> shard;
  try {
    shard = quillmere::ParseSweepShard(lines[0]);
    if (shard->Index < 1 || shard->Index > shard->Count) std::abort();
  } catch (const SweepInputError&) {
  }
  if (shard) {
    constexpr std::size_t kMax = std::numeric_limits<std::size_t>::max();
    for (const std::size_t caseCount : {std::size_t{0}, std::size_t{1}, std::size_t{1000}, kMax - 1,
                                        kMax, shard->Count, shard->Index}) {
      CheckShard(*shard, caseCount);
    }
  }
  std::vector<quillmere::SweepAxis> axes;
  for (std::size_t i = 1; i < lines.size(); ++i) {
    if (LargeRange(lines[i])) continue;
    try {
      quillmere::SweepAxis axis = quillmere::ParseSweepAxis(lines[i]);
      if (axis.Field == nullptr || axis.Values.empty() ||
          axis.Values.size() > quillmere::SweepGrid::kMaxCases) {
        std::abort();
      }
      for (const double value : axis.Values) {
        if (!std::isfinite(value)) std::abort();
      }
      axes.push_back(std::move(axis));
    } catch (const SweepInputError&) {
    }
  }
  try {
    const quillmere::SweepGrid grid(std::move(axes));
    if (grid.CaseCount() == 0) std::abort();
    const std::size_t last = grid.CaseCount() - 1;
    for (std::size_t axis = 0; axis < grid.Axes().size(); ++axis) {
      if (grid.Value(0, axis) != grid.Axes()[axis].Values.front()) std::abort();
      if (grid.Value(last, axis) != grid.Axes()[axis].Values.back()) std::abort();
    }
  } catch (const SweepInputError&) {
  }
  return 0;
}
