#include "app/CommandLine.h"
#include "app/Mpris.h"
#include "app/Player.h"
#include "app/SingleInstance.h"
#include "common/Designs.h"
#include "engine/MpvEngine.h"
#include "platform/Desktop.h"
#include "platform/DisplayLoss.h"
#include "platform/ExitWatchdog.h"
#include "platform/FileNames.h"
#include "platform/ScreenSaver.h"
#include "platform/SessionBus.h"
#include "platform/TerminationSignals.h"
#include "platform/UserFiles.h"
#include "platform/X11.h"
#include "widgets/MessageBox.h"
#include "widgets/Pictures.h"

#include <QApplication>
#include <QThread>
#include <cstdio>
#include <vector>

namespace {

// The player places its windows itself (docking, centring), which Wayland
// does not allow a program: it runs on X11 (XWayland there), unless the user
// chose the toolkit's platform. Without an X display it says so and ends.
bool onX11() {
#if defined(Q_OS_LINUX) || defined(Q_OS_FREEBSD)
    if (!qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) {
        return true;
    }
    const bool wayland = !qEnvironmentVariableIsEmpty("WAYLAND_DISPLAY");
    qputenv("QT_QPA_PLATFORM", "xcb");
    if (!quarn::platform::X11DisplayReachable()) {
        std::fprintf(stderr, "quarn-media-player: %s\n",
                     wayland ? "this Wayland session offers no XWayland, which the player needs"
                             : "there is no X display to show the player on");
        return false;
    }
#endif
    return true;
}

} // namespace

int main(int argc, char** argv) {
    QStringList arguments;
    for (int i = 0; i < argc; ++i) {
        // Names are bytes: any that are not UTF-8 are kept as they are.
        arguments << quarn::platform::FileNameFromBytes(argv[i]);
    }
    // Read before the toolkit starts, so that --help and --version need no display.
    const quarn::CommandLine line = quarn::ParseCommandLine(arguments);
    switch (line.action) {
    case quarn::CommandLine::Action::Help:
        std::fputs(qPrintable(quarn::UsageText()), stdout);
        return 0;
    case quarn::CommandLine::Action::Version:
        std::fputs(qPrintable(quarn::VersionText()), stdout);
        return 0;
    case quarn::CommandLine::Action::Usage:
        std::fprintf(stderr, "quarn-media-player: %s\n\n%s", qPrintable(line.problem),
                     qPrintable(quarn::UsageText()));
        return 2;
    case quarn::CommandLine::Action::Play:
        break;
    }

    if (!onX11()) {
        return 1;
    }
    // A bus that does not answer within a second is done without.
    quarn::platform::PrepareSessionBus(1000);
    // The video display needs a native window of its own; its siblings do not.
    QApplication::setAttribute(Qt::AA_DontCreateNativeWidgetSiblings);
    // Only the toolkit's own options reach it: never a file's name.
    std::vector<QByteArray> toolkitBytes;
    for (const QString& argument : line.toolkitArguments) {
        toolkitBytes.push_back(quarn::platform::FileNameToBytes(argument));
    }
    std::vector<char*> toolkitArgv;
    for (QByteArray& bytes : toolkitBytes) {
        toolkitArgv.push_back(bytes.data());
    }
    toolkitArgv.push_back(nullptr);
    int toolkitArgc = int(toolkitBytes.size());
    QApplication app(toolkitArgc, toolkitArgv.data());
    QApplication::setApplicationName(QString::fromLatin1(quarn::design::kApplicationTitle));
    QApplication::setWindowIcon(quarn::LoadIcon(QString::fromLatin1(quarn::design::kProgramIcon)));
    // The windows are hidden rather than closed; only Exit ends the program.
    QApplication::setQuitOnLastWindowClosed(false);

    // One player at a time: the first launch to claim the player's name is
    // the player; another hands its files to it and ends, unless the player
    // gives no answer within 2 s.
    QDBusConnection bus = QDBusConnection::sessionBus();
    if (!line.newInstance && !quarn::ClaimPlayerName(bus)) {
        if (quarn::HandOver(bus, line.entries, line.enqueue, 2000)) {
            return 0;
        }
        qWarning("The player that runs gave no answer: this one plays on its own.");
    }
    // Hand-overs are taken from now on, even while the windows are made;
    // they reach the player once it runs.
    quarn::Player* handOverTarget = nullptr;
    quarn::InstanceInbox inbox;
    QThread inboxThread;
    inbox.moveToThread(&inboxThread);
    inboxThread.start();
    QObject::connect(&inbox, &quarn::InstanceInbox::FilesReceived, &app,
                     [&handOverTarget](const QStringList& entries, bool enqueue) {
                         if (handOverTarget != nullptr) {
                             handOverTarget->TakeHandOver(entries, enqueue);
                         }
                     });
    if (!line.newInstance) {
        inbox.Register(bus);
    }

    quarn::platform::ScreenSaver screenSaver;
    quarn::PlayerServices services;
    services.makeEngine = [](WId videoWindow) -> std::unique_ptr<quarn::MediaEngine> {
        return std::make_unique<quarn::MpvEngine>(videoWindow);
    };
    services.screenSaver = &screenSaver;
    quarn::MessageWindow messages;
    services.message = [&messages](const QString& text, const QString& title,
                                   const QString& detail) { messages.Show(text, title, detail); };
    // Whatever is on the screen (a dialog, the melt, an engine that does not
    // let go), the program is gone, with status 0, within 2 s of being told
    // to end.
    services.exiting = [] { quarn::platform::EndWithin(2000, 0); };
    services.fileDialogs = std::make_unique<quarn::QtFileDialogBackend>();
    services.programDirectory = quarn::platform::DataDirectory();
    services.paths = {quarn::SettingsPath(), quarn::platform::StateFolder(),
                      quarn::platform::PicturesFolder(),
                      quarn::platform::CacheFolder() + QStringLiteral("/covers")};
    services.skinFolders = {services.programDirectory + QStringLiteral("/skins")};
    services.userSkinFolder = quarn::platform::UserSkinsFolder();
    services.skin = line.skin;
    services.skinSize = line.size;
    quarn::Player player(std::move(services));
    quarn::Mpris mpris(player.Session(), player.Commands(), bus);
    QObject::connect(&mpris, &quarn::Mpris::RaiseRequested, &player, &quarn::Player::Raise);
    QObject::connect(&mpris, &quarn::Mpris::PlayRequested, &player, &quarn::Player::RequestFiles);
    mpris.Register();
    // A signal ends the program within 2 s even while its event loop is held
    // up; what is kept is saved when the loop gets to it before then.
    quarn::platform::QuitOnTerminationSignals([&player] { player.Exit(); }, 1500);
    quarn::platform::HandleBrokenXConnections(
        [&player] { player.Session().Engine().RestartAfterOutputLoss(); });

    handOverTarget = &player;
    player.Start(line.entries);
    const int code = QApplication::exec();
    bus.unregisterObject(QString::fromLatin1(quarn::InstanceInbox::kObjectPath));
    inboxThread.quit();
    inboxThread.wait();

    // However the program ends, it leaves the screen saver as it found it.
    screenSaver.SetActive(true);
    // Whatever holds up the winding down (an engine that does not let go),
    // the program is gone soon after.
    quarn::platform::EndWithin(1500, code);
    return code;
}
