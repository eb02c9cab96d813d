#pragma once

#include <QPoint>
#include <Qt>
#include <functional>

class QWidget;

namespace quarn {

// Where a window being dragged is to go (the new top-left corner of the
// window that was grabbed, on the screen).
using DragMove = std::function<void(QPoint topLeft)>;

// Moves a window with the mouse, as if its title bar had been grabbed, from a
// press of `button` at `grabbedAt` (on the screen) until that button is
// released. The program moves the window itself on every motion of the
// pointer, so the window follows live whatever the window manager reports;
// `moveTo`, when given, is asked to do the moving instead (a window group
// moves all its windows). Only where the pointer's motion does not reach the
// program during a drag (Wayland) is the window manager asked to move it.
void DragWindow(QWidget& target, QPoint grabbedAt, Qt::MouseButton button, DragMove moveTo = {});

} // namespace quarn
