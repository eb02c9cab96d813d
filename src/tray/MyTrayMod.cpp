#include "tray/MyTrayMod.h"

#include "common/Globals.h"
#include "platform/Desktop.h"
#include "player/FrmMain.h"

#include <QPointer>
#include <QWidget>

namespace quarn {

namespace {
QPointer<QSystemTrayIcon> icon;
} // namespace

std::int32_t tray::MessageFor(QSystemTrayIcon::ActivationReason reason) {
    switch (reason) {
    case QSystemTrayIcon::Trigger:
        return kLeftButtonDown;
    case QSystemTrayIcon::DoubleClick:
        return kLeftButtonDoubleClick;
    case QSystemTrayIcon::Context:
        return kRightButtonDown;
    case QSystemTrayIcon::MiddleClick:
        return kMiddleButtonDown;
    case QSystemTrayIcon::Unknown:
        break;
    }
    return kMouseMove;
}

void AddTrayIcon(QWidget& window, const QString& tip) {
    delete icon;
    icon = new QSystemTrayIcon(window.windowIcon(), &window);
    icon->setToolTip(tip);
    QObject::connect(icon, &QSystemTrayIcon::activated, icon,
                     [](QSystemTrayIcon::ActivationReason reason) {
                         TrayWndProc(tray::kCallbackMessage, 1, tray::MessageFor(reason));
                     });
    icon->show();
}

void RemoveTrayIcon(QWidget&) {
    if (icon != nullptr) {
        icon->hide();
        delete icon;
    }
}

QSystemTrayIcon* TrayIcon() {
    return icon;
}

std::int32_t TrayWndProc(std::int32_t uMsg, std::int32_t, std::int32_t lParam) {
    if (uMsg != tray::kCallbackMessage) {
        return 0;
    }
    if (lParam == tray::kLeftButtonDown) {
        FrmMain& main = frmMain();
        if (main.isMinimized()) {
            main.setWindowState(main.windowState() & ~Qt::WindowMinimized);
        }
        main.CenterForm(main);
        platform::ActivateWindowByTitle(main.windowTitle());
    }
    return 1;
}

} // namespace quarn
