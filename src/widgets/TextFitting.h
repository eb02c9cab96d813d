#pragma once

#include <QFont>
#include <QString>

namespace quarn {

// The font in which `text` fits `width` pixels: `font` itself where it does;
// else narrowed (down to 70% of its width), then smaller (down to 5.5 points)
// until it fits, or as small as that allows.
QFont FittingFont(const QFont& font, const QString& text, int width);

} // namespace quarn
