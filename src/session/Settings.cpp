#include "session/Settings.h"

#include "common/Rounding.h"
#include "session/StoredNames.h"

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
// ReplayGain's modes as the file names them, in the order of the enum.
const QStringList kReplayGainNames{QStringLiteral("off"), QStringLiteral("track"),
                                   QStringLiteral("album")};

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
    if (values.value(QLatin1String("alwaysOnTop")).isBool()) {
        settings.alwaysOnTop = values.value(QLatin1String("alwaysOnTop")).toBool();
    }
    if (values.value(QLatin1String("playlistShown")).isBool()) {
        settings.playlistShown = values.value(QLatin1String("playlistShown")).toBool();
    }
    settings.playlistHeight =
        wholeNumber(values.value(QLatin1String("playlistHeight")), kShortestPlaylist,
                    kTallestPlaylist, settings.playlistHeight);
    if (const QJsonValue skin = values.value(QLatin1String("skin"));
        skin.isString() && !skin.toString().isEmpty()) {
        settings.skin = skin.toString();
    }
    if (const double size = values.value(QLatin1String("skinSize")).toDouble(-1);
        IsSkinSize(size)) {
        settings.skinSize = size;
    }
    if (const qsizetype gain =
            kReplayGainNames.indexOf(values.value(QLatin1String("replayGain")).toString());
        gain >= 0) {
        settings.replayGain = ReplayGain(gain);
    }
    // Kept as the stores keep names, so that one that is not UTF-8 comes back.
    if (const QString folder = NameFromStore(values.value(QLatin1String("lastFolder")).toString());
        QDir::isAbsolutePath(folder)) {
        settings.lastFolder = folder;
    }
    return settings;
}

bool IsSkinSize(double size) {
    return size == 0 || size == 1 || size == 1.5 || size == 2;
}

platform::WriteOutcome SaveSettings(const QString& path, const PlayerSettings& settings) {
    const QJsonObject values{
        {QStringLiteral("volume"), settings.volume},
        {QStringLiteral("muted"), settings.muted},
        {QStringLiteral("playlistShown"), settings.playlistShown},
        {QStringLiteral("playlistHeight"), settings.playlistHeight},
        {QStringLiteral("skin"), settings.skin},
        {QStringLiteral("skinSize"), settings.skinSize},
        {QStringLiteral("replayGain"), kReplayGainNames.at(qsizetype(settings.replayGain))},
        {QStringLiteral("alwaysOnTop"), settings.alwaysOnTop},
        {QStringLiteral("lastFolder"), StoredName(settings.lastFolder)}};
    return platform::WriteUserFile(path, QJsonDocument(values).toJson());
}

} // namespace quarn
