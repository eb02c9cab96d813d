#include "platform/TrayHost.h"

#include "platform/X11.h"

#include <QCoreApplication>
#include <QSystemTrayIcon>

#if defined(QUARN_HAVE_X11)
#include <X11/Xlib.h>
#include <X11/extensions/Xfixes.h>
#include <xcb/xcb.h>
#endif

namespace quarn::platform {

TrayHostWatch::TrayHostWatch() {
#if defined(QUARN_HAVE_X11)
    Display* display = X11Display();
    int errorBase = 0;
    if (display != nullptr && XFixesQueryExtension(display, &fixesEventBase_, &errorBase)) {
        // The tray host owns this selection for as long as it runs.
        trayAtom_ = XInternAtom(display, "_NET_SYSTEM_TRAY_S0", False);
        XFixesSelectSelectionInput(display, DefaultRootWindow(display), trayAtom_,
                                   XFixesSetSelectionOwnerNotifyMask |
                                       XFixesSelectionWindowDestroyNotifyMask |
                                       XFixesSelectionClientCloseNotifyMask);
        XFlush(display);
        present_ = ownerPresent();
        QCoreApplication::instance()->installNativeEventFilter(this);
        return;
    }
#endif
    present_ = QSystemTrayIcon::isSystemTrayAvailable();
}

TrayHostWatch::~TrayHostWatch() {
    if (QCoreApplication::instance() != nullptr) {
        QCoreApplication::instance()->removeNativeEventFilter(this);
    }
}

bool TrayHostWatch::ownerPresent() const {
#if defined(QUARN_HAVE_X11)
    if (Display* display = X11Display()) {
        return XGetSelectionOwner(display, trayAtom_) != None;
    }
#endif
    return false;
}

bool TrayHostWatch::nativeEventFilter(const QByteArray& eventType, void* message, qintptr*) {
#if defined(QUARN_HAVE_X11)
    if (eventType == "xcb_generic_event_t" && fixesEventBase_ >= 0) {
        const auto* event = static_cast<const xcb_generic_event_t*>(message);
        if ((event->response_type & 0x7f) == fixesEventBase_ + XFixesSelectionNotify) {
            if (const bool now = ownerPresent(); now != present_) {
                present_ = now;
                emit Changed(now);
            }
        }
    }
#else
    Q_UNUSED(eventType);
    Q_UNUSED(message);
#endif
    return false;
}

} // namespace quarn::platform
