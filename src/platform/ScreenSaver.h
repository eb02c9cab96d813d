#pragma once

#include <QObject>
#include <QString>
#include <cstdint>

namespace quarn::platform {

// Switches the system's screen saver on (true) or holds it off (false).
class ScreenSaverSwitch {
public:
    virtual ~ScreenSaverSwitch() = default;
    virtual void SetActive(bool active) = 0;
};

// The system's screen saver switch. Held off, it keeps the screen saver and
// idle blanking away: through org.freedesktop.ScreenSaver on the session bus
// where a service owns that name, and on X11 also through the screen-saver
// extension. Both holds belong to this process's connections, so they end
// with the process however it ends. The bus is never waited for: a service
// that answers slowly, or never, costs the player nothing.
class ScreenSaver final : public ScreenSaverSwitch {
public:
    ScreenSaver() = default;

    // true switches the screen saver on again, false holds it off. Holding it
    // off again while already held keeps the one hold.
    void SetActive(bool active) override;
    bool IsHeldOff() const { return heldOff_; }

    // Nothing is released here: the holds end with the process's connections.
    ~ScreenSaver() override = default;

private:
    // Asks for the hold at the service's `path`-th object path.
    void inhibit(int path);
    void releaseOnBus();
    static void suspendX11(bool suspend);

    bool heldOff_ = false;
    bool asking_ = false; // an Inhibit is on its way
    bool busHold_ = false;
    std::uint32_t cookie_ = 0;
    QString busPath_;
    QObject answers_; // what the replies are delivered to; they die with it
};

} // namespace quarn::platform
