#pragma once

#include <QColor>
#include <QImage>
#include <QProcess>
#include <QRect>
#include <QStringList>
#include <QTemporaryDir>

#include <functional>
#include <memory>
#include <optional>
#include <vector>

namespace quarn::e2e {

struct XConnection;

// XSession::Options (declared outside so it can be a default argument).
struct XSessionOptions {
    QSize screen{1280, 1024};  // 24-bit colour, 96 dpi
    bool windowManager = true; // openbox: click to focus, windows go where programs ask
    bool trayHost = true;      // trayer: a small panel in the bottom right corner
    // An accessibility bus (AT-SPI: at-spi2-core's bus launcher and registry),
    // and the programs started on the desktop put their Qt accessibility on it.
    bool accessibility = false;
};

// A private X desktop for end-to-end tests: its own Xvfb display, a real window
// manager (openbox), a real tray host (trayer), its own D-Bus session bus, set
// up by the files in tests/support/desktop/, and an accessibility bus when
// asked for. Programs started through it see only this desktop. Every wait is
// bounded; construction throws std::runtime_error, naming the step and its
// log, when the desktop cannot be brought up, and so does every method once
// the X server has gone.
//
// Its processes each run in a process group of their own that dies with the
// test, their stdout and stderr in a log of their own under
// <build>/e2e-logs/<suite>.<test>/. They all stop when the object goes, the
// first one started (the X server, on which the others hang) last; then the
// session's own folder (runtime, settings, bus socket) goes too.
class XSession {
public:
    using Options = XSessionOptions;

    explicit XSession(Options options = {});
    ~XSession();
    XSession(const XSession&) = delete;
    XSession& operator=(const XSession&) = delete;

    QString display() const { return display_; } // ":N"
    QSize screenSize() const { return options_.screen; }
    QString busAddress() const { return busAddress_; }
    // DISPLAY, DBUS_SESSION_BUS_ADDRESS, private XDG_RUNTIME_DIR and XDG config,
    // data, cache and state folders (so programs keep their settings inside
    // the session), no WAYLAND_DISPLAY and no inherited QT_QPA_PLATFORM; with
    // Options::accessibility, what makes Qt's AT-SPI bridge come up.
    QProcessEnvironment environment() const;

    // Starts a program on this desktop; `extra` overrides the environment.
    // stdout and stderr go to logFile(process). The session owns the process
    // and stops it (its whole process group) when it ends.
    QProcess* start(const QString& program, const QStringList& args,
                    const QProcessEnvironment& extra = {});
    QString logFile(const QProcess* process) const;
    QString output(const QProcess* process) const; // what the program wrote so far
    QString logDirectory() const { return logDirectory_; }
    std::vector<qint64> processIds() const; // every process the session started

    // Polls `condition` every pollMs (handling Qt events in between, so that
    // QProcess notices exits) until it holds or timeoutMs has passed.
    static bool waitUntil(const std::function<bool()>& condition, int timeoutMs, int pollMs = 25);
    // Whether a process is running, not merely a zombie waiting for a parent
    // that may be slow to reap it.
    static bool processRunning(qint64 pid);

    // Top-level windows (on the root, or in a window manager's frame there)
    // by their exact caption (no patterns). waitForWindow wants the window
    // viewable, and looks every pollMs; its picture may still be on its way:
    // wait for the pixels before reading them.
    std::optional<quint64> waitForWindow(const QString& caption, int timeoutMs = 10000,
                                         int pollMs = 25);
    std::vector<quint64> windows(const QString& caption); // mapped or not; no menus
    QRect geometry(quint64 window);      // the window itself on the root, without decorations
    QRect frameGeometry(quint64 window); // with the window manager's frame, if any
    bool isViewable(quint64 window);
    bool isMinimized(quint64 window) { return states(window).contains("_NET_WM_STATE_HIDDEN"); }
    // The window's _NET_WM_STATE atoms by name ("_NET_WM_STATE_SKIP_TASKBAR", ...).
    QStringList states(quint64 window);
    void minimize(quint64 window);
    void resize(quint64 window, QSize size); // as another program may
    void closeWindow(quint64 window);        // as the window manager's close button does
    quint64 activeWindow();                  // _NET_ACTIVE_WINDOW, 0 when none

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

    // Input in root coordinates, through XTEST (libxdo): the programs see real
    // pointer and key events, the window manager real presses and drags.
    // Presses and releases return once the window manager and the program
    // under the pointer have handled them (they answer a request sent after
    // the event), so that a release never overtakes a press: a window that
    // starts a window-manager move on the press would otherwise be left
    // moving with no button down.
    void moveMouse(QPoint p);
    void mouseDown(int button = 1);
    void mouseUp(int button = 1);
    void click(QPoint p, int button = 1);
    void drag(QPoint from, QPoint to, int button = 1); // press, move in steps, release
    // `count` clicks in quick succession, as a double click is made.
    void clicks(QPoint p, int count, int button = 1);
    // True while someone holds the pointer: a window manager moving a window,
    // an open pop-up menu.
    bool pointerGrabbed();
    // How many pop-up windows (menus and their submenus: unmanaged windows on
    // the root) are shown.
    int popupsShown();
    // A keysym name or a chord: "Return", "a", "F5", "ctrl+o".
    void key(const QString& keysym);
    void type(const QString& text); // any text, including spaces, quotes, non-ASCII

private:
    // Its stdout is left to read when `talks`. Should the test die, the
    // process gets SIGKILL, or SIGTERM where it has to tidy up (`tidies`: the
    // accessibility bus launcher stops its own bus then); the first one, the
    // X server, always gets SIGTERM.
    QProcess* launch(const QString& program, const QStringList& args,
                     const QProcessEnvironment& env, bool talks = false, bool tidies = false);
    // Waits for `ready`; throws, naming `what` and the log, when the process
    // ends first or the time is up.
    void awaitReady(QProcess* process, const QString& what, const std::function<bool()>& ready);
    QString readLine(QProcess* process, const QString& what);
    // Waits for the bus launcher's bus, then starts the registry on it.
    void startAccessibility(QProcess* launcher);
    XConnection& connection(); // throws once the server has gone

    struct Child {
        std::unique_ptr<QProcess> process;
        QString log;
        qint64 pid = 0; // kept: QProcess forgets it once the process ends
    };
    std::vector<Child> children_;
    QString logDirectory_;
    QTemporaryDir folder_;
    Options options_;
    QString display_;
    QString busAddress_;
    std::unique_ptr<XConnection> x_;
};

} // namespace quarn::e2e
