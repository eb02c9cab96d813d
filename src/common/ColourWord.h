#pragma once

#include <QColor>
#include <QRgb>
#include <cstdint>

namespace quarn {

// A 24-bit colour in a 32-bit word: red in the low byte, then green, then
// blue, high byte 0.
using ColourWord = std::uint32_t;

constexpr ColourWord MakeColourWord(int red, int green, int blue) {
    return static_cast<ColourWord>(red & 0xFF) | (static_cast<ColourWord>(green & 0xFF) << 8) |
           (static_cast<ColourWord>(blue & 0xFF) << 16);
}

constexpr int RedOf(ColourWord c) {
    return static_cast<int>(c & 0xFF);
}
constexpr int GreenOf(ColourWord c) {
    return static_cast<int>((c >> 8) & 0xFF);
}
constexpr int BlueOf(ColourWord c) {
    return static_cast<int>((c >> 16) & 0xFF);
}

// Qt keeps pixels as 0xAARRGGBB; the alpha byte is dropped.
constexpr ColourWord ColourWordFromRgb(QRgb rgb) {
    return MakeColourWord(static_cast<int>((rgb >> 16) & 0xFF), static_cast<int>((rgb >> 8) & 0xFF),
                          static_cast<int>(rgb & 0xFF));
}

inline QColor ToQColor(ColourWord c) {
    return QColor(RedOf(c), GreenOf(c), BlueOf(c));
}

inline ColourWord ColourWordFromQColor(const QColor& c) {
    return MakeColourWord(c.red(), c.green(), c.blue());
}

} // namespace quarn
