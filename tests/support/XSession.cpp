#include "support/XSession.h"

#include <QCoreApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QFileInfo>
#include <QRegularExpression>
#include <QThread>
#include <gtest/gtest.h>

#include <algorithm>
#include <csignal>
#include <cstdio>
#include <initializer_list>
#include <poll.h>
#include <set>
#include <span>
#include <stdexcept>
#include <sys/prctl.h>
#include <unistd.h>

// Last: Xlib's macros (None, Bool, Status, KeyPress, ...) clash with names in Qt and gtest.
#include <xcb/xcb_ewmh.h>
#include <xcb/xcb_icccm.h>
extern "C" {
#include <xdo.h>
}
#include <X11/Xlib-xcb.h>
#include <X11/Xutil.h>
#include <X11/keysym.h>

using namespace Qt::Literals::StringLiterals;

namespace quarn::e2e {

namespace {

[[noreturn]] void fail(const QString& message) {
    throw std::runtime_error(("XSession: " + message).toStdString());
}

} // namespace

// One connection: libxdo sends input through XTEST, Xlib (under it) answers
// plain questions, and the EWMH and ICCCM helpers read what the window manager
// and the programs set over xcb on the same connection, so that everything
// reaches the server in the order sent.
struct XConnection {
    XConnection(const QString& display, bool windowManager);
    ~XConnection();
    // A round trip, dropping the events that came; throws once the server has gone.
    void sync();
    // A client message about `window`, of 32-bit values, sent to `to`.
    void sendMessage(Window to, Window window, Atom type, std::initializer_list<long> data,
                     long eventMask = NoEventMask);

