// Cue sheets, folders queued as albums, and the tag scanner, on real files.
#include "session/CueSheet.h"
#include "session/PlayQueue.h"
#include "session/TagScanner.h"
#include "support/MediaFixtures.h"

#include <QDir>
#include <QFile>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <gtest/gtest.h>

using namespace quarn;
using namespace test;

namespace {

QString writtenIn(const QTemporaryDir& dir, const QString& name, const QByteArray& bytes = {}) {
    QDir(dir.path()).mkpath(QFileInfo(dir.filePath(name)).path());
    QFile file(dir.filePath(name));
    EXPECT_TRUE(file.open(QIODevice::WriteOnly) && file.write(bytes) == bytes.size());
    return file.fileName();
}

QString numbered(int disc, int track) {
    return media::Made(QStringLiteral("album-d%1-t%2.mp3").arg(disc).arg(track),
                       QStringLiteral("-f lavfi -i sine=d=0.2 -metadata track=%1 -metadata "
                                      "disc=%2")
                           .arg(track)
                           .arg(disc));
}

} // namespace

TEST(CueSheetTest, AGoodSheetGivesItsTracksAndAMalformedOneTheLineAtFault) {
    QTemporaryDir dir;
    QFile::copy(media::AudioClip(), dir.filePath("one.mp3")); // 3 s
    const QString sheet = writtenIn(
        dir, "night.cue",
        "\xEF\xBB\xBFREM GENRE Jazz\r\nPERFORMER \"The Quarn Trio\"\r\nTITLE \"Night Songs\"\r\n"
        "FILE \"one.mp3\" MP3\r\n  TRACK 01 AUDIO\r\n    TITLE \"\xC3\x89vening\"\r\n"
        "    INDEX 01 00:00:00\r\n  TRACK 02 AUDIO\r\n    TITLE Dusk Falls\r\n"
        "    PERFORMER \"Guest\"\r\n    INDEX 00 00:01:00\r\n    INDEX 01 00:01:30\r\n"
        "FILE two.flac WAVE\r\n  TRACK 03 AUDIO\r\n    INDEX 01 00:00:00\r\n");
    const CueSheet read = ReadCueSheet(sheet);
    ASSERT_EQ(read.problem, "");
    ASSERT_EQ(read.tracks.size(), 3u);
    const CueTrack& first = read.tracks[0];
    EXPECT_EQ(std::tuple(first.number, first.title, first.performer, first.start, first.end),
              std::tuple(1, QString("Évening"), QString("The Quarn Trio"), 0.0, 1.0));
    EXPECT_EQ(std::tuple(read.tracks[1].title, read.tracks[1].performer, read.tracks[1].start,
                         read.tracks[1].end),
              std::tuple(QString("Dusk Falls"), QString("Guest"), 1.4, -1.0));
    EXPECT_EQ(read.tracks[2].file, dir.filePath("two.flac"));
    EXPECT_EQ(read.missingFiles, QStringList{"two.flac"});
    // Queued: the tracks of the file that is there, and a line for the one that is not.
    const Expansion expanded = ExpandEntries({sheet});
    EXPECT_EQ(expanded.problems, QStringList{"night.cue: the audio file \"two.flac\" is missing"});
    ASSERT_EQ(expanded.entries.size(), 2u);
    EXPECT_EQ(expanded.entries[1].location, dir.filePath("one.mp3"));
    EXPECT_EQ(std::tuple(expanded.entries[1].album, expanded.entries[1].trackNumber), //
              std::tuple(QString("Night Songs"), 2));
    EXPECT_NEAR(expanded.entries[1].length, 1.6, 0.1);
    EXPECT_EQ(ReadCueSheet(writtenIn(dir, "latin1.cue",
                                     "FILE a MP3\nTRACK 1 AUDIO\nTITLE "
                                     "Caf\xE9\nINDEX 01 0:00:00\n"))
                  .tracks.at(0)
                  .title,
              "Café");
    const std::pair<QByteArray, const char*> refused[] = {
        {QByteArray("FILE a WAVE\n\0\x01\x02\x03", 16), "holds binary data, not a cue sheet"},
        {"REM nothing\nTITLE x\n", "no FILE line: not a cue sheet"},
        {"FILE \"a.mp3\" MP3\n", "no TRACK in the sheet"},
        {"TITLE x\nTRACK 01 AUDIO\n", "line 2: TRACK before any FILE"},
        {"FILE a MP3\nTRACK 01 AUDIO\nINDEX 01 1:2\n", "line 3: INDEX needs mm:ss:ff"},
        {"FILE a MP3\nTRACK 01 AUDIO\nINDEX 01 00:09:00\nTRACK 02 AUDIO\nINDEX 01 00:05:00\n",
         "line 5: INDEX goes back in time"},
        {"FILE a MP3\nTRACK 01 AUDIO\nTITLE x\nTRACK 02 AUDIO\nINDEX 01 00:00:00\n",
         "line 2: TRACK 01 has no INDEX 01"},
        {"FILE a MP3\nINDEX 01 00:00:00\n", "line 2: INDEX outside a TRACK"},
    };
    for (const auto& [text, problem] : refused) {
        const CueSheet bad = ReadCueSheet(writtenIn(dir, "bad.cue", text));
        EXPECT_EQ(bad.problem, problem) << text.toStdString();
        EXPECT_TRUE(bad.tracks.empty());
    }
}

