#include "support/PlayerWindows.h"

#include <QFile>
#include <QFileInfo>
#include <QImageReader>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>

#include <cmath>
#include <stdexcept>

using namespace Qt::Literals::StringLiterals;

namespace quarn::e2e {

namespace {

[[noreturn]] void fail(const QString& message) {
    throw std::runtime_error(message.toStdString());
}

} // namespace

PlayerWindows::Look PlayerWindows::ReadLook(const QString& path, double scale) {
    QFile file(path + u"/skin.json"_s);
    if (!file.open(QIODevice::ReadOnly)) {
        fail(u"no manifest in "_s + path);
    }
    const QJsonObject skin = QJsonDocument::fromJson(file.readAll()).object();
    auto part = [&](const char* window) { return skin.value(QLatin1String(window)).toObject(); };
    auto scaled = [scale](double pixels) { return int(std::lround(pixels * scale)); };
    auto rect = [&](const QJsonValue& value) {
        const QJsonArray r = value.toArray();
        const int left = scaled(r[0].toInt()), top = scaled(r[1].toInt());
        return QRect(left, top, scaled(r[0].toInt() + r[2].toInt()) - left,
                     scaled(r[1].toInt() + r[3].toInt()) - top);
    };
    auto size = [&](const char* window) {
        const QSize at1x = QImageReader(path + '/' + part(window)["picture"].toString()).size();
        return QSize(scaled(at1x.width()), scaled(at1x.height()));
    };
    auto dock = [&](const char* window) {
        const QJsonObject at = part(window)["dock"].toObject();
        return QPoint(scaled(at["x"].toInt()), scaled(at["gap"].toInt()));
    };
    Look look;
    look.titleStrip = size("titleStrip");
    look.toolbar = size("toolbar");
    look.display = rect(part("main")["display"]);
    const QJsonArray extra = part("main")["extra"].toArray();
    look.extra = QSize(scaled(extra[0].toInt()), scaled(extra[1].toInt()));
    look.titleDock = dock("titleStrip");
    look.toolbarDock = dock("toolbar");
    const char* commands[] = {"play", "pause", "stop", "open", "effects", "exit"};
    for (const QJsonValue& button : part("toolbar")["buttons"].toArray()) {
        for (int i = 0; i < 6; ++i) {
            if (button["command"].toString() == QLatin1String(commands[i])) {
                look.buttons[i] = rect(button["rect"]);
            }
        }
    }
    look.time = rect(part("toolbar")["time"].toObject()["rect"]);
    look.title = rect(part("titleStrip")["title"].toObject()["rect"]);
    return look;
}

void PlayerWindows::launch(const QStringList& args, const QProcessEnvironment& env,
                           const QString& program) {
    player = desktop->start(program, args, env);
    windows = {};
    const auto found = desktop->waitForWindow(kSplashCaption, 15000);
    if (!found) {
        fail(u"no splash: "_s + desktop->output(player));
    }
    splash = *found;
}

void PlayerWindows::waitForPlayerWindows(int timeoutMs) {
    const bool up = XSession::waitUntil(
        [&] {
            const auto main = viewable(kMainCaption);
            const auto title = viewable(kFormCaption, titleStripSize());
            const auto bar = viewable(kFormCaption, toolbarSize());
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
    if (!args.isEmpty()) {
        player = desktop->start(kProgram, args, env);
        windows = {};
        waitForPlayerWindows();
    } else {
        launch(args, env);
        skipIntro();
    }
    // Keys typed next go to the player once the window manager has given the
    // focus to its main window, or to a message the player put up at once; on
    // a busy machine that comes a moment after the windows show.
    XSession::waitUntil(
        [&] {
            const quint64 active = desktop->activeWindow();
            return active == windows.main ||
                   (active != 0 && active != windows.titleStrip && active != windows.toolbar &&
                    desktop->isViewable(active));
        },
        5000 * kSlowdown);
}

QString PlayerWindows::howItEnded() const {
    return running() ? u"running"_s
           : player->exitStatus() == QProcess::CrashExit
               ? u"killed by signal %1"_s.arg(player->exitCode())
               : u"exit status %1"_s.arg(player->exitCode());
}

QString PlayerWindows::exit() {
    if (running()) {
        clickToolbar(kExit);
        if (!player->waitForFinished(5000)) {
            // What was on the screen, before the killing takes it away.
            const QString shown = desktop->saveScreenshot(
                QFileInfo(desktop->logDirectory()).fileName() + u"-at-exit"_s);
            const QString windows = describeWindows();
            player->kill();
            player->waitForFinished(3000);
            return u"did not end after Exit; killed (%1; %2)"_s.arg(windows, shown);
        }
    }
    return howItEnded();
}

QPoint PlayerWindows::toolbarButton(Button button) const {
    XSession::waitUntil([&] { return docked(); }, 3000);
    return toolbar().topLeft() + look_.buttons[button].center();
}

quint64 PlayerWindows::showOpenDialog() const {
    clickToolbar(kOpen);
    const auto dialog = desktop->waitForWindow(u"Open"_s, 10000);
    if (!dialog) {
        fail("no Open dialog; " + describeWindows());
    }
    // What is typed goes to the dialog once it has the focus.
    XSession::waitUntil([&] { return desktop->activeWindow() == *dialog; }, 3000);
    return *dialog;
}

void PlayerWindows::open(const QString& path) const {
    showOpenDialog();
    desktop->type(path);
    desktop->key(u"Return"_s);
}

bool PlayerWindows::dismissBox(const QString& caption) const {
    const auto box = viewable(caption);
    if (box) {
        desktop->key(u"Return"_s);
        XSession::waitUntil([&] { return !desktop->isViewable(*box); }, 3000);
    }
    return box.has_value();
}

bool PlayerWindows::fits(QSize video, int timeoutMs) const {
    return XSession::waitUntil([&] { return main().size() == fittedAround(video); }, timeoutMs);
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
            return u"not shown"_s;
        }
        const QRect at = desktop->geometry(*window);
        return u"at (%1, %2), %3 x %4"_s.arg(at.x()).arg(at.y()).arg(at.width()).arg(at.height());
    };
    return u"main window %1, title strip %2, toolbar %3"_s.arg(
        place(viewable(kMainCaption)), place(viewable(kFormCaption, titleStripSize())),
        place(viewable(kFormCaption, toolbarSize())));
}

int PlayerWindows::pixels(double twips) {
    return static_cast<int>(std::nearbyint(twips / 15));
}

QPoint PlayerWindows::centred(QSize window) const {
    return {pixels(twips(screen.width()) / 2 - twips(window.width()) / 2),
            pixels(twips(screen.height()) * 0.95 / 2 - twips(window.height()) / 2)};
}

QPoint PlayerWindows::titleStripDock(const QRect& main) const {
    return {main.x() + main.width() / 2 + look_.titleDock.x(),
            main.y() - look_.titleDock.y() - look_.titleStrip.height()};
}

bool PlayerWindows::docked() const {
    const QRect at = main();
    return titleStrip().topLeft() == titleStripDock(at) &&
           toolbar().topLeft() == QPoint(at.x() + at.width() / 2 + look_.toolbarDock.x(),
                                         at.y() + at.height() + look_.toolbarDock.y());
}

bool PlayerWindows::near(QRgb a, QRgb b, int tolerance) {
    return std::abs(qRed(a) - qRed(b)) <= tolerance &&
           std::abs(qGreen(a) - qGreen(b)) <= tolerance &&
           std::abs(qBlue(a) - qBlue(b)) <= tolerance;
}

} // namespace quarn::e2e
