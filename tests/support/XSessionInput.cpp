// Input through XTEST: the pointer and the keys.
#include <QElapsedTimer>

#include <cstdio>
#include <poll.h>

// Last: Xlib's macros clash with names in Qt and gtest.
#include "support/XConnection.h"

using namespace Qt::Literals::StringLiterals;

namespace quarn::e2e {

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
    return c == '\n' ? XK_Return : c == '\t' ? XK_Tab : c < 0x100 ? KeySym(c) : 0x01000000 | c;
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
        Fail(u"no spare keycode left to type \"%1\""_s.arg(text));
    }
    // A new xdo on the same connection: it reads the keymap only when it starts.
    x.xdo->close_display_when_freed = 0;
    xdo_free(x.xdo);
    x.xdo = xdo_new_with_opened_display(x.display, nullptr, 1);
    x.xdo->quiet = 1;
}

} // namespace

void XSession::moveMouse(QPoint p) {
    xdo_move_mouse(connection().xdo, p.x(), p.y(), 0);
    connection().sync();
}

void XSession::mouseDown(int button) {
    xdo_mouse_down(connection().xdo, CURRENTWINDOW, button);
    settle(connection());
}

void XSession::mouseUp(int button) {
    xdo_mouse_up(connection().xdo, CURRENTWINDOW, button);
    settle(connection());
}

void XSession::click(QPoint p, int button) {
    moveMouse(p);
    mouseDown(button);
    mouseUp(button);
}

void XSession::clicks(QPoint p, int count, int button) {
    moveMouse(p);
    xdo_click_window_multiple(connection().xdo, CURRENTWINDOW, button, count, 80000);
    settle(connection());
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
    xdo_send_keysequence_window(connection().xdo, CURRENTWINDOW, qPrintable(keysym), kKeyDelayUs);
    connection().sync();
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
