#include "session/ResumeStore.h"

#include "session/StoredNames.h"

#include "platform/FileNames.h"

#include <QDir>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QSet>
#include <cmath>

namespace quarn {

namespace {

constexpr double kShortestFile = 60;
constexpr double kEarliestSpot = 5;
constexpr double kLatestBeforeEnd = 10;
// What a file's line costs in the file besides its name, with room to spare.
constexpr qint64 kSpotOverhead = 64;

// Local files only: a stream starts where it is.
bool remembered(const QString& entry) {
    return QDir::isAbsolutePath(entry);
}

} // namespace

ResumeStore::ResumeStore(QString path) : path_(std::move(path)) {
    const QJsonObject top = ReadStore(path_, kLargestFile);
    QSet<QString> seen;
    for (const QJsonValue& item : top.value(QLatin1String("files")).toArray()) {
        const QString entry = NameFromStore(item[QLatin1String("path")].toString());
        const double position = item[QLatin1String("position")].toDouble(-1);
        if (remembered(entry) && position >= 0 && !seen.contains(entry)) {
            seen.insert(entry);
            spots_.append({entry, position});
        }
        if (spots_.size() == kMostFiles) {
            break;
        }
    }
}

std::optional<double> ResumeStore::PositionFor(const QString& entry) const {
    for (const Spot& spot : spots_) {
        if (spot.entry == entry) {
            return spot.position;
        }
    }
    return std::nullopt;
}

void ResumeStore::Left(const QString& entry, double position, double length) {
    Finished(entry);
    if (remembered(entry) && std::isfinite(position) && std::isfinite(length) &&
        length >= kShortestFile && position >= kEarliestSpot &&
        position <= length - kLatestBeforeEnd) {
        spots_.prepend({entry, position});
        if (spots_.size() > kMostFiles) {
            spots_.removeLast();
        }
    }
}

void ResumeStore::Finished(const QString& entry) {
    spots_.removeIf([&](const Spot& spot) { return spot.entry == entry; });
}

platform::WriteOutcome ResumeStore::Save() const {
    QJsonArray files;
    qint64 size = 0;
    for (const Spot& spot : spots_) {
        const QString stored = StoredName(spot.entry);
        size += stored.size() + kSpotOverhead;
        if (size > kLargestFile) {
            break;
        }
        files.append(QJsonObject{{QStringLiteral("path"), stored},
                                 {QStringLiteral("position"), spot.position}});
    }
    return WriteStore(path_, {{QStringLiteral("files"), files}});
}

} // namespace quarn
