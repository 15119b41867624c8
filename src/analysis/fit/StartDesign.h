// Where a global search starts its local fits: points spread evenly over the unit cube of the
// free parameters, so that every region of the bounded space is near some start. A Halton
// sequence (the radical inverse of the point's index in the first primes) rotated by a fixed
// random shift (Cranley–Patterson), so that its first point is not a corner; the same seed
// gives the same points on every machine.
#pragma once

#include <cstddef>
#include <cstdint>
#include <vector>

namespace quillmere {

//! Most dimensions of a design: one for each fitting parameter.
inline constexpr std::size_t kDesignDimensions = 8;

//! `points` points of `dimensions` (at most kDesignDimensions) coordinates, each in [0, 1).
//! Any b^k consecutive points from the first put one coordinate of base b (2, 3, 5, 7, 11, 13,
//! 17, 19 by dimension) into each of the b^k intervals of width b^-k.
std::vector<std::vector<double>> StartDesign(std::size_t points, std::size_t dimensions,
                                             std::uint32_t seed);

}  // namespace quillmere
