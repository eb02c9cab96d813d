#include "session/RecentFiles.h"

#include "session/StoredNames.h"

#include "platform/FileNames.h"

#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>

namespace quarn {

namespace {

// No name or URL in use comes near this; one that does is not kept, so that
// the file always stays small enough to be read back.
constexpr qsizetype kLongestStored = 64 * 1024;

} // namespace

RecentFiles::RecentFiles(QString path) : path_(std::move(path)) {
    for (const QJsonValue& item :
         ReadStore(path_, kLargestFile).value(QLatin1String("entries")).toArray()) {
        const QString entry = NameFromStore(item.toString());
        if (!entry.isEmpty() && !entries_.contains(entry) && entries_.size() < kMostEntries) {
            entries_.append(entry);
        }
    }
}

void RecentFiles::Add(const QString& entry) {
    if (entry.isEmpty() || StoredName(entry).size() > kLongestStored) {
        return;
    }
    entries_.removeAll(entry);
    entries_.prepend(entry);
    if (entries_.size() > kMostEntries) {
        entries_.removeLast();
    }
}

void RecentFiles::Remove(const QString& entry) {
    entries_.removeAll(entry);
}

platform::WriteOutcome RecentFiles::Save() const {
    QJsonArray stored;
    for (const QString& entry : entries_) {
        stored.append(StoredName(entry));
    }
    return WriteStore(path_, {{QStringLiteral("entries"), stored}});
}

} // namespace quarn
