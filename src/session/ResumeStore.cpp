#include "session/ResumeStore.h"

#include "session/StoredNames.h"

#include "platform/FileNames.h"

#include <QDir>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QSet>
#include <climits>
#include <cmath>

namespace quarn {

namespace {

constexpr double kShortestFile = 60;
constexpr double kEarliestSpot = 5;
constexpr double kLatestBeforeEnd = 10;
// Past some 115 days a position is no file's.
constexpr double kLatestSpot = 1e7;
// The engine's own bounds of the speed.
constexpr double kSlowest = 0.01;
constexpr double kFastest = 100;
// What a file's line costs in the file besides its names, with room to spare.
constexpr qint64 kSpotOverhead = 256;

// Local files only: a stream starts where it is.
bool remembered(const QString& entry) {
    return QDir::isAbsolutePath(entry);
}

std::optional<double> number(const QJsonValue& value) {
    if (!value.isDouble() || !std::isfinite(value.toDouble())) {
        return std::nullopt;
    }
    return value.toDouble();
}

// A track's number: a whole number from `lowest` on.
std::optional<int> trackNumber(const QJsonValue& value, int lowest) {
    const std::optional<double> n = number(value);
    if (!n || *n < lowest || *n > INT_MAX || *n != std::floor(*n)) {
        return std::nullopt;
    }
    return int(*n);
}

// The choices with every value out of its range left out.
FileChoices checked(FileChoices choices) {
    if (choices.audioTrack && *choices.audioTrack < 1) {
        choices.audioTrack.reset();
    }
    if (choices.subtitleTrack && *choices.subtitleTrack < 0) {
        choices.subtitleTrack.reset();
    }
    if (!remembered(choices.subtitleFile)) {
        choices.subtitleFile.clear();
    }
    for (double* delay : {&choices.subtitleDelay, &choices.audioDelay}) {
        if (!(std::abs(*delay) <= ResumeStore::kLongestDelay)) {
            *delay = 0;
        }
    }
    if (choices.speed && !(*choices.speed >= kSlowest && *choices.speed <= kFastest)) {
        choices.speed.reset();
    }
    return choices;
}

FileChoices choicesFrom(const QJsonValue& item) {
    FileChoices choices;
    choices.audioTrack = trackNumber(item[QLatin1String("audio")], 1);
    choices.subtitleTrack = trackNumber(item[QLatin1String("subtitle")], 0);
    if (const QJsonValue file = item[QLatin1String("subtitleFile")]; file.isString()) {
        choices.subtitleFile = NameFromStore(file.toString());
    }
    choices.subtitleDelay = number(item[QLatin1String("subtitleDelay")]).value_or(0);
    choices.audioDelay = number(item[QLatin1String("audioDelay")]).value_or(0);
    choices.speed = number(item[QLatin1String("speed")]);
    return checked(choices);
}

QJsonObject lineOf(const QString& storedName, std::optional<double> position,
                   const FileChoices& choices) {
    QJsonObject line{{QStringLiteral("path"), storedName}};
    if (position) {
        line.insert(QStringLiteral("position"), *position);
    }
    if (choices.audioTrack) {
        line.insert(QStringLiteral("audio"), *choices.audioTrack);
    }
    if (choices.subtitleTrack) {
        line.insert(QStringLiteral("subtitle"), *choices.subtitleTrack);
    }
    if (!choices.subtitleFile.isEmpty()) {
        line.insert(QStringLiteral("subtitleFile"), StoredName(choices.subtitleFile));
    }
    if (choices.subtitleDelay != 0) {
        line.insert(QStringLiteral("subtitleDelay"), choices.subtitleDelay);
    }
    if (choices.audioDelay != 0) {
        line.insert(QStringLiteral("audioDelay"), choices.audioDelay);
    }
    if (choices.speed) {
        line.insert(QStringLiteral("speed"), *choices.speed);
    }
    return line;
}

} // namespace

ResumeStore::ResumeStore(QString path) : path_(std::move(path)) {
    const QJsonObject top = ReadStore(path_, kLargestFile);
    QSet<QString> seen;
    for (const QJsonValue& item : top.value(QLatin1String("files")).toArray()) {
        const QString entry = NameFromStore(item[QLatin1String("path")].toString());
        Spot spot{entry, number(item[QLatin1String("position")]), choicesFrom(item)};
        if (spot.position && !(*spot.position >= 0 && *spot.position <= kLatestSpot)) {
            spot.position.reset();
        }
        if (remembered(entry) && (spot.position || !spot.choices.Empty()) &&
            !seen.contains(entry)) {
            seen.insert(entry);
            spots_.append(std::move(spot));
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

std::optional<FileChoices> ResumeStore::ChoicesFor(const QString& entry) const {
    for (const Spot& spot : spots_) {
        if (spot.entry == entry && !spot.choices.Empty()) {
            return spot.choices;
        }
    }
    return std::nullopt;
}

ResumeStore::Spot& ResumeStore::touch(const QString& entry) {
    const auto found = std::find_if(spots_.begin(), spots_.end(),
                                    [&](const Spot& spot) { return spot.entry == entry; });
    Spot spot = found == spots_.end() ? Spot{entry, std::nullopt, {}} : *found;
    if (found != spots_.end()) {
        spots_.erase(found);
    }
    spots_.prepend(std::move(spot));
    if (spots_.size() > kMostFiles) {
        spots_.removeLast();
    }
    return spots_.first();
}

void ResumeStore::dropEmpty() {
    spots_.removeIf([](const Spot& spot) { return !spot.position && spot.choices.Empty(); });
}

void ResumeStore::Left(const QString& entry, double position, double length) {
    if (remembered(entry) && std::isfinite(position) && std::isfinite(length) &&
        length >= kShortestFile && position >= kEarliestSpot &&
        position <= length - kLatestBeforeEnd) {
        touch(entry).position = position;
    } else {
        ForgetPosition(entry);
    }
}

void ResumeStore::Chose(const QString& entry, const FileChoices& choices) {
    if (remembered(entry)) {
        touch(entry).choices = checked(choices);
        dropEmpty();
    }
}

void ResumeStore::ForgetPosition(const QString& entry) {
    for (Spot& spot : spots_) {
        if (spot.entry == entry) {
            spot.position.reset();
        }
    }
    dropEmpty();
}

platform::WriteOutcome ResumeStore::Save() const {
    QJsonArray files;
    qint64 size = 0;
    for (const Spot& spot : spots_) {
        const QString stored = StoredName(spot.entry);
        size += stored.size() + StoredName(spot.choices.subtitleFile).size() + kSpotOverhead;
        if (size > kLargestFile) {
            break;
        }
        files.append(lineOf(stored, spot.position, spot.choices));
    }
    return WriteStore(path_, {{QStringLiteral("files"), files}});
}

} // namespace quarn
