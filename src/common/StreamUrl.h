#pragma once

#include <QString>

namespace quarn {

// Whether an entry names a stream on the network (http:// or https://, in any
// case) rather than a local file.
inline bool IsStreamUrl(const QString& entry) {
    return entry.startsWith(QLatin1String("http://"), Qt::CaseInsensitive) ||
           entry.startsWith(QLatin1String("https://"), Qt::CaseInsensitive);
}

} // namespace quarn
