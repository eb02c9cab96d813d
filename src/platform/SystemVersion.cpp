#include "platform/SystemVersion.h"

#include <QRegularExpression>
#include <QSysInfo>

namespace quarn {

QString FormatWinVer(int major, int minor, const QLocale& locale) {
    QLocale plain = locale;
    plain.setNumberOptions(QLocale::OmitGroupSeparator);
    return plain.toString(major + minor / 100.0, 'f', 2);
}

QString GetWinVer() {
    // The kernel's version: Windows' own on Windows ("10.0.19045"), the
    // kernel's elsewhere ("6.1.0-13-amd64").
    static const QRegularExpression majorMinor(QStringLiteral("^(\\d+)\\.(\\d+)"));
    const QRegularExpressionMatch match = majorMinor.match(QSysInfo::kernelVersion());
    const int major = match.hasMatch() ? match.captured(1).toInt() : 0;
    const int minor = match.hasMatch() ? match.captured(2).toInt() : 0;
    return FormatWinVer(major, minor, QLocale::system());
}

} // namespace quarn
