// The end-to-end harness, checked against a small probe program that reports
// what it receives: if these pass, a failing player test is about the player.
#include "support/XSession.h"

#include <QDBusConnection>
#include <QDBusConnectionInterface>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QFileInfo>
#include <QProcess>
#include <QRegularExpression>
#include <QSystemTrayIcon>
#include <QThread>
#include <gtest/gtest.h>

#include <memory>

using quarn::e2e::XSession;

namespace {

const QString kProbe = QStringLiteral(QUARN_PROBE_PATH);
const QString kCaption = QStringLiteral("Harness Probe");
const QRgb kProbeColour = qRgb(0x20, 0x80, 0xc0);
const QPoint kProbePosition(200, 150);
const QSize kProbeSize(240, 160);

// Running, not merely a zombie: orphans wait here for a parent that may be
// slow to reap them.
bool processRunning(qint64 pid) {
    QFile stat(QStringLiteral("/proc/%1/stat").arg(pid));
    if (!stat.open(QIODevice::ReadOnly)) {
        return false;
    }
    const QByteArray line = stat.readAll();
    const qsizetype end = line.lastIndexOf(") ");
    return end >= 0 && end + 2 < line.size() && line[end + 2] != 'Z' && line[end + 2] != 'X';
}

// A session with the probe started in it and its window on screen.
class ProbeTest : public ::testing::Test {
protected:
    void SetUp() override {
        session = std::make_unique<XSession>();
        probe = session->start(kProbe, {});
        const auto found = session->waitForWindow(kCaption);
        ASSERT_TRUE(found) << "no probe window; log: " << qPrintable(session->logFile(probe));
        window = *found;
    }

    void TearDown() override {
        if (HasFailure() && session) {
            std::printf("probe log: %s\nscreenshot: %s\n", qPrintable(session->logFile(probe)),
                        qPrintable(session->saveScreenshot(QString::fromUtf8(
                            ::testing::UnitTest::GetInstance()->current_test_info()->name()))));
        }
    }

    QStringList reports() const { return session->output(probe).split('\n', Qt::SkipEmptyParts); }

    bool waitForReport(const QString& line, int timeoutMs = 5000) const {
        return XSession::waitUntil([&] { return reports().contains(line); }, timeoutMs);
    }

    // The text of every key press the probe saw, in order.
    QString typedText() const {
        QString text;
        for (const QString& line : reports()) {
            if (line.startsWith(QLatin1String("key "))) {
                text += line.section(' ', 2);
            }
        }
        return text;
    }

    // Waits until the window has stayed at one place for a moment.
    QRect settledGeometry() {
        QRect last = session->geometry(window);
        XSession::waitUntil(
            [&] {
                QThread::msleep(60);
                const QRect now = session->geometry(window);
                const bool same = now == last;
                last = now;
                return same;
            },
            2000);
        return last;
    }

    std::unique_ptr<XSession> session;
    QProcess* probe = nullptr;
    quint64 window = 0;
};

} // namespace

// Windows ----------------------------------------------------------------------

TEST_F(ProbeTest, FindsTheWindowByItsCaptionWhereTheProgramPlacedIt) {
    EXPECT_EQ(session->geometry(window), QRect(kProbePosition, kProbeSize));
    EXPECT_TRUE(session->isViewable(window));
    EXPECT_EQ(session->windows(kCaption), std::vector<quint64>{window});
    // A new window gets the focus.
    EXPECT_TRUE(XSession::waitUntil([&] { return session->activeWindow() == window; }, 2000));
}

TEST_F(ProbeTest, CaptionsMatchExactlyNotAsPatterns) {
    EXPECT_TRUE(session->windows(QStringLiteral("Harness")).empty());
    EXPECT_TRUE(session->windows(QStringLiteral("Harness.Probe")).empty());
    EXPECT_TRUE(session->windows(QStringLiteral("harness probe")).empty());
    EXPECT_TRUE(session->windows(QStringLiteral("Harness Probe ")).empty());
    EXPECT_FALSE(session->waitForWindow(QStringLiteral("Harness Probe.*"), 100));
}

TEST_F(ProbeTest, CaptionsWithPatternCharactersAreFound) {
    const QString about = QStringLiteral("About...");
    QProcess* second =
        session->start(kProbe, {QStringLiteral("500"), QStringLiteral("400"), about});
    const auto found = session->waitForWindow(about);
    ASSERT_TRUE(found) << qPrintable(session->logFile(second));
    EXPECT_EQ(session->geometry(*found).topLeft(), QPoint(500, 400));
    EXPECT_EQ(session->windows(QStringLiteral("About")).size(), 0u);
    EXPECT_EQ(session->windows(QStringLiteral("About..x")).size(), 0u);
    EXPECT_EQ(session->windows(kCaption), std::vector<quint64>{window});
}

