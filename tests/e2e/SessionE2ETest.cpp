// Whole sessions with the real program and the engine settings it ships with:
// many files in one run, ends, replays and refusals, and the program still
// whole (alive, its windows on the screen, a clean exit) at the end.
#include "support/MediaFixtures.h"
#include "support/PlayerDriver.h"

#include <QFile>
#include <QJsonDocument>
#include <QJsonObject>
#include <QThread>

using quarn::e2e::XSession;
namespace media = quarn::test::media;

namespace {

class SessionE2ETest : public quarn::e2e::PlayerDriver {
protected:
    // Every one of the player's windows lies wholly on the screen.
    bool allOnScreen() {
        const QRect area(QPoint(0, 0), screen);
        return area.contains(main()) && area.contains(titleStrip()) && area.contains(toolbar());
    }

    // Waits for the main window to take a new size for a video, then for the
    // group to settle.
    bool refitted(QSize before) {
        return XSession::waitUntil(
            [&] { return main().size() != before && main().size() != kMainWithoutVideo; }, 8000);
    }

    // The program ended by itself, with status 0, and told of no X trouble.
    void expectCleanExit() {
        ASSERT_TRUE(XSession::waitUntil([&] { return playerEnded(); }, 2000))
            << "Exit takes 2 s at most";
        EXPECT_EQ(player->exitStatus(), QProcess::NormalExit);
        EXPECT_EQ(player->exitCode(), 0);
        const QString log = session->output(player);
        for (const char* trouble : {"X Error", "XIO", "X11 connection broke", "Segmentation"}) {
            EXPECT_FALSE(log.contains(QLatin1String(trouble))) << qPrintable(log);
        }
    }
};

} // namespace

TEST_F(SessionE2ETest, EndsReplaysRefusalsAndOddSizesInOneRunLeaveThePlayerWhole) {
    XSession::Options options;
    options.screen = QSize(1920, 1080);
    startSession(options);
    const QString shortClip = media::Pattern(320, 240, 25, 3);
    ASSERT_NO_FATAL_FAILURE(startPlayer({QStringLiteral("--"), shortClip}));
    const QSize fitted = fittedAround({320, 240});
    ASSERT_TRUE(XSession::waitUntil([&] { return main().size() == fitted; }, 8000))
        << qPrintable(describeWindows());

    // It plays to its end; Play shows it again, moving.
    ASSERT_TRUE(XSession::waitUntil([&] { return main().size() == kMainWithoutVideo; }, 10000))
        << "the clip did not end";
    clickToolbar(kPlay);
    ASSERT_TRUE(XSession::waitUntil([&] { return main().size() == fitted; }, 5000))
        << "Play after the end: " << qPrintable(describeWindows());
    EXPECT_TRUE(pictureMoves()) << "Play after the end shows no moving picture";

    // A file that cannot be played, opened while another clip plays: the box,
    // and the clip goes on.
    ASSERT_NO_FATAL_FAILURE(open(media::Pattern(320, 240, 25, 30)));
    ASSERT_TRUE(pictureMoves(5000));
    ASSERT_NO_FATAL_FAILURE(open(media::TextFile()));
    const auto box = session->waitForWindow(QStringLiteral("Playback Error"), 10000);
    ASSERT_TRUE(box) << "no message";
    session->key(QStringLiteral("Return"));
    ASSERT_TRUE(XSession::waitUntil([&] { return !session->isViewable(*box); }, 3000));
    QThread::msleep(4000);
    ASSERT_FALSE(playerEnded()) << qPrintable(session->output(player));
    EXPECT_TRUE(pictureMoves()) << "the clip stopped after the refusal";

    // A clip of two pictures a second: the time follows it.
    ASSERT_NO_FATAL_FAILURE(open(media::Pattern(320, 240, 2, 8)));
    const QRect time = kTimeLabel.translated(toolbar().topLeft());
    for (int change = 0; change < 3; ++change) {
        const QImage before = grab(time);
        EXPECT_TRUE(XSession::waitUntil([&] { return grab(time) != before; }, 3000))
            << "the time stands still at change " << change;
    }

    // Large, tall and very large videos: the group stays on the screen.
    for (const QString& clip : {media::Pattern(768, 576, 25, 3), media::Pattern(720, 1280, 25, 3),
                                media::Pattern(3840, 2160, 25, 2)}) {
        const QSize before = main().size();
        ASSERT_NO_FATAL_FAILURE(open(clip));
        ASSERT_TRUE(refitted(before)) << qPrintable(clip);
        EXPECT_TRUE(XSession::waitUntil([&] { return docked() && allOnScreen(); }, 3000))
            << qPrintable(clip) << ": " << qPrintable(describeWindows());
    }

    // One more, then Exit.
    ASSERT_NO_FATAL_FAILURE(open(shortClip));
    EXPECT_TRUE(XSession::waitUntil([&] { return main().size() == fitted; }, 5000));
    ASSERT_FALSE(playerEnded()) << qPrintable(session->output(player));
    clickToolbar(kExit);
    expectCleanExit();
}

