// The real player against what a hostile or careless world hands it: names
// that are not UTF-8, things that are no files, lists that name the network,
// file names that look like the toolkit's options, a bus that stalls, and
// every way the program can be ended, the loss of the display among them.
#include "support/MediaFixtures.h"
#include "support/PlayerDriver.h"
#include "support/PrivateBus.h"

#include <QCoreApplication>
#include <QDBusConnection>
#include <QDBusMessage>
#include <QDBusMetaType>
#include <QDBusReply>
#include <QDBusVariant>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QTcpServer>
#include <QTcpSocket>
#include <QTemporaryDir>
#include <QThread>

#include <csignal>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

using quarn::e2e::XSession;
namespace media = quarn::test::media;

namespace {

class HardeningE2ETest : public quarn::e2e::PlayerDriver {
protected:
    // The player's MPRIS object on the session's bus.
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
    QVariant property(const QString& name) {
        const QDBusMessage reply =
            call(QStringLiteral("org.freedesktop.DBus.Properties"), QStringLiteral("Get"),
                 {QStringLiteral("org.mpris.MediaPlayer2.Player"), name});
        return reply.arguments().isEmpty()
                   ? QVariant()
                   : reply.arguments().first().value<QDBusVariant>().variant();
    }
    QString title() {
        return qdbus_cast<QVariantMap>(property(QStringLiteral("Metadata")))
            .value(QStringLiteral("xesam:title"))
            .toString();
    }
    // Hands files to the player as a second launch would.
    void playFiles(const QStringList& entries) {
        qDBusRegisterMetaType<QList<QByteArray>>();
        QList<QByteArray> names;
        for (const QString& entry : entries) {
            names << QFile::encodeName(entry);
        }
        QDBusConnection bus =
            QDBusConnection::connectToBus(session->busAddress(), session->busAddress());
        QDBusMessage message = QDBusMessage::createMethodCall(
            QStringLiteral("org.mpris.MediaPlayer2.quarn_media_player"),
            QStringLiteral("/org/quarn/MediaPlayer"),
            QStringLiteral("org.quarn.MediaPlayer.Instance"), QStringLiteral("PlayFiles"));
        message << QVariant::fromValue(names) << false;
        bus.call(message, QDBus::Block, 3000);
    }
    // Expects the file refused with the message box, and the player alive.
    void expectRefused(const QString& what) {
        const auto box = session->waitForWindow(QStringLiteral("Playback Error"), 8000);
        EXPECT_TRUE(box) << qPrintable(what) << " was not refused";
        if (box) {
            session->key(QStringLiteral("Return"));
            XSession::waitUntil([&] { return !session->isViewable(*box); }, 3000);
        }
        ASSERT_FALSE(playerEnded())
            << qPrintable(what) << ": " << qPrintable(session->output(player));
    }
    bool plays(const QString& expectedTitle) {
        return XSession::waitUntil(
            [&] {
                return title() == expectedTitle &&
                       property(QStringLiteral("PlaybackStatus")).toString() == "Playing";
            },
            8000);
    }
    qint64 helper(const char* name) {
        for (qint64 pid : session->processIds()) {
            QFile comm(QStringLiteral("/proc/%1/comm").arg(pid));
            if (comm.open(QIODevice::ReadOnly) && comm.readAll().trimmed() == name) {
                return pid;
            }
        }
        return 0;
    }
    // Nothing of the player's process group is left running.
    static bool noneLeft(pid_t group) {
        return group > 0 && XSession::waitUntil([&] { return ::kill(-group, 0) != 0; }, 3000);
    }
};

} // namespace

