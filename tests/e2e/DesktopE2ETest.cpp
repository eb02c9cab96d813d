// The player among the desktop's own programs: one player however many
// launches, media controls on the session bus (playerctl), a second launch's
// files handed over, the taskbar when the tray host goes; then a whole session
// of keys, zoom, full screen, a queue, refusals and videos of every size; and
// Wayland sessions (weston with XWayland) and the command line without a display.
#include "support/MediaFixtures.h"
#include "support/PlayerDriver.h"

#include <QCoreApplication>
#include <QFile>
#include <QFileInfo>
#include <QJsonDocument>
#include <QJsonObject>
#include <QRegularExpression>
#include <QTemporaryDir>
#include <QThread>
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
        ASSERT_TRUE(second->waitForFinished(10000)) << qPrintable(args.join(' ')) << "\n"
                                                    << qPrintable(session->output(second));
        EXPECT_EQ(second->exitStatus(), QProcess::NormalExit);
        EXPECT_EQ(second->exitCode(), 0) << qPrintable(args.join(' '));
    }
};

} // namespace

TEST_F(DesktopE2ETest, OneLaunchOnePlayerThatTheDesktopsMediaControlsDriveAndAWholeSessionOnIt) {
    XSession::Options options;
    options.screen = QSize(1920, 1080);
    startSession(options);
    // Six launches at once, as a file manager's "Open with" on six files.
    std::vector<QProcess*> launches;
    for (int i = 1; i <= 6; ++i) {
        launches.push_back(
            session->start(kProgram, {u"--"_s, media::Pattern(160, 120, 25, 10 + i)}));
    }
    auto launchesRunning = [&] {
        return std::count_if(launches.begin(), launches.end(),
                             [](QProcess* p) { return p->state() != QProcess::NotRunning; });
    };
    ASSERT_TRUE(waitFor([&] { return launchesRunning() == 1; }, 8000 * quarn::e2e::kSlowdown))
        << launchesRunning();
    for (QProcess* launch : launches) {
        if (launch->state() == QProcess::NotRunning) {
            EXPECT_EQ(launch->exitCode(), 0);
        } else {
            player = launch;
        }
    }
    waitForPlayerWindows();
    // Long enough for a late launch to have become a player of its own.
    EXPECT_TRUE(holdsFor(2500, [&] { return launchesRunning() == 1; }));

    // Unescaped and localhost URIs of odd names are handed over whole.
    const QString odd = media::OddlyNamedCopy(u"my clip 100% #1 \u00fc.mp4"_s);
    for (const QString& uri : {u"file://"_s + odd, u"file://localhost"_s + odd,
                               QUrl::fromLocalFile(odd).toString(QUrl::FullyEncoded)}) {
        ASSERT_NO_FATAL_FAILURE(handOver({uri}));
        EXPECT_TRUE(titleShows(QFileInfo(odd).fileName())) << qPrintable(uri);
    }
    EXPECT_EQ(launchesRunning(), 1);
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
    EXPECT_TRUE(waitFor([&] { return std::abs(playerctl({u"position"_s}).toDouble() - 5) < 0.3; }));
    EXPECT_TRUE(waitFor([&] {
        QCoreApplication::processEvents();
        return log.members.contains("Seeked") && log.members.contains("PropertiesChanged");
    })) << qPrintable(log.members.join(' '));

    // --new-instance starts a player of its own, under the instance name; a
    // file opened through the bus plays; Quit through the bus ends it.
    QProcess* own = session->start(kProgram, {u"--new-instance"_s, u"--"_s, clip});
    const QString instance = u"quarn_media_player.instance%1"_s.arg(own->processId());
    EXPECT_TRUE(
        waitFor([&] { return playerctl({u"-l"_s}, {}).split('\n').contains(instance); }, 8000));
    playerctl({u"open"_s, QUrl::fromLocalFile(media::TaggedSong()).toString()});
    EXPECT_TRUE(titleShows(u"Evening Tide"_s));
    watch.call(QDBusMessage::createMethodCall(u"org.mpris.MediaPlayer2."_s + instance,
                                              u"/org/mpris/MediaPlayer2"_s,
                                              u"org.mpris.MediaPlayer2"_s, u"Quit"_s),
               QDBus::Block, 3000);
    EXPECT_TRUE(own->waitForFinished(3000));
    EXPECT_EQ(own->exitCode(), 0);

    // A folder with a broken entry: it is named and passed over at once,
    // holding nothing up, without a click; the last plays long enough to be seen.
    QTemporaryDir folder;
    ASSERT_TRUE(QFile::copy(media::Pattern(320, 240, 25, 2), folder.filePath("ep1.mp4")));
    ASSERT_TRUE(QFile::copy(media::TextFile(), folder.filePath("ep2.mp4")));
    ASSERT_TRUE(QFile::copy(media::Pattern(480, 270, 25, 30), folder.filePath("ep3.mp4")));
    ASSERT_NO_FATAL_FAILURE(handOver({u"--"_s, folder.path()}));
    ASSERT_TRUE(titleShows(u"ep1.mp4"_s));
    ASSERT_TRUE(titleShows(u"ep3.mp4"_s, 2000 + 2000));
    EXPECT_TRUE(waitFor([&] {
        return main().size() == fittedAround({480, 270}) && pictureMoves(500);
    }));
    const auto box = session->waitForWindow(kErrorCaption, 2000);
    EXPECT_TRUE(session->output(player).contains(u"ep2.mp4: "_s));
    // A launch that brings the player to the front leaves the message in
    // front of it, with the keys.
    ASSERT_TRUE(box);
    ASSERT_NO_FATAL_FAILURE(handOver({}));
    EXPECT_TRUE(waitFor([&] { return session->activeWindow() == *box; }));
    session->key(u"Return"_s);
    EXPECT_TRUE(waitFor([&] { return !session->isViewable(*box); }));

    // When the tray host goes away, the main window comes into the taskbar;
    // the companions stay out of it.
    const QString skip = u"_NET_WM_STATE_SKIP_TASKBAR"_s;
    EXPECT_TRUE(session->states(windows.main).contains(skip));
    ::kill(pid_t(helper("trayer")), SIGTERM);
    EXPECT_TRUE(waitFor([&] { return !session->states(windows.main).contains(skip); }));
    EXPECT_TRUE(session->states(windows.titleStrip).contains(skip));

    mprisCall(u"org.mpris.MediaPlayer2"_s, u"Quit"_s);
    expectEnded(0);

    // A whole session with the engine settings the program ships with, on a
    // desktop that now has no tray host and from settings of its own: keys,
    // the wheel, zoom and full screen, a queue that plays to its end,
    // replays, refusals and videos of every size in one run, and the program
    // still whole (alive, its windows on the screen, a clean exit, its volume
    // kept) at the end.
    const QString settingsFile =
        session->environment().value(u"XDG_CONFIG_HOME"_s) + u"/quarn-media-player/settings.json"_s;
    QFile::remove(settingsFile);
    const QString first = media::Pattern(320, 240, 25, 8);
    const QString second = media::Pattern(480, 270, 25, 3);
    start({u"--"_s, first, second});
    const QSize firstSize = fittedAround({320, 240});
    ASSERT_TRUE(fits({320, 240}, 8000));
    // The group is centred once the video's size is known: the time is
    // looked for where the toolbar comes to rest.
    ASSERT_TRUE(settled());
    const QRect time = timeLabel();
    auto stillFor = [&](int ms) {
        const QImage picture = grab(videoArea());
        const QImage clock = grab(time);
        QThread::msleep(ms);
        return grab(videoArea()) == picture && grab(time) == clock;
    };
    // Space pauses: picture and time stand still; Space again plays on.
    const QImage atStart = grab(time);
    ASSERT_TRUE(waitFor([&] { return grab(time) != atStart; })) << "the time stands";
    session->key(u"space"_s);
    QThread::msleep(300);
    EXPECT_TRUE(stillFor(800)) << "paused";
    // Seeking shows in the time label: five seconds on, and back.
    const QImage paused = grab(time);
    session->key(u"Right"_s);
    EXPECT_TRUE(waitFor([&] { return grab(time) != paused; }, 2000)) << "Right";
    session->key(u"Left"_s);
    EXPECT_TRUE(waitFor([&] { return grab(time) == paused; }, 2000)) << "Left";
    // The volume shows in the time label for a moment, then the time again;
    // muted, with the mute mark beside it for as long as it lasts.
    session->key(u"Down"_s);
    EXPECT_TRUE(waitFor([&] { return grab(time) != paused; }, 1000));
    EXPECT_TRUE(waitFor([&] { return grab(time) == paused; }));
    const QRect mark(time.topRight() - QPoint(11, 0), QSize(12, time.height()));
    const QImage noMark = grab(mark);
    session->key(u"m"_s);
    QThread::msleep(1800); // past the notice
    EXPECT_NE(grab(mark), noMark) << "no mute mark";
    session->click(videoArea().center(), 5); // the wheel down over the video
    session->key(u"m"_s);
    EXPECT_TRUE(waitFor([&] { return grab(time) == paused; })) << "unmuted";
    session->key(u"m"_s);
    // Up over the seek bar (below the video, above the window's bottom margin): 5 s on.
    session->click(QPoint(main().center().x(), main().bottom() - 16), 4);
    EXPECT_TRUE(waitFor([&] { return grab(time) != paused; }, 2000)) << "wheel";
    session->key(u"space"_s);
    EXPECT_TRUE(pictureMoves()) << "playing again";

    // Half, double and normal size.
    const std::pair<const char*, QSize> zooms[] = {
        {"3", {640, 480}}, {"1", {160, 120}}, {"2", {320, 240}}};
    for (const auto& [key, video] : zooms) {
        session->key(QString::fromLatin1(key));
        EXPECT_TRUE(fits(video, 3000)) << key << ": " << qPrintable(describeWindows());
    }

    // Full screen and back, by key and by a double click on the video.
    ASSERT_TRUE(waitFor([&] { return docked(); }));
    const QRect before = main();
    for (int way = 0; way < 2; ++way) {
        if (way == 0) {
            session->key(u"f"_s);
        } else {
            session->clicks(videoArea().center(), 2);
        }
        EXPECT_TRUE(waitFor([&] {
            return main() == QRect(QPoint(0, 0), screen) && !viewable(kFormCaption);
        })) << way;
        session->key(u"Escape"_s);
        EXPECT_TRUE(waitFor([&] { return main() == before && docked(); })) << way;
    }

    // Ctrl+O opens the dialog; Escape closes it.
    session->key(u"ctrl+o"_s);
    const auto dialog = session->waitForWindow(u"Open"_s, 5000);
    ASSERT_TRUE(dialog);
    session->key(u"Escape"_s);
    ASSERT_TRUE(waitFor([&] { return !session->isViewable(*dialog); }));
    // The keys go to the player again once it is active again.
    ASSERT_TRUE(waitFor([&] { return session->activeWindow() == windows.main; }));

    // N and P move through the queue; at the first file's end the second
    // plays, and only after the second's end does the player rest.
    const QSize secondSize = fittedAround({480, 270});
    session->key(u"n"_s);
    EXPECT_TRUE(waitFor([&] { return main().size() == secondSize; }, 5000));
    session->key(u"p"_s);
    EXPECT_TRUE(waitFor([&] { return main().size() == firstSize; }, 5000));
    session->key(u"shift+Right"_s);
    EXPECT_TRUE(waitFor([&] { return main().size() == secondSize; }, 5000));
    EXPECT_TRUE(waitFor([&] { return atRest(); }, 8000));
    // Play after the end shows it again, moving.
    clickToolbar(kPlay);
    ASSERT_TRUE(waitFor([&] { return main().size() == secondSize; }, 5000)) << "Play after the end";
    EXPECT_TRUE(pictureMoves()) << "Play after the end shows no moving picture";

    // A file that cannot be played, opened while another clip plays: the box,
    // and the clip goes on.
    open(media::Pattern(320, 240, 25, 30));
    ASSERT_TRUE(fits({320, 240}) && pictureMoves(5000));
    open(media::TextFile());
    ASSERT_TRUE(session->waitForWindow(kErrorCaption, 10000)) << "no message";
    ASSERT_TRUE(dismissBox());
    EXPECT_TRUE(holdsFor(2000, [&] { return running(); }));
    EXPECT_TRUE(pictureMoves()) << "the clip stopped after the refusal";

    // A clip of two pictures a second: the time follows it.
    open(media::Pattern(320, 240, 2, 8));
    for (int change = 0; change < 3; ++change) {
        const QImage shown = grab(time);
        EXPECT_TRUE(waitFor([&] { return grab(time) != shown; })) << "the time stands, " << change;
    }

    // Large, tall and very large videos: the group stays on the screen.
    // (Five pictures a second, and long enough that none ends before it is
    // looked at on a busy machine.)
    const QRect area(QPoint(0, 0), screen);
    for (const QString& clip : {media::Pattern(768, 576, 5, 10), media::Pattern(720, 1280, 5, 10),
                                media::Pattern(3840, 2160, 5, 10)}) {
        const QSize was = main().size();
        open(clip);
        ASSERT_TRUE(waitFor([&] { return main().size() != was && !atRest(); }, 8000))
            << qPrintable(clip);
        EXPECT_TRUE(waitFor([&] {
            return docked() && area.contains(main()) && area.contains(titleStrip()) &&
                   area.contains(toolbar());
        })) << qPrintable(clip);
    }

    clickToolbar(kExit);
    expectEnded(0, 2000); // Exit takes 2 s at most
    // Volume and mute are kept for the next run: two steps down, muted.
    QFile settings(settingsFile);
    ASSERT_TRUE(settings.open(QIODevice::ReadOnly));
    const QJsonObject kept = QJsonDocument::fromJson(settings.readAll()).object();
    EXPECT_EQ(kept.value(u"volume"_s).toInt(), 90);
    EXPECT_TRUE(kept.value(u"muted"_s).toBool());
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

TEST(CommandLineE2ETest, HelpVersionAndUnknownOptionsAnswerWithoutADisplay) {
    QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
    environment.remove(u"DISPLAY"_s);
    environment.remove(u"WAYLAND_DISPLAY"_s);
    // The option, the exit status, the start of what it writes, and where.
    const std::tuple<const char*, int, QByteArray, QProcess::ProcessChannel> cases[] = {
        {"--help", 0, "Usage: quarn-media-player", QProcess::StandardOutput},
        {"--version", 0, "QUARN Media Player 1.0.0\n", QProcess::StandardOutput},
        {"--shuffle", 2,
         "quarn-media-player: unknown option --shuffle\n\nUsage:", QProcess::StandardError}};
    for (const auto& [option, status, text, channel] : cases) {
        QProcess process;
        process.setProcessEnvironment(environment);
        process.start(quarn::e2e::PlayerWindows::kProgram, {QString::fromLatin1(option)});
        ASSERT_TRUE(process.waitForFinished(10000)) << option;
        EXPECT_EQ(process.exitStatus(), QProcess::NormalExit) << option;
        EXPECT_EQ(process.exitCode(), status) << option;
        process.setReadChannel(channel);
        EXPECT_TRUE(process.readAll().startsWith(text)) << option;
        process.setReadChannel(QProcess::ProcessChannel(1 - channel));
        EXPECT_TRUE(process.readAll().isEmpty()) << option << " writes to the other channel too";
    }
}

#include "DesktopE2ETest.moc"
