#pragma once

#include "common/QueueRoles.h"
#include "session/PlaybackSession.h"

#include <QAbstractListModel>

namespace quarn {

// The play queue as a list for a view: a row an entry, with its title (the
// file's name until the tags, the engine or a playlist give one, after its
// artist where that is known) and the QueueRoles.
// Rows dragged within the view are moved, files dropped on it are added
// where they are dropped; every edit goes through the session.
class QueueModel : public QAbstractListModel {
    Q_OBJECT
public:
    static constexpr const char* kRowsMimeType = "application/x-quarn-queue-rows";

    explicit QueueModel(PlaybackSession& session);

    int rowCount(const QModelIndex& parent = {}) const override;
    QVariant data(const QModelIndex& index, int role) const override;
    Qt::ItemFlags flags(const QModelIndex& index) const override;
    Qt::DropActions supportedDropActions() const override;
    QStringList mimeTypes() const override;
    QMimeData* mimeData(const QModelIndexList& indexes) const override;
    bool dropMimeData(const QMimeData* data, Qt::DropAction action, int row, int column,
                      const QModelIndex& parent) override;

private:
    PlaybackSession& session_;
};

} // namespace quarn
