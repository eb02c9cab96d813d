#pragma once

namespace quarn::platform {

// Makes sure the session bus can never hold the player up. Called before the
// toolkit starts: where no session bus is set, none is started (the bus
// library would otherwise launch one that outlives the player); where the
// bus does not answer within `timeoutMs`, the player goes on without one.
// Whether there is a bus to use.
bool PrepareSessionBus(int timeoutMs);

} // namespace quarn::platform
