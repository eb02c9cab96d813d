#include "windows/TrayIcon.h"

namespace quarn {

TrayIcon::TrayIcon(const QIcon& icon, const QString& tip) : icon_(icon) {
    icon_.setToolTip(tip);
    connect(&icon_, &QSystemTrayIcon::activated, this,
            [this](QSystemTrayIcon::ActivationReason reason) {
                if (reason == QSystemTrayIcon::Trigger) {
                    emit RestoreRequested();
                }
            });
}

} // namespace quarn
