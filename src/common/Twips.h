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

constexpr double PixelsToTwips(double pixels) {
    return pixels * kTwipsPerPixel;
}

inline int TwipsToPixels(double twips) {
    return RoundToInt32(twips / kTwipsPerPixel);
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

inline QRect ToPixels(const TwipsRect& r) {
    return {TwipsToPixels(r.left), TwipsToPixels(r.top), TwipsToPixels(r.width),
            TwipsToPixels(r.height)};
}

inline QPoint ToPixels(const TwipsPoint& p) {
    return {TwipsToPixels(p.left), TwipsToPixels(p.top)};
}

inline TwipsRect ToTwips(const QRect& r) {
    return {PixelsToTwips(r.x()), PixelsToTwips(r.y()), PixelsToTwips(r.width()),
            PixelsToTwips(r.height())};
}

} // namespace quarn
