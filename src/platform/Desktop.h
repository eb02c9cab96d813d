#pragma once

// The little the player needs from the desktop beyond what the toolkit offers.

#include <QString>

class QWidget;

namespace quarn::platform {

// Keeps a top-level window out of the taskbar (and the pager).
void KeepOutOfTaskbar(QWidget& window);

// Brings the program's visible top-level window with exactly this caption to
// the front and gives it the focus. False when there is none.
bool ActivateWindowByTitle(const QString& title);

// Calls off a window manager's move of the window that has not taken the
// pointer yet (the button was released first).
void CancelSystemMove(QWidget& window);

// The directory of the running program, where the files that ship beside it live.
QString ProgramDirectory();

} // namespace quarn::platform
