#pragma once

#include "platform/UserFiles.h"

#include <QList>
#include <QString>
#include <optional>

namespace quarn {

// Where the user left the files they did not play to the end, so that they
// go on from there next time. Entries are absolute local paths (a name's
// bytes that are not UTF-8 kept as FileNames keeps them) or http(s) URLs;
// streams are never remembered. Kept in a JSON file with a version number.
class ResumeStore {
public:
    static constexpr qsizetype kMostFiles = 1000;
    static constexpr qint64 kLargestFile = 4 * 1024 * 1024;

    // What the file at `path` holds; a missing, damaged or oversized file, or
    // anything there that is not a regular file, gives an empty store.
    explicit ResumeStore(QString path);

    std::optional<double> PositionFor(const QString& entry) const;
    // The file of `length` seconds was left at `position`. Remembered only
    // for files of a minute or more, left 5 s in or later and 10 s or more
    // before the end (elsewhere it would start from the top anyway); any
    // other leaving forgets it. Past 1,000 files, the one left longest ago
    // is forgotten.
    void Left(const QString& entry, double position, double length);
    // Played to the end: forgotten.
    void Finished(const QString& entry);
    // Writes the file whole or not at all. Should the names be so long that
    // they would not all fit in what loading accepts, the files left longest
    // ago are not written.
    platform::WriteOutcome Save() const;

private:
    struct Spot {
        QString entry;
        double position;
    };

    QString path_;
    QList<Spot> spots_; // the one left most recently first
};

} // namespace quarn
