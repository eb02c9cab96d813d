#pragma once

// The skins the player can offer: the bundled ones and the user's.

#include <QString>
#include <QStringList>
#include <vector>

namespace quarn {

struct SkinEntry {
    QString id;   // unique in the list: the skin's id, or "ID-2", "ID-3" ... for a later namesake
    QString name; // the manifest's "name", or the skin's id where it cannot be read cheaply
    QString path; // what ReadSkin() takes
    bool bundled = false;
};

// Every sub-folder holding a skin.json and every .zip archive in the bundled
// folders (in the order given), then in the user's folder; by name within a
// folder. Quick: it reads the manifests' names only, checks nothing else and
// decodes no picture, so a listed skin may still be refused when read.
std::vector<SkinEntry> ListSkins(const QStringList& bundledFolders, const QString& userFolder);

} // namespace quarn
