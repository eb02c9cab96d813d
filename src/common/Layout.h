#pragma once

// Where the player's windows go and how large they are, worked out in twips
// (15 to a pixel) as the designs give them.

#include "common/Twips.h"

#include <QRect>
#include <QSize>
#include <vector>

namespace quarn {

namespace layout {
inline constexpr double kDisplayLeft = 120; // the display's place in the main window
inline constexpr double kDisplayTop = 120;
inline constexpr double kDisplayWidth = 3585; // the display's design size
inline constexpr double kDisplayHeight = 2715;
inline constexpr double kMainExtraWidth = 200;  // main width = display width + 200
inline constexpr double kMainExtraHeight = 500; // main height = display height + 500
inline constexpr double kSeekBarGap = 200;      // seek bar top = display height + 200
inline constexpr double kSeekBarLeft = 120;
inline constexpr double kSeekBarHeight = 135;
inline constexpr double kDockHalfWidth = 1850;  // companions' left = main centre - 1850
inline constexpr double kTitleAbove = 600;      // title strip top = main top - 600
inline constexpr double kToolbarGap = 30;       // toolbar top = main bottom + 30
inline constexpr double kCompanionWidth = 3660; // both companions' skins, 244 pixels
inline constexpr double kToolbarHeight = 690;   // the toolbar's skin, 46 pixels
} // namespace layout

// Where a window of the given size goes on a screen of the given size (all
// twips): horizontally centred, its middle at 0.95 of half the height.
TwipsPoint CenteredPosition(double screenWidth, double screenHeight, double windowWidth,
                            double windowHeight);

// The top-left corners at which the background tile is drawn over an inner
// area, column by column; both loops include their end value, so the last row
// and column may lie wholly outside the area.
std::vector<TwipsPoint> TilePositions(double innerWidth, double innerHeight, double tileWidth,
                                      double tileHeight);

// The main window around a display of the given size: the window's own size
// and the seek bar's place below the display.
struct MainWindowLayout {
    double width = 0;
    double height = 0;
    TwipsRect seekBar;
};
MainWindowLayout MainWindowAround(double displayWidth, double displayHeight);

// Where the companions stand beside the main window: both 1850 twips left of
// its middle, the title strip 600 twips above its top, the toolbar 30 twips
// below its bottom.
TwipsPoint TitleStripDock(const TwipsRect& main);
TwipsPoint ToolbarDock(const TwipsRect& main);

// How far a group of windows covering `bounds` must move, as little as it
// can, to lie wholly inside `area` (pixels). A group larger than the area
// keeps its top left corner on the area.
QPoint ShiftIntoArea(const QRect& bounds, const QRect& area);

// The display size (pixels) for a video of the given display size: the video's
// own size, or smaller with its aspect kept when the main window with the title
// strip above and the toolbar below would not fit the available screen area.
QSize FitVideoToScreen(QSize video, QSize available);

} // namespace quarn