TEST_F(HardeningE2ETest, OddNamesAndSpecialFilesAndListsThatNameTheNetwork) {
    startSession();
    QTemporaryDir folder;
    const QByteArray odd = QFile::encodeName(folder.path()) + "/caf\xE9 \xFF.mp4";
    ASSERT_EQ(::link(QFile::encodeName(media::VideoClip()).constData(), odd.constData()), 0);
    const QString readable = QString::fromUtf8("caf\xEF\xBF\xBD \xEF\xBF\xBD.mp4");

    // A name that is not UTF-8, given on the command line as its own bytes:
    // the shell passes them on untouched.
    player = session->start(
        QStringLiteral("sh"),
        {QStringLiteral("-c"),
         QStringLiteral("exec \"$0\" -- \"$(printf '%1/caf\\351 \\377.mp4')\"").arg(folder.path()),
         kProgram});
    ASSERT_NO_FATAL_FAILURE(waitForPlayerWindows());
    EXPECT_TRUE(plays(readable)) << qPrintable(title());

    // Things that are no plain files, refused at once.
    const QString fifo = folder.filePath(QStringLiteral("pipe.mp4"));
    ASSERT_EQ(::mkfifo(QFile::encodeName(fifo).constData(), 0644), 0);
    for (const QString& special :
         {fifo, QStringLiteral("/dev/zero"), QStringLiteral("/dev/urandom"),
          QStringLiteral("/proc/self/mem")}) {
        playFiles({special});
        ASSERT_NO_FATAL_FAILURE(expectRefused(special));
    }

    // Lists saved under a media file's name that point at the network.
    QTcpServer listener;
    ASSERT_TRUE(listener.listen(QHostAddress::LocalHost));
    int connections = 0;
    QObject::connect(&listener, &QTcpServer::newConnection, [&] {
        while (QTcpSocket* socket = listener.nextPendingConnection()) {
            ++connections;
            socket->close();
        }
    });
    const QString url = QStringLiteral("http://127.0.0.1:%1/song.mp3").arg(listener.serverPort());
    const std::pair<const char*, QString> lists[] = {
        {"list.m3u.mp4", url + QLatin1Char('\n')},
        {"list.pls.mp4", QStringLiteral("[playlist]\nFile1=%1\nNumberOfEntries=1\n").arg(url)},
        {"live.m3u8.mp4",
         QStringLiteral("#EXTM3U\n#EXT-X-TARGETDURATION:4\n#EXTINF:4,\n%1\n#EXT-X-ENDLIST\n")
             .arg(url)},
        {"cut.edl.mp4", QStringLiteral("# mpv EDL v0\n%1,0,2\n").arg(url)}};
    for (const auto& [name, text] : lists) {
        QFile list(folder.filePath(QString::fromLatin1(name)));
        ASSERT_TRUE(list.open(QIODevice::WriteOnly));
        list.write(text.toUtf8());
        list.close();
        playFiles({list.fileName()});
        ASSERT_NO_FATAL_FAILURE(expectRefused(list.fileName()));
        QThread::msleep(500);
        QCoreApplication::processEvents();
        EXPECT_EQ(connections, 0) << name << " reached the network";
    }

    // The odd name chosen in the Open dialog, where Qt shows it with U+FFFD.
    ASSERT_NO_FATAL_FAILURE(open(QString::fromLocal8Bit(odd)));
    EXPECT_TRUE(plays(readable)) << qPrintable(title());
    clickToolbar(kExit);
    ASSERT_TRUE(XSession::waitUntil([&] { return playerEnded(); }, 3000));
    EXPECT_EQ(player->exitCode(), 0);
}

