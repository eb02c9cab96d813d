// The player's main road on a private desktop, driven like a user: Open, the
// seek bar, Stop and Exit on the toolbar; the skins' outlines; dragging; and
// the screen saver held off while something plays.

#include "support/MediaFixtures.h"
#include "support/PlayerDriver.h"
#include "support/PrivateBus.h"

#include <QThread>

using quarn::e2e::XSession;
namespace media = quarn::test::media;

namespace {

const QColor kDesktop(0x30, 0xD0, 0x60); // a green that appears nowhere in the skins

bool near(QRgb a, QRgb b, int tolerance = 40) {
    return std::abs(qRed(a) - qRed(b)) <= tolerance &&
           std::abs(qGreen(a) - qGreen(b)) <= tolerance &&
           std::abs(qBlue(a) - qBlue(b)) <= tolerance;
}

class PlayerE2ETest : public quarn::e2e::PlayerDriver {
protected:
    void SetUp() override {
        startSession();
        session->setDesktopBackground(kDesktop);
    }

    // The colour the screen shows in the middle of the video's top or bottom half.
    QRgb videoPixel(bool top = true) {
        return session->screenshot().pixel(main().topLeft() + QPoint(168, top ? 68 : 188));
    }
};

} // namespace

TEST_F(PlayerE2ETest, TheWindowsAreCutToTheirSkinsDraggedByAnyButtonAndOnlyTheMainOneCloses) {
    ASSERT_NO_FATAL_FAILURE(startPlayer());
    const QRect bar = toolbar();
    const QRect strip = titleStrip();
    ASSERT_TRUE(XSession::waitUntil(
        [&] {
            return session->screenshot().pixel(bar.topLeft() + QPoint(10, 4)) != kDesktop.rgb();
        },
        3000));
    const QImage shot = session->screenshot();
    // The corners are cut away: the desktop shows through.
    EXPECT_EQ(shot.pixel(bar.topLeft()), kDesktop.rgb());
    EXPECT_EQ(shot.pixel(bar.topRight()), kDesktop.rgb());
    EXPECT_EQ(shot.pixel(strip.topLeft()), kDesktop.rgb());
    EXPECT_EQ(shot.pixel(strip.bottomRight()), kDesktop.rgb());
    // Inside the outline the skin is drawn: the toolbar's frame colour.
    EXPECT_EQ(shot.pixel(bar.topLeft() + QPoint(10, 4)), qRgb(88, 149, 193));
    EXPECT_NE(shot.pixel(strip.center()), kDesktop.rgb());
    session->saveScreenshot(QStringLiteral("player-windows-outlines"));

    // A drag of the main window's margin or of the title strip, with either
    // button, moves the whole group while the button is still down.
    for (const bool onStrip : {false, true}) {
        for (const int button : {1, 3}) {
            const QRect from = main();
            const QPoint grip =
                onStrip ? titleStrip().topLeft() + QPoint(60, 20) : from.topLeft() + QPoint(3, 3);
            const QPoint by(button == 1 ? 200 : -200, 0);
            session->moveMouse(grip);
            session->mouseDown(button);
            session->moveMouse(grip + by / 2);
            session->moveMouse(grip + by);
            const QString what =
                QStringLiteral("%1 button %2").arg(onStrip ? "strip" : "main").arg(button);
            EXPECT_TRUE(XSession::waitUntil(
                [&] { return main().topLeft() == from.topLeft() + by && docked(); }, 2000))
                << qPrintable(what) << ": " << qPrintable(describeWindows());
            session->mouseUp(button);
            // It stays put once the button is up.
            session->moveMouse(grip + QPoint(40, 40));
            QThread::msleep(150);
            EXPECT_EQ(main().topLeft(), from.topLeft() + by) << qPrintable(what);
            EXPECT_TRUE(docked()) << qPrintable(what);
            EXPECT_FALSE(session->pointerGrabbed()) << qPrintable(what);
        }
    }

    // A quick click on the margin leaves the window where it is.
    const QRect before = main();
    const QPoint grip = before.topLeft() + QPoint(3, 3);
    QProcess xdotool;
    xdotool.setProcessEnvironment(session->environment());
    auto xdo = [&](const QStringList& args) {
        xdotool.start(QStringLiteral("xdotool"), args);
        return xdotool.waitForFinished(5000);
    };
    for (int i = 0; i < 3; ++i) {
        ASSERT_TRUE(xdo({"mousemove", QString::number(grip.x()), QString::number(grip.y()),
                         "mousedown", "1", "mouseup", "1"}));
    }
    session->moveMouse(grip + QPoint(80, 60));
    session->moveMouse(grip + QPoint(120, 90));
    QThread::msleep(200);
    EXPECT_EQ(main().topLeft(), before.topLeft());

    // A resize from outside is undone: the window's size is the video's.
    ASSERT_TRUE(xdo({"windowsize", QString::number(windows.main), "400", "300"}));
    EXPECT_TRUE(XSession::waitUntil([&] { return main() == before && docked(); }, 500))
        << qPrintable(describeWindows());

    // Play's tool tip shows while the main window is the active one, just as
    // it does on the active toolbar.
    auto tipOf = [&](QPoint button) {
        session->moveMouse(toolbarButton(button) + QPoint(0, 30));
        QThread::msleep(100);
        const QImage without = session->screenshot();
        session->moveMouse(toolbarButton(button));
        QImage tip;
        XSession::waitUntil(
            [&] {
                const QImage now = session->screenshot();
                const QRect below(toolbarButton(button) + QPoint(-40, 8), QSize(160, 50));
                if (now.copy(below) == without.copy(below)) {
                    return false;
                }
                tip = now.copy(below);
                return true;
            },
            3000);
        return tip;
    };
    session->click(before.topLeft() + QPoint(3, 3)); // the main window is active
    ASSERT_EQ(session->activeWindow(), windows.main);
    const QImage inactiveTip = tipOf(kPlay);
    EXPECT_FALSE(inactiveTip.isNull()) << "no tool tip over Play on the inactive toolbar";
    session->click(toolbarButton(kPlay) + QPoint(60, 0)); // now the toolbar is
    const QImage activeTip = tipOf(kPlay);
    EXPECT_EQ(inactiveTip, activeTip);
    EXPECT_NE(tipOf(kPause), activeTip);

    // The desktop's close button leaves the companions be; on the main window it ends the program.
    session->closeWindow(windows.titleStrip);
    session->closeWindow(windows.toolbar);
    QThread::msleep(300);
    EXPECT_TRUE(viewable(kFormCaption, kTitleStripSize) && viewable(kFormCaption, kToolbarSize))
        << "a companion went away";
    session->closeWindow(windows.main);
    ASSERT_TRUE(XSession::waitUntil([&] { return playerEnded(); }, 5000));
    EXPECT_EQ(howItEnded(), QStringLiteral("exit status 0"));
}

