#pragma once

#include "Glyphs.h"

#include <QImage>

// The window skins: toolbar, title strip, buttons and the background tile.
namespace skingen {

QImage ToolbarSkin();
QImage SongNameSkin();
QImage ButtonSkin(ButtonGlyph glyph);
QImage BackgroundTile();

} // namespace skingen
