#pragma once

#include <QProcess>
#include <QString>
#include <memory>

namespace quarn::test {

// A session bus of the test's own; it ends with the object.
class PrivateBus {
public:
    PrivateBus();
    ~PrivateBus();

    QString address() const { return address_; }
    // Makes this bus the process's session bus (before anything has used one).
    void becomeSessionBus() const;

private:
    std::unique_ptr<QProcess> daemon_;
    QString address_;
};

// The stand-in screen-saver service on a bus, for as long as the object lives.
class ScreenSaverStandIn {
public:
    explicit ScreenSaverStandIn(const QString& busAddress, bool answers = true);
    ~ScreenSaverStandIn();

    // How many inhibitions it holds right now; -1 when it cannot be asked.
    int inhibitions() const;

private:
    QString address_;
    std::unique_ptr<QProcess> process_;
};

} // namespace quarn::test