TEST_F(ProbeTest, MinimizedWindowIsIconicAndNoLongerViewable) {
    EXPECT_FALSE(session->isMinimized(window));
    session->minimize(window);
    ASSERT_TRUE(XSession::waitUntil([&] { return session->isMinimized(window); }, 3000));
    EXPECT_FALSE(session->isViewable(window));
    EXPECT_FALSE(session->waitForWindow(kCaption, 100));
    EXPECT_EQ(session->windows(kCaption), std::vector<quint64>{window});
}

TEST_F(ProbeTest, ClosedWindowEndsTheProgram) {
    session->closeWindow(window);
    EXPECT_TRUE(XSession::waitUntil([&] { return probe->state() == QProcess::NotRunning; }, 5000));
    EXPECT_TRUE(session->windows(kCaption).empty());
}

// Input ------------------------------------------------------------------------

TEST_F(ProbeTest, ClickReachesTheWindowAtThatPoint) {
    const QRect at = session->geometry(window);
    session->click(at.topLeft() + QPoint(30, 40));
    EXPECT_TRUE(waitForReport(QStringLiteral("clicked 30 40 1")));
    session->click(at.topLeft() + QPoint(200, 120), 3);
    EXPECT_TRUE(waitForReport(QStringLiteral("clicked 200 120 3")));
}

TEST_F(ProbeTest, ClickOnAWindowThatMovesOnPressLeavesNoMoveGoing) {
    const QRect before = session->geometry(window);
    session->click(before.center());
    ASSERT_TRUE(waitForReport(QStringLiteral("system move started")));
    EXPECT_FALSE(session->pointerGrabbed());
    session->moveMouse(before.center() + QPoint(100, 100));
    EXPECT_EQ(settledGeometry(), before);
}

TEST_F(ProbeTest, DoubleClickArrivesAsOne) {
    const QRect at = session->geometry(window);
    session->doubleClick(at.topLeft() + QPoint(50, 60));
    EXPECT_TRUE(waitForReport(QStringLiteral("double clicked 50 60 1")))
        << qPrintable(reports().join('\n'));
}

TEST_F(ProbeTest, ClickActivatesTheWindowUnderThePointer) {
    // A second window over most of the first takes the focus when it appears.
    const QString other = QStringLiteral("Other Probe");
    session->start(kProbe, {QStringLiteral("260"), QStringLiteral("200"), other});
    const auto second = session->waitForWindow(other);
    ASSERT_TRUE(second);
    ASSERT_TRUE(XSession::waitUntil([&] { return session->activeWindow() == *second; }, 3000));

    session->click(session->geometry(window).topLeft() + QPoint(10, 10));
    EXPECT_TRUE(XSession::waitUntil([&] { return session->activeWindow() == window; }, 3000));
    session->type(QStringLiteral("k"));
    EXPECT_TRUE(XSession::waitUntil([&] { return typedText() == QLatin1String("k"); }, 3000));
}

// The release must not overtake the press: a program slow to handle it would
// ask for the move after the button is up, and the window would then follow
// the pointer.
TEST(XSessionTest, ClickOnASlowWindowThatMovesOnPressLeavesNoMoveGoing) {
    XSession session;
    QProcessEnvironment slow;
    slow.insert(QStringLiteral("PROBE_PRESS_DELAY_MS"), QStringLiteral("300"));
    QProcess* probe = session.start(kProbe, {}, slow);
    const auto window = session.waitForWindow(kCaption);
    ASSERT_TRUE(window) << qPrintable(session.logFile(probe));
    const QRect before = session.geometry(*window);
    session.click(before.center());
    EXPECT_TRUE(session.output(probe).contains(QLatin1String("system move started")))
        << "the click returned before the program handled the press";
    EXPECT_FALSE(session.pointerGrabbed());
    session.moveMouse(before.center() + QPoint(100, 100));
    QThread::msleep(200);
    EXPECT_EQ(session.geometry(*window), before);
}

TEST_F(ProbeTest, LeftDragMovesTheWindowByTheDragDistance) {
    const QRect before = session->geometry(window);
    session->drag(before.topLeft() + QPoint(20, 20), before.topLeft() + QPoint(320, 170));
    EXPECT_TRUE(XSession::waitUntil(
        [&] { return session->geometry(window).topLeft() == before.topLeft() + QPoint(300, 150); },
        3000))
        << "window at " << session->geometry(window).x() << "," << session->geometry(window).y();
    EXPECT_FALSE(session->pointerGrabbed());
    EXPECT_EQ(settledGeometry().size(), kProbeSize);
}

