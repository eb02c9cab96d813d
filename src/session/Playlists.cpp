#include "session/Playlists.h"

#include "platform/FileNames.h"

#include <QDir>
#include <QHash>
#include <QXmlStreamReader>
#include <algorithm>
#include <cerrno>
#include <cmath>
#include <dirent.h>
#include <fcntl.h>
#include <map>
#include <optional>
#include <sys/stat.h>
#include <unistd.h>
#include <unordered_map>

namespace quarn {

using platform::FileNameFromBytes;
using platform::FileNameToBytes;

namespace {

// Limits that keep a broken or hostile list from hanging the player or
// filling its memory.
constexpr qint64 kMaxBytes = qint64(64) << 20; // read in all, over every list
constexpr std::size_t kMaxEntries = 100000;
constexpr int kMaxDepth = 4;
// A list that names an empty list a million times ends here, not after a
// million reads.
constexpr int kMaxListsRead = 10000;
constexpr qsizetype kMaxProblems = 20;

enum class Kind { Nothing, Local, Stream, Windows, Skipped };

struct Place {
    Kind kind = Kind::Nothing;
    QString text; // the path or URL; for Skipped, what kind of place it named
};

// A location as a list gives it, with what the list tells of it.
struct Listed {
    QString location;
    QString title;
    double length = -1;
};

bool startsWithNoCase(QByteArrayView text, QByteArrayView prefix) {
    return text.size() >= prefix.size() &&
           text.first(prefix.size()).compare(prefix, Qt::CaseInsensitive) == 0;
}

bool startsWithNoCase(const QString& text, const char* prefix) {
    return text.startsWith(QLatin1String(prefix), Qt::CaseInsensitive);
}

bool isControl(char16_t c) {
    return c < 0x20 || c == 0x7F;
}

// Text of a list's line: UTF-8, or where it is not, the bytes kept as file
// names keep them, so that a name in a list of another encoding still finds
// its file.
QString decodedLine(QByteArrayView bytes) {
    QString text = QString::fromUtf8(bytes);
    return text.contains(QChar::ReplacementCharacter) ? FileNameFromBytes(bytes.toByteArray())
                                                      : text;
}

QString percentDecoded(const QString& text) {
    return FileNameFromBytes(QByteArray::fromPercentEncoding(FileNameToBytes(text)));
}

// "scheme://": a URL of some kind. A name like "Act 1: Overture.mp3" is none.
bool hasScheme(const QString& text, QString& scheme) {
    const qsizetype colon = text.indexOf(QLatin1String("://"));
    if (colon < 1 || !text.at(0).isLetter()) {
        return false;
    }
    for (qsizetype i = 0; i < colon; ++i) {
        const char16_t c = text.at(i).unicode();
        if (c > 0x7F || !(QChar::isLetterOrNumber(c) || c == u'+' || c == u'.' || c == u'-')) {
            return false;
        }
    }
    scheme = text.left(colon).toLower() + u':';
    return true;
}

bool isWindowsPath(const QString& text) {
    return text.contains(u'\\') ||
           (text.size() >= 3 && text.at(0).isLetter() && text.at(0).unicode() < 0x80 &&
            text.at(1) == u':' && text.at(2) == u'/');
}

// Where a location written in a list leads. With `uri` the list writes every
// location as a URI reference (XSPF), so a relative one is percent-encoded too.
Place classify(const QString& written, const QString& folder, bool uri) {
    const QString text = written.trimmed();
    QString scheme;
    QString path;
    if (text.isEmpty()) {
        return {};
    } else if (startsWithNoCase(text, "http://") || startsWithNoCase(text, "https://")) {
        return {Kind::Stream, text};
    } else if (startsWithNoCase(text, "file:")) {
        QString rest = text.mid(5);
        if (rest.startsWith(QLatin1String("//"))) {
            const qsizetype slash = rest.indexOf(u'/', 2);
            const QString host = rest.mid(2, slash < 0 ? -1 : slash - 2);
            if (slash < 0 || !(host.isEmpty() || host.compare(QLatin1String("localhost"),
                                                              Qt::CaseInsensitive) == 0)) {
                return {Kind::Skipped, QStringLiteral("file://") + host};
            }
            rest = rest.mid(slash);
        }
        if (!rest.startsWith(u'/')) {
            return {Kind::Skipped, QStringLiteral("file:")};
        }
        path = percentDecoded(rest);
    } else if (hasScheme(text, scheme)) {
        return {Kind::Skipped, scheme};
    } else if (isWindowsPath(text)) {
        return {Kind::Windows, text};
    } else {
        path = uri ? percentDecoded(text) : text;
        if (!path.startsWith(u'/')) {
            path = folder + u'/' + path;
        }
    }
    if (path.contains(QChar(0))) {
        return {Kind::Skipped, QStringLiteral("a name holding a NUL byte")};
    }
    return {Kind::Local, QDir::cleanPath(path)};
}

// "#EXTINF:<seconds>[ attributes],<title>"; a comma within quoted attributes
// (some lists carry them) ends nothing.
void readExtinf(const QString& text, Listed& listed) {
    qsizetype comma = -1;
    bool quoted = false;
    for (qsizetype i = 0; i < text.size() && comma < 0; ++i) {
        if (text.at(i) == u'"') {
            quoted = !quoted;
        } else if (text.at(i) == u',' && !quoted) {
            comma = i;
        }
    }
    bool ok = false;
    const double seconds = text.left(comma).trimmed().section(u' ', 0, 0).toDouble(&ok);
    listed.length = ok && std::isfinite(seconds) && seconds >= 0 ? seconds : -1;
    listed.title = comma < 0 ? QString() : text.mid(comma + 1).trimmed();
}

// Lines ended by LF, CR LF or CR, trimmed, empty ones left out, until `take`
// says no more.
template <typename Take> void forEachLine(QByteArrayView text, Take&& take) {
    for (qsizetype at = 0; at < text.size();) {
        qsizetype end = at;
        while (end < text.size() && text[end] != '\n' && text[end] != '\r') {
            ++end;
        }
        const QByteArrayView line = text.sliced(at, end - at).trimmed();
        at = end + 1;
        if (!line.isEmpty() && !take(line)) {
            return;
        }
    }
}

// Text lists hold no control characters but tabs, line and page ends (and
// the end-of-file mark of old editors); anything else is some other file.
bool looksBinary(QByteArrayView bytes) {
    return std::any_of(bytes.begin(), bytes.end(), [](char c) {
        const auto b = static_cast<unsigned char>(c);
        return b < 0x20 && b != '\t' && b != '\n' && b != '\r' && b != '\f' && b != 0x1A;
    });
}

// Up to `limit` bytes of the file; `cut` when it holds more.
std::optional<QByteArray> readAtMost(int fd, qint64 sizeHint, qint64 limit, bool& cut) {
    QByteArray bytes(std::min(sizeHint, limit) + 1, Qt::Uninitialized);
    qint64 have = 0;
    for (;;) {
        if (have == bytes.size()) {
            if (have > limit) {
                break;
            }
            bytes.resize(std::min(have * 2, limit + 1));
        }
        const ssize_t got = ::read(fd, bytes.data() + have, size_t(bytes.size() - have));
        if (got < 0 && errno == EINTR) {
            continue;
        } else if (got < 0) {
            return std::nullopt;
        } else if (got == 0) {
            break;
        }
        have += got;
    }
    cut = have > limit;
    bytes.truncate(std::min(have, limit));
    return bytes;
}

enum class Format { Unknown, M3u, Pls, Xspf };

// What the text begins with decides; a name's ending only where it does not.
Format formatOf(const QString& path, QByteArrayView bytes) {
    const QByteArrayView head = bytes.first(std::min<qsizetype>(bytes.size(), 64)).trimmed();
    if (startsWithNoCase(head, "[playlist]")) {
        return Format::Pls;
    } else if (head.startsWith('<')) {
        return Format::Xspf;
    } else if (startsWithNoCase(head, "#EXTM3U")) {
        return Format::M3u;
    } else if (startsWithNoCase(path.right(4), ".pls")) {
        return Format::Pls;
    } else if (startsWithNoCase(path.right(5), ".xspf")) {
        return Format::Xspf;
    }
    return IsPlaylistFileName(path) ? Format::M3u : Format::Unknown;
}

QString shownName(const QString& path) {
    return platform::ReadableFileName(path.section(u'/', -1));
}

// Whether files are there, found by reading each folder once: a list of
// thousands of entries then costs a few folder reads, not a look-up each
// (which the kernel answers slowly for names that are not there, and from
// the disk for names it has not seen lately).
class Presence {
public:
    bool Exists(const QString& path) {
        const qsizetype slash = path.lastIndexOf(u'/');
        const QString folder = path.left(slash);
        auto found = folders_.find(folder);
        if (found == folders_.end()) {
            found = folders_.emplace(folder, listing(folder)).first;
        }
        if (found->second) {
            const auto type = found->second->find(FileNameToBytes(path.sliced(slash + 1)));
            if (type == found->second->end()) {
                return false;
            } else if (*type != DT_LNK && *type != DT_UNKNOWN) {
                return true;
            }
        }
        return platform::InspectFile(path).exists; // a link may lead nowhere
    }

private:
    // The folder's names with their types; none for a folder that cannot be
    // read, or once too many names were read in all.
    std::optional<QHash<QByteArray, unsigned char>> listing(const QString& folder) {
        DIR* dir = ::opendir(folder.isEmpty() ? "/" : FileNameToBytes(folder).constData());
        if (dir == nullptr) {
            return std::nullopt;
        }
        QHash<QByteArray, unsigned char> names;
        while (const dirent* entry = ::readdir(dir)) {
            if (--namesLeft_ < 0) {
                names.clear();
                break;
            }
            names.insert(QByteArray(entry->d_name), entry->d_type);
        }
        ::closedir(dir);
        return namesLeft_ < 0 ? std::nullopt : std::make_optional(std::move(names));
    }

