#include "platform/X11.h"

#include <QGuiApplication>

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

} // namespace quarn::platform
