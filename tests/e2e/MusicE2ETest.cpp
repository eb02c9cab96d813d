// Music on a private desktop: an album with tags and a cover, a cue sheet over
// one file, the entry playing taken out, and the queue after a restart.
#include "support/MediaFixtures.h"
#include "support/PlayerDriver.h"

#include <QDBusArgument>
#include <QDBusMetaType>
#include <QDBusObjectPath>
#include <QDir>
#include <QUrl>

using namespace Qt::Literals::StringLiterals;
namespace media = quarn::test::media;

namespace {

// The list items of the player's windows, as a screen reader reads them.
const char* const kMusicListItems =
    "import pyatspi\n"
    "def walk(node):\n"
    "    for child in filter(None, node):\n"
    "        print(child.name) if child.getRoleName() == 'list item' else walk(child)\n"
    "[walk(app) for app in pyatspi.Registry.getDesktop(0) if app and 'QUARN' in app.name]\n";

class MusicE2ETest : public quarn::e2e::PlayerDriver {
protected:
    // One field of every entry, as the desktop's track list tells it.
    QStringList column(const char* key) {
        const QString list = u"org.mpris.MediaPlayer2.TrackList"_s;
        qDBusRegisterMetaType<QList<QVariantMap>>();
        const QVariant ids =
            QVariant::fromValue(qdbus_cast<QList<QDBusObjectPath>>(mpris(u"Tracks"_s, list)));
        const QList<QVariant> reply = mprisCall(list, u"GetTracksMetadata"_s, {ids}).arguments();
        QStringList values;
        for (const QVariantMap& track : qdbus_cast<QList<QVariantMap>>(reply.value(0))) {
            values << track.value(QString::fromLatin1(key)).toString();
        }
        return values;
    }
    QStringList listed() {
        QProcess reader;
        reader.setProcessEnvironment(session->environment());
        reader.start(u"/usr/bin/python3"_s, {u"-c"_s, QString::fromLatin1(kMusicListItems)});
        reader.waitForFinished(10000);
        return QString::fromUtf8(reader.readAllStandardOutput()).split(u'\n', Qt::SkipEmptyParts);
    }
    bool atStart() { return mpris(u"Position"_s).toLongLong() < 1500000; }
};

} // namespace

