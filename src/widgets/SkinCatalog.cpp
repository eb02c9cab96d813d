#include "widgets/SkinCatalog.h"

#include "widgets/Skin.h"
#include "widgets/SkinArchive.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QJsonDocument>
#include <QJsonObject>
#include <QSet>

namespace quarn {

namespace {

constexpr qint64 kMaxManifestBytes = 1000 * 1000; // larger, the name is not worth reading

QString nameIn(const QByteArray& manifest, const QString& fallback) {
    const QString name =
        QJsonDocument::fromJson(manifest).object().value(QStringLiteral("name")).toString();
    return name.trimmed().isEmpty() ? fallback : name;
}

QString nameOf(const QFileInfo& skin, const QString& id) {
    if (skin.isDir()) {
        QFile manifest(QDir(skin.filePath()).filePath(QStringLiteral("skin.json")));
        if (manifest.size() > kMaxManifestBytes || !manifest.open(QIODevice::ReadOnly)) {
            return id;
        }
        return nameIn(manifest.read(kMaxManifestBytes), id);
    }
    try {
        // Only skin.json is expanded; a hostile archive is refused as it would be when read.
        const QString manifest = QStringLiteral("skin.json");
        return nameIn(ReadSkinArchive(skin.filePath(), manifest).value(manifest), id);
    } catch (const ArchiveProblem&) {
        return id;
    }
}

QString uniqueId(const QString& id, QSet<QString>& taken) {
    QString unique = id;
    for (int n = 2; taken.contains(unique); ++n) {
        unique = id + QLatin1Char('-') + QString::number(n);
    }
    taken.insert(unique);
    return unique;
}

void listFolder(const QString& folder, bool bundled, QSet<QString>& taken,
                std::vector<SkinEntry>& skins) {
    const QFileInfoList items = QDir(folder).entryInfoList(
        QDir::Dirs | QDir::Files | QDir::NoDotAndDotDot, QDir::Name | QDir::IgnoreCase);
    for (const QFileInfo& item : items) {
        const bool skin =
            item.isDir() ? QFileInfo(QDir(item.filePath()), QStringLiteral("skin.json")).isFile()
                         : item.isFile() && item.suffix().compare(QLatin1String("zip"),
                                                                  Qt::CaseInsensitive) == 0;
        if (skin) {
            const QString id = SkinId(item.filePath());
            skins.push_back({uniqueId(id, taken), nameOf(item, id), item.filePath(), bundled});
        }
    }
}

} // namespace

std::vector<SkinEntry> ListSkins(const QStringList& bundledFolders, const QString& userFolder) {
    std::vector<SkinEntry> skins;
    QSet<QString> taken;
    for (const QString& folder : bundledFolders) {
        listFolder(folder, true, taken, skins);
    }
    if (!userFolder.isEmpty()) {
        listFolder(userFolder, false, taken, skins);
    }
    return skins;
}

} // namespace quarn
