#pragma once

// Window outlines from skin pictures.

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

// Makes the top-level window `size` and keeps it so. A window manager's
// report of an earlier size that arrives after the new one was asked for
// would otherwise leave the window at the old size; such a report is
// answered by asking again (a few times at most, should a window manager
// insist on a size of its own).
void HoldSize(QWidget& window, QSize size);

} // namespace quarn
