#include "Icons.h"

#include "Glyphs.h"
#include "Mark.h"
#include "Painting.h"
#include "Theme.h"

namespace skingen {

namespace {

constexpr int iconSize = 48;

QImage straight(const QImage& art) {
    return art.convertToFormat(QImage::Format_ARGB32);
}

// A bevelled tile in the player's colours that the pictograms sit on.
void iconTile(QPainter& p, const QRectF& box, qreal radius) {
    p.fillPath(roundedRect(box, radius), QColor(theme::outline));
    const QPainterPath rim = roundedRect(box.adjusted(1, 1, -1, -1), radius - 1);
    p.fillPath(rim, vertical(box, QColor(theme::rimLight), QColor(theme::rimDark)));
    const QPainterPath face = roundedRect(box.adjusted(3, 3, -3, -3), radius - 2);
    p.fillPath(face, vertical(box, QColor(theme::navyLight), QColor(theme::navyDeep)));
}

void pictogram(QPainter& p, const QPainterPath& shape, const QColor& top, const QColor& bottom) {
    p.fillPath(shape.translated(0, 1.5), QColor(0, 0, 0, 150));
    p.fillPath(shape, vertical(shape.boundingRect(), top, bottom));
}

// The mark on a transparent square, drawn for `size` pixels.
QImage markArt(int size) {
    const qreal scale = qreal(size) / iconSize;
    QImage art = newCanvas(size, size);
    {
        QPainter p(&art);
        prepare(p);
        drawMark(p, QPointF(22, 22) * scale, 19.5 * scale);
    }
    return art;
}

} // namespace

QImage programIconArt(int size) {
    // Below the full size the ring's edges, at least a pixel each, would leave
    // no steel between them: the small icons are the largest art scaled down,
    // each pixel the average of those it covers.
    if (size < iconSize)
        return straight(
            markArt(256).scaled(size, size, Qt::IgnoreAspectRatio, Qt::SmoothTransformation));
    return straight(markArt(size));
}

QImage menusIconArt() {
    QImage art = newCanvas(iconSize, iconSize);
    {
        QPainter p(&art);
        prepare(p);
        iconTile(p, QRectF(2, 2, 44, 44), 9);
        pictogram(p, sparkle(QPointF(21, 26), 15), QColor(theme::glyphLight),
                  QColor(theme::glyphDeep));
        pictogram(p, sparkle(QPointF(34, 13), 6.5), QColor(theme::glyphLight),
                  QColor(theme::glyphDeep));
    }
    return straight(art);
}

QImage fileDialogArt() {
    QImage art = newCanvas(iconSize, iconSize);
    {
        QPainter p(&art);
        prepare(p);
        iconTile(p, QRectF(0, 0, 48, 48), 8);
        const QRectF box(7, 13, 34, 26);
        pictogram(p, folderBack(box), QColor(theme::frame), QColor(theme::rimDark));
        pictogram(p, sheet(QRectF(15, 7, 18, 22)), QColor(250, 252, 254), QColor(190, 214, 232));
        pictogram(p, folderFront(box), QColor(theme::rimLight), QColor(theme::frame));
        gloss(p, folderFront(box), 70, 0.5);
    }
    return straight(art);
}

QImage dialogsArt() {
    QImage art = newCanvas(iconSize, iconSize);
    {
        QPainter p(&art);
        prepare(p);
        iconTile(p, QRectF(0, 0, 48, 48), 8);
        const QPointF dots[] = {{13, 12}, {20, 12}, {16.5, 18}};
        const QRgb colours[] = {qRgb(220, 90, 90), qRgb(110, 196, 120), qRgb(96, 160, 226)};
        for (int i = 0; i < 3; ++i) {
            QPainterPath dot;
            dot.addEllipse(dots[i], 5, 5);
            p.fillPath(dot, withAlpha(colours[i], 220));
        }
        pictogram(p, centredOn(textPath(theme::sansBold, 20, QStringLiteral("A")), QPointF(33, 15)),
                  QColor(theme::glyphLight), QColor(theme::glyphDeep));
        const QRectF tray(10, 25, 28, 17);
        pictogram(p, printerPaper(tray), QColor(250, 252, 254), QColor(190, 214, 232));
        pictogram(p, printerBody(tray), QColor(theme::rimLight), QColor(theme::rimDark));
    }
    return straight(art);
}

} // namespace skingen
