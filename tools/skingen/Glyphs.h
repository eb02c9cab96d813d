#pragma once

#include <QPainterPath>

// Pictograms as paths, so that they scale to any picture.
namespace skingen {

enum class ButtonGlyph { Play, Pause, Stop, Open, Effects, Exit, Previous, Next, LeaveFullScreen };

// The pictogram of a toolbar button, centred on `centre`, about `size` pixels tall.
QPainterPath ButtonGlyphPath(ButtonGlyph glyph, QPointF centre, qreal size);
QPainterPath Sparkle(QPointF centre, qreal radius);
QPainterPath PlayTriangle(QPointF centre, qreal size);
// An open folder: its back with the tab, and its front flap.
QPainterPath FolderBack(const QRectF& box);
QPainterPath FolderFront(const QRectF& box);
QPainterPath Sheet(const QRectF& box);
// A printer: its body with the paper slot, and the sheets going in and out.
QPainterPath PrinterBody(const QRectF& box);
QPainterPath PrinterPaper(const QRectF& box);

} // namespace skingen
