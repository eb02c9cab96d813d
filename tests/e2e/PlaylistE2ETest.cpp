// The playlist window and the queue on a private desktop: the window docked
// below the toolbar and moving with the group, playing, removing and saving
// entries, playlists on disk (local entries played, the network left alone
// until asked), the queue kept between runs, and --enqueue.
#include "support/MediaFixtures.h"
#include "support/PlayerDriver.h"

#include <QCoreApplication>
#include <QDBusArgument>
#include <QDBusConnection>
#include <QDBusMessage>
#include <QDBusMetaType>
#include <QDBusObjectPath>
#include <QDBusVariant>
#include <QDir>
#include <QFile>
#include <QTcpServer>
#include <QTcpSocket>
#include <QTemporaryDir>
#include <QThread>

using quarn::e2e::XSession;
namespace media = quarn::test::media;

namespace {

const QString kPlaylistCaption = QStringLiteral("Playlist");
constexpr int kListTop = 24; // below the playlist skin's top slice

class PlaylistE2ETest : public quarn::e2e::PlayerDriver {
protected:
    QDBusMessage call(const QString& interface, const QString& method,
                      const QVariantList& args = {}) {
        QDBusConnection bus =
            QDBusConnection::connectToBus(session->busAddress(), session->busAddress());
        QDBusMessage message = QDBusMessage::createMethodCall(
            QStringLiteral("org.mpris.MediaPlayer2.quarn_media_player"),
            QStringLiteral("/org/mpris/MediaPlayer2"), interface, method);
        message.setArguments(args);
        return bus.call(message, QDBus::Block, 3000);
    }
    QVariant property(const QString& interface, const QString& name) {
        const QDBusMessage reply = call(QStringLiteral("org.freedesktop.DBus.Properties"),
                                        QStringLiteral("Get"), {interface, name});
        return reply.arguments().isEmpty()
                   ? QVariant()
                   : reply.arguments().first().value<QDBusVariant>().variant();
    }
    // The queue's titles, as the desktop sees them through the track list.
    QStringList queue() {
        const auto tracks = qdbus_cast<QList<QDBusObjectPath>>(
            property(QStringLiteral("org.mpris.MediaPlayer2.TrackList"), QStringLiteral("Tracks")));
        qDBusRegisterMetaType<QList<QVariantMap>>();
        const QDBusMessage reply =
            call(QStringLiteral("org.mpris.MediaPlayer2.TrackList"),
                 QStringLiteral("GetTracksMetadata"), {QVariant::fromValue(tracks)});
        QStringList titles;
        if (!reply.arguments().isEmpty()) {
            for (const QVariantMap& track :
                 qdbus_cast<QList<QVariantMap>>(reply.arguments().first())) {
                titles << track.value(QStringLiteral("xesam:title")).toString();
            }
        }
        return titles;
    }
    QString playing() {
        const auto metadata = qdbus_cast<QVariantMap>(
            property(QStringLiteral("org.mpris.MediaPlayer2.Player"), QStringLiteral("Metadata")));
        return metadata.value(QStringLiteral("xesam:title")).toString();
    }
    bool plays(const QString& title, int timeoutMs = 8000) {
        return XSession::waitUntil([&] { return playing() == title; }, timeoutMs, 100);
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
                        folder.filePath(QStringLiteral("%1 song.mp4").arg(i)));
        }
        return folder.path();
    }
};

} // namespace

