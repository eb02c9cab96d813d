#include "common/Globals.h"

#include "platform/ScreenSaver.h"
#include "player/FrmMain.h"
#include "player/MpvEngine.h"
#include "splash/FrmAbout.h"
#include "splash/Splash.h"
#include "toolbar/Menus.h"
#include "toolbar/SongName.h"
#include "toolbar/Toolbar.h"

#include <QApplication>
#include <QMessageBox>

namespace quarn {

namespace {

struct Instances {
    std::unique_ptr<FrmMain> frmMain;
    std::unique_ptr<Toolbar> toolbar;
    std::unique_ptr<SongName> songName;
    std::unique_ptr<Splash> splash;
    std::unique_ptr<Menus> menus;
    std::unique_ptr<FrmAbout> frmAbout;
};

Instances& instances() {
    static Instances all;
    return all;
}

// The instance is stored before its load runs, so that the load (and whatever
// it refers to) finds the window being loaded rather than making another.
template <typename W> W& instance(std::unique_ptr<W>& slot) {
    if (!slot) {
        slot = std::make_unique<W>();
        slot->Load();
    }
    return *slot;
}

Services realServices() {
    Services s;
    s.createEngine = [](QWidget* display) -> std::unique_ptr<MediaEngine> {
        return std::make_unique<MpvEngine>(display);
    };
    s.messageBox = [](const QString& text, const QString& title, const QString& detail) {
        QMessageBox box(QMessageBox::Information, title, text, QMessageBox::Ok);
        box.setInformativeText(detail);
        box.exec();
    };
    s.setScreenSaver = [](bool active) { platform::ScreenSaver::instance().SetActive(active); };
    return s;
}

} // namespace

FrmMain& frmMain() {
    return instance(instances().frmMain);
}
Toolbar& toolbar() {
    return instance(instances().toolbar);
}
SongName& songName() {
    return instance(instances().songName);
}
Splash& splash() {
    return instance(instances().splash);
}
Menus& menus() {
    return instance(instances().menus);
}
FrmAbout& frmAbout() {
    return instance(instances().frmAbout);
}

bool IsLoaded(Window window) {
    const Instances& all = instances();
    switch (window) {
    case Window::FrmMain:
        return all.frmMain != nullptr;
    case Window::Toolbar:
        return all.toolbar != nullptr;
    case Window::SongName:
        return all.songName != nullptr;
    case Window::Splash:
        return all.splash != nullptr;
    case Window::Menus:
        return all.menus != nullptr;
    case Window::FrmAbout:
        return all.frmAbout != nullptr;
    }
    return false;
}

void UnloadAll() {
    Instances& all = instances();
    all.frmAbout.reset();
    all.menus.reset();
    all.toolbar.reset();
    all.songName.reset();
    all.frmMain.reset();
    all.splash.reset();
}

Services& services() {
    static Services current = realServices();
    return current;
}

void ResetServices() {
    services() = realServices();
}

} // namespace quarn
