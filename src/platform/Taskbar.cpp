#include "platform/Taskbar.h"

#include "platform/X11.h"

#include <QEvent>
#include <QWidget>

#if defined(QUARN_HAVE_X11)
#include <X11/Xatom.h>
#include <X11/Xlib.h>
#endif

namespace quarn::platform {

namespace {

// Whether one window is kept out of the taskbar. Before the window is mapped,
// the window manager reads its initial state from the _NET_WM_STATE property
// (the toolkit keeps states it finds there); a mapped window's state is the
// window manager's, to be asked for.
class TaskbarEntry : public QObject {
public:
    explicit TaskbarEntry(QWidget& window) : QObject(&window) { window.installEventFilter(this); }

    bool skip = true;

    bool eventFilter(QObject* watched, QEvent* event) override {
#if defined(QUARN_HAVE_X11)
        if (event->type() == QEvent::Show && skip) {
            if (Display* display = X11Display()) {
                const auto id = static_cast<Window>(static_cast<QWidget*>(watched)->winId());
                Atom states[] = {XInternAtom(display, "_NET_WM_STATE_SKIP_TASKBAR", False),
                                 XInternAtom(display, "_NET_WM_STATE_SKIP_PAGER", False)};
                XChangeProperty(display, id, XInternAtom(display, "_NET_WM_STATE", False), XA_ATOM,
                                32, PropModeAppend, reinterpret_cast<unsigned char*>(states), 2);
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

} // namespace

void KeepOutOfTaskbar(QWidget& window) {
#if defined(QUARN_HAVE_X11)
    if (X11Display() != nullptr) {
        new TaskbarEntry(window);
        return;
    }
#endif
    // Elsewhere a tool window is the toolkit's way of staying out of the taskbar.
    window.setWindowFlag(Qt::Tool, true);
}

void SetSkipTaskbar(QWidget& window, bool skip) {
    TaskbarEntry* entry = nullptr;
    for (QObject* child : window.children()) {
        if (auto* found = dynamic_cast<TaskbarEntry*>(child)) {
            entry = found;
        }
    }
    if (entry == nullptr) {
        return;
    }
    entry->skip = skip;
#if defined(QUARN_HAVE_X11)
    Display* display = X11Display();
    if (display == nullptr || !window.isVisible()) {
        return;
    }
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
