#pragma once

// Playlist files: M3U and extended M3U, M3U8, PLS and XSPF read into entries
// the play queue takes (an absolute local path or an http(s) URL), and M3U8
// written. Reading touches only local files: a stream is listed, never
// contacted, and a list another list names is read only when it is local.

#include <QByteArray>
#include <QString>
#include <QStringList>
#include <vector>

namespace quarn {

struct PlaylistEntry {
    QString location;     // an absolute local path, or an http(s) URL
    QString title;        // "" when the list gives none
    double length = -1;   // seconds; -1 when unknown
    bool stream = false;  // an http(s) URL
    bool missing = false; // a local file that is not there, or a Windows path kept as written
};

struct PlaylistRead {
    std::vector<PlaylistEntry> entries;
    QStringList problems; // one line each, for the user
    bool refused = false; // nothing usable: not a playlist, binary data, unreadable, no plain file
};

// Whether a file's name is that of a playlist (.m3u .m3u8 .pls .xspf, any case).
bool IsPlaylistFileName(const QString& name);

// Reads a local playlist file, the local lists it names expanded in place.
PlaylistRead ReadPlaylist(const QString& path);

// The entries as an M3U8 list kept in `listFolder`: entries inside that
// folder are named relative to it. The caller writes the bytes to disk.
QByteArray WriteM3u8(const std::vector<PlaylistEntry>& entries, const QString& listFolder);

} // namespace quarn
