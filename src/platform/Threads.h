#pragma once

namespace quarn::platform {

// Puts the calling thread behind the player's other work (nice 10 on Linux)
// for work that can wait, such as reading tags: it never takes the processor
// from playback, yet still gets its turn on a busy machine, where a thread of
// the idle class would wait for as long as anything else runs.
void MakeCurrentThreadBackground();

} // namespace quarn::platform
