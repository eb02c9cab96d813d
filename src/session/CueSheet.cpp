#include "session/CueSheet.h"

#include "platform/FileNames.h"
#include "platform/UserFiles.h"

#include <QDir>
#include <QStringDecoder>
#include <algorithm>
#include <optional>

namespace quarn {

namespace {

// Sheets are a few kilobytes; anything this large is some other file.
constexpr qint64 kLargestSheet = 1 << 20;
constexpr double kFramesPerSecond = 75;

struct Reading {
    CueTrack track;
    std::optional<double> pregap; // INDEX 00
    bool started = false;         // INDEX 01 seen
    int line = 0;
};

// The sheet's text: UTF-8 where the bytes are UTF-8, else Latin-1.
QString decoded(QByteArrayView bytes) {
    if (bytes.startsWith("\xEF\xBB\xBF")) {
        bytes = bytes.sliced(3);
    }
    QStringDecoder utf8(QStringDecoder::Utf8, QStringDecoder::Flag::Stateless);
    const QString text = utf8(bytes);
    return utf8.hasError() ? QString::fromLatin1(bytes) : text;
}

bool looksBinary(QByteArrayView bytes) {
    return std::any_of(bytes.begin(), bytes.end(), [](char c) {
        const auto b = static_cast<unsigned char>(c);
        return b < 0x20 && b != '\t' && b != '\n' && b != '\r' && b != '\f' && b != 0x1A;
    });
}

// A value as written: quoted (up to its closing quote), else the rest of the line.
QString value(const QString& rest) {
    if (!rest.startsWith(u'"')) {
        return rest;
    }
    const qsizetype close = rest.indexOf(u'"', 1);
    return rest.mid(1, close < 0 ? -1 : close - 1);
}

// FILE's name: quoted, or unquoted up to the type that ends the line.
QString fileName(const QString& rest) {
    if (rest.startsWith(u'"')) {
        return value(rest);
    }
    const qsizetype space = rest.lastIndexOf(u' ');
    return space > 0 ? rest.left(space).trimmed() : rest;
}

// "mm:ss:ff" in seconds.
std::optional<double> cueTime(const QString& text) {
    const QStringList parts = text.split(u':');
    if (parts.size() != 3 || parts[1].size() != 2 || parts[2].size() != 2) {
        return std::nullopt;
    }
    bool ok[3] = {};
    const int minutes = parts[0].toInt(&ok[0]);
    const int seconds = parts[1].toInt(&ok[1]);
    const int frames = parts[2].toInt(&ok[2]);
    if (!ok[0] || !ok[1] || !ok[2] || minutes < 0 || seconds < 0 || seconds >= 60 || frames < 0 ||
        frames >= kFramesPerSecond) {
        return std::nullopt;
    }
    return minutes * 60.0 + seconds + frames / kFramesPerSecond;
}

QString resolved(const QString& written, const QString& folder) {
    const QString path = written.startsWith(u'/') ? written : folder + u'/' + written;
    if (!platform::InspectFile(path).exists && written.contains(u'\\')) {
        // Made on Windows: "CD1\01.flac".
        const QString slashed = resolved(QString(written).replace(u'\\', u'/'), folder);
        if (platform::InspectFile(slashed).exists) {
            return slashed;
        }
    }
    return QDir::cleanPath(path);
}

class Parser {
public:
    explicit Parser(QString folder) : folder_(std::move(folder)) {}

    CueSheet Parse(const QString& text) {
        const QStringList lines = text.split(u'\n');
        for (qsizetype i = 0; i < lines.size() && sheet_.problem.isEmpty(); ++i) {
            line(int(i + 1), lines[i].simplified());
        }
        finishTrack();
        if (sheet_.problem.isEmpty() && !sawFile_) {
            sheet_.problem = QStringLiteral("no FILE line: not a cue sheet");
        } else if (sheet_.problem.isEmpty() && read_.empty()) {
            sheet_.problem = QStringLiteral("no TRACK in the sheet");
        }
        if (!sheet_.problem.isEmpty()) {
            return {{}, {}, {}, {}, sheet_.problem};
        }
        // A track ends where the next one of its file begins, its pregap included.
        for (size_t i = 0; i < read_.size(); ++i) {
            CueTrack& track = read_[i].track;
            if (i + 1 < read_.size() && read_[i + 1].track.file == track.file) {
                track.end = read_[i + 1].pregap.value_or(read_[i + 1].track.start);
            }
            if (track.performer.isEmpty()) {
                track.performer = sheet_.performer;
            }
            sheet_.tracks.push_back(track);
        }
        return sheet_;
    }

private:
    void fail(int number, const QString& why) {
        sheet_.problem = QStringLiteral("line %1: %2").arg(number).arg(why);
    }

