#pragma once

// What a music file says of itself before it plays: its tags (read with
// TagLib), its length, its ReplayGain and whether it carries a cover; and
// where its cover is when it carries none. Only local files are read; a
// stream never is.

#include <QByteArray>
#include <QMetaType>
#include <QString>
#include <optional>

namespace quarn {

struct TrackInfo {
    QString artist, album, albumArtist, title;
    int track = 0, disc = 0, year = 0;                                // 0: not given
    double length = -1;                                               // seconds; -1 when unknown
    std::optional<double> trackGain, albumGain, trackPeak, albumPeak; // dB, and linear peaks
    bool hasPicture = false; // an embedded cover, found without decoding it

    // Whether anything at all was read.
    bool Known() const {
        return length >= 0 || !title.isEmpty() || !artist.isEmpty() || !album.isEmpty() ||
               track > 0;
    }
};

// The file's tags and length. Never throws: a file that cannot be read, or
// is no media file TagLib knows, gives an empty TrackInfo. Tags in encodings
// other than those they claim come out as readable text or empty.
TrackInfo ReadTrackInfo(const QString& path);
// The same without the audio properties (no length): what ordering an album
// needs, read quickly.
TrackInfo ReadTrackTags(const QString& path);

// The embedded front cover's bytes (else the first picture's), as stored
// (JPEG or PNG); empty when there is none or it is over 16 MB.
QByteArray ReadCoverArt(const QString& path);

// A picture beside the file that stands for its album: cover, folder, front
// or album, with .jpg, .jpeg or .png, in any case, in that order of
// preference; "" when there is none.
QString FindFolderCover(const QString& audioPath);

} // namespace quarn

Q_DECLARE_METATYPE(quarn::TrackInfo)
