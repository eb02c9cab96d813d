#pragma once

#include <QIcon>
#include <QImage>
#include <QString>

namespace quarn {

// An icon from an ICO file: its 32-bit image with alpha where there is one
// (the toolkit shows a 24-bit image's transparency mask as black).
QIcon LoadIcon(const QString& path);

// Loads an embedded picture as 32-bit RGB; a missing one gives a 1 x 1 black
// picture rather than nothing, so the windows still come up.
QImage LoadPicture(const QString& path);

} // namespace quarn
