#include "support/PlayerDriver.h"

#include <QThread>

#include <cmath>
#include <cstdio>

namespace quarn::e2e {

void PlayerDriver::TearDown() {
    if (HasFailure() && session) {
        const auto* test = ::testing::UnitTest::GetInstance()->current_test_info();
        const QString name =
            QString::fromUtf8(test->test_suite_name()) + '.' + QString::fromUtf8(test->name());
        std::printf("screenshot: %s\nplayer log: %s\n", qPrintable(session->saveScreenshot(name)),
                    qPrintable(player ? session->logFile(player) : QString()));
    }
}

void PlayerDriver::startSession(XSession::Options options) {
    screen = options.screen;
    session = std::make_unique<XSession>(options);
}

void PlayerDriver::launch(const QStringList& args, const QProcessEnvironment& env,
                          const QString& program) {
    player = session->start(program, args, env);
    const auto found = session->waitForWindow(kSplashCaption, 15000);
    ASSERT_TRUE(found) << "no splash: " << qPrintable(session->output(player));
    splash = *found;
}

void PlayerDriver::waitForPlayerWindows(int timeoutMs) {
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
    ASSERT_TRUE(up) << qPrintable(describeWindows()) << "\n"
                    << qPrintable(player ? session->output(player) : QString());
}

void PlayerDriver::skipIntro(int timeoutMs) {
    if (session->isViewable(splash)) {
        session->click(session->geometry(splash).topLeft() + kSplashPicture);
    }
    waitForPlayerWindows(timeoutMs);
}

void PlayerDriver::startPlayer(const QStringList& args, const QProcessEnvironment& env) {
    ASSERT_NO_FATAL_FAILURE(launch(args, env));
    skipIntro();
}

QPoint PlayerDriver::toolbarButton(QPoint button) {
    EXPECT_TRUE(XSession::waitUntil([&] { return docked(); }, 3000))
        << qPrintable(describeWindows());
    return toolbar().topLeft() + button;
}

void PlayerDriver::open(const QString& path) {
    clickToolbar(kOpen);
    const auto dialog = session->waitForWindow(QStringLiteral("Open"), 10000);
    ASSERT_TRUE(dialog) << "no Open dialog";
    QThread::msleep(300);
    session->type(path);
    session->key(QStringLiteral("Return"));
}

bool PlayerDriver::pictureMoves(int withinMs) {
    const QImage first = grab(videoArea());
    return XSession::waitUntil([&] { return grab(videoArea()) != first; }, withinMs, 100);
}

std::optional<quint64> PlayerDriver::viewable(const QString& caption, std::optional<QSize> size) {
    for (quint64 window : session->windows(caption)) {
        if (session->isViewable(window) && (!size || session->geometry(window).size() == *size)) {
            return window;
        }
    }
    return std::nullopt;
}

QString PlayerDriver::describeWindows() {
    auto place = [&](std::optional<quint64> window) {
        if (!window) {
            return QStringLiteral("not shown");
        }
        const QRect at = session->geometry(*window);
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

int PlayerDriver::pixels(double twips) {
    return static_cast<int>(std::nearbyint(twips / 15));
}

QPoint PlayerDriver::centred(QSize window) const {
    return {pixels(twips(screen.width()) / 2 - twips(window.width()) / 2),
            pixels(twips(screen.height()) * 0.95 / 2 - twips(window.height()) / 2)};
}

QPoint PlayerDriver::titleStripDock(const QRect& main) {
    return {pixels(twips(main.x()) + twips(main.width()) / 2 - 1850), main.y() - 40};
}

QPoint PlayerDriver::toolbarDock(const QRect& main) {
    return {titleStripDock(main).x(), main.y() + main.height() + 2};
}

bool PlayerDriver::docked() {
    const QRect at = main();
    return titleStrip().topLeft() == titleStripDock(at) && toolbar().topLeft() == toolbarDock(at);
}

QSize PlayerDriver::fittedAround(QSize video) {
    return {pixels(twips(video.width()) + 200), pixels(twips(video.height()) + 500)};
}

} // namespace quarn::e2e
