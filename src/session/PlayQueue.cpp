#include "session/PlayQueue.h"

#include "common/FileTitles.h"
#include "common/MediaTypes.h"
#include "common/StreamUrl.h"
#include "platform/FileNames.h"
#include "session/CueSheet.h"
#include "session/TrackInfo.h"

#include <QDir>
#include <QFileInfo>
#include <QHash>
#include <algorithm>

namespace quarn {

namespace {

PlaylistEntry entryFor(const QString& location) {
    PlaylistEntry entry;
    entry.location = location;
    entry.stream = IsStreamUrl(location);
    return entry;
}

} // namespace

void PlayQueue::Replace(const std::vector<PlaylistEntry>& entries, qsizetype current) {
    rowsKnown_ = false;
    items_.clear();
    removed_.clear();
    for (const PlaylistEntry& entry : entries) {
        items_.push_back({entry, nextId_++});
    }
    current_.reset();
    successor_ = 0;
    if (!items_.empty()) {
        current_ = items_.at(current >= 0 && current < Size() ? size_t(current) : 0).id;
    }
    if (shuffle_) {
        SetShuffle(true, random_());
    }
}

void PlayQueue::Insert(qsizetype at, const std::vector<PlaylistEntry>& entries) {
    at = at >= 0 && at <= Size() ? at : Size();
    rowsKnown_ = false;
    std::vector<Item> added;
    for (const PlaylistEntry& entry : entries) {
        added.push_back({entry, nextId_++});
    }
    items_.insert(items_.begin() + at, added.begin(), added.end());
    if (!current_ && !items_.empty()) {
        current_ = items_.front().id;
    }
    // Shuffled, what comes is played at random places after the current one.
    for (const Item& item : shuffle_ ? added : std::vector<Item>()) {
        const auto here = std::find(shuffled_.begin(), shuffled_.end(), current_.value_or(0));
        const auto after = here == shuffled_.end() ? 0 : here - shuffled_.begin() + 1;
        std::uniform_int_distribution<qsizetype> place(after, qsizetype(shuffled_.size()));
        shuffled_.insert(shuffled_.begin() + place(random_), item.id);
    }
}

void PlayQueue::Remove(QList<qsizetype> rows) {
    std::sort(rows.begin(), rows.end());
    rows.erase(std::unique(rows.begin(), rows.end()), rows.end());
    removed_.clear();
    std::vector<Id> leaving;
    for (qsizetype row : rows) {
        if (row >= 0 && row < Size()) {
            removed_.push_back({row, items_.at(size_t(row))});
            leaving.push_back(IdAt(row));
        }
    }
    // The current entry (or, once it is out, the one that followed it) going:
    // what follows it in the play order now is where the queue goes on.
    successorBefore_ = successor_;
    const bool currentIn = current_ && RowOf(*current_);
    const Id anchor = currentIn ? *current_ : successor_;
    if (current_ && anchor != 0 &&
        std::find(leaving.begin(), leaving.end(), anchor) != leaving.end()) {
        successor_ = followerOf(anchor, leaving);
    }
    rowsKnown_ = false;
    for (auto it = removed_.rbegin(); it != removed_.rend(); ++it) {
        items_.erase(items_.begin() + it->first);
        shuffled_.erase(std::remove(shuffled_.begin(), shuffled_.end(), it->second.id),
                        shuffled_.end());
    }
}

PlayQueue::Id PlayQueue::followerOf(Id from, const std::vector<Id>& leaving) const {
    const std::vector<Id> order = playOrder();
    auto at = std::find(order.begin(), order.end(), from);
    for (at = at == order.end() ? at : at + 1; at != order.end(); ++at) {
        if (std::find(leaving.begin(), leaving.end(), *at) == leaving.end()) {
            return *at;
        }
    }
    return 0;
}

bool PlayQueue::UndoRemoval() {
    if (removed_.empty()) {
        return false;
    }
    rowsKnown_ = false;
    for (const auto& [row, item] : removed_) {
        items_.insert(items_.begin() + std::min(row, Size()), item);
        if (shuffle_) {
            shuffled_.push_back(item.id);
        }
    }
    removed_.clear();
    if (!current_) {
        current_ = items_.front().id;
    }
    rowsKnown_ = false;
    successor_ = successorBefore_;
    return true;
}

void PlayQueue::Move(QList<qsizetype> rows, qsizetype to) {
    std::sort(rows.begin(), rows.end());
    rows.erase(std::unique(rows.begin(), rows.end()), rows.end());
    to = to >= 0 && to <= Size() ? to : Size();
    rowsKnown_ = false;
    std::vector<Item> moving;
    for (auto it = rows.rbegin(); it != rows.rend(); ++it) {
        if (*it < 0 || *it >= Size()) {
            continue;
        }
        moving.insert(moving.begin(), items_.at(size_t(*it)));
        items_.erase(items_.begin() + *it);
        if (*it < to) {
            --to;
        }
    }
    items_.insert(items_.begin() + to, moving.begin(), moving.end());
}

std::optional<qsizetype> PlayQueue::RowOf(Id id) const {
    // Asked for again and again (the desktop's media widgets ask for every
    // entry of a queue that may hold 100,000): the rows are indexed once
    // after each edit.
    if (!rowsKnown_) {
        rows_.clear();
        rows_.reserve(items_.size());
        for (size_t row = 0; row < items_.size(); ++row) {
            rows_.emplace(items_[row].id, qsizetype(row));
        }
        rowsKnown_ = true;
    }
    const auto found = rows_.find(id);
    return found == rows_.end() ? std::nullopt : std::optional(found->second);
}

std::optional<qsizetype> PlayQueue::CurrentRow() const {
    return current_ ? RowOf(*current_) : std::nullopt;
}

std::optional<QString> PlayQueue::Current() const {
    const std::optional<qsizetype> row = CurrentRow();
    return row ? std::optional(At(*row).location) : std::nullopt;
}

void PlayQueue::SetCurrent(qsizetype row) {
    if (row >= 0 && row < Size()) {
        current_ = IdAt(row);
        successor_ = 0;
    }
}

std::vector<PlayQueue::Id> PlayQueue::playOrder() const {
    if (shuffle_) {
        return shuffled_;
    }
    std::vector<Id> order;
    for (const Item& item : items_) {
        order.push_back(item.id);
    }
    return order;
}

std::optional<qsizetype> PlayQueue::step(int direction, bool wrap) const {
    const std::vector<Id> order = playOrder();
    const auto count = qsizetype(order.size());
    if (count == 0) {
        return std::nullopt;
    }
    const auto here = std::find(order.begin(), order.end(), current_.value_or(0));
    qsizetype at = here == order.end() ? (direction > 0 ? -1 : count) : here - order.begin();
    if (here == order.end() && current_) {
        // The current entry was taken out: on from the entry that followed it.
        const auto next = std::find(order.begin(), order.end(), successor_);
        at = (next - order.begin()) - (direction > 0 ? 1 : 0);
    }
    for (qsizetype tried = 0; tried < count; ++tried) {
        at += direction;
        if (at < 0 || at >= count) {
            if (!wrap) {
                return std::nullopt;
            }
            at = (at + count) % count;
        }
        if (order[size_t(at)] == current_) {
            return std::nullopt; // round once: nothing else to play
        }
        const std::optional<qsizetype> row = RowOf(order[size_t(at)]);
        if (row && !At(*row).missing) {
            return row;
        }
    }
    return std::nullopt;
}

std::optional<qsizetype> PlayQueue::NextRow(bool wrap) const {
    return step(1, wrap);
}

std::optional<qsizetype> PlayQueue::PreviousRow(bool wrap) const {
    return step(-1, wrap);
}

void PlayQueue::SetShuffle(bool on, std::uint32_t seed) {
    shuffle_ = on;
    shuffled_.clear();
    if (!on) {
        return;
    }
    random_.seed(seed);
    for (const Item& item : items_) {
        if (item.id != current_) {
            shuffled_.push_back(item.id);
        }
    }
    std::shuffle(shuffled_.begin(), shuffled_.end(), random_);
    // The one playing stays where it is: the rest follow it.
    if (current_ && RowOf(*current_)) {
        shuffled_.insert(shuffled_.begin(), *current_);
    }
}

double PlayQueue::KnownLength() const {
    double total = 0;
    for (const Item& item : items_) {
        total += std::max(0.0, item.entry.length);
    }
    return total;
}

std::vector<PlaylistEntry> PlayQueue::Entries() const {
    std::vector<PlaylistEntry> entries;
    for (const Item& item : items_) {
        entries.push_back(item.entry);
    }
    return entries;
}

namespace {

// Names in the order people expect: letters without regard to case, numbers
// by their value ("track 2" before "track 10").
bool comesBefore(const QString& a, const QString& b) {
    qsizetype i = 0;
    qsizetype j = 0;
    while (i < a.size() && j < b.size()) {
        if (a.at(i).isDigit() && b.at(j).isDigit()) {
            qsizetype startA = i;
            qsizetype startB = j;
            while (i < a.size() && a.at(i).isDigit()) {
                ++i;
            }
            while (j < b.size() && b.at(j).isDigit()) {
                ++j;
            }
            // Leading zeros say nothing of the value.
            while (startA < i - 1 && a.at(startA) == u'0') {
                ++startA;
            }
            while (startB < j - 1 && b.at(startB) == u'0') {
                ++startB;
            }
            const QStringView trimmedA = QStringView(a).mid(startA, i - startA);
            const QStringView trimmedB = QStringView(b).mid(startB, j - startB);
            if (trimmedA.size() != trimmedB.size()) {
                return trimmedA.size() < trimmedB.size();
            }
            if (const int order = trimmedA.compare(trimmedB); order != 0) {
                return order < 0;
            }
            continue;
        }
        const QChar x = a.at(i).toCaseFolded();
        const QChar y = b.at(j).toCaseFolded();
        if (x != y) {
            return x < y;
        }
        ++i;
        ++j;
    }
    if ((a.size() - i) != (b.size() - j)) {
        return (a.size() - i) < (b.size() - j);
    }
    return a < b;
}

// Above this many files, a folder is put in order by name alone: reading the
// tags of each would hold the player up.
constexpr qsizetype kMostFilesOrderedByTags = 1000;

QStringList mediaFilesIn(const QDir& folder) {
    QStringList files;
    for (const QFileInfo& file : folder.entryInfoList(QDir::Files | QDir::Readable)) {
        if (IsMediaFileName(file.fileName())) {
            files << file.filePath();
        }
    }
    return files;
}

// An album's files: by disc and track number where the tags give them, those
// before the files without; else by name.
void putInAlbumOrder(QStringList& files, bool readTags) {
    struct Placed {
        QString path;
        QString name;
        int disc = 0;
        int track = 0;
    };
    std::vector<Placed> placed;
    for (const QString& file : files) {
        const TrackInfo tags = readTags ? ReadTrackTags(file) : TrackInfo();
        placed.push_back({file, QFileInfo(file).fileName(), std::max(tags.disc, 1), tags.track});
    }
    std::stable_sort(placed.begin(), placed.end(), [](const Placed& a, const Placed& b) {
        if ((a.track > 0) != (b.track > 0)) {
            return a.track > 0;
        } else if (a.track > 0 && (a.disc != b.disc || a.track != b.track)) {
            return std::pair(a.disc, a.track) < std::pair(b.disc, b.track);
        }
        return comesBefore(a.name, b.name);
    });
    files.clear();
    for (const Placed& file : placed) {
        files << file.path;
    }
}

// A folder's own media files as an album, then each of its sub-folders (not
// links to folders) as one, the sub-folders by name.
QStringList folderInAlbumOrder(const QString& path) {
    const QDir folder(path);
    std::vector<QStringList> albums{mediaFilesIn(folder)};
    QStringList subFolders =
        folder.entryList(QDir::Dirs | QDir::NoDotAndDotDot | QDir::Readable | QDir::NoSymLinks);
    std::sort(subFolders.begin(), subFolders.end(), comesBefore);
    qsizetype count = albums.front().size();
    for (const QString& name : subFolders) {
        albums.push_back(mediaFilesIn(QDir(folder.filePath(name))));
        count += albums.back().size();
    }
    QStringList files;
    for (QStringList& album : albums) {
        putInAlbumOrder(album, count <= kMostFilesOrderedByTags);
        files += album;
    }
    return files;
}

// A cue sheet's tracks; its problems, and the audio files it names that are
// missing, in `problems`.
void expandCueSheet(const QString& path, Expansion& expanded) {
    const CueSheet sheet = ReadCueSheet(path);
    const QString name = GetFileName(platform::ReadableFileName(path));
    if (!sheet.problem.isEmpty()) {
        expanded.problems << name + QStringLiteral(": ") + sheet.problem;
        return;
    }
    for (const QString& missing : sheet.missingFiles) {
        expanded.problems << QStringLiteral("%1: the audio file \"%2\" is missing")
                                 .arg(name, platform::ReadableFileName(missing));
    }
    QHash<QString, double> fileLengths;
    for (const CueTrack& track : sheet.tracks) {
        if (!platform::InspectFile(track.file).exists) {
            continue;
        }
        PlaylistEntry entry = entryFor(track.file);
        entry.title = track.title;
        entry.artist = track.performer;
        entry.album = sheet.title;
        entry.trackNumber = track.number;
        entry.start = track.start;
        entry.end = track.end;
        if (track.end >= 0) {
            entry.length = track.end - track.start;
        } else {
            // The last track of its file lasts to the file's end: read once a file.
            if (!fileLengths.contains(track.file)) {
                fileLengths.insert(track.file, ReadTrackInfo(track.file).length);
            }
            const double fileLength = fileLengths.value(track.file);
            entry.length = fileLength > track.start ? fileLength - track.start : -1;
        }
        expanded.entries.push_back(entry);
    }
}

} // namespace

Expansion ExpandEntries(const QStringList& given) {
    Expansion expanded;
    for (const QString& entry : given) {
        const QFileInfo info(entry);
        if (!IsStreamUrl(entry) && IsCueSheetName(info.fileName()) && !info.isDir()) {
            expandCueSheet(entry, expanded);
            continue;
        }
        if (!IsStreamUrl(entry) && IsPlaylistFileName(info.fileName()) && !info.isDir()) {
            const PlaylistRead list = ReadPlaylist(entry);
            const QString name = GetFileName(platform::ReadableFileName(entry));
            for (const QString& problem : list.problems) {
                expanded.problems << name + QStringLiteral(": ") + problem;
            }
            expanded.entries.insert(expanded.entries.end(), list.entries.begin(),
                                    list.entries.end());
            continue;
        }
        if (IsStreamUrl(entry) || !info.isDir()) {
            expanded.entries.push_back(entryFor(entry));
            continue;
        }
        for (const QString& file : folderInAlbumOrder(entry)) {
            expanded.entries.push_back(entryFor(file));
        }
    }
    return expanded;
}

} // namespace quarn
