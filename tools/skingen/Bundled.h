#pragma once

#include "Manifest.h"
#include "Themed.h"

#include <QImage>
#include <optional>
#include <utility>
#include <vector>

// The skins that come with the player: Classic (the player's own look, drawn
// by Skins.cpp), Light and High contrast (drawn from a Look by Themed.cpp).
namespace skingen {

struct BundledSkin {
    SkinData data;
    std::optional<Look> look; // none: Classic's own pictures
    bool twins = false;       // with @2x twins of every picture
    double minimumContrast = 1;
};

std::vector<BundledSkin> BundledSkins();

// Every picture of a bundled skin at 1x (scale 1) or as @2x twins (scale 2),
// with its file name.
std::vector<std::pair<QString, QImage>> PicturesOf(const BundledSkin& skin, int scale);

} // namespace skingen
