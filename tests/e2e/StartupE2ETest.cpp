// The player's start-up on a private desktop: the splash with its intro, the
// player's windows coming up after it, the tray icon and Exit.
#include "support/PlayerDriver.h"

#include <QElapsedTimer>
#include <QFile>
#include <QFileInfo>
#include <QTemporaryDir>

#include <xcb/xcb.h>

#include <algorithm>
#include <functional>
#include <set>
#include <stdexcept>

using quarn::e2e::XSession;

namespace {

const QString kSample = QStringLiteral(QUARN_SOURCE_DIR "/samples/quarn-sample.mp4");
const QSize kSampleSize(480, 270); // 6 s

// A second connection to the session's display, for what the session does
// not tell: every window on the root, and the history of where windows went.
class RootWatch {
public:
    explicit RootWatch(const QString& display) {
        x_ = xcb_connect(display.toLatin1().constData(), nullptr);
        if (xcb_connection_has_error(x_)) {
            throw std::runtime_error("cannot connect to " + display.toStdString());
        }
        root_ = xcb_setup_roots_iterator(xcb_get_setup(x_)).data->root;
    }
    ~RootWatch() { xcb_disconnect(x_); }
    RootWatch(const RootWatch&) = delete;
    RootWatch& operator=(const RootWatch&) = delete;

    // From now on, the maps and moves of every window on the root are kept.
    void record() {
        const uint32_t events = XCB_EVENT_MASK_SUBSTRUCTURE_NOTIFY;
        xcb_change_window_attributes(x_, root_, XCB_CW_EVENT_MASK, &events);
        std::free(xcb_get_input_focus_reply(x_, xcb_get_input_focus(x_), nullptr));
    }

    // What became of `window` so far: "shown", and the places it went, "(x, y)".
    QStringList history(quint64 window) {
        QStringList events;
        for (const auto& [which, what] : log()) {
            if (which == window && what != QLatin1String("hidden")) {
                events << what;
            }
        }
        return events;
    }

    // Everything recorded so far, in order: each window with "shown",
    // "hidden" or the place it went, "(x, y)".
    const std::vector<std::pair<quint64, QString>>& log() {
        while (xcb_generic_event_t* event = xcb_poll_for_event(x_)) {
            const auto type = event->response_type & 0x7f;
            const auto* map = reinterpret_cast<const xcb_map_notify_event_t*>(event);
            const auto* unmap = reinterpret_cast<const xcb_unmap_notify_event_t*>(event);
            const auto* moved = reinterpret_cast<const xcb_configure_notify_event_t*>(event);
            if (type == XCB_MAP_NOTIFY) {
                log_.emplace_back(map->window, QStringLiteral("shown"));
            } else if (type == XCB_UNMAP_NOTIFY) {
                log_.emplace_back(unmap->window, QStringLiteral("hidden"));
            } else if (type == XCB_CONFIGURE_NOTIFY) {
                log_.emplace_back(moved->window,
                                  QStringLiteral("(%1, %2)").arg(moved->x).arg(moved->y));
            }
            std::free(event);
        }
        return log_;
    }

