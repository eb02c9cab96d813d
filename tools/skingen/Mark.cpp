#include "Mark.h"

#include "Glyphs.h"
#include "Painting.h"
#include "Theme.h"

#include <QConicalGradient>
#include <QRadialGradient>
#include <QTransform>

namespace skingen {

namespace {

constexpr qreal kLensShare = 0.74; // the lens's radius as a share of the ring's

QPainterPath disc(QPointF c, qreal r) {
    QPainterPath path;
    path.addEllipse(c, r, r);
    return path;
}

QPainterPath ringPath(QPointF c, qreal r) {
    return disc(c, r).subtracted(disc(c, r * kLensShare));
}

// The tail of the "Q": a bar leaving the ring towards the lower right.
QPainterPath tailPath(QPointF c, qreal r) {
    QPainterPath bar;
    bar.addRoundedRect(QRectF(r * 0.55, -r * 0.13, r * 0.72, r * 0.26), r * 0.08, r * 0.08);
    QTransform turn;
    turn.translate(c.x(), c.y());
    turn.rotate(45);
    return turn.map(bar);
}

// Polished steel: bright and dark bands around the ring, `bands` of each.
QConicalGradient steel(QPointF c, qreal angle, int bands) {
    QConicalGradient gradient(c, angle);
    for (int i = 0; i < bands; ++i) {
        const qreal at = qreal(i) / bands, step = 1.0 / bands;
        gradient.setColorAt(at, QColor(theme::kRimLight));
        gradient.setColorAt(at + step * 0.3, QColor(theme::kFrame));
        gradient.setColorAt(at + step * 0.55, QColor(theme::kRimDark));
        gradient.setColorAt(at + step * 0.8, QColor(theme::kFrame));
    }
    gradient.setColorAt(1, QColor(theme::kRimLight));
    return gradient;
}

void drawRingAndTail(QPainter& p, QPointF c, qreal r, qreal angle, int bands) {
    const QPainterPath ring = ringPath(c, r);
    const QPainterPath tail = tailPath(c, r);
    const QPainterPath body = ring.united(tail);
    SoftShadow(p, body, QPointF(r * 0.04, r * 0.08), std::max(1, int(r * 0.06)), 150);
    p.fillPath(body.united(disc(c, r)), QColor(theme::kOutline));
    const qreal edge = std::max(1.0, r * 0.035);
    p.fillPath(tailPath(c, r - edge).intersected(body),
               Vertical(tail.boundingRect(), QColor(theme::kFrame), QColor(theme::kRimDark)));
    p.fillPath(disc(c, r - edge).subtracted(disc(c, r * kLensShare + edge)),
               steel(c, angle, bands));
    Gloss(p, disc(c, r - edge).subtracted(disc(c, r * kLensShare + edge)), 70, 0.5);
}

void drawLens(QPainter& p, QPointF c, qreal r) {
    const qreal lens = r * kLensShare;
    QRadialGradient depth(c - QPointF(0, lens * 0.4), lens * 1.4);
    depth.setColorAt(0, QColor(theme::kNavyLight));
    depth.setColorAt(1, QColor(theme::kLcd));
    p.fillPath(disc(c, lens), depth);
}

// The curved reflection across the top of the lens.
void drawLensGloss(QPainter& p, QPointF c, qreal r) {
    const qreal lens = r * kLensShare;
    QPainterPath shine;
    shine.addEllipse(QRectF(c.x() - lens * 0.8, c.y() - lens * 0.92, lens * 1.6, lens * 0.95));
    shine = shine.intersected(disc(c, lens));
    Gloss(p, shine, 60, 1.0);
}

} // namespace

void DrawMark(QPainter& p, QPointF c, qreal r) {
    drawRingAndTail(p, c, r, 135, 1);
    drawLens(p, c, r);
    const QPainterPath triangle = PlayTriangle(c, r * 0.78);
    SoftShadow(p, triangle, QPointF(0, r * 0.05), std::max(1, int(r * 0.05)), 180);
    p.fillPath(triangle, Vertical(triangle.boundingRect(), QColor(theme::kGlyphLight),
                                  QColor(theme::kGlyphDeep)));
    drawLensGloss(p, c, r);
}

void DrawAnimatedMark(QPainter& p, QPointF c, qreal r, qreal turn, const BarHeights& bars) {
    drawRingAndTail(p, c, r, 135 - turn * 90, 4);
    drawLens(p, c, r);
    const qreal width = r * 0.13, gap = r * 0.05, floor = c.y() + r * 0.38;
    const qreal left = c.x() - (5 * width + 4 * gap) / 2, tallest = r * 0.8;
    for (size_t i = 0; i < bars.size(); ++i) {
        const qreal height = std::max(width, bars[i] * tallest);
        const QRectF box(left + qreal(i) * (width + gap), floor - height, width, height);
        p.fillPath(RoundedRect(box, width * 0.25),
                   Vertical(QRectF(box.left(), floor - tallest, width, tallest),
                            QColor(theme::kGlyphLight), QColor(theme::kGlyphDeep)));
    }
    drawLensGloss(p, c, r);
}

} // namespace skingen
