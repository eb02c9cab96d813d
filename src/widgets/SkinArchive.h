#pragma once

// Skins packed as one .zip archive of a skin's folder, read in memory: nothing
// of an archive is ever written to disk.

#include <QByteArray>
#include <QHash>
#include <QString>
#include <stdexcept>

namespace quarn {

// Why an archive cannot be read as a skin, in the words that end the skin's
// message ("the archive holds "../x.png", a path outside it").
class ArchiveProblem : public std::runtime_error {
public:
    explicit ArchiveProblem(const QString& problem)
        : std::runtime_error(problem.toStdString()), problem_(problem) {}
    QString Problem() const { return problem_; }

private:
    QString problem_;
};

// What an archive may hold at most. Archives come from anywhere: these keep a
// hostile one from filling the memory.
constexpr qint64 kMaxArchiveBytes = 50 * 1000 * 1000;  // the archive file
constexpr qint64 kMaxExpandedBytes = 50 * 1000 * 1000; // its files, counted as they are read
constexpr int kMaxArchiveEntries = 2000;

// The files of the skin in the zip archive at `path` (a file or a Qt
// resource), by plain name: those beside skin.json, which sits at the top of
// the archive or in one folder at its top. With `only` set, just that file's
// bytes are read (the rest are still checked). Throws ArchiveProblem where
// the file is not a zip archive, is larger than allowed, or holds an
// absolute path, a path with "..", a link, a device or pipe, too many entries
// or too many bytes, or no skin.json.
QHash<QString, QByteArray> ReadSkinArchive(const QString& path, const QString& only = {});

} // namespace quarn
