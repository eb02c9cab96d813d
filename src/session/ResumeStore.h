#pragma once

#include "platform/UserFiles.h"

#include <QList>
#include <QString>
#include <optional>

namespace quarn {

// What the user chose for a file as it played, to be chosen again when it
// opens next: its tracks, its timing and its speed. A field left unset (or
// at 0, for the delays) was not chosen.
struct FileChoices {
    // The sound track, by its number in the file.
    std::optional<int> audioTrack{};
    // The subtitle track, by its number in the file; 0 for subtitles off.
    std::optional<int> subtitleTrack{};
    // A subtitle file shown (a same-name file beside the film, or one
    // loaded), by its path: it stands in for the track.
    QString subtitleFile{};
    double subtitleDelay = 0; // seconds
    double audioDelay = 0;
    std::optional<double> speed{};

    bool Empty() const {
        return !audioTrack && !subtitleTrack && subtitleFile.isEmpty() && subtitleDelay == 0 &&
               audioDelay == 0 && !speed;
    }
    friend bool operator==(const FileChoices&, const FileChoices&) = default;
};

// Where the user left the files they did not play to the end, so that they
// go on from there next time, and what they chose for each. Entries are
// absolute local paths (a name's bytes that are not UTF-8 kept as FileNames
// keeps them) or http(s) URLs; streams are never remembered. Kept in a JSON
// file with a version number; a file written before the choices were kept
// (positions alone) reads as it did.
class ResumeStore {
public:
    static constexpr qsizetype kMostFiles = 1000;
    static constexpr qint64 kLargestFile = 4 * 1024 * 1024;
    // The longest delay kept, as far as the engine goes.
    static constexpr double kLongestDelay = 3600;

    // What the file at `path` holds; a missing, damaged or oversized file, or
    // anything there that is not a regular file, gives an empty store. Each
    // value of a file's is read on its own: one that is of another kind, out
    // of its range or no number is left out, and the rest stays.
    explicit ResumeStore(QString path);

    std::optional<double> PositionFor(const QString& entry) const;
    // What was chosen for the file; nothing where nothing was.
    std::optional<FileChoices> ChoicesFor(const QString& entry) const;
    // The file of `length` seconds was left at `position`. Remembered only
    // for files of a minute or more, left 5 s in or later and 10 s or more
    // before the end (elsewhere it would start from the top anyway); any
    // other leaving forgets the position. Past 1,000 files, the one left
    // longest ago is forgotten.
    void Left(const QString& entry, double position, double length);
    // What was chosen for the file, in place of what was before; values out
    // of range are left out. The position stays as it was.
    void Chose(const QString& entry, const FileChoices& choices);
    // Played to the end, or started over: the position is forgotten, what
    // was chosen stays.
    void ForgetPosition(const QString& entry);
    // Writes the file whole or not at all. Should the names be so long that
    // they would not all fit in what loading accepts, the files left longest
    // ago are not written.
    platform::WriteOutcome Save() const;

private:
    struct Spot {
        QString entry;
        std::optional<double> position;
        FileChoices choices;
    };
    // The file's spot moved to the front (a new one where it had none).
    Spot& touch(const QString& entry);
    void dropEmpty();

    QString path_;
    QList<Spot> spots_; // the one left most recently first
};

} // namespace quarn
