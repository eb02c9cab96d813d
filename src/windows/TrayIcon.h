#pragma once

#include <QSystemTrayIcon>

namespace quarn {

// The icon in the notification area. A left click on it asks for the main
// window back; every other click (right, middle, the second of a double
// click) does nothing, and it has no menu. Without a tray host the program
// runs without it.
class TrayIcon : public QObject {
    Q_OBJECT
public:
    TrayIcon(const QIcon& icon, const QString& tip);

    void Show() { icon_.show(); }
    void Remove() { icon_.hide(); }
    QSystemTrayIcon& Icon() { return icon_; }

signals:
    void RestoreRequested();

private:
    QSystemTrayIcon icon_;
};

} // namespace quarn