// Qt names button 1 in its move request whatever button was pressed, so
// openbox ends the move only on a left release: after a right drag the window
// follows the pointer until the next left click.
TEST_F(ProbeTest, RightDragMovesTheWindowAndTheMoveLastsUntilALeftClick) {
    const QRect before = session->geometry(window);
    session->drag(before.topLeft() + QPoint(20, 20), before.topLeft() + QPoint(120, 70), 3);
    EXPECT_TRUE(XSession::waitUntil(
        [&] { return session->geometry(window).topLeft() == before.topLeft() + QPoint(100, 50); },
        3000));
    EXPECT_TRUE(session->pointerGrabbed());

    session->click(before.topLeft() + QPoint(170, 120));
    EXPECT_TRUE(XSession::waitUntil([&] { return !session->pointerGrabbed(); }, 2000));
    const QRect after = settledGeometry();
    EXPECT_EQ(after.topLeft(), before.topLeft() + QPoint(150, 100));
    session->moveMouse(QPoint(900, 700));
    EXPECT_EQ(settledGeometry(), after);
}

TEST_F(ProbeTest, TypedTextArrivesVerbatim) {
    // Repeated characters that the keymap lacks are where remapping races show.
    const QString text = QStringLiteral("Hello, world! \"quoted\" 'single' -x --y é€ßéé€€ Ωω ü");
    session->type(text);
    EXPECT_TRUE(XSession::waitUntil([&] { return typedText() == text; }, 5000))
        << "typed: " << qPrintable(typedText());
}

TEST_F(ProbeTest, TypingManyCharactersTheKeymapLacksKeepsThemAll) {
    // More distinct new characters than the keymap has spare keys.
    QString text;
    for (char32_t c = 0x3b1; c < 0x3b1 + 24; ++c) {
        text += QString::fromUcs4(&c, 1);
    }
    text += text;
    session->type(text);
    EXPECT_TRUE(XSession::waitUntil([&] { return typedText() == text; }, 15000))
        << "typed: " << qPrintable(typedText());
}

TEST_F(ProbeTest, KeysArriveByTheirNames) {
    session->key(QStringLiteral("Return"));
    session->key(QStringLiteral("F5"));
    session->key(QStringLiteral("Left"));
    session->key(QStringLiteral("shift+a"));
    session->keyDown(QStringLiteral("Shift_L"));
    session->keyUp(QStringLiteral("Shift_L"));
    session->key(QStringLiteral("é"));
    auto press = [](Qt::Key key, const QString& text) {
        return QStringLiteral("key %1 %2").arg(int(key), 0, 16).arg(text);
    };
    const QStringList expected = {press(Qt::Key_Return, QStringLiteral("\r")),
                                  press(Qt::Key_F5, {}),
                                  press(Qt::Key_Left, {}),
                                  press(Qt::Key_Shift, {}),
                                  press(Qt::Key_A, QStringLiteral("A")),
                                  press(Qt::Key_Shift, {}),
                                  press(Qt::Key_Eacute, QStringLiteral("é"))};
    auto keys = [&] { return reports().filter(QRegularExpression(QStringLiteral("^key "))); };
    EXPECT_TRUE(XSession::waitUntil([&] { return keys() == expected; }, 5000))
        << qPrintable(keys().join('\n'));
}

// Screen -----------------------------------------------------------------------

TEST_F(ProbeTest, ScreenshotShowsTheWindowColourWhereItIs) {
    const QRect at = session->geometry(window);
    QImage shot;
    // Mapped is not yet painted.
    ASSERT_TRUE(XSession::waitUntil(
        [&] {
            shot = session->screenshot();
            return shot.pixel(at.center()) == kProbeColour;
        },
        5000));
    ASSERT_EQ(shot.size(), QSize(1280, 1024));
    EXPECT_EQ(shot.format(), QImage::Format_RGB32);
    EXPECT_EQ(shot.pixel(at.topLeft()), kProbeColour);
    EXPECT_EQ(shot.pixel(at.bottomRight()), kProbeColour);
    EXPECT_EQ(shot.pixel(at.center()), kProbeColour);
    EXPECT_EQ(shot.pixel(at.topLeft() - QPoint(1, 1)), qRgb(0, 0, 0));
    EXPECT_EQ(shot.pixel(at.bottomRight() + QPoint(1, 1)), qRgb(0, 0, 0));

    const QString path = session->saveScreenshot(QStringLiteral("harness-probe"));
    EXPECT_EQ(QImage(path).pixel(at.center()), kProbeColour);
}

