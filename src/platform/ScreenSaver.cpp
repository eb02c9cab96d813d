#include "platform/ScreenSaver.h"

#include "platform/X11.h"

#include <QDBusConnection>
#include <QDBusMessage>
#include <QDBusPendingCallWatcher>
#include <QDBusPendingReply>

#if defined(QUARN_HAVE_X11)
#include <X11/Xlib.h>
#include <X11/extensions/scrnsaver.h>
#endif

namespace quarn::platform {

namespace {

const QString kService = QStringLiteral("org.freedesktop.ScreenSaver");
const QString kInterface = QStringLiteral("org.freedesktop.ScreenSaver");
// The freedesktop path first; older desktops only know the short one.
const QString kPaths[] = {QStringLiteral("/org/freedesktop/ScreenSaver"),
                          QStringLiteral("/ScreenSaver")};
// A reply that has not come by then is not waited for any longer.
constexpr int kCallTimeoutMs = 1000;

QDBusMessage call(const QString& path, const QString& method, const QVariantList& args) {
    QDBusMessage message = QDBusMessage::createMethodCall(kService, path, kInterface, method);
    message.setArguments(args);
    return message;
}

} // namespace

void ScreenSaver::SetActive(bool active) {
    if (!active && !heldOff_) {
        heldOff_ = true;
        suspendX11(true);
        if (!asking_ && !busHold_) {
            inhibit(0);
        }
    } else if (active && heldOff_) {
        heldOff_ = false;
        suspendX11(false);
        releaseOnBus();
    }
}

void ScreenSaver::inhibit(int path) {
    QDBusConnection bus = QDBusConnection::sessionBus();
    if (!bus.isConnected() || path >= int(std::size(kPaths))) {
        return;
    }
    asking_ = true;
    auto* watcher = new QDBusPendingCallWatcher(
        bus.asyncCall(call(kPaths[path], QStringLiteral("Inhibit"),
                           {QStringLiteral("QUARN Media Player"), QStringLiteral("Playing media")}),
                      kCallTimeoutMs),
        &answers_);
    QObject::connect(watcher, &QDBusPendingCallWatcher::finished, &answers_, [this, watcher, path] {
        watcher->deleteLater();
        asking_ = false;
        const QDBusPendingReply<std::uint32_t> reply = *watcher;
        if (reply.isError()) {
            if (heldOff_) {
                inhibit(path + 1);
            }
            return;
        }
        cookie_ = reply.value();
        busPath_ = kPaths[path];
        busHold_ = true;
        // Switched on again while the answer was on its way.
        if (!heldOff_) {
            releaseOnBus();
        }
    });
}

void ScreenSaver::releaseOnBus() {
    if (!busHold_) {
        return; // an Inhibit still on its way is released when it is answered
    }
    busHold_ = false;
    QDBusConnection::sessionBus().asyncCall(call(busPath_, QStringLiteral("UnInhibit"), {cookie_}),
                                            kCallTimeoutMs);
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