    std::unordered_map<QString, std::optional<QHash<QByteArray, unsigned char>>> folders_;
    qint64 namesLeft_ = 1000000;
};

class Reader {
public:
    PlaylistRead Read(const QString& path) {
        read_.refused = !readList(path, 0);
        if (moreProblems_ > 0) {
            read_.problems << QStringLiteral("and %1 more problems").arg(moreProblems_);
        }
        if (skipped_ > 0) {
            read_.problems << QStringLiteral("skipped %1 that %2 neither a local file nor an "
                                             "http(s) stream (%3)")
                                  .arg(skipped_ == 1 ? QStringLiteral("1 entry")
                                                     : QStringLiteral("%1 entries").arg(skipped_))
                                  .arg(skipped_ == 1 ? "is" : "are")
                                  .arg(skippedKinds_.join(QLatin1String(", ")));
        }
        return std::move(read_);
    }

private:
    struct FileId {
        dev_t device;
        ino_t inode;
        bool operator==(const FileId&) const = default;
    };

    bool readList(const QString& path, int depth);
    void readM3u(QByteArrayView text, const QString& folder, int depth);
    bool readPls(QByteArrayView text, const QString& folder, int depth, const QString& name);
    bool readXspf(const QByteArray& bytes, const QString& folder, int depth, const QString& name,
                  bool cut);
    void add(const Listed& listed, const QString& folder, int depth, bool uri);

