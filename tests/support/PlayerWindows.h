#pragma once

#include "support/XSession.h"

namespace quarn::e2e {

// How many times longer the player takes under AddressSanitizer: the waits
// for it and bounds on its answers are stretched by it there, and hold as
// they stand elsewhere.
#if defined(__SANITIZE_ADDRESS__)
inline constexpr int kSlowdown = 3;
#else
inline constexpr int kSlowdown = 1;
#endif

// The real player on a private desktop, driven as a user drives it: start it,
// get past its splash, find its three windows by their captions and sizes,
// press its toolbar buttons and choose files in its Open dialog. Where the
// windows and their buttons are it reads from the manifest of the skin shown
// (Classic at first) with its own reading of the manifest, not the program's,
// so that the tests check the program instead of restating it. Used by the
// end-to-end tests and the benchmarks; what cannot be done throws
// std::runtime_error.
class PlayerWindows {
public:
    inline static const QString kProgram = QStringLiteral(QUARN_PROGRAM_PATH);
    inline static const QString kSplashCaption = QStringLiteral("Intro");
    inline static const QString kMainCaption = QStringLiteral("QUARN Media Player");
    inline static const QString kFormCaption = QStringLiteral("Form1"); // both companions
    inline static const QString kErrorCaption = QStringLiteral("Playback Error");

    static constexpr QSize kSplashSize{426, 416};
    // Inside the splash: the words "Media Player", and a place on the bare picture.
    static constexpr QRect kSplashWords{152, 352, 121, 33};
    static constexpr QPoint kSplashPicture{60, 60};
    // The toolbar's buttons, by the commands they give.
    enum Button { kPlay, kPause, kStop, kOpen, kScreenEffects, kExit };

    // What the page objects know of the skin shown, from its manifest, at
    // the size it is shown (pixels).
    struct Look {
        QSize titleStrip, toolbar;
        QRect display;      // the display's place, and its size with nothing playing
        QSize extra;        // the main window around the display
        QPoint titleDock;   // x from the main window's middle, gap above it
        QPoint toolbarDock; // x, gap below
        QRect buttons[6];   // in the toolbar, by Button
        QRect time;         // the time label in the toolbar
        QRect title;        // the lettering in the title strip
    };
    // The skin in the folder at `path` (a bundled one: its folder under
    // QUARN_SKINS_DIR), shown at `scale`.
    static Look ReadLook(const QString& path, double scale = 1);
    void showing(const Look& look) { look_ = look; }
    const Look& look() const { return look_; }

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
    QRect timeLabel() const { return look_.time.translated(toolbar().topLeft()); }
    QSize titleStripSize() const { return look_.titleStrip; }
    QSize toolbarSize() const { return look_.toolbar; }
    QSize mainWithoutVideo() const { return look_.display.size() + look_.extra; }
    // Where a toolbar button's middle is on the screen, once the toolbar has
    // followed the main window.
    QPoint toolbarButton(Button button) const;
    // Whether the group comes to rest (docked, and the toolbar where it was
    // 150 ms before): a toolbar that is still following the main window, which
    // grows to a new video or is centred, would move away from under the
    // pointer or from where a test looks.
    bool settled(int timeoutMs = 3000 * kSlowdown) const {
        QRect before;
        return XSession::waitUntil(
            [&] {
                const QRect now = toolbar();
                const bool still = now == before;
                before = now;
                return still && docked();
            },
            timeoutMs, 150);
    }
    void clickToolbar(Button button) const {
        settled();
        desktop->click(toolbarButton(button));
    }
    QImage grab(const QRect& area) const { return desktop->screenshot().copy(area); }
    // Brings up the Open dialog from the toolbar; then chooses the file in it.
    quint64 showOpenDialog() const;
    void open(const QString& path) const;
    // When a window with this caption is up, presses Return in it.
    bool dismissBox(const QString& caption = kErrorCaption) const;
    // The video area inside the main window (its margins left out).
    QRect videoArea() const {
        return main().adjusted(look_.display.x(), look_.display.y(),
                               look_.display.x() - look_.extra.width(),
                               look_.display.y() - look_.extra.height());
    }
    // Whether the video area's picture changes within a moment.
    bool pictureMoves(int withinMs = 2000) const;
    // The main window shows no video.
    bool atRest() const { return main().size() == mainWithoutVideo(); }
    // Waits for the main window to fit itself around a video of this size.
    bool fits(QSize video, int timeoutMs = 5000 * kSlowdown) const;
    // The viewable window with this caption (and size), if any.
    std::optional<quint64> viewable(const QString& caption, std::optional<QSize> size = {}) const;
    // Which of the player's windows are shown, and where: for failure messages.
    QString describeWindows() const;

    // The designs' geometry is kept in twips, 15 to a pixel, and rounded to
    // pixels half to even.
    static double twips(int pixels) { return pixels * 15.0; }
    static int pixels(double twips);
    // Where the main window puts a window it centres: across, in the middle;
    // down, its middle at 0.95 of half the screen's height.
    QPoint centred(QSize window) const;
    // The companions dock as the skin says: from the main window's middle,
    // the title strip its gap above it, the toolbar its gap below.
    QPoint titleStripDock(const QRect& main) const;
    bool docked() const;
    // The main window around a video: the skin's frame around the display.
    QSize fittedAround(QSize video) const { return video + look_.extra; }
    // Colours within `tolerance` of each other in each channel.
    static bool near(QRgb a, QRgb b, int tolerance = 40);

protected:
    XSession* desktop = nullptr;
    Look look_ = ReadLook(QStringLiteral(QUARN_SKINS_DIR "/classic"));
    QSize screen;
    QProcess* player = nullptr;
    quint64 splash = 0;
    struct {
        quint64 main = 0, titleStrip = 0, toolbar = 0;
    } windows;
};

} // namespace quarn::e2e
