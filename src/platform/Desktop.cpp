#include "platform/Desktop.h"

#include <QApplication>
#include <QDir>
#include <QFileInfo>
#include <QGuiApplication>
#include <QWidget>
#include <QWindow>

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
