// The player's main road on a private desktop, driven like a user: a clip
// given on the command line plays in the main window; Open, the seek bar,
// Stop and Exit on the toolbar; the skins' outlines; dragging; and the
// screen saver held off while something plays.

#include "common/Twips.h"
#include "support/MediaFixtures.h"
#include "support/PrivateBus.h"
#include "support/XSession.h"

#include <QProcess>
#include <QThread>
#include <gtest/gtest.h>

#include <memory>
#include <optional>

using quarn::e2e::XSession;
namespace media = quarn::test::media;

namespace {

const QString kProgram = QStringLiteral(QUARN_PROGRAM_PATH);
const QString kMainCaption = QStringLiteral("QUARN Media Player");

// Toolbar buttons, as pixels inside the toolbar (their centres).
const QPoint kPlay(24 + 8, 8 + 10);
const QPoint kPause(40 + 8, 8 + 10);
const QPoint kStop(56 + 8, 8 + 10);
const QPoint kOpen(168 + 8, 8 + 10);
const QPoint kExit(200 + 8, 8 + 10);
const QRect kTimeLabel(80, 12, 81, 17);

const QColor kDesktop(0x30, 0xD0, 0x60); // a green that appears nowhere in the skins

bool near(QRgb a, QRgb b, int tolerance = 40) {
    return std::abs(qRed(a) - qRed(b)) <= tolerance &&
           std::abs(qGreen(a) - qGreen(b)) <= tolerance &&
           std::abs(qBlue(a) - qBlue(b)) <= tolerance;
}

class PlayerE2ETest : public ::testing::Test {
protected:
    void SetUp() override {
        session = std::make_unique<XSession>();
        session->setDesktopBackground(kDesktop);
    }

    void TearDown() override {
        if (HasFailure() && session) {
            const QString name =
                QString::fromUtf8(::testing::UnitTest::GetInstance()->current_test_info()->name());
            std::printf("screenshot: %s\nplayer log: %s\n",
                        qPrintable(session->saveScreenshot(QStringLiteral("player-") + name)),
                        qPrintable(player ? session->logFile(player) : QString()));
        }
    }

    // Starts the player, skips its intro with a click and waits for its windows.
    void startPlayer(const QStringList& args = {}) {
        player = session->start(kProgram, args);
        const auto intro = session->waitForWindow(QStringLiteral("Intro"), 15000);
        ASSERT_TRUE(intro) << qPrintable(session->output(player));
        session->click(session->geometry(*intro).topLeft() + QPoint(30, 30));
        const auto found = session->waitForWindow(kMainCaption, 10000);
        ASSERT_TRUE(found) << qPrintable(session->output(player));
        mainWindow = *found;
        ASSERT_TRUE(XSession::waitUntil([&] { return toolbar() && titleStrip(); }, 5000));
    }

    QRect main() { return session->geometry(mainWindow); }

    // The companions are both captioned "Form1"; their sizes tell them apart.
    std::optional<QRect> companion(QSize size) {
        for (quint64 window : session->windows(QStringLiteral("Form1"))) {
            const QRect at = session->geometry(window);
            if (session->isViewable(window) && at.size() == size) {
                return at;
            }
        }
        return std::nullopt;
    }
    std::optional<QRect> toolbar() { return companion({244, 46}); }
    std::optional<QRect> titleStrip() { return companion({244, 39}); }

    void clickToolbar(QPoint button) { session->click(toolbar()->topLeft() + button); }

    // Where the companions belong next to the main window.
    QPoint titleDock() {
        const QRect m = main();
        return {quarn::twipsToPixels(m.width() * 15 / 2.0 - 1850 + m.x() * 15), m.y() - 40};
    }
    QPoint toolbarDock() { return {titleDock().x(), main().bottom() + 1 + 2}; }
    bool docked() {
        return toolbar() && titleStrip() && titleStrip()->topLeft() == titleDock() &&
               toolbar()->topLeft() == toolbarDock();
    }

    // The colour the screen shows in the middle of the video's top or bottom half.
    QRgb videoPixel(bool top) {
        const QRect m = main();
        const QImage shot = session->screenshot();
        return shot.pixel(m.topLeft() + QPoint(8 + 160, 8 + (top ? 60 : 180)));
    }

    QImage grab(const QRect& area) { return session->screenshot().copy(area); }

    bool playerEnded() { return player->state() == QProcess::NotRunning; }

