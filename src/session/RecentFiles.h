#pragma once

#include "platform/UserFiles.h"

#include <QString>
#include <QStringList>

namespace quarn {

// The files and streams opened last, the most recent first, each once.
// Kept in a JSON file with a version number, as the resume store is.
class RecentFiles {
public:
    static constexpr qsizetype kMostEntries = 10;
    static constexpr qint64 kLargestFile = 1024 * 1024;

    // What the file at `path` holds; a missing, damaged or oversized file, or
    // anything there that is not a regular file, gives an empty list.
    explicit RecentFiles(QString path);

    // Opened: to the front of the list (moved there if it was in it already).
    void Add(const QString& entry);
    // Gone (a file that was chosen from the list and is missing).
    void Remove(const QString& entry);
    QStringList Entries() const { return entries_; }
    // Writes the file whole or not at all.
    platform::WriteOutcome Save() const;

private:
    QString path_;
    QStringList entries_;
};

} // namespace quarn
