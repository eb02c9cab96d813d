// The end-to-end harness's own smoke test, against a small probe program that
// reports what it receives. It checks what a broken harness would do to the
// player tests in ways they would not show clearly; what every player test
// does anyway (find, click and drag windows, read the screen, the tray) is
// left to them.
#include "support/XSession.h"

#include <QElapsedTimer>
#include <QFile>
#include <QFileInfo>
#include <QProcess>
#include <QThread>
#include <gtest/gtest.h>

using quarn::e2e::XSession;

namespace {

const QString kProbe = QStringLiteral(QUARN_PROBE_PATH);
const QString kCaption = QStringLiteral("Harness Probe");

} // namespace

TEST(XSessionTest, ComesUpWithItsOwnDisplayAndGoesAwayWithEveryProcessItStarted) {
    std::vector<qint64> pids;
    QString socket;
    {
        QElapsedTimer timer;
        timer.start();
        XSession session;
        EXPECT_LT(timer.elapsed(), 5000) << "to come up";
        const QProcessEnvironment env = session.environment();
        EXPECT_EQ(env.value(QStringLiteral("DISPLAY")), session.display());
        EXPECT_EQ(env.value(QStringLiteral("DBUS_SESSION_BUS_ADDRESS")), session.busAddress());
        EXPECT_FALSE(env.contains(QStringLiteral("WAYLAND_DISPLAY")));
        const QFileInfo runtime(env.value(QStringLiteral("XDG_RUNTIME_DIR")));
        EXPECT_TRUE(runtime.isDir());
        EXPECT_EQ(runtime.permissions() & (QFileDevice::ReadGroup | QFileDevice::ReadOther), 0);

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
        EXPECT_EQ(pids.size(), 7u) << "Xvfb, dbus-daemon, openbox, trayer, probe, sh, sleep";
        for (qint64 pid : pids) {
            EXPECT_TRUE(XSession::processRunning(pid)) << pid;
        }
        socket = QStringLiteral("/tmp/.X11-unix/X") + session.display().mid(1);
        EXPECT_TRUE(QFileInfo::exists(socket));

        try {
            session.start(QStringLiteral("quarn-no-such-program"), {});
            ADD_FAILURE() << "a missing program started";
        } catch (const std::runtime_error& error) {
            EXPECT_NE(std::string(error.what()).find("quarn-no-such-program"), std::string::npos)
                << error.what();
        }
    }
    for (qint64 pid : pids) {
        EXPECT_FALSE(XSession::processRunning(pid)) << pid;
    }
    EXPECT_FALSE(QFileInfo::exists(socket));
}

TEST(XSessionTest, TwoSessionsRunSideBySideWithoutSeeingEachOther) {
    XSession first;
    XSession second;
    EXPECT_NE(first.display(), second.display());
    EXPECT_NE(first.busAddress(), second.busAddress());

    QProcess* probe = first.start(kProbe, {});
    ASSERT_TRUE(first.waitForWindow(kCaption)) << qPrintable(first.logFile(probe));
    EXPECT_TRUE(second.windows(kCaption).empty());

    // This one with the window manager's frame round it.
    QProcessEnvironment decorated;
    decorated.insert(QStringLiteral("PROBE_DECORATED"), QStringLiteral("1"));
    QProcess* other =
        second.start(kProbe, {QStringLiteral("600"), QStringLiteral("500")}, decorated);
    const auto window = second.waitForWindow(kCaption);
    ASSERT_TRUE(window) << qPrintable(second.logFile(other));
    const QRect inner = second.geometry(*window);
    const QRect outer = second.frameGeometry(*window);
    EXPECT_EQ(inner.size(), QSize(240, 160));
    EXPECT_TRUE(outer.contains(inner));
    EXPECT_GT(outer.height(), inner.height()) << "no title bar";

    second.click(inner.topLeft() + QPoint(5, 6));
    EXPECT_TRUE(XSession::waitUntil(
        [&] { return second.output(other).contains(QLatin1String("clicked 5 6 1")); }, 5000));
    EXPECT_FALSE(first.output(probe).contains(QLatin1String("clicked")));
}

TEST(XSessionTest, CaptionsMatchExactlyNotAsPatterns) {
    XSession session;
    const QString about = QStringLiteral("About...");
    QProcess* probe = session.start(kProbe, {QStringLiteral("500"), QStringLiteral("400"), about});
    const auto found = session.waitForWindow(about);
    ASSERT_TRUE(found) << qPrintable(session.logFile(probe));
    EXPECT_EQ(session.windows(about), std::vector<quint64>{*found});
    for (const char* other : {"About", "bout...", "About..x", "about...", "About... ", "About.*"}) {
        EXPECT_TRUE(session.windows(QString::fromLatin1(other)).empty()) << other;
    }
}

// The release must not overtake the press: a program slow to handle it would
// ask for the move after the button is up, and the window would then follow
// the pointer.
TEST(XSessionTest, AClickOnASlowWindowThatMovesOnPressLeavesNoMoveGoing) {
    XSession session;
    QProcessEnvironment slow;
    slow.insert(QStringLiteral("PROBE_PRESS_DELAY_MS"), QStringLiteral("300"));
    QProcess* probe = session.start(kProbe, {}, slow);
    const auto window = session.waitForWindow(kCaption);
    ASSERT_TRUE(window) << qPrintable(session.logFile(probe));
    const QRect before = session.geometry(*window);
    session.click(before.topLeft() + QPoint(30, 40));
    EXPECT_TRUE(
        session.output(probe).contains(QLatin1String("clicked 30 40 1\nsystem move started")))
        << "the click returned before the program handled the press";
    EXPECT_FALSE(session.pointerGrabbed());
    session.moveMouse(before.center() + QPoint(100, 100));
    QThread::msleep(200);
    EXPECT_EQ(session.geometry(*window), before);
}

TEST(XSessionTest, TypedTextArrivesVerbatimAlsoWithMoreNewCharactersThanTheKeymapHasRoomFor) {
    XSession session;
    QProcess* probe = session.start(kProbe, {});
    ASSERT_TRUE(session.waitForWindow(kCaption)) << qPrintable(session.logFile(probe));
    // Repeated characters that the keymap lacks are where remapping races
    // show; the Greek letters are more of them than it has spare keys for.
    QString text = QStringLiteral("Hello, world! \"quoted\" 'single' -x --y é€ßéé€€ ü ");
    for (char32_t c = 0x3b1; c < 0x3b1 + 24; ++c) {
        text += QString::fromUcs4(&c, 1);
    }
    text += text;
    session.type(text);
    // The probe reports each key press as "key <code> <text>".
    auto typed = [&] {
        QString all;
        for (const QString& line : session.output(probe).split('\n')) {
            all += line.startsWith(QLatin1String("key ")) ? line.section(' ', 2) : QString();
        }
        return all;
    };
    EXPECT_TRUE(XSession::waitUntil([&] { return typed() == text; }, 15000))
        << "typed: " << qPrintable(typed());
}
