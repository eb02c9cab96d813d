#pragma once

#include "support/XSession.h"

namespace quarn::e2e {

// The real player on a private desktop, driven as a user drives it: start it,
// get past its splash, find its three windows by their captions and sizes,
// press its toolbar buttons and choose files in its Open dialog. It knows
// where the player is designed to put things; those places are worked out
// here from the designed numbers, not taken from the program's code, so that
// the tests check the code instead of restating it. Used by the end-to-end
// tests and the benchmarks; what cannot be done throws std::runtime_error.
class PlayerWindows {
public:
    inline static const QString kProgram = QStringLiteral(QUARN_PROGRAM_PATH);
    inline static const QString kSplashCaption = QStringLiteral("Intro");
    inline static const QString kMainCaption = QStringLiteral("QUARN Media Player");
    inline static const QString kFormCaption = QStringLiteral("Form1"); // both companions
    inline static const QString kErrorCaption = QStringLiteral("Playback Error");

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

    PlayerWindows() = default;
    explicit PlayerWindows(XSession& session) : desktop(&session), screen(session.screenSize()) {}

    // Starts the program (by default the built one) and waits for its splash.
    void launch(const QStringList& args = {}, const QProcessEnvironment& env = {},
                const QString& program = kProgram);
    // Waits for the main window, the title strip and the toolbar on the screen.
    void waitForPlayerWindows(int timeoutMs = 10000);
    // Clicks the splash's picture, which skips the intro, and waits for the windows.
    void skipIntro(int timeoutMs = 10000);
    // Starts the program and waits for its windows: at once when given
    // files ("--" and their names), past the splash otherwise.
    void start(const QStringList& args = {}, const QProcessEnvironment& env = {});
    QProcess* process() const { return player; }
    bool running() const { return player != nullptr && player->state() != QProcess::NotRunning; }
    // "exit status N", "killed by signal N" or "running".
    QString howItEnded() const;
    // Exit on the toolbar; how the program ended (killed after 5 s).
    QString exit();

    QRect main() const { return desktop->geometry(windows.main); }
    QRect titleStrip() const { return desktop->geometry(windows.titleStrip); }
    QRect toolbar() const { return desktop->geometry(windows.toolbar); }
    QRect timeLabel() const { return kTimeLabel.translated(toolbar().topLeft()); }
    // Where a toolbar button is on the screen, once the toolbar has followed
    // the main window.
    QPoint toolbarButton(QPoint button) const;
    // Once the group has come to rest (docked, and the toolbar where it was
    // 150 ms before): a toolbar that is still following the main window, which
    // grows to a new video, would move away from under the pointer.
    void clickToolbar(QPoint button) const {
        QRect before;
        XSession::waitUntil(
            [&] {
                const QRect now = toolbar();
                const bool still = now == before;
                before = now;
                return still && docked();
            },
            3000, 150);
        desktop->click(toolbarButton(button));
    }
    QImage grab(const QRect& area) const { return desktop->screenshot().copy(area); }
    // Brings up the Open dialog from the toolbar; then chooses the file in it.
    quint64 showOpenDialog() const;
    void open(const QString& path) const;
    // When a window with this caption is up, presses Return in it.
    bool dismissBox(const QString& caption = kErrorCaption) const;
    // The video area inside the main window (its margins left out).
    QRect videoArea() const { return main().adjusted(8, 8, -5, -25); }
    // Whether the video area's picture changes within a moment.
    bool pictureMoves(int withinMs = 2000) const;
    // The main window shows no video.
    bool atRest() const { return main().size() == kMainWithoutVideo; }
    // Waits for the main window to fit itself around a video of this size.
    bool fits(QSize video, int timeoutMs = 5000) const;
    // The viewable window with this caption (and size), if any.
    std::optional<quint64> viewable(const QString& caption, std::optional<QSize> size = {}) const;
    // Which of the player's windows are shown, and where: for failure messages.
    QString describeWindows() const;

    // Geometry is kept in twips, 15 to a pixel, and rounded to pixels half to even.
    static double twips(int pixels) { return pixels * 15.0; }
    static int pixels(double twips);
    // Where the main window puts a window it centres: across, in the middle;
    // down, its middle at 0.95 of half the screen's height.
    QPoint centred(QSize window) const;
    // The companions stand 1850 twips left of the main window's middle, the
    // title strip 40 pixels above it, the toolbar 2 pixels below it.
    static QPoint titleStripDock(const QRect& main);
    bool docked() const;
    // The main window around a video: 200 twips of margin across, 500 down.
    static QSize fittedAround(QSize video);
    // Colours within `tolerance` of each other in each channel.
    static bool near(QRgb a, QRgb b, int tolerance = 40);

protected:
    XSession* desktop = nullptr;
    QSize screen;
    QProcess* player = nullptr;
    quint64 splash = 0;
    struct {
        quint64 main = 0, titleStrip = 0, toolbar = 0;
    } windows;
};

} // namespace quarn::e2e
