// Whole sessions with the real program and the engine settings it ships with:
// many files in one run, ends, replays and refusals, and the program still
// whole (alive, its windows on the screen, a clean exit) at the end.
#include "support/MediaFixtures.h"
#include "support/PlayerDriver.h"

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
