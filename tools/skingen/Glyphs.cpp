#include "Glyphs.h"

#include <QPolygonF>
#include <QTransform>
#include <cmath>
#include <numbers>

namespace skingen {

namespace {

QPainterPath polygon(std::initializer_list<QPointF> points) {
    QPainterPath path;
    path.addPolygon(QPolygonF(QList<QPointF>(points)));
    path.closeSubpath();
    return path;
}

QPainterPath rect(const QRectF& box, qreal radius = 0) {
    QPainterPath path;
    path.addRoundedRect(box, radius, radius);
    return path;
}

// A bar from `from` to `to`, `width` thick, with square ends.
QPainterPath bar(QPointF from, QPointF to, qreal width) {
    const QPointF along = to - from;
    const qreal length = std::hypot(along.x(), along.y());
    const QPointF across = QPointF(-along.y(), along.x()) * (width / 2 / length);
    return polygon({from + across, to + across, to - across, from - across});
}

QPainterPath pauseBars(QPointF c, qreal s) {
    const qreal w = s * 0.3, h = s, gap = s * 0.26;
    return rect(QRectF(c.x() - gap / 2 - w, c.y() - h / 2, w, h), 0.5)
        .united(rect(QRectF(c.x() + gap / 2, c.y() - h / 2, w, h), 0.5));
}

QPainterPath eject(QPointF c, qreal s) {
    const qreal half = s * 0.5;
    return polygon({{c.x() - half, c.y() + s * 0.08},
                    {c.x() + half, c.y() + s * 0.08},
                    {c.x(), c.y() - s * 0.5}})
        .united(rect(QRectF(c.x() - half, c.y() + s * 0.26, s, s * 0.24)));
}

QPainterPath cross(QPointF c, qreal s) {
    const qreal r = s * 0.4;
    return bar(c + QPointF(-r, -r), c + QPointF(r, r), s * 0.26)
        .united(bar(c + QPointF(-r, r), c + QPointF(r, -r), s * 0.26));
}

// A triangle pointing left or right with a bar at its tip: skip to the
// previous or the next entry.
QPainterPath skip(QPointF c, qreal s, bool forward) {
    const qreal h = s * 0.8, w = s * 0.62, barWidth = s * 0.2, left = c.x() - (w + barWidth) / 2;
    const qreal direction = forward ? 1 : -1;
    const qreal tipX = c.x() + direction * ((w + barWidth) / 2 - barWidth);
    const qreal baseX = tipX - direction * w;
    const QPainterPath triangle =
        polygon({{baseX, c.y() - h / 2}, {tipX, c.y()}, {baseX, c.y() + h / 2}});
    const qreal barLeft = forward ? tipX : left;
    return triangle.united(rect(QRectF(barLeft, c.y() - h / 2, barWidth, h), 0.5));
}

// Four corners pointing inwards: the picture comes back into its window.
QPainterPath shrink(QPointF c, qreal s) {
    const qreal reach = s * 0.5, arm = s * 0.34, width = s * 0.17, gap = s * 0.1;
    QPainterPath path;
    for (const qreal dx : {-1.0, 1.0}) {
        for (const qreal dy : {-1.0, 1.0}) {
            // The corner's point, a little off the middle, its arms running outwards.
            const QPointF point(c.x() + dx * gap, c.y() + dy * gap);
            const qreal x = dx < 0 ? point.x() - width : point.x();
            const qreal y = dy < 0 ? point.y() - width : point.y();
            const qreal armX = dx < 0 ? point.x() - arm : point.x();
            const qreal armY = dy < 0 ? point.y() - arm : point.y();
            path = path.united(rect(QRectF(armX, y, arm, width)))
                       .united(rect(QRectF(x, armY, width, arm)));
            // A short diagonal towards the screen's corner.
            path = path.united(bar(point + QPointF(dx, dy) * (width * 0.5),
                                   QPointF(c.x() + dx * reach, c.y() + dy * reach), width));
        }
    }
    return path;
}

} // namespace

QPainterPath PlayTriangle(QPointF c, qreal s) {
    // Shifted right so that the triangle's mass, not its box, sits at the centre.
    const qreal h = s, w = s * 0.87, shift = w / 6;
    return polygon({{c.x() - w / 2 + shift, c.y() - h / 2},
                    {c.x() + w / 2 + shift, c.y()},
                    {c.x() - w / 2 + shift, c.y() + h / 2}});
}

QPainterPath Sparkle(QPointF c, qreal r) {
    QPolygonF star;
    for (int i = 0; i < 8; ++i) {
        const qreal angle = i * std::numbers::pi / 4 - std::numbers::pi / 2;
        const qreal radius = i % 2 == 0 ? r : r * 0.34;
        star << c + QPointF(std::cos(angle), std::sin(angle)) * radius;
    }
    QPainterPath path;
    path.addPolygon(star);
    path.closeSubpath();
    return path;
}

QPainterPath ButtonGlyphPath(ButtonGlyph glyph, QPointF c, qreal s) {
    switch (glyph) {
    case ButtonGlyph::Play:
        return PlayTriangle(c, s);
    case ButtonGlyph::Pause:
        return pauseBars(c, s * 0.92);
    case ButtonGlyph::Stop:
        return rect(QRectF(c.x() - s * 0.4, c.y() - s * 0.4, s * 0.8, s * 0.8), 1);
    case ButtonGlyph::Open:
        return eject(c, s);
    case ButtonGlyph::Effects:
        return Sparkle(c + QPointF(-s * 0.1, s * 0.1), s * 0.58)
            .united(Sparkle(c + QPointF(s * 0.42, -s * 0.42), s * 0.26));
    case ButtonGlyph::Exit:
        return cross(c, s);
    case ButtonGlyph::Previous:
        return skip(c, s, false);
    case ButtonGlyph::Next:
        return skip(c, s, true);
    case ButtonGlyph::LeaveFullScreen:
        return shrink(c, s);
    }
    return {};
}

QPainterPath FolderBack(const QRectF& b) {
    const qreal tab = b.height() * 0.18;
    return rect(QRectF(b.left(), b.top() + tab, b.width(), b.height() - tab), 2)
        .united(rect(QRectF(b.left(), b.top(), b.width() * 0.42, tab * 2), 2));
}

QPainterPath FolderFront(const QRectF& b) {
    const qreal top = b.top() + b.height() * 0.36, lean = b.width() * 0.08;
    QPainterPath flap = polygon({{b.left() + lean, top},
                                 {b.right(), top},
                                 {b.right() - lean, b.bottom()},
                                 {b.left(), b.bottom()}});
    return flap;
}

QPainterPath Sheet(const QRectF& b) {
    const qreal fold = b.width() * 0.3;
    return polygon({b.topLeft(),
                    {b.right() - fold, b.top()},
                    {b.right(), b.top() + fold},
                    b.bottomRight(),
                    b.bottomLeft()});
}

QPainterPath PrinterBody(const QRectF& b) {
    const qreal w = b.width(), h = b.height();
    return rect(QRectF(b.left(), b.top() + h * 0.3, w, h * 0.45), 2)
        .subtracted(rect(QRectF(b.left() + w * 0.15, b.top() + h * 0.56, w * 0.7, h * 0.06)));
}

QPainterPath PrinterPaper(const QRectF& b) {
    const qreal w = b.width(), h = b.height();
    return rect(QRectF(b.left() + w * 0.2, b.top(), w * 0.6, h * 0.3))
        .united(rect(QRectF(b.left() + w * 0.2, b.top() + h * 0.75, w * 0.6, h * 0.25)));
}

} // namespace skingen
