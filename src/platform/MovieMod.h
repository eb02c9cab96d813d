#pragma once

// Procedures shared by the player's windows: the screen-saver switch and the
// system's version text.

#include <QLocale>
#include <QString>

namespace quarn {

// true switches the system's screen saver on again; false holds it off while
// something plays.
void SetScreenSaver(bool active);

// The running system's version as major + minor / 100 with two decimals, in
// the user's locale ("5.01" for version 5.1 where the separator is a point).
QString GetWinVer();

// The formatting of GetWinVer, for any version and locale.
QString FormatWinVer(int major, int minor, const QLocale& locale);

} // namespace quarn
