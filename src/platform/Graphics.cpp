#include "platform/Graphics.h"

#include "platform/X11.h"

#include <QDir>

#if defined(QUARN_HAVE_X11)
#include <X11/Xlib.h>
#include <unistd.h>
#endif

namespace quarn::platform {

bool HasHardwareGraphics() {
#if defined(QUARN_HAVE_X11)
    Display* display = X11Display();
    if (display == nullptr) {
        return false;
    }
    int opcode = 0;
    int event = 0;
    int error = 0;
    if (!XQueryExtension(display, "DRI3", &opcode, &event, &error) &&
        !XQueryExtension(display, "DRI2", &opcode, &event, &error)) {
        return false;
    }
    const QDir dri(QStringLiteral("/dev/dri"));
    for (const QString& node : dri.entryList({QStringLiteral("renderD*")}, QDir::System)) {
        if (::access(dri.filePath(node).toLocal8Bit().constData(), R_OK | W_OK) == 0) {
            return true;
        }
    }
    return false;
#else
    return true;
#endif
}

} // namespace quarn::platform
