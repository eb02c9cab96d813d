#include "support/DamagedMedia.h"

#include "support/MediaFixtures.h"

#include <QDir>
#include <QFile>
#include <QtEndian>

#include <cstring>
#include <random>
#include <stdexcept>

using namespace Qt::Literals::StringLiterals;

namespace quarn::test::damaged {

namespace {

const QString kPicture = u"-f lavfi -i testsrc2=s=160x120:r=25:d=1 "_s;
const QString kSound = u"-f lavfi -i sine=f=440:d=1:sample_rate=22050 "_s;

// The good clips: the container, whether it has a picture, ffmpeg's output options.
struct Clip {
    const char* container;
    bool picture;
    const char* codecs;
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

// Odd files ffmpeg makes as they are. MPEG-TS timestamps count 90 kHz ticks
// in 33 bits: 10 hours in, and 95443 s in, 0.7 s before they wrap round to zero.
const std::pair<const char*, const char*> kOdd[] = {
    {"one-pixel.mp4", "-f lavfi -i testsrc2=s=16x16:r=25:d=1,scale=1:1 -c:v libx264 -preset "
                      "ultrafast -pix_fmt yuv444p"},
    {"far-timestamps.ts", "PS -c:v mpeg2video -c:a mp2 -output_ts_offset 36000"},
    {"wrapping-timestamps.ts", "PS -c:v mpeg2video -c:a mp2 -output_ts_offset 95443"},
    {"picture.png", "-f lavfi -i testsrc2=s=96x64 -frames:v 1"},
};

// The place of `tag` at or after `from`; it must be there.
qsizetype find(const QByteArray& bytes, const char* tag, qsizetype from = 0) {
    const qsizetype at = bytes.indexOf(tag, from);
    if (at < 0) {
        throw std::runtime_error(std::string("damaged media: no ") + tag + " to patch");
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

// AVI keeps its frame rate in the main header's microseconds per frame (the
// first field of "avih") and in the video stream header's rate over scale
// (dwRate, 24 bytes into the "strh" chunk's data, which starts with its type
// "vids"). Both zero: the file declares 0 frames a second.
QByteArray zeroFrameRate(QByteArray avi) {
    qToLittleEndian<quint32>(0, avi.data() + find(avi, "avih") + 8);
    qToLittleEndian<quint32>(0, avi.data() + find(avi, "vids", find(avi, "strh")) + 24);
    return avi;
}

// An MP4 track's time-to-sample table ("stts": version and flags, the number
// of entries, then pairs of frame count and duration) with every duration of
// the video track (handler "vide") zero: all its frames stand at time 0.
QByteArray zeroFrameDurations(QByteArray mp4) {
    const qsizetype table = find(mp4, "stts", find(mp4, "vide"));
    const auto entries = qFromBigEndian<quint32>(mp4.constData() + table + 8);
    for (quint32 entry = 0; entry < entries; ++entry) {
        qToBigEndian<quint32>(0, mp4.data() + table + 12 + 8 * entry + 4);
    }
    return mp4;
}

// A Matroska file's Duration element (ID 44 89, an 8-byte float: size byte
// 88) in milliseconds made 1e15: some 31,700 years, past any 32-bit count of seconds.
QByteArray absurdDuration(QByteArray mkv) {
    const double duration = 1e15;
    quint64 bits = 0;
    std::memcpy(&bits, &duration, sizeof bits);
    qToBigEndian<quint64>(bits, mkv.data() + find(mkv, "\x44\x89\x88") + 3);
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
        quint8* b = packet + payload;
        if ((packet[1] & 0x40) == 0 || payload + 19 > 188 || b[0] != 0 || b[1] != 0 || b[2] != 1 ||
            b[3] != 0xE0) {
            continue;
        }
        const int stamps = ((b[7] & 0x80) != 0) + ((b[7] & 0x40) != 0);
        for (b += 9; b < packet + payload + 9 + 5 * stamps; b += 5) {
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
    throw std::runtime_error("damaged media: no video PES packet to patch");
}

QDir folder() {
    QDir dir(media::Store() + u"/corpus"_s);
    dir.mkpath(u"."_s);
    return dir;
}

// Made by ffmpeg once, the same bytes every time: no encoder name, dates or
// random serials.
QString encoded(const QString& name, QString arguments) {
    folder();
    return media::Made(u"corpus/"_s + name,
                       arguments.replace(u"PS "_s, kPicture + kSound) +
                           u" -threads 1 -fflags +bitexact -flags:v +bitexact -flags:a +bitexact "
                           "-map_metadata -1"_s);
}

} // namespace

QString GoodClip(const QString& container) {
    const auto clip = std::find_if(std::begin(kClips), std::end(kClips),
                                   [&](const Clip& c) { return container == c.container; });
    return encoded(u"%1-good.%1"_s.arg(container),
                   (clip->picture ? kPicture : QString()) + kSound + clip->codecs);
}

QStringList Corpus() {
    // Each good clip, cut off after 1, 10, 50 and 90 % of its bytes, and with
    // a run of bytes scrambled in its header and in its middle.
    QStringList files;
    quint32 seed = 20240601;
    for (const Clip& clip : kClips) {
        const QString container = QString::fromLatin1(clip.container);
        const QByteArray good = media::Bytes(GoodClip(container));
        const qsizetype size = good.size();
        files << GoodClip(container);
        for (int percent : {1, 10, 50, 90}) {
            files << media::Written(
                u"corpus/%1-cut-%2.%1"_s.arg(container).arg(percent, 2, 10, QLatin1Char('0')),
                good.left(size * percent / 100));
        }
        files << media::Written(u"corpus/%1-flipped-header.%1"_s.arg(container),
                                scrambled(good, ++seed, 8, 256, 32));
        files << media::Written(
            u"corpus/%1-flipped-middle.%1"_s.arg(container),
            scrambled(good, ++seed, size / 2 - size / 16, size / 2 + size / 16, 256));
    }
    for (const auto& [name, arguments] : kOdd) {
        files << encoded(QString::fromLatin1(name), QString::fromLatin1(arguments));
    }
    const QString picture = files.takeLast();
    files << media::Written(u"corpus/zero-frame-rate.avi"_s,
                            zeroFrameRate(media::Bytes(GoodClip(u"avi"_s))))
          << media::Written(u"corpus/zero-frame-durations.mp4"_s,
                            zeroFrameDurations(media::Bytes(GoodClip(u"mp4"_s))))
          << media::Written(u"corpus/absurd-duration.mkv"_s,
                            absurdDuration(media::Bytes(GoodClip(u"mkv"_s))))
          << media::Written(u"corpus/far-first-timestamp.ts"_s,
                            farFirstTimestamp(media::Bytes(GoodClip(u"ts"_s))));
    // 2 GB of zeros that take no disk: a file made that long without writing.
    QFile zeros(folder().filePath(u"zeros-2GB.mp4"_s));
    if (!zeros.open(QIODevice::WriteOnly | QIODevice::Append) || !zeros.resize(qint64(2) << 30)) {
        throw std::runtime_error("damaged media: cannot make the file of zeros");
    }
    return files << zeros.fileName() << picture
                 << media::Written(u"corpus/picture-named.mp4"_s, media::Bytes(picture))
                 << media::Written(u"corpus/text.mp4"_s,
                                   "These are notes, not a film.\nCall the plumber on Tuesday.\n");
}

} // namespace quarn::test::damaged
