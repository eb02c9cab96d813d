#pragma once

#include <functional>

namespace quarn::platform {

// Makes a broken connection to the X display end the program cleanly, on
// whichever thread it shows. Where the display itself has gone, the program
// ends at once with status 1 and one line on stderr (holds on the session,
// such as the screen saver's, end with the process). Where only a connection
// of the engine's broke and the display is still there, the engine's thread
// that found it is held still for good and `engineConnectionLost` runs on the
// user-interface thread, which can make the engine anew. Call once, on the
// user-interface thread, once the toolkit is up.
void HandleBrokenXConnections(std::function<void()> engineConnectionLost);

// SIGTERM and SIGINT end the program the orderly way: `quit` runs on the
// user-interface thread, as Exit does. Call once the toolkit is up.
void QuitOnTerminationSignals(std::function<void()> quit);

// However the orderly end of the program goes (an engine that does not let
// go), the process ends with `status` after `ms` milliseconds.
void EndWithin(int ms, int status);

} // namespace quarn::platform
