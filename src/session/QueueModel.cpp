#include "session/QueueModel.h"

#include "common/FileTitles.h"
#include "common/StreamUrl.h"
#include "platform/FileNames.h"

#include <QDataStream>
#include <QIODevice>
#include <QMimeData>
#include <QUrl>

namespace quarn {

QueueModel::QueueModel(PlaybackSession& session) : session_(session) {
    connect(&session_, &PlaybackSession::QueueChanging, this, &QueueModel::beginResetModel);
    connect(&session_, &PlaybackSession::QueueChanged, this, &QueueModel::endResetModel);
    connect(&session_, &PlaybackSession::QueueEntryChanged, this, [this](qsizetype row) {
        if (row < rowCount()) {
            emit dataChanged(index(int(row)), index(int(row)));
        }
    });
    connect(&session_, &PlaybackSession::QueueEntriesChanged, this,
            [this](qsizetype first, qsizetype last) {
                if (last < rowCount()) {
                    emit dataChanged(index(int(first)), index(int(last)));
                }
            });
}

int QueueModel::rowCount(const QModelIndex& parent) const {
    return parent.isValid() ? 0 : int(session_.Queue().Size());
}

QVariant QueueModel::data(const QModelIndex& index, int role) const {
    if (!index.isValid() || index.row() >= rowCount()) {
        return {};
    }
    const PlaylistEntry& entry = session_.Queue().At(index.row());
    switch (role) {
    case Qt::DisplayRole: {
        // "Artist – Title" where the tags (or the list) name the artist.
        const QString title = !entry.title.isEmpty() ? entry.title
                              : entry.stream
                                  ? entry.location
                                  : GetFileName(platform::ReadableFileName(entry.location));
        return entry.artist.isEmpty() ? title : entry.artist + QStringLiteral(" \u2013 ") + title;
    }
    case Qt::ToolTipRole:
        return platform::ReadableFileName(entry.location);
    case NumberRole:
        return index.row() + 1;
    case LengthRole:
        return entry.length;
    case CurrentRole:
        return session_.Queue().CurrentRow() == index.row();
    case MissingRole:
        return entry.missing;
    case StreamRole:
        return entry.stream;
    case IdRole:
        return QVariant::fromValue(quint64(session_.Queue().IdAt(index.row())));
    case ArtistRole:
        return entry.artist;
    case AlbumRole:
        return entry.album;
    default:
        return {};
    }
}

Qt::ItemFlags QueueModel::flags(const QModelIndex& index) const {
    const Qt::ItemFlags flags = QAbstractListModel::flags(index) | Qt::ItemIsDropEnabled;
    return index.isValid() ? flags | Qt::ItemIsDragEnabled : flags;
}

Qt::DropActions QueueModel::supportedDropActions() const {
    return Qt::MoveAction | Qt::CopyAction;
}

QStringList QueueModel::mimeTypes() const {
    return {QString::fromLatin1(kRowsMimeType), QStringLiteral("text/uri-list")};
}

QMimeData* QueueModel::mimeData(const QModelIndexList& indexes) const {
    QByteArray rows;
    QDataStream out(&rows, QIODevice::WriteOnly);
    for (const QModelIndex& index : indexes) {
        out << qint64(index.row());
    }
    auto* data = new QMimeData;
    data->setData(QString::fromLatin1(kRowsMimeType), rows);
    return data;
}

bool QueueModel::dropMimeData(const QMimeData* data, Qt::DropAction, int row, int,
                              const QModelIndex& parent) {
    // Dropped on an entry: before it; between entries: there; below all: at the end.
    const qsizetype at = row >= 0 ? row : parent.isValid() ? parent.row() : -1;
    if (data->hasFormat(QString::fromLatin1(kRowsMimeType))) {
        QList<qsizetype> rows;
        QDataStream in(data->data(QString::fromLatin1(kRowsMimeType)));
        while (!in.atEnd()) {
            qint64 moved = 0;
            in >> moved;
            rows << moved;
        }
        session_.MoveRows(rows, at);
        return false; // moved by the session: the view removes nothing itself
    }
    QStringList entries;
    for (const QUrl& url : data->urls()) {
        if (url.isLocalFile()) {
            entries << url.toLocalFile();
        } else if (IsStreamUrl(url.toString())) {
            entries << url.toString();
        }
    }
    session_.AddEntries(entries, at);
    return !entries.isEmpty();
}

} // namespace quarn
