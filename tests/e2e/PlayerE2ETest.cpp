// The player's main road on a private desktop, driven like a user: the skins'
// outlines, dragging, tool tips, Open, the seek bar, Stop and Exit on the
// toolbar, the Open dialog while the rest goes on, and the screen saver held
// off while something plays; then the screen-effects menu: the melt effect,
// with the player playing on under it, and the About box with its animation.
#include "support/MediaFixtures.h"
#include "support/PlayerDriver.h"
#include "support/PrivateBus.h"

#include <QFileInfo>
#include <QThread>

#include <vector>

using namespace Qt::Literals::StringLiterals;

using quarn::e2e::XSession;
namespace media = quarn::test::media;

namespace {

const QColor kDesktop(0x30, 0xD0, 0x60); // a green that appears nowhere in the skins
const QRgb kSkinFrame = qRgb(88, 149, 193);

const QString kAboutCaption = u"About..."_s;

// The screen-effects menu's items, below the point where it was popped up,
// and the About box's elements.
const QPoint kFirstMenuItem(40, 11);
const int kMenuItemHeight = 21;
const QRect kPicture1(40, 40, 106, 144);
const QPoint kOK(48 + 132, 336 + 12);

constexpr int kMelter = 0;
constexpr int kAbout = 1;

// A desktop of large squares: a smear shows along their edges and grows as
// the effect goes on.
QImage checkerTile() {
    QImage tile(128, 128, QImage::Format_RGB32);
    for (int y = 0; y < 128; ++y) {
        for (int x = 0; x < 128; ++x) {
            tile.setPixel(
                x, y, ((x / 64) + (y / 64)) % 2 ? qRgb(0xf0, 0xc0, 0x20) : qRgb(0x20, 0x60, 0xc0));
        }
    }
    return tile;
}

// Pixels that differ between two screenshots, leaving out an area.
int differingPixels(const QImage& a, const QImage& b, const QRegion& leaveOut = {}) {
    int count = 0;
    for (int y = 0; y < a.height(); ++y) {
        const auto* rowA = reinterpret_cast<const QRgb*>(a.constScanLine(y));
        const auto* rowB = reinterpret_cast<const QRgb*>(b.constScanLine(y));
        for (int x = 0; x < a.width(); ++x) {
            if (rowA[x] != rowB[x] && !leaveOut.contains(QPoint(x, y))) {
                ++count;
            }
        }
    }
    return count;
}

class PlayerE2ETest : public quarn::e2e::PlayerDriver {
protected:
    // The colour the screen shows in the middle of the video's top half.
    QRgb videoPixel() { return session->screenshot().pixel(main().topLeft() + QPoint(168, 68)); }

    // The tool tip that shows below a toolbar button when the pointer comes to it.
    QImage tipOf(Button button) {
        session->moveMouse(toolbarButton(button) + QPoint(0, 30));
        const QRect below(toolbarButton(button) + QPoint(-40, 8), QSize(160, 50));
        const QImage without = grab(below);
        session->moveMouse(toolbarButton(button));
        QImage tip;
        waitFor([&] { return (tip = grab(below)) != without; });
        return tip == without ? QImage() : tip;
    }

    // Pops the screen-effects menu up from the toolbar and clicks an item
    // (none: closes the menu with Escape).
    void choose(std::optional<int> item) {
        const QPoint popup = toolbarButton(kScreenEffects);
        // The menu opens with its corner at the pointer.
        const QRect menuArea(popup + QPoint(10, 5), QSize(80, 30));
        const QImage without = grab(menuArea);
        session->click(popup);
        if (!waitFor([&] { return grab(menuArea) != without; })) {
            throw std::runtime_error("no screen-effects menu");
        }
        QThread::msleep(100);
        if (item) {
            session->click(popup + kFirstMenuItem + QPoint(0, *item * kMenuItemHeight));
        } else {
            session->key(u"Escape"_s);
        }
    }

    // The effect's window: on the screen besides the player's own windows
    // and, having no caption of its own, named after the program.
    std::vector<QRect> effectWindows() {
        std::vector<QRect> found;
        for (quint64 window : session->windows(kMainCaption)) {
            if (window != windows.main && session->isViewable(window)) {
                found.push_back(session->frameGeometry(window));
            }
        }
        return found;
    }
    bool waitForMelting(bool melting, int timeoutMs = 5000) {
        return waitFor([&] { return effectWindows().empty() != melting; }, timeoutMs);
    }

    // The player's own windows (which go on changing: the time, the video),
    // with a margin. Known by their identities: the effect's window, having no
    // caption of its own, is named after the program.
    QRegion playerWindows() {
        QRegion area;
        for (quint64 window : {windows.main, windows.titleStrip, windows.toolbar}) {
            area += session->geometry(window).adjusted(-4, -4, 4, 4);
        }
        return area;
    }

    // Waits until at least this share of the screen differs from `reference`.
    bool waitForSmear(const QImage& reference, double share) {
        const int wanted = int(reference.width() * reference.height() * share);
        return XSession::waitUntil(
            [&] { return differingPixels(reference, session->screenshot()) >= wanted; }, 6000, 50);
    }

    // Waits until the desktop (all but the player's windows) is as it was.
    bool waitForDesktopAsBefore(const QImage& before) {
        return XSession::waitUntil(
            [&] { return differingPixels(before, session->screenshot(), playerWindows()) == 0; },
            3000, 50);
    }
};

} // namespace

