// The player's start-up on a private desktop: the splash with its intro, the
// player's windows coming up after it, the tray icon and Exit.
#include "support/XSession.h"

#include <QElapsedTimer>
#include <QFile>
#include <QFileInfo>
#include <QProcess>
#include <QTemporaryDir>
#include <gtest/gtest.h>

#include <xcb/xcb.h>

#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <functional>
#include <memory>
#include <optional>
#include <set>
#include <stdexcept>
#include <vector>

using quarn::e2e::XSession;

namespace {

const QString kProgram = QStringLiteral(QUARN_PROGRAM_PATH);
const QString kSample = QStringLiteral(QUARN_SOURCE_DIR "/samples/quarn-sample.mp4");
const QSize kSampleSize(480, 270); // 6 s

const QString kSplashCaption = QStringLiteral("Intro");
const QString kMainCaption = QStringLiteral("QUARN Media Player");
const QString kFormCaption = QStringLiteral("Form1"); // the title strip and the toolbar alike

const QSize kSplashSize(426, 416);
const QSize kMainWithoutVideo(252, 214);
const QSize kTitleStripSize(244, 39);
const QSize kToolbarSize(244, 46);

// Inside the splash: the words "Media Player", and a place on the bare picture.
const QRect kSplashWords(152, 352, 121, 33);
const QPoint kSplashPicture(60, 60);
// Inside the toolbar: the Exit button and the time.
const QPoint kExitButton(208, 18);
const QRect kTimeLabel(80, 12, 81, 17);

// Geometry is kept in twips, 15 to a pixel, and rounded to pixels half to even.
constexpr double kTwipsPerPixel = 15;
double twips(int pixels) {
    return pixels * kTwipsPerPixel;
}
int pixels(double twips) {
    return static_cast<int>(std::nearbyint(twips / kTwipsPerPixel));
}

// Where the main window's CenterForm puts a window: across, in the middle;
// down, its middle at 0.95 of half the screen's height.
QPoint centred(QSize window, QSize screen) {
    return {pixels(twips(screen.width()) / 2 - twips(window.width()) / 2),
            pixels(twips(screen.height()) * 0.95 / 2 - twips(window.height()) / 2)};
}

// Where the main window keeps its companions: the title strip above it, the
// toolbar below it, both 1850 twips left of its middle.
int companionLeft(const QRect& main) {
    return pixels(twips(main.x()) + twips(main.width()) / 2 - 1850);
}
QPoint titleStripDock(const QRect& main) {
    return {companionLeft(main), main.y() - 40};
}
QPoint toolbarDock(const QRect& main) {
    return {companionLeft(main), main.y() + main.height() + 2};
}

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

    struct Event {
        bool mapped; // else moved or resized
        quint64 window;
        QPoint at;
    };
    const std::vector<Event>& events() {
        while (xcb_generic_event_t* event = xcb_poll_for_event(x_)) {
            switch (event->response_type & 0x7f) {
            case XCB_MAP_NOTIFY: {
                const auto* map = reinterpret_cast<const xcb_map_notify_event_t*>(event);
                events_.push_back({true, map->window, {}});
                break;
            }
            case XCB_CONFIGURE_NOTIFY: {
                const auto* moved = reinterpret_cast<const xcb_configure_notify_event_t*>(event);
                events_.push_back({false, moved->window, QPoint(moved->x, moved->y)});
                break;
            }
            default:
                break;
            }
            std::free(event);
        }
        return events_;
    }

