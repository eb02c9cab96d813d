// The playlist window and the queue on a private desktop: the window docked
// below the toolbar and moving with the group, playing, removing and saving
// entries, the queue kept between runs, --enqueue, and lists on disk: their
// local entries played, the network left alone until an entry of it plays,
// and lists that point at the network under a media file's name refused.
// Then films: the hours in the time label, a click on the seek bar, the
// controls in full screen, the picture's menu and its tracks, speed,
// screenshots, loop and shuffle from the desktop, and a film taken up again
// where it was left.
#include "support/MediaFixtures.h"
#include "support/PlayerDriver.h"

#include <QCoreApplication>
#include <QDBusArgument>
#include <QDBusMetaType>
#include <QDBusObjectPath>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QTcpServer>
#include <QTcpSocket>
#include <QTemporaryDir>
#include <QThread>

using namespace Qt::Literals::StringLiterals;

namespace media = quarn::test::media;

namespace {

const QString kPlaylistCaption = u"Playlist"_s;
constexpr int kListTop = 24; // below the playlist skin's top slice

const QRgb kFrame = qRgb(88, 149, 193); // the toolbar's frame colour, the time's too

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
    QRect playlist() {
        const auto window = viewable(kPlaylistCaption);
        return window ? session->geometry(*window) : QRect();
    }
    // Below the toolbar, as the toolbar is below the main window.
    bool playlistDocked() { return playlist().topLeft() == toolbar().bottomLeft() + QPoint(0, 3); }
    static void write(const QString& path, const QString& text) {
        QFile file(path);
        if (!file.open(QIODevice::WriteOnly) || file.write(text.toUtf8()) < 0) {
            throw std::runtime_error("cannot write " + path.toStdString());
        }
    }

    QVariant property(const char* name) { return mpris(QString::fromLatin1(name)); }
    double seconds() { return property("Position").toLongLong() / 1e6; }
    // How many pixels of the time's colour a column of the time label holds.
    int lettering(const QImage& shot, int x) {
        const QRect label = timeLabel();
        int count = 0;
        for (int y = label.top(); y <= label.bottom(); ++y) {
            count += near(shot.pixel(label.left() + x, y), kFrame, 24) ? 1 : 0;
        }
        return count;
    }
};

} // namespace

TEST_F(PlaylistE2ETest,
       TheQueueIsSeenPlayedEditedSavedKeptAcrossRestartsAndListsLeaveTheNetworkBe) {
    startSession();
    QTemporaryDir folder;
    for (int i = 1; i <= 5; ++i) { // five clips of a folder, named in order
        QFile::copy(media::Pattern(160, 120, 25, 20 + i), folder.filePath(u"%1 song.mp4"_s.arg(i)));
    }
    start({u"--"_s, folder.path()});
    const QStringList five{"1 song.mp4", "2 song.mp4", "3 song.mp4", "4 song.mp4", "5 song.mp4"};
    ASSERT_TRUE(waitFor([&] { return queue() == five; }, 5000)) << qPrintable(queue().join('|'));

    // E shows the playlist, docked below the toolbar; it moves with the group.
    session->key(u"e"_s);
    ASSERT_TRUE(waitFor([&] { return playlist().isValid() && playlistDocked(); }));

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
    // The refusal's box, up in the middle of the screen, may cover the toolbar.
    EXPECT_TRUE(session->waitForWindow(kErrorCaption, 8000));
    dismissBox();
    EXPECT_EQ(exit(), u"exit status 0"_s);
}

