#pragma once

#include "support/SessionInput.h"
#include "support/SessionProcesses.h"

#include <QSize>

namespace quarn::e2e {

// XSession::Options (declared outside so it can be a default argument).
struct XSessionOptions {
    QSize screen{1280, 1024};  // 24-bit colour, 96 dpi
    bool windowManager = true; // openbox: click to focus, windows go where programs ask
    bool trayHost = true;      // trayer: a small panel in the bottom right corner
};

// A private X desktop for end-to-end tests: its own Xvfb display, a real window
// manager (openbox), a real tray host (trayer) and its own D-Bus session bus,
// set up by the files in tests/support/desktop/. Programs started through it
// see only this desktop. Every wait is bounded; construction throws
// std::runtime_error, naming the step and its log, when the desktop cannot be
// brought up. What it does comes in pieces: its processes (SessionProcesses),
// looking at its windows (SessionWindows) and input (SessionInput).
class XSession : public SessionProcesses, public SessionInput {
public:
    using Options = XSessionOptions;

    explicit XSession(Options options = {});

    QString display() const { return display_; } // ":N"
    QSize screenSize() const { return options_.screen; }
    QString busAddress() const { return busAddress_; }
    // DISPLAY, DBUS_SESSION_BUS_ADDRESS, private XDG_RUNTIME_DIR and XDG config,
    // data, cache and state folders (so programs keep their settings inside
    // the session), no WAYLAND_DISPLAY and no inherited QT_QPA_PLATFORM.
    QProcessEnvironment environment() const;

    // Starts a program on this desktop; `extra` overrides the environment.
    // stdout and stderr go to logFile(process). The session owns the process
    // and stops it (its whole process group) when it ends.
    QProcess* start(const QString& program, const QStringList& args,
                    const QProcessEnvironment& extra = {});

private:
    Options options_;
    QString display_;
    QString busAddress_;
};

} // namespace quarn::e2e