TEST_F(PlayerE2ETest, OpenPlaysTheChosenFileAndTheSeekBarSeeks) {
    ASSERT_NO_FATAL_FAILURE(startPlayer());
    const QImage idleTime = grab(kTimeLabel.translated(toolbar().topLeft()));
    ASSERT_NO_FATAL_FAILURE(open(media::ColourStepsClip()));

    // It plays: red first, in a window fitted to the video, with the
    // companions docked and the time and title running.
    ASSERT_TRUE(XSession::waitUntil(
        [&] {
            return main().size() == fittedAround({320, 240});
        },
        5000));
    ASSERT_TRUE(
        XSession::waitUntil([&] { return near(videoPixel(), media::kStepColours[0]); }, 5000));
    ASSERT_TRUE(XSession::waitUntil([&] { return docked(); }, 2000));
    // The margins show the background tile, not the video.
    EXPECT_FALSE(near(session->screenshot().pixel(main().topLeft() + QPoint(3, 100)),
                      media::kStepColours[0]));
    const QRect timeLabel = kTimeLabel.translated(toolbar().topLeft());
    const QImage firstTime = grab(timeLabel);
    EXPECT_NE(firstTime, idleTime);
    EXPECT_TRUE(XSession::waitUntil([&] { return grab(timeLabel) != firstTime; }, 3000))
        << "the time does not run";
    const QRect titleText = QRect(9, 12, 225, 15).translated(titleStrip().topLeft());
    const QImage title = grab(titleText);
    EXPECT_TRUE(XSession::waitUntil([&] { return grab(titleText) != title; }, 2000))
        << "the title does not scroll";
    session->saveScreenshot(QStringLiteral("player-opened"));

    // Dragging the seek bar's thumb to three quarters seeks into the blue part.
    const QRect bar(main().topLeft() + QPoint(8, 253), QSize(320, 9));
    const QImage shot = session->screenshot();
    int thumb = -1;
    for (int x = bar.left() + 10; x < bar.right() - 10 && thumb < 0; ++x) {
        if (near(shot.pixel(x, bar.center().y()), qRgb(0x58, 0x95, 0xC1), 30)) {
            thumb = x;
        }
    }
    ASSERT_GE(thumb, 0) << "no thumb on the seek bar";
    session->drag({thumb + 3, bar.center().y()}, {bar.left() + 9 + 302 * 3 / 4, bar.center().y()});
    EXPECT_TRUE(
        XSession::waitUntil([&] { return near(videoPixel(), media::kStepColours[2]); }, 5000))
        << "the video did not follow the seek bar";

    // Stop holds the picture; Play goes on from the start.
    clickToolbar(kStop);
    EXPECT_TRUE(
        XSession::waitUntil([&] { return near(videoPixel(), media::kStepColours[0]); }, 5000));
    const QImage stopped = grab(main());
    QThread::msleep(600);
    EXPECT_EQ(grab(main()), stopped);
}