TEST_F(PlayerE2ETest, TheWindowsTheToolbarTheOpenDialogAndTheScreenEffectsWorkAsTheUserExpects) {
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
            })) << qPrintable(what);
            session->mouseUp(button);
            session->moveMouse(grip + QPoint(40, 40));
            EXPECT_TRUE(holdsFor(150, [&] { return main().topLeft() == from.topLeft() + by; }))
                << qPrintable(what);
            EXPECT_TRUE(docked()) << qPrintable(what);
            EXPECT_FALSE(session->pointerGrabbed()) << qPrintable(what);
        }
    }
    // Quick clicks on the margin leave the window where it is.
    const QRect placed = main();
    const QPoint grip = placed.topLeft() + QPoint(3, 3);
    session->clicks(grip, 3);
    session->moveMouse(grip + QPoint(80, 60));
    session->moveMouse(grip + QPoint(120, 90));
    EXPECT_TRUE(holdsFor(200, [&] { return main().topLeft() == placed.topLeft(); }));
    // A resize from outside is undone: the window's size is the video's.
    session->resize(windows.main, {400, 300});
    EXPECT_TRUE(waitFor([&] { return main() == placed && docked(); }, 500));

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
        return viewable(kFormCaption, titleStripSize()) && viewable(kFormCaption, toolbarSize());
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
    // Exit works while the dialog is up.
    showOpenDialog();
    clickToolbar(kExit);
    expectEnded(0);

    // Started again: the screen-effects menu.
    session->setDesktopBackground(checkerTile());
    start();
    ASSERT_TRUE(waitFor([&] { return docked(); })) << qPrintable(describeWindows());

    // Closed without a choice, the menu does nothing.
    const QImage before = session->screenshot();
    choose(std::nullopt);
    EXPECT_TRUE(waitForDesktopAsBefore(before));
    EXPECT_TRUE(holdsFor(
        300, [&] { return effectWindows().empty() && session->windows(kAboutCaption).empty(); }));

    // The Melter smears the desktop around the player as much as the player:
    // the effect's own window covers the whole screen.
    choose(kMelter);
    ASSERT_TRUE(waitForMelting(true)) << qPrintable(session->output(player));
    ASSERT_TRUE(waitForSmear(before, 0.02));
    EXPECT_GT(differingPixels(before, session->screenshot(), playerWindows()),
              0.01 * before.width() * before.height());
    EXPECT_EQ(effectWindows(), std::vector<QRect>{QRect(0, 0, 1280, 1024)});
    // A letter ends it, and the screen is as before.
    session->key(u"a"_s);
    ASSERT_TRUE(waitForMelting(false));
    EXPECT_TRUE(waitForDesktopAsBefore(before));

    // A plain desktop now: the second run must melt it, not the first run's
    // picture; a click ends it.
    const QRgb plain = qRgb(0x30, 0xa0, 0x50);
    session->setDesktopBackground(QColor(plain));
    const QImage plainBefore = session->screenshot();
    choose(kMelter);
    ASSERT_TRUE(waitForMelting(true));
    ASSERT_TRUE(waitForSmear(plainBefore, 0.001));
    const QImage second = session->screenshot();
    for (const QPoint corner : {QPoint(10, 10), QPoint(1270, 10), QPoint(10, 1014)}) {
        EXPECT_EQ(second.pixel(corner), plain) << corner.x() << "," << corner.y();
    }
    session->click(QPoint(640, 100));
    ASSERT_TRUE(waitForMelting(false));
    EXPECT_TRUE(waitForDesktopAsBefore(plainBefore));

    // The About box opens in the middle of the screen, over the toolbar: the
    // player (the toolbar follows it) moves out of its way first.
    session->drag(main().topLeft() + QPoint(3, 3), QPoint(40, 80));
    ASSERT_TRUE(waitFor([&] { return toolbar().right() < 400 && docked(); }));
    choose(kAbout);
    const auto box = session->waitForWindow(kAboutCaption);
    ASSERT_TRUE(box);
    const QRect at = session->geometry(*box);
    EXPECT_EQ(at.size(), QSize(358, 402));
    // The animation runs: its picture changes, and changes again.
    const QRect picture = kPicture1.translated(at.topLeft());
    for (int change = 0; change < 2; ++change) {
        const QImage shown = grab(picture);
        EXPECT_TRUE(waitFor([&] { return grab(picture) != shown; }, 1000)) << "change " << change;
    }
    session->click(at.topLeft() + kOK);
    EXPECT_TRUE(waitFor([&] { return !session->isViewable(*box); }));

    // Playback goes on while the screen melts: the main window fits itself
    // around the 320 x 240 video, and shrinks back when the 3-second clip
    // has played to its end, the effect still running.
    playFiles({media::VideoClip()});
    ASSERT_TRUE(fits({320, 240}));
    choose(kMelter);
    ASSERT_TRUE(waitForMelting(true));
    EXPECT_TRUE(waitFor([&] { return atRest(); }, 6000));
    EXPECT_FALSE(effectWindows().empty()) << "still melting";
    session->key(u"Escape"_s);
    ASSERT_TRUE(waitForMelting(false));
}