    std::unique_ptr<XSession> session;
    QProcess* player = nullptr;
    quint64 mainWindow = 0;
};

} // namespace

TEST_F(PlayerE2ETest, AClipGivenAtStartPlaysInsideTheVideoArea) {
    startPlayer({QStringLiteral("--"), media::VideoClip()});
    // The window fits the 320 x 240 video: 4800 + 200 by 3600 + 500 twips.
    ASSERT_TRUE(XSession::waitUntil([&] { return main().size() == QSize(333, 273); }, 5000))
        << main().width() << "x" << main().height();
    ASSERT_TRUE(XSession::waitUntil(
        [&] {
            return near(videoPixel(true), media::kTopColour) &&
                   near(videoPixel(false), media::kBottomColour);
        },
        5000));
    // The margins show the background tile, not the video.
    const QImage shot = session->screenshot();
    EXPECT_FALSE(near(shot.pixel(main().topLeft() + QPoint(3, 100)), media::kTopColour));
    EXPECT_TRUE(XSession::waitUntil([&] { return docked(); }, 2000));
    session->saveScreenshot(QStringLiteral("player-playing-clip"));
}

TEST_F(PlayerE2ETest, TheSkinsCutTheToolbarAndTitleStripToTheirOutlines) {
    startPlayer();
    const QRect bar = *toolbar();
    const QRect strip = *titleStrip();
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
}

TEST_F(PlayerE2ETest, DraggingTheMarginMovesTheWindowAndTheCompanionsFollow) {
    startPlayer();
    for (int button : {1, 3}) {
        const QRect before = main();
        const QPoint grip = before.topLeft() + QPoint(3, 3);
        session->drag(grip, grip + QPoint(-60, 45), button);
        ASSERT_TRUE(XSession::waitUntil(
            [&] { return main().topLeft() == before.topLeft() + QPoint(-60, 45); }, 3000))
            << "button " << button << ": at " << main().x() << "," << main().y() << " from "
            << before.x() << "," << before.y();
        EXPECT_TRUE(XSession::waitUntil([&] { return docked(); }, 2000)) << "button " << button;
        // The window stays put once the button is up.
        session->moveMouse(grip + QPoint(40, 40));
        QThread::msleep(150);
        EXPECT_EQ(main().topLeft(), before.topLeft() + QPoint(-60, 45)) << "button " << button;
    }
}

TEST_F(PlayerE2ETest, AQuickClickOnTheMarginLeavesTheWindowWhereItIs) {
    startPlayer();
    const QRect before = main();
    const QPoint grip = before.topLeft() + QPoint(3, 3);
    // Press and release in one go, faster than a window manager takes the pointer.
    QProcess xdotool;
    xdotool.setProcessEnvironment(session->environment());
    for (int i = 0; i < 3; ++i) {
        xdotool.start(QStringLiteral("xdotool"),
                      {QStringLiteral("mousemove"), QString::number(grip.x()),
                       QString::number(grip.y()), QStringLiteral("mousedown"), QStringLiteral("1"),
                       QStringLiteral("mouseup"), QStringLiteral("1")});
        ASSERT_TRUE(xdotool.waitForFinished(5000));
    }
    QThread::msleep(200);
    session->moveMouse(grip + QPoint(80, 60));
    session->moveMouse(grip + QPoint(120, 90));
    QThread::msleep(200);
    EXPECT_EQ(main().topLeft(), before.topLeft());
    EXPECT_FALSE(session->pointerGrabbed());
}

TEST_F(PlayerE2ETest, DraggingTheTitleStripMovesItUntilItIsDockedAgain) {
    startPlayer();
    ASSERT_TRUE(XSession::waitUntil([&] { return docked(); }, 2000));
    for (int button : {3, 1}) {
        const QPoint grip = titleStrip()->topLeft() + QPoint(60, 20);
        session->moveMouse(grip);
        session->mouseDown(button);
        bool movedAway = false;
        for (int step = 1; step <= 12 && !movedAway; ++step) {
            session->moveMouse(grip + QPoint(step * 6, step * 5));
            for (int look = 0; look < 20 && !movedAway; ++look) {
                movedAway = titleStrip() && titleStrip()->topLeft() != titleDock();
            }
        }
        session->mouseUp(button);
        EXPECT_TRUE(movedAway) << "button " << button;
        EXPECT_TRUE(XSession::waitUntil([&] { return docked(); }, 2000)) << "button " << button;
    }
}

