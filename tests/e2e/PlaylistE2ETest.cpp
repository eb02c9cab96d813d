// The playlist window and the queue on a private desktop: the window docked
// below the toolbar and moving with the group, playing, removing and saving
// entries, the queue kept between runs, --enqueue, and lists on disk: their
// local entries played, the network left alone until an entry of it plays,
// and lists that point at the network under a media file's name refused.
#include "support/MediaFixtures.h"
#include "support/PlayerDriver.h"

#include <QCoreApplication>
#include <QDBusArgument>
#include <QDBusMetaType>
#include <QDBusObjectPath>
#include <QFile>
#include <QTcpServer>
#include <QTcpSocket>
#include <QTemporaryDir>
#include <QThread>

using namespace Qt::Literals::StringLiterals;

using quarn::e2e::XSession;
namespace media = quarn::test::media;

namespace {

const QString kPlaylistCaption = u"Playlist"_s;
constexpr int kListTop = 24; // below the playlist skin's top slice

class PlaylistE2ETest : public quarn::e2e::PlayerDriver {
protected:
    // The queue's titles, as the desktop sees them through the track list.
    QStringList queue() {
        const QString trackList = u"org.mpris.MediaPlayer2.TrackList"_s;
        const auto tracks = qdbus_cast<QList<QDBusObjectPath>>(mpris(u"Tracks"_s, trackList));
        qDBusRegisterMetaType<QList<QVariantMap>>();
        const QDBusMessage reply =
            mprisCall(trackList, u"GetTracksMetadata"_s, {QVariant::fromValue(tracks)});
        QStringList titles;
        if (!reply.arguments().isEmpty()) {
            for (const QVariantMap& track :
                 qdbus_cast<QList<QVariantMap>>(reply.arguments().first())) {
                titles << track.value(u"xesam:title"_s).toString();
            }
        }
        return titles;
    }
    bool plays(const QString& expected, int timeoutMs = 8000) {
        return XSession::waitUntil([&] { return title() == expected; }, timeoutMs, 100);
    }
    QRect playlist() {
        const auto window = viewable(kPlaylistCaption);
        return window ? session->geometry(*window) : QRect();
    }
    // Below the toolbar, as the toolbar is below the main window.
    bool playlistDocked() { return playlist().topLeft() == toolbar().bottomLeft() + QPoint(0, 3); }
    // Five clips of a folder, named in order.
    QString album(QTemporaryDir& folder) {
        for (int i = 1; i <= 5; ++i) {
            QFile::copy(media::Pattern(160, 120, 25, 20 + i),
                        folder.filePath(u"%1 song.mp4"_s.arg(i)));
        }
        return folder.path();
    }
    static void write(const QString& path, const QString& text) {
        QFile file(path);
        if (!file.open(QIODevice::WriteOnly) || file.write(text.toUtf8()) < 0) {
            throw std::runtime_error("cannot write " + path.toStdString());
        }
    }
};

} // namespace

