#pragma once

#include <QPainterPath>

// Pictograms as paths, so that they scale to any picture.
namespace skingen {

enum class ButtonGlyph { Play, Pause, Stop, Open, Effects, Exit };

// The pictogram of a toolbar button, centred on `centre`, about `size` pixels tall.
QPainterPath buttonGlyph(ButtonGlyph glyph, QPointF centre, qreal size);
QPainterPath sparkle(QPointF centre, qreal radius);
QPainterPath playTriangle(QPointF centre, qreal size);
// An open folder: its back with the tab, and its front flap.
QPainterPath folderBack(const QRectF& box);
QPainterPath folderFront(const QRectF& box);
QPainterPath sheet(const QRectF& box);
// A printer: its body with the paper slot, and the sheets going in and out.
QPainterPath printerBody(const QRectF& box);
QPainterPath printerPaper(const QRectF& box);

} // namespace skingen
