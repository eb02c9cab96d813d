#pragma once

#include "support/SessionWindows.h"

#include <QPoint>

namespace quarn::e2e {

// Input to the private desktop, in root coordinates, through XTEST (libxdo):
// the programs see real pointer and key events, the window manager real
// presses and drags. Presses and releases return once the window manager
// and the program under the pointer have handled them (they answer a request
// sent after the event), so that a release never overtakes a press: a window
// that starts a window-manager move on the press would otherwise be left
// moving with no button down.
class SessionInput : public SessionWindows {
public:
    void moveMouse(QPoint p);
    void mouseDown(int button = 1);
    void mouseUp(int button = 1);
    void click(QPoint p, int button = 1);
    void drag(QPoint from, QPoint to, int button = 1); // press, move in steps, release
    // `count` clicks in quick succession, as a double click is made.
    void clicks(QPoint p, int count, int button = 1);
    // True while someone holds the pointer: a window manager moving a window,
    // an open pop-up menu.
    bool pointerGrabbed();
    // A keysym name or a chord: "Return", "a", "F5", "ctrl+o".
    void key(const QString& keysym);
    void type(const QString& text); // any text, including spaces, quotes, non-ASCII

protected:
    SessionInput() = default;
};

} // namespace quarn::e2e
