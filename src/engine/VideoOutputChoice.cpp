#include "engine/VideoOutputChoice.h"

namespace quarn {

VideoOutputChoice::VideoOutputChoice(bool hardwareGraphics)
    : hardwareDecoding_(hardwareGraphics ? "auto-safe" : "no") {
#if defined(Q_OS_WIN) || defined(Q_OS_MACOS)
    outputs_ = "gpu";
#else
    // The X11 outputs scale in software and, like the GPU renderer, draw into
    // an embedded window.
    outputs_ = hardwareGraphics ? "gpu,xv,x11" : "xv,x11";
#endif
}

void VideoOutputChoice::Adopt(const QByteArray& output) {
    if (pinned_ || output.isEmpty()) {
        return;
    }
    outputs_ = output;
    pinned_ = true;
}

} // namespace quarn
