#pragma once

// The time as the player shows it: the time label's text and the seek bar's
// reading.

#include <QString>
#include <cstdint>
#include <optional>

namespace quarn {

// "m:ss", or "h:mm:ss" from one hour on. Negative times are shown with a
// leading minus sign ("-1:05").
QString TimeString(std::int32_t seconds);

// The time display and the seek bar for a position and a length in seconds:
// "position/length" and whole seconds, the position shown and the value no
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
