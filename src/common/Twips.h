#pragma once

#include "common/Rounding.h"

#include <QPoint>
#include <QRect>
#include <QSize>

namespace quarn {

// Positions and sizes are kept in twips throughout the program's logic; the
// conversion to the toolkit's logical pixels happens only where a widget is
// placed or measured.
inline constexpr int kTwipsPerPixel = 15;

constexpr double pixelsToTwips(double pixels) {
    return pixels * kTwipsPerPixel;
}

inline int twipsToPixels(double twips) {
    return roundToInt32(twips / kTwipsPerPixel);
}

// A point in twips.
struct TwipsPoint {
    double left = 0;
    double top = 0;

    friend bool operator==(const TwipsPoint&, const TwipsPoint&) = default;
};

// A rectangle in twips: left, top, width, height.
struct TwipsRect {
    double left = 0;
    double top = 0;
    double width = 0;
    double height = 0;

    friend bool operator==(const TwipsRect&, const TwipsRect&) = default;
};

inline QRect toPixels(const TwipsRect& r) {
    return {twipsToPixels(r.left), twipsToPixels(r.top), twipsToPixels(r.width),
            twipsToPixels(r.height)};
}

inline QPoint toPixels(const TwipsPoint& p) {
    return {twipsToPixels(p.left), twipsToPixels(p.top)};
}

inline TwipsRect toTwips(const QRect& r) {
    return {pixelsToTwips(r.x()), pixelsToTwips(r.y()), pixelsToTwips(r.width()),
            pixelsToTwips(r.height())};
}

} // namespace quarn
