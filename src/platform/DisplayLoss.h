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

} // namespace quarn::platform
