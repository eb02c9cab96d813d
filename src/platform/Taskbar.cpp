#include "platform/Taskbar.h"

#include "platform/X11.h"

#include <QEvent>
#include <QWidget>
#include <initializer_list>
#include <vector>

#if defined(QUARN_HAVE_X11)
#include <X11/Xatom.h>
#include <X11/Xlib.h>
#endif

namespace quarn::platform {

namespace {

// The window manager's states one window asks for: kept out of the taskbar,
// kept above the others. Before the window is mapped, the window manager
// reads its initial state from the _NET_WM_STATE property (the toolkit keeps
// states it finds there); a mapped window's state is the window manager's,
// to be asked for.
class WindowStates : public QObject {
public:
    explicit WindowStates(QWidget& window) : QObject(&window) { window.installEventFilter(this); }

    bool skip = true;
    bool above = false;

    bool eventFilter(QObject* watched, QEvent* event) override {
#if defined(QUARN_HAVE_X11)
        if (event->type() == QEvent::Show && (skip || above)) {
            if (Display* display = X11Display()) {
                const auto id = static_cast<Window>(static_cast<QWidget*>(watched)->winId());
                std::vector<Atom> states;
                if (skip) {
                    states.push_back(XInternAtom(display, "_NET_WM_STATE_SKIP_TASKBAR", False));
                    states.push_back(XInternAtom(display, "_NET_WM_STATE_SKIP_PAGER", False));
                }
                if (above) {
                    states.push_back(XInternAtom(display, "_NET_WM_STATE_ABOVE", False));
                }
                XChangeProperty(display, id, XInternAtom(display, "_NET_WM_STATE", False), XA_ATOM,
                                32, PropModeAppend, reinterpret_cast<unsigned char*>(states.data()),
                                int(states.size()));
                XFlush(display);
            }
        }
#else
        Q_UNUSED(watched);
        Q_UNUSED(event);
#endif
        return false;
    }
};

WindowStates* statesOf(QWidget& window) {
    for (QObject* child : window.children()) {
        if (auto* found = dynamic_cast<WindowStates*>(child)) {
            return found;
        }
    }
    return nullptr;
}

// Asks the window manager to add or remove states of a mapped window.
void askWindowManager(QWidget& window, std::initializer_list<const char*> states, bool on) {
#if defined(QUARN_HAVE_X11)
    Display* display = X11Display();
    if (display == nullptr || !window.isVisible()) {
        return;
    }
    for (const char* state : states) {
        XEvent event{};
        event.xclient.type = ClientMessage;
        event.xclient.window = static_cast<Window>(window.winId());
        event.xclient.message_type = XInternAtom(display, "_NET_WM_STATE", False);
        event.xclient.format = 32;
        event.xclient.data.l[0] = on ? 1 : 0; // add or remove
        event.xclient.data.l[1] = static_cast<long>(XInternAtom(display, state, False));
        event.xclient.data.l[3] = 1; // a normal application
        XSendEvent(display, DefaultRootWindow(display), False,
                   SubstructureRedirectMask | SubstructureNotifyMask, &event);
    }
    XFlush(display);
#else
    Q_UNUSED(window);
    Q_UNUSED(states);
    Q_UNUSED(on);
#endif
}

} // namespace

void KeepOutOfTaskbar(QWidget& window) {
#if defined(QUARN_HAVE_X11)
    if (X11Display() != nullptr) {
        new WindowStates(window);
        return;
    }
#endif
    // Elsewhere a tool window is the toolkit's way of staying out of the taskbar.
    window.setWindowFlag(Qt::Tool, true);
}

void SetSkipTaskbar(QWidget& window, bool skip) {
    if (WindowStates* states = statesOf(window)) {
        states->skip = skip;
        askWindowManager(window, {"_NET_WM_STATE_SKIP_TASKBAR", "_NET_WM_STATE_SKIP_PAGER"}, skip);
    }
}

void SetKeepAbove(QWidget& window, bool above) {
    if (WindowStates* states = statesOf(window)) {
        states->above = above;
        askWindowManager(window, {"_NET_WM_STATE_ABOVE"}, above);
    }
}

} // namespace quarn::platform
