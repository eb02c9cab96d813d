// The player's start-up on a private desktop: the splash with its intro, the
// player's windows coming up after it (or at once, given a file), the tray
// icon and Exit.
#include "support/MediaFixtures.h"
#include "support/PlayerDriver.h"

#include <QElapsedTimer>
#include <QFile>
#include <QFileInfo>
#include <QTemporaryDir>

#include <xcb/xcb.h>

#include <algorithm>

using namespace Qt::Literals::StringLiterals;

using quarn::e2e::XSession;
namespace media = quarn::test::media;

namespace {

// The history of the root's children as the X server tells it, on a
// connection of its own: each window with "shown", "hidden" or the place it
// went to, "(x, y)", in order.
class RootWatch {
public:
    explicit RootWatch(const QString& display)
        : x_(xcb_connect(qPrintable(display), nullptr), xcb_disconnect) {
        const uint32_t events = XCB_EVENT_MASK_SUBSTRUCTURE_NOTIFY;
        xcb_change_window_attributes(x_.get(),
                                     xcb_setup_roots_iterator(xcb_get_setup(x_.get())).data->root,
                                     XCB_CW_EVENT_MASK, &events);
        std::free(xcb_get_input_focus_reply(x_.get(), xcb_get_input_focus(x_.get()), nullptr));
    }

    const std::vector<std::pair<quint64, QString>>& log() {
        while (xcb_generic_event_t* event = xcb_poll_for_event(x_.get())) {
            const auto type = event->response_type & 0x7f;
            if (type == XCB_MAP_NOTIFY || type == XCB_UNMAP_NOTIFY) {
                // Both events name the window at the same offset.
                log_.emplace_back(reinterpret_cast<xcb_map_notify_event_t*>(event)->window,
                                  type == XCB_MAP_NOTIFY ? "shown" : "hidden");
            } else if (type == XCB_CONFIGURE_NOTIFY) {
                const auto* moved = reinterpret_cast<xcb_configure_notify_event_t*>(event);
                log_.emplace_back(moved->window, u"(%1, %2)"_s.arg(moved->x).arg(moved->y));
            }
            std::free(event);
        }
        return log_;
    }

private:
    std::unique_ptr<xcb_connection_t, void (*)(xcb_connection_t*)> x_;
    std::vector<std::pair<quint64, QString>> log_;
};

class StartupE2ETest : public quarn::e2e::PlayerDriver {
protected:
    // A copy of the program in a folder of its own, where the program looks
    // for its intro; with an intro of `introSeconds` of sound, or none.
    QString programCopy(std::optional<int> introSeconds) {
        const auto& folder = folders.emplace_back(std::make_unique<QTemporaryDir>());
        const QString copy = folder->filePath(QFileInfo(kProgram).fileName());
        EXPECT_TRUE(QFile::copy(kProgram, copy)) << qPrintable(copy);
        if (introSeconds) {
            EXPECT_TRUE(QFile::copy(
                media::Made(u"intro-%1s.mp3"_s.arg(*introSeconds),
                            u"-f lavfi -i sine=f=330:d=%1 -c:a libmp3lame"_s.arg(*introSeconds)),
                folder->filePath(u"intro.mp3"_s)));
        }
        return copy;
    }

    bool anyPlayerWindowViewable() {
        return viewable(kMainCaption).has_value() || viewable(kFormCaption).has_value();
    }

    // The state the player comes up in, whichever way the splash went: the
    // splash hidden, the three windows shown, the main window (fitted to no
    // video) in the middle of the screen and active, its companions docked.
    void expectPlayerUp() {
        EXPECT_FALSE(viewable(kSplashCaption)) << "the splash is hidden";
        const QRect at = main();
        EXPECT_LE(std::abs(2 * at.x() + at.width() - screen.width()), 4) << "across the middle";
        EXPECT_LE(std::abs(2 * at.y() + at.height() - screen.height()), 4) << "down the middle";
        EXPECT_TRUE(XSession::waitUntil([&] { return docked(); }, 3000, 10));
        EXPECT_TRUE(waitFor([&] { return atRest(); })) << qPrintable(describeWindows());
        EXPECT_TRUE(waitFor([&] { return session->activeWindow() == windows.main; }));
    }

