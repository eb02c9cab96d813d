// The private desktop: Xvfb, openbox, trayer and the bus, and the connection to it.
#include <QCoreApplication>
#include <QDBusConnection>
#include <QDBusConnectionInterface>
#include <QDBusMessage>
#include <QDir>
#include <QFile>
#include <QRegularExpression>
#include <gtest/gtest.h>

#include <set>

// Last: Xlib's macros clash with names in Qt and gtest.
#include "support/XConnection.h"

using namespace Qt::Literals::StringLiterals;

namespace quarn::e2e {

namespace {

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
        Fail("no temporary folder: " + folder_.errorString());
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

    // The window manager, the tray host and the accessibility bus (which hangs
    // on the display and the session bus) start side by side.
    QProcess* a11y = nullptr;
    if (options.accessibility) {
        a11y = launch(u"/usr/libexec/at-spi-bus-launcher"_s, {u"--launch-immediately"_s},
                      environment(), false, true);
    }
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
    if (a11y) {
        startAccessibility(a11y);
    }
    // Out of the way of the windows under test, so that nothing shows hover.
    moveMouse({options.screen.width() - 1, options.screen.height() / 2});
}

void XSession::startAccessibility(QProcess* launcher) {
    // The launcher runs a dbus-daemon of its own (configured by at-spi2-core's
    // accessibility.conf, in our XDG_RUNTIME_DIR) and tells its address once
    // it owns org.a11y.Bus on the session bus.
    const QDBusConnection bus = QDBusConnection::connectToBus(busAddress_, busAddress_);
    const QDBusMessage getAddress = QDBusMessage::createMethodCall(
        u"org.a11y.Bus"_s, u"/org/a11y/bus"_s, u"org.a11y.Bus"_s, u"GetAddress"_s);
    QString address;
    awaitReady(launcher, u"answer GetAddress on org.a11y.Bus"_s, [&] {
        const QDBusMessage reply = bus.call(getAddress, QDBus::Block, 1000);
        if (reply.type() == QDBusMessage::ReplyMessage) {
            address = reply.arguments().value(0).toString();
        }
        return !address.isEmpty();
    });
    // The registry lists the programs on that bus for the clients. The bus
    // would start it on a client's first call, from the host's service folder
    // and out of our sight: started here, it logs and stops with the rest.
    QProcess* registry = launch(u"/usr/libexec/at-spi2-registryd"_s, {}, environment());
    {
        const QDBusConnection a11y = QDBusConnection::connectToBus(address, address);
        awaitReady(registry, u"own org.a11y.atspi.Registry"_s, [&] {
            return a11y.interface()->isServiceRegistered(u"org.a11y.atspi.Registry"_s).value();
        });
    }
    QDBusConnection::disconnectFromBus(address);
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
    env.insert(u"NO_AT_BRIDGE"_s, u"1"_s); // GTK's bridge; Qt's does not read it
    if (options_.accessibility) {
        // Else Qt's bridge waits for the bus to say that a screen reader runs
        // (org.a11y.Status). Qt 6.4 wants it "1": "0" leaves the bridge off.
        env.insert(u"QT_LINUX_ACCESSIBILITY_ALWAYS_ON"_s, u"1"_s);
    }
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
        Fail("cannot connect to the new display " + name);
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
        Fail(u"lost the connection to the X server"_s);
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
        Fail(u"lost the connection to the X server"_s);
    }
    return *x_;
}

} // namespace quarn::e2e
