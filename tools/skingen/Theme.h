#pragma once

#include <QRgb>

// One palette for every picture: steel blue on dark navy.
namespace skingen::theme {

// The toolbar reads its time colour back from the frame (pixel 10, 4).
inline constexpr QRgb kFrame = qRgb(88, 149, 193);
// The colour the program draws titles and labels in.
inline constexpr QRgb kText = qRgb(90, 150, 198);

inline constexpr QRgb kOutline = qRgb(8, 13, 22);
inline constexpr QRgb kNavyLight = qRgb(38, 56, 82);
inline constexpr QRgb kNavy = qRgb(20, 30, 46);
inline constexpr QRgb kNavyDeep = qRgb(10, 15, 25);
inline constexpr QRgb kLcd = qRgb(4, 9, 16);
inline constexpr QRgb kRimLight = qRgb(170, 208, 236);
inline constexpr QRgb kRimDark = qRgb(36, 66, 96);
inline constexpr QRgb kGlyphLight = qRgb(210, 236, 252);
inline constexpr QRgb kGlyphDeep = qRgb(110, 170, 216);

inline constexpr QRgb kEyWhite = qRgb(255, 255, 255);
inline constexpr QRgb kEyRed = qRgb(255, 0, 0);
inline constexpr QRgb kEyMagenta = qRgb(255, 0, 255);

// Fonts from fonts-dejavu-core and fonts-comic-neue, loaded by path so that
// no font configuration of the machine changes the lettering.
inline constexpr const char* kSansBold = "/usr/share/fonts/truetype/dejavu/DejaVuSans-Bold.ttf";
inline constexpr const char* kComicBold = "/usr/share/fonts/opentype/comic-neue/ComicNeue-Bold.otf";

} // namespace skingen::theme