TEST_F(MusicE2ETest, AnAlbumShowsItsCoverAndTagsCueTracksFollowEditsKeepTheNextAndTheQueueResumes) {
    startSession();
    // Named so that their names' order is not their tracks' order, each with the cover inside.
    const QString cover =
        media::Made(u"music-cover.png"_s, u"-f lavfi -i color=c=0x20C0A0:s=120x90 -frames:v 1"_s);
    QTemporaryDir folder;
    const QString album = folder.filePath(u"Harbour Lights"_s);
    QDir().mkpath(album);
    const std::pair<QString, int> songs[] = {{u"Ebb"_s, 3}, {u"Dawn"_s, 1}, {u"Calm"_s, 2}};
    for (const auto& [title, track] : songs) {
        QFile::copy(media::Made(u"music-%1.mp3"_s.arg(title),
                                u"-f lavfi -i sine=d=5 -i %1 -map 0:a -map 1:v -c:v copy "
                                "-disposition:v attached_pic -id3v2_version 3 -metadata title=%2 "
                                "-metadata \"artist=Quarn Quartet\" -metadata \"album=Harbour "
                                "Lights\" -metadata track=%3"_s.arg(cover, title)
                                    .arg(track)),
                    album + u"/%1 %2.mp3"_s.arg(QChar(u'a' + 3 - track)).arg(title));
    }
    QProcessEnvironment env;
    env.insert(u"QT_LINUX_ACCESSIBILITY_ALWAYS_ON"_s, u"1"_s);
    session->start(u"/usr/libexec/at-spi-bus-launcher"_s, {u"--launch-immediately"_s});
    start({u"--"_s, album}, env);
    session->key(u"e"_s);

    // While the first plays, all are listed with artist and length, in track order.
    const QStringList names{"Quarn Quartet \u2013 Dawn", "Quarn Quartet \u2013 Calm",
                            "Quarn Quartet \u2013 Ebb"};
    EXPECT_TRUE(waitFor([&] { return listed() == names; }, 8000)) << qPrintable(listed().join('|'));
    EXPECT_FALSE(column("mpris:length").contains(QString()));
    EXPECT_TRUE(plays(u"Dawn"_s));
    // The cover in the video's place; the desktop has the tags and the same picture.
    EXPECT_TRUE(waitFor([&] {
        const QImage shown = grab(videoArea());
        return near(shown.pixel(shown.width() / 2, shown.height() / 2), 0x20C0A0);
    }));
    session->saveScreenshot(u"music-cover"_s);
    EXPECT_EQ(playerctl({u"metadata"_s, u"xesam:artist"_s}), u"Quarn Quartet"_s);
    EXPECT_EQ(playerctl({u"metadata"_s, u"xesam:album"_s}), u"Harbour Lights"_s);
    EXPECT_NEAR(playerctl({u"metadata"_s, u"mpris:length"_s}).toDouble(), 5e6, 0.2e6);
    const QUrl art(playerctl({u"metadata"_s, u"mpris:artUrl"_s}));
    EXPECT_EQ(media::Bytes(art.toLocalFile()), media::Bytes(cover)) << qPrintable(art.toString());

    // A cue sheet of three tracks over one file: N goes to the second's start.
    const QString sheet = folder.filePath(u"live.cue"_s);
    QFile::copy(media::Made(u"music-live.flac"_s, u"-f lavfi -i sine=d=9 -c:a flac"_s),
                folder.filePath(u"live.flac"_s));
    QFile::copy(media::Written(u"music-live.cue"_s,
                               "FILE \"live.flac\" WAVE\n TRACK 01 AUDIO\n TITLE One\n INDEX 01 "
                               "00:00:00\n TRACK 02 AUDIO\n TITLE Two\n INDEX 01 00:03:00\n "
                               "TRACK 03 AUDIO\n TITLE Three\n INDEX 01 00:06:00\n"),
                sheet);
    playFiles({sheet});
    ASSERT_TRUE(plays(u"One"_s));
    EXPECT_EQ(column("xesam:title"), (QStringList{"One", "Two", "Three"}));
    session->key(u"n"_s);
    EXPECT_TRUE(plays(u"Two"_s));
    EXPECT_TRUE(atStart());
    // Taken out of the playlist, it plays on, and the one after it follows.
    const auto list = viewable(u"Playlist"_s);
    ASSERT_TRUE(list);
    session->click(session->geometry(*list).topLeft() + QPoint(60, 29));
    session->key(u"Down"_s);
    session->key(u"Delete"_s);
    EXPECT_TRUE(waitFor([&] { return column("xesam:title").size() == 2; }));
    EXPECT_EQ(title(), u"Two"_s);
    EXPECT_TRUE(plays(u"Three"_s, 6000));
    EXPECT_TRUE(atStart());
    EXPECT_EQ(exit(), u"exit status 0"_s);
    expectEnded();

    // Started again: the entry left shows, and plays when asked.
    start({}, env);
    EXPECT_TRUE(waitFor([&] { return title() == u"Three"_s; }, 5000));
    EXPECT_EQ(mpris(u"PlaybackStatus"_s).toString(), u"Stopped"_s);
    EXPECT_TRUE(mpris(u"CanPlay"_s).toBool());
    // Its title stands in the strip (still: it runs once it plays).
    EXPECT_TRUE(waitFor([&] {
        const QImage strip = grab(look().title.translated(titleStrip().topLeft()));
        int lettering = 0;
        for (int y = 0; y < strip.height(); ++y) {
            for (int x = 0; x < strip.width(); ++x) {
                lettering += near(strip.pixel(x, y), qRgb(90, 150, 198), 30) ? 1 : 0;
            }
        }
        return lettering > 20;
    })) << "no title shows";
    playerctl({u"play"_s});
    EXPECT_TRUE(plays(u"Three"_s));
    EXPECT_EQ(exit(), u"exit status 0"_s);
    expectEnded();
}
