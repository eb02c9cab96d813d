#pragma once

#include <QString>
#include <QStringList>
#include <optional>

namespace quarn {

// What the player plays one after the other: files and streams, in order.
class PlayQueue {
public:
    // Replaces the queue; the first entry becomes the current one.
    void Replace(const QStringList& entries);
    // Adds entries to the end; the current one stays.
    void Append(const QStringList& entries) { entries_ << entries; }
    bool IsEmpty() const { return entries_.isEmpty(); }
    qsizetype Size() const { return entries_.size(); }
    // The entry playing (or to play); nothing when the queue is empty.
    std::optional<QString> Current() const;
    // Moves on to the next or the previous entry; nothing at either end,
    // where the queue stays where it was.
    std::optional<QString> Next();
    std::optional<QString> Previous();
    bool HasNext() const { return index_ + 1 < entries_.size(); }
    bool HasPrevious() const { return index_ > 0; }

private:
    QStringList entries_;
    qsizetype index_ = 0;
};

// The entries a list of files, folders and streams stands for: a folder for
// the media files in it (not in its sub-folders), sorted by name; everything
// else for itself.
QStringList ExpandEntries(const QStringList& given);

} // namespace quarn
