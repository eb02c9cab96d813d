#include "common/Rounding.h"

#include <cfenv>
#include <limits>

namespace quarn {

namespace {

template <typename Int> Int saturatingRound(double value) {
    if (std::isnan(value)) {
        return 0;
    }
    // nearbyint honours the current rounding mode; the program never changes it
    // from the default round-to-nearest-even, but a library could, so be explicit.
    const int previous = std::fegetround();
    std::fesetround(FE_TONEAREST);
    const double rounded = std::nearbyint(value);
    std::fesetround(previous);
    if (rounded <= static_cast<double>(std::numeric_limits<Int>::min())) {
        return std::numeric_limits<Int>::min();
    }
    if (rounded >= static_cast<double>(std::numeric_limits<Int>::max())) {
        return std::numeric_limits<Int>::max();
    }
    return static_cast<Int>(rounded);
}

} // namespace

std::int32_t RoundToInt32(double value) {
    return saturatingRound<std::int32_t>(value);
}

std::int16_t RoundToInt16(double value) {
    return saturatingRound<std::int16_t>(value);
}

} // namespace quarn
