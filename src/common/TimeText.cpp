#include "common/TimeText.h"

#include "common/Rounding.h"

#include <algorithm>

namespace quarn {

QString TimeString(std::int32_t seconds) {
    if (seconds < 0) {
        // Whole-minute arithmetic below assumes a non-negative count.
        const std::int64_t magnitude = -static_cast<std::int64_t>(seconds);
        return QStringLiteral("-") +
               TimeString(static_cast<std::int32_t>(std::min<std::int64_t>(magnitude, INT32_MAX)));
    }
    const std::int32_t minutesTotal = seconds / 60;
    const std::int32_t hours = minutesTotal / 60;
    const std::int32_t minutes = minutesTotal % 60;
    const std::int32_t secs = seconds % 60;
    auto twoDigits = [](std::int32_t n) { return QStringLiteral("%1").arg(n, 2, 10, QChar('0')); };
    if (hours != 0) {
        return QStringLiteral("%1:%2:%3").arg(hours).arg(twoDigits(minutes), twoDigits(secs));
    }
    return QStringLiteral("%1:%2").arg(minutes).arg(twoDigits(secs));
}

std::optional<Readout> PlaybackReadout(double position, double duration) {
    if (!(position > 0)) {
        return std::nullopt;
    }
    return ReadoutAt(position, duration);
}

Readout ReadoutAt(double position, double duration) {
    Readout readout;
    // Neither the time nor the value goes past a known length, even when the
    // engine reports a position beyond it; with no length, the value stays 0.
    readout.maximum = std::max(0, RoundToInt32(duration));
    const std::int32_t shown =
        std::max(0, readout.maximum > 0 ? std::min(RoundToInt32(position), readout.maximum)
                                        : RoundToInt32(position));
    readout.caption = TimeString(shown) + QLatin1Char('/') + TimeString(readout.maximum);
    readout.value = std::clamp(shown, 0, readout.maximum);
    return readout;
}

} // namespace quarn
