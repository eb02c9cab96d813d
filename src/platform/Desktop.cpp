#include "platform/Desktop.h"

#include "platform/X11.h"

#include <QApplication>
#include <QCursor>
#include <QDir>
#include <QFileInfo>
#include <QGuiApplication>
#include <QWidget>
#include <QWindow>

#if defined(QUARN_HAVE_X11)
#include <X11/Xlib.h>
#endif

namespace quarn::platform {

bool ActivateWindowByTitle(const QString& title) {
    for (QWidget* widget : QApplication::topLevelWidgets()) {
        if (widget->isVisible() && widget->windowTitle() == title) {
            widget->raise();
            widget->activateWindow();
            if (QWindow* handle = widget->windowHandle()) {
                handle->requestActivate();
            }
            return true;
        }
    }
    return false;
}

void CancelSystemMove(QWidget& window) {
#if defined(QUARN_HAVE_X11)
    Display* display = X11Display();
    if (display == nullptr) {
        return;
    }
    constexpr long kMoveResizeCancel = 11;
    const QPoint at = QCursor::pos();
    XEvent event{};
    event.xclient.type = ClientMessage;
    event.xclient.window = static_cast<Window>(window.winId());
    event.xclient.message_type = XInternAtom(display, "_NET_WM_MOVERESIZE", False);
    event.xclient.format = 32;
    event.xclient.data.l[0] = at.x();
    event.xclient.data.l[1] = at.y();
    event.xclient.data.l[2] = kMoveResizeCancel;
    event.xclient.data.l[3] = Button1;
    event.xclient.data.l[4] = 1; // a normal application
    XSendEvent(display, DefaultRootWindow(display), False,
               SubstructureRedirectMask | SubstructureNotifyMask, &event);
    XFlush(display);
#else
    Q_UNUSED(window);
#endif
}

QString DataDirectoryFor(const QString& programFolder) {
    const QDir folder(programFolder);
    if (folder.exists(QStringLiteral("intro.mp3"))) {
        return programFolder;
    }
    const QFileInfo installed(folder.filePath(QStringLiteral("../share/quarn-media-player")));
    if (installed.isDir()) {
        return installed.canonicalFilePath();
    }
    return programFolder;
}

QString DataDirectory() {
    return DataDirectoryFor(QCoreApplication::applicationDirPath());
}

} // namespace quarn::platform
