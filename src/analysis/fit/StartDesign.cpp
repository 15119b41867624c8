#include "analysis/fit/StartDesign.h"

#include <array>
#include <cmath>
#include <random>
#include <stdexcept>

namespace quillmere {
namespace {

constexpr std::array<std::uint64_t, kDesignDimensions> kPrimes{2, 3, 5, 7, 11, 13, 17, 19};

//! The digits of `index` in `base` mirrored behind the point: 6 in base 2 (110) is 0.011.
double RadicalInverse(std::uint64_t index, std::uint64_t base) {
  double inverse = 0;
  double digitValue = 1.0 / static_cast<double>(base);
  while (index > 0) {
    inverse += static_cast<double>(index % base) * digitValue;
    index /= base;
    digitValue /= static_cast<double>(base);
  }
  return inverse;
}

}  // namespace

std::vector<std::vector<double>> StartDesign(std::size_t points, std::size_t dimensions,
                                             std::uint32_t seed) {
  if (dimensions > kDesignDimensions) throw std::invalid_argument("too many design dimensions");
  std::mt19937 random(seed);
  std::uniform_real_distribution<double> uniform(0.0, 1.0);
  std::vector<double> shift(dimensions);
  for (double& s : shift) s = uniform(random);
  std::vector<std::vector<double>> design(points, std::vector<double>(dimensions));
  for (std::size_t i = 0; i < points; ++i) {
    for (std::size_t d = 0; d < dimensions; ++d) {
      const double u = RadicalInverse(i, kPrimes[d]) + shift[d];
      design[i][d] = u >= 1 ? u - 1 : u;
    }
  }
  return design;
}

}  // namespace quillmere
