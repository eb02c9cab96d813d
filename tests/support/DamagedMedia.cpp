#include "support/DamagedMedia.h"

#include <QBuffer>
#include <QDir>
#include <QFile>
#include <QImage>
#include <QProcess>
#include <QUuid>
#include <QtEndian>

#include <algorithm>
#include <cstring>
#include <memory>
#include <random>
#include <stdexcept>
#include <vector>

namespace quarn::test::damaged {

namespace {

// Lists the corpus's files in order; written last, so a corpus without it is
// unfinished. A new name makes the corpus anew.
constexpr const char* kManifest = ".corpus-3";

const QString kPicture = QStringLiteral("testsrc2=s=160x120:r=25:d=1");
const QString kSound = QStringLiteral("sine=f=440:d=1:sample_rate=22050");

struct Clip {
    const char* container;
    bool picture;
    const char* codecs; // ffmpeg's output options
};

const Clip kClips[] = {
    {"mp4", true,
     "-c:v libx264 -preset ultrafast -pix_fmt yuv420p -c:a aac -b:a 32k -movflags +faststart"},
    {"mkv", true, "-c:v libvpx -b:v 200k -c:a libvorbis"},
    {"avi", true, "-c:v mpeg4 -c:a libmp3lame"},
    {"ts", true, "-c:v mpeg2video -c:a mp2"},
    {"flv", true, "-c:v flv1 -c:a libmp3lame"},
    {"mp3", false, "-c:a libmp3lame"},
    {"flac", false, "-c:a flac"},
    {"opus", false, "-c:a libopus"},
    {"wav", false, "-c:a pcm_s16le"},
};

QStringList words(const char* text) {
    return QString::fromLatin1(text).split(u' ', Qt::SkipEmptyParts);
}

[[noreturn]] void fail(const QString& what) {
    throw std::runtime_error("damaged media: " + what.toStdString());
}

// The place of `tag` at or after `from`; it must be there.
qsizetype find(const QByteArray& bytes, const char* tag, qsizetype from = 0) {
    const qsizetype at = bytes.indexOf(tag, from);
    if (at < 0) {
        fail(QStringLiteral("no %1 to patch").arg(QString::fromLatin1(tag)));
    }
    return at;
}

// A run of `length` bytes from a place in [from, to), each XORed with a
// non-zero byte: place and bytes come from a generator of the seed
// (mt19937's numbers are fixed by the C++ standard).
QByteArray scrambled(QByteArray bytes, quint32 seed, qsizetype from, qsizetype to,
                     qsizetype length) {
    std::mt19937 random(seed);
    const qsizetype at = from + qsizetype(random() % quint32(std::max<qsizetype>(1, to - from)));
    for (qsizetype i = at; i < std::min(at + length, bytes.size()); ++i) {
        bytes[i] = char(quint8(bytes[i]) ^ quint8(1 + random() % 255));
    }
    return bytes;
}

// AVI keeps its frame rate in two places: the main header's microseconds
// per frame (the first field of "avih") and the video stream header's rate
// over scale (in the data of the "strh" chunk whose type is "vids", dwScale
// at byte 20 and dwRate at 24). Both zero: the file declares 0 frames a
// second (ffprobe: "scale/rate is 1/0 which is invalid").
QByteArray zeroFrameRate(QByteArray avi) {
    const qsizetype header = find(avi, "avih") + 8;
    qToLittleEndian<quint32>(0, avi.data() + header);
    qsizetype stream = find(avi, "strh");
    while (avi.mid(stream + 8, 4) != "vids") {
        stream = find(avi, "strh", stream + 4);
    }
    qToLittleEndian<quint32>(0, avi.data() + stream + 8 + 24);
    return avi;
}

// An MP4 track's frame rate is its time scale over its frames' durations,
// which its time-to-sample table holds ("stts": version and flags, the
// number of entries, then pairs of frame count and duration). Every duration
// of the video track (the one whose handler is "vide") zero: all its frames
// stand at time 0 and its rate is 1/0.
QByteArray zeroFrameDurations(QByteArray mp4) {
    const qsizetype table = find(mp4, "stts", find(mp4, "vide"));
    const auto entries = qFromBigEndian<quint32>(mp4.constData() + table + 8);
    for (quint32 entry = 0; entry < entries; ++entry) {
        qToBigEndian<quint32>(0, mp4.data() + table + 12 + 8 * entry + 4);
    }
    return mp4;
}

// A Matroska file's length is the Duration element (ID 44 89) of its
// segment's Info, a float in the segment's timestamp scale (milliseconds as
// ffmpeg writes it), here of 8 bytes (size byte 88). Made 1e15: 10^12
// seconds, some 31,700 years, past any 32-bit count of seconds.
QByteArray absurdDuration(QByteArray mkv) {
    const qsizetype element = find(mkv, "\x44\x89\x88");
    const double duration = 1e15;
    quint64 bits = 0;
    std::memcpy(&bits, &duration, sizeof bits);
    qToBigEndian<quint64>(bits, mkv.data() + element + 3);
    return mkv;
}

// MPEG-TS carries each stream in packets of 188 bytes. One that starts a PES
// packet (payload_unit_start, 40 in its second byte) holds, after its
// adaptation field if any, the PES header: 00 00 01, the stream (E0: the
// first video stream), two bytes of length, two of flags (the second's top
// bits: PTS and DTS present), the header's length, then the PTS and the DTS,
// 33-bit counts of 90 kHz ticks spread over 5 bytes each between marker bits.
// The first video frame's PTS and DTS moved 10 hours on: the file starts with
// one frame far from all the others.
QByteArray farFirstTimestamp(QByteArray ts) {
    constexpr quint64 kShift = 36000ull * 90000;
    for (qsizetype at = 0; at + 188 <= ts.size(); at += 188) {
        auto* packet = reinterpret_cast<quint8*>(ts.data() + at);
        const qsizetype payload = (packet[3] & 0x20) != 0 ? 5 + packet[4] : 4;
        const quint8* start = packet + payload;
        if ((packet[1] & 0x40) == 0 || payload + 19 > 188 || start[0] != 0 || start[1] != 0 ||
            start[2] != 1 || start[3] != 0xE0) {
            continue;
        }
        const int stamps = ((start[7] & 0x80) != 0) + ((start[7] & 0x40) != 0);
        for (int i = 0; i < stamps; ++i) {
            quint8* b = packet + payload + 9 + 5 * i;
            quint64 ticks = quint64(b[0] >> 1 & 7) << 30 | quint64(b[1]) << 22 |
                            quint64(b[2] >> 1) << 15 | quint64(b[3]) << 7 | quint64(b[4] >> 1);
            ticks = (ticks + kShift) & ((quint64(1) << 33) - 1);
            b[0] = quint8((b[0] & 0xF0) | (ticks >> 29 & 0x0E) | 1);
            b[1] = quint8(ticks >> 22);
            b[2] = quint8((ticks >> 14 & 0xFE) | 1);
            b[3] = quint8(ticks >> 7);
            b[4] = quint8((ticks << 1 & 0xFE) | 1);
        }
        return ts;
    }
    fail(QStringLiteral("no video PES packet to patch"));
}

QByteArray picturePng() {
    QImage picture(96, 64, QImage::Format_RGB32);
    for (int y = 0; y < picture.height(); ++y) {
        for (int x = 0; x < picture.width(); ++x) {
            picture.setPixel(x, y, qRgb(x * 255 / 95, y * 255 / 63, 96));
        }
    }
    QByteArray png;
    QBuffer buffer(&png);
    buffer.open(QIODevice::WriteOnly);
    picture.save(&buffer, "PNG");
    return png;
}

class Maker {
public:
    explicit Maker(const QString& folder) : dir_(folder) {}

