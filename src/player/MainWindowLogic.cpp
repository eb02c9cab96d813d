#include "player/MainWindowLogic.h"

#include <algorithm>
#include <cmath>
#include <cstdlib>

namespace quarn {

QString TimeString(std::int32_t seconds) {
    if (seconds < 0) {
        // Whole-minute arithmetic below assumes a non-negative count.
        const std::int64_t magnitude = -static_cast<std::int64_t>(seconds);
        return QStringLiteral("-") +
               TimeString(static_cast<std::int32_t>(std::min<std::int64_t>(magnitude, INT32_MAX)));
    }
    const std::int32_t minutesTotal = seconds / 60;
    const std::int32_t hours = minutesTotal / 60;
    const std::int32_t minutes = minutesTotal % 60;
    const std::int32_t secs = seconds % 60;
    auto twoDigits = [](std::int32_t n) { return QStringLiteral("%1").arg(n, 2, 10, QChar('0')); };
    if (hours != 0) {
        return QStringLiteral("%1:%2:%3").arg(hours).arg(twoDigits(minutes), twoDigits(secs));
    }
    return QStringLiteral("%1:%2").arg(minutes).arg(twoDigits(secs));
}

QString GetFileName(const QString& path) {
    qsizetype cut = path.lastIndexOf(QLatin1Char('/'));
#if defined(Q_OS_WIN)
    cut = std::max(cut, path.lastIndexOf(QLatin1Char('\\')));
#endif
    return path.mid(cut + 1);
}

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

TwipsPoint GroupOnScreen(const TwipsRect& main, const TwipsRect& area, double companionWidth,
                         double toolbarHeight) {
    using namespace layout;
    const double companionLeft = main.left + main.width / 2 - kDockHalfWidth;
    const double left = std::min(main.left, companionLeft);
    const double right = std::max(main.left + main.width, companionLeft + companionWidth);
    const double top = main.top - kTitleAbove;
    const double bottom = main.top + main.height + kToolbarGap + toolbarHeight;
    // Into the area from the right and the bottom first, so that a group too
    // large for it ends up at its left and top edges.
    auto shift = [](double low, double high, double areaLow, double areaHigh) {
        double by = std::min(0.0, areaHigh - high);
        if (low + by < areaLow) {
            by = areaLow - low;
        }
        return by;
    };
    return {main.left + shift(left, right, area.left, area.left + area.width),
            main.top + shift(top, bottom, area.top, area.top + area.height)};
}

QSize FitVideoToScreen(QSize video, QSize available) {
    if (video.width() <= 0 || video.height() <= 0) {
        return video;
    }
    using namespace layout;
    const double roomWidth = pixelsToTwips(available.width()) - kMainExtraWidth;
    const double roomHeight = pixelsToTwips(available.height()) - kTitleAbove - kMainExtraHeight -
                              kToolbarGap - kToolbarHeight;
    const double scale = std::min({1.0, roomWidth / pixelsToTwips(video.width()),
                                   roomHeight / pixelsToTwips(video.height())});
    if (scale >= 1.0) {
        return video;
    }
    const double s = std::max(scale, 0.0);
    return {std::max(1, static_cast<int>(std::floor(video.width() * s))),
            std::max(1, static_cast<int>(std::floor(video.height() * s)))};
}

} // namespace quarn
