#include "session/QueueStore.h"

#include "common/StreamUrl.h"
#include "session/StoredNames.h"

#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <algorithm>

namespace quarn {

namespace {
// A queue of a hundred thousand entries with long names; anything larger is not ours.
constexpr qint64 kLargestFile = 64 * 1024 * 1024;
} // namespace

StoredQueue LoadQueue(const QString& path) {
    StoredQueue queue;
    const QJsonObject all = ReadStore(path, kLargestFile);
    for (const QJsonValue& value : all.value(QLatin1String("entries")).toArray()) {
        const QJsonObject stored = value.toObject();
        PlaylistEntry entry;
        entry.location = NameFromStore(stored.value(QLatin1String("location")).toString());
        if (entry.location.isEmpty()) {
            continue;
        }
        entry.title = stored.value(QLatin1String("title")).toString();
        entry.length = stored.value(QLatin1String("length")).toDouble(-1);
        entry.artist = stored.value(QLatin1String("artist")).toString();
        entry.album = stored.value(QLatin1String("album")).toString();
        entry.trackNumber = stored.value(QLatin1String("track")).toInt(0);
        entry.start = std::max(0.0, stored.value(QLatin1String("start")).toDouble(0));
        entry.end = stored.value(QLatin1String("end")).toDouble(-1);
        entry.stream = IsStreamUrl(entry.location);
        queue.entries.push_back(entry);
    }
    queue.current = all.value(QLatin1String("current")).toInteger(0);
    return queue;
}

platform::WriteOutcome SaveQueue(const QString& path, const StoredQueue& queue) {
    QJsonArray entries;
    for (const PlaylistEntry& entry : queue.entries) {
        QJsonObject stored{{QStringLiteral("location"), StoredName(entry.location)}};
        if (!entry.title.isEmpty()) {
            stored.insert(QStringLiteral("title"), entry.title);
        }
        if (entry.length >= 0) {
            stored.insert(QStringLiteral("length"), entry.length);
        }
        for (const auto& [key, text] :
             {std::pair("artist", entry.artist), {"album", entry.album}}) {
            if (!text.isEmpty()) {
                stored.insert(QLatin1String(key), text);
            }
        }
        if (entry.trackNumber > 0) {
            stored.insert(QStringLiteral("track"), entry.trackNumber);
        }
        if (IsFilePart(entry)) {
            stored.insert(QStringLiteral("start"), entry.start);
            stored.insert(QStringLiteral("end"), entry.end);
        }
        entries.append(stored);
    }
    return WriteStore(
        path, {{QStringLiteral("current"), queue.current}, {QStringLiteral("entries"), entries}});
}

} // namespace quarn
