#pragma once

#include "session/Playlists.h"

#include <QList>
#include <QString>
#include <QStringList>
#include <cstdint>
#include <optional>
#include <random>
#include <unordered_map>
#include <vector>

namespace quarn {

// What the player plays one after the other: files and streams, in order,
// each with an id of its own that stays with it however the queue is edited.
// One of them is the current one (the one playing or to play). The current
// entry taken out of the queue stays current off the list (it may still be
// playing): no row is current then, and what followed it plays next. Shuffled, the
// queue is played in a random order that stays the same until shuffle is set
// again; entries that are missing are passed over.
class PlayQueue {
public:
    using Id = std::uint64_t;

    // Replaces the queue; the entry at `current` (the first when out of
    // range) becomes the current one.
    void Replace(const std::vector<PlaylistEntry>& entries, qsizetype current = 0);
    // Adds entries before the one at `at` (at the end when out of range); the
    // current one stays.
    void Insert(qsizetype at, const std::vector<PlaylistEntry>& entries);
    // Takes the entries at these rows out; the last removal can be undone.
    void Remove(QList<qsizetype> rows);
    bool UndoRemoval();
    // Moves the entries at these rows, in their order, before the entry now
    // at `to` (to the end when out of range).
    void Move(QList<qsizetype> rows, qsizetype to);

    bool IsEmpty() const { return items_.empty(); }
    qsizetype Size() const { return qsizetype(items_.size()); }
    const PlaylistEntry& At(qsizetype row) const { return items_.at(size_t(row)).entry; }
    Id IdAt(qsizetype row) const { return items_.at(size_t(row)).id; }
    std::optional<qsizetype> RowOf(Id id) const;
    // The row of the current entry; nothing when the queue is empty or the
    // current entry was taken out.
    std::optional<qsizetype> CurrentRow() const;
    std::optional<QString> Current() const;
    void SetCurrent(qsizetype row);

    // The rows that play after and before the current one, in the play
    // order, passing over missing entries; with `wrap`, round from the end
    // to the start and back.
    std::optional<qsizetype> NextRow(bool wrap) const;
    std::optional<qsizetype> PreviousRow(bool wrap) const;

    void SetShuffle(bool on, std::uint32_t seed);
    bool Shuffle() const { return shuffle_; }

    // What became known of an entry as it played.
    void SetTitle(qsizetype row, const QString& title) { item(row).entry.title = title; }
    void SetLength(qsizetype row, double length) { item(row).entry.length = length; }
    void SetMissing(qsizetype row, bool missing) { item(row).entry.missing = missing; }
    // What the file's tags tell besides its title.
    void SetTags(qsizetype row, const QString& artist, const QString& album, int trackNumber) {
        PlaylistEntry& entry = item(row).entry;
        entry.artist = artist;
        entry.album = album;
        entry.trackNumber = trackNumber;
    }

    // The length of all the entries whose length is known.
    double KnownLength() const;
    std::vector<PlaylistEntry> Entries() const;

private:
    struct Item {
        PlaylistEntry entry;
        Id id = 0;
    };
    Item& item(qsizetype row) { return items_.at(size_t(row)); }
    std::vector<Id> playOrder() const;
    std::optional<qsizetype> step(int direction, bool wrap) const;
    // The first id after `from` in the play order that is not in `leaving`; 0 for none.
    Id followerOf(Id from, const std::vector<Id>& leaving) const;

    std::vector<Item> items_;
    // Each entry's row by its id, made anew on the first look after an edit.
    mutable std::unordered_map<Id, qsizetype> rows_;
    mutable bool rowsKnown_ = false;
    std::optional<Id> current_;
    // Once the current entry is taken out: the entry that followed it (0: the
    // queue's end), where the play order goes on.
    Id successor_ = 0;
    Id successorBefore_ = 0; // before the last removal, which an undo brings back
    Id nextId_ = 1;
    bool shuffle_ = false;
    std::vector<Id> shuffled_; // the play order while shuffled
    std::mt19937 random_;
    // The last removal: the items and the rows they were at.
    std::vector<std::pair<qsizetype, Item>> removed_;
};

// The entries a list of files, folders, playlists, cue sheets and streams
// stands for: a folder for its media files as an album (by disc and track
// number where their tags give them, else by name, numbers by their value),
// then each of its sub-folders as one; a local playlist file for its entries;
// a cue sheet for its tracks; everything else for itself. What could not be
// read is told in `problems`, a line each.
struct Expansion {
    std::vector<PlaylistEntry> entries;
    QStringList problems;
};
Expansion ExpandEntries(const QStringList& given);

} // namespace quarn