TEST_F(PlaylistE2ETest, HoursTheSeekBarFullScreenControlsTracksSpeedScreenshotsLoopAndResume) {
    startSession();
    QTemporaryDir pictures;
    QProcessEnvironment env;
    env.insert(u"XDG_PICTURES_DIR"_s, pictures.path());
    start({u"--"_s, media::SlideShow()}, env);
    ASSERT_TRUE(waitFor([&] { return property("Metadata").isValid() && seconds() > 0; }, 8000));

    // Past the first hour: both times whole inside the label, none of their
    // lettering cut at its edges.
    playerctl({u"position"_s, u"3907"_s});
    ASSERT_TRUE(waitFor([&] { return seconds() >= 3907; }, 5000));
    QThread::msleep(1200);
    const QImage hours = session->screenshot();
    int lettered = 0;
    for (int x = 0; x < look().time.width(); ++x) {
        lettered += lettering(hours, x) > 0;
    }
    EXPECT_GT(lettered, 30) << "both times are drawn";
    for (int x : {0, 1, look().time.width() - 2, look().time.width() - 1}) {
        EXPECT_EQ(lettering(hours, x), 0) << "lettering cut at column " << x;
    }

    // A click on the seek bar's track, a quarter along, jumps there: the
    // thumb's middle (12 pixels wide) comes to the place clicked.
    // The bar lies 200 twips below the video, as wide as it, its arrows 9 pixels.
    const QSize video = main().size() - QSize(13, 33);
    const QRect bar(main().left() + 8 + 9, main().top() + video.height() + 13, video.width() - 18,
                    9);
    session->click(QPoint(bar.left() + bar.width() / 4, bar.center().y()));
    const double along = (bar.width() / 4 - 6.0) / (bar.width() - 12);
    EXPECT_TRUE(waitFor([&] { return std::abs(seconds() - along * 4200) < 4200 * 0.04; }));

    // Full screen: the controls come with the pointer and go when it is still.
    session->key(u"f"_s);
    ASSERT_TRUE(waitFor([&] { return main() == QRect(QPoint(0, 0), screen); }));
    const QRect controls(screen.width() / 2 - 100, screen.height() - 24 - 30, 200, 14);
    QThread::msleep(2600);
    const QImage without = grab(controls);
    session->moveMouse(QPoint(screen.width() / 2, screen.height() / 2));
    session->moveMouse(QPoint(screen.width() / 2 + 30, screen.height() / 2 + 20));
    EXPECT_TRUE(waitFor([&] { return grab(controls) != without; }, 2000))
        << "no controls on a pointer move";
    EXPECT_TRUE(waitFor([&] { return grab(controls) == without; }, 4000))
        << "the controls stay with the pointer still";
    session->key(u"Escape"_s);
    ASSERT_TRUE(waitFor([&] { return docked(); }));

    // A film with two sound and two subtitle tracks, played round: the
    // picture's menu switches its subtitles and the words on it change.
    open(media::FilmWithTracks());
    ASSERT_TRUE(fits({160, 120}));
    session->key(u"l"_s);
    EXPECT_TRUE(waitFor([&] { return property("LoopStatus").toString() == "Track"; }));
    const QRect words = videoArea().adjusted(0, videoArea().height() * 2 / 3, 0, 0);
    QThread::msleep(800);
    const QImage english = grab(words);
    session->click(videoArea().center(), 3);
    ASSERT_TRUE(waitFor([&] { return session->pointerGrabbed(); })) << "no menu";
    // Subtitles (the third entry), and in it the third: off, eng, deu.
    for (const char* step : {"Down", "Down", "Down", "Right", "Down", "Down", "Return"}) {
        session->key(QString::fromLatin1(step));
    }
    EXPECT_TRUE(waitFor([&] { return grab(words) != english; })) << "the subtitles did not change";

    // Slower by a tenth with "[", through the desktop's rate too.
    session->key(u"bracketleft"_s);
    EXPECT_TRUE(waitFor([&] { return std::abs(property("Rate").toDouble() - 0.9) < 1e-6; }));
    // S saves the frame, at the video's size, among the user's pictures.
    session->key(u"s"_s);
    EXPECT_TRUE(
        waitFor([&] { return !QDir(pictures.path()).entryList(QDir::Files).isEmpty(); }, 4000));
    const QStringList shots = QDir(pictures.path()).entryList(QDir::Files);
    ASSERT_EQ(shots.size(), 1);
    EXPECT_TRUE(shots.first().startsWith("film-with-tracks ")) << qPrintable(shots.first());
    EXPECT_EQ(QImage(pictures.filePath(shots.first())).size(), QSize(160, 120));
    // Loop and shuffle from the desktop.
    playerctl({u"loop"_s, u"Playlist"_s});
    playerctl({u"shuffle"_s, u"On"_s});
    EXPECT_TRUE(waitFor(
        [&] {
            return property("LoopStatus").toString() == "Playlist" && property("Shuffle").toBool();
        },
        2000));

    // A two-minute clip left at 0:40 starts there again after a restart.
    const QString clip = media::Pattern(160, 120, 25, 120);
    open(clip);
    // (A seek beyond the length that stands, the last film's, is not taken.)
    ASSERT_TRUE(waitFor(
        [&] {
            return playerctl({"metadata", "xesam:title"}) == QFileInfo(clip).fileName() &&
                   playerctl({"metadata", "mpris:length"}) == "120000000" && seconds() > 0.5;
        },
        5000));
    playerctl({u"position"_s, u"40"_s});
    ASSERT_TRUE(waitFor([&] { return seconds() >= 40; }));
    EXPECT_EQ(exit(), u"exit status 0"_s);
    start({u"--"_s, clip}, env);
    EXPECT_TRUE(waitFor([&] { return std::abs(seconds() - 42) <= 3; }, 5000)) << seconds();
}