TEST_F(HardeningE2ETest, FileNamesAfterTheDoubleDashAreFilesNotOrdersForTheToolkit) {
    startSession();
    QTemporaryDir folder;
    for (const char* name : {"-stylesheet=evil.qss", "-reverse"}) {
        ASSERT_TRUE(QFile::copy(media::VideoClip(), folder.filePath(QString::fromLatin1(name))));
    }
    QFile evil(folder.filePath(QStringLiteral("evil.qss")));
    ASSERT_TRUE(evil.open(QIODevice::WriteOnly));
    evil.write("QWidget { background-color: #ff0000; color: #ff0000; }\n");
    evil.close();
    player =
        session->start(QStringLiteral("sh"),
                       {QStringLiteral("-c"),
                        QStringLiteral("cd \"$1\" && exec \"$0\" -- -stylesheet=evil.qss -reverse"),
                        kProgram, folder.path()});
    ASSERT_NO_FATAL_FAILURE(waitForPlayerWindows());
    EXPECT_TRUE(plays(QStringLiteral("-stylesheet=evil.qss"))) << qPrintable(title());
    // No style sheet reached the toolkit: the Open dialog is not red.
    clickToolbar(kOpen);
    const auto dialog = session->waitForWindow(QStringLiteral("Open"), 10000);
    ASSERT_TRUE(dialog);
    QThread::msleep(500);
    const QImage shown = grab(session->geometry(*dialog));
    int red = 0;
    for (int y = 0; y < shown.height(); ++y) {
        for (int x = 0; x < shown.width(); ++x) {
            red += shown.pixel(x, y) == qRgb(255, 0, 0);
        }
    }
    EXPECT_LT(red, 50);
    session->key(QStringLiteral("Escape"));
    // The second file, named like a toolkit option, plays after the first.
    EXPECT_TRUE(plays(QStringLiteral("-reverse"))) << qPrintable(title());
    EXPECT_FALSE(playerEnded());
}

TEST_F(HardeningE2ETest, AStalledBusNeverHoldsThePlayerUp) {
    startSession();
    quarn::test::ScreenSaverStandIn silent(session->busAddress(), false);
    ASSERT_NO_FATAL_FAILURE(startPlayer({QStringLiteral("--"), media::Pattern(320, 240, 25, 30)}));
    ASSERT_TRUE(XSession::waitUntil(
        [&] {
            return main().size() == fittedAround({320, 240});
        },
        5000));
    auto reacts = [&](QPoint button, bool moving) {
        QElapsedTimer timer;
        timer.start();
        clickToolbar(button);
        QThread::msleep(200);
        const bool ok = pictureMoves(700) == moving;
        return ok && timer.elapsed() < 1500;
    };
    // A screen-saver service that never answers: Play and Pause go on at once.
    for (int i = 0; i < 2; ++i) {
        EXPECT_TRUE(reacts(kPause, false)) << "pause " << i;
        EXPECT_TRUE(reacts(kPlay, true)) << "play " << i;
    }
    // The bus daemon itself stopped: the same, and Exit ends the program.
    const qint64 daemon = helper("dbus-daemon");
    ASSERT_GT(daemon, 0);
    ::kill(pid_t(daemon), SIGSTOP);
    EXPECT_TRUE(reacts(kPause, false));
    EXPECT_TRUE(reacts(kPlay, true));
    QElapsedTimer exiting;
    exiting.start();
    clickToolbar(kExit);
    EXPECT_TRUE(XSession::waitUntil([&] { return playerEnded(); }, 2500));
    EXPECT_LT(exiting.elapsed(), 2500);
    ::kill(pid_t(daemon), SIGCONT);
    EXPECT_EQ(player->exitCode(), 0);
}

TEST_F(HardeningE2ETest, EveryEndingIsCleanAndLetsTheScreenSaverGo) {
    enum class Ending { WindowManagerClose, Terminate, Interrupt, LostDisplay };
    for (Ending ending :
         {Ending::WindowManagerClose, Ending::Terminate, Ending::Interrupt, Ending::LostDisplay}) {
        SCOPED_TRACE(int(ending));
        startSession();
        quarn::test::ScreenSaverStandIn standIn(session->busAddress());
        // A short clip that has ended, then one that plays: the screen saver is held.
        ASSERT_NO_FATAL_FAILURE(startPlayer(
            {QStringLiteral("--"), media::AudioClip(), media::Pattern(320, 240, 25, 30)}));
        ASSERT_TRUE(XSession::waitUntil(
            [&] {
                return main().size() == fittedAround({320, 240});
            },
            8000));
        ASSERT_TRUE(XSession::waitUntil([&] { return standIn.inhibitions() == 1; }, 3000));
        const auto group = pid_t(player->processId());
        int expected = 0;
        switch (ending) {
        case Ending::WindowManagerClose:
            session->closeWindow(windows.main);
            break;
        case Ending::Terminate:
            ::kill(group, SIGTERM);
            break;
        case Ending::Interrupt:
            ::kill(group, SIGINT);
            break;
        case Ending::LostDisplay:
            ::kill(pid_t(helper("Xvfb")), SIGKILL);
            expected = 1;
            break;
        }
        ASSERT_TRUE(XSession::waitUntil([&] { return playerEnded(); }, 3000));
        EXPECT_EQ(player->exitStatus(), QProcess::NormalExit);
        EXPECT_EQ(player->exitCode(), expected);
        EXPECT_TRUE(XSession::waitUntil([&] { return standIn.inhibitions() == 0; }, 3000));
        EXPECT_TRUE(noneLeft(group));
        const QString log = session->output(player);
        for (const char* trouble : {"Segmentation", "XIO", "X Error", "X11 connection broke",
                                    "AddressSanitizer", "runtime error"}) {
            EXPECT_FALSE(log.contains(QLatin1String(trouble))) << qPrintable(log);
        }
        if (ending == Ending::LostDisplay) {
            EXPECT_EQ(log.count(QStringLiteral("the connection to the display was lost")), 1)
                << qPrintable(log);
        }
        player = nullptr;
        session.reset();
    }
}

