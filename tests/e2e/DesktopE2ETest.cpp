// The player among the desktop's own programs: media controls on the session
// bus (playerctl), one player at a time, the taskbar without a tray host, and
// Wayland sessions (weston with XWayland).
#include "support/MediaFixtures.h"
#include "support/PlayerDriver.h"

#include <QCoreApplication>
#include <QDBusConnection>
#include <QDBusMessage>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QFileInfo>
#include <QRegularExpression>
#include <QTemporaryDir>
#include <QThread>
#include <QUrl>

#include <csignal>

using quarn::e2e::XSession;
namespace media = quarn::test::media;

namespace {

// Keeps the signals a D-Bus object sends.
class SignalLog : public QObject {
    Q_OBJECT
public:
    QStringList members;
public slots:
    void got(const QDBusMessage& message) { members << message.member(); }
};

class DesktopE2ETest : public quarn::e2e::PlayerDriver {
protected:
    // playerctl on the session's bus, for the first player.
    QString control(const QStringList& args,
                    const QString& player = QStringLiteral("quarn_media_player")) {
        QProcess ctl;
        ctl.setProcessEnvironment(session->environment());
        ctl.start(QStringLiteral("playerctl"), QStringList{QStringLiteral("-p"), player} + args);
        ctl.waitForFinished(5000);
        return QString::fromUtf8(ctl.readAllStandardOutput()).trimmed();
    }
    bool controlShows(const QStringList& args, const QString& expected, int timeoutMs = 3000) {
        return XSession::waitUntil([&] { return control(args) == expected; }, timeoutMs, 100);
    }
};

} // namespace

