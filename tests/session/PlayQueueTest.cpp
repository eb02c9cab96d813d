#include "session/PlayQueue.h"
#include "platform/UserFiles.h"

#include <QDir>
#include <QFile>
#include <QSet>
#include <QTemporaryDir>
#include <gtest/gtest.h>

using namespace quarn;

namespace {

std::vector<PlaylistEntry> entries(std::initializer_list<const char*> names) {
    std::vector<PlaylistEntry> list;
    for (const char* name : names) {
        list.emplace_back().location = QString::fromLatin1(name);
    }
    return list;
}

QStringList locations(const std::vector<PlaylistEntry>& list) {
    QStringList names;
    for (const PlaylistEntry& entry : list) {
        names << entry.location;
    }
    return names;
}

} // namespace

TEST(PlayQueueTest, MovesOnAndBackPassingOverMissingEntriesAndWrapsOnlyWhenAsked) {
    PlayQueue queue;
    EXPECT_FALSE(queue.Current());
    EXPECT_FALSE(queue.NextRow(true));
    queue.Replace(entries({"a", "b", "c", "d"}));
    EXPECT_EQ(queue.Current(), "a");
    EXPECT_FALSE(queue.PreviousRow(false));
    EXPECT_EQ(queue.PreviousRow(true), 3);
    queue.SetMissing(1, true);
    EXPECT_EQ(queue.NextRow(false), 2);
    queue.SetCurrent(3);
    EXPECT_FALSE(queue.NextRow(false));
    EXPECT_EQ(queue.NextRow(true), 0);
    EXPECT_EQ(queue.PreviousRow(false), 2);
    // A queue of one wraps to nothing else.
    queue.Replace(entries({"x"}));
    EXPECT_FALSE(queue.NextRow(true));
}

TEST(PlayQueueTest, EditsKeepTheCurrentEntryAndTheLastRemovalCanBeUndone) {
    PlayQueue queue;
    queue.Replace(entries({"a", "b", "c", "d", "e"}), 2);
    const PlayQueue::Id playing = queue.IdAt(2);
    queue.Move({0, 4}, 2); // a and e before c
    EXPECT_EQ(locations(queue.Entries()), (QStringList{"b", "a", "e", "c", "d"}));
    EXPECT_EQ(queue.Current(), "c");
    queue.Insert(1, entries({"n1", "n2"}));
    EXPECT_EQ(locations(queue.Entries()), (QStringList{"b", "n1", "n2", "a", "e", "c", "d"}));
    queue.Remove({0, 3, 99});
    EXPECT_EQ(locations(queue.Entries()), (QStringList{"n1", "n2", "e", "c", "d"}));
    EXPECT_EQ(queue.RowOf(playing), 3);
    EXPECT_TRUE(queue.UndoRemoval());
    EXPECT_EQ(locations(queue.Entries()), (QStringList{"b", "n1", "n2", "a", "e", "c", "d"}));
    EXPECT_FALSE(queue.UndoRemoval());
    // The current entry removed stays current off the list; what followed it is next.
    queue.Remove({5});
    EXPECT_EQ(queue.CurrentRow(), std::nullopt);
    EXPECT_EQ(queue.NextRow(false), 5);
    queue.Insert(-1, entries({"z"}));
    EXPECT_EQ(locations(queue.Entries()).last(), "z");
}

TEST(PlayQueueTest, ShuffledTheWholeQueuePlaysOnceInAnOrderThatStaysUntilChanged) {
    PlayQueue queue;
    std::vector<PlaylistEntry> many(20);
    for (int i = 0; i < 20; ++i) {
        many[i].location = QString::number(i);
    }
    queue.Replace(many, 5);
    queue.SetShuffle(true, 42);
    auto playOrder = [&] {
        QStringList order{*queue.Current()};
        PlayQueue walk = queue;
        while (const auto next = walk.NextRow(false)) {
            walk.SetCurrent(*next);
            order << *walk.Current();
        }
        return order;
    };
    const QStringList order = playOrder();
    EXPECT_EQ(order.first(), "5") << "the one playing stays first";
    EXPECT_EQ(order.size(), 20);
    EXPECT_EQ(QSet<QString>(order.begin(), order.end()).size(), 20);
    EXPECT_NE(order, locations(queue.Entries()).mid(5) + locations(queue.Entries()).mid(0, 5));
    EXPECT_EQ(playOrder(), order) << "stable until shuffle is set again";
    queue.SetShuffle(false, 0);
    EXPECT_EQ(queue.NextRow(false), 6);
}

TEST(PlayQueueTest, AFolderStandsForItsMediaFilesAndAPlaylistForItsEntries) {
    QTemporaryDir root;
    const QDir dir(root.path());
    for (const char* name : {"track 10.mp3", "Track 2.flac", "track 1.ogg", "cover.jpg",
                             "notes.txt", "clip.MKV", "readme"}) {
        QFile(dir.filePath(name)).open(QIODevice::WriteOnly);
    }
    ASSERT_TRUE(platform::WriteUserFile(dir.filePath("inner/deep.mp3"), {}).written);
    dir.mkpath("folder.mp4"); // a folder with a media name is no media file
    const QString list = dir.filePath("inner/list.m3u");
    ASSERT_TRUE(platform::WriteUserFile(list, "#EXTM3U\n#EXTINF:61,Deep One\ndeep.mp3\ngone.mp3\n")
                    .written);
    const Expansion expanded =
        ExpandEntries({"/media/first.avi", root.path(), "https://example.org/s.mp3", list});
    EXPECT_EQ(
        locations(expanded.entries),
        (QStringList{"/media/first.avi", dir.filePath("clip.MKV"), dir.filePath("track 1.ogg"),
                     dir.filePath("Track 2.flac"), dir.filePath("track 10.mp3"),
                     dir.filePath("inner/deep.mp3"), "https://example.org/s.mp3",
                     dir.filePath("inner/deep.mp3"), dir.filePath("inner/gone.mp3")}));
    EXPECT_TRUE(expanded.entries[6].stream);
    EXPECT_EQ(expanded.entries[7].title, "Deep One");
    EXPECT_EQ(expanded.entries[7].length, 61);
    EXPECT_TRUE(expanded.entries[8].missing);
}
