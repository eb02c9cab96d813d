#include "session/Settings.h"

#include "common/Rounding.h"

#include <QDir>
#include <QJsonDocument>
#include <QJsonObject>
#include <QStandardPaths>
#include <algorithm>
#include <cmath>

namespace quarn {

namespace {

// A settings file is a few dozen bytes; anything much larger is not ours.
constexpr qint64 kLargestFile = 64 * 1024;
constexpr int kShortestPlaylist = 60;
constexpr int kTallestPlaylist = 4000;

// A number rounded to a whole one within [low, high]; `otherwise` for
// anything that is no number.
int wholeNumber(const QJsonValue& value, int low, int high, int otherwise) {
    const double number = value.toDouble(std::nan(""));
    if (!value.isDouble() || std::isnan(number)) {
        return otherwise;
    }
    return std::clamp(RoundToInt32(number), low, high);
}

} // namespace

QString SettingsPath() {
    return QDir(QStandardPaths::writableLocation(QStandardPaths::GenericConfigLocation))
        .filePath(QStringLiteral("quarn-media-player/settings.json"));
}

PlayerSettings LoadSettings(const QString& path) {
    PlayerSettings settings;
    const std::optional<QByteArray> bytes = platform::ReadUserFile(path, kLargestFile);
    const QJsonObject values = bytes ? QJsonDocument::fromJson(*bytes).object() : QJsonObject();
    settings.volume = wholeNumber(values.value(QLatin1String("volume")), 0, 100, settings.volume);
    if (values.value(QLatin1String("muted")).isBool()) {
        settings.muted = values.value(QLatin1String("muted")).toBool();
    }
    if (values.value(QLatin1String("playlistShown")).isBool()) {
        settings.playlistShown = values.value(QLatin1String("playlistShown")).toBool();
    }
    settings.playlistHeight =
        wholeNumber(values.value(QLatin1String("playlistHeight")), kShortestPlaylist,
                    kTallestPlaylist, settings.playlistHeight);
    return settings;
}

platform::WriteOutcome SaveSettings(const QString& path, const PlayerSettings& settings) {
    const QJsonObject values{{QStringLiteral("volume"), settings.volume},
                             {QStringLiteral("muted"), settings.muted},
                             {QStringLiteral("playlistShown"), settings.playlistShown},
                             {QStringLiteral("playlistHeight"), settings.playlistHeight}};
    return platform::WriteUserFile(path, QJsonDocument(values).toJson());
}

} // namespace quarn
