#pragma once

#include <QAbstractNativeEventFilter>
#include <QObject>

namespace quarn::platform {

// Whether the desktop has a notification area (a tray host), told again
// whenever one comes or goes.
class TrayHostWatch : public QObject, public QAbstractNativeEventFilter {
    Q_OBJECT
public:
    TrayHostWatch();
    ~TrayHostWatch() override;

    bool Present() const { return present_; }

    bool nativeEventFilter(const QByteArray& eventType, void* message, qintptr* result) override;

signals:
    void Changed(bool present);

private:
    bool ownerPresent() const;

    bool present_ = false;
    unsigned long trayAtom_ = 0;
    int fixesEventBase_ = -1;
};

} // namespace quarn::platform