TEST_F(HardeningE2ETest, SignalsAndQuitEndItWithStatusZeroWhateverIsOnTheScreen) {
    enum class Up { StartUpErrorBox, OpenDialog, Melt, AboutBox };
    enum class Told { Terminate, Interrupt, Quit };
    const std::pair<Up, Told> cases[] = {{Up::StartUpErrorBox, Told::Terminate},
                                         {Up::StartUpErrorBox, Told::Quit},
                                         {Up::OpenDialog, Told::Interrupt},
                                         {Up::Melt, Told::Quit},
                                         {Up::AboutBox, Told::Terminate}};
    for (const auto& [up, told] : cases) {
        SCOPED_TRACE(QStringLiteral("%1 %2").arg(int(up)).arg(int(told)).toStdString());
        startSession();
        quarn::test::ScreenSaverStandIn standIn(session->busAddress());
        if (up == Up::StartUpErrorBox) {
            ASSERT_NO_FATAL_FAILURE(startPlayer({QStringLiteral("--"), media::MissingFile()}));
            ASSERT_TRUE(session->waitForWindow(QStringLiteral("Playback Error"), 5000));
        } else {
            ASSERT_NO_FATAL_FAILURE(
                startPlayer({QStringLiteral("--"), media::Pattern(320, 240, 25, 30)}));
            ASSERT_TRUE(XSession::waitUntil([&] { return standIn.inhibitions() == 1; }, 5000));
            if (up == Up::OpenDialog) {
                clickToolbar(kOpen);
                ASSERT_TRUE(session->waitForWindow(QStringLiteral("Open"), 5000));
            } else {
                clickToolbar(kScreenEffects);
                ASSERT_TRUE(XSession::waitUntil([&] { return session->pointerGrabbed(); }, 3000));
                session->key(QStringLiteral("Down")); // "Melter"
                if (up == Up::AboutBox) {
                    session->key(QStringLiteral("Down")); // "About..."
                }
                session->key(QStringLiteral("Return"));
                if (up == Up::AboutBox) {
                    ASSERT_TRUE(session->waitForWindow(QStringLiteral("About..."), 5000));
                } else {
                    QThread::msleep(1000); // the melt is under way
                }
            }
        }
        QElapsedTimer ending;
        ending.start();
        if (told == Told::Quit) {
            call(QStringLiteral("org.mpris.MediaPlayer2"), QStringLiteral("Quit"));
        } else {
            ::kill(pid_t(player->processId()), told == Told::Terminate ? SIGTERM : SIGINT);
        }
        ASSERT_TRUE(XSession::waitUntil([&] { return playerEnded(); }, 3000));
        EXPECT_LT(ending.elapsed(), 2000);
        EXPECT_EQ(howItEnded(), QStringLiteral("exit status 0"));
        EXPECT_TRUE(XSession::waitUntil([&] { return standIn.inhibitions() == 0; }, 3000));
        player = nullptr;
        session.reset();
    }
}