    // ffmpeg makes `name` from lavfi sources; every one queued runs at once
    // in encodeAll().
    void encode(const QString& name, const QStringList& inputs, const QStringList& options) {
        auto ffmpeg = std::make_unique<QProcess>();
        ffmpeg->setProcessChannelMode(QProcess::MergedChannels);
        QStringList arguments{QStringLiteral("-hide_banner"), QStringLiteral("-loglevel"),
                              QStringLiteral("error"), QStringLiteral("-nostdin")};
        for (const QString& input : inputs) {
            arguments << QStringLiteral("-f") << QStringLiteral("lavfi") << QStringLiteral("-i")
                      << input;
        }
        // Same bytes every time: no encoder name, dates or random serials.
        arguments << options
                  << words("-threads 1 -fflags +bitexact -flags:v +bitexact -flags:a +bitexact "
                           "-map_metadata -1 -y")
                  << dir_.filePath(name);
        ffmpeg->start(QStringLiteral("ffmpeg"), arguments);
        jobs_.push_back(std::move(ffmpeg));
    }

    void encodeAll() {
        for (const auto& ffmpeg : jobs_) {
            if (!ffmpeg->waitForFinished(120000) || ffmpeg->exitStatus() != QProcess::NormalExit ||
                ffmpeg->exitCode() != 0) {
                fail(QStringLiteral("ffmpeg %1: %2")
                         .arg(ffmpeg->arguments().join(u' '),
                              QString::fromLocal8Bit(ffmpeg->readAll())));
            }
        }
        jobs_.clear();
    }

    QByteArray read(const QString& name) const {
        QFile file(dir_.filePath(name));
        if (!file.open(QIODevice::ReadOnly)) {
            fail(QStringLiteral("cannot read ") + name);
        }
        return file.readAll();
    }

    void write(const QString& name, const QByteArray& bytes) {
        QFile file(dir_.filePath(name));
        if (!file.open(QIODevice::WriteOnly) || file.write(bytes) != bytes.size()) {
            fail(QStringLiteral("cannot write ") + name);
        }
        keep(name);
    }

