#include "common/FileTitles.h"

#include <algorithm>

namespace quarn {

QString GetFileName(const QString& path) {
    qsizetype cut = path.lastIndexOf(QLatin1Char('/'));
#if defined(Q_OS_WIN)
    cut = std::max(cut, path.lastIndexOf(QLatin1Char('\\')));
#endif
    return path.mid(cut + 1);
}

QString SongTitle(const QString& fileName) {
    const QString gap(4, QLatin1Char(' '));
    if (fileName.size() < 4) {
        return fileName + gap;
    }
    return fileName.left(fileName.size() - 4) + gap;
}

QString MarqueeStep(const QString& title) {
    if (title.isEmpty()) {
        return title;
    }
    // A character outside the basic plane is two UTF-16 units; it moves as one.
    const qsizetype first = title.at(0).isHighSurrogate() && title.size() > 1 ? 2 : 1;
    return title.mid(first) + title.left(first);
}

} // namespace quarn
