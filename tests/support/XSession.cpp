#include "support/XSession.h"

#include <QDir>
#include <QFile>
#include <QProcess>
#include <QRegularExpression>

#include "support/SessionX.h"

namespace quarn::e2e {

namespace {

QString desktopFile(const char* name) {
    return QStringLiteral(QUARN_SOURCE_DIR "/tests/support/desktop/") + QLatin1String(name);
}

// A file's words, leaving out comment lines.
QStringList words(const QString& text) {
    static const QRegularExpression comments(QStringLiteral("^#.*$"),
                                             QRegularExpression::MultilineOption);
    return QString(text).remove(comments).split(QRegularExpression(QStringLiteral("\\s+")),
                                                Qt::SkipEmptyParts);
}

} // namespace

XSession::XSession(Options options) : options_(options) {
    // The display and the bus do not depend on each other: start both. Without
    // -noreset the server resets whenever its last client leaves, and forgets
    // the desktop background.
    const QProcessEnvironment host = QProcessEnvironment::systemEnvironment();
    QProcess* xvfb = launch(QStringLiteral("Xvfb"),
                            words(QStringLiteral("-displayfd 1 -screen 0 %1x%2x24 -nolisten tcp "
                                                 "-noreset -dpi 96")
                                      .arg(options.screen.width())
                                      .arg(options.screen.height())),
                            host, true);
    QProcess* bus = launch(QStringLiteral("dbus-daemon"),
                           {QStringLiteral("--nofork"), QStringLiteral("--print-address=1"),
                            "--config-file=" + desktopFile("session-bus.conf"),
                            "--address=unix:path=" + folder(QStringLiteral("bus"))},
                           host, true);
    display_ = ':' + readLine(xvfb, QStringLiteral("announce its display"));
    connect(display_, options.windowManager);
    busAddress_ = readLine(bus, QStringLiteral("announce its address"));

    // The window manager and the tray host start side by side.
    QProcess* wm = nullptr;
    QProcess* tray = nullptr;
    if (options.windowManager) {
        wm = launch(QStringLiteral("openbox"),
                    {QStringLiteral("--sm-disable"), QStringLiteral("--config-file"),
                     desktopFile("openbox-rc.xml")},
                    environment());
    }
    if (options.trayHost) {
        QFile args(desktopFile("trayer.args"));
        args.open(QIODevice::ReadOnly);
        tray = launch(QStringLiteral("trayer"), words(QString::fromUtf8(args.readAll())),
                      environment());
    }
    XConnection& x = connection();
    if (wm) {
        awaitReady(wm, QStringLiteral("manage the display"), [&] {
            xcb_window_t check = 0;
            return xcb_ewmh_get_supporting_wm_check_reply(
                       &x.ewmh, xcb_ewmh_get_supporting_wm_check(&x.ewmh, x.root), &check,
                       nullptr) &&
                   check != 0;
        });
    }
    if (tray) {
        const Atom selection = XInternAtom(x.display, "_NET_SYSTEM_TRAY_S0", False);
        awaitReady(tray, QStringLiteral("own the system tray"),
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
    env.insert(QStringLiteral("DISPLAY"), display_);
    env.insert(QStringLiteral("XDG_SESSION_TYPE"), QStringLiteral("x11"));
    env.insert(QStringLiteral("DBUS_SESSION_BUS_ADDRESS"), busAddress_);
    env.insert(QStringLiteral("NO_AT_BRIDGE"), QStringLiteral("1"));
    for (const QString& setting :
         words(QStringLiteral("XDG_RUNTIME_DIR=runtime XDG_CONFIG_HOME=config XDG_DATA_HOME=data "
                              "XDG_CACHE_HOME=cache XDG_STATE_HOME=state"))) {
        const QString path = folder(setting.section('=', 1));
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

} // namespace quarn::e2e
