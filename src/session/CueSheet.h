#pragma once

// Cue sheets: the tracks of one or more audio files, each a stretch of its
// file. Our own reader, smaller than libcue, that refuses what is malformed
// with the line at fault.

#include <QString>
#include <QStringList>
#include <vector>

namespace quarn {

struct CueTrack {
    QString file; // the audio file, absolute
    int number = 0;
    QString title;
    QString performer; // the track's, else the sheet's
    double start = 0;  // seconds into the file (INDEX 01)
    double end = -1;   // where the next track of the same file begins; -1: the file's end
};

struct CueSheet {
    QString title;     // the album's
    QString performer; // the album's
    std::vector<CueTrack> tracks;
    // Files the sheet names that are not there, as the sheet writes them.
    QStringList missingFiles;
    // Why the sheet is refused ("line 7: INDEX needs mm:ss:ff"); "" when it is read.
    QString problem;
};

// Whether a file's name is that of a cue sheet (.cue, any case).
bool IsCueSheetName(const QString& name);

// Reads a cue sheet (UTF-8, with or without a byte-order mark, or Latin-1).
// A refused sheet has a problem and no tracks.
CueSheet ReadCueSheet(const QString& path);

} // namespace quarn
