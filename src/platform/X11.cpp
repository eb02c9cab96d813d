#include "platform/X11.h"

#include <QGuiApplication>

#if defined(QUARN_HAVE_X11)
#include <xcb/xcb.h>
#endif

namespace quarn::platform {

namespace {

QNativeInterface::QX11Application* x11() {
#if defined(QUARN_HAVE_X11)
    return qGuiApp != nullptr ? qGuiApp->nativeInterface<QNativeInterface::QX11Application>()
                              : nullptr;
#else
    return nullptr;
#endif
}

} // namespace

_XDisplay* X11Display() {
    auto* native = x11();
    return native != nullptr ? native->display() : nullptr;
}

xcb_connection_t* X11Connection() {
    auto* native = x11();
    return native != nullptr ? native->connection() : nullptr;
}

bool X11DisplayReachable() {
#if defined(QUARN_HAVE_X11)
    xcb_connection_t* connection = xcb_connect(nullptr, nullptr);
    const bool reachable = xcb_connection_has_error(connection) == 0;
    xcb_disconnect(connection);
    return reachable;
#else
    return false;
#endif
}

} // namespace quarn::platform
