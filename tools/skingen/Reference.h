#pragma once

#include "Bundled.h"

#include <QDir>

// Pictures for skin authors: each window of a skin at three times its size,
// each element's rectangle outlined and named as in skin.json.
namespace skingen {

// Writes main.png, title-strip.png, toolbar.png, playlist.png and
// full-screen-bar.png into `dir`.
void WriteReference(const BundledSkin& skin, const QDir& dir);

} // namespace skingen
