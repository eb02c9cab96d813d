#pragma once

#include "support/XSession.h"

#include <QImage>
#include <QProcess>
#include <gtest/gtest.h>

#include <memory>
#include <optional>

namespace quarn::e2e {

// The end-to-end tests' way of driving the real player on a private desktop as
// a user does: start it, get past its splash, find its three windows and press
// its toolbar buttons. It knows where the player is designed to put things;
// those places are worked out here from the designed numbers, not taken from
// the program's code, so that the tests check the code instead of restating
// it. After a failure it saves a screenshot and names the player's log.
class PlayerDriver : public ::testing::Test {
protected:
    inline static const QString kProgram = QStringLiteral(QUARN_PROGRAM_PATH);
    inline static const QString kSplashCaption = QStringLiteral("Intro");
    inline static const QString kMainCaption = QStringLiteral("QUARN Media Player");
    inline static const QString kFormCaption = QStringLiteral("Form1"); // both companions

    static constexpr QSize kSplashSize{426, 416};
    static constexpr QSize kMainWithoutVideo{252, 214};
    static constexpr QSize kTitleStripSize{244, 39};
    static constexpr QSize kToolbarSize{244, 46};
    // Inside the splash: the words "Media Player", and a place on the bare picture.
    static constexpr QRect kSplashWords{152, 352, 121, 33};
    static constexpr QPoint kSplashPicture{60, 60};
    // Inside the toolbar: the centres of its buttons, and the time.
    static constexpr QPoint kPlay{32, 18}, kPause{48, 18}, kStop{64, 18}, kOpen{176, 18},
        kScreenEffects{192, 18}, kExit{208, 18};
    static constexpr QRect kTimeLabel{80, 12, 81, 17};

    void TearDown() override;

    void startSession(XSession::Options options = {});
    // Starts the program (by default the built one) and waits for its splash.
    void launch(const QStringList& args = {}, const QProcessEnvironment& env = {},
                const QString& program = kProgram);
    // Waits for the main window, the title strip and the toolbar on the screen.
    void waitForPlayerWindows(int timeoutMs = 10000);
    // Clicks the splash's picture, which skips the intro, and waits for the windows.
    void skipIntro(int timeoutMs = 10000);
    void startPlayer(const QStringList& args = {}, const QProcessEnvironment& env = {});

    QRect main() { return session->geometry(windows.main); }
    QRect titleStrip() { return session->geometry(windows.titleStrip); }
    QRect toolbar() { return session->geometry(windows.toolbar); }
    // Where a toolbar button is on the screen, once the toolbar has followed
    // the main window (it does so a tick after the main window moves or resizes).
    QPoint toolbarButton(QPoint button);
    void clickToolbar(QPoint button) { session->click(toolbarButton(button)); }
    QImage grab(const QRect& area) { return session->screenshot().copy(area); }
    // Chooses the file in the Open dialog that the toolbar's Open brings up.
    void open(const QString& path);
    // The video area inside the main window (its margins left out).
    QRect videoArea() { return main().adjusted(8, 8, -5, -25); }
    // Whether the video area's picture changes within a moment.
    bool pictureMoves(int withinMs = 2000);
    bool playerEnded() const { return player->state() == QProcess::NotRunning; }
    // The viewable window with this caption (and size), if any.
    std::optional<quint64> viewable(const QString& caption, std::optional<QSize> size = {});
    // Which of the player's windows are shown, and where: for failure messages.
    QString describeWindows();

    // Geometry is kept in twips, 15 to a pixel, and rounded to pixels half to even.
    static double twips(int pixels) { return pixels * 15.0; }
    static int pixels(double twips);
    // Where the main window puts a window it centres: across, in the middle;
    // down, its middle at 0.95 of half the screen's height.
    QPoint centred(QSize window) const;
    // The companions stand 1850 twips left of the main window's middle, the
    // title strip 40 pixels above it, the toolbar 2 pixels below it.
    static QPoint titleStripDock(const QRect& main);
    static QPoint toolbarDock(const QRect& main);
    bool docked();
    // The main window around a video: 200 twips of margin across, 500 down.
    static QSize fittedAround(QSize video);

    QSize screen;
    std::unique_ptr<XSession> session;
    QProcess* player = nullptr;
    quint64 splash = 0;
    struct {
        quint64 main = 0, titleStrip = 0, toolbar = 0;
    } windows;
};

} // namespace quarn::e2e