TEST_F(SessionE2ETest, KeysTheWheelFullScreenZoomAndAQueueOfTwoFiles) {
    startSession();
    const QString first = media::Pattern(320, 240, 25, 8);
    const QString second = media::Pattern(480, 270, 25, 3);
    ASSERT_NO_FATAL_FAILURE(startPlayer({QStringLiteral("--"), first, second}));
    const QSize firstSize = fittedAround({320, 240});
    ASSERT_TRUE(XSession::waitUntil([&] { return main().size() == firstSize; }, 8000));
    const QRect time = kTimeLabel.translated(toolbar().topLeft());
    auto stillFor = [&](int ms) {
        const QImage picture = grab(videoArea());
        const QImage clock = grab(time);
        QThread::msleep(ms);
        return grab(videoArea()) == picture && grab(time) == clock;
    };

    // Space pauses: picture and time stand still; Space again plays on.
    QThread::msleep(1200);
    session->key(QStringLiteral("space"));
    QThread::msleep(300);
    EXPECT_TRUE(stillFor(800)) << "paused";
    // Seeking shows in the time label: five seconds on, and back.
    const QImage paused = grab(time);
    session->key(QStringLiteral("Right"));
    EXPECT_TRUE(XSession::waitUntil([&] { return grab(time) != paused; }, 2000)) << "Right";
    session->key(QStringLiteral("Left"));
    EXPECT_TRUE(XSession::waitUntil([&] { return grab(time) == paused; }, 2000)) << "Left";
    // The volume shows in the time label for a moment, then the time again;
    // muted, with the mute mark beside it for as long as it lasts.
    session->key(QStringLiteral("Down"));
    EXPECT_TRUE(XSession::waitUntil([&] { return grab(time) != paused; }, 1000));
    EXPECT_TRUE(XSession::waitUntil([&] { return grab(time) == paused; }, 3000));
    const QRect mark(time.topRight() - QPoint(11, 0), QSize(12, time.height()));
    const QImage noMark = grab(mark);
    session->key(QStringLiteral("m"));
    QThread::msleep(1800); // past the notice
    EXPECT_NE(grab(mark), noMark) << "no mute mark";
    session->click(videoArea().center(), 5); // the wheel down over the video
    session->key(QStringLiteral("m"));
    EXPECT_TRUE(XSession::waitUntil([&] { return grab(time) == paused; }, 3000)) << "unmuted";
    session->key(QStringLiteral("m"));
    // Up over the seek bar (below the video, above the window's bottom margin): 5 s on.
    session->click(QPoint(main().center().x(), main().bottom() - 16), 4);
    EXPECT_TRUE(XSession::waitUntil([&] { return grab(time) != paused; }, 2000)) << "wheel";
    session->key(QStringLiteral("space"));
    EXPECT_TRUE(pictureMoves()) << "playing again";

    // Half, double and normal size.
    const std::pair<const char*, QSize> zooms[] = {
        {"3", {640, 480}}, {"1", {160, 120}}, {"2", {320, 240}}};
    for (const auto& [key, video] : zooms) {
        session->key(QString::fromLatin1(key));
        EXPECT_TRUE(XSession::waitUntil([&] { return main().size() == fittedAround(video); }, 3000))
            << key << ": " << qPrintable(describeWindows());
    }

    // Full screen and back, by key and by a double click on the video.
    ASSERT_TRUE(XSession::waitUntil([&] { return docked(); }, 3000));
    const QRect before = main();
    for (int way = 0; way < 2; ++way) {
        if (way == 0) {
            session->key(QStringLiteral("f"));
        } else {
            session->moveMouse(videoArea().center());
            QProcess click;
            click.setProcessEnvironment(session->environment());
            click.start(QStringLiteral("xdotool"),
                        {QStringLiteral("click"), QStringLiteral("--repeat"), QStringLiteral("2"),
                         QStringLiteral("--delay"), QStringLiteral("80"), QStringLiteral("1")});
            click.waitForFinished(5000);
        }
        EXPECT_TRUE(XSession::waitUntil(
            [&] { return main() == QRect(QPoint(0, 0), screen) && !viewable(kFormCaption); }, 3000))
            << "way " << way << ": " << qPrintable(describeWindows());
        session->saveScreenshot(QStringLiteral("player-full-screen"));
        session->key(QStringLiteral("Escape"));
        EXPECT_TRUE(XSession::waitUntil([&] { return main() == before && docked(); }, 3000))
            << "way " << way << ": " << qPrintable(describeWindows());
    }

    // Ctrl+O opens the dialog; Escape closes it.
    session->key(QStringLiteral("ctrl+o"));
    const auto dialog = session->waitForWindow(QStringLiteral("Open"), 5000);
    ASSERT_TRUE(dialog);
    session->key(QStringLiteral("Escape"));
    ASSERT_TRUE(XSession::waitUntil([&] { return !session->isViewable(*dialog); }, 3000));

    // N and P move through the queue; at the first file's end the second plays,
    // and only after the second's end does the player rest.
    const QSize secondSize = fittedAround({480, 270});
    session->key(QStringLiteral("n"));
    EXPECT_TRUE(XSession::waitUntil([&] { return main().size() == secondSize; }, 5000));
    session->key(QStringLiteral("p"));
    EXPECT_TRUE(XSession::waitUntil([&] { return main().size() == firstSize; }, 5000));
    session->key(QStringLiteral("shift+Right"));
    EXPECT_TRUE(XSession::waitUntil([&] { return main().size() == secondSize; }, 5000));
    EXPECT_TRUE(XSession::waitUntil([&] { return atRest(); }, 8000));

    clickToolbar(kExit);
    expectCleanExit();
    // Volume and mute are kept for the next run: two steps down, muted.
    QFile settings(session->environment().value(QStringLiteral("XDG_CONFIG_HOME")) +
                   QStringLiteral("/quarn-media-player/settings.json"));
    ASSERT_TRUE(settings.open(QIODevice::ReadOnly));
    const QJsonObject kept = QJsonDocument::fromJson(settings.readAll()).object();
    EXPECT_EQ(kept.value(QStringLiteral("volume")).toInt(), 90);
    EXPECT_TRUE(kept.value(QStringLiteral("muted")).toBool());
}

