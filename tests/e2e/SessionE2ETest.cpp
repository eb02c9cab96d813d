// A whole session with the real program and the engine settings it ships
// with: keys, the wheel, zoom and full screen, a queue that plays to its end,
// replays, refusals and videos of every size in one run, and the program
// still whole (alive, its windows on the screen, a clean exit, its volume
// kept) at the end; and the command line without a display.
#include "support/MediaFixtures.h"
#include "support/PlayerDriver.h"

#include <QFile>
#include <QJsonDocument>
#include <QJsonObject>
#include <QThread>

using namespace Qt::Literals::StringLiterals;

using quarn::e2e::XSession;
namespace media = quarn::test::media;

namespace {

class SessionE2ETest : public quarn::e2e::PlayerDriver {};

} // namespace

TEST_F(SessionE2ETest, KeysZoomFullScreenAQueueRefusalsAndEverySizeInOneRunLeaveThePlayerWhole) {
    XSession::Options options;
    options.screen = QSize(1920, 1080);
    options.trayHost = false;
    startSession(options);
    const QString first = media::Pattern(320, 240, 25, 8);
    const QString second = media::Pattern(480, 270, 25, 3);
    start({u"--"_s, first, second});
    const QSize firstSize = fittedAround({320, 240});
    ASSERT_TRUE(fits({320, 240}, 8000));
    // Without a tray host the main window is in the taskbar; the companions never are.
    const QString skip = u"_NET_WM_STATE_SKIP_TASKBAR"_s;
    EXPECT_FALSE(session->states(windows.main).contains(skip));
    EXPECT_TRUE(session->states(windows.toolbar).contains(skip));

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
        })) << "way "
            << way << ": " << qPrintable(describeWindows());
        session->key(u"Escape"_s);
        EXPECT_TRUE(waitFor([&] { return main() == before && docked(); }))
            << "way " << way << ": " << qPrintable(describeWindows());
    }

    // Ctrl+O opens the dialog; Escape closes it.
    session->key(u"ctrl+o"_s);
    const auto dialog = session->waitForWindow(u"Open"_s, 5000);
    ASSERT_TRUE(dialog);
    session->key(u"Escape"_s);
    ASSERT_TRUE(waitFor([&] { return !session->isViewable(*dialog); }));

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
    ASSERT_TRUE(waitFor([&] { return main().size() == secondSize; }, 5000))
        << "Play after the end: " << qPrintable(describeWindows());
    EXPECT_TRUE(pictureMoves()) << "Play after the end shows no moving picture";

    // A file that cannot be played, opened while another clip plays: the box,
    // and the clip goes on.
    open(media::Pattern(320, 240, 25, 30));
    ASSERT_TRUE(pictureMoves(5000));
    open(media::TextFile());
    ASSERT_TRUE(session->waitForWindow(kErrorCaption, 10000)) << "no message";
    ASSERT_TRUE(dismissBox());
    EXPECT_TRUE(holdsFor(2000, [&] { return running(); })) << qPrintable(session->output(player));
    EXPECT_TRUE(pictureMoves()) << "the clip stopped after the refusal";

    // A clip of two pictures a second: the time follows it.
    open(media::Pattern(320, 240, 2, 8));
    for (int change = 0; change < 3; ++change) {
        const QImage shown = grab(time);
        EXPECT_TRUE(waitFor([&] { return grab(time) != shown; })) << "the time stands, " << change;
    }

    // Large, tall and very large videos: the group stays on the screen.
    const QRect area(QPoint(0, 0), screen);
    for (const QString& clip : {media::Pattern(768, 576, 25, 3), media::Pattern(720, 1280, 25, 3),
                                media::Pattern(3840, 2160, 25, 2)}) {
        const QSize was = main().size();
        open(clip);
        ASSERT_TRUE(waitFor([&] { return main().size() != was && !atRest(); }, 8000))
            << qPrintable(clip);
        EXPECT_TRUE(waitFor([&] {
            return docked() && area.contains(main()) && area.contains(titleStrip()) &&
                   area.contains(toolbar());
        })) << qPrintable(clip)
            << ": " << qPrintable(describeWindows());
    }

    clickToolbar(kExit);
    expectEnded(0, 2000); // Exit takes 2 s at most
    // Volume and mute are kept for the next run: two steps down, muted.
    QFile settings(session->environment().value(u"XDG_CONFIG_HOME"_s) +
                   u"/quarn-media-player/settings.json"_s);
    ASSERT_TRUE(settings.open(QIODevice::ReadOnly));
    const QJsonObject kept = QJsonDocument::fromJson(settings.readAll()).object();
    EXPECT_EQ(kept.value(u"volume"_s).toInt(), 90);
    EXPECT_TRUE(kept.value(u"muted"_s).toBool());
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