TEST_F(PlaylistE2ETest, TheQueueIsSeenPlayedEditedSavedAndKeptAcrossRestarts) {
    startSession();
    QTemporaryDir folder;
    ASSERT_NO_FATAL_FAILURE(startPlayer({QStringLiteral("--"), album(folder)}));
    const QStringList five{"1 song.mp4", "2 song.mp4", "3 song.mp4", "4 song.mp4", "5 song.mp4"};
    ASSERT_TRUE(XSession::waitUntil([&] { return queue() == five; }, 5000))
        << qPrintable(queue().join('|'));

    // E shows the playlist, docked below the toolbar; it moves with the group.
    session->key(QStringLiteral("e"));
    ASSERT_TRUE(XSession::waitUntil([&] { return playlist().isValid() && playlistDocked(); }, 3000))
        << qPrintable(describeWindows());
    session->saveScreenshot(QStringLiteral("playlist-docked"));
    const QPoint grip = main().topLeft() + QPoint(3, 3);
    session->moveMouse(grip);
    session->mouseDown(1);
    session->moveMouse(grip + QPoint(100, 40));
    session->moveMouse(grip + QPoint(150, 60));
    EXPECT_TRUE(XSession::waitUntil(
        [&] {
            return main().topLeft() == grip - QPoint(3, 3) + QPoint(150, 60) && playlistDocked();
        },
        2000))
        << qPrintable(describeWindows());
    session->mouseUp(1);

    // The fourth entry plays on Enter; the first on a double click.
    const QPoint firstRow = playlist().topLeft() + QPoint(60, kListTop + 5);
    session->click(firstRow);
    for (int i = 0; i < 3; ++i) {
        session->key(QStringLiteral("Down"));
    }
    session->key(QStringLiteral("Return"));
    EXPECT_TRUE(plays(QStringLiteral("4 song.mp4")));
    session->moveMouse(firstRow);
    QProcess click;
    click.setProcessEnvironment(session->environment());
    click.start(QStringLiteral("xdotool"), {"click", "--repeat", "2", "--delay", "80", "1"});
    click.waitForFinished(5000);
    EXPECT_TRUE(plays(QStringLiteral("1 song.mp4")));
    // Delete takes the selected entry out; Ctrl+Z brings it back; Delete again.
    session->key(QStringLiteral("Down"));
    session->key(QStringLiteral("Delete"));
    EXPECT_TRUE(XSession::waitUntil([&] { return queue().size() == 4; }, 3000));
    session->key(QStringLiteral("ctrl+z"));
    EXPECT_TRUE(XSession::waitUntil([&] { return queue() == five; }, 3000));
    session->key(QStringLiteral("Up")); // the selection stayed with "3 song"
    session->key(QStringLiteral("Delete"));
    const QStringList four{"1 song.mp4", "3 song.mp4", "4 song.mp4", "5 song.mp4"};
    EXPECT_TRUE(XSession::waitUntil([&] { return queue() == four; }, 3000));

    // Saved from its menu as an M3U8 list.
    const QString saved = folder.filePath(QStringLiteral("saved list"));
    session->click(firstRow, 3);
    QThread::msleep(300);
    for (int i = 0; i < 3; ++i) {
        session->key(QStringLiteral("Down")); // Add files, Add folder, Save playlist
    }
    session->key(QStringLiteral("Return"));
    ASSERT_TRUE(session->waitForWindow(QStringLiteral("Save As"), 5000));
    QThread::msleep(300);
    session->type(saved);
    session->key(QStringLiteral("Return"));
    ASSERT_TRUE(XSession::waitUntil([&] { return QFile::exists(saved + ".m3u8"); }, 5000));

    // The next entries play on; Exit in the middle of the list.
    session->key(QStringLiteral("n"));
    EXPECT_TRUE(plays(QStringLiteral("3 song.mp4")));
    clickToolbar(kExit);
    ASSERT_TRUE(XSession::waitUntil([&] { return playerEnded(); }, 3000));

    // Started again without files: the queue is there, the playlist shown,
    // and Play goes on with the entry left.
    ASSERT_NO_FATAL_FAILURE(startPlayer());
    EXPECT_TRUE(XSession::waitUntil([&] { return queue() == four; }, 5000))
        << qPrintable(queue().join('|'));
    EXPECT_TRUE(
        XSession::waitUntil([&] { return playlist().isValid() && playlistDocked(); }, 3000));
    clickToolbar(kPlay);
    EXPECT_TRUE(plays(QStringLiteral("3 song.mp4")));
    // --enqueue adds to the end of it, and what plays goes on.
    QProcess* added = session->start(
        kProgram, {QStringLiteral("--enqueue"), QStringLiteral("--"), media::AudioClip()});
    ASSERT_TRUE(added->waitForFinished(4000));
    EXPECT_TRUE(XSession::waitUntil([&] { return queue().size() == 5; }, 3000));
    EXPECT_EQ(playing(), QStringLiteral("3 song.mp4"));
    clickToolbar(kExit);
    ASSERT_TRUE(XSession::waitUntil([&] { return playerEnded(); }, 3000));

    // The saved list opened gives the same queue.
    ASSERT_NO_FATAL_FAILURE(startPlayer({QStringLiteral("--"), saved + ".m3u8"}));
    EXPECT_TRUE(XSession::waitUntil([&] { return queue() == four; }, 5000))
        << qPrintable(queue().join('|'));
    EXPECT_TRUE(plays(QStringLiteral("1 song.mp4")));
    clickToolbar(kExit);
    ASSERT_TRUE(XSession::waitUntil([&] { return playerEnded(); }, 3000));
    EXPECT_EQ(howItEnded(), QStringLiteral("exit status 0"));
}

TEST_F(PlaylistE2ETest, ALocalListPlaysItsLocalFilesAndLeavesTheNetworkAloneTillItsEntryPlays) {
    startSession();
    QTcpServer listener;
    ASSERT_TRUE(listener.listen(QHostAddress::LocalHost));
    int connections = 0;
    QObject::connect(&listener, &QTcpServer::newConnection, [&] {
        while (QTcpSocket* socket = listener.nextPendingConnection()) {
            ++connections;
            socket->close();
        }
    });
    QTemporaryDir folder;
    QFile::copy(media::Pattern(160, 120, 25, 4), folder.filePath("local clip.mp4"));
    QFile list(folder.filePath("mixed.m3u"));
    ASSERT_TRUE(list.open(QIODevice::WriteOnly));
    list.write(
        QStringLiteral("#EXTM3U\n#EXTINF:4,The Local One\nlocal clip.mp4\n#EXTINF:-1,Far Away\n"
                       "http://127.0.0.1:%1/x.mp3\n")
            .arg(listener.serverPort())
            .toUtf8());
    list.close();
    ASSERT_NO_FATAL_FAILURE(startPlayer({QStringLiteral("--"), list.fileName()}));
    EXPECT_TRUE(plays(QStringLiteral("local clip.mp4")));
    EXPECT_EQ(queue(), (QStringList{"The Local One", "Far Away"}));
    QThread::msleep(1500);
    QCoreApplication::processEvents();
    EXPECT_EQ(connections, 0) << "the stream was contacted before it was played";
    session->key(QStringLiteral("n"));
    EXPECT_TRUE(XSession::waitUntil(
        [&] {
            QCoreApplication::processEvents();
            return connections > 0;
        },
        8000))
        << "the stream entry, played, did not connect";
    ASSERT_FALSE(playerEnded());
}
