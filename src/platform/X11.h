#pragma once

// The one way the platform layer reaches the X display the toolkit is
// connected to. Both are null where the program does not run on X11.

struct _XDisplay;
struct xcb_connection_t;

namespace quarn::platform {

_XDisplay* X11Display();
xcb_connection_t* X11Connection();

// Whether the X display named by $DISPLAY answers (before the toolkit starts).
bool X11DisplayReachable();

} // namespace quarn::platform
