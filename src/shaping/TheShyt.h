#pragma once

// Window outlines from skin pictures, and moving frameless windows by
// dragging their surface.

#include "common/ColourWord.h"

#include <QImage>
#include <QRect>
#include <QRegion>
#include <vector>

class QWidget;

namespace quarn {

class PictureBox;

// The opaque pixels of a picture as runs: maximal one-pixel-high rectangles,
// row by row from the top, left to right. A pixel is opaque when its 24-bit
// colour differs from the colour of the picture's top-left pixel (the key
// colour); the top-left pixel itself is therefore always cut away.
std::vector<QRect> SkinRuns(const QImage& picture);

// The union of the runs, in the picture's coordinates. Empty when the picture
// has no opaque pixel.
QRegion GetSkinRegion(const QImage& picture);

// Prepares the picture element (no frame, sized to its picture), makes the
// window exactly as large as the picture and cuts the window to its outline.
// A picture without opaque pixels leaves the window rectangular.
void ShapeForm(PictureBox& picture, QWidget& window);

// Prepares the picture element and cuts the element itself to its outline.
void ShapeControl(PictureBox& picture);

// Starts moving the target's window with the mouse, as if its title bar had
// been grabbed: the window manager's own move where there is one, otherwise
// the window follows the mouse until the button is released. grabbedAt is
// where the button went down, on the screen.
void DragWindow(QWidget& target, QPoint grabbedAt);

} // namespace quarn
