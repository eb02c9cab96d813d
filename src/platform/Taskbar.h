#pragma once

class QWidget;

namespace quarn::platform {

// Keeps a top-level window out of the taskbar (and the pager) from the moment
// it is first shown, until SetSkipTaskbar lists it there.
void KeepOutOfTaskbar(QWidget& window);

// Keeps a window kept out of the taskbar by KeepOutOfTaskbar out of it (true)
// or lists it there (false), also once it is on the screen.
void SetSkipTaskbar(QWidget& window, bool skip);

// Keeps a window kept out of the taskbar by KeepOutOfTaskbar above other
// windows (true) or not, also once it is on the screen. It changes no flag of
// the window, so its native window (and a video drawn into it) stays as it is.
void SetKeepAbove(QWidget& window, bool above);

} // namespace quarn::platform
