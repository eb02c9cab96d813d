#pragma once

#include <functional>

namespace quarn::platform {

// SIGTERM, SIGINT and SIGHUP (a terminal closing) end the program the orderly
// way: `quit` runs on the user-interface thread, as Exit does, and saves what
// is to be kept. However busy that thread is, the process ends with status 0
// `withinMs` after the signal. Call once the toolkit is up.
void QuitOnTerminationSignals(std::function<void()> quit, int withinMs);

// The watchdog half of that alone: from the first of those signals on, the
// process ends with status 0 within `withinMs`, whatever its threads do.
void EndOnTerminationSignals(int withinMs);

} // namespace quarn::platform
