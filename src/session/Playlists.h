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
    // From the file's tags (or a cue sheet), once read; the window puts
    // artist and title together as it shows them.
    QString artist{};
    QString album{};
    int trackNumber = 0; // 0: not known
    // A track of a cue sheet is a stretch of its file (seconds); end -1 is
    // the file's end. A whole file starts at 0 and ends at -1.
    double start = 0;
    double end = -1;
};

// Whether the entry is a stretch of its file (a track of a cue sheet).
inline bool IsFilePart(const PlaylistEntry& entry) {
    return entry.start > 0 || entry.end >= 0;
}

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
// folder are named relative to it, each with its length and "Artist - Title"
// where they are known. The caller writes the bytes to disk.
QByteArray WriteM3u8(const std::vector<PlaylistEntry>& entries, const QString& listFolder);

} // namespace quarn
