#include "session/Settings.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QJsonDocument>
#include <QJsonObject>
#include <QSaveFile>
#include <QStandardPaths>
#include <algorithm>

namespace quarn {

namespace {
// A settings file is a few dozen bytes; anything much larger is not ours.
constexpr qint64 kLargestFile = 64 * 1024;
} // namespace

QString SettingsPath() {
    return QDir(QStandardPaths::writableLocation(QStandardPaths::GenericConfigLocation))
        .filePath(QStringLiteral("quarn-media-player/settings.json"));
}

PlayerSettings LoadSettings(const QString& path) {
    PlayerSettings settings;
    QFile file(path);
    if (!QFileInfo(path).isFile() || QFileInfo(path).size() > kLargestFile ||
        !file.open(QIODevice::ReadOnly)) {
        return settings;
    }
    const QJsonDocument document = QJsonDocument::fromJson(file.readAll());
    if (!document.isObject()) {
        return settings;
    }
    const QJsonObject values = document.object();
    if (values.value(QLatin1String("volume")).isDouble()) {
        settings.volume = std::clamp(values.value(QLatin1String("volume")).toInt(), 0, 100);
    }
    if (values.value(QLatin1String("muted")).isBool()) {
        settings.muted = values.value(QLatin1String("muted")).toBool();
    }
    return settings;
}

bool SaveSettings(const QString& path, const PlayerSettings& settings) {
    if (!QDir().mkpath(QFileInfo(path).path())) {
        return false;
    }
    QSaveFile file(path);
    if (!file.open(QIODevice::WriteOnly)) {
        return false;
    }
    const QJsonObject values{{QStringLiteral("volume"), settings.volume},
                             {QStringLiteral("muted"), settings.muted}};
    file.write(QJsonDocument(values).toJson());
    return file.commit();
}

} // namespace quarn
