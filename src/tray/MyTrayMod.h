#pragma once

// The notification-area icon: a click on it brings the main window back.

#include <QString>
#include <QSystemTrayIcon>
#include <cstdint>

class QWidget;

namespace quarn {

namespace tray {
// The icon's callback message, and the mouse messages it carries.
inline constexpr std::int32_t kCallbackMessage = 0x401;
inline constexpr std::int32_t kMouseMove = 0x200;
inline constexpr std::int32_t kLeftButtonDown = 0x201;
inline constexpr std::int32_t kLeftButtonUp = 0x202;
inline constexpr std::int32_t kLeftButtonDoubleClick = 0x203;
inline constexpr std::int32_t kRightButtonDown = 0x204;
inline constexpr std::int32_t kRightButtonUp = 0x205;
inline constexpr std::int32_t kMiddleButtonDown = 0x207;

// The mouse message behind one of the toolkit's activation reasons.
std::int32_t MessageFor(QSystemTrayIcon::ActivationReason reason);
} // namespace tray

// Shows the icon (the window's own icon) with the tip, for as long as the
// window lives or until RemoveTrayIcon. Without a tray host the program runs
// without an icon.
void AddTrayIcon(QWidget& window, const QString& tip);
void RemoveTrayIcon(QWidget& window);
// The icon of the given window, if any.
QSystemTrayIcon* TrayIcon();

// Handles a message to the icon's window: a left-button press on the icon
// restores the main window if it is minimised, centres it and brings it to
// the front; every other mouse message over the icon does nothing. Returns 1
// for the icon's messages, 0 for anything else.
std::int32_t TrayWndProc(std::int32_t uMsg, std::int32_t wParam, std::int32_t lParam);

} // namespace quarn