TEST(AlbumOrderTest, AFolderPlaysByDiscAndTrackElseByNameAndItsFoldersAlbumByAlbum) {
    QTemporaryDir dir;
    const std::pair<const char*, QString> tagged[] = {{"album/b.mp3", numbered(2, 1)},
                                                      {"album/a.mp3", numbered(1, 2)},
                                                      {"album/z.mp3", numbered(1, 1)},
                                                      {"box/CD 10/x.mp3", numbered(1, 1)},
                                                      {"big/zz.mp3", numbered(1, 1)}};
    for (const auto& [name, made] : tagged) {
        writtenIn(dir, name, media::Bytes(made));
    }
    for (const char* name : {"album/untagged 10.mp3", "album/untagged 2.mp3", "names/Track 10.mp3",
                             "names/track 2.mp3", "names/track 01.ogg", "box/CD 2/y.mp3",
                             "box/intro.mp3", "box/notes.txt"}) {
        writtenIn(dir, name);
    }
    ASSERT_TRUE(QFile::link(dir.filePath("names"), dir.filePath("box/link")));
    const auto queued = [&](const char* folder) {
        QStringList names;
        for (const PlaylistEntry& entry : ExpandEntries({dir.filePath(folder)}).entries) {
            names << QDir(dir.filePath(folder)).relativeFilePath(entry.location);
        }
        return names;
    };
    EXPECT_EQ(queued("album"),
              (QStringList{"z.mp3", "a.mp3", "b.mp3", "untagged 2.mp3", "untagged 10.mp3"}));
    EXPECT_EQ(queued("names"), (QStringList{"track 01.ogg", "track 2.mp3", "Track 10.mp3"}));
    EXPECT_EQ(queued("box"), (QStringList{"intro.mp3", "CD 2/y.mp3", "CD 10/x.mp3"}));
    // Too many files to read the tags of: by name alone.
    for (int i = 0; i < 1000; ++i) {
        writtenIn(dir, QStringLiteral("big/%1.mp3").arg(i));
    }
    EXPECT_EQ(queued("big").last(), "zz.mp3");
}

TEST(TagScannerTest, EveryEntryIsReadInBatchesAndAReplacedBatchNeverArrives) {
    TagScanner scanner;
    TagScanner::Results read;
    int batches = 0;
    QObject::connect(&scanner, &TagScanner::Read, [&](const TagScanner::Results& results) {
        read.insert(read.end(), results.begin(), results.end());
        ++batches;
    });
    std::vector<TagScanner::Job> first;
    for (quint64 id = 1; id <= 200; ++id) {
        first.push_back({id, id == 1 ? media::MissingFile() : media::TaggedSong()});
    }
    scanner.Scan(first);
    scanner.Replace({{1001, media::TaggedSong()}, {1002, media::MissingFile()}});
    scanner.Scan({{1003, media::AudioClip()}});
    ASSERT_TRUE(QTest::qWaitFor([&] { return read.size() == 3; }, 10000));
    QTest::qWait(200); // nothing more comes
    ASSERT_EQ(read.size(), 3u);
    EXPECT_EQ(read[0].first, 1001u);
    EXPECT_EQ(read[0].second.title, "Evening Tide");
    EXPECT_FALSE(read[1].second.Known());
    EXPECT_NEAR(read[2].second.length, 3, 0.2);
    EXPECT_EQ(scanner.Pending(), 0);
    // Many files come in a few batches.
    batches = 0;
    read.clear();
    scanner.Scan(first);
    ASSERT_TRUE(QTest::qWaitFor([&] { return read.size() == 200; }, 10000));
    EXPECT_LE(batches, 20);
}