// The screen saver, as the desktop's service on the session bus sees it.
TEST_F(PlayerE2ETest, TheScreenSaverIsHeldOffWhilePlayingAndReleasedAfter) {
    quarn::test::ScreenSaverStandIn standIn(session->busAddress());
    ASSERT_NO_FATAL_FAILURE(startPlayer({QStringLiteral("--"), media::AudioClip()}));
    ASSERT_TRUE(XSession::waitUntil([&] { return standIn.inhibitions() == 1; }, 5000));
    clickToolbar(kPlay);
    clickToolbar(kPause);
    clickToolbar(kPlay);
    EXPECT_EQ(standIn.inhibitions(), 1); // one hold, however often it is asked
    clickToolbar(kStop);
    EXPECT_TRUE(XSession::waitUntil([&] { return standIn.inhibitions() == 0; }, 3000));
    clickToolbar(kPlay);
    EXPECT_TRUE(XSession::waitUntil([&] { return standIn.inhibitions() == 1; }, 3000));
    // The end of the media lets the screen saver come back.
    EXPECT_TRUE(XSession::waitUntil([&] { return standIn.inhibitions() == 0; }, 8000));
    clickToolbar(kPlay);
    ASSERT_TRUE(XSession::waitUntil([&] { return standIn.inhibitions() == 1; }, 3000));
    // However the program ends, its hold ends with it.
    player->kill();
    EXPECT_TRUE(XSession::waitUntil([&] { return standIn.inhibitions() == 0; }, 3000));
}

TEST_F(PlayerE2ETest, TheOpenDialogTakesAnyNameAndTheRestOfThePlayerWorksWhileItIsUp) {
    ASSERT_NO_FATAL_FAILURE(startPlayer({QStringLiteral("--"), media::Pattern(320, 240, 25, 30)}));
    ASSERT_TRUE(XSession::waitUntil(
        [&] {
            return main().size() == fittedAround({320, 240});
        },
        5000));
    ASSERT_TRUE(pictureMoves(5000));
    clickToolbar(kOpen);
    const auto dialog = session->waitForWindow(QStringLiteral("Open"), 10000);
    ASSERT_TRUE(dialog);
    // The toolbar works meanwhile: Pause holds the picture.
    clickToolbar(kPause);
    QThread::msleep(300);
    EXPECT_FALSE(pictureMoves(800)) << "Pause while the dialog is up";
    // Open again brings the same dialog forward, not a second one.
    clickToolbar(kOpen);
    EXPECT_TRUE(XSession::waitUntil([&] { return session->activeWindow() == *dialog; }, 3000));
    QThread::msleep(300);
    int dialogs = 0;
    for (quint64 window : session->windows(QStringLiteral("Open"))) {
        dialogs += session->isViewable(window) ? 1 : 0;
    }
    EXPECT_EQ(dialogs, 1);
    // A name of a file that does not exist goes through, and the engine refuses it.
    session->type(QStringLiteral("/no/such/film.mp4"));
    session->key(QStringLiteral("Return"));
    const auto box = session->waitForWindow(QStringLiteral("Playback Error"), 5000);
    ASSERT_TRUE(box) << "no refusal";
    session->key(QStringLiteral("Return"));
    ASSERT_TRUE(XSession::waitUntil([&] { return !session->isViewable(*box); }, 3000));

    // Exit works while the dialog is up.
    clickToolbar(kOpen);
    ASSERT_TRUE(session->waitForWindow(QStringLiteral("Open"), 10000));
    clickToolbar(kExit);
    ASSERT_TRUE(XSession::waitUntil([&] { return playerEnded(); }, 3000));
    EXPECT_EQ(player->exitStatus(), QProcess::NormalExit);
    EXPECT_EQ(player->exitCode(), 0);
}
