#include "widgets/Pictures.h"

#include <QImageReader>
#include <algorithm>

namespace quarn {

QIcon LoadIcon(const QString& path) {
    QImageReader reader(path);
    QImage best;
    for (int i = 0; i < std::max(1, reader.imageCount()); ++i) {
        if (i > 0 && !reader.jumpToImage(i)) {
            break;
        }
        const QImage image = reader.read();
        const bool better =
            best.isNull() || (image.hasAlphaChannel() && !best.hasAlphaChannel()) ||
            (image.hasAlphaChannel() == best.hasAlphaChannel() && image.depth() > best.depth());
        if (!image.isNull() && better) {
            best = image;
        }
    }
    return best.isNull() ? QIcon() : QIcon(QPixmap::fromImage(best));
}

QImage LoadPicture(const QString& path) {
    QImage image(path);
    if (image.isNull()) {
        image = QImage(1, 1, QImage::Format_RGB32);
        image.fill(Qt::black);
    }
    return image.convertToFormat(QImage::Format_RGB32);
}

} // namespace quarn
