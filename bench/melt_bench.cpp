// How fast the melt effect runs on a 1920 x 1080 private display: steps a
// second, frames put on screen a second, and the processor time that costs
// the player and the X server.
//
//   melt_bench [seconds]    (default 5)
#include "ProcessStats.h"
#include "support/XSession.h"

#include <QCoreApplication>
#include <QFile>
#include <QProcess>
#include <QRegularExpression>
#include <QThread>
#include <unistd.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <optional>

using quarn::bench::cpuSeconds;
using quarn::bench::processNamed;
using quarn::e2e::XSession;

namespace {

int fail(const char* what, XSession& session, const QProcess* player) {
    std::fprintf(stderr, "melt_bench: %s\nplayer log: %s\n", what,
                 qPrintable(session.logFile(player)));
    return 1;
}

} // namespace

int main(int argc, char** argv) {
    QCoreApplication app(argc, argv);
    const int seconds = argc > 1 ? std::max(1, atoi(argv[1])) : 5;

    XSession::Options options;
    options.screen = QSize(1920, 1080);
    XSession session(options);
    // A busy desktop of large squares, so that every step changes pixels.
    QImage tile(128, 128, QImage::Format_RGB32);
    for (int y = 0; y < 128; ++y) {
        for (int x = 0; x < 128; ++x) {
            tile.setPixel(
                x, y, ((x / 64) + (y / 64)) % 2 ? qRgb(0xf0, 0xc0, 0x20) : qRgb(0x20, 0x60, 0xc0));
        }
    }
    session.setDesktopBackground(tile);

    QProcessEnvironment env;
    env.insert(QStringLiteral("QUARN_MELT_STATS"), QStringLiteral("1"));
    QProcess* player = session.start(QStringLiteral(QUARN_PROGRAM_PATH), {}, env);
    const auto intro = session.waitForWindow(QStringLiteral("Intro"), 15000);
    if (!intro) {
        return fail("no splash", session, player);
    }
    session.click(session.geometry(*intro).center());
    if (!session.waitForWindow(QStringLiteral("QUARN Media Player"), 10000)) {
        return fail("no main window", session, player);
    }
    std::optional<QRect> toolbar;
    XSession::waitUntil(
        [&] {
            for (quint64 window : session.windows(QStringLiteral("Form1"))) {
                if (session.isViewable(window) &&
                    session.geometry(window).size() == QSize(244, 46)) {
                    toolbar = session.geometry(window);
                }
            }
            return toolbar.has_value();
        },
        5000);
    if (!toolbar) {
        return fail("no toolbar", session, player);
    }
    QThread::msleep(500);

    // Screen Effects, then "Melter", the menu's first item.
    const QPoint button = toolbar->topLeft() + QPoint(192, 18);
    session.click(button);
    QThread::msleep(400);
    session.click(button + QPoint(40, 11));
    const auto started = [&] {
        return session.output(player).contains(QLatin1String("melt: running"));
    };
    if (!XSession::waitUntil(started, 5000)) {
        return fail("the effect did not start", session, player);
    }
    const qint64 server = processNamed(session, QStringLiteral("Xvfb"));
    const double playerBefore = cpuSeconds(player->processId()).value_or(0.0);
    const double serverBefore = cpuSeconds(server).value_or(0.0);
    QThread::sleep(static_cast<unsigned long>(seconds));
    session.key(QStringLiteral("Escape"));

    static const QRegularExpression ended(
        QStringLiteral("melt: (\\d+) steps, (\\d+) frames in ([0-9.]+) s"));
    QRegularExpressionMatch result;
    if (!XSession::waitUntil(
            [&] {
                result = ended.match(session.output(player));
                return result.hasMatch();
            },
            5000)) {
        return fail("the effect did not end", session, player);
    }
    const double playerCpu = cpuSeconds(player->processId()).value_or(0.0) - playerBefore;
    const double serverCpu = cpuSeconds(server).value_or(0.0) - serverBefore;
    const double steps = result.captured(1).toDouble();
    const double frames = result.captured(2).toDouble();
    const double wall = result.captured(3).toDouble();

    std::printf("melt on a 1920x1080 display, %.2f s\n", wall);
    std::printf("  steps:            %.0f (%.0f a second; goal 20000)\n", steps, steps / wall);
    std::printf("  frames presented: %.0f (%.1f a second; goal 30)\n", frames, frames / wall);
    std::printf("  steps per frame:  %.0f\n", frames > 0 ? steps / frames : 0.0);
    std::printf("  CPU, player:      %.2f s (%.0f%% of one core)\n", playerCpu,
                100 * playerCpu / wall);
    std::printf("  CPU, X server:    %.2f s (%.0f%% of one core)\n", serverCpu,
                100 * serverCpu / wall);
    return 0;
}