TEST_F(DesktopE2ETest, MediaControlsSeeAndDriveThePlayerAndASecondLaunchHandsItsFileOver) {
    startSession();
    const QString clip = media::Pattern(320, 240, 25, 8);
    ASSERT_NO_FATAL_FAILURE(startPlayer({QStringLiteral("--"), media::TaggedSong(), clip}));
    ASSERT_TRUE(controlShows({QStringLiteral("status")}, QStringLiteral("Playing")))
        << qPrintable(control({QStringLiteral("-l")}, {}));
    // The title, artist and album from the file's tags, its address and length.
    const std::pair<const char*, QString> tags[] = {
        {"xesam:title", QStringLiteral("Evening Tide")},
        {"xesam:artist", QStringLiteral("The Quarn Trio")},
        {"xesam:album", QStringLiteral("Night Songs")},
        {"xesam:url", QUrl::fromLocalFile(media::TaggedSong()).toString(QUrl::FullyEncoded)}};
    for (const auto& [key, value] : tags) {
        EXPECT_TRUE(controlShows({QStringLiteral("metadata"), QString::fromLatin1(key)}, value))
            << key << ": " << qPrintable(control({QStringLiteral("metadata")}));
    }
    EXPECT_TRUE(XSession::waitUntil(
        [&] {
            const double length =
                control({QStringLiteral("metadata"), QStringLiteral("mpris:length")}).toDouble();
            return length > 3.9e6 && length < 4.2e6;
        },
        3000));

    // Signals of what changes, seen from another program on the bus.
    QDBusConnection bus = QDBusConnection::connectToBus(session->busAddress(), "e2e-watch");
    SignalLog log;
    for (const char* member : {"PropertiesChanged", "Seeked"}) {
        bus.connect(QString(), QStringLiteral("/org/mpris/MediaPlayer2"), QString(),
                    QString::fromLatin1(member), &log, SLOT(got(QDBusMessage)));
    }

    control({QStringLiteral("play-pause")});
    EXPECT_TRUE(controlShows({QStringLiteral("status")}, QStringLiteral("Paused")));
    control({QStringLiteral("play-pause")});
    EXPECT_TRUE(controlShows({QStringLiteral("status")}, QStringLiteral("Playing")));
    control({QStringLiteral("volume"), QStringLiteral("0.5")});
    EXPECT_TRUE(controlShows({QStringLiteral("volume")}, QStringLiteral("0.500000")));
    control({QStringLiteral("next")});
    EXPECT_TRUE(controlShows({QStringLiteral("metadata"), QStringLiteral("xesam:title")},
                             QFileInfo(clip).fileName()));
    EXPECT_TRUE(XSession::waitUntil(
        [&] {
            return main().size() == fittedAround({320, 240});
        },
        5000));
    control({QStringLiteral("pause")});
    EXPECT_TRUE(controlShows({QStringLiteral("status")}, QStringLiteral("Paused")));
    control({QStringLiteral("position"), QStringLiteral("5")});
    EXPECT_TRUE(XSession::waitUntil(
        [&] { return std::abs(control({QStringLiteral("position")}).toDouble() - 5) < 0.3; }, 3000))
        << qPrintable(control({QStringLiteral("position")}));
    EXPECT_TRUE(XSession::waitUntil(
        [&] {
            QCoreApplication::processEvents();
            return log.members.contains("Seeked") && log.members.contains("PropertiesChanged");
        },
        3000))
        << qPrintable(log.members.join(' '));

    // A second launch hands its file to the player that runs, and ends.
    const QString other = media::Pattern(480, 270, 25, 3);
    QProcess* second = session->start(kProgram, {QStringLiteral("--"), other});
    ASSERT_TRUE(second->waitForFinished(5000));
    EXPECT_EQ(second->exitStatus(), QProcess::NormalExit);
    EXPECT_EQ(second->exitCode(), 0);
    EXPECT_TRUE(controlShows({QStringLiteral("metadata"), QStringLiteral("xesam:title")},
                             QFileInfo(other).fileName()));
    EXPECT_TRUE(XSession::waitUntil(
        [&] {
            return main().size() == fittedAround({480, 270});
        },
        5000));
    EXPECT_FALSE(playerEnded());

    // --new-instance starts a player of its own, under the instance name.
    QProcess* own =
        session->start(kProgram, {QStringLiteral("--new-instance"), QStringLiteral("--"), clip});
    const QString instance = QStringLiteral("quarn_media_player.instance%1").arg(own->processId());
    EXPECT_TRUE(XSession::waitUntil(
        [&] { return control({QStringLiteral("-l")}, {}).split('\n').contains(instance); }, 8000))
        << qPrintable(control({QStringLiteral("-l")}, {}));
    // A file opened through the bus plays; Quit through the bus ends each player.
    control({QStringLiteral("open"), QUrl::fromLocalFile(media::TaggedSong()).toString()});
    EXPECT_TRUE(controlShows({QStringLiteral("metadata"), QStringLiteral("xesam:title")},
                             QStringLiteral("Evening Tide")));
    auto quit = [&](const QString& name) {
        bus.call(QDBusMessage::createMethodCall(name, QStringLiteral("/org/mpris/MediaPlayer2"),
                                                QStringLiteral("org.mpris.MediaPlayer2"),
                                                QStringLiteral("Quit")),
                 QDBus::Block, 3000);
    };
    quit(QStringLiteral("org.mpris.MediaPlayer2.") + instance);
    EXPECT_TRUE(own->waitForFinished(3000));
    EXPECT_EQ(own->exitCode(), 0);
    quit(QStringLiteral("org.mpris.MediaPlayer2.quarn_media_player"));
    EXPECT_TRUE(XSession::waitUntil([&] { return playerEnded(); }, 3000));
    EXPECT_EQ(player->exitCode(), 0);
}

TEST_F(DesktopE2ETest, LaunchesAtTheSameMomentMakeOnePlayerWhateverTheirNamesHold) {
    startSession();
    // Six launches at once, as a file manager's "Open with" on six files.
    std::vector<QProcess*> launches;
    for (int i = 1; i <= 6; ++i) {
        launches.push_back(
            session->start(kProgram, {QStringLiteral("--"), media::Pattern(160, 120, 25, 10 + i)}));
    }
    auto running = [&] {
        return std::count_if(launches.begin(), launches.end(),
                             [](QProcess* p) { return p->state() != QProcess::NotRunning; });
    };
    ASSERT_TRUE(XSession::waitUntil([&] { return running() == 1; }, 8000)) << running();
    for (QProcess* launch : launches) {
        if (launch->state() == QProcess::NotRunning) {
            EXPECT_EQ(launch->exitCode(), 0);
        } else {
            player = launch;
        }
    }
    ASSERT_NO_FATAL_FAILURE(waitForPlayerWindows());
    QThread::msleep(2500); // long enough for a late launch to have become a player of its own
    EXPECT_EQ(running(), 1);

    // Unescaped and localhost URIs of odd names are handed over whole, never
    // making a second player.
    const QString odd = media::OddlyNamedCopy(QStringLiteral("my clip 100% #1 \u00fc.mp4"));
    for (const QString& uri :
         {QStringLiteral("file://") + odd, QStringLiteral("file://localhost") + odd,
          QUrl::fromLocalFile(odd).toString(QUrl::FullyEncoded)}) {
        QProcess* second = session->start(kProgram, {uri});
        ASSERT_TRUE(second->waitForFinished(4000)) << qPrintable(uri);
        EXPECT_EQ(second->exitCode(), 0) << qPrintable(uri);
        EXPECT_TRUE(controlShows({QStringLiteral("metadata"), QStringLiteral("xesam:title")},
                                 QFileInfo(odd).fileName()))
            << qPrintable(uri);
    }
    EXPECT_EQ(running(), 1);
    EXPECT_FALSE(session->output(player).contains(QStringLiteral("does not exist")));
}

