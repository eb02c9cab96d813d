#pragma once

#include <QColor>
#include <QImage>
#include <QPoint>
#include <QProcessEnvironment>
#include <QRect>
#include <QSize>
#include <QString>
#include <QStringList>

#include <functional>
#include <memory>
#include <optional>
#include <vector>

class QProcess;

namespace quarn::e2e {

// XSession::Options (declared outside so it can be a default argument).
struct XSessionOptions {
    QSize screen{1280, 1024};  // 24-bit colour, 96 dpi
    bool windowManager = true; // openbox: click to focus, windows go where programs ask
    bool trayHost = true;      // trayer: a small panel in the bottom right corner
};

// A private X desktop for end-to-end tests: its own Xvfb display, a real window
// manager (openbox), a real tray host (trayer) and its own D-Bus session bus.
// Programs started through it see only this desktop. Every wait is bounded;
// construction throws std::runtime_error, naming the step and its log, when
// the desktop cannot be brought up. The destructor stops every process the
// session started, the programs started through start() included.
//
// Windows are found by their exact caption (no patterns). Input goes through
// xdotool (XTest), so the programs see real pointer and key events and the
// window manager sees real presses and drags. Logs of everything started go
// to <build>/e2e-logs/<suite>.<test>/.
class XSession {
public:
    using Options = XSessionOptions;

    explicit XSession(Options options = {});
    ~XSession();
    XSession(const XSession&) = delete;
    XSession& operator=(const XSession&) = delete;

    QString display() const; // ":N"
    QSize screenSize() const;
    QString busAddress() const;
    // DISPLAY, DBUS_SESSION_BUS_ADDRESS, private XDG_RUNTIME_DIR and XDG config,
    // data, cache and state folders (so programs keep their settings inside
    // the session), no WAYLAND_DISPLAY and no inherited QT_QPA_PLATFORM.
    QProcessEnvironment environment() const;

    // Starts a program on this desktop; `extra` overrides the environment.
    // stdout and stderr go to logFile(process). The session owns the process
    // and stops it (its whole process group) when it ends.
    QProcess* start(const QString& program, const QStringList& args,
                    const QProcessEnvironment& extra = {});
    QString logFile(const QProcess* process) const;
    QString output(const QProcess* process) const; // what the program wrote so far
    QString logDirectory() const;
    std::vector<qint64> processIds() const; // every process the session started

    // Top-level windows by exact caption (_NET_WM_NAME, else WM_NAME).
    // waitForWindow wants the window viewable; its picture may still be on
    // its way: wait for the pixels before reading them.
    std::optional<quint64> waitForWindow(const QString& caption, int timeoutMs = 10000);
    std::vector<quint64> windows(const QString& caption); // mapped or not, bottom to top
    QRect geometry(quint64 window);      // the window itself on the root, without decorations
    QRect frameGeometry(quint64 window); // with the window manager's frame, if any
    bool isViewable(quint64 window);
    bool isMinimized(quint64 window); // WM_STATE iconic
    // The window's _NET_WM_STATE atoms by name ("_NET_WM_STATE_SKIP_TASKBAR", ...).
    QStringList states(quint64 window);
    void minimize(quint64 window);
    void closeWindow(quint64 window); // as the window manager's close button does
    quint64 activeWindow();           // _NET_ACTIVE_WINDOW, 0 when none

    // Input, in root coordinates. Presses and releases return once the window
    // manager and the program under the pointer have handled them (they
    // answer a request sent after the event), so a release never overtakes a
    // press: a window that starts a window-manager move on the press would
    // otherwise be left moving with no button down.
    void moveMouse(QPoint p);
    void mouseDown(int button = 1);
    void mouseUp(int button = 1);
    void click(QPoint p, int button = 1);
    void drag(QPoint from, QPoint to, int button = 1); // press, move in steps, release
    // True while someone holds the pointer: a window manager moving a window,
    // an open pop-up menu.
    bool pointerGrabbed();
    // A keysym name or an xdotool chord: "Return", "a", "F5", "ctrl+o".
    void key(const QString& keysym);
    void type(const QString& text); // any text, including spaces, quotes, non-ASCII

    // Screen.
    QImage screenshot(); // the whole root window, QImage::Format_RGB32
    // Saves under <build>/e2e-screenshots/<name>.png and returns the path.
    QString saveScreenshot(const QString& name);
    // Paints the desktop behind all windows (black until then), so that a
    // screenshot tells what a shaped window cuts away.
    void setDesktopBackground(const QColor& colour);
    void setDesktopBackground(const QImage& tile); // repeated from the top-left corner

    // The icons embedded in the tray host, left to right, in root coordinates,
    // as they are this moment: while the host lays out a new icon they move.
    std::vector<QRect> trayIcons();
    // Waits until there are `count` icons, on the screen and at rest; empty
    // when that does not happen within the time.
    std::vector<QRect> waitForTrayIcons(size_t count = 1, int timeoutMs = 10000);

    // Polls `condition` every pollMs (handling Qt events in between, so that
    // QProcess notices exits) until it holds or timeoutMs has passed.
    static bool waitUntil(const std::function<bool()>& condition, int timeoutMs, int pollMs = 25);

    // Whether a process is running, not merely a zombie waiting for a parent
    // that may be slow to reap it.
    static bool processRunning(qint64 pid);

private:
    struct Private;
    std::unique_ptr<Private> d;
};

} // namespace quarn::e2e