    std::vector<std::unique_ptr<QTemporaryDir>> folders;
};

} // namespace

TEST_F(StartupE2ETest, TheSplashAndItsIntroOrAFileThenThePlayerCentredWithATrayIconThatCallsItUp) {
    startSession();

    // Without its intro file the program brings up the player windows by itself.
    player = session->start(programCopy(std::nullopt), {});
    waitForPlayerWindows();
    expectPlayerUp();
    EXPECT_EQ(exit(), u"exit status 0"_s);

    // With its intro, the splash stays for the chime (3.2 s), which began
    // just before it went up, and goes by itself.
    launch();
    QElapsedTimer shown;
    shown.start();
    ASSERT_TRUE(waitFor([&] { return !session->isViewable(splash); }, 15000));
    EXPECT_GT(shown.elapsed(), 1500);
    waitForPlayerWindows();
    expectPlayerUp();
    const auto icons = session->waitForTrayIcons(1);
    ASSERT_EQ(icons.size(), 1u);
    const quint64 mainWindow = windows.main;
    // What an area of the screen shows once it has stopped changing.
    auto steady = [&](const QRect& area) {
        QImage look;
        XSession::waitUntil(
            [&] {
                const QImage now = grab(area);
                const bool same = now == look;
                look = now;
                return same;
            },
            3000, 100);
        return look;
    };
    const QImage centredLook = steady(main());
    auto moveAway = [&] {
        session->drag(main().topLeft() + QPoint(3, 3), QPoint(40, 80));
        ASSERT_TRUE(waitFor([&] { return main().x() < 200 && docked(); }));
    };
    auto centredInFront = [&] {
        return session->isViewable(mainWindow) && !session->isMinimized(mainWindow) &&
               main().topLeft() == centred(mainWithoutVideo()) &&
               session->activeWindow() == mainWindow && grab(main()) == centredLook;
    };

    // A right click on the icon does nothing: nothing moves, nothing shows.
    ASSERT_NO_FATAL_FAILURE(moveAway());
    const QImage before = steady(QRect(QPoint(0, 0), screen));
    session->click(icons.front().center(), 3);
    EXPECT_TRUE(holdsFor(500, [&] { return session->screenshot() == before; }));
    EXPECT_FALSE(session->pointerGrabbed()) << "a menu is up";

    // A left click brings the main window back to the middle, in front: with
    // another program's window over the middle of the screen and active, and
    // with the main window minimised.
    QProcess* xmessage =
        session->start(u"xmessage"_s, {u"-geometry"_s, u"700x600+290+200"_s, u"in the way"_s});
    const auto other = session->waitForWindow(u"xmessage"_s);
    ASSERT_TRUE(other);
    ASSERT_TRUE(waitFor([&] { return session->activeWindow() == *other; }));
    session->click(icons.front().center());
    EXPECT_TRUE(waitFor(centredInFront)) << qPrintable(describeWindows());
    EXPECT_TRUE(waitFor([&] { return docked(); }));
    ASSERT_NO_FATAL_FAILURE(moveAway());
    session->minimize(mainWindow);
    ASSERT_TRUE(waitFor([&] { return session->isMinimized(mainWindow); }));
    session->click(icons.front().center());
    EXPECT_TRUE(waitFor(centredInFront)) << qPrintable(describeWindows());

    // Exit (out from under the other window) takes the icon away and ends the program.
    xmessage->kill();
    ASSERT_TRUE(waitFor([&] { return !session->isViewable(*other); }));
    clickToolbar(kExit);
    EXPECT_TRUE(waitFor([&] { return session->trayIcons().empty(); }, 5000));
    expectEnded(0, 5000);

    // While a long intro plays, only the centred splash, without a frame,
    // and the tray icon are up; a click on the words leaves it up, one on
    // the picture skips the intro.
    launch({}, {}, programCopy(60));
    const QRect at = session->geometry(splash);
    EXPECT_EQ(at, QRect(centred(kSplashSize), kSplashSize));
    EXPECT_EQ(session->frameGeometry(splash), at) << "no frame";
    EXPECT_EQ(session->waitForTrayIcons(1).size(), 1u);
    EXPECT_FALSE(anyPlayerWindowViewable());
    session->click(at.topLeft() + kSplashWords.center());
    EXPECT_TRUE(holdsFor(500, [&] {
        return session->isViewable(splash) && !anyPlayerWindowViewable();
    })) << "a click on the words leaves the splash up";
    skipIntro(5000);
    expectPlayerUp();
    EXPECT_EQ(exit(), u"exit status 0"_s);

    // The sample on the command line brings the player up at once, without
    // the splash, fitted around the video, until its end.
    start({u"--"_s, QStringLiteral(QUARN_SOURCE_DIR "/samples/quarn-sample.mp4")});
    EXPECT_FALSE(viewable(kSplashCaption)) << "no splash";
    // (Within generous times: the test beside this one may load the machine
    // on purpose.)
    EXPECT_TRUE(fits({480, 270}, 15000)) << qPrintable(describeWindows());
    ASSERT_TRUE(waitFor([&] { return atRest(); }, 30000)); // 6 s
    EXPECT_FALSE(viewable(kSplashCaption)) << "no splash after the end either";
}

