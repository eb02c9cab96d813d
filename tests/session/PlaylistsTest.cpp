#include "session/Playlists.h"

#include "platform/FileNames.h"
#include "platform/UserFiles.h"

#include <QTemporaryDir>
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

using namespace quarn;
using platform::FileNameFromBytes;
using platform::FileNameToBytes;

namespace {

// Makes the file (and its folders), holding these bytes; gives back its path.
QString put(const QString& path, const QByteArray& contents = {}) {
    EXPECT_TRUE(platform::WriteUserFile(path, contents).written) << path.toStdString();
    return path;
}

// An entry on one line: "location|title|length", then its marks.
QStringList described(const std::vector<PlaylistEntry>& entries) {
    QStringList lines;
    for (const PlaylistEntry& e : entries) {
        lines << QStringLiteral("%1|%2|%3%4%5")
                     .arg(e.location, e.title)
                     .arg(e.length)
                     .arg(e.stream ? "|stream" : "", e.missing ? "|missing" : "");
    }
    return lines;
}

} // namespace

TEST(PlaylistsTest, AWrittenListReadsBackWithOddNamesTitlesAndLengths) {
    QTemporaryDir root;
    QTemporaryDir elsewhere;
    const QString dir = root.path() + "/list";
    std::vector<PlaylistEntry> entries;
    for (const QByteArray name :
         {"a b.mp3", "#1 hit.mp3", "100%25 %.mp3", "\xC3\xBCn\xC3\xAF \xE2\x98\x83.ogg",
          "caf\xE9.mp3", "-lead.mp3", " spaced .mp3", "back\\slash.mp3", "sub/C:/deep.mp3",
          "line\nbreak.mp3", "sub/inner.ogg", "file:x.mp3"}) {
        entries.push_back({put(dir + u'/' + FileNameFromBytes(name)),
                           FileNameFromBytes("T\xE9, #" + QByteArray::number(entries.size())),
                           double(entries.size() * 61)});
    }
    entries.push_back({put(elsewhere.filePath("outside.mp3")), "two\nlines", 90.4});
    entries.push_back({"https://example.org/live?x=1#y", "", -1, true});
    const QByteArray written = WriteM3u8(entries, dir);
    const PlaylistRead read = ReadPlaylist(put(dir + "/list.m3u8", written));
    EXPECT_FALSE(read.refused);
    EXPECT_TRUE(read.problems.isEmpty()) << read.problems.join('\n').toStdString();
    entries.at(entries.size() - 2).title = "two lines";
    entries.at(entries.size() - 2).length = 90;
    EXPECT_EQ(described(read.entries), described(entries));
    // Inside the list's folder names are relative, written as their bytes.
    EXPECT_TRUE(written.contains("\nsub/inner.ogg\n"));
    EXPECT_TRUE(written.contains("\ncaf\xE9.mp3\n"));
    EXPECT_TRUE(written.contains("\n-lead.mp3\n"));
    EXPECT_TRUE(written.contains('\n' + FileNameToBytes(elsewhere.filePath("outside.mp3")) + '\n'));
    // QTemporaryDir cannot remove a name that is not UTF-8.
    ::unlink(FileNameToBytes(dir + u'/' + FileNameFromBytes("caf\xE9.mp3")).constData());
}

TEST(PlaylistsTest, EachFormatReadsItsExample) {
    QTemporaryDir root;
    const QByteArray at = FileNameToBytes(root.path());
    put(root.filePath("song.mp3"));
    put(root.filePath("one.ogg"));
    const struct {
        const char* name;
        QByteArray text;
        std::vector<QByteArray> expected;
    } cases[] = {
        {"a.m3u",
         "#EXTM3U\r\n#EXTINF:61,Artist - Song\r\nsong.mp3\r\n# remark\r\n\r\n"
         "file://localhost@/caf%C3%A9%20x.mp3\r\n#EXTINF:-1 tvg-name=\"x,y\",Radio\r\n"
         "http://127.0.0.1:9/live.m3u\r\n\xE9t\xE9.mp3\n",
         {"@/song.mp3|Artist - Song|61", "@/caf\xC3\xA9 x.mp3||-1|missing",
          "http://127.0.0.1:9/live.m3u|Radio|-1|stream", "@/\xE9t\xE9.mp3||-1|missing"}},
        {"b.pls",
         "[playlist]\nTitle2=Second\nFile2=https://example.org/two\nLength1=30\n"
         "NumberOfEntries=2\nfile1=one.ogg\nVersion=2\n",
         {"@/one.ogg||30", "https://example.org/two|Second|-1|stream"}},
        {"c.xspf",
         "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n"
         "<playlist version=\"1\" xmlns=\"http://xspf.org/ns/0/\"><title>L</title><trackList>"
         "<track><location>file://@/a%20b.flac</location><title>A &amp; B</title>"
         "<duration>90500</duration></track><track><location>sub/x%23.mp3</location></track>"
         "<track><location> https://example.org/s.ogg </location>"
         "<extension application=\"x\"><title>no</title></extension></track>"
         "</trackList></playlist>",
         {"@/a b.flac|A & B|90.5|missing", "@/sub/x#.mp3||-1|missing",
          "https://example.org/s.ogg||-1|stream"}},
    };
    for (const auto& c : cases) {
        const PlaylistRead read =
            ReadPlaylist(put(root.filePath(c.name), QByteArray(c.text).replace('@', at)));
        QStringList expected;
        for (const QByteArray& line : c.expected) {
            expected << FileNameFromBytes(QByteArray(line).replace('@', at));
        }
        EXPECT_EQ(described(read.entries), expected) << c.name;
        EXPECT_TRUE(read.problems.isEmpty()) << c.name;
    }
}

