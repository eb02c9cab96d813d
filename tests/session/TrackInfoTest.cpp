// The tag reader on the formats we play and on odd files: real files made by
// ffmpeg, read with the real TagLib.
#include "session/TrackInfo.h"
#include "support/MediaFixtures.h"

#include <QElapsedTimer>
#include <QFile>
#include <QTemporaryDir>
#include <gtest/gtest.h>

using namespace quarn;
using namespace test;

namespace {

const QString kTags = "-metadata \"title=Evening Tide\" -metadata \"artist=The Quarn Trio\" "
                      "-metadata \"album=Night Songs\" -metadata track=3 -metadata disc=2/2 "
                      "-metadata date=2021 -metadata \"REPLAYGAIN_TRACK_GAIN=-6.50 dB\" "
                      "-metadata REPLAYGAIN_TRACK_PEAK=0.98";

QString tagged(const char* format) {
    return media::Made(QStringLiteral("tags-1s.%1").arg(format),
                       "-f lavfi -i sine=f=440:d=1 " + kTags);
}

// The peak of this process's memory so far, in MiB.
long peakMiB() {
    QFile status("/proc/self/status");
    status.open(QIODevice::ReadOnly);
    const QByteArray all = status.readAll();
    const qsizetype at = all.indexOf("VmHWM:");
    return all.mid(at + 6, all.indexOf('\n', at) - at - 6).trimmed().split(' ')[0].toLong() / 1024;
}

} // namespace

TEST(TagReaderTest, EachFormatGivesItsTagsLengthAndReplayGain) {
    for (const char* format : {"flac", "mp3", "ogg", "opus", "m4a", "wav"}) {
        const TrackInfo info = ReadTrackInfo(tagged(format));
        EXPECT_EQ(info.title, "Evening Tide") << format;
        EXPECT_EQ(info.artist, "The Quarn Trio") << format;
        EXPECT_NEAR(info.length, 1.0, 0.1) << format;
        if (QByteArray("flac mp3 ogg opus").contains(format)) {
            EXPECT_EQ(info.album, "Night Songs") << format;
            EXPECT_EQ(std::tuple(info.track, info.disc, info.year), std::tuple(3, 2, 2021));
            EXPECT_EQ(info.trackGain, -6.5) << format;
            EXPECT_EQ(info.trackPeak, 0.98) << format;
            EXPECT_FALSE(info.albumGain) << format;
        }
    }
    EXPECT_FALSE(ReadTrackInfo("https://example.org/tags-1s.mp3").Known());
}

