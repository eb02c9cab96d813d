#include "common/TimeText.h"

#include "common/Rounding.h"

#include <QStringList>
#include <algorithm>

namespace quarn {

namespace {

QString spoken(std::int32_t seconds) {
    const std::int32_t parts[] = {seconds / 3600, seconds / 60 % 60, seconds % 60};
    const char* units[] = {"hour", "minute", "second"};
    QStringList words;
    for (int i = 0; i < 3; ++i) {
        if (parts[i] != 0 || (i == 2 && words.isEmpty())) {
            words << QStringLiteral("%1 %2%3").arg(parts[i]).arg(QLatin1String(units[i]),
                                                                 parts[i] == 1 ? "" : "s");
        }
    }
    return words.join(u' ');
}

} // namespace

QString SpokenTime(std::int32_t position, std::int32_t length) {
    const QString at = spoken(std::max(position, 0));
    return length > 0 ? at + QStringLiteral(" of ") + spoken(length) : at;
}

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

QString TimeStringFor(std::int32_t seconds, std::int32_t length) {
    constexpr std::int32_t kHour = 3600;
    if (length < kHour || seconds >= kHour || seconds <= -kHour) {
        return TimeString(seconds);
    }
    // Under an hour in a longer file: TimeString's "m:ss" with the hours before it.
    const QString time = TimeString(seconds < 0 ? -seconds : seconds);
    QString hours = QLatin1String(seconds < 0 ? "-0:" : "0:");
    if (time.size() < 5) {
        hours += QLatin1Char('0'); // "5:07" takes two digits of minutes: "0:05:07"
    }
    return hours + time;
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
    readout.caption = TimeStringFor(shown, readout.maximum) + QLatin1Char('/') +
                      TimeStringFor(readout.maximum, readout.maximum);
    readout.value = std::clamp(shown, 0, readout.maximum);
    return readout;
}

} // namespace quarn
