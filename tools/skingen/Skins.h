#pragma once

#include "Glyphs.h"

#include <QImage>

// The window skins: toolbar, title strip, buttons and the background tile.
namespace skingen {

QImage toolbarSkin();
QImage songNameSkin();
QImage buttonSkin(ButtonGlyph glyph);
QImage backgroundTile();

} // namespace skingen
