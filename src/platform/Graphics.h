#pragma once

namespace quarn::platform {

// Whether the display has hardware graphics a video renderer can use: a
// direct-rendering extension on the X server and a render node on this
// machine. Virtual machines without a virtual GPU, remote desktops and
// virtual X servers have neither. Answered without loading any GL driver.
bool HasHardwareGraphics();

} // namespace quarn::platform