    // The windows on the root that are on the screen: managed windows' frames,
    // pop-ups, panels.
    std::set<quint64> viewableOnRoot() {
        std::set<quint64> found;
        xcb_query_tree_reply_t* tree = xcb_query_tree_reply(x_, xcb_query_tree(x_, root_), nullptr);
        const xcb_window_t* children = tree ? xcb_query_tree_children(tree) : nullptr;
        for (int i = 0; tree && i < xcb_query_tree_children_length(tree); ++i) {
            xcb_get_window_attributes_reply_t* attributes = xcb_get_window_attributes_reply(
                x_, xcb_get_window_attributes(x_, children[i]), nullptr);
            if (attributes && attributes->map_state == XCB_MAP_STATE_VIEWABLE) {
                found.insert(children[i]);
            }
            std::free(attributes);
        }
        std::free(tree);
        return found;
    }

private:
    xcb_connection_t* x_ = nullptr;
    xcb_window_t root_ = 0;
    std::vector<std::pair<quint64, QString>> log_;
};

class StartupE2ETest : public quarn::e2e::PlayerDriver {
protected:
    // A copy of the program in a folder of its own, where the program looks
    // for its intro; with an intro of `introSeconds` of sound, or none.
    QString programCopy(std::optional<int> introSeconds) {
        folder = std::make_unique<QTemporaryDir>();
        const QString copy = folder->filePath(QFileInfo(kProgram).fileName());
        if (!QFile::copy(kProgram, copy)) {
            ADD_FAILURE() << "cannot copy the program to " << qPrintable(copy);
        }
        if (introSeconds) {
            QProcess ffmpeg;
            ffmpeg.start(QStringLiteral("ffmpeg"),
                         {QStringLiteral("-hide_banner"), QStringLiteral("-loglevel"),
                          QStringLiteral("error"), QStringLiteral("-f"), QStringLiteral("lavfi"),
                          QStringLiteral("-i"),
                          QStringLiteral("sine=f=330:d=%1").arg(*introSeconds),
                          QStringLiteral("-c:a"), QStringLiteral("libmp3lame"),
                          folder->filePath(QStringLiteral("intro.mp3"))});
            if (!ffmpeg.waitForFinished(60000) || ffmpeg.exitCode() != 0) {
                ADD_FAILURE() << "ffmpeg: " << ffmpeg.readAllStandardError().toStdString();
            }
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
        EXPECT_FALSE(session->isViewable(splash)) << "the splash is hidden";
        const QRect at = main();
        EXPECT_LE(std::abs(2 * at.x() + at.width() - screen.width()), 4)
            << "across the middle: " << qPrintable(describeWindows());
        EXPECT_LE(std::abs(2 * at.y() + at.height() - screen.height()), 4)
            << "down the middle: " << qPrintable(describeWindows());
        EXPECT_TRUE(XSession::waitUntil([&] { return docked(); }, 3000, 10))
            << qPrintable(describeWindows());
        EXPECT_TRUE(XSession::waitUntil([&] { return main().size() == kMainWithoutVideo; }, 3000))
            << qPrintable(describeWindows());
        EXPECT_TRUE(
            XSession::waitUntil([&] { return session->activeWindow() == windows.main; }, 3000))
            << "active: " << session->activeWindow() << ", main: " << windows.main;
    }

    // Holds while `condition` stays true for the whole time.
    static bool holdsFor(int ms, const std::function<bool()>& condition) {
        return !XSession::waitUntil([&] { return !condition(); }, ms);
    }

    std::unique_ptr<QTemporaryDir> folder;
};

} // namespace

// The splash and the intro --------------------------------------------------------

TEST_F(StartupE2ETest, WhileTheIntroPlaysOnlyTheCentredSplashAndTheTrayIconAreUpTillAPictureClick) {
    // A long intro leaves time to look.
    const QString program = programCopy(60);
    startSession();
    ASSERT_NO_FATAL_FAILURE(launch({}, {}, program));
    const QRect at = session->geometry(splash);
    EXPECT_EQ(at, QRect(centred(kSplashSize), kSplashSize));
    EXPECT_EQ(session->frameGeometry(splash), at) << "no frame";
    EXPECT_EQ(session->waitForTrayIcons(1).size(), 1u);
    EXPECT_FALSE(anyPlayerWindowViewable());

    // A click on the words leaves the splash up; one on the picture skips the intro.
    session->click(at.topLeft() + kSplashWords.center());
    EXPECT_TRUE(holdsFor(500, [&] {
        return session->isViewable(splash) && !anyPlayerWindowViewable();
    })) << "a click on the words leaves the splash up";
    ASSERT_NO_FATAL_FAILURE(skipIntro(5000)) << "the 60 s intro is skipped";
    expectPlayerUp();
}

TEST_F(StartupE2ETest, OnABusyMachineNothingOfThePlayerShowsBeforeTheSplashGoesAndTheStripDocks) {
    // Every window is watched from before the program starts, as the X
    // server reports it: without a window manager, the player's windows are
    // the root's own children, and no window manager takes two moves as one.
    // The title strip stands in its first place for one tick of the main
    // window's monitor (15 ms) before it docks: too short to see on the screen.
    XSession::Options options;
    options.windowManager = false;
    options.trayHost = false;
    startSession(options);
    for (int i = 0; i < 3; ++i) {
        session->start(QStringLiteral("sh"),
                       {QStringLiteral("-c"), QStringLiteral("while :; do :; done")});
    }
    RootWatch watch(session->display());
    watch.record();
    ASSERT_NO_FATAL_FAILURE(launch());
    ASSERT_NO_FATAL_FAILURE(waitForPlayerWindows(20000));
    ASSERT_TRUE(XSession::waitUntil([&] { return docked(); }, 3000));

    const auto& log = watch.log();
    auto first = [&](quint64 window, const QString& what) {
        const auto it = std::find(log.begin(), log.end(), std::make_pair(window, what));
        return it == log.end() ? -1 : int(it - log.begin());
    };
    const int splashShown = first(splash, QStringLiteral("shown"));
    const int splashHidden = first(splash, QStringLiteral("hidden"));
    ASSERT_GE(splashShown, 0);
    ASSERT_GT(splashHidden, splashShown);
    for (quint64 window : {windows.main, windows.titleStrip, windows.toolbar}) {
        EXPECT_GT(first(window, QStringLiteral("shown")), splashHidden)
            << "window " << window << " was shown before the splash went";
        EXPECT_EQ(first(window, QStringLiteral("hidden")), -1) << "window " << window;
    }

    // The strip first stands centred above the main window, then docks.
    auto text = [](QPoint p) { return QStringLiteral("(%1, %2)").arg(p.x()).arg(p.y()); };
    const QPoint centredAbove(
        pixels(twips(screen.width()) / 2 - twips(kTitleStripSize.width()) / 2),
        pixels(twips(main().y()) - 800));
    const QStringList history = watch.history(windows.titleStrip);
    const QStringList places = history.mid(history.lastIndexOf(QStringLiteral("shown")) + 1);
    ASSERT_TRUE(history.contains(QStringLiteral("shown")) && !places.isEmpty())
        << qPrintable(history.join(' '));
    EXPECT_EQ(places.front(), text(centredAbove)) << qPrintable(history.join(' '));
    EXPECT_EQ(places.back(), text(titleStripDock(main()))) << qPrintable(history.join(' '));
}

TEST_F(StartupE2ETest, WithoutItsIntroFileTheProgramBringsUpThePlayerWindowsByItself) {
    const QString program = programCopy(std::nullopt);
    startSession();
    player = session->start(program, {});
    ASSERT_NO_FATAL_FAILURE(waitForPlayerWindows());
    EXPECT_FALSE(viewable(kSplashCaption));
    expectPlayerUp();
}

TEST_F(StartupE2ETest, AFileOnTheCommandLineBringsUpThePlayerAtOnceWithoutTheSplash) {
    startSession();
    QElapsedTimer sinceLaunch;
    sinceLaunch.start();
    ASSERT_NO_FATAL_FAILURE(startPlayer({kSample}));
    EXPECT_FALSE(viewable(kSplashCaption)) << "no splash";

    // The main window fits itself around the video, its companions follow.
    EXPECT_TRUE(
        XSession::waitUntil([&] { return main().size() == fittedAround(kSampleSize); }, 5000))
        << qPrintable(describeWindows());
    EXPECT_LT(sinceLaunch.elapsed(), 4000) << "the first picture comes without the chime's wait";
    EXPECT_TRUE(XSession::waitUntil([&] { return docked(); }, 3000));

    // The time goes on: the label changes twice, so the clip is a second or two in.
    const QRect time = kTimeLabel.translated(toolbar().topLeft());
    for (int change = 0; change < 2; ++change) {
        const QImage before = grab(time);
        EXPECT_TRUE(XSession::waitUntil([&] { return grab(time) != before; }, 3000))
            << "change " << change;
    }
    session->saveScreenshot(QStringLiteral("player-windows"));
    // The 6 s clip ends: the main window lets go of the video's size.
    ASSERT_TRUE(XSession::waitUntil([&] { return main().size() == kMainWithoutVideo; }, 15000));
    EXPECT_FALSE(viewable(kSplashCaption)) << "no splash after the end either";
}

// The tray icon and Exit -----------------------------------------------------------

TEST_F(StartupE2ETest,
       AfterTheIntroTheTrayIconCentresTheMainWindowOnALeftClickOnlyAndGoesWithExit) {
    startSession();
    ASSERT_NO_FATAL_FAILURE(launch());
    QElapsedTimer shown;
    shown.start();
    ASSERT_TRUE(XSession::waitUntil([&] { return !session->isViewable(splash); }, 15000));
    const qint64 splashTime = shown.elapsed();
    ASSERT_NO_FATAL_FAILURE(waitForPlayerWindows());
    // The splash stays for the chime (3.2 s), which began just before it went up.
    EXPECT_GT(splashTime, 1500);
    expectPlayerUp();
    const auto icons = session->waitForTrayIcons(1);
    ASSERT_EQ(icons.size(), 1u);
    const quint64 mainWindow = windows.main;

    // What the main window looks like, unobstructed.
    QImage look;
    ASSERT_TRUE(XSession::waitUntil(
        [&] {
            const QImage now = grab(main());
            const bool same = now == look;
            look = now;
            return same;
        },
        3000, 100));

    auto moveAway = [&] {
        session->drag(main().topLeft() + QPoint(3, 3), QPoint(40, 80));
        ASSERT_TRUE(XSession::waitUntil([&] { return main().x() < 200 && docked(); }, 3000));
    };
    auto centredInFront = [&] {
        return session->isViewable(mainWindow) && !session->isMinimized(mainWindow) &&
               main().topLeft() == centred(kMainWithoutVideo) &&
               session->activeWindow() == mainWindow && grab(main()) == look;
    };

    // A right click does nothing: nothing moves, no menu or other window shows.
    ASSERT_NO_FATAL_FAILURE(moveAway());
    RootWatch watch(session->display());
    const std::set<quint64> before = watch.viewableOnRoot();
    const QString places = describeWindows();
    session->click(icons.front().center(), 3);
    EXPECT_TRUE(holdsFor(500, [&] { return describeWindows() == places; })) << "nothing moves";
    EXPECT_EQ(watch.viewableOnRoot(), before) << "no menu or other window";
    EXPECT_FALSE(session->pointerGrabbed());

    // A left click, with another program's window over the middle of the
    // screen and active, and again with the main window minimised.
    QProcess* xmessage = session->start(
        QStringLiteral("xmessage"), {QStringLiteral("-geometry"), QStringLiteral("700x600+290+200"),
                                     QStringLiteral("in the way")});
    const auto other = session->waitForWindow(QStringLiteral("xmessage"));
    ASSERT_TRUE(other);
    ASSERT_TRUE(XSession::waitUntil([&] { return session->activeWindow() == *other; }, 3000));
    session->click(icons.front().center());
    EXPECT_TRUE(XSession::waitUntil(centredInFront, 3000)) << qPrintable(describeWindows());
    EXPECT_TRUE(XSession::waitUntil([&] { return docked(); }, 3000));

    ASSERT_NO_FATAL_FAILURE(moveAway());
    session->minimize(mainWindow);
    ASSERT_TRUE(XSession::waitUntil([&] { return session->isMinimized(mainWindow); }, 3000));
    session->click(icons.front().center());
    EXPECT_TRUE(XSession::waitUntil(centredInFront, 3000)) << qPrintable(describeWindows());

    // Exit (out from under the other window) takes the icon away and ends the program.
    xmessage->kill();
    ASSERT_TRUE(XSession::waitUntil([&] { return !session->isViewable(*other); }, 3000));
    clickToolbar(kExit);
    EXPECT_TRUE(XSession::waitUntil([&] { return session->trayIcons().empty(); }, 5000));
    ASSERT_TRUE(XSession::waitUntil([&] { return playerEnded(); }, 5000));
    EXPECT_EQ(player->exitStatus(), QProcess::NormalExit);
    EXPECT_EQ(player->exitCode(), 0);
}
