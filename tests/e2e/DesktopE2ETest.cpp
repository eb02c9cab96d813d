// The player among the desktop's own programs: one player however many
// launches, media controls on the session bus (playerctl), a second launch's
// files handed over, the taskbar when the tray host goes, and Wayland
// sessions (weston with XWayland).
#include "support/MediaFixtures.h"
#include "support/PlayerDriver.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QFileInfo>
#include <QRegularExpression>
#include <QTemporaryDir>
#include <QUrl>

#include <csignal>

using namespace Qt::Literals::StringLiterals;

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
    bool controlShows(const QStringList& args, const QString& expected, int timeoutMs = 3000) {
        return XSession::waitUntil([&] { return playerctl(args) == expected; }, timeoutMs, 100);
    }
    bool titleShows(const QString& expected, int timeoutMs = 3000) {
        return controlShows({u"metadata"_s, u"xesam:title"_s}, expected, timeoutMs);
    }
    // Another launch of the program, which hands its arguments over and ends.
    void handOver(const QStringList& args) {
        QProcess* second = session->start(kProgram, args);
        ASSERT_TRUE(second->waitForFinished(5000)) << qPrintable(args.join(' '));
        EXPECT_EQ(second->exitStatus(), QProcess::NormalExit);
        EXPECT_EQ(second->exitCode(), 0) << qPrintable(args.join(' '));
    }
};

} // namespace

