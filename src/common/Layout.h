#pragma once

// Where the player's windows go and how large they are: the designs' rules in
// twips (15 to a pixel), the skins' in pixels.

#include "common/Twips.h"

#include <QRect>
#include <QSize>
#include <vector>

namespace quarn {

// Where a window of the given size goes on a screen of the given size (all
// twips): horizontally centred, its middle at 0.95 of half the height.
TwipsPoint CenteredPosition(double screenWidth, double screenHeight, double windowWidth,
                            double windowHeight);

// The top-left corners at which the background tile is drawn over an inner
// area, column by column; both loops include their end value, so the last row
// and column may lie wholly outside the area.
std::vector<TwipsPoint> TilePositions(double innerWidth, double innerHeight, double tileWidth,
                                      double tileHeight);

// The main window's frame around its video display, as its skin draws it
// (pixels): where the display sits, how much larger than the display the
// window is, and where the seek bar goes below the display.
struct MainFrame {
    QPoint displayAt;
    QSize extra;
    int seekBarLeft = 0;
    int seekBarGap = 0; // from the display's bottom edge to the seek bar's top
    int seekBarHeight = 0;
};
struct MainWindowLayout {
    QSize size;
    QRect display;
    QRect seekBar; // as wide as the display
};
MainWindowLayout MainWindowAround(QSize display, const MainFrame& frame);

// Where a companion's top-left corner goes: `x` pixels from the main
// window's middle (half its width, rounded down), at the height `top`.
QPoint CompanionPlace(const QRect& main, int x, int top);

// How far a group of windows covering `bounds` must move, as little as it
// can, to lie wholly inside `area` (pixels). A group larger than the area
// keeps its top left corner on the area.
QPoint ShiftIntoArea(const QRect& bounds, const QRect& area);

// How far a dragged group covering `bounds` moves to stay inside `area`
// (pixels): up to its edges and no further, and onto an edge it comes within
// `snap` pixels of.
QPoint SnapIntoArea(const QRect& bounds, const QRect& area, int snap);

// The display size (pixels) for a video of the given display size: the video's
// own size, or smaller with its aspect kept where the group (which adds
// `around` to the display's size: the main window's frame, the title strip
// above and the toolbar below) would not fit the available screen area.
QSize FitVideoToScreen(QSize video, QSize available, QSize around);

} // namespace quarn