TEST_F(DesktopE2ETest, ABrokenEntryOfAFolderIsNamedAndPassedOverAtOnceWithoutAClick) {
    startSession();
    QTemporaryDir folder;
    ASSERT_TRUE(QFile::copy(media::Pattern(320, 240, 25, 2), folder.filePath("ep1.mp4")));
    ASSERT_TRUE(QFile::copy(media::TextFile(), folder.filePath("ep2.mp4")));
    ASSERT_TRUE(QFile::copy(media::Pattern(480, 270, 25, 3), folder.filePath("ep3.mp4")));
    ASSERT_NO_FATAL_FAILURE(startPlayer({QStringLiteral("--"), folder.path()}));
    const QStringList title{QStringLiteral("metadata"), QStringLiteral("xesam:title")};
    ASSERT_TRUE(controlShows(title, QStringLiteral("ep1.mp4")));
    QElapsedTimer clock;
    clock.start();
    // ep1 plays its 2 s; ep3 follows without anybody dismissing anything.
    ASSERT_TRUE(controlShows(title, QStringLiteral("ep3.mp4"), 8000)) << qPrintable(control(title));
    EXPECT_LT(clock.elapsed(), 2000 + 2000);
    EXPECT_TRUE(XSession::waitUntil(
        [&] {
            return main().size() == fittedAround({480, 270}) && pictureMoves(500);
        },
        3000));
    // The message, up and holding nothing up, says which file and why.
    EXPECT_TRUE(session->waitForWindow(QStringLiteral("Playback Error"), 2000));
    EXPECT_TRUE(session->output(player).contains(QStringLiteral("ep2.mp4: ")))
        << qPrintable(session->output(player));
}

TEST_F(DesktopE2ETest, WithoutATrayHostTheMainWindowIsInTheTaskbarAndWithOneItIsNot) {
    XSession::Options options;
    options.trayHost = false;
    startSession(options);
    ASSERT_NO_FATAL_FAILURE(startPlayer({QStringLiteral("--"), media::VideoClip()}));
    EXPECT_FALSE(session->states(windows.main).contains("_NET_WM_STATE_SKIP_TASKBAR"));
    EXPECT_TRUE(session->states(windows.toolbar).contains("_NET_WM_STATE_SKIP_TASKBAR"));
}

TEST_F(DesktopE2ETest, WhenTheTrayHostGoesAwayTheMainWindowComesIntoTheTaskbar) {
    startSession();
    ASSERT_NO_FATAL_FAILURE(startPlayer({QStringLiteral("--"), media::Pattern(320, 240, 25, 8)}));
    EXPECT_TRUE(session->states(windows.main).contains("_NET_WM_STATE_SKIP_TASKBAR"));
    for (qint64 pid : session->processIds()) {
        QFile comm(QStringLiteral("/proc/%1/comm").arg(pid));
        if (comm.open(QIODevice::ReadOnly) && comm.readAll().trimmed() == "trayer") {
            ::kill(pid_t(pid), SIGTERM);
        }
    }
    EXPECT_TRUE(XSession::waitUntil(
        [&] { return !session->states(windows.main).contains("_NET_WM_STATE_SKIP_TASKBAR"); },
        3000))
        << qPrintable(session->states(windows.main).join(' '));
    EXPECT_TRUE(session->states(windows.titleStrip).contains("_NET_WM_STATE_SKIP_TASKBAR"));
    EXPECT_FALSE(playerEnded());
}