TEST_F(ProbeTest, DesktopBackgroundShowsAroundTheWindows) {
    const QRect at = session->geometry(window);
    ASSERT_TRUE(XSession::waitUntil(
        [&] { return session->screenshot().pixel(at.center()) == kProbeColour; }, 5000));
    session->setDesktopBackground(QColor(0xff, 0x00, 0xff));
    QImage shot = session->screenshot();
    EXPECT_EQ(shot.pixel(at.topLeft() - QPoint(1, 1)), qRgb(0xff, 0, 0xff));
    EXPECT_EQ(shot.pixel(at.center()), kProbeColour);

    // A two-colour checkerboard of 8-pixel squares, repeated from the corner.
    QImage tile(16, 16, QImage::Format_RGB32);
    for (int y = 0; y < 16; ++y) {
        for (int x = 0; x < 16; ++x) {
            tile.setPixel(x, y, ((x / 8) + (y / 8)) % 2 ? qRgb(0, 0xff, 0) : qRgb(0xff, 0xff, 0));
        }
    }
    session->setDesktopBackground(tile);
    shot = session->screenshot();
    for (const QPoint p :
         {QPoint(3, 3), QPoint(12, 3), QPoint(1000, 600), QPoint(1009, 609), QPoint(1017, 600)}) {
        EXPECT_EQ(shot.pixel(p), tile.pixel(p.x() % 16, p.y() % 16)) << p.x() << "," << p.y();
    }
    EXPECT_EQ(shot.pixel(at.center()), kProbeColour);
}

// Tray -------------------------------------------------------------------------

TEST_F(ProbeTest, TrayIconIsFoundAndAClickOnItReachesTheProgram) {
    const std::vector<QRect> icons = session->waitForTrayIcons(1);
    ASSERT_EQ(icons.size(), 1u) << "now: " << session->trayIcons().size();
    const QRect icon = icons.front();
    EXPECT_EQ(session->trayIcons(), icons);
    EXPECT_GE(icon.width(), 16);
    EXPECT_GE(icon.height(), 16);
    // Our icon is drawn where the tray host says it is.
    EXPECT_TRUE(XSession::waitUntil(
        [&] { return session->screenshot().pixel(icon.center()) == qRgb(0xe0, 0x40, 0x20); },
        5000));

    session->click(icon.center());
    EXPECT_TRUE(
        waitForReport(QStringLiteral("tray activated %1").arg(int(QSystemTrayIcon::Trigger))));
}

// Sessions ---------------------------------------------------------------------

TEST(XSessionTest, ComesUpQuicklyWithItsOwnDisplayBusAndFolders) {
    QElapsedTimer timer;
    timer.start();
    XSession session;
    const qint64 startMs = timer.elapsed();
    std::printf("session up in %lld ms on %s\n", startMs, qPrintable(session.display()));
    EXPECT_LT(startMs, 5000);

    EXPECT_TRUE(session.display().startsWith(':'));
    const QProcessEnvironment env = session.environment();
    EXPECT_EQ(env.value(QStringLiteral("DISPLAY")), session.display());
    EXPECT_EQ(env.value(QStringLiteral("DBUS_SESSION_BUS_ADDRESS")), session.busAddress());
    EXPECT_FALSE(env.contains(QStringLiteral("WAYLAND_DISPLAY")));
    const QFileInfo runtime(env.value(QStringLiteral("XDG_RUNTIME_DIR")));
    EXPECT_TRUE(runtime.isDir());
    EXPECT_EQ(runtime.permissions() & (QFileDevice::ReadGroup | QFileDevice::ReadOther), 0);

    // The bus works and is ours: a name registered on it is seen there.
    const QString connectionName = QStringLiteral("harness-test-bus");
    {
        QDBusConnection bus = QDBusConnection::connectToBus(session.busAddress(), connectionName);
        ASSERT_TRUE(bus.isConnected()) << qPrintable(bus.lastError().message());
        EXPECT_TRUE(bus.registerService(QStringLiteral("org.freedesktop.ScreenSaver")));
        EXPECT_TRUE(
            bus.interface()->isServiceRegistered(QStringLiteral("org.freedesktop.ScreenSaver")));
    }
    QDBusConnection::disconnectFromBus(connectionName);
}