    void line(int number, const QString& text) {
        const qsizetype space = text.indexOf(u' ');
        const QString command = text.left(space).toUpper();
        const QString rest = space < 0 ? QString() : text.mid(space + 1).trimmed();
        if (command == QLatin1String("FILE")) {
            finishTrack();
            const QString name = fileName(rest);
            if (name.isEmpty()) {
                return fail(number, QStringLiteral("FILE needs a file name"));
            }
            file_ = resolved(name, folder_);
            lastTime_ = 0;
            sawFile_ = true;
            if (!platform::InspectFile(file_).exists && !sheet_.missingFiles.contains(name)) {
                sheet_.missingFiles << name;
            }
        } else if (command == QLatin1String("TRACK")) {
            finishTrack();
            if (!sawFile_) {
                return fail(number, QStringLiteral("TRACK before any FILE"));
            }
            bool ok = false;
            const int track = rest.section(u' ', 0, 0).toInt(&ok);
            if (!ok || track < 1) {
                return fail(number, QStringLiteral("TRACK needs a number"));
            }
            // Data tracks of a mixed CD are no music.
            if (rest.section(u' ', 1).trimmed().compare(QLatin1String("AUDIO"),
                                                        Qt::CaseInsensitive) == 0) {
                current_ = Reading{{file_, track, {}, {}, 0, -1}, {}, false, number};
            }
            inTrack_ = true;
        } else if (command == QLatin1String("INDEX")) {
            index(number, rest);
        } else if (command == QLatin1String("TITLE") || command == QLatin1String("PERFORMER")) {
            const bool title = command == QLatin1String("TITLE");
            QString& field = current_ ? (title ? current_->track.title : current_->track.performer)
                                      : (title ? sheet_.title : sheet_.performer);
            field = value(rest).trimmed();
        }
        // REM, CATALOG, FLAGS, ISRC, PREGAP and the like tell nothing the player shows.
    }

    void index(int number, const QString& rest) {
        if (!inTrack_) {
            return fail(number, QStringLiteral("INDEX outside a TRACK"));
        }
        bool ok = false;
        const int which = rest.section(u' ', 0, 0).toInt(&ok);
        const std::optional<double> at = cueTime(rest.section(u' ', 1).trimmed());
        if (!ok || which < 0) {
            return fail(number, QStringLiteral("INDEX needs a number"));
        } else if (!at) {
            return fail(number, QStringLiteral("INDEX needs mm:ss:ff"));
        } else if (*at < lastTime_) {
            return fail(number, QStringLiteral("INDEX goes back in time"));
        }
        lastTime_ = *at;
        if (current_ && which == 0) {
            current_->pregap = *at;
        } else if (current_ && which == 1) {
            current_->track.start = *at;
            current_->started = true;
        }
    }

    void finishTrack() {
        if (current_ && sheet_.problem.isEmpty()) {
            if (!current_->started) {
                fail(current_->line, QStringLiteral("TRACK %1 has no INDEX 01")
                                         .arg(current_->track.number, 2, 10, QLatin1Char('0')));
            } else {
                read_.push_back(*current_);
            }
        }
        current_.reset();
        inTrack_ = false;
    }

    QString folder_;
    CueSheet sheet_;
    std::vector<Reading> read_;
    std::optional<Reading> current_; // the audio track being read
    bool inTrack_ = false;           // within any track, data tracks too
    QString file_;
    bool sawFile_ = false;
    double lastTime_ = 0; // the last INDEX of the current file
};

} // namespace

bool IsCueSheetName(const QString& name) {
    return name.endsWith(QLatin1String(".cue"), Qt::CaseInsensitive);
}

CueSheet ReadCueSheet(const QString& path) {
    CueSheet refused;
    const std::optional<QByteArray> bytes = platform::ReadUserFile(path, kLargestSheet);
    if (!bytes) {
        const platform::FileFacts facts = platform::InspectFile(path);
        refused.problem = !facts.exists                ? QStringLiteral("not found")
                          : facts.size > kLargestSheet ? QStringLiteral("over 1 MB: no cue sheet")
                                                       : QStringLiteral("cannot be read");
        return refused;
    }
    if (looksBinary(*bytes)) {
        refused.problem = QStringLiteral("holds binary data, not a cue sheet");
        return refused;
    }
    const QString absolute = QDir::cleanPath(QDir::current().absoluteFilePath(path));
    return Parser(absolute.left(absolute.lastIndexOf(u'/'))).Parse(decoded(*bytes));
}

} // namespace quarn
