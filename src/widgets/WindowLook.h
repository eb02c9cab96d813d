#pragma once

// How the windows take the look of their designs: sizes, fonts, colours, no
// frame, and where they are placed.

#include "common/Designs.h"
#include "common/Twips.h"

#include <QFont>
#include <QRect>

class QWidget;

namespace quarn {

// The pixel rectangle of a design element.
inline QRect PixelRect(const design::Element& e) {
    return ToPixels(TwipsRect{double(e.left), double(e.top), double(e.width), double(e.height)});
}

// The designed face at the designed size, with a face of the same kind to
// fall back on where the designed one is not installed.
QFont DesignFont(const design::Font& font);

// Makes a top-level window borderless and keeps it out of the taskbar.
void MakeBorderless(QWidget& window);

// Places a window at the centre of its screen.
void CenterOnScreen(QWidget& window);

// Gives a window the designed background and text colours.
void SetDesignColours(QWidget& widget, ColourWord back, ColourWord fore);

// Places a window on the screen it is on: centred across, its middle at 0.95
// of half the screen's height.
void CenterForm(QWidget& form);

} // namespace quarn