TEST(XSessionTest, DecoratedWindowSitsInsideItsFrame) {
    XSession session;
    QProcessEnvironment decorated;
    decorated.insert(QStringLiteral("PROBE_DECORATED"), QStringLiteral("1"));
    QProcess* probe = session.start(kProbe, {}, decorated);
    const auto window = session.waitForWindow(kCaption);
    ASSERT_TRUE(window) << qPrintable(session.logFile(probe));
    const QRect inner = session.geometry(*window);
    const QRect outer = session.frameGeometry(*window);
    EXPECT_EQ(inner.size(), kProbeSize);
    EXPECT_TRUE(outer.contains(inner));
    EXPECT_GT(outer.height(), inner.height()) << "no title bar";
}

TEST(XSessionTest, OptionsLeaveOutTheWindowManagerAndTheTray) {
    XSession session({QSize(800, 600), false, false, false});
    QProcess* probe = session.start(kProbe, {});
    ASSERT_TRUE(session.waitForWindow(kCaption)) << qPrintable(session.logFile(probe));
    EXPECT_EQ(session.screenshot().size(), QSize(800, 600));
    EXPECT_TRUE(session.busAddress().isEmpty());
    EXPECT_TRUE(session.trayIcons().empty());
    // Without a window manager nobody takes a move over; without a tray host
    // there is no tray.
    const auto window = *session.windows(kCaption).begin();
    EXPECT_EQ(session.frameGeometry(window), session.geometry(window));
    session.click(session.geometry(window).center());
    EXPECT_TRUE(XSession::waitUntil(
        [&] { return session.output(probe).contains(QLatin1String("system move refused")); }, 5000))
        << qPrintable(session.output(probe));
    EXPECT_TRUE(session.output(probe).contains(QLatin1String("tray available 0")));
}

TEST(XSessionTest, TwoSessionsRunSideBySideWithoutSeeingEachOther) {
    XSession first;
    XSession second;
    EXPECT_NE(first.display(), second.display());
    EXPECT_NE(first.busAddress(), second.busAddress());

    QProcess* probe = first.start(kProbe, {});
    ASSERT_TRUE(first.waitForWindow(kCaption)) << qPrintable(first.logFile(probe));
    EXPECT_TRUE(second.windows(kCaption).empty());
    EXPECT_NE(first.logFile(probe), QString());

    QProcess* other = second.start(kProbe, {QStringLiteral("600"), QStringLiteral("500")});
    const auto window = second.waitForWindow(kCaption);
    ASSERT_TRUE(window) << qPrintable(second.logFile(other));
    EXPECT_EQ(second.geometry(*window).topLeft(), QPoint(600, 500));
    second.click(second.geometry(*window).topLeft() + QPoint(5, 6));
    EXPECT_TRUE(XSession::waitUntil(
        [&] { return second.output(other).contains(QLatin1String("clicked 5 6 1")); }, 5000));
    EXPECT_FALSE(first.output(probe).contains(QLatin1String("clicked")));
}

TEST(XSessionTest, EndingASessionStopsEveryProcessItStarted) {
    std::vector<qint64> pids;
    QString socket;
    {
        XSession session;
        session.start(kProbe, {});
        ASSERT_TRUE(session.waitForWindow(kCaption));
        // A program that leaves a child of its own behind.
        QProcess* shell =
            session.start(QStringLiteral("sh"),
                          {QStringLiteral("-c"), QStringLiteral("sleep 300 & echo $!; wait")});
        ASSERT_TRUE(XSession::waitUntil(
            [&] { return session.output(shell).trimmed().toLongLong() > 0; }, 3000));
        pids = session.processIds();
        pids.push_back(session.output(shell).trimmed().toLongLong());
        socket = QStringLiteral("/tmp/.X11-unix/X") + session.display().mid(1);
        EXPECT_TRUE(QFileInfo::exists(socket));
        for (qint64 pid : pids) {
            EXPECT_TRUE(processRunning(pid)) << pid;
        }
        EXPECT_EQ(pids.size(), 7u) << "Xvfb, dbus-daemon, openbox, trayer, probe, sh, sleep";
    }
    for (qint64 pid : pids) {
        EXPECT_FALSE(processRunning(pid)) << pid;
    }
    EXPECT_FALSE(QFileInfo::exists(socket));
}

TEST(XSessionTest, StartingAMissingProgramFailsClearly) {
    XSession session({QSize(640, 480), false, false, false});
    try {
        session.start(QStringLiteral("quarn-no-such-program"), {});
        FAIL() << "no exception";
    } catch (const std::runtime_error& error) {
        EXPECT_NE(std::string(error.what()).find("quarn-no-such-program"), std::string::npos)
            << error.what();
    }
}
