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
    std::uint32_t Next();
    // Uniform in [0, 1).
    double Unit() { return Next() / 4294967296.0; }
    // Uniform in [-1, 1).
    double SignedUnit() { return Unit() * 2.0 - 1.0; }

private:
    std::uint32_t state_;
};

// A transparent premultiplied canvas: art is drawn anti-aliased on it first.
QImage NewCanvas(int width, int height);
void Prepare(QPainter& painter);

QPainterPath RoundedRect(const QRectF& rect, qreal radius);
// The outline of text in a font file, unhinted, baseline at y = 0.
QPainterPath TextPath(const char* fontFile, qreal pixelSize, const QString& text,
                      qreal tracking = 0);
QPainterPath CentredOn(const QPainterPath& path, QPointF centre);

QLinearGradient Vertical(const QRectF& rect, const QColor& top, const QColor& bottom);
QColor WithAlpha(QRgb rgb, int alpha);

// A raised edge: a light line along the top of the shape, a dark one along its bottom.
void BevelEdges(QPainter& painter, const QPainterPath& shape, const QColor& light,
                const QColor& dark);
// A sunken edge: the reverse.
void SunkenEdges(QPainter& painter, const QPainterPath& shape, const QColor& shade,
                 const QColor& light);
// A recessed rounded rectangle: dark face, shade along the top, light along the bottom.
void SunkenWell(QPainter& painter, const QRectF& rect, qreal radius, const QColor& face,
                const QColor& light);
// A soft reflection over the upper part of a shape.
void Gloss(QPainter& painter, const QPainterPath& shape, int alpha, qreal reach = 0.5);
// A soft shadow: the shape drawn repeatedly around an offset with little alpha.
void SoftShadow(QPainter& painter, const QPainterPath& shape, QPointF offset, int spread,
                int alpha);

// The final picture of a shaped window: every pixel at least half opaque is
// the art laid over the backing colour, every other pixel is the key colour.
// No fringe of near-key colours is left to show as a halo, and no art pixel
// equals the key.
QImage Keyed(const QImage& art, QRgb key, QRgb backing);
// The same decision for an icon image with a one-bit mask: alpha becomes 0
// or 255, and the kept pixels are the art laid over the backing colour.
QImage HardEdged(const QImage& art, QRgb backing);
// The art laid over a backing colour, for pictures that are not shaped.
QImage Flattened(const QImage& art, QRgb backing);

} // namespace skingen