TEST_F(DesktopE2ETest, OneLaunchOnePlayerThatTheDesktopsMediaControlsSeeAndDrive) {
    startSession();
    // Six launches at once, as a file manager's "Open with" on six files.
    std::vector<QProcess*> launches;
    for (int i = 1; i <= 6; ++i) {
        launches.push_back(
            session->start(kProgram, {u"--"_s, media::Pattern(160, 120, 25, 10 + i)}));
    }
    auto running = [&] {
        return std::count_if(launches.begin(), launches.end(),
                             [](QProcess* p) { return p->state() != QProcess::NotRunning; });
    };
    ASSERT_TRUE(waitFor([&] { return running() == 1; }, 8000)) << running();
    for (QProcess* launch : launches) {
        if (launch->state() == QProcess::NotRunning) {
            EXPECT_EQ(launch->exitCode(), 0);
        } else {
            player = launch;
        }
    }
    waitForPlayerWindows();
    // Long enough for a late launch to have become a player of its own.
    EXPECT_TRUE(holdsFor(2500, [&] { return running() == 1; }));

    // Unescaped and localhost URIs of odd names are handed over whole.
    const QString odd = media::OddlyNamedCopy(u"my clip 100% #1 \u00fc.mp4"_s);
    for (const QString& uri : {u"file://"_s + odd, u"file://localhost"_s + odd,
                               QUrl::fromLocalFile(odd).toString(QUrl::FullyEncoded)}) {
        ASSERT_NO_FATAL_FAILURE(handOver({uri}));
        EXPECT_TRUE(titleShows(QFileInfo(odd).fileName())) << qPrintable(uri);
    }
    EXPECT_EQ(running(), 1);
    EXPECT_FALSE(session->output(player).contains(u"does not exist"_s));

    // Two files handed over: the title, artist and album of the first from
    // its tags, its address and length.
    const QString clip = media::Pattern(320, 240, 25, 8);
    ASSERT_NO_FATAL_FAILURE(handOver({u"--"_s, media::TaggedSong(), clip}));
    ASSERT_TRUE(controlShows({u"status"_s}, u"Playing"_s));
    const std::pair<const char*, QString> tags[] = {
        {"xesam:title", u"Evening Tide"_s},
        {"xesam:artist", u"The Quarn Trio"_s},
        {"xesam:album", u"Night Songs"_s},
        {"xesam:url", QUrl::fromLocalFile(media::TaggedSong()).toString(QUrl::FullyEncoded)}};
    for (const auto& [key, value] : tags) {
        EXPECT_TRUE(controlShows({u"metadata"_s, QString::fromLatin1(key)}, value))
            << key << ": " << qPrintable(playerctl({u"metadata"_s}));
    }
    EXPECT_TRUE(waitFor([&] {
        const double length = playerctl({u"metadata"_s, u"mpris:length"_s}).toDouble();
        return length > 3.9e6 && length < 4.2e6;
    }));

    // Signals of what changes, seen from another program on the bus.
    QDBusConnection watch = bus();
    SignalLog log;
    for (const char* member : {"PropertiesChanged", "Seeked"}) {
        watch.connect(QString(), u"/org/mpris/MediaPlayer2"_s, QString(),
                      QString::fromLatin1(member), &log, SLOT(got(QDBusMessage)));
    }
    auto step = [&](const char* command, const QStringList& shown) {
        playerctl(QString::fromLatin1(command).split(' '));
        EXPECT_TRUE(controlShows(shown.mid(0, shown.size() - 1), shown.last())) << command;
    };
    step("play-pause", {"status", "Paused"});
    step("play-pause", {"status", "Playing"});
    step("volume 0.5", {"volume", "0.500000"});
    step("next", {"metadata", "xesam:title", QFileInfo(clip).fileName()});
    EXPECT_TRUE(fits({320, 240}));
    step("pause", {"status", "Paused"});
    // (The new clip's length comes a moment after its first picture, and a
    // seek beyond the length that stands is not taken.)
    EXPECT_TRUE(controlShows({"metadata", "mpris:length"}, "8000000"));
    playerctl({"position", "5"});
    EXPECT_TRUE(waitFor([&] { return std::abs(playerctl({u"position"_s}).toDouble() - 5) < 0.3; }))
        << qPrintable(playerctl({u"position"_s}));
    EXPECT_TRUE(waitFor([&] {
        QCoreApplication::processEvents();
        return log.members.contains("Seeked") && log.members.contains("PropertiesChanged");
    })) << qPrintable(log.members.join(' '));

    // --new-instance starts a player of its own, under the instance name; a
    // file opened through the bus plays; Quit through the bus ends it.
    QProcess* own = session->start(kProgram, {u"--new-instance"_s, u"--"_s, clip});
    const QString instance = u"quarn_media_player.instance%1"_s.arg(own->processId());
    EXPECT_TRUE(
        waitFor([&] { return playerctl({u"-l"_s}, {}).split('\n').contains(instance); }, 8000))
        << qPrintable(playerctl({u"-l"_s}, {}));
    playerctl({u"open"_s, QUrl::fromLocalFile(media::TaggedSong()).toString()});
    EXPECT_TRUE(titleShows(u"Evening Tide"_s));
    watch.call(QDBusMessage::createMethodCall(u"org.mpris.MediaPlayer2."_s + instance,
                                              u"/org/mpris/MediaPlayer2"_s,
                                              u"org.mpris.MediaPlayer2"_s, u"Quit"_s),
               QDBus::Block, 3000);
    EXPECT_TRUE(own->waitForFinished(3000));
    EXPECT_EQ(own->exitCode(), 0);

    // A folder with a broken entry: it is named and passed over at once,
    // holding nothing up, without a click.
    QTemporaryDir folder;
    ASSERT_TRUE(QFile::copy(media::Pattern(320, 240, 25, 2), folder.filePath("ep1.mp4")));
    ASSERT_TRUE(QFile::copy(media::TextFile(), folder.filePath("ep2.mp4")));
    ASSERT_TRUE(QFile::copy(media::Pattern(480, 270, 25, 3), folder.filePath("ep3.mp4")));
    ASSERT_NO_FATAL_FAILURE(handOver({u"--"_s, folder.path()}));
    ASSERT_TRUE(titleShows(u"ep1.mp4"_s));
    QElapsedTimer clock;
    clock.start();
    ASSERT_TRUE(titleShows(u"ep3.mp4"_s, 8000));
    EXPECT_LT(clock.elapsed(), 2000 + 2000);
    EXPECT_TRUE(waitFor([&] {
        return main().size() == fittedAround({480, 270}) && pictureMoves(500);
    }));
    EXPECT_TRUE(session->waitForWindow(kErrorCaption, 2000));
    EXPECT_TRUE(session->output(player).contains(u"ep2.mp4: "_s))
        << qPrintable(session->output(player));

    // When the tray host goes away, the main window comes into the taskbar;
    // the companions stay out of it.
    const QString skip = u"_NET_WM_STATE_SKIP_TASKBAR"_s;
    EXPECT_TRUE(session->states(windows.main).contains(skip));
    ::kill(pid_t(helper("trayer")), SIGTERM);
    EXPECT_TRUE(waitFor([&] { return !session->states(windows.main).contains(skip); }))
        << qPrintable(session->states(windows.main).join(' '));
    EXPECT_TRUE(session->states(windows.titleStrip).contains(skip));

    mprisCall(u"org.mpris.MediaPlayer2"_s, u"Quit"_s);
    expectEnded(0);
}

