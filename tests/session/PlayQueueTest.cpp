#include "session/PlayQueue.h"
#include "common/MediaTypes.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <gtest/gtest.h>

using namespace quarn;

TEST(PlayQueueTest, MovesOnAndBackAndStaysPutAtBothEnds) {
    PlayQueue queue;
    EXPECT_FALSE(queue.Current());
    EXPECT_FALSE(queue.Next());
    queue.Replace({"a", "b", "c"});
    EXPECT_EQ(queue.Current(), "a");
    EXPECT_FALSE(queue.Previous());
    EXPECT_EQ(queue.Current(), "a");
    EXPECT_EQ(queue.Next(), "b");
    EXPECT_EQ(queue.Next(), "c");
    EXPECT_FALSE(queue.HasNext());
    EXPECT_FALSE(queue.Next());
    EXPECT_EQ(queue.Current(), "c");
    EXPECT_EQ(queue.Previous(), "b");
    queue.Replace({"x"});
    EXPECT_EQ(queue.Current(), "x");
    EXPECT_FALSE(queue.HasPrevious());
}

TEST(PlayQueueTest, AFolderStandsForItsOwnMediaFilesSortedByName) {
    QTemporaryDir root;
    const QDir dir(root.path());
    for (const char* name : {"track 10.mp3", "Track 2.flac", "track 1.ogg", "cover.jpg",
                             "notes.txt", "clip.MKV", "readme"}) {
        QFile(dir.filePath(name)).open(QIODevice::WriteOnly);
    }
    dir.mkpath("inner");
    QFile(dir.filePath("inner/deep.mp3")).open(QIODevice::WriteOnly);
    dir.mkpath("folder.mp4"); // a folder with a media name is no media file
    const QStringList entries =
        ExpandEntries({"/media/first.avi", root.path(), "https://example.org/s.mp3"});
    EXPECT_EQ(entries, (QStringList{"/media/first.avi", dir.filePath("clip.MKV"),
                                    dir.filePath("track 1.ogg"), dir.filePath("Track 2.flac"),
                                    dir.filePath("track 10.mp3"), "https://example.org/s.mp3"}));
}

TEST(MediaTypesTest, TheOpenDialogOffersWhatTheEnginePlays) {
    EXPECT_TRUE(MediaFilter().startsWith("Media Files |*.mp*;*.avi;*.asf;*.wmv;"));
    EXPECT_TRUE(MediaFilter().endsWith("|All Files (*.*)|*.*|"));
    for (const char* name : {"a.mkv",  "a.webm", "A.MOV", "a.m4v", "a.ogv", "a.ogg", "a.oga",
                             "a.opus", "a.flac", "a.m4a", "a.wav", "a.3gp", "a.ts",  "a.flv",
                             "a.mpeg", "a.mpg",  "a.mp3", "a.mp4", "a.avi", "a.wmv", "a.asf"}) {
        EXPECT_TRUE(IsMediaFileName(name)) << name;
    }
    for (const char* name : {"a.txt", "a.jpg", "mkv", "a.mkv.part"}) {
        EXPECT_FALSE(IsMediaFileName(name)) << name;
    }
}

TEST(MediaTypesTest, TheDesktopEntryNamesTheSameTypesThePlayerTellsTheBusOf) {
    QFile entry(QStringLiteral(QUARN_SOURCE_DIR "/data/quarn-media-player.desktop"));
    ASSERT_TRUE(entry.open(QIODevice::ReadOnly));
    QStringList listed;
    for (const QByteArray& line : entry.readAll().split('\n')) {
        if (line.startsWith("MimeType=")) {
            listed = QString::fromUtf8(line.mid(9)).split(u';', Qt::SkipEmptyParts);
        }
    }
    EXPECT_EQ(listed, MediaMimeTypes());
}
