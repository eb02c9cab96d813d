#include "platform/TrayHost.h"

#include "platform/X11.h"

#include <QCoreApplication>
#include <QSystemTrayIcon>
#include <QWidget>

#if defined(QUARN_HAVE_X11)
#include <X11/Xatom.h>
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
                emit changed(now);
            }
        }
    }
#else
    Q_UNUSED(eventType);
    Q_UNUSED(message);
#endif
    return false;
}

void SetSkipTaskbar(QWidget& window, bool skip) {
    // Read when the window is mapped (see KeepOutOfTaskbar).
    window.setProperty("quarnInTaskbar", !skip);
#if defined(QUARN_HAVE_X11)
    Display* display = X11Display();
    if (display == nullptr || !window.isVisible()) {
        return;
    }
    // A mapped window's state is the window manager's: ask it.
    for (const char* state : {"_NET_WM_STATE_SKIP_TASKBAR", "_NET_WM_STATE_SKIP_PAGER"}) {
        XEvent event{};
        event.xclient.type = ClientMessage;
        event.xclient.window = static_cast<Window>(window.winId());
        event.xclient.message_type = XInternAtom(display, "_NET_WM_STATE", False);
        event.xclient.format = 32;
        event.xclient.data.l[0] = skip ? 1 : 0; // add or remove
        event.xclient.data.l[1] = static_cast<long>(XInternAtom(display, state, False));
        event.xclient.data.l[3] = 1; // a normal application
        XSendEvent(display, DefaultRootWindow(display), False,
                   SubstructureRedirectMask | SubstructureNotifyMask, &event);
    }
    XFlush(display);
#endif
}

} // namespace quarn::platform