TEST_F(PlaylistE2ETest,
       TheQueueIsSeenPlayedEditedSavedKeptAcrossRestartsAndListsLeaveTheNetworkBe) {
    startSession();
    QTemporaryDir folder;
    start({u"--"_s, album(folder)});
    const QStringList five{"1 song.mp4", "2 song.mp4", "3 song.mp4", "4 song.mp4", "5 song.mp4"};
    ASSERT_TRUE(waitFor([&] { return queue() == five; }, 5000)) << qPrintable(queue().join('|'));

    // E shows the playlist, docked below the toolbar; it moves with the group.
    session->key(u"e"_s);
    ASSERT_TRUE(waitFor([&] { return playlist().isValid() && playlistDocked(); }))
        << qPrintable(describeWindows());
    const QPoint grip = main().topLeft() + QPoint(3, 3);
    session->moveMouse(grip);
    session->mouseDown(1);
    session->moveMouse(grip + QPoint(100, 40));
    session->moveMouse(grip + QPoint(150, 60));
    EXPECT_TRUE(waitFor([&] {
        return main().topLeft() == grip - QPoint(3, 3) + QPoint(150, 60) && playlistDocked();
    })) << qPrintable(describeWindows());
    session->mouseUp(1);

    // The fourth entry plays on Enter; the first on a double click (once
    // the group has settled round the new video: the playlist moves with it).
    auto firstRow = [&] {
        EXPECT_TRUE(fits({160, 120}) && waitFor([&] { return playlistDocked(); }));
        return playlist().topLeft() + QPoint(60, kListTop + 5);
    };
    session->click(firstRow());
    for (const char* key : {"Down", "Down", "Down", "Return"}) {
        session->key(QString::fromLatin1(key));
    }
    EXPECT_TRUE(plays(u"4 song.mp4"_s));
    session->clicks(firstRow(), 2);
    EXPECT_TRUE(plays(u"1 song.mp4"_s));
    // Delete takes the selected entry out; Ctrl+Z brings it back; Delete again.
    session->key(u"Down"_s);
    session->key(u"Delete"_s);
    EXPECT_TRUE(waitFor([&] { return queue().size() == 4; }));
    session->key(u"ctrl+z"_s);
    EXPECT_TRUE(waitFor([&] { return queue() == five; }));
    session->key(u"Up"_s); // the selection stayed with "3 song"
    session->key(u"Delete"_s);
    const QStringList four{"1 song.mp4", "3 song.mp4", "4 song.mp4", "5 song.mp4"};
    EXPECT_TRUE(waitFor([&] { return queue() == four; }));

    // Saved from its menu as an M3U8 list.
    const QString saved = folder.filePath(u"saved list"_s);
    session->click(firstRow(), 3);
    ASSERT_TRUE(waitFor([&] { return session->pointerGrabbed(); })) << "no menu";
    for (const char* key : {"Down", "Down", "Down", "Return"}) { // Add files, Add folder, Save
        session->key(QString::fromLatin1(key));
    }
    const auto saveAs = session->waitForWindow(u"Save As"_s, 5000);
    ASSERT_TRUE(saveAs);
    ASSERT_TRUE(waitFor([&] { return session->activeWindow() == *saveAs; }));
    session->type(saved);
    session->key(u"Return"_s);
    ASSERT_TRUE(waitFor([&] { return QFile::exists(saved + ".m3u8"); }, 5000));

    // The next entries play on; Exit in the middle of the list.
    session->key(u"n"_s);
    EXPECT_TRUE(plays(u"3 song.mp4"_s));
    EXPECT_EQ(exit(), u"exit status 0"_s);

    // Started again without files: the queue is there, the playlist shown,
    // and Play goes on with the entry left.
    start();
    EXPECT_TRUE(waitFor([&] { return queue() == four; }, 5000)) << qPrintable(queue().join('|'));
    EXPECT_TRUE(waitFor([&] { return playlist().isValid() && playlistDocked(); }));
    clickToolbar(kPlay);
    EXPECT_TRUE(plays(u"3 song.mp4"_s));
    // --enqueue adds to the end of it, and what plays goes on.
    QProcess* added = session->start(kProgram, {u"--enqueue"_s, u"--"_s, media::AudioClip()});
    ASSERT_TRUE(added->waitForFinished(4000));
    EXPECT_TRUE(waitFor([&] { return queue().size() == 5; }));
    EXPECT_EQ(title(), u"3 song.mp4"_s);
    EXPECT_EQ(exit(), u"exit status 0"_s);

    // The saved list opened gives the same queue.
    start({u"--"_s, saved + ".m3u8"});
    EXPECT_TRUE(waitFor([&] { return queue() == four; }, 5000)) << qPrintable(queue().join('|'));
    EXPECT_TRUE(plays(u"1 song.mp4"_s));

    // Lists that point at the network, saved under a media file's name, are
    // refused without a connection.
    QTcpServer listener;
    ASSERT_TRUE(listener.listen(QHostAddress::LocalHost));
    int connections = 0;
    QObject::connect(&listener, &QTcpServer::newConnection, [&] {
        while (QTcpSocket* socket = listener.nextPendingConnection()) {
            ++connections;
            socket->close();
        }
    });
    const QString url = u"http://127.0.0.1:%1/song.mp3"_s.arg(listener.serverPort());
    const std::pair<const char*, QString> lists[] = {
        {"list.m3u.mp4", url + QLatin1Char('\n')},
        {"list.pls.mp4", u"[playlist]\nFile1=%1\nNumberOfEntries=1\n"_s.arg(url)},
        {"live.m3u8.mp4",
         u"#EXTM3U\n#EXT-X-TARGETDURATION:4\n#EXTINF:4,\n%1\n#EXT-X-ENDLIST\n"_s.arg(url)},
        {"cut.edl.mp4", u"# mpv EDL v0\n%1,0,2\n"_s.arg(url)}};
    for (const auto& [name, text] : lists) {
        const QString list = folder.filePath(QString::fromLatin1(name));
        write(list, text);
        playFiles({list});
        EXPECT_TRUE(session->waitForWindow(kErrorCaption, 8000)) << name << " was not refused";
        dismissBox();
        QCoreApplication::processEvents();
        EXPECT_EQ(connections, 0) << name << " reached the network"; // or later, below
    }

    // A local list plays its local files and leaves the network alone till
    // its entry plays.
    QFile::copy(media::Pattern(160, 120, 25, 4), folder.filePath("local clip.mp4"));
    write(folder.filePath("mixed.m3u"),
          "#EXTM3U\n#EXTINF:4,The Local One\nlocal clip.mp4\n#EXTINF:-1,Far Away\n" + url + '\n');
    playFiles({folder.filePath("mixed.m3u")});
    EXPECT_TRUE(plays(u"local clip.mp4"_s));
    session->click(main().topLeft() + QPoint(3, 3)); // keys to the player, not the box's leftovers
    EXPECT_EQ(queue(), (QStringList{"The Local One", "Far Away"}));
    EXPECT_TRUE(holdsFor(1500, [&] {
        QCoreApplication::processEvents();
        return connections == 0;
    })) << "the stream was contacted before it was played";
    session->key(u"n"_s);
    EXPECT_TRUE(waitFor(
        [&] {
            QCoreApplication::processEvents();
            return connections > 0;
        },
        8000))
        << "the stream entry, played, did not connect";
    EXPECT_EQ(exit(), u"exit status 0"_s);
}
