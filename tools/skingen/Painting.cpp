#include "Painting.h"

#include <QRawFont>
#include <algorithm>
#include <stdexcept>
#include <vector>

namespace skingen {

std::uint32_t Prng::Next() {
    state_ ^= state_ << 13;
    state_ ^= state_ >> 17;
    state_ ^= state_ << 5;
    return state_;
}

QImage NewCanvas(int width, int height) {
    QImage image(width, height, QImage::Format_ARGB32_Premultiplied);
    image.fill(Qt::transparent);
    return image;
}

void Prepare(QPainter& painter) {
    painter.setRenderHint(QPainter::Antialiasing);
    painter.setPen(Qt::NoPen);
}

QPainterPath RoundedRect(const QRectF& rect, qreal radius) {
    QPainterPath path;
    path.addRoundedRect(rect, radius, radius);
    return path;
}

QPainterPath TextPath(const char* fontFile, qreal pixelSize, const QString& text, qreal tracking) {
    const QRawFont font(QString::fromUtf8(fontFile), pixelSize, QFont::PreferNoHinting);
    if (!font.isValid())
        throw std::runtime_error(std::string("cannot load font ") + fontFile);
    const QList<quint32> glyphs = font.glyphIndexesForString(text);
    const QList<QPointF> advances = font.advancesForGlyphIndexes(glyphs);
    QPainterPath path;
    qreal x = 0;
    for (qsizetype i = 0; i < glyphs.size(); ++i) {
        path.addPath(font.pathForGlyph(glyphs[i]).translated(x, 0));
        x += advances[i].x() + tracking;
    }
    return path;
}

QPainterPath CentredOn(const QPainterPath& path, QPointF centre) {
    return path.translated(centre - path.boundingRect().center());
}

QLinearGradient Vertical(const QRectF& rect, const QColor& top, const QColor& bottom) {
    QLinearGradient gradient(rect.topLeft(), rect.bottomLeft());
    gradient.setColorAt(0, top);
    gradient.setColorAt(1, bottom);
    return gradient;
}

QColor WithAlpha(QRgb rgb, int alpha) {
    QColor colour(rgb);
    colour.setAlpha(alpha);
    return colour;
}

void BevelEdges(QPainter& painter, const QPainterPath& shape, const QColor& light,
                const QColor& dark) {
    painter.fillPath(shape.subtracted(shape.translated(0, 1)), light);
    painter.fillPath(shape.subtracted(shape.translated(0, -1)), dark);
}

void SunkenEdges(QPainter& painter, const QPainterPath& shape, const QColor& shade,
                 const QColor& light) {
    BevelEdges(painter, shape, shade, light);
}

void SunkenWell(QPainter& painter, const QRectF& rect, qreal radius, const QColor& face,
                const QColor& light) {
    const QPainterPath well = RoundedRect(rect, radius);
    painter.fillPath(well, face);
    SunkenEdges(painter, well, QColor(0, 0, 0, 160), light);
}

void Gloss(QPainter& painter, const QPainterPath& shape, int alpha, qreal reach) {
    const QRectF box = shape.boundingRect();
    QLinearGradient gradient(box.topLeft(), box.bottomLeft());
    gradient.setColorAt(0, QColor(255, 255, 255, alpha));
    gradient.setColorAt(reach, QColor(255, 255, 255, 0));
    gradient.setColorAt(1, QColor(255, 255, 255, 0));
    painter.fillPath(shape, gradient);
}

namespace {

// One box-blur pass over the alpha channel, horizontally or vertically.
void blurPass(std::vector<int>& alpha, int width, int height, int radius, bool horizontal) {
    const std::vector<int> source = alpha;
    const int length = horizontal ? width : height;
    const int lines = horizontal ? height : width;
    for (int line = 0; line < lines; ++line) {
        for (int i = 0; i < length; ++i) {
            int sum = 0;
            for (int k = -radius; k <= radius; ++k) {
                const int j = std::clamp(i + k, 0, length - 1);
                sum += horizontal ? source[line * width + j] : source[j * width + line];
            }
            const int index = horizontal ? line * width + i : i * width + line;
            alpha[index] = sum / (2 * radius + 1);
        }
    }
}

} // namespace

void SoftShadow(QPainter& painter, const QPainterPath& shape, QPointF offset, int spread,
                int alpha) {
    const int width = painter.device()->width();
    const int height = painter.device()->height();
    QImage mask = NewCanvas(width, height);
    {
        QPainter maskPainter(&mask);
        Prepare(maskPainter);
        maskPainter.fillPath(shape.translated(offset), QColor(0, 0, 0, alpha));
    }
    std::vector<int> channel(static_cast<size_t>(width) * height);
    for (int y = 0; y < height; ++y)
        for (int x = 0; x < width; ++x)
            channel[y * width + x] = qAlpha(mask.pixel(x, y));
    for (int pass = 0; pass < 2; ++pass) {
        blurPass(channel, width, height, spread, true);
        blurPass(channel, width, height, spread, false);
    }
    for (int y = 0; y < height; ++y)
        for (int x = 0; x < width; ++x)
            mask.setPixel(x, y, qPremultiply(qRgba(0, 0, 0, channel[y * width + x])));
    painter.drawImage(0, 0, mask);
}

namespace {

int over(int art, int backing, int alpha) {
    return art + (backing * (255 - alpha) + 127) / 255;
}

// One step towards the middle in every channel: the nearest colour that is
// certainly not the key.
QRgb awayFromKey(QRgb key) {
    auto step = [](int c) { return c >= 128 ? c - 1 : c + 1; };
    return qRgb(step(qRed(key)), step(qGreen(key)), step(qBlue(key)));
}

QRgb composite(QRgb premultiplied, QRgb backing) {
    const int alpha = qAlpha(premultiplied);
    return qRgb(over(qRed(premultiplied), qRed(backing), alpha),
                over(qGreen(premultiplied), qGreen(backing), alpha),
                over(qBlue(premultiplied), qBlue(backing), alpha));
}

} // namespace

QImage Keyed(const QImage& art, QRgb key, QRgb backing) {
    const QImage source = art.convertToFormat(QImage::Format_ARGB32_Premultiplied);
    QImage result(source.size(), QImage::Format_RGB32);
    for (int y = 0; y < source.height(); ++y) {
        const auto* in = reinterpret_cast<const QRgb*>(source.constScanLine(y));
        auto* out = reinterpret_cast<QRgb*>(result.scanLine(y));
        for (int x = 0; x < source.width(); ++x) {
            if (qAlpha(in[x]) < 128) {
                out[x] = key;
                continue;
            }
            const QRgb colour = composite(in[x], backing);
            out[x] = (colour & 0xffffff) == (key & 0xffffff) ? awayFromKey(key) : colour;
        }
    }
    return result;
}

QImage HardEdged(const QImage& art, QRgb backing) {
    const QImage source = art.convertToFormat(QImage::Format_ARGB32_Premultiplied);
    QImage result(source.size(), QImage::Format_ARGB32);
    for (int y = 0; y < source.height(); ++y) {
        const auto* in = reinterpret_cast<const QRgb*>(source.constScanLine(y));
        auto* out = reinterpret_cast<QRgb*>(result.scanLine(y));
        for (int x = 0; x < source.width(); ++x)
            out[x] = qAlpha(in[x]) < 128 ? qRgba(0, 0, 0, 0) : composite(in[x], backing);
    }
    return result;
}

QImage Flattened(const QImage& art, QRgb backing) {
    const QImage source = art.convertToFormat(QImage::Format_ARGB32_Premultiplied);
    QImage result(source.size(), QImage::Format_RGB32);
    for (int y = 0; y < source.height(); ++y) {
        const auto* in = reinterpret_cast<const QRgb*>(source.constScanLine(y));
        auto* out = reinterpret_cast<QRgb*>(result.scanLine(y));
        for (int x = 0; x < source.width(); ++x)
            out[x] = composite(in[x], backing);
    }
    return result;
}

} // namespace skingen
