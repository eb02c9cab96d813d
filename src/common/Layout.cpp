#include "common/Layout.h"

#include <algorithm>
#include <cmath>

namespace quarn {

TwipsPoint CenteredPosition(double screenWidth, double screenHeight, double windowWidth,
                            double windowHeight) {
    return {screenWidth / 2 - windowWidth / 2, (screenHeight * 0.95) / 2 - windowHeight / 2};
}

std::vector<TwipsPoint> TilePositions(double innerWidth, double innerHeight, double tileWidth,
                                      double tileHeight) {
    std::vector<TwipsPoint> tiles;
    if (tileWidth <= 0 || tileHeight <= 0) {
        return tiles; // a zero step would never end
    }
    for (double x = 0; x <= innerWidth; x += tileWidth) {
        for (double y = 0; y <= innerHeight; y += tileHeight) {
            tiles.push_back({x, y});
        }
    }
    return tiles;
}

MainWindowLayout MainWindowAround(QSize display, const MainFrame& frame) {
    const QRect at(frame.displayAt, display);
    return {display + frame.extra, at,
            QRect(frame.seekBarLeft, at.top() + at.height() + frame.seekBarGap, display.width(),
                  frame.seekBarHeight)};
}

QPoint CompanionPlace(const QRect& main, int x, int top) {
    return {main.left() + main.width() / 2 + x, top};
}

QPoint ShiftIntoArea(const QRect& bounds, const QRect& area) {
    // Into the area from the right and the bottom first, so that a group too
    // large for it ends up at its left and top edges.
    auto shift = [](int low, int high, int areaLow, int areaHigh) {
        int by = std::min(0, areaHigh - high);
        if (low + by < areaLow) {
            by = areaLow - low;
        }
        return by;
    };
    return {shift(bounds.left(), bounds.left() + bounds.width(), area.left(),
                  area.left() + area.width()),
            shift(bounds.top(), bounds.top() + bounds.height(), area.top(),
                  area.top() + area.height())};
}

QPoint SnapIntoArea(const QRect& bounds, const QRect& area, int snap) {
    auto snapped = [snap](int low, int high, int areaLow, int areaHigh) {
        if (std::abs(low - areaLow) <= snap) {
            return areaLow - low;
        }
        if (std::abs(high - areaHigh) <= snap) {
            return areaHigh - high;
        }
        return 0;
    };
    const QPoint by(snapped(bounds.left(), bounds.left() + bounds.width(), area.left(),
                            area.left() + area.width()),
                    snapped(bounds.top(), bounds.top() + bounds.height(), area.top(),
                            area.top() + area.height()));
    return by + ShiftIntoArea(bounds.translated(by), area);
}

QSize FitVideoToScreen(QSize video, QSize available, QSize around) {
    if (video.width() <= 0 || video.height() <= 0) {
        return video;
    }
    const QSize room = available - around;
    const double scale = std::min(
        {1.0, double(room.width()) / video.width(), double(room.height()) / video.height()});
    if (scale >= 1.0) {
        return video;
    }
    const double s = std::max(scale, 0.0);
    return {std::max(1, static_cast<int>(std::floor(video.width() * s))),
            std::max(1, static_cast<int>(std::floor(video.height() * s)))};
}

} // namespace quarn