// A compositor of its own, with XWayland: weston's headless backend.
TEST(WaylandE2ETest, InAWaylandSessionThePlayerRunsOnXWaylandOrSaysWhyNot) {
    QTemporaryDir runtime;
    QFile::setPermissions(runtime.path(), QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
    const QString socket = u"quarn-wl-%1"_s.arg(QCoreApplication::applicationPid());
    const QString westonLog = runtime.filePath(u"weston.log"_s);
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.insert(u"XDG_RUNTIME_DIR"_s, runtime.path());
    for (const char* name :
         {"DISPLAY", "WAYLAND_DISPLAY", "QT_QPA_PLATFORM", "DBUS_SESSION_BUS_ADDRESS"}) {
        env.remove(QString::fromLatin1(name));
    }
    QProcess weston;
    weston.setProcessEnvironment(env);
    weston.start(u"weston"_s,
                 {u"--backend=headless-backend.so"_s, u"--xwayland"_s, u"--idle-time=0"_s,
                  u"--socket="_s + socket, u"--log="_s + westonLog});
    QString display;
    ASSERT_TRUE(XSession::waitUntil(
        [&] {
            QFile log(westonLog);
            log.open(QIODevice::ReadOnly);
            display = QRegularExpression(u"xserver listening on display (:\\d+)"_s)
                          .match(QString::fromUtf8(log.readAll()))
                          .captured(1);
            return !display.isEmpty();
        },
        10000))
        << "weston did not start XWayland";
    env.insert(u"WAYLAND_DISPLAY"_s, socket);
    env.insert(u"DISPLAY"_s, display);
    // The program under this environment, with `argument`.
    auto run = [&](const QProcessEnvironment& with, const QString& argument) {
        auto process = std::make_unique<QProcess>();
        process->setProcessEnvironment(with);
        process->start(quarn::e2e::PlayerWindows::kProgram, {u"--"_s, argument});
        return process;
    };

    const auto player = run(env, media::Pattern(320, 240, 25, 8));
    auto shown = [&](const QString& caption) {
        QProcess search;
        search.setProcessEnvironment(env);
        search.start(u"xdotool"_s,
                     {u"search"_s, u"--onlyvisible"_s, u"--name"_s, '^' + caption + '$'});
        search.waitForFinished(5000);
        return search.readAllStandardOutput().count('\n');
    };
    EXPECT_TRUE(XSession::waitUntil(
        [&] {
            return shown(quarn::e2e::PlayerWindows::kMainCaption) >= 1 &&
                   shown(quarn::e2e::PlayerWindows::kFormCaption) == 2;
        },
        10000))
        << player->readAllStandardError().toStdString();
    EXPECT_EQ(player->state(), QProcess::Running);
    player->terminate();
    player->waitForFinished(5000);

    // Without XWayland: one line, status 1.
    env.remove(u"DISPLAY"_s);
    const auto refused = run(env, media::VideoClip());
    ASSERT_TRUE(refused->waitForFinished(10000));
    EXPECT_EQ(refused->exitStatus(), QProcess::NormalExit);
    EXPECT_EQ(refused->exitCode(), 1);
    const QByteArray line = refused->readAllStandardError();
    EXPECT_EQ(line.count('\n'), 1) << line.toStdString();
    EXPECT_TRUE(line.contains("XWayland")) << line.toStdString();

    // The platform the user chose is the one used.
    env.insert(u"QT_QPA_PLATFORM"_s, u"offscreen"_s);
    const auto chosen = run(env, media::VideoClip());
    EXPECT_FALSE(chosen->waitForFinished(2000)) << chosen->readAllStandardError().toStdString();
    chosen->kill();
    chosen->waitForFinished(3000);
    weston.terminate();
    weston.waitForFinished(5000);
}

#include "DesktopE2ETest.moc"
