#include "common/Globals.h"
#include "forms/FormKit.h"
#include "platform/Endings.h"
#include "platform/ScreenSaver.h"
#include "player/FrmMain.h"
#include "player/MediaEngine.h"
#include "splash/Splash.h"

#include <QApplication>
#include <QIcon>

namespace {

// The player places its windows itself (docking, centring), which Wayland
// does not allow a program: run on X11 (XWayland) there, unless the user chose.
void preferX11() {
#if defined(Q_OS_LINUX) || defined(Q_OS_FREEBSD)
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM") &&
        !qEnvironmentVariableIsEmpty("WAYLAND_DISPLAY")) {
        qputenv("QT_QPA_PLATFORM", "xcb");
    }
#endif
}

// The file given on the command line, if any ("--" ends the options, so a
// file whose name starts with "-" can be given after it).
QString fileArgument(const QStringList& arguments) {
    bool optionsOver = false;
    for (qsizetype i = 1; i < arguments.size(); ++i) {
        const QString& argument = arguments.at(i);
        if (!optionsOver && argument == QLatin1String("--")) {
            optionsOver = true;
            continue;
        }
        return argument;
    }
    return {};
}

} // namespace

int main(int argc, char** argv) {
    preferX11();
    // The video display needs a native window of its own; its siblings do not.
    QApplication::setAttribute(Qt::AA_DontCreateNativeWidgetSiblings);
    QApplication app(argc, argv);
    QApplication::setApplicationName(QString::fromLatin1(quarn::design::kApplicationTitle));
    QApplication::setWindowIcon(quarn::loadIcon(QString::fromLatin1(quarn::design::kProgramIcon)));
    // The windows are hidden rather than closed; only Exit ends the program.
    QApplication::setQuitOnLastWindowClosed(false);

    quarn::platform::HandleBrokenXConnections([] {
        if (quarn::IsLoaded(quarn::Window::FrmMain)) {
            quarn::frmMain().TheShow().RestartAfterOutputLoss();
        }
    });

    quarn::Splash& splash = quarn::splash();
    splash.OpenWhenShown(fileArgument(QApplication::arguments()));
    splash.show();

    const int code = QApplication::exec();
    // Whatever holds up the winding down (an engine that does not let go),
    // the program is gone soon after Exit.
    quarn::platform::EndWithin(1500, code);

    // However the program ends, it leaves the screen saver as it found it.
    quarn::platform::ScreenSaver::instance().SetActive(true);
    quarn::UnloadAll();
    return code;
}