    void problem(const QString& line) {
        if (read_.problems.contains(line)) {
            return;
        } else if (read_.problems.size() < kMaxProblems) {
            read_.problems << line;
        } else {
            ++moreProblems_;
        }
    }
    bool refuse(const QString& name, const char* why) {
        problem(name + QLatin1String(": ") + QLatin1String(why));
        return false;
    }

    PlaylistRead read_;
    std::vector<FileId> reading_; // the lists being read, outermost first
    qint64 bytesLeft_ = kMaxBytes;
    int listsRead_ = 0;
    qsizetype moreProblems_ = 0;
    qsizetype skipped_ = 0;
    QStringList skippedKinds_;
    Presence presence_;
    bool stopped_ = false; // at the limit of entries or lists
};

bool Reader::readList(const QString& path, int depth) {
    const QString name = shownName(path);
    // Looked at before opening, and opened without blocking, so that a FIFO
    // or a device never holds the player up; looked at again once open, in
    // case the file was swapped in between.
    const platform::FileFacts facts = platform::InspectFile(path);
    if (!facts.exists) {
        return refuse(name, "not found");
    } else if (!facts.regular) {
        return refuse(name, "not a regular file");
    }
    const int fd =
        ::open(FileNameToBytes(path).constData(), O_RDONLY | O_NONBLOCK | O_CLOEXEC | O_NOCTTY);
    if (fd < 0) {
        return refuse(name, "cannot be read");
    }
    struct stat info {};
    if (::fstat(fd, &info) != 0 || !S_ISREG(info.st_mode)) {
        ::close(fd);
        return refuse(name, "not a regular file");
    }
    // Known by device and inode, so that a list naming itself by a link or
    // another path is caught too.
    const FileId id{info.st_dev, info.st_ino};
    if (std::find(reading_.begin(), reading_.end(), id) != reading_.end()) {
        ::close(fd);
        return refuse(name, "names itself or a list that holds it; not read again");
    }
    bool cut = false;
    const std::optional<QByteArray> bytes = readAtMost(fd, info.st_size, bytesLeft_, cut);
    ::close(fd);
    if (!bytes) {
        return refuse(name, "cannot be read");
    }
    bytesLeft_ -= bytes->size();
    if (looksBinary(*bytes)) {
        return refuse(name, "holds binary data, not a playlist");
    }
    QByteArrayView text(*bytes);
    if (cut) {
        problem(name + QLatin1String(": cut, as lists are read only to 64 MiB in all"));
        // A line cut short would name another file.
        text = text.first(text.lastIndexOf('\n') + 1);
    }
    if (startsWithNoCase(text, "\xEF\xBB\xBF")) {
        text = text.sliced(3);
    }
    const QString folder = path.left(path.lastIndexOf(u'/'));
    reading_.push_back(id);
    bool read = true;
    switch (formatOf(path, text)) {
    case Format::Unknown:
        read = refuse(name, "not a playlist");
        break;
    case Format::M3u:
        readM3u(text, folder, depth);
        break;
    case Format::Pls:
        read = readPls(text, folder, depth, name);
        break;
    case Format::Xspf:
        read = readXspf(*bytes, folder, depth, name, cut);
        break;
    }
    reading_.pop_back();
    return read;
}

void Reader::readM3u(QByteArrayView text, const QString& folder, int depth) {
    Listed listed;
    forEachLine(text, [&](QByteArrayView line) {
        if (line.startsWith('#')) {
            if (startsWithNoCase(line, "#EXTINF:")) {
                readExtinf(decodedLine(line.sliced(8)), listed);
            }
            return true;
        }
        listed.location = decodedLine(line);
        add(listed, folder, depth, false);
        listed = {};
        return !stopped_;
    });
}

bool Reader::readPls(QByteArrayView text, const QString& folder, int depth, const QString& name) {
    // Keys come in any order: entries are gathered by number, the lowest
    // numbers kept where there are too many.
    std::map<qint64, Listed> numbered;
    bool header = false;
    bool inList = true;
    forEachLine(text, [&](QByteArrayView line) {
        if (line.startsWith('[')) {
            inList = line.compare("[playlist]", Qt::CaseInsensitive) == 0;
            header = header || inList;
            return true;
        }
        const qsizetype equals = line.indexOf('=');
        if (!inList || equals < 0) {
            return true;
        }
        const QByteArray key = line.first(equals).trimmed().toByteArray().toLower();
        const QByteArrayView value = line.sliced(equals + 1).trimmed();
        qsizetype digits = key.size();
        while (digits > 0 && key.at(digits - 1) >= '0' && key.at(digits - 1) <= '9') {
            --digits;
        }
        bool ok = false;
        const qint64 number = key.sliced(digits).toLongLong(&ok);
        const QByteArrayView field = QByteArrayView(key).first(digits);
        if (!ok || (field != "file" && field != "title" && field != "length")) {
            return true;
        }
        Listed& listed = numbered[number];
        if (field == "file") {
            listed.location = decodedLine(value);
        } else if (field == "title") {
            listed.title = decodedLine(value);
        } else {
            const double seconds = value.toDouble(&ok);
            listed.length = ok && std::isfinite(seconds) && seconds >= 0 ? seconds : -1;
        }
        if (numbered.size() > kMaxEntries + 1) {
            numbered.erase(std::prev(numbered.end()));
        }
        return true;
    });
    const bool anyFile = std::any_of(numbered.begin(), numbered.end(), [](const auto& item) {
        return !item.second.location.isEmpty();
    });
    if (!header && !anyFile) {
        return refuse(name, "not a playlist");
    }
    for (auto it = numbered.begin(); it != numbered.end() && !stopped_; ++it) {
        add(it->second, folder, depth, false);
    }
    return true;
}

bool Reader::readXspf(const QByteArray& bytes, const QString& folder, int depth,
                      const QString& name, bool cut) {
    // Checked whole first: a list that is not well-formed XML is no list.
    // (QXmlStreamReader fetches nothing: no external entities, no network.)
    QXmlStreamReader check(bytes);
    while (!check.atEnd()) {
        check.readNext();
    }
    if (check.hasError() &&
        !(cut && check.error() == QXmlStreamReader::PrematureEndOfDocumentError)) {
        problem(QStringLiteral("%1: not well-formed XML (line %2: %3)")
                    .arg(name)
                    .arg(check.lineNumber())
                    .arg(check.errorString()));
        return false;
    }
    QXmlStreamReader xml(bytes);
    if (!xml.readNextStartElement() || xml.name() != QLatin1String("playlist")) {
        return refuse(name, "not a playlist");
    }
    while (!xml.atEnd() && !stopped_) {
        if (xml.readNext() != QXmlStreamReader::StartElement ||
            xml.name() != QLatin1String("track")) {
            continue;
        }
        Listed listed;
        bool located = false;
        while (xml.readNextStartElement()) {
            if (xml.name() == QLatin1String("location") && !located) {
                listed.location = xml.readElementText(QXmlStreamReader::SkipChildElements);
                located = true;
            } else if (xml.name() == QLatin1String("title")) {
                listed.title = xml.readElementText(QXmlStreamReader::SkipChildElements).trimmed();
            } else if (xml.name() == QLatin1String("duration")) {
                bool ok = false;
                const double ms =
                    xml.readElementText(QXmlStreamReader::SkipChildElements).toDouble(&ok);
                listed.length = ok && std::isfinite(ms) && ms >= 0 ? ms / 1000 : -1;
            } else {
                xml.skipCurrentElement();
            }
        }
        if (located) {
            add(listed, folder, depth, true);
        }
    }
    return true;
}

void Reader::add(const Listed& listed, const QString& folder, int depth, bool uri) {
    const Place place = classify(listed.location, folder, uri);
    PlaylistEntry entry{place.text, listed.title, listed.length};
    switch (place.kind) {
    case Kind::Nothing:
        return;
    case Kind::Skipped:
        ++skipped_;
        if (!skippedKinds_.contains(place.text) && skippedKinds_.size() < 5) {
            skippedKinds_ << place.text;
        }
        return;
    case Kind::Stream:
        entry.stream = true;
        break;
    case Kind::Windows:
        entry.missing = true;
        break;
    case Kind::Local:
        entry.missing = !presence_.Exists(place.text);
        if (!entry.missing && IsPlaylistFileName(place.text) &&
            !platform::InspectFile(place.text).folder) {
            if (depth + 1 > kMaxDepth) {
                problem(shownName(place.text) +
                        QLatin1String(": lies more than 4 lists deep; skipped"));
            } else if (++listsRead_ > kMaxListsRead || bytesLeft_ <= 0) {
                problem(QStringLiteral("stopped, as lists are read only to 10,000 of them "
                                       "or 64 MiB in all"));
                stopped_ = true;
            } else {
                readList(place.text, depth + 1);
            }
            return;
        }
        break;
    }
    if (read_.entries.size() == kMaxEntries) {
        problem(QStringLiteral("cut at 100,000 entries"));
        stopped_ = true;
        return;
    }
    read_.entries.push_back(std::move(entry));
}

// Whether the reader takes this line for that local file. A name that would
// read as a comment, lose its outer spaces, break the line, or look like a
// URL or a Windows path is written as a file:// URL instead.
bool readsBackAs(const QString& line, const QString& folder, const QString& path) {
    if (line.startsWith(u'#') || line != line.trimmed() ||
        std::any_of(line.begin(), line.end(), [](QChar c) { return isControl(c.unicode()); })) {
        return false;
    }
    const Place place = classify(line, folder, false);
    return place.kind == Kind::Local && place.text == path;
}

QByteArray locationLine(const QString& location, const QString& folder) {
    if (location.startsWith(u'/')) {
        const QString inside = folder.endsWith(u'/') ? folder : folder + u'/';
        const QString line = location.startsWith(inside) && location.size() > inside.size()
                                 ? location.mid(inside.size())
                                 : location;
        return readsBackAs(line, folder, location) ? FileNameToBytes(line)
                                                   : platform::FileUrl(location);
    }
    // A stream, or a Windows path kept as written: as it is, on one line.
    QByteArray line;
    for (const char c : FileNameToBytes(location)) {
        if (const auto b = static_cast<unsigned char>(c); isControl(b)) {
            line += QByteArray(1, char(b)).toPercentEncoding();
        } else {
            line += c;
        }
    }
    return line;
}

} // namespace

bool IsPlaylistFileName(const QString& name) {
    for (const char* ending : {".m3u", ".m3u8", ".pls", ".xspf"}) {
        if (name.endsWith(QLatin1String(ending), Qt::CaseInsensitive)) {
            return true;
        }
    }
    return false;
}

PlaylistRead ReadPlaylist(const QString& path) {
    return Reader().Read(QDir::cleanPath(QDir::current().absoluteFilePath(path)));
}

QByteArray WriteM3u8(const std::vector<PlaylistEntry>& entries, const QString& listFolder) {
    const QString folder = QDir::cleanPath(listFolder);
    QByteArray out = "#EXTM3U\n";
    for (const PlaylistEntry& entry : entries) {
        if (entry.location.isEmpty()) {
            continue; // an empty line would leave its #EXTINF to the next entry
        }
        const qint64 seconds =
            entry.length >= 0 && entry.length < 1e12 ? std::llround(entry.length) : -1;
        QString title = entry.artist.isEmpty() || entry.title.isEmpty()
                            ? entry.title
                            : entry.artist + QLatin1String(" - ") + entry.title;
        std::replace_if(
            title.begin(), title.end(), [](QChar c) { return isControl(c.unicode()); }, u' ');
        out += "#EXTINF:" + QByteArray::number(seconds) + ',' + FileNameToBytes(title.trimmed()) +
               '\n';
        out += locationLine(entry.location, folder) + '\n';
    }
    return out;
}

} // namespace quarn
