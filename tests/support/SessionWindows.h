#pragma once

#include <QColor>
#include <QImage>
#include <QRect>
#include <QStringList>

#include <memory>
#include <optional>
#include <vector>

namespace quarn::e2e {

struct XConnection;

// Looking at the private desktop's windows: top-level windows (on the root,
// or in a window manager's frame there) by their exact caption (no patterns).
// Once the X server has gone, every method throws std::runtime_error.
class SessionWindows {
public:
    // waitForWindow wants the window viewable, and looks every pollMs; its
    // picture may still be on its way: wait for the pixels before reading them.
    std::optional<quint64> waitForWindow(const QString& caption, int timeoutMs = 10000,
                                         int pollMs = 25);
    std::vector<quint64> windows(const QString& caption); // mapped or not
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

protected:
    SessionWindows();
    ~SessionWindows();
    void connect(const QString& display, bool windowManager);
    XConnection& connection(); // throws once the server has gone

private:
    std::unique_ptr<XConnection> x_;
};

} // namespace quarn::e2e