    // The windows on the root that are on the screen: managed windows' frames,
    // pop-ups, panels.
    std::set<quint64> viewableOnRoot() {
        std::set<quint64> found;
        xcb_query_tree_reply_t* tree = xcb_query_tree_reply(x_, xcb_query_tree(x_, root_), nullptr);
        if (tree == nullptr) {
            return found;
        }
        const xcb_window_t* children = xcb_query_tree_children(tree);
        for (int i = 0; i < xcb_query_tree_children_length(tree); ++i) {
            xcb_get_window_attributes_reply_t* attributes = xcb_get_window_attributes_reply(
                x_, xcb_get_window_attributes(x_, children[i]), nullptr);
            if (attributes != nullptr && attributes->map_state == XCB_MAP_STATE_VIEWABLE) {
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
    std::vector<Event> events_;
};

// The player's three windows.
struct PlayerWindows {
    quint64 main = 0;
    quint64 titleStrip = 0;
    quint64 toolbar = 0;
};

class StartupE2ETest : public ::testing::Test {
protected:
    void TearDown() override {
        if (HasFailure() && session) {
            const QString name =
                QString::fromUtf8(::testing::UnitTest::GetInstance()->current_test_info()->name());
            std::printf("screenshot: %s\nplayer log: %s\n",
                        qPrintable(session->saveScreenshot(QStringLiteral("startup-") + name)),
                        qPrintable(player ? session->logFile(player) : QString()));
        }
    }

    void startSession(XSession::Options options = {}) {
        screen = options.screen;
        session = std::make_unique<XSession>(options);
    }

    // Starts the program as a user does, and waits for its splash.
    void launch(const QString& program = kProgram, const QStringList& args = {}) {
        player = session->start(program, args);
        const auto found = session->waitForWindow(kSplashCaption, 15000);
        ASSERT_TRUE(found) << qPrintable(session->output(player));
        splash = *found;
    }

    // A copy of the program in a folder of its own, where the program looks
    // for its intro; with an intro of `introSeconds` of sound, or none.
    QString programCopy(std::optional<int> introSeconds) {
        folder = std::make_unique<QTemporaryDir>();
        const QString copy = folder->filePath(QFileInfo(kProgram).fileName());
        if (!QFile::copy(kProgram, copy)) {
            ADD_FAILURE() << "cannot copy the program to " << qPrintable(copy);
            return {};
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

    // The viewable window with this caption and size, if any.
    std::optional<quint64> viewable(const QString& caption, std::optional<QSize> size = {}) {
        for (quint64 window : session->windows(caption)) {
            if (session->isViewable(window) &&
                (!size || session->geometry(window).size() == *size)) {
                return window;
            }
        }
        return std::nullopt;
    }

    bool anyPlayerWindowViewable() {
        return viewable(kMainCaption).has_value() || viewable(kFormCaption).has_value();
    }

    // Waits for the three player windows on the screen.
    std::optional<PlayerWindows> waitForPlayerWindows(int timeoutMs = 10000) {
        PlayerWindows found;
        const bool up = XSession::waitUntil(
            [&] {
                const auto main = viewable(kMainCaption);
                const auto title = viewable(kFormCaption, kTitleStripSize);
                const auto bar = viewable(kFormCaption, kToolbarSize);
                if (!main || !title || !bar) {
                    return false;
                }
                found = {*main, *title, *bar};
                return true;
            },
            timeoutMs);
        return up ? std::optional(found) : std::nullopt;
    }

    // Which of the player's windows are on the screen, for failure messages.
    QString shownPlayerWindows() {
        auto shown = [](bool yes) {
            return yes ? QStringLiteral("shown") : QStringLiteral("not shown");
        };
        return QStringLiteral("main window %1, title strip %2, toolbar %3")
            .arg(shown(viewable(kMainCaption).has_value()),
                 shown(viewable(kFormCaption, kTitleStripSize).has_value()),
                 shown(viewable(kFormCaption, kToolbarSize).has_value()));
    }

    bool companionsDocked(const PlayerWindows& windows) {
        const QRect main = session->geometry(windows.main);
        return session->geometry(windows.titleStrip).topLeft() == titleStripDock(main) &&
               session->geometry(windows.toolbar).topLeft() == toolbarDock(main);
    }

    // The state the player comes up in, whichever way the splash went: the
    // splash hidden, the three windows shown, the main window (fitted to no
    // video) in the middle of the screen and active, its companions docked.
    void expectPlayerUp(const PlayerWindows& windows) {
        EXPECT_FALSE(session->isViewable(splash)) << "the splash is hidden";
        const QRect main = session->geometry(windows.main);
        EXPECT_LE(std::abs(2 * main.x() + main.width() - screen.width()), 4)
            << "across the middle: " << qPrintable(rectText(windows.main));
        EXPECT_LE(std::abs(2 * main.y() + main.height() - screen.height()), 4)
            << "down the middle: " << qPrintable(rectText(windows.main));
        EXPECT_TRUE(XSession::waitUntil([&] { return companionsDocked(windows); }, 3000, 10))
            << "title strip at " << qPrintable(pointText(windows.titleStrip)) << ", toolbar at "
            << qPrintable(pointText(windows.toolbar)) << ", main "
            << qPrintable(rectText(windows.main));
        EXPECT_TRUE(XSession::waitUntil(
            [&] { return session->geometry(windows.main).size() == kMainWithoutVideo; }, 3000))
            << qPrintable(rectText(windows.main));
        EXPECT_TRUE(
            XSession::waitUntil([&] { return session->activeWindow() == windows.main; }, 3000))
            << "active: " << session->activeWindow() << ", main: " << windows.main;
    }

    // Skips the intro with a click on the splash's picture.
    std::optional<PlayerWindows> skipIntro() {
        if (session->isViewable(splash)) {
            session->click(session->geometry(splash).topLeft() + kSplashPicture);
        }
        return waitForPlayerWindows();
    }

    QString pointText(quint64 window) {
        const QPoint at = session->geometry(window).topLeft();
        return QStringLiteral("(%1, %2)").arg(at.x()).arg(at.y());
    }
    QString rectText(quint64 window) {
        const QRect at = session->geometry(window);
        return QStringLiteral("(%1, %2, %3 x %4)")
            .arg(at.x())
            .arg(at.y())
            .arg(at.width())
            .arg(at.height());
    }

    // Holds while `condition` stays true for the whole time.
    static bool holdsFor(int ms, const std::function<bool()>& condition) {
        return !XSession::waitUntil([&] { return !condition(); }, ms);
    }

    QSize screen;
    std::unique_ptr<XSession> session;
    std::unique_ptr<QTemporaryDir> folder;
    QProcess* player = nullptr;
    quint64 splash = 0;
};

} // namespace

// The splash and the intro --------------------------------------------------------

TEST_F(StartupE2ETest, WhileTheIntroPlaysOnlyTheCentredSplashAndTheTrayIconAreUp) {
    // A long intro leaves time to look.
    const QString program = programCopy(60);
    startSession();
    ASSERT_NO_FATAL_FAILURE(launch(program));

    const QRect at = session->geometry(splash);
    EXPECT_EQ(at, QRect(centred(kSplashSize, screen), kSplashSize));
    EXPECT_EQ(session->frameGeometry(splash), at) << "no frame";
    EXPECT_FALSE(anyPlayerWindowViewable());
    EXPECT_EQ(session->waitForTrayIcons(1).size(), 1u);
    EXPECT_TRUE(session->isViewable(splash));
    EXPECT_FALSE(anyPlayerWindowViewable());
}

TEST_F(StartupE2ETest, AtTheIntrosEndTheSplashGivesWayToThePlayerAroundTheActiveMainWindow) {
    startSession();
    ASSERT_NO_FATAL_FAILURE(launch());
    QElapsedTimer shown;
    shown.start();
    ASSERT_TRUE(XSession::waitUntil([&] { return !session->isViewable(splash); }, 15000));
    const qint64 splashTime = shown.elapsed();
    const auto windows = waitForPlayerWindows();
    ASSERT_TRUE(windows) << qPrintable(shownPlayerWindows());
    // The splash stays for the chime (3.2 s), which began just before it went up.
    EXPECT_GT(splashTime, 1500);
    expectPlayerUp(*windows);
}

TEST_F(StartupE2ETest, AtTheIntrosEndTheTitleStripFirstStandsCentredAboveTheMainWindowThenDocks) {
    // The strip stands in its first place for one tick of the main window's
    // monitor (15 ms) before the monitor docks it: too short to see by looking
    // at the screen, and a window manager may take the two moves as one. So
    // this run has no window manager, and every move the program makes is
    // read from the X server's own reports.
    XSession::Options options;
    options.windowManager = false;
    options.trayHost = false;
    startSession(options);
    RootWatch watch(session->display());
    watch.record();
    ASSERT_NO_FATAL_FAILURE(launch());
    const auto windows = waitForPlayerWindows(15000);
    ASSERT_TRUE(windows) << qPrintable(shownPlayerWindows());
    ASSERT_TRUE(XSession::waitUntil([&] { return companionsDocked(*windows); }, 3000));

    const QRect main = session->geometry(windows->main);
    const QPoint first(pixels(twips(screen.width()) / 2 - twips(kTitleStripSize.width()) / 2),
                       pixels(twips(main.y()) - 800));
    const QPoint docked = titleStripDock(main);
    std::vector<QPoint> places; // where the strip went once it was shown
    bool shownYet = false;
    for (const RootWatch::Event& event : watch.events()) {
        if (event.window != windows->titleStrip) {
            continue;
        }
        if (event.mapped) {
            shownYet = true;
            places.clear();
        } else if (shownYet && (places.empty() || places.back() != event.at)) {
            places.push_back(event.at);
        }
    }
    QStringList trail;
    for (const QPoint& p : places) {
        trail << QStringLiteral("(%1, %2)").arg(p.x()).arg(p.y());
    }
    ASSERT_FALSE(places.empty());
    EXPECT_EQ(places.front(), first) << qPrintable(trail.join(' '));
    EXPECT_EQ(places.back(), docked) << qPrintable(trail.join(' '));
}

TEST_F(StartupE2ETest, AClickOnThePictureSkipsTheIntroAtOnceButAClickOnTheWordsDoesNot) {
    const QString program = programCopy(60);
    startSession();
    ASSERT_NO_FATAL_FAILURE(launch(program));
    const QRect at = session->geometry(splash);

    session->click(at.topLeft() + kSplashWords.center());
    EXPECT_TRUE(holdsFor(500, [&] {
        return session->isViewable(splash) && !anyPlayerWindowViewable();
    })) << "a click on the words leaves the splash up";

    session->click(at.topLeft() + kSplashPicture);
    const auto windows = waitForPlayerWindows(5000);
    ASSERT_TRUE(windows) << "the 60 s intro is skipped: " << qPrintable(shownPlayerWindows());
    expectPlayerUp(*windows);
}

TEST_F(StartupE2ETest, WithoutItsIntroFileTheProgramBringsUpThePlayerWindowsByItself) {
    const QString program = programCopy(std::nullopt);
    startSession();
    player = session->start(program, {});
    const auto windows = waitForPlayerWindows();
    ASSERT_TRUE(windows) << qPrintable(shownPlayerWindows());
    const auto found = session->windows(kSplashCaption);
    ASSERT_EQ(found.size(), 1u);
    splash = found.front();
    expectPlayerUp(*windows);
}

TEST_F(StartupE2ETest, AFileOnTheCommandLinePlaysFromItsStartOnceThePlayerWindowsAreShown) {
    startSession();
    ASSERT_NO_FATAL_FAILURE(launch(kProgram, {kSample}));
    const auto windows = waitForPlayerWindows(15000);
    ASSERT_TRUE(windows) << qPrintable(shownPlayerWindows());
    QElapsedTimer sinceShown;
    sinceShown.start();

    // The main window fits itself around the video, its companions follow.
    const QSize fitted(pixels(twips(kSampleSize.width()) + 200),
                       pixels(twips(kSampleSize.height()) + 500));
    EXPECT_TRUE(XSession::waitUntil(
        [&] { return session->geometry(windows->main).size() == fitted; }, 5000))
        << qPrintable(rectText(windows->main));
    EXPECT_TRUE(XSession::waitUntil([&] { return companionsDocked(*windows); }, 3000));

    // The time goes on: the label changes twice, so the clip is a second or two in.
    auto time = [&] {
        return session->screenshot().copy(
            kTimeLabel.translated(session->geometry(windows->toolbar).topLeft()));
    };
    for (int change = 0; change < 2; ++change) {
        const QImage before = time();
        EXPECT_TRUE(XSession::waitUntil([&] { return time() != before; }, 3000))
            << "change " << change;
    }
    session->saveScreenshot(QStringLiteral("player-windows"));

    // The 6 s clip ends (the main window lets go of the video's size) no
    // sooner than 6 s after the windows came up: it did not start behind the
    // 3.2 s splash.
    ASSERT_TRUE(XSession::waitUntil(
        [&] { return session->geometry(windows->main).size() == kMainWithoutVideo; }, 15000));
    EXPECT_GT(sinceShown.elapsed(), 4800);
}

// The tray icon ------------------------------------------------------------------

TEST_F(StartupE2ETest, ClickingTheTrayIconCentresTheMainWindowAndBringsItToTheFrontAlsoMinimised) {
    startSession();
    ASSERT_NO_FATAL_FAILURE(launch());
    const auto windows = skipIntro();
    ASSERT_TRUE(windows) << qPrintable(shownPlayerWindows());
    ASSERT_TRUE(XSession::waitUntil([&] { return companionsDocked(*windows); }, 3000));
    const auto icons = session->waitForTrayIcons(1);
    ASSERT_EQ(icons.size(), 1u);
    const quint64 main = windows->main;
    const QPoint middle = centred(kMainWithoutVideo, screen);

    // What the main window looks like, unobstructed.
    QImage look;
    ASSERT_TRUE(XSession::waitUntil(
        [&] {
            const QImage now = session->screenshot().copy(session->geometry(main));
            const bool same = now == look;
            look = now;
            return same;
        },
        3000, 100));

    auto moveAway = [&] {
        const QRect from = session->geometry(main);
        session->drag(from.topLeft() + QPoint(3, 3), QPoint(40, 80));
        ASSERT_TRUE(XSession::waitUntil([&] { return session->geometry(main).x() < 200; }, 3000));
    };
    auto centredInFront = [&] {
        const QRect now = session->geometry(main);
        return session->isViewable(main) && !session->isMinimized(main) &&
               now.topLeft() == middle && session->activeWindow() == main &&
               session->screenshot().copy(now) == look;
    };

    // Another program's window over the middle of the screen, and active.
    ASSERT_NO_FATAL_FAILURE(moveAway());
    session->start(QStringLiteral("xmessage"),
                   {QStringLiteral("-geometry"), QStringLiteral("700x600+290+200"),
                    QStringLiteral("in the way")});
    const auto other = session->waitForWindow(QStringLiteral("xmessage"));
    ASSERT_TRUE(other);
    ASSERT_TRUE(XSession::waitUntil([&] { return session->activeWindow() == *other; }, 3000));
    session->click(icons.front().center());
    EXPECT_TRUE(XSession::waitUntil(centredInFront, 3000)) << qPrintable(rectText(main));
    EXPECT_TRUE(XSession::waitUntil([&] { return companionsDocked(*windows); }, 3000));

    ASSERT_NO_FATAL_FAILURE(moveAway());
    session->minimize(main);
    ASSERT_TRUE(XSession::waitUntil([&] { return session->isMinimized(main); }, 3000));
    session->click(icons.front().center());
    EXPECT_TRUE(XSession::waitUntil(centredInFront, 3000)) << qPrintable(rectText(main));
}

TEST_F(StartupE2ETest, RightClickingTheTrayIconDoesNothing) {
    startSession();
    ASSERT_NO_FATAL_FAILURE(launch());
    const auto windows = skipIntro();
    ASSERT_TRUE(windows) << qPrintable(shownPlayerWindows());
    const auto icons = session->waitForTrayIcons(1);
    ASSERT_EQ(icons.size(), 1u);
    // Off the middle, where a left click would centre it.
    const QRect from = session->geometry(windows->main);
    session->drag(from.topLeft() + QPoint(3, 3), QPoint(40, 80));
    ASSERT_TRUE(XSession::waitUntil(
        [&] { return session->geometry(windows->main).x() < 200 && companionsDocked(*windows); },
        3000));

    RootWatch watch(session->display());
    const std::set<quint64> before = watch.viewableOnRoot();
    const QRect main = session->geometry(windows->main);
    const QRect title = session->geometry(windows->titleStrip);
    const QRect bar = session->geometry(windows->toolbar);
    session->click(icons.front().center(), 3);
    EXPECT_TRUE(holdsFor(500, [&] {
        return session->geometry(windows->main) == main &&
               session->geometry(windows->titleStrip) == title &&
               session->geometry(windows->toolbar) == bar;
    })) << "nothing moves";
    EXPECT_EQ(watch.viewableOnRoot(), before) << "no menu or other window";
    EXPECT_FALSE(session->pointerGrabbed());
}

// Exit ---------------------------------------------------------------------------

TEST_F(StartupE2ETest, ExitRemovesTheTrayIconAndEndsTheProgram) {
    startSession();
    ASSERT_NO_FATAL_FAILURE(launch());
    const auto windows = skipIntro();
    ASSERT_TRUE(windows) << qPrintable(shownPlayerWindows());
    ASSERT_EQ(session->waitForTrayIcons(1).size(), 1u);
    ASSERT_TRUE(XSession::waitUntil([&] { return companionsDocked(*windows); }, 3000));

    session->click(session->geometry(windows->toolbar).topLeft() + kExitButton);
    EXPECT_TRUE(XSession::waitUntil([&] { return session->trayIcons().empty(); }, 5000));
    ASSERT_TRUE(XSession::waitUntil([&] { return player->state() == QProcess::NotRunning; }, 5000));
    EXPECT_EQ(player->exitStatus(), QProcess::NormalExit);
    EXPECT_EQ(player->exitCode(), 0);
}
