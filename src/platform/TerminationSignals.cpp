#include "platform/TerminationSignals.h"

#include <QCoreApplication>
#include <QSocketNotifier>
#include <cerrno>
#include <chrono>
#include <csignal>
#include <fcntl.h>
#include <sys/socket.h>
#include <thread>
#include <unistd.h>

namespace quarn::platform {

namespace {

// A signal's handler may do little: it writes a byte to the socket that the
// user-interface thread watches, and one to the pipe the exit watchdog waits on.
int signalSockets[2] = {-1, -1};
int watchdogPipe[2] = {-1, -1};

void onTerminationSignal(int) {
    const int saved = errno;
    const char byte = 1;
    for (const int fd : {signalSockets[0], watchdogPipe[1]}) {
        if (fd >= 0) {
            [[maybe_unused]] const auto written = ::write(fd, &byte, 1);
        }
    }
    errno = saved;
}

} // namespace

void EndOnTerminationSignals(int withinMs) {
    if (watchdogPipe[0] >= 0 || ::pipe2(watchdogPipe, O_CLOEXEC) != 0) {
        return;
    }
    // Waits from the start on a thread of its own, so that it is running
    // whatever the user-interface thread is busy with when a signal comes.
    std::thread([withinMs] {
        char byte = 0;
        while (::read(watchdogPipe[0], &byte, 1) < 0 && errno == EINTR) {
        }
        std::this_thread::sleep_for(std::chrono::milliseconds(withinMs));
        ::_exit(0);
    }).detach();
    struct sigaction action {};
    action.sa_handler = onTerminationSignal;
    sigemptyset(&action.sa_mask);
    action.sa_flags = SA_RESTART;
    for (const int signal : {SIGTERM, SIGINT, SIGHUP}) {
        ::sigaction(signal, &action, nullptr);
    }
}

void QuitOnTerminationSignals(std::function<void()> quit, int withinMs) {
    if (::socketpair(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC, 0, signalSockets) != 0) {
        signalSockets[0] = signalSockets[1] = -1;
    } else {
        auto* notifier = new QSocketNotifier(signalSockets[1], QSocketNotifier::Read,
                                             QCoreApplication::instance());
        QObject::connect(notifier, &QSocketNotifier::activated, notifier, [quit] {
            char byte = 0;
            [[maybe_unused]] const auto read = ::read(signalSockets[1], &byte, 1);
            quit();
        });
    }
    EndOnTerminationSignals(withinMs);
}

} // namespace quarn::platform
