#pragma once

#include <QColor>
#include <QImage>
#include <QPainter>
#include <QPainterPath>
#include <cstdint>

// Drawing helpers shared by all pictures.
namespace skingen {

// xorshift32: the same sequence on every machine, unlike std::rand.
class Prng {
public:
    explicit Prng(std::uint32_t seed) : state_(seed ? seed : 1u) {}
    std::uint32_t next();
    // Uniform in [0, 1).
    double unit() { return next() / 4294967296.0; }
    // Uniform in [-1, 1).
    double signedUnit() { return unit() * 2.0 - 1.0; }

private:
    std::uint32_t state_;
};

// A transparent premultiplied canvas: art is drawn anti-aliased on it first.
QImage newCanvas(int width, int height);
void prepare(QPainter& painter);

QPainterPath roundedRect(const QRectF& rect, qreal radius);
// The outline of text in a font file, unhinted, baseline at y = 0.
QPainterPath textPath(const char* fontFile, qreal pixelSize, const QString& text,
                      qreal tracking = 0);
QPainterPath centredOn(const QPainterPath& path, QPointF centre);

QLinearGradient vertical(const QRectF& rect, const QColor& top, const QColor& bottom);
QColor withAlpha(QRgb rgb, int alpha);

// A raised edge: a light line along the top of the shape, a dark one along its bottom.
void bevelEdges(QPainter& painter, const QPainterPath& shape, const QColor& light,
                const QColor& dark);
// A sunken edge: the reverse.
void sunkenEdges(QPainter& painter, const QPainterPath& shape, const QColor& shade,
                 const QColor& light);
// A recessed rounded rectangle: dark face, shade along the top, light along the bottom.
void sunkenWell(QPainter& painter, const QRectF& rect, qreal radius, const QColor& face,
                const QColor& light);
// A soft reflection over the upper part of a shape.
void gloss(QPainter& painter, const QPainterPath& shape, int alpha, qreal reach = 0.5);
// A soft shadow: the shape drawn repeatedly around an offset with little alpha.
void softShadow(QPainter& painter, const QPainterPath& shape, QPointF offset, int spread,
                int alpha);

// The final picture of a shaped window: every pixel at least half opaque is
// the art laid over the backing colour, every other pixel is the key colour.
// No fringe of near-key colours is left to show as a halo, and no art pixel
// equals the key.
QImage keyed(const QImage& art, QRgb key, QRgb backing);
// The same decision for an icon image with a one-bit mask: alpha becomes 0
// or 255, and the kept pixels are the art laid over the backing colour.
QImage hardEdged(const QImage& art, QRgb backing);
// The art laid over a backing colour, for pictures that are not shaped.
QImage flattened(const QImage& art, QRgb backing);

} // namespace skingen
