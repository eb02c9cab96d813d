#include "Icons.h"

#include "Glyphs.h"
#include "Mark.h"
#include "Painting.h"
#include "Theme.h"

namespace skingen {

namespace {

constexpr int kIconSize = 48;

QImage straight(const QImage& art) {
    return art.convertToFormat(QImage::Format_ARGB32);
}

// A bevelled tile in the player's colours that the pictograms sit on.
void iconTile(QPainter& p, const QRectF& box, qreal radius) {
    p.fillPath(RoundedRect(box, radius), QColor(theme::kOutline));
    const QPainterPath rim = RoundedRect(box.adjusted(1, 1, -1, -1), radius - 1);
    p.fillPath(rim, Vertical(box, QColor(theme::kRimLight), QColor(theme::kRimDark)));
    const QPainterPath face = RoundedRect(box.adjusted(3, 3, -3, -3), radius - 2);
    p.fillPath(face, Vertical(box, QColor(theme::kNavyLight), QColor(theme::kNavyDeep)));
}

void pictogram(QPainter& p, const QPainterPath& shape, const QColor& top, const QColor& bottom) {
    p.fillPath(shape.translated(0, 1.5), QColor(0, 0, 0, 150));
    p.fillPath(shape, Vertical(shape.boundingRect(), top, bottom));
}

// The mark on a transparent square, drawn for `size` pixels.
QImage markArt(int size) {
    const qreal scale = qreal(size) / kIconSize;
    QImage art = NewCanvas(size, size);
    {
        QPainter p(&art);
        Prepare(p);
        DrawMark(p, QPointF(22, 22) * scale, 19.5 * scale);
    }
    return art;
}

} // namespace

QImage ProgramIconArt(int size) {
    // Below the full size the ring's edges, at least a pixel each, would leave
    // no steel between them: the small icons are the largest art scaled down,
    // each pixel the average of those it covers.
    if (size < kIconSize)
        return straight(
            markArt(256).scaled(size, size, Qt::IgnoreAspectRatio, Qt::SmoothTransformation));
    return straight(markArt(size));
}

QImage MenusIconArt() {
    QImage art = NewCanvas(kIconSize, kIconSize);
    {
        QPainter p(&art);
        Prepare(p);
        iconTile(p, QRectF(2, 2, 44, 44), 9);
        pictogram(p, Sparkle(QPointF(21, 26), 15), QColor(theme::kGlyphLight),
                  QColor(theme::kGlyphDeep));
        pictogram(p, Sparkle(QPointF(34, 13), 6.5), QColor(theme::kGlyphLight),
                  QColor(theme::kGlyphDeep));
    }
    return straight(art);
}

QImage FileDialogArt() {
    QImage art = NewCanvas(kIconSize, kIconSize);
    {
        QPainter p(&art);
        Prepare(p);
        iconTile(p, QRectF(0, 0, 48, 48), 8);
        const QRectF box(7, 13, 34, 26);
        pictogram(p, FolderBack(box), QColor(theme::kFrame), QColor(theme::kRimDark));
        pictogram(p, Sheet(QRectF(15, 7, 18, 22)), QColor(250, 252, 254), QColor(190, 214, 232));
        pictogram(p, FolderFront(box), QColor(theme::kRimLight), QColor(theme::kFrame));
        Gloss(p, FolderFront(box), 70, 0.5);
    }
    return straight(art);
}

QImage DialogsArt() {
    QImage art = NewCanvas(kIconSize, kIconSize);
    {
        QPainter p(&art);
        Prepare(p);
        iconTile(p, QRectF(0, 0, 48, 48), 8);
        const QPointF dots[] = {{13, 12}, {20, 12}, {16.5, 18}};
        const QRgb colours[] = {qRgb(220, 90, 90), qRgb(110, 196, 120), qRgb(96, 160, 226)};
        for (int i = 0; i < 3; ++i) {
            QPainterPath dot;
            dot.addEllipse(dots[i], 5, 5);
            p.fillPath(dot, WithAlpha(colours[i], 220));
        }
        pictogram(p,
                  CentredOn(TextPath(theme::kSansBold, 20, QStringLiteral("A")), QPointF(33, 15)),
                  QColor(theme::kGlyphLight), QColor(theme::kGlyphDeep));
        const QRectF tray(10, 25, 28, 17);
        pictogram(p, PrinterPaper(tray), QColor(250, 252, 254), QColor(190, 214, 232));
        pictogram(p, PrinterBody(tray), QColor(theme::kRimLight), QColor(theme::kRimDark));
    }
    return straight(art);
}

} // namespace skingen