// A compositor of its own, with XWayland: weston's headless backend.
TEST(WaylandE2ETest, InAWaylandSessionThePlayerRunsOnXWaylandOrSaysWhyNot) {
    QTemporaryDir runtime;
    QFile::setPermissions(runtime.path(), QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
    const QString socket = QStringLiteral("quarn-wl-%1").arg(QCoreApplication::applicationPid());
    const QString westonLog = runtime.filePath(QStringLiteral("weston.log"));
    QProcessEnvironment base = QProcessEnvironment::systemEnvironment();
    base.insert(QStringLiteral("XDG_RUNTIME_DIR"), runtime.path());
    for (const char* name :
         {"DISPLAY", "WAYLAND_DISPLAY", "QT_QPA_PLATFORM", "DBUS_SESSION_BUS_ADDRESS"}) {
        base.remove(QString::fromLatin1(name));
    }
    QProcess weston;
    weston.setProcessEnvironment(base);
    weston.start(QStringLiteral("weston"),
                 {QStringLiteral("--backend=headless-backend.so"), QStringLiteral("--xwayland"),
                  QStringLiteral("--idle-time=0"), QStringLiteral("--socket=") + socket,
                  QStringLiteral("--log=") + westonLog});
    QString display;
    ASSERT_TRUE(XSession::waitUntil(
        [&] {
            QFile log(westonLog);
            log.open(QIODevice::ReadOnly);
            const auto match =
                QRegularExpression(QStringLiteral("xserver listening on display (:\\d+)"))
                    .match(QString::fromUtf8(log.readAll()));
            display = match.captured(1);
            return match.hasMatch();
        },
        10000))
        << "weston did not start XWayland";

    QProcessEnvironment wayland = base;
    wayland.insert(QStringLiteral("WAYLAND_DISPLAY"), socket);
    wayland.insert(QStringLiteral("DISPLAY"), display);
    QProcess player;
    player.setProcessEnvironment(wayland);
    player.start(quarn::e2e::PlayerWindows::kProgram,
                 {QStringLiteral("--"), media::Pattern(320, 240, 25, 8)});
    auto shown = [&](const QString& caption) {
        QProcess search;
        search.setProcessEnvironment(wayland);
        search.start(QStringLiteral("xdotool"),
                     {QStringLiteral("search"), QStringLiteral("--onlyvisible"),
                      QStringLiteral("--name"), '^' + caption + '$'});
        search.waitForFinished(5000);
        return QString::fromUtf8(search.readAllStandardOutput())
            .split(u'\n', Qt::SkipEmptyParts)
            .size();
    };
    EXPECT_TRUE(XSession::waitUntil(
        [&] {
            return shown(QStringLiteral("QUARN Media Player")) >= 1 &&
                   shown(QStringLiteral("Form1")) == 2;
        },
        10000))
        << player.readAllStandardError().toStdString();
    EXPECT_EQ(player.state(), QProcess::Running);
    player.terminate();
    player.waitForFinished(5000);

    // Without XWayland: one line, status 1.
    QProcessEnvironment noX = wayland;
    noX.remove(QStringLiteral("DISPLAY"));
    QProcess refused;
    refused.setProcessEnvironment(noX);
    refused.start(quarn::e2e::PlayerWindows::kProgram, {media::VideoClip()});
    ASSERT_TRUE(refused.waitForFinished(10000));
    EXPECT_EQ(refused.exitStatus(), QProcess::NormalExit);
    EXPECT_EQ(refused.exitCode(), 1);
    const QByteArray line = refused.readAllStandardError();
    EXPECT_EQ(line.count('\n'), 1) << line.toStdString();
    EXPECT_TRUE(line.contains("XWayland")) << line.toStdString();

    // The platform the user chose is the one used.
    noX.insert(QStringLiteral("QT_QPA_PLATFORM"), QStringLiteral("offscreen"));
    QProcess chosen;
    chosen.setProcessEnvironment(noX);
    chosen.start(quarn::e2e::PlayerWindows::kProgram, {media::VideoClip()});
    EXPECT_FALSE(chosen.waitForFinished(2000)) << chosen.readAllStandardError().toStdString();
    chosen.kill();
    chosen.waitForFinished(3000);
    weston.terminate();
    weston.waitForFinished(5000);
}

#include "DesktopE2ETest.moc"