TEST_F(StartupE2ETest, OnABusyMachineNothingOfThePlayerShowsBeforeTheSplashGoesAndTheStripDocks) {
    // Every window is watched from before the program starts, as the X
    // server reports it: without a window manager, the player's windows are
    // the root's own children, and no window manager takes two moves as one.
    // At the intro's end the title strip stands centred above the main
    // window for a moment before the window group docks it.
    XSession::Options options;
    options.windowManager = false;
    options.trayHost = false;
    startSession(options);
    for (int i = 0; i < 3; ++i) {
        session->start(u"sh"_s, {u"-c"_s, u"while :; do :; done"_s});
    }
    RootWatch watch(session->display());
    launch();
    waitForPlayerWindows(20000);

    // The strip's places once shown: first centred above the main window,
    // last docked. The strip is mapped before it is moved, and on a busy
    // machine the moves may come a while later: the wait is for the moves as
    // the server reported them, not for the strip's place alone.
    auto text = [](QPoint p) { return u"(%1, %2)"_s.arg(p.x()).arg(p.y()); };
    QStringList places;
    auto stripPlaces = [&] {
        places.clear();
        for (const auto& [window, what] : watch.log()) {
            if (window == windows.titleStrip && what == QLatin1String("shown")) {
                places.clear();
            } else if (window == windows.titleStrip && what != QLatin1String("hidden")) {
                places << what;
            }
        }
        return docked() && places.size() >= 2 && places.back() == text(titleStripDock(main()));
    };
    EXPECT_TRUE(waitFor(stripPlaces, 10000)) << qPrintable(places.join(' '));

    const auto& log = watch.log();
    auto first = [&](quint64 window, const char* what) {
        const auto it = std::find(log.begin(), log.end(), std::make_pair(window, QString(what)));
        return it == log.end() ? -1 : int(it - log.begin());
    };
    const int splashHidden = first(splash, "hidden");
    ASSERT_GE(first(splash, "shown"), 0);
    ASSERT_GT(splashHidden, first(splash, "shown"));
    for (quint64 window : {windows.main, windows.titleStrip, windows.toolbar}) {
        EXPECT_GT(first(window, "shown"), splashHidden)
            << "window " << window << " was shown before the splash went";
        EXPECT_EQ(first(window, "hidden"), -1) << "window " << window;
    }
    const QPoint centredAbove(
        pixels(twips(screen.width()) / 2 - twips(titleStripSize().width()) / 2),
        pixels(twips(main().y()) - 800));
    ASSERT_FALSE(places.isEmpty());
    EXPECT_EQ(places.front(), text(centredAbove)) << qPrintable(places.join(' '));
    EXPECT_EQ(places.back(), text(titleStripDock(main()))) << qPrintable(places.join(' '));
}
