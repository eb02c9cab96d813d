#pragma once

#include "Manifest.h"

#include <QImage>
#include <QString>
#include <utility>
#include <vector>

// The pictures of the skins drawn from a few colours and measures (Light and
// High contrast): every window a rounded panel inside an outline, a field
// behind each text, flat buttons with a pictogram. Everything is drawn in 1x
// pixels on a canvas `scale` times the size, so that an @2x twin is drawn,
// not scaled.
namespace skingen {

struct Look {
    QRgb panelTop = 0, panelBottom = 0; // the windows' face, lit from above
    QRgb outline = 0;
    qreal outlineWidth = 1;
    qreal radius = 6;
    QRgb accent = 0; // a stripe along the top of each window
    qreal accentHeight = 0;
    QRgb field = 0, fieldEdge = 0; // behind the time, the title, the list and the totals
    qreal fieldEdgeWidth = 1;
    qreal fieldRadius = 3;
    QRgb buttonTop = 0, buttonBottom = 0, buttonEdge = 0, glyph = 0;
    qreal buttonEdgeWidth = 1;
    qreal buttonRadius = 4;
    QRgb pressedTop = 0, pressedBottom = 0, pressedGlyph = 0;
    QRgb lettering = 0;             // the playlist's name
    QRgb groove = 0;                // the grip's lines
    QRgb tileBase = 0, tileDot = 0; // the main window's tile: dots every 4 pixels
    QRgb keyColour = 0;             // the colour cut away; with an alpha key, unused
    bool alphaKey = false;
};

// Every picture the skin names, with its file name.
std::vector<std::pair<QString, QImage>> ThemedPictures(const SkinData& skin, const Look& look,
                                                       int scale);

// Throws unless every text, pictogram and control of the skin stands out at
// least `minimum` to 1 (WCAG contrast) from what is behind it.
void CheckContrast(const SkinData& skin, const Look& look, double minimum);

} // namespace skingen
