#include "session/PlayQueue.h"

#include "common/FileTitles.h"
#include "common/MediaTypes.h"
#include "common/StreamUrl.h"
#include "platform/FileNames.h"

#include <QDir>
#include <QFileInfo>
#include <QRegularExpression>
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
    items_.clear();
    removed_.clear();
    for (const PlaylistEntry& entry : entries) {
        items_.push_back({entry, nextId_++});
    }
    current_.reset();
    if (!items_.empty()) {
        current_ = items_.at(current >= 0 && current < Size() ? size_t(current) : 0).id;
    }
    if (shuffle_) {
        SetShuffle(true, random_());
    }
}

void PlayQueue::Insert(qsizetype at, const std::vector<PlaylistEntry>& entries) {
    at = at >= 0 && at <= Size() ? at : Size();
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
    const std::optional<qsizetype> currentRow = CurrentRow();
    for (qsizetype row : rows) {
        if (row >= 0 && row < Size()) {
            removed_.push_back({row, items_.at(size_t(row))});
        }
    }
    for (auto it = removed_.rbegin(); it != removed_.rend(); ++it) {
        items_.erase(items_.begin() + it->first);
        shuffled_.erase(std::remove(shuffled_.begin(), shuffled_.end(), it->second.id),
                        shuffled_.end());
    }
    // The current entry gone, the one that took its row is current.
    if (current_ && !RowOf(*current_)) {
        current_.reset();
        if (!items_.empty()) {
            current_ = items_.at(size_t(std::min(currentRow.value_or(0), Size() - 1))).id;
        }
    }
}

bool PlayQueue::UndoRemoval() {
    if (removed_.empty()) {
        return false;
    }
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
    return true;
}

void PlayQueue::Move(QList<qsizetype> rows, qsizetype to) {
    std::sort(rows.begin(), rows.end());
    rows.erase(std::unique(rows.begin(), rows.end()), rows.end());
    to = to >= 0 && to <= Size() ? to : Size();
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
    for (size_t row = 0; row < items_.size(); ++row) {
        if (items_[row].id == id) {
            return qsizetype(row);
        }
    }
    return std::nullopt;
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
    if (current_) {
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
            const qsizetype startA = i;
            const qsizetype startB = j;
            while (i < a.size() && a.at(i).isDigit()) {
                ++i;
            }
            while (j < b.size() && b.at(j).isDigit()) {
                ++j;
            }
            const QString numberA = a.mid(startA, i - startA);
            const QString numberB = b.mid(startB, j - startB);
            const QString trimmedA = numberA.mid(numberA.indexOf(QRegularExpression("[^0]")));
            const QString trimmedB = numberB.mid(numberB.indexOf(QRegularExpression("[^0]")));
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

} // namespace

Expansion ExpandEntries(const QStringList& given) {
    Expansion expanded;
    for (const QString& entry : given) {
        const QFileInfo info(entry);
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
        QStringList files;
        const QDir folder(entry);
        for (const QFileInfo& file : folder.entryInfoList(QDir::Files | QDir::Readable)) {
            if (IsMediaFileName(file.fileName())) {
                files << file.filePath();
            }
        }
        std::sort(files.begin(), files.end(), [](const QString& a, const QString& b) {
            return comesBefore(QFileInfo(a).fileName(), QFileInfo(b).fileName());
        });
        for (const QString& file : files) {
            expanded.entries.push_back(entryFor(file));
        }
    }
    return expanded;
}

} // namespace quarn