    // A file of the corpus, in order.
    void keep(const QString& name) { names_ << name; }
    QString path(const QString& name) const { return dir_.filePath(name); }
    const QStringList& names() const { return names_; }

private:
    QDir dir_;
    std::vector<std::unique_ptr<QProcess>> jobs_;
    QStringList names_;
};

QString goodName(const char* container) {
    return QStringLiteral("%1-good.%1").arg(QString::fromLatin1(container));
}

void make(Maker& maker) {
    for (const Clip& clip : kClips) {
        const QStringList inputs =
            clip.picture ? QStringList{kPicture, kSound} : QStringList{kSound};
        maker.encode(goodName(clip.container), inputs, words(clip.codecs));
    }
    const QStringList mpeg2 = words("-c:v mpeg2video -c:a mp2 -output_ts_offset");
    // MPEG-TS timestamps count 90 kHz ticks in 33 bits: 10 hours in, and
    // 95443 s in, 0.7 s before they wrap round to zero.
    maker.encode(QStringLiteral("far-timestamps.ts"), {kPicture, kSound},
                 mpeg2 + QStringList{QStringLiteral("36000")});
    maker.encode(QStringLiteral("wrapping-timestamps.ts"), {kPicture, kSound},
                 mpeg2 + QStringList{QStringLiteral("95443")});
    maker.encode(QStringLiteral("one-pixel.mp4"),
                 {QStringLiteral("testsrc2=s=16x16:r=25:d=1,scale=1:1")},
                 words("-c:v libx264 -preset ultrafast -pix_fmt yuv444p"));
    maker.encodeAll();

    quint32 seed = 20240601;
    for (const Clip& clip : kClips) {
        const QString container = QString::fromLatin1(clip.container);
        const QByteArray good = maker.read(goodName(clip.container));
        const qsizetype size = good.size();
        maker.keep(goodName(clip.container));
        for (int percent : {1, 10, 50, 90}) {
            maker.write(
                QStringLiteral("%1-cut-%2.%1").arg(container).arg(percent, 2, 10, QLatin1Char('0')),
                good.left(size * percent / 100));
        }
        maker.write(QStringLiteral("%1-flipped-header.%1").arg(container),
                    scrambled(good, ++seed, 8, 256, 32));
        maker.write(QStringLiteral("%1-flipped-middle.%1").arg(container),
                    scrambled(good, ++seed, size / 2 - size / 16, size / 2 + size / 16, 256));
    }

    for (const char* kept : {"one-pixel.mp4", "far-timestamps.ts", "wrapping-timestamps.ts"}) {
        maker.keep(QString::fromLatin1(kept));
    }
    maker.write(QStringLiteral("zero-frame-rate.avi"), zeroFrameRate(maker.read(goodName("avi"))));
    maker.write(QStringLiteral("zero-frame-durations.mp4"),
                zeroFrameDurations(maker.read(goodName("mp4"))));
    maker.write(QStringLiteral("absurd-duration.mkv"), absurdDuration(maker.read(goodName("mkv"))));
    maker.write(QStringLiteral("far-first-timestamp.ts"),
                farFirstTimestamp(maker.read(goodName("ts"))));
    // 2 GB of zeros that take no disk: a file made that long without writing.
    QFile zeros(maker.path(QStringLiteral("zeros-2GB.mp4")));
    if (!zeros.open(QIODevice::WriteOnly) || !zeros.resize(qint64(2) << 30)) {
        fail(QStringLiteral("cannot make the file of zeros"));
    }
    maker.keep(QStringLiteral("zeros-2GB.mp4"));
    maker.write(QStringLiteral("picture.png"), picturePng());
    maker.write(QStringLiteral("picture-named.mp4"), picturePng());
    maker.write(QStringLiteral("text.mp4"), "These are notes, not a film.\n"
                                            "Call the plumber on Tuesday.\n");
}

// The corpus's folder, with its files made when they are not there yet:
// in a folder of its own first, which then takes the corpus's name whole.
QDir corpus() {
    const QDir media(QStringLiteral(QUARN_BINARY_DIR "/test-media"));
    const QString folder = media.filePath(QStringLiteral("corpus"));
    if (QFile::exists(QDir(folder).filePath(QString::fromLatin1(kManifest)))) {
        return QDir(folder);
    }
    const QString partial =
        folder + QStringLiteral(".part-") + QUuid::createUuid().toString(QUuid::Id128);
    media.mkpath(partial);
    Maker maker(partial);
    make(maker);
    QFile manifest(QDir(partial).filePath(QString::fromLatin1(kManifest)));
    if (!manifest.open(QIODevice::WriteOnly) ||
        manifest.write(maker.names().join(u'\n').toUtf8()) < 0) {
        fail(QStringLiteral("cannot write the corpus's list"));
    }
    manifest.close();
    QDir(folder).removeRecursively();
    if (!QDir().rename(partial, folder)) {
        fail(QStringLiteral("cannot move the corpus into ") + folder);
    }
    return QDir(folder);
}

} // namespace

QStringList Corpus() {
    const QDir dir = corpus();
    QFile manifest(dir.filePath(QString::fromLatin1(kManifest)));
    manifest.open(QIODevice::ReadOnly);
    QStringList files;
    for (const QString& name : QString::fromUtf8(manifest.readAll()).split(u'\n')) {
        files << dir.filePath(name);
    }
    return files;
}

QString GoodClip(const QString& container) {
    return corpus().filePath(goodName(container.toLatin1().constData()));
}

} // namespace quarn::test::damaged
