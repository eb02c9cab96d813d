#pragma once

#include <functional>

namespace quarn::platform {

// SIGTERM and SIGINT end the program the orderly way: `quit` runs on the
// user-interface thread, as Exit does. Call once the toolkit is up.
void QuitOnTerminationSignals(std::function<void()> quit);

} // namespace quarn::platform
