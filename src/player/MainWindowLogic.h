#pragma once

#include "common/Twips.h"

#include <QSize>
#include <QString>
#include <cstdint>
#include <vector>

namespace quarn {

// "m:ss", or "h:mm:ss" from one hour on. Negative times are shown with a
// leading minus sign ("-1:05").
QString TimeString(std::int32_t seconds);

// The file's name: the text after the last path separator ("" when the path
// ends in one). "/" separates everywhere; on Windows "\" does too.
QString GetFileName(const QString& path);

// Where CenterForm puts a window of the given size on a screen of the given
// size (all twips): horizontally centred, its middle at 0.95 of half the height.
TwipsPoint CenteredPosition(double screenWidth, double screenHeight, double windowWidth,
                            double windowHeight);

// The top-left corners at which the background tile is drawn over an inner
// area, column by column; both loops include their end value, so the last row
// and column may lie wholly outside the area.
std::vector<TwipsPoint> TilePositions(double innerWidth, double innerHeight, double tileWidth,
                                      double tileHeight);

// The fixed margins around the display area, in twips.
namespace layout {
inline constexpr double kMainExtraWidth = 200;  // main width = display width + 200
inline constexpr double kMainExtraHeight = 500; // main height = display height + 500
inline constexpr double kSeekBarGap = 200;      // seek bar top = display height + 200
inline constexpr double kDockHalfWidth = 1850;  // companions' left = main centre - 1850
inline constexpr double kTitleAbove = 600;      // title strip top = main top - 600
inline constexpr double kToolbarGap = 30;       // toolbar top = main bottom + 30
inline constexpr double kTitleHeight = 585;     // the title strip's skin, 39 pixels
inline constexpr double kToolbarHeight = 690;   // the toolbar's skin, 46 pixels
inline constexpr double kDisplayWidth = 3585;   // the display's design size
inline constexpr double kDisplayHeight = 2715;
} // namespace layout

// Where the main window goes so that it, the title strip docked above it and
// the toolbar docked below lie wholly inside the available area (all twips):
// the group moves as little as it must. A group larger than the area keeps
// its top left corner on the area.
TwipsPoint GroupOnScreen(const TwipsRect& main, const TwipsRect& area, double companionWidth,
                         double toolbarHeight);

// The display size (pixels) for a video of the given display size: the video's
// own size, or smaller with its aspect kept when the main window with the title
// strip above and the toolbar below would not fit the available screen area.
QSize FitVideoToScreen(QSize video, QSize available);

} // namespace quarn