TEST(CommandLineE2ETest, HelpVersionAndUnknownOptionsAnswerWithoutADisplay) {
    QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
    environment.remove(QStringLiteral("DISPLAY"));
    environment.remove(QStringLiteral("WAYLAND_DISPLAY"));
    auto run = [&](const QString& argument) {
        auto process = std::make_unique<QProcess>();
        process->setProcessEnvironment(environment);
        process->start(quarn::e2e::PlayerWindows::kProgram, {argument});
        process->waitForFinished(10000);
        return process;
    };
    const auto help = run(QStringLiteral("--help"));
    EXPECT_EQ(help->exitStatus(), QProcess::NormalExit);
    EXPECT_EQ(help->exitCode(), 0);
    EXPECT_TRUE(help->readAllStandardOutput().startsWith("Usage: quarn-media-player"));
    const auto version = run(QStringLiteral("--version"));
    EXPECT_EQ(version->exitCode(), 0);
    EXPECT_EQ(version->readAllStandardOutput(), "QUARN Media Player 1.0.0\n");
    const auto unknown = run(QStringLiteral("--shuffle"));
    EXPECT_EQ(unknown->exitStatus(), QProcess::NormalExit);
    EXPECT_EQ(unknown->exitCode(), 2);
    const QByteArray complaint = unknown->readAllStandardError();
    EXPECT_TRUE(complaint.contains("unknown option --shuffle")) << complaint.toStdString();
    EXPECT_TRUE(complaint.contains("Usage:"));
    EXPECT_TRUE(unknown->readAllStandardOutput().isEmpty());
}
