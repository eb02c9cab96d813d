#include "platform/ScreenSaver.h"

#include <QDBusConnection>
#include <QDBusConnectionInterface>
#include <QDBusMessage>
#include <QDBusReply>

#include "platform/X11.h"

#if defined(QUARN_HAVE_X11)
#include <X11/Xlib.h>
#include <X11/extensions/scrnsaver.h>
#endif

namespace quarn::platform {

namespace {

const QString kService = QStringLiteral("org.freedesktop.ScreenSaver");
const QString kInterface = QStringLiteral("org.freedesktop.ScreenSaver");
// A service that does not answer must not freeze the player.
constexpr int kCallTimeoutMs = 1000;

QDBusMessage call(const QString& path, const QString& method, const QVariantList& args) {
    QDBusMessage message = QDBusMessage::createMethodCall(kService, path, kInterface, method);
    message.setArguments(args);
    return QDBusConnection::sessionBus().call(message, QDBus::Block, kCallTimeoutMs);
}

} // namespace

void ScreenSaver::SetActive(bool active) {
    if (!active && !heldOff_) {
        heldOff_ = true;
        inhibitOnBus();
        suspendX11(true);
    } else if (active && heldOff_) {
        heldOff_ = false;
        releaseOnBus();
        suspendX11(false);
    }
}

void ScreenSaver::inhibitOnBus() {
    QDBusConnection bus = QDBusConnection::sessionBus();
    if (!bus.isConnected() || bus.interface() == nullptr ||
        !bus.interface()->isServiceRegistered(kService).value()) {
        return;
    }
    // The freedesktop path first; older desktops only know the short one.
    for (const QString& path :
         {QStringLiteral("/org/freedesktop/ScreenSaver"), QStringLiteral("/ScreenSaver")}) {
        const QDBusReply<std::uint32_t> reply =
            call(path, QStringLiteral("Inhibit"),
                 {QStringLiteral("QUARN Media Player"), QStringLiteral("Playing media")});
        if (reply.isValid()) {
            cookie_ = reply.value();
            busPath_ = path;
            busHold_ = true;
            return;
        }
    }
}

void ScreenSaver::releaseOnBus() {
    if (!busHold_) {
        return;
    }
    busHold_ = false;
    call(busPath_, QStringLiteral("UnInhibit"), {cookie_});
}

void ScreenSaver::suspendX11(bool suspend) {
#if defined(QUARN_HAVE_X11)
    Display* display = X11Display();
    if (display == nullptr) {
        return;
    }
    int eventBase = 0;
    int errorBase = 0;
    if (XScreenSaverQueryExtension(display, &eventBase, &errorBase)) {
        XScreenSaverSuspend(display, suspend ? True : False);
        XFlush(display);
    }
#else
    Q_UNUSED(suspend);
#endif
}

} // namespace quarn::platform
