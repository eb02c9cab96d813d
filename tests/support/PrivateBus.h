#pragma once

#include <QProcess>
#include <QString>
#include <memory>

namespace quarn::test {

// A session bus of the test's own, and optionally the stand-in screen-saver
// service on it. Both end with the object.
class PrivateBus {
public:
    PrivateBus();
    ~PrivateBus();

    QString address() const { return address_; }
    // Makes this bus the process's session bus (before anything has used one).
    void becomeSessionBus() const;

    // Starts the stand-in screen-saver service on the bus; returns once it is ready.
    void startScreenSaverService();
    // How many inhibitions the stand-in holds right now.
    int inhibitions() const;

private:
    std::unique_ptr<QProcess> daemon_;
    std::unique_ptr<QProcess> standIn_;
    QString address_;
};

} // namespace quarn::test