TEST_F(PlayerE2ETest, OpenPlaysTheChosenFileAndTheSeekBarSeeks) {
    startPlayer();
    const QImage idleTime = grab(kTimeLabel.translated(toolbar()->topLeft()));
    clickToolbar(kOpen);
    const auto dialog = session->waitForWindow(QStringLiteral("Open"), 10000);
    ASSERT_TRUE(dialog) << "no Open dialog";
    QThread::msleep(300);
    session->type(media::ColourStepsClip());
    session->key(QStringLiteral("Return"));
    ASSERT_TRUE(XSession::waitUntil([&] { return !session->isViewable(*dialog); }, 5000));

    // It plays: red first, in a window fitted to the video, with the
    // companions docked and the time and title running.
    ASSERT_TRUE(XSession::waitUntil([&] { return main().size() == QSize(333, 273); }, 5000));
    ASSERT_TRUE(
        XSession::waitUntil([&] { return near(videoPixel(true), media::kStepColours[0]); }, 5000));
    ASSERT_TRUE(XSession::waitUntil([&] { return docked(); }, 2000));
    const QRect timeLabel = kTimeLabel.translated(toolbar()->topLeft());
    const QImage firstTime = grab(timeLabel);
    EXPECT_NE(firstTime, idleTime);
    EXPECT_TRUE(XSession::waitUntil([&] { return grab(timeLabel) != firstTime; }, 3000))
        << "the time does not run";
    const QRect titleText = QRect(9, 12, 225, 15).translated(titleStrip()->topLeft());
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
        XSession::waitUntil([&] { return near(videoPixel(true), media::kStepColours[2]); }, 5000))
        << "the video did not follow the seek bar";

    // Stop holds the picture; Play goes on from the start.
    clickToolbar(kStop);
    EXPECT_TRUE(
        XSession::waitUntil([&] { return near(videoPixel(true), media::kStepColours[0]); }, 5000));
    const QImage stopped = grab(main());
    QThread::msleep(600);
    EXPECT_EQ(grab(main()), stopped);

    // Exit ends the program.
    clickToolbar(kExit);
    EXPECT_TRUE(XSession::waitUntil([&] { return playerEnded(); }, 5000));
    EXPECT_EQ(player->exitStatus(), QProcess::NormalExit);
}

TEST_F(PlayerE2ETest, AFileThatCannotBePlayedIsReportedAndThePlayerGoesOn) {
    startPlayer({QStringLiteral("--"), media::VideoClip()});
    ASSERT_TRUE(XSession::waitUntil([&] { return main().size() == QSize(333, 273); }, 5000));
    clickToolbar(kOpen);
    const auto dialog = session->waitForWindow(QStringLiteral("Open"), 10000);
    ASSERT_TRUE(dialog);
    QThread::msleep(300);
    session->type(media::TextFile());
    session->key(QStringLiteral("Return"));
    const auto error = session->waitForWindow(QStringLiteral("Playback Error"), 10000);
    ASSERT_TRUE(error) << "no message";
    session->saveScreenshot(QStringLiteral("player-playback-error"));
    session->key(QStringLiteral("Return"));
    EXPECT_TRUE(XSession::waitUntil([&] { return !session->isViewable(*error); }, 3000));
    EXPECT_FALSE(playerEnded());
    // The program still answers: Play, then Exit.
    clickToolbar(kPlay);
    clickToolbar(kExit);
    EXPECT_TRUE(XSession::waitUntil([&] { return playerEnded(); }, 5000));
}

// The screen saver, as the desktop's service on the session bus sees it.
TEST_F(PlayerE2ETest, TheScreenSaverIsHeldOffWhilePlayingAndReleasedAfter) {
    quarn::test::ScreenSaverStandIn standIn(session->busAddress());
    startPlayer({QStringLiteral("--"), media::AudioClip()});
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

TEST_F(PlayerE2ETest, ClosingTheMainWindowFromTheDesktopEndsTheProgram) {
    startPlayer();
    for (quint64 companion : session->windows(QStringLiteral("Form1"))) {
        session->closeWindow(companion);
    }
    QThread::msleep(300);
    EXPECT_TRUE(toolbar() && titleStrip()) << "a companion went away";
    EXPECT_FALSE(playerEnded());
    session->closeWindow(mainWindow);
    EXPECT_TRUE(XSession::waitUntil([&] { return playerEnded(); }, 5000));
}
