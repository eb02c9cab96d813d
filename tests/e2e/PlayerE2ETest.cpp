// The player's main road on a private desktop, driven like a user: the skins'
// outlines, dragging, tool tips, Open, the seek bar, Stop and Exit on the
// toolbar, the Open dialog while the rest goes on, and the screen saver held
// off while something plays.
#include "support/MediaFixtures.h"
#include "support/PlayerDriver.h"
#include "support/PrivateBus.h"

#include <QFileInfo>
#include <QThread>

using namespace Qt::Literals::StringLiterals;

using quarn::e2e::XSession;
namespace media = quarn::test::media;

namespace {

const QColor kDesktop(0x30, 0xD0, 0x60); // a green that appears nowhere in the skins
const QRgb kSkinFrame = qRgb(88, 149, 193);

class PlayerE2ETest : public quarn::e2e::PlayerDriver {
protected:
    // The colour the screen shows in the middle of the video's top half.
    QRgb videoPixel() { return session->screenshot().pixel(main().topLeft() + QPoint(168, 68)); }

    // The tool tip that shows below a toolbar button when the pointer comes to it.
    QImage tipOf(QPoint button) {
        session->moveMouse(toolbarButton(button) + QPoint(0, 30));
        const QRect below(toolbarButton(button) + QPoint(-40, 8), QSize(160, 50));
        const QImage without = grab(below);
        session->moveMouse(toolbarButton(button));
        QImage tip;
        waitFor([&] { return (tip = grab(below)) != without; });
        return tip == without ? QImage() : tip;
    }
};

} // namespace

