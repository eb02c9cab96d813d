#include "app/Player.h"
#include "forms/Designs.h"
#include "forms/FormKit.h"
#include "platform/Desktop.h"
#include "platform/Endings.h"
#include "platform/ScreenSaver.h"
#include "player/MpvEngine.h"

#include <QApplication>

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

// The files given on the command line ("--" ends the options, so a file whose
// name starts with "-" can be given after it).
QStringList fileArguments(const QStringList& arguments) {
    QStringList files;
    bool optionsOver = false;
    for (qsizetype i = 1; i < arguments.size(); ++i) {
        const QString& argument = arguments.at(i);
        if (!optionsOver && argument == QLatin1String("--")) {
            optionsOver = true;
            continue;
        }
        files << argument;
    }
    return files;
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

    quarn::platform::ScreenSaver screenSaver;
    quarn::PlayerServices services;
    services.makeEngine = [](WId videoWindow) -> std::unique_ptr<quarn::MediaEngine> {
        return std::make_unique<quarn::MpvEngine>(videoWindow);
    };
    services.screenSaver = &screenSaver;
    services.message = quarn::ShowMessageBox;
    services.fileDialogs = std::make_unique<quarn::QtFileDialogBackend>();
    services.programDirectory = quarn::platform::ProgramDirectory();
    quarn::Player player(std::move(services));
    quarn::platform::HandleBrokenXConnections(
        [&player] { player.Engine().RestartAfterOutputLoss(); });

    player.Start(fileArguments(QApplication::arguments()));
    const int code = QApplication::exec();

    // However the program ends, it leaves the screen saver as it found it.
    screenSaver.SetActive(true);
    // Whatever holds up the winding down (an engine that does not let go),
    // the program is gone soon after.
    quarn::platform::EndWithin(1500, code);
    return code;
}