TEST(TagReaderTest, OddFilesGiveReadableTextOrNothingAndNeverHang) {
    const QString plain =
        media::Made("untagged-1s.mp3", "-f lavfi -i sine=d=1 -id3v2_version 0 -map_metadata -1");
    const TrackInfo untagged = ReadTrackInfo(plain);
    EXPECT_TRUE(untagged.title.isEmpty() && untagged.artist.isEmpty() && !untagged.hasPicture);
    EXPECT_GT(untagged.length, 0.5);
    // ID3v1 alone, in Latin-1 as it should be, and UTF-8 as taggers write it.
    const auto field = [](const char* text, int size) {
        return QByteArray(text).leftJustified(size, '\0', true);
    };
    const TrackInfo id3v1 = ReadTrackInfo(
        media::Written("id3v1-latin1.mp3", media::Bytes(plain) + "TAG" + field("Caf\xE9", 30) +
                                               field("Zo\xC3\xAB Zo", 30) + field("", 30) + "1999" +
                                               field("", 30) + char(255)));
    EXPECT_EQ(id3v1.title, "Café");
    EXPECT_EQ(std::tuple(id3v1.artist, id3v1.year), std::tuple(QString("Zoë Zo"), 1999));
    // ID3v2.4 frames in encodings other than they claim: UTF-8 holding Latin-1
    // bytes, Latin-1 holding UTF-8.
    const auto frame = [](const char* id, const QByteArray& data) {
        return id + QByteArray::fromHex("000000") + char(data.size()) + QByteArray(2, 0) + data;
    };
    const QByteArray frames = frame("TIT2", QByteArray("\x03"
                                                       "Caf\xE9\x01\xFF")) +
                              frame("TPE1", QByteArray("\x00"
                                                       "Bj\xC3\xB6rk",
                                                       7));
    const QString broken = media::Written(
        "id3v2-broken.mp3", "ID3\x04" + QByteArray(2, 0) + QByteArray::fromHex("000000") +
                                char(frames.size()) + frames + media::Bytes(plain));
    const TrackInfo misencoded = ReadTrackInfo(broken);
    EXPECT_EQ(misencoded.artist, "Björk");
    EXPECT_FALSE(misencoded.title.contains(QChar::ReplacementCharacter) ||
                 misencoded.title.contains(QChar(1)))
        << misencoded.title.toStdString();
    // Cut short, a text file named .mp3, an empty one: no crash, no cover.
    const QByteArray flac = media::Bytes(tagged("flac"));
    for (const QString& odd : {media::Written("cut.flac", flac.left(flac.size() / 3)),
                               media::Written("cut-early.flac", flac.left(60)),
                               media::Written("notes.mp3", "These are notes.\n"),
                               media::Written("empty.ogg", {}), media::Folder()}) {
        EXPECT_EQ(ReadCoverArt(odd), QByteArray()) << odd.toStdString();
        const TrackInfo info = ReadTrackInfo(odd);
        EXPECT_TRUE(odd.contains("cut") || !info.Known()) << odd.toStdString();
    }
}

TEST(TagReaderTest, CoversAreFoundAndAHugeOneIsNotReadOut) {
    const QString small = media::Made("small-cover.png", "-f lavfi -i color=c=red:s=16x16 "
                                                         "-frames:v 1");
    const QString withCover = media::Made(
        "with-cover.flac", "-f lavfi -i sine=d=1 -i \"" + small +
                               "\" -map 0 -map 1 -c:v copy -disposition:v attached_pic");
    EXPECT_TRUE(ReadTrackInfo(withCover).hasPicture);
    EXPECT_EQ(ReadCoverArt(withCover), media::Bytes(small));
    // A 20 MB picture of noise: seen, not copied out, read in bounded time and memory.
    const QString noise =
        media::Made("noise-20mb.png", "-f lavfi -i nullsrc=s=2600x2600,format=rgb24,geq=r="
                                      "'random(1)*255':g='random(2)*255':b='random(3)*255' "
                                      "-frames:v 1 -compression_level 0");
    ASSERT_GT(QFile(noise).size(), 16 << 20);
    const QString huge =
        media::Made("huge-cover.mp3", "-f lavfi -i sine=d=1 -i \"" + noise +
                                          "\" -map 0 -map 1 -c:a libmp3lame -c:v copy "
                                          "-disposition:v attached_pic -metadata title=Huge");
    const long before = peakMiB();
    QElapsedTimer timer;
    timer.start();
    const TrackInfo info = ReadTrackInfo(huge);
    EXPECT_EQ(ReadCoverArt(huge), QByteArray());
    EXPECT_LT(timer.elapsed(), 3000);
    EXPECT_LT(peakMiB() - before, 80);
    EXPECT_EQ(info.title, "Huge");
    EXPECT_TRUE(info.hasPicture);
    // Beside the file, in order of preference whatever the case.
    QTemporaryDir folder;
    for (const char* name : {"album.png", "Folder.PNG", "front.jpg", "song.mp3"}) {
        QFile(folder.filePath(name)).open(QIODevice::WriteOnly);
    }
    EXPECT_EQ(FindFolderCover(folder.filePath("song.mp3")), folder.filePath("Folder.PNG"));
}
