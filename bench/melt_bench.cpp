// How fast the melt effect runs on a 1920 x 1080 private display: steps a
// second, frames put on screen a second, and the processor time that costs
// the player and the X server. The effect runs in this process, on an X
// display of its own (xvfb-run), over a window of large squares.
//
//   melt_bench [seconds]    (default 5)
#include "ProcessStats.h"
#include "windows/Melter.h"

#include <QApplication>
#include <QDir>
#include <QKeyEvent>
#include <QPainter>
#include <QTimer>
#include <QWidget>
#include <unistd.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>

using namespace Qt::Literals::StringLiterals;

using quarn::bench::cpuSeconds;
using quarn::bench::readFile;

namespace {

constexpr const char* kOnDisplay = "QUARN_MELT_BENCH_DISPLAY";

// The X server of this display, found among the processes by its command line.
qint64 xServer() {
    const QString display = qEnvironmentVariable("DISPLAY");
    for (const QString& pid : QDir(u"/proc"_s).entryList(QDir::Dirs)) {
        const QStringList words = readFile(u"/proc/%1/cmdline"_s.arg(pid)).split(QChar(0));
        if (words.front().endsWith(QLatin1String("Xvfb")) && words.contains(display)) {
            return pid.toLongLong();
        }
    }
    return 0;
}

} // namespace

int main(int argc, char** argv) {
    if (!qEnvironmentVariableIsSet(kOnDisplay)) {
        // Again, on a display of its own.
        setenv(kOnDisplay, "1", 1);
        std::vector<char*> args{const_cast<char*>("xvfb-run"), const_cast<char*>("-a"),
                                const_cast<char*>("-s"),
                                const_cast<char*>("-screen 0 1920x1080x24 -nolisten tcp")};
        args.insert(args.end(), argv, argv + argc);
        args.push_back(nullptr);
        execvp("xvfb-run", args.data());
        std::perror("melt_bench: xvfb-run");
        return 1;
    }
    qputenv("QT_QPA_PLATFORM", "xcb");
    QApplication app(argc, argv);
    const int seconds = argc > 1 ? std::max(1, atoi(argv[1])) : 5;

    // A busy desktop of large squares, so that every step changes pixels.
    QWidget desktop;
    desktop.setWindowFlag(Qt::FramelessWindowHint);
    desktop.setGeometry(QApplication::primaryScreen()->geometry());
    QPalette squares;
    QImage tile(128, 128, QImage::Format_RGB32);
    QPainter painter(&tile);
    painter.fillRect(0, 0, 128, 128, QColor(0x20, 0x60, 0xc0));
    painter.fillRect(0, 64, 64, 64, QColor(0xf0, 0xc0, 0x20));
    painter.fillRect(64, 0, 64, 64, QColor(0xf0, 0xc0, 0x20));
    painter.end();
    squares.setBrush(QPalette::Window, QBrush(tile));
    desktop.setPalette(squares);
    desktop.setAutoFillBackground(true);
    desktop.show();
    QTimer::singleShot(1000, &app, [] {}); // let it paint

    const qint64 server = xServer();
    double playerBefore = 0;
    double serverBefore = 0;
    QTimer::singleShot(500, &app, [&] {
        playerBefore = cpuSeconds(getpid());
        serverBefore = cpuSeconds(server);
        // A key that types a character ends the effect.
        QTimer::singleShot(seconds * 1000, &app, [] {
            for (QWidget* window : QApplication::topLevelWidgets()) {
                if (qobject_cast<quarn::Melter*>(window) != nullptr) {
                    QKeyEvent key(QEvent::KeyPress, Qt::Key_X, Qt::NoModifier, u"x"_s);
                    QApplication::sendEvent(window, &key);
                }
            }
        });
        quarn::Melter::Run();
        QApplication::quit();
    });
    QApplication::exec();

    const quarn::Melter::Stats stats = quarn::Melter::LastRun();
    const double wall = stats.seconds;
    const double playerCpu = cpuSeconds(getpid()) - playerBefore;
    const double serverCpu = cpuSeconds(server) - serverBefore;
    std::printf("melt on a 1920x1080 display, %.2f s\n", wall);
    std::printf("  steps:            %lld (%.0f a second; goal 20000)\n",
                static_cast<long long>(stats.steps), stats.steps / wall);
    std::printf("  frames presented: %lld (%.1f a second; goal 30)\n",
                static_cast<long long>(stats.frames), stats.frames / wall);
    std::printf("  steps per frame:  %.0f\n",
                stats.frames > 0 ? double(stats.steps) / double(stats.frames) : 0.0);
    std::printf("  CPU, the effect:  %.2f s (%.0f%% of one core)\n", playerCpu,
                100 * playerCpu / wall);
    std::printf("  CPU, X server:    %.2f s (%.0f%% of one core)\n", serverCpu,
                100 * serverCpu / wall);
    return 0;
}
