#pragma once

namespace quarn::platform {

// However the orderly end of the program goes (an engine that does not let
// go), the process ends with `status` after `ms` milliseconds.
void EndWithin(int ms, int status);

} // namespace quarn::platform
