#pragma once

// The time as the player shows it: the time label's text and the seek bar's
// reading.

#include <QString>
#include <cstdint>
#include <optional>

namespace quarn {

// A position and a length in words a screen reader can say: "1 hour 5
// minutes 3 seconds of 1 hour 10 minutes" (a length of 0: the position alone).
QString SpokenTime(std::int32_t position, std::int32_t length);

// "m:ss", or "h:mm:ss" from one hour on. Negative times are shown with a
// leading minus sign ("-1:05").
QString TimeString(std::int32_t seconds);

// A time in a file of `length` seconds, so that a file's times all read
// alike: "h:mm:ss" for a file of an hour or more ("0:05:07" beside
// "2:00:00"), else as TimeString ("5:07" beside "59:59").
QString TimeStringFor(std::int32_t seconds, std::int32_t length);

// The time display and the seek bar for a position and a length in seconds:
// "position/length" (both in the length's format, see TimeStringFor) and whole
// seconds, the position shown and the value no
// later than a known length. Nothing (the display keeps what it shows) at a position of 0 or
// below: nothing plays, or the file is at its very start.
struct Readout {
    QString caption;
    std::int32_t maximum = 0;
    std::int32_t value = 0;

    friend bool operator==(const Readout&, const Readout&) = default;
};
std::optional<Readout> PlaybackReadout(double position, double duration);
// The same at any position, 0 included.
Readout ReadoutAt(double position, double duration);

} // namespace quarn
