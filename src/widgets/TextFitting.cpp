#include "widgets/TextFitting.h"

#include <QFontMetrics>

namespace quarn {

namespace {
constexpr int kNarrowest = 70; // per cent of the face's own width
constexpr double kSmallest = 5.5;
} // namespace

QFont FittingFont(const QFont& font, const QString& text, int width) {
    auto fits = [&](const QFont& f) { return QFontMetrics(f).horizontalAdvance(text) <= width; };
    if (fits(font)) {
        return font;
    }
    QFont fitted = font;
    for (int stretch = 95; stretch >= kNarrowest; stretch -= 5) {
        fitted.setStretch(stretch);
        if (fits(fitted)) {
            return fitted;
        }
    }
    for (double size = font.pointSizeF() - 0.25; size >= kSmallest; size -= 0.25) {
        fitted.setPointSizeF(size);
        if (fits(fitted)) {
            return fitted;
        }
    }
    return fitted;
}

} // namespace quarn
