#pragma once

// The title the player shows for a file: its name, the song title made from
// it, and the marquee that runs the title through the title strip.

#include <QString>

namespace quarn {

// The file's name: the text after the last path separator ("" when the path
// ends in one). "/" separates everywhere; on Windows "\" does too.
QString GetFileName(const QString& path);

// The song title made from a file's name: the name less its last four
// characters (its extension, usually), then four blanks that run through the
// marquee as a gap. A name shorter than four characters is kept whole.
QString SongTitle(const QString& fileName);

// One step of the title marquee: the first character goes to the end.
QString MarqueeStep(const QString& title);

} // namespace quarn
