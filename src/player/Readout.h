#pragma once

// What the player shows of the playing file as text: its title, the time and
// the seek bar's reading.

#include <QString>
#include <cstdint>
#include <optional>

namespace quarn {

// "m:ss", or "h:mm:ss" from one hour on. Negative times are shown with a
// leading minus sign ("-1:05").
QString TimeString(std::int32_t seconds);

// The file's name: the text after the last path separator ("" when the path
// ends in one). "/" separates everywhere; on Windows "\" does too.
QString GetFileName(const QString& path);

// The song title made from a file's name: the name less its last four
// characters (its extension, usually), then four blanks that run through the
// marquee as a gap. A name shorter than four characters is kept whole.
QString SongTitle(const QString& fileName);

// One step of the title marquee: the first character goes to the end.
QString MarqueeStep(const QString& title);

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

} // namespace quarn
