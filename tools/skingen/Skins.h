#pragma once

#include "Glyphs.h"

#include <QImage>

// The window skins: toolbar, title strip, buttons, the playlist, the
// full-screen controls bar and the background tile.
namespace skingen {

QImage ToolbarSkin();
QImage SongNameSkin();
QImage ButtonSkin(ButtonGlyph glyph);
QImage BackgroundTile();

// A skin for a window that stretches one way: the first and last slices are
// drawn once, the middle one repeats between them without a seam.
struct SlicedSkin {
    QImage first, middle, last;
};

// The playlist, stretched downwards: top, middle and bottom.
SlicedSkin PlaylistSkin();
// The full-screen controls bar, stretched across: left cap, middle and right cap.
SlicedSkin OverlaySkin();

} // namespace skingen
