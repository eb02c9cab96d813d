#include "platform/Endings.h"

#include "platform/X11.h"

#include <QCoreApplication>
#include <QSocketNotifier>
#include <QString>
#include <chrono>
#include <csignal>
#include <cstdio>
#include <sys/socket.h>
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

// A signal's handler may do little: it writes to a socket that the
// user-interface thread watches.
int signalSockets[2] = {-1, -1};

void onTerminationSignal(int) {
    const char byte = 1;
    [[maybe_unused]] const auto written = ::write(signalSockets[0], &byte, 1);
}

} // namespace

void QuitOnTerminationSignals(std::function<void()> quit) {
    if (::socketpair(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC, 0, signalSockets) != 0) {
        return;
    }
    auto* notifier =
        new QSocketNotifier(signalSockets[1], QSocketNotifier::Read, QCoreApplication::instance());
    QObject::connect(notifier, &QSocketNotifier::activated, notifier, [quit] {
        char byte = 0;
        [[maybe_unused]] const auto read = ::read(signalSockets[1], &byte, 1);
        quit();
    });
    struct sigaction action {};
    action.sa_handler = onTerminationSignal;
    sigemptyset(&action.sa_mask);
    action.sa_flags = SA_RESTART;
    ::sigaction(SIGTERM, &action, nullptr);
    ::sigaction(SIGINT, &action, nullptr);
}

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

void EndWithin(int ms, int status) {
    std::thread([ms, status] {
        std::this_thread::sleep_for(std::chrono::milliseconds(ms));
        std::fflush(nullptr);
        ::_exit(status);
    }).detach();
}

} // namespace quarn::platform