    bool windowManager;
    xdo_t* xdo = nullptr;
    Display* display = nullptr;
    xcb_connection_t* c = nullptr;
    xcb_ewmh_connection_t ewmh{};
    Window root = 0;
    Window own = 0; // ours, never mapped: for asking the window manager
    long pings = 0;
};

// Processes ---------------------------------------------------------------------

namespace {

constexpr int kStartTimeoutMs = 5000;
constexpr int kStopTimeoutMs = 1500;

QString readFile(const QString& path) {
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? QString::fromUtf8(file.readAll()) : QString();
}

// One folder per test, named after it, so that a failing test can point at the
// logs of everything it started. An earlier run's logs go, once per process.
QString makeLogDirectory() {
    const auto* test = ::testing::UnitTest::GetInstance()->current_test_info();
    const QString name = test ? u"%1.%2"_s.arg(test->test_suite_name(), test->name())
                              : u"pid%1"_s.arg(QCoreApplication::applicationPid());
    const QString path =
        QStringLiteral(QUARN_BINARY_DIR "/e2e-logs/") + QString(name).replace('/', '_');
    static std::set<QString> cleaned;
    if (cleaned.insert(path).second) {
        QDir(path).removeRecursively();
    }
    QDir().mkpath(path);
    return path;
}

} // namespace

XSession::~XSession() {
    x_.reset();
    auto stop = [](std::span<Child> children) {
        for (const Child& c : children) {
            ::kill(-c.pid, SIGTERM);
        }
        for (const Child& c : children) {
            c.process->waitForFinished(kStopTimeoutMs);
            ::kill(-c.pid, SIGKILL); // whatever is left of its group
            c.process->waitForFinished(kStopTimeoutMs);
        }
    };
    const size_t server = std::min<size_t>(children_.size(), 1);
    stop(std::span(children_).subspan(server));
    stop(std::span(children_).first(server));
}

QProcess* XSession::launch(const QString& program, const QStringList& args,
                           const QProcessEnvironment& env, bool talks) {
    static int launched = 0; // numbers the logs of all the process's sessions
    Child& child = children_.emplace_back();
    child.log = u"%1/%2-%3.log"_s.arg(logDirectory_)
                    .arg(++launched, 2, 10, QLatin1Char('0'))
                    .arg(QFileInfo(program).fileName());
    child.process = std::make_unique<QProcess>();
    QProcess& p = *child.process;
    p.setProgram(program);
    p.setArguments(args);
    p.setProcessEnvironment(env);
    p.setStandardInputFile(QProcess::nullDevice());
    p.setStandardOutputFile(talks ? QString() : child.log, QIODevice::Append);
    p.setStandardErrorFile(child.log, QIODevice::Append);
    // Its own process group, so that stopping it reaches its children; and it
    // dies with the test, even when the test crashes: the X server (the first)
    // by SIGTERM, which lets it remove its lock file.
    p.setChildProcessModifier([parent = ::getpid(), first = children_.size() == 1] {
        ::setsid();
        ::prctl(PR_SET_PDEATHSIG, first ? SIGTERM : SIGKILL);
        if (::getppid() != parent) {
            ::_exit(127);
        }
    });
    p.start();
    if (!p.waitForStarted(kStartTimeoutMs)) {
        const QString error = p.errorString();
        children_.pop_back(); // with no process id: stopping it would reach our own group
        fail("could not start " + program + ": " + error);
    }
    child.pid = p.processId();
    return &p;
}

void XSession::awaitReady(QProcess* process, const QString& what,
                          const std::function<bool()>& ready) {
    bool ended = false;
    auto readyOrEnded = [&] {
        return ready() || (ended = process->state() == QProcess::NotRunning);
    };
    if (!waitUntil(readyOrEnded, kStartTimeoutMs, 10) || ended) {
        const QStringList log = output(process).split('\n');
        fail(u"%1 %2 %3 (log %4):\n%5"_s.arg(
            QFileInfo(process->program()).fileName(),
            ended ? u"ended before it got to"_s
                  : u"did not within %1 ms get to"_s.arg(kStartTimeoutMs),
            what, logFile(process), log.mid(std::max<qsizetype>(0, log.size() - 15)).join('\n')));
    }
}

QString XSession::readLine(QProcess* process, const QString& what) {
    awaitReady(process, what, [&] {
        process->waitForReadyRead(0);
        return process->canReadLine();
    });
    return QString::fromUtf8(process->readLine().trimmed());
}

QString XSession::logFile(const QProcess* process) const {
    const auto c = std::find_if(children_.begin(), children_.end(),
                                [&](const Child& c) { return c.process.get() == process; });
    return c == children_.end() ? QString() : c->log;
}

QString XSession::output(const QProcess* process) const {
    return readFile(logFile(process));
}

std::vector<qint64> XSession::processIds() const {
    std::vector<qint64> pids;
    for (const Child& c : children_) {
        pids.push_back(c.pid);
    }
    return pids;
}

bool XSession::waitUntil(const std::function<bool()>& condition, int timeoutMs, int pollMs) {
    QElapsedTimer timer;
    timer.start();
    while (!condition()) {
        const qint64 left = timeoutMs - timer.elapsed();
        if (left <= 0) {
            return false;
        }
        if (QCoreApplication::instance()) {
            QCoreApplication::processEvents();
        }
        QThread::msleep(static_cast<unsigned long>(std::min<qint64>(pollMs, left)));
    }
    return true;
}

bool XSession::processRunning(qint64 pid) {
    const QString stat = readFile(u"/proc/%1/stat"_s.arg(pid));
    const qsizetype state = stat.lastIndexOf(u") "_s) + 2;
    return state >= 2 && state < stat.size() && stat[state] != 'Z' && stat[state] != 'X';
}

namespace {

QString desktopFile(const char* name) {
    return QStringLiteral(QUARN_SOURCE_DIR "/tests/support/desktop/") + QLatin1String(name);
}

// A file's words, leaving out comment lines.
QStringList words(const QString& text) {
    static const QRegularExpression comments(u"^#.*$"_s, QRegularExpression::MultilineOption);
    return QString(text).remove(comments).split(QRegularExpression(u"\\s+"_s), Qt::SkipEmptyParts);
}

} // namespace

XSession::XSession(Options options) : logDirectory_(makeLogDirectory()), options_(options) {
    if (!folder_.isValid()) {
        fail("no temporary folder: " + folder_.errorString());
    }
    // The display and the bus do not depend on each other: start both. Without
    // -noreset the server resets whenever its last client leaves, and forgets
    // the desktop background.
    const QProcessEnvironment host = QProcessEnvironment::systemEnvironment();
    QProcess* xvfb = launch(u"Xvfb"_s,
                            words(QStringLiteral("-displayfd 1 -screen 0 %1x%2x24 -nolisten tcp "
                                                 "-noreset -dpi 96")
                                      .arg(options.screen.width())
                                      .arg(options.screen.height())),
                            host, true);
    QProcess* bus = launch(u"dbus-daemon"_s,
                           {u"--nofork"_s, u"--print-address=1"_s,
                            "--config-file=" + desktopFile("session-bus.conf"),
                            "--address=unix:path=" + folder_.filePath(u"bus"_s)},
                           host, true);
    display_ = ':' + readLine(xvfb, u"announce its display"_s);
    x_ = std::make_unique<XConnection>(display_, options.windowManager);
    busAddress_ = readLine(bus, u"announce its address"_s);

    // The window manager and the tray host start side by side.
    QProcess* wm = nullptr;
    QProcess* tray = nullptr;
    if (options.windowManager) {
        wm = launch(u"openbox"_s,
                    {u"--sm-disable"_s, u"--config-file"_s, desktopFile("openbox-rc.xml")},
                    environment());
    }
    if (options.trayHost) {
        QFile args(desktopFile("trayer.args"));
        args.open(QIODevice::ReadOnly);
        tray = launch(u"trayer"_s, words(QString::fromUtf8(args.readAll())), environment());
    }
    XConnection& x = connection();
    if (wm) {
        awaitReady(wm, u"manage the display"_s, [&] {
            xcb_window_t check = 0;
            return xcb_ewmh_get_supporting_wm_check_reply(
                       &x.ewmh, xcb_ewmh_get_supporting_wm_check(&x.ewmh, x.root), &check,
                       nullptr) &&
                   check != 0;
        });
    }
    if (tray) {
        const Atom selection = XInternAtom(x.display, "_NET_SYSTEM_TRAY_S0", False);
        awaitReady(tray, u"own the system tray"_s,
                   [&] { return XGetSelectionOwner(x.display, selection) != 0; });
    }
    // Out of the way of the windows under test, so that nothing shows hover.
    moveMouse({options.screen.width() - 1, options.screen.height() / 2});
}

QProcessEnvironment XSession::environment() const {
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    // Nothing of the developer's desktop may leak in: another display server,
    // session manager, input method, platform theme or scaling.
    for (const QString& name :
         words(QStringLiteral("WAYLAND_DISPLAY WAYLAND_SOCKET QT_QPA_PLATFORM QT_QPA_PLATFORMTHEME "
                              "QT_STYLE_OVERRIDE QT_SCALE_FACTOR QT_SCREEN_SCALE_FACTORS "
                              "QT_AUTO_SCREEN_SCALE_FACTOR QT_ENABLE_HIGHDPI_SCALING QT_FONT_DPI "
                              "QT_IM_MODULE GTK_IM_MODULE XMODIFIERS SESSION_MANAGER XAUTHORITY "
                              "XDG_CURRENT_DESKTOP XDG_SESSION_DESKTOP DESKTOP_SESSION "
                              "GNOME_DESKTOP_SESSION_ID KDE_FULL_SESSION"))) {
        env.remove(name);
    }
    env.insert(u"DISPLAY"_s, display_);
    env.insert(u"XDG_SESSION_TYPE"_s, u"x11"_s);
    env.insert(u"DBUS_SESSION_BUS_ADDRESS"_s, busAddress_);
    env.insert(u"NO_AT_BRIDGE"_s, u"1"_s);
    for (const QString& setting :
         words(QStringLiteral("XDG_RUNTIME_DIR=runtime XDG_CONFIG_HOME=config XDG_DATA_HOME=data "
                              "XDG_CACHE_HOME=cache XDG_STATE_HOME=state"))) {
        const QString path = folder_.filePath(setting.section('=', 1));
        if (QDir().mkpath(path)) {
            QFile::setPermissions(path, QFileDevice::ReadOwner | QFileDevice::WriteOwner |
                                            QFileDevice::ExeOwner);
        }
        env.insert(setting.section('=', 0, 0), path);
    }
    return env;
}

QProcess* XSession::start(const QString& program, const QStringList& args,
                          const QProcessEnvironment& extra) {
    QProcessEnvironment env = environment();
    env.insert(extra);
    return launch(program, args, env);
}

// The connection ---------------------------------------------------------------

XConnection::XConnection(const QString& name, bool managed) : windowManager(managed) {
    // Xlib would end the process on any error: a window that has gone is none
    // here, and a server that has gone shows as an error of the connection.
    XSetErrorHandler([](Display*, XErrorEvent*) { return 0; });
    XSetIOErrorHandler([](Display*) { return 0; });
    xdo = xdo_new(qPrintable(name));
    if (xdo == nullptr) {
        fail("cannot connect to the new display " + name);
    }
    xdo->quiet = 1;
    display = xdo->xdpy;
    XSetIOErrorExitHandler(
        display, [](Display*, void*) {}, nullptr);
    c = XGetXCBConnection(display);
    xcb_ewmh_init_atoms_replies(&ewmh, xcb_ewmh_init_atoms(c, &ewmh), nullptr);
    root = DefaultRootWindow(display);
    own = XCreateSimpleWindow(display, root, -10, -10, 1, 1, 0, 0, 0);
    XSelectInput(display, own, PropertyChangeMask);
}

XConnection::~XConnection() {
    xcb_ewmh_connection_wipe(&ewmh);
    xdo_free(xdo);
}

void XConnection::sync() {
    // Errors of requests without replies (a window that has gone) and the
    // notifications every client gets come as events; nobody reads them.
    XSync(display, True);
    if (xcb_connection_has_error(c)) {
        fail(u"lost the connection to the X server"_s);
    }
}

void XConnection::sendMessage(Window to, Window window, Atom type, std::initializer_list<long> data,
                              long eventMask) {
    XEvent event{};
    event.xclient.type = ClientMessage;
    event.xclient.window = window;
    event.xclient.message_type = type;
    event.xclient.format = 32;
    std::copy(data.begin(), data.end(), event.xclient.data.l);
    XSendEvent(display, to, False, eventMask, &event);
    XFlush(display);
}

XConnection& XSession::connection() {
    if (!x_ || xcb_connection_has_error(x_->c)) {
        fail(u"lost the connection to the X server"_s);
    }
    return *x_;
}

// Windows ----------------------------------------------------------------------

namespace {

// Top-level windows: the window manager's clients, which it keeps in frames
// on the root, in the order it took them in; then the root's other children,
// bottom to top. (A child window that a program moves into one of its
// windows may be on the root still when the list is read and inside when it
// is looked at: it comes after the windows it may move into.) libxdo's
// search looks at every window of the tree, a round trip for each, and
// frees what a failed XQueryTree left behind when a window goes meanwhile.
std::vector<xcb_window_t> topLevels(XConnection& x) {
    const xcb_get_property_cookie_t clients = xcb_ewmh_get_client_list(&x.ewmh, 0);
    const xcb_query_tree_cookie_t tree = xcb_query_tree(x.c, x.root);
    std::vector<xcb_window_t> all;
    xcb_ewmh_get_windows_reply_t managed;
    if (xcb_ewmh_get_client_list_reply(&x.ewmh, clients, &managed, nullptr)) {
        all.assign(managed.windows, managed.windows + managed.windows_len);
        xcb_ewmh_get_windows_reply_wipe(&managed);
    }
    if (xcb_query_tree_reply_t* reply = xcb_query_tree_reply(x.c, tree, nullptr)) {
        const xcb_window_t* children = xcb_query_tree_children(reply);
        all.insert(all.end(), children, children + xcb_query_tree_children_length(reply));
        std::free(reply);
    }
    return all;
}

// _NET_WM_NAME, else WM_NAME.
std::optional<QString> caption(XConnection& x, xcb_get_property_cookie_t net,
                               xcb_get_property_cookie_t plain) {
    std::optional<QString> caption;
    xcb_ewmh_get_utf8_strings_reply_t utf8;
    if (xcb_ewmh_get_wm_name_reply(&x.ewmh, net, &utf8, nullptr)) {
        caption = QString::fromUtf8(utf8.strings, utf8.strings_len);
        xcb_ewmh_get_utf8_strings_reply_wipe(&utf8);
    }
    xcb_icccm_get_text_property_reply_t text;
    if (xcb_icccm_get_text_property_reply(x.c, plain, &text, nullptr)) {
        const QByteArray bytes(text.name, text.name_len);
        if (!caption) {
            caption = text.encoding == XCB_ATOM_STRING ? QString::fromLatin1(bytes)
                                                       : QString::fromUtf8(bytes);
        }
        xcb_icccm_get_text_property_reply_wipe(&text);
    }
    return caption;
}

} // namespace

std::optional<quint64> XSession::waitForWindow(const QString& wanted, int timeoutMs, int pollMs) {
    std::optional<quint64> found;
    XSession::waitUntil(
        [&] {
            const std::vector<quint64> all = windows(wanted);
            const auto it =
                std::find_if(all.begin(), all.end(), [&](quint64 w) { return isViewable(w); });
            found = it == all.end() ? std::nullopt : std::optional(*it);
            return found.has_value();
        },
        timeoutMs, pollMs);
    return found;
}

std::vector<quint64> XSession::windows(const QString& wanted) {
    XConnection& x = connection();
    const std::vector<xcb_window_t> all = topLevels(x);
    std::vector<std::pair<xcb_get_property_cookie_t, xcb_get_property_cookie_t>> names;
    for (xcb_window_t window : all) { // every name asked for before the first answer is read
        names.emplace_back(xcb_ewmh_get_wm_name(&x.ewmh, window),
                           xcb_icccm_get_wm_name(x.c, window));
    }
    std::vector<quint64> found;
    for (size_t i = 0; i < all.size(); ++i) {
        if (caption(x, names[i].first, names[i].second) == wanted) {
            found.push_back(all[i]);
        }
    }
    return found;
}

QRect XSession::geometry(quint64 window) {
    XConnection& x = connection();
    XWindowAttributes attributes{};
    Window child = 0;
    int left = 0;
    int top = 0;
    return XGetWindowAttributes(x.display, window, &attributes) &&
                   XTranslateCoordinates(x.display, window, x.root, 0, 0, &left, &top, &child)
               ? QRect(left, top, attributes.width, attributes.height)
               : QRect();
}

QRect XSession::frameGeometry(quint64 window) {
    XConnection& x = connection();
    xcb_ewmh_get_extents_reply_t frame{};
    xcb_ewmh_get_frame_extents_reply(&x.ewmh, xcb_ewmh_get_frame_extents(&x.ewmh, window), &frame,
                                     nullptr);
    return geometry(window).adjusted(-int(frame.left), -int(frame.top), int(frame.right),
                                     int(frame.bottom));
}

bool XSession::isViewable(quint64 window) {
    XWindowAttributes attributes{};
    return XGetWindowAttributes(connection().display, window, &attributes) &&
           attributes.map_state == IsViewable;
}

QStringList XSession::states(quint64 window) {
    XConnection& x = connection();
    xcb_ewmh_get_atoms_reply_t reply{};
    xcb_ewmh_get_wm_state_reply(&x.ewmh, xcb_ewmh_get_wm_state(&x.ewmh, window), &reply, nullptr);
    std::vector<Atom> atoms(reply.atoms, reply.atoms + reply.atoms_len);
    xcb_ewmh_get_atoms_reply_wipe(&reply);
    std::vector<char*> names(atoms.size());
    QStringList states;
    if (XGetAtomNames(x.display, atoms.data(), int(atoms.size()), names.data())) {
        for (char* name : names) {
            states << QString::fromLatin1(name);
            XFree(name);
        }
    }
    return states;
}

void XSession::minimize(quint64 window) {
    XConnection& x = connection();
    xdo_minimize_window(x.xdo, window);
    x.sync();
}

void XSession::resize(quint64 window, QSize size) {
    XConnection& x = connection();
    xdo_set_window_size(x.xdo, window, size.width(), size.height(), 0);
    x.sync();
}

void XSession::closeWindow(quint64 window) {
    XConnection& x = connection();
    x.sendMessage(window, window, x.ewmh.WM_PROTOCOLS,
                  {long(XInternAtom(x.display, "WM_DELETE_WINDOW", False)), CurrentTime});
    x.sync();
}

quint64 XSession::activeWindow() {
    XConnection& x = connection();
    xcb_window_t active = 0;
    xcb_ewmh_get_active_window_reply(&x.ewmh, xcb_ewmh_get_active_window(&x.ewmh, 0), &active,
                                     nullptr);
    return active;
}

// Screen -----------------------------------------------------------------------

QImage XSession::screenshot() {
    Display* display = connection().display;
    XImage* image = XGetImage(display, DefaultRootWindow(display), 0, 0, DisplayWidth(display, 0),
                              DisplayHeight(display, 0), AllPlanes, ZPixmap);
    // Xvfb keeps a 24-bit screen as QImage does: 32 bits a pixel, least
    // significant byte first. The pad byte becomes an opaque alpha.
    if (!image || image->depth != 24 || image->bits_per_pixel != 32 ||
        image->byte_order != LSBFirst) {
        fail(u"cannot read the screen"_s);
    }
    const QImage shot = QImage(reinterpret_cast<const uchar*>(image->data), image->width,
                               image->height, image->bytes_per_line, QImage::Format_ARGB32)
                            .convertToFormat(QImage::Format_RGB32);
    XDestroyImage(image);
    return shot;
}

QString XSession::saveScreenshot(const QString& name) {
    const QString path = QStringLiteral(QUARN_BINARY_DIR "/e2e-screenshots/%1.png").arg(name);
    if (!QDir().mkpath(QFileInfo(path).path()) || !screenshot().save(path)) {
        fail("cannot save " + path);
    }
    return path;
}

void XSession::setDesktopBackground(const QColor& colour) {
    QImage tile(1, 1, QImage::Format_RGB32);
    tile.fill(colour);
    setDesktopBackground(tile);
}

void XSession::setDesktopBackground(const QImage& tile) {
    XConnection& x = connection();
    QImage rows = tile.convertToFormat(QImage::Format_RGB32); // in the screen's form, as above
    const Pixmap pixmap = XCreatePixmap(x.display, x.root, rows.width(), rows.height(), 24);
    XImage* image = XCreateImage(x.display, DefaultVisual(x.display, 0), 24, ZPixmap, 0,
                                 reinterpret_cast<char*>(rows.bits()), rows.width(), rows.height(),
                                 32, int(rows.bytesPerLine()));
    XPutImage(x.display, pixmap, DefaultGC(x.display, 0), image, 0, 0, 0, 0, rows.width(),
              rows.height());
    image->data = nullptr; // the picture's own
    XDestroyImage(image);
    XSetWindowBackgroundPixmap(x.display, x.root, pixmap);
    XFreePixmap(x.display, pixmap); // the root keeps a reference of its own
    XClearWindow(x.display, x.root);
    x.sync();
}

// Tray -------------------------------------------------------------------------

std::vector<QRect> XSession::trayIcons() {
    XConnection& x = connection();
    // The icons are XEmbed clients somewhere inside trayer's panel.
    const Atom xembed = XInternAtom(x.display, "_XEMBED_INFO", False);
    std::vector<QRect> icons;
    std::function<void(Window)> look = [&](Window parent) {
        Window root = 0;
        Window* children = nullptr;
        unsigned int count = 0;
        XQueryTree(x.display, parent, &root, &root, &children, &count);
        for (unsigned int i = 0; i < count; ++i) {
            xcb_get_property_reply_t* info = xcb_get_property_reply(
                x.c, xcb_get_property(x.c, 0, children[i], xembed, XCB_GET_PROPERTY_TYPE_ANY, 0, 0),
                nullptr);
            if (!info || info->type == XCB_NONE) {
                look(children[i]);
            } else if (isViewable(children[i])) {
                icons.push_back(geometry(children[i]));
            }
            std::free(info);
        }
        XFree(children);
    };
    for (xcb_window_t window : topLevels(x)) {
        // (Xlib's reading of WM_CLASS, as xcb_icccm_get_wm_class_reply reads
        // past the end of one that holds a single name.)
        XClassHint names{};
        if (XGetClassHint(x.display, window, &names)) {
            const bool panel = QByteArrayView(names.res_class) == "trayer";
            XFree(names.res_name);
            XFree(names.res_class);
            if (panel && isViewable(window)) {
                look(window);
            }
        }
    }
    std::sort(icons.begin(), icons.end(), [](const QRect& a, const QRect& b) {
        return std::pair(a.x(), a.y()) < std::pair(b.x(), b.y());
    });
    return icons;
}

std::vector<QRect> XSession::waitForTrayIcons(size_t count, int timeoutMs) {
    // At rest: the same places in two looks 150 ms apart (trayer grows and
    // shifts its panel as icons arrive).
    const QRect screen(0, 0, DisplayWidth(connection().display, 0),
                       DisplayHeight(connection().display, 0));
    std::vector<QRect> last;
    std::vector<QRect> now;
    const bool settled = XSession::waitUntil(
        [&] {
            last = std::exchange(now, trayIcons());
            return now == last && now.size() == count &&
                   std::all_of(now.begin(), now.end(),
                               [&](const QRect& icon) { return screen.contains(icon); });
        },
        timeoutMs, 150);
    return settled ? now : std::vector<QRect>{};
}

// Input -------------------------------------------------------------------------

namespace {

// Bounds of the waits that follow a press or release (see settle).
constexpr int kWindowManagerAnswerMs = 1000;
constexpr int kProgramAnswerMs = 2000;
constexpr useconds_t kKeyDelayUs = 12000; // from a key's press to its release, as xdotool's

// Reads events until one satisfies `match` or the time is up.
bool waitForEvent(XConnection& x, const std::function<bool(const XEvent&)>& match, int timeoutMs) {
    QElapsedTimer timer;
    timer.start();
    xcb_flush(x.c);
    for (XEvent event; !timer.hasExpired(timeoutMs) && !xcb_connection_has_error(x.c);) {
        while (XPending(x.display) > 0) {
            XNextEvent(x.display, &event);
            if (match(event)) {
                return true;
            }
        }
        pollfd fd{ConnectionNumber(x.display), POLLIN, 0};
        ::poll(&fd, 1, int(timeoutMs - timer.elapsed()));
    }
    return false;
}

// Returns once the window manager has handled everything sent to it before: it
// answers a frame-extents request, in order, by setting a property on our window.
void windowManagerRoundTrip(XConnection& x) {
    if (x.windowManager) {
        x.sync();
        xcb_ewmh_request_frame_extents(&x.ewmh, 0, xcb_window_t(x.own));
        waitForEvent(
            x,
            [&](const XEvent& event) {
                return event.type == PropertyNotify && event.xproperty.window == x.own &&
                       event.xproperty.atom == x.ewmh._NET_FRAME_EXTENTS;
            },
            kWindowManagerAnswerMs);
    }
}

// The program's window under the pointer that answers pings: the deepest
// window there, or the nearest of its ancestors that takes _NET_WM_PING.
Window pingableUnderPointer(XConnection& x) {
    std::vector<Window> chain{x.root};
    Window root = 0;
    Window child = 0;
    int at = 0;
    unsigned int buttons = 0;
    while (XQueryPointer(x.display, chain.back(), &root, &child, &at, &at, &at, &at, &buttons) &&
           child != 0) {
        chain.push_back(child);
    }
    for (size_t i = chain.size(); i-- > 1;) {
        xcb_icccm_get_wm_protocols_reply_t protocols;
        if (xcb_icccm_get_wm_protocols_reply(
                x.c, xcb_icccm_get_wm_protocols(x.c, chain[i], x.ewmh.WM_PROTOCOLS), &protocols,
                nullptr)) {
            xcb_atom_t* end = protocols.atoms + protocols.atoms_len;
            const bool pings = std::find(protocols.atoms, end, x.ewmh._NET_WM_PING) != end;
            xcb_icccm_get_wm_protocols_reply_wipe(&protocols);
            if (pings) {
                return chain[i];
            }
        }
    }
    return 0;
}

// Returns once the program owning `window` has handled everything that reached
// it before: it answers _NET_WM_PING, in order, through the root. (EWMH's
// xcb_ewmh_send_wm_ping reaches only those who select substructure events on
// the window, which no program does on its own.) The window going away counts
// as an answer: a pop-up that the press or release closes may never give one.
bool ping(XConnection& x, Window window) {
    // The answer goes to those who select substructure redirection (only the
    // window manager may) or notification on the root; Qt 6.4 names structure
    // notification instead of the latter.
    XSelectInput(x.display, x.root, SubstructureNotifyMask | StructureNotifyMask);
    XSelectInput(x.display, window, StructureNotifyMask);
    XWindowAttributes attributes{};
    bool answered =
        !XGetWindowAttributes(x.display, window, &attributes) || attributes.map_state != IsViewable;
    const long stamp = 0x51000000 + ++x.pings;
    auto answer = [&](const XEvent& event) {
        const bool pong = event.type == ClientMessage &&
                          event.xclient.data.l[0] == long(x.ewmh._NET_WM_PING) &&
                          event.xclient.data.l[1] == stamp;
        const bool gone = (event.type == UnmapNotify || event.type == DestroyNotify) &&
                          event.xany.window == window;
        return pong || gone;
    };
    x.sendMessage(window, window, x.ewmh.WM_PROTOCOLS,
                  {long(x.ewmh._NET_WM_PING), stamp, long(window)});
    answered = answered || waitForEvent(x, answer, kProgramAnswerMs);
    XSelectInput(x.display, x.root, NoEventMask);
    XSelectInput(x.display, window, NoEventMask);
    x.sync();
    return answered;
}

// Returns once a press or release has been dealt with: the window manager has
// passed it on (it holds presses it binds, to focus and raise), the program
// under the pointer has handled it, and the window manager has done what the
// program asked of it then (start a move).
void settle(XConnection& x) {
    windowManagerRoundTrip(x);
    if (const Window window = pingableUnderPointer(x)) {
        if (!ping(x, window)) {
            std::fprintf(stderr, "XSession: window 0x%lx did not answer within %d ms\n", window,
                         kProgramAnswerMs);
        }
        windowManagerRoundTrip(x);
    }
}

// The keysym of a character: the Latin-1 ones are the code points, all
// others have the Unicode form.
KeySym keysymOf(char32_t c) {
    if (c == '\n' || c == '\t') {
        return c == '\n' ? XK_Return : XK_Tab;
    }
    return c < 0x100 ? KeySym(c) : KeySym(0x01000000 | c);
}

// Characters off the keymap get a spare keycode each, kept for the session.
// (xdo would remap one keycode for each in turn, which races with programs
// that read the keymap only when they get to the change.)
void addToKeymap(XConnection& x, const QString& text) {
    std::vector<KeySym> missing;
    const charcodemap_t* keys = x.xdo->charcodes;
    for (char32_t c : text.toUcs4()) {
        const KeySym sym = keysymOf(c);
        if (std::none_of(keys, keys + x.xdo->charcodes_len,
                         [&](const charcodemap_t& key) { return key.symbol == sym; }) &&
            std::find(missing.begin(), missing.end(), sym) == missing.end()) {
            missing.push_back(sym);
        }
    }
    if (missing.empty()) {
        return;
    }
    const int low = x.xdo->keycode_low;
    int perCode = 0;
    KeySym* keymap =
        XGetKeyboardMapping(x.display, KeyCode(low), x.xdo->keycode_high - low + 1, &perCode);
    // Keycode 8 has no key of its own in XKB: it stays as it is.
    for (int code = std::max(low, 9); code <= x.xdo->keycode_high && !missing.empty(); ++code) {
        const KeySym* syms = keymap + (code - low) * perCode;
        if (std::all_of(syms, syms + perCode, [](KeySym s) { return s == 0; })) {
            KeySym both[2] = {missing.back(), missing.back()}; // without and with Shift
            XChangeKeyboardMapping(x.display, code, 2, both, 1);
            missing.pop_back();
        }
    }
    XFree(keymap);
    if (!missing.empty()) {
        fail(u"no spare keycode left to type \"%1\""_s.arg(text));
    }
    // A new xdo on the same connection: it reads the keymap only when it starts.
    x.xdo->close_display_when_freed = 0;
    xdo_free(x.xdo);
    x.xdo = xdo_new_with_opened_display(x.display, nullptr, 1);
    x.xdo->quiet = 1;
}

} // namespace

void XSession::moveMouse(QPoint p) {
    XConnection& x = connection();
    xdo_move_mouse(x.xdo, p.x(), p.y(), 0);
    x.sync();
}

void XSession::mouseDown(int button) {
    XConnection& x = connection();
    xdo_mouse_down(x.xdo, CURRENTWINDOW, button);
    settle(x);
}

void XSession::mouseUp(int button) {
    XConnection& x = connection();
    xdo_mouse_up(x.xdo, CURRENTWINDOW, button);
    settle(x);
}

void XSession::click(QPoint p, int button) {
    moveMouse(p);
    mouseDown(button);
    mouseUp(button);
}

void XSession::clicks(QPoint p, int count, int button) {
    moveMouse(p);
    XConnection& x = connection();
    xdo_click_window_multiple(x.xdo, CURRENTWINDOW, button, count, 80000);
    settle(x);
}

void XSession::drag(QPoint from, QPoint to, int button) {
    moveMouse(from);
    mouseDown(button);
    for (int step = 1; step <= 8; ++step) {
        moveMouse(from + (to - from) * step / 8);
        settle(connection()); // each step seen where it is, not merged with the next
    }
    mouseUp(button);
}

bool XSession::pointerGrabbed() {
    XConnection& x = connection();
    const int status =
        XGrabPointer(x.display, x.root, False, 0, GrabModeAsync, GrabModeAsync, 0, 0, CurrentTime);
    if (status == GrabSuccess) {
        XUngrabPointer(x.display, CurrentTime);
        x.sync();
    }
    return status == AlreadyGrabbed || status == GrabFrozen;
}

void XSession::key(const QString& keysym) {
    XConnection& x = connection();
    xdo_send_keysequence_window(x.xdo, CURRENTWINDOW, qPrintable(keysym), kKeyDelayUs);
    x.sync();
}

void XSession::type(const QString& text) {
    XConnection& x = connection();
    addToKeymap(x, text);
    // Each character as its keysym, which xdo finds on the keymap (with Shift
    // where the keymap wants it).
    for (char32_t c : text.toUcs4()) {
        xdo_send_keysequence_window(x.xdo, CURRENTWINDOW, XKeysymToString(keysymOf(c)),
                                    kKeyDelayUs);
    }
    x.sync();
}

} // namespace quarn::e2e
