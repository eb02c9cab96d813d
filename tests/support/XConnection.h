#pragma once
// What the parts of XSession share: the one X connection and the errors.

#include "support/XSession.h"

#include <algorithm>
#include <initializer_list>
#include <stdexcept>

// Last: Xlib's macros (None, Bool, Status, KeyPress, ...) clash with names in Qt and gtest.
#include <xcb/xcb_ewmh.h>
#include <xcb/xcb_icccm.h>
extern "C" {
#include <xdo.h>
}
#include <X11/Xlib-xcb.h>
#include <X11/Xutil.h>
#include <X11/keysym.h>

namespace quarn::e2e {

[[noreturn]] inline void Fail(const QString& message) {
    throw std::runtime_error(("XSession: " + message).toStdString());
}

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

} // namespace quarn::e2e
