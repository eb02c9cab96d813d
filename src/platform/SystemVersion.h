#pragma once

// The running system's version, as the About box shows it.

#include <QLocale>
#include <QString>

namespace quarn {

// The running system's version as major + minor / 100 with two decimals, in
// the user's locale ("5.01" for version 5.1 where the separator is a point).
QString GetWinVer();

// The formatting of GetWinVer, for any version and locale.
QString FormatWinVer(int major, int minor, const QLocale& locale);

} // namespace quarn
