#include "platform/DisplayLoss.h"

#include "platform/X11.h"

#include <QCoreApplication>
#include <QString>
#include <cstdio>
#include <thread>
#include <unistd.h>

#if defined(QUARN_HAVE_X11)
#include <X11/Xlib.h>
#include <xcb/xcb.h>
#endif

namespace quarn::platform {

namespace {

std::function<void()> engineLost;
#if defined(QUARN_HAVE_X11)
xcb_connection_t* toolkitConnection = nullptr;
std::thread::id uiThread;
QtMessageHandler previousHandler = nullptr;
char lostLine[160];

[[noreturn]] void endForLostDisplay() {
    std::fputs(lostLine, stderr);
    std::fflush(stderr);
    ::_exit(1);
}

// Xlib's own handler would call exit() from whatever thread found the
// broken connection, running the program's destructors under the feet of the
// user-interface thread.
int onBrokenConnection(Display*) {
    if (std::this_thread::get_id() == uiThread || toolkitConnection == nullptr ||
        xcb_connection_has_error(toolkitConnection) != 0) {
        endForLostDisplay();
    }
    QMetaObject::invokeMethod(
        qApp,
        [] {
            if (engineLost) {
                engineLost();
            }
        },
        Qt::QueuedConnection);
    for (;;) {
        ::pause();
    }
}

// The toolkit notices a lost display on its own connection and would exit()
// after its warning.
void onMessage(QtMsgType type, const QMessageLogContext& context, const QString& message) {
    if (message.startsWith(QLatin1String("The X11 connection broke"))) {
        endForLostDisplay();
    }
    if (previousHandler != nullptr) {
        previousHandler(type, context, message);
    }
}
#endif

} // namespace

void HandleBrokenXConnections(std::function<void()> engineConnectionLost) {
    engineLost = std::move(engineConnectionLost);
#if defined(QUARN_HAVE_X11)
    uiThread = std::this_thread::get_id();
    toolkitConnection = X11Connection();
    std::snprintf(lostLine, sizeof lostLine, "%s: the connection to the display was lost\n",
                  qPrintable(QCoreApplication::applicationFilePath().section(u'/', -1)));
    XSetIOErrorHandler(onBrokenConnection);
    previousHandler = qInstallMessageHandler(onMessage);
#endif
}

} // namespace quarn::platform