TEST_F(PlayerE2ETest, TheWindowsTheToolbarTheSeekBarAndTheOpenDialogWorkAsTheUserExpects) {
    startSession();
    session->setDesktopBackground(kDesktop);
    quarn::test::ScreenSaverStandIn standIn(session->busAddress());
    start();

    // The windows are cut to their skins: the corners show the desktop,
    // inside the outline the skin is drawn (the toolbar's frame colour).
    const QRect bar = toolbar();
    const QRect strip = titleStrip();
    ASSERT_TRUE(waitFor([&] { return grab(bar).pixel(10, 4) != kDesktop.rgb(); }));
    const QImage shot = session->screenshot();
    for (const QPoint corner :
         {bar.topLeft(), bar.topRight(), strip.topLeft(), strip.bottomRight()}) {
        EXPECT_EQ(shot.pixel(corner), kDesktop.rgb()) << corner.x() << ", " << corner.y();
    }
    EXPECT_EQ(shot.pixel(bar.topLeft() + QPoint(10, 4)), kSkinFrame);
    EXPECT_NE(shot.pixel(strip.center()), kDesktop.rgb());

    // A drag of the main window's margin or of the title strip, with either
    // button, moves the whole group while the button is still down; it
    // stays put once the button is up.
    for (const bool onStrip : {false, true}) {
        for (const int button : {1, 3}) {
            const QRect from = main();
            const QPoint grip =
                onStrip ? titleStrip().topLeft() + QPoint(60, 20) : from.topLeft() + QPoint(3, 3);
            const QPoint by(button == 1 ? 200 : -200, 0);
            const QString what = u"%1 button %2"_s.arg(onStrip ? "strip" : "main").arg(button);
            session->moveMouse(grip);
            session->mouseDown(button);
            session->moveMouse(grip + by / 2);
            session->moveMouse(grip + by);
            EXPECT_TRUE(waitFor([&] {
                return main().topLeft() == from.topLeft() + by && docked();
            })) << qPrintable(what)
                << ": " << qPrintable(describeWindows());
            session->mouseUp(button);
            session->moveMouse(grip + QPoint(40, 40));
            EXPECT_TRUE(holdsFor(150, [&] { return main().topLeft() == from.topLeft() + by; }))
                << qPrintable(what);
            EXPECT_TRUE(docked()) << qPrintable(what);
            EXPECT_FALSE(session->pointerGrabbed()) << qPrintable(what);
        }
    }
    // Quick clicks on the margin leave the window where it is.
    const QRect before = main();
    const QPoint grip = before.topLeft() + QPoint(3, 3);
    session->clicks(grip, 3);
    session->moveMouse(grip + QPoint(80, 60));
    session->moveMouse(grip + QPoint(120, 90));
    EXPECT_TRUE(holdsFor(200, [&] { return main().topLeft() == before.topLeft(); }));
    // A resize from outside is undone: the window's size is the video's.
    session->resize(windows.main, {400, 300});
    EXPECT_TRUE(XSession::waitUntil([&] { return main() == before && docked(); }, 500))
        << qPrintable(describeWindows());

    // Play's tool tip shows while the main window is the active one, just as
    // it does on the active toolbar.
    session->click(grip);
    ASSERT_EQ(session->activeWindow(), windows.main);
    const QImage inactiveTip = tipOf(kPlay);
    EXPECT_FALSE(inactiveTip.isNull()) << "no tool tip over Play on the inactive toolbar";
    session->click(toolbarButton(kPlay) + QPoint(60, 0)); // now the toolbar is
    const QImage activeTip = tipOf(kPlay);
    EXPECT_EQ(inactiveTip, activeTip);
    EXPECT_NE(tipOf(kPause), activeTip);

    // The desktop's close button leaves the companions be.
    session->closeWindow(windows.titleStrip);
    session->closeWindow(windows.toolbar);
    EXPECT_TRUE(holdsFor(300, [&] {
        return viewable(kFormCaption, kTitleStripSize) && viewable(kFormCaption, kToolbarSize);
    })) << "a companion went away";

    // Open plays the chosen file: red first, in a window fitted to the
    // video, with the companions docked, the time and title running, and
    // the screen saver held off.
    const QImage idleTime = grab(timeLabel());
    open(media::ColourStepsClip());
    ASSERT_TRUE(fits({320, 240}));
    ASSERT_TRUE(waitFor([&] { return near(videoPixel(), media::kStepColours[0]); }, 5000));
    ASSERT_TRUE(waitFor([&] { return docked(); }));
    EXPECT_TRUE(waitFor([&] { return standIn.inhibitions() == 1; }));
    // The margins show the background tile, not the video.
    EXPECT_FALSE(near(session->screenshot().pixel(main().topLeft() + QPoint(3, 100)),
                      media::kStepColours[0]));
    const QImage firstTime = grab(timeLabel());
    EXPECT_NE(firstTime, idleTime);
    EXPECT_TRUE(waitFor([&] { return grab(timeLabel()) != firstTime; })) << "the time stands";
    const QRect titleText = QRect(9, 12, 225, 15).translated(titleStrip().topLeft());
    const QImage titleShown = grab(titleText);
    EXPECT_TRUE(waitFor([&] { return grab(titleText) != titleShown; })) << "the title stands";

    // Dragging the seek bar's thumb to three quarters seeks into the blue part.
    const QRect seekBar(main().topLeft() + QPoint(8, 253), QSize(320, 9));
    const QImage seekShot = session->screenshot();
    int thumb = -1;
    for (int x = seekBar.left() + 10; x < seekBar.right() - 10 && thumb < 0; ++x) {
        if (near(seekShot.pixel(x, seekBar.center().y()), kSkinFrame, 30)) {
            thumb = x;
        }
    }
    ASSERT_GE(thumb, 0) << "no thumb on the seek bar";
    session->drag({thumb + 3, seekBar.center().y()},
                  {seekBar.left() + 9 + 302 * 3 / 4, seekBar.center().y()});
    EXPECT_TRUE(waitFor([&] { return near(videoPixel(), media::kStepColours[2]); }, 5000))
        << "the video did not follow the seek bar";

    // Stop holds the picture at the start and lets the screen saver come
    // back; Play holds it off again, once however often it is asked.
    clickToolbar(kStop);
    EXPECT_TRUE(waitFor([&] { return near(videoPixel(), media::kStepColours[0]); }, 5000));
    const QImage stopped = grab(main());
    EXPECT_TRUE(holdsFor(600, [&] { return grab(main()) == stopped; }));
    EXPECT_TRUE(waitFor([&] { return standIn.inhibitions() == 0; }));
    clickToolbar(kPlay);
    clickToolbar(kPause);
    clickToolbar(kPlay);
    EXPECT_TRUE(waitFor([&] { return standIn.inhibitions() == 1; }));
    EXPECT_TRUE(holdsFor(300, [&] { return standIn.inhibitions() == 1; }));
    // The end of the media lets the screen saver come back.
    playFiles({media::AudioClip()});
    EXPECT_TRUE(waitFor([&] {
        return title() == QFileInfo(media::AudioClip()).fileName() && standIn.inhibitions() == 1;
    }));
    EXPECT_TRUE(waitFor([&] { return standIn.inhibitions() == 0; }, 8000));

    // While the Open dialog is up the rest of the player works: Pause holds
    // the picture, a second Open brings the same dialog forward.
    playFiles({media::Pattern(320, 240, 25, 30)});
    ASSERT_TRUE(fits({320, 240}));
    ASSERT_TRUE(pictureMoves(5000));
    const quint64 dialog = showOpenDialog();
    clickToolbar(kPause);
    QThread::msleep(300);
    EXPECT_FALSE(pictureMoves(800)) << "Pause while the dialog is up";
    clickToolbar(kOpen);
    EXPECT_TRUE(waitFor([&] { return session->activeWindow() == dialog; }));
    EXPECT_TRUE(holdsFor(300, [&] {
        const auto all = session->windows(u"Open"_s);
        return std::count_if(all.begin(), all.end(),
                             [&](quint64 w) { return session->isViewable(w); }) == 1;
    }));
    // A name of a file that does not exist goes through, and the engine refuses it.
    session->type(u"/no/such/film.mp4"_s);
    session->key(u"Return"_s);
    ASSERT_TRUE(session->waitForWindow(kErrorCaption, 5000)) << "no refusal";
    ASSERT_TRUE(dismissBox());
    // Exit works while the dialog is up.
    showOpenDialog();
    clickToolbar(kExit);
    expectEnded(0);
}
