#include "session/PlayQueue.h"

#include "common/MediaTypes.h"

#include <QDir>
#include <QFileInfo>
#include <QRegularExpression>
#include <algorithm>

namespace quarn {

void PlayQueue::Replace(const QStringList& entries) {
    entries_ = entries;
    index_ = 0;
}

std::optional<QString> PlayQueue::Current() const {
    if (entries_.isEmpty()) {
        return std::nullopt;
    }
    return entries_.at(index_);
}

std::optional<QString> PlayQueue::Next() {
    if (!HasNext()) {
        return std::nullopt;
    }
    return entries_.at(++index_);
}

std::optional<QString> PlayQueue::Previous() {
    if (!HasPrevious()) {
        return std::nullopt;
    }
    return entries_.at(--index_);
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

QStringList ExpandEntries(const QStringList& given) {
    QStringList entries;
    for (const QString& entry : given) {
        const QFileInfo info(entry);
        if (!info.isDir()) {
            entries << entry;
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
        entries << files;
    }
    return entries;
}

} // namespace quarn
