#pragma once

// The files the player keeps for the user (settings, where files were left,
// the recent list). They are only ever written as regular files of the
// user's own, whole or not at all, and never through anything a path might
// lead to instead: a link, a device, a pipe.

#include <QByteArray>
#include <QString>
#include <optional>

namespace quarn::platform {

struct WriteOutcome {
    bool written = false;
    QString problem; // when not written: one line for the user or the log
};

// Writes the whole of `bytes` to `path`: to a new temporary file in the same
// folder (mode 0600, or the old file's), flushed to the disk, then renamed
// over the old one. A path that is a symlink, a device, a FIFO, a folder, a
// socket or a file of another user is never written through nor replaced.
// The folder may be reached through links, but must be the user's own and
// writable by no one else; missing folders are made (mode 0700). On any failure (a full disk, a
// read-only folder, a short write) the old file stays whole and the temporary
// file is removed.
WriteOutcome WriteUserFile(const QString& path, const QByteArray& bytes);

// The contents of a regular file of at most `maxBytes`; nothing for anything
// else, which is never opened in a way that could block (a FIFO, a device).
// A symlink to a regular file is read (though never written).
std::optional<QByteArray> ReadUserFile(const QString& path, qint64 maxBytes);

// The folder for what the player keeps between runs:
// $XDG_STATE_HOME/quarn-media-player, else ~/.local/state/quarn-media-player.
QString StateFolder();

// The folder for what the player keeps only to save work (copies of covers):
// $XDG_CACHE_HOME/quarn-media-player, else ~/.cache/quarn-media-player.
QString CacheFolder();

// Where the user installs skins: $XDG_DATA_HOME/quarn-media-player/skins,
// else ~/.local/share/quarn-media-player/skins.
QString UserSkinsFolder();

// Where the user keeps pictures: $XDG_PICTURES_DIR, else the desktop's
// pictures folder (from user-dirs.dirs), else ~/Pictures.
QString PicturesFolder();

} // namespace quarn::platform