TEST(PlaylistsTest, HostileListsAreRefusedOrCutWithAMessageAndNeverFollowed) {
    QTemporaryDir root;
    const QByteArray pipe = FileNameToBytes(root.filePath("pipe.m3u"));
    ASSERT_EQ(::mkfifo(pipe.constData(), 0644), 0);
    const std::pair<const char*, QByteArray> files[] = {
        {"self.m3u", "a.mp3\nself.m3u\n./self.m3u\n"},
        {"a.m3u", "b.m3u\n"},
        {"b.m3u", "one.mp3\n../" + root.path().section('/', -1).toUtf8() + "/a.m3u\n"},
        {"junk.m3u", QByteArray("a.mp3\n\0\x01\x02", 9)},
        {"outer.pls", "[playlist]\nFile1=junk.m3u\nFile2=a.mp3\nFile3=pipe.m3u\n"},
        {"bad.xspf", "<playlist><trackList><track><location>a.mp3</location></track>"},
        {"laughs.xspf", "<!DOCTYPE p [<!ENTITY a \"aaaaaaaaaaaaaaaa\">"
                        "<!ENTITY b \"&a;&a;&a;&a;&a;&a;&a;&a;&a;&a;&a;&a;&a;&a;&a;&a;\">"
                        "<!ENTITY c \"&b;&b;&b;&b;&b;&b;&b;&b;&b;&b;&b;&b;&b;&b;&b;&b;\">"
                        "<!ENTITY d \"&c;&c;&c;&c;&c;&c;&c;&c;&c;&c;&c;&c;&c;&c;&c;&c;\">"
                        "<!ENTITY e \"&d;&d;&d;&d;&d;&d;&d;&d;&d;&d;&d;&d;&d;&d;&d;&d;\">]>"
                        "<playlist><trackList><track><location>&e;&e;&e;&e;&e;&e;&e;&e;"
                        "</location></track></trackList></playlist>"},
        {"windows.m3u", "C:\\Music\\a.mp3\nC:/Music/b.mp3\n\\\\server\\c.mp3\nmusic\\d.mp3\n"
                        "ftp://h/x.mp3\nsmb://h/y.mp3\nfile://server/z.mp3\n"},
        {"notes.txt", "hello\n"},
    };
    for (const auto& [name, text] : files) {
        put(root.filePath(name), text);
    }
    for (int i = 0; i <= 5; ++i) { // l0.m3u to l5.m3u, each but the last naming the next
        const QByteArray next = i < 5 ? "l" + QByteArray::number(i + 1) + ".m3u\n" : "";
        put(root.filePath(QStringLiteral("l%1.m3u").arg(i)),
            "x" + QByteArray::number(i) + ".mp3\n" + next);
    }
    const struct {
        const char* list;
        bool refused;
        std::size_t entries;
        const char* problem;
    } cases[] = {
        {"self.m3u", false, 1, "self.m3u: names itself or a list that holds it"},
        {"a.m3u", false, 1, "a.m3u: names itself or a list that holds it"},
        {"l0.m3u", false, 5, "l5.m3u: lies more than 4 lists deep; skipped"},
        {"junk.m3u", true, 0, "junk.m3u: holds binary data"},
        {"outer.pls", false, 1, "junk.m3u: holds binary data"},
        {"outer.pls", false, 1, "pipe.m3u: not a regular file"},
        {"pipe.m3u", true, 0, "pipe.m3u: not a regular file"},
        {"bad.xspf", true, 0, "bad.xspf: not well-formed XML (line 1"},
        {"laughs.xspf", true, 0, "laughs.xspf: not well-formed XML"},
        {"windows.m3u", false, 4,
         "skipped 3 entries that are neither a local file nor an http(s) stream "
         "(ftp:, smb:, file://server)"},
        {"notes.txt", true, 0, "notes.txt: not a playlist"},
        {"gone.m3u", true, 0, "gone.m3u: not found"},
    };
    for (const auto& c : cases) {
        const PlaylistRead read = ReadPlaylist(root.filePath(c.list));
        EXPECT_EQ(read.refused, c.refused) << c.list;
        EXPECT_EQ(read.entries.size(), c.entries) << c.list;
        EXPECT_EQ(read.problems.filter(QString::fromUtf8(c.problem)).size(), 1)
            << c.list << ": " << read.problems.join('\n').toStdString();
    }
    EXPECT_EQ(described(ReadPlaylist(root.filePath("windows.m3u")).entries),
              (QStringList{"C:\\Music\\a.mp3||-1|missing", "C:/Music/b.mp3||-1|missing",
                           "\\\\server\\c.mp3||-1|missing", "music\\d.mp3||-1|missing"}));
}

TEST(PlaylistsTest, AMillionLineListIsCutAtAHundredThousandEntries) {
    QTemporaryDir root;
    QByteArray text;
    for (int i = 0; i < 1000000; ++i) {
        text += "t" + QByteArray::number(i) + ".mp3\n";
    }
    const PlaylistRead read = ReadPlaylist(put(root.filePath("big.m3u"), text));
    EXPECT_FALSE(read.refused);
    ASSERT_EQ(read.entries.size(), 100000u);
    EXPECT_EQ(read.entries.back().location, root.filePath("t99999.mp3"));
    EXPECT_EQ(read.problems, QStringList{"cut at 100,000 entries"});
}
