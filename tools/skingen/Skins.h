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

// Cuts a stretching skin drawn in one piece, its middle stretch repeated a few
// times, into `first`, one `middle` and `last` pixels; throws unless every row
// (or column) of the stretch is the same, as the middle would show seams.
SlicedSkin Sliced(const QImage& whole, int first, int middle, int last, Qt::Orientation along);

// The playlist, stretched downwards: top, middle and bottom.
SlicedSkin PlaylistSkin();
// The full-screen controls bar, stretched across: left cap, middle and right cap.
SlicedSkin OverlaySkin();

} // namespace skingen
