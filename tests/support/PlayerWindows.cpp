#include "support/PlayerWindows.h"

#include <QThread>

#include <algorithm>

#include <cmath>
#include <stdexcept>

namespace quarn::e2e {

namespace {

[[noreturn]] void fail(const QString& message) {
    throw std::runtime_error(message.toStdString());
}

} // namespace

void PlayerWindows::launch(const QStringList& args, const QProcessEnvironment& env,
                           const QString& program) {
    player = desktop->start(program, args, env);
    windows = {};
    const auto found = desktop->waitForWindow(kSplashCaption, 15000);
    if (!found) {
        fail(QStringLiteral("no splash: ") + desktop->output(player));
    }
    splash = *found;
}

void PlayerWindows::waitForPlayerWindows(int timeoutMs) {
    const bool up = XSession::waitUntil(
        [&] {
            const auto main = viewable(kMainCaption);
            const auto title = viewable(kFormCaption, kTitleStripSize);
            const auto bar = viewable(kFormCaption, kToolbarSize);
            if (main && title && bar) {
                windows = {*main, *title, *bar};
            }
            return main && title && bar;
        },
        timeoutMs);
    if (!up) {
        fail(describeWindows() + '\n' + (player ? desktop->output(player) : QString()));
    }
}

void PlayerWindows::skipIntro(int timeoutMs) {
    if (desktop->isViewable(splash)) {
        desktop->click(desktop->geometry(splash).topLeft() + kSplashPicture);
    }
    waitForPlayerWindows(timeoutMs);
}

void PlayerWindows::start(const QStringList& args, const QProcessEnvironment& env) {
    // Given files, the player comes up at once; otherwise after its splash.
    const qsizetype optionsEnd = args.indexOf(QStringLiteral("--"));
    const bool files = optionsEnd >= 0
                           ? optionsEnd + 1 < args.size()
                           : std::any_of(args.begin(), args.end(), [](const QString& a) {
                                 return !a.startsWith(QLatin1Char('-'));
                             });
    if (files) {
        player = desktop->start(kProgram, args, env);
        windows = {};
        waitForPlayerWindows();
        return;
    }
    launch(args, env);
    skipIntro();
}

QString PlayerWindows::howItEnded() const {
    if (running()) {
        return QStringLiteral("running");
    }
    return player->exitStatus() == QProcess::CrashExit
               ? QStringLiteral("killed by signal %1").arg(player->exitCode())
               : QStringLiteral("exit status %1").arg(player->exitCode());
}

QString PlayerWindows::exit() {
    if (running()) {
        clickToolbar(kExit);
        if (!player->waitForFinished(5000)) {
            player->kill();
            player->waitForFinished(3000);
            return QStringLiteral("did not end after Exit; killed");
        }
    }
    return howItEnded();
}

QPoint PlayerWindows::toolbarButton(QPoint button) const {
    XSession::waitUntil([&] { return docked(); }, 3000);
    return toolbar().topLeft() + button;
}

void PlayerWindows::open(const QString& path) const {
    clickToolbar(kOpen);
    if (!desktop->waitForWindow(QStringLiteral("Open"), 10000)) {
        fail("no Open dialog; " + describeWindows());
    }
    QThread::msleep(300);
    desktop->type(path);
    desktop->key(QStringLiteral("Return"));
}

bool PlayerWindows::dismissBox(const QString& caption) const {
    const auto box = viewable(caption);
    if (box) {
        desktop->key(QStringLiteral("Return"));
        XSession::waitUntil([&] { return !desktop->isViewable(*box); }, 3000);
    }
    return box.has_value();
}

bool PlayerWindows::pictureMoves(int withinMs) const {
    const QImage first = grab(videoArea());
    return XSession::waitUntil([&] { return grab(videoArea()) != first; }, withinMs, 100);
}

std::optional<quint64> PlayerWindows::viewable(const QString& caption,
                                               std::optional<QSize> size) const {
    for (quint64 window : desktop->windows(caption)) {
        if (desktop->isViewable(window) && (!size || desktop->geometry(window).size() == *size)) {
            return window;
        }
    }
    return std::nullopt;
}

QString PlayerWindows::describeWindows() const {
    auto place = [&](std::optional<quint64> window) {
        if (!window) {
            return QStringLiteral("not shown");
        }
        const QRect at = desktop->geometry(*window);
        return QStringLiteral("at (%1, %2), %3 x %4")
            .arg(at.x())
            .arg(at.y())
            .arg(at.width())
            .arg(at.height());
    };
    QString text =
        QStringLiteral("main window %1, title strip %2, toolbar %3")
            .arg(place(viewable(kMainCaption)), place(viewable(kFormCaption, kTitleStripSize)),
                 place(viewable(kFormCaption, kToolbarSize)));
    if (windows.main != 0) {
        const QPoint title = titleStripDock(main());
        const QPoint bar = toolbarDock(main());
        text += QStringLiteral("; docked, the title strip is at (%1, %2), the toolbar at (%3, %4)")
                    .arg(title.x())
                    .arg(title.y())
                    .arg(bar.x())
                    .arg(bar.y());
    }
    return text;
}

int PlayerWindows::pixels(double twips) {
    return static_cast<int>(std::nearbyint(twips / 15));
}

QPoint PlayerWindows::centred(QSize window) const {
    return {pixels(twips(screen.width()) / 2 - twips(window.width()) / 2),
            pixels(twips(screen.height()) * 0.95 / 2 - twips(window.height()) / 2)};
}

QPoint PlayerWindows::titleStripDock(const QRect& main) {
    return {pixels(twips(main.x()) + twips(main.width()) / 2 - 1850), main.y() - 40};
}

QPoint PlayerWindows::toolbarDock(const QRect& main) {
    return {titleStripDock(main).x(), main.y() + main.height() + 2};
}

bool PlayerWindows::docked() const {
    const QRect at = main();
    return titleStrip().topLeft() == titleStripDock(at) && toolbar().topLeft() == toolbarDock(at);
}

QSize PlayerWindows::fittedAround(QSize video) {
    return {pixels(twips(video.width()) + 200), pixels(twips(video.height()) + 500)};
}

} // namespace quarn::e2e
