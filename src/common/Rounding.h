#pragma once

#include <cmath>
#include <cstdint>

namespace quarn {

// Whole numbers from floating point round to the nearest integer, a half going
// to the even neighbour (2.5 -> 2, 3.5 -> 4, -0.5 -> 0).
inline double RoundHalfEven(double value) {
    return std::nearbyint(value);
}

// The same, as a 32-bit integer, saturating instead of overflowing.
std::int32_t RoundToInt32(double value);

// The same, as a 16-bit integer, saturating instead of overflowing.
std::int16_t RoundToInt16(double value);

} // namespace quarn
