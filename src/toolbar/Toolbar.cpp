#include "toolbar/Toolbar.h"

#include "common/Globals.h"
#include "platform/MovieMod.h"
#include "player/FrmMain.h"
#include "player/MediaEngine.h"
#include "shaping/TheShyt.h"
#include "splash/Splash.h"
#include "toolbar/Menus.h"
#include "toolbar/SongName.h"
#include "tray/MyTrayMod.h"

#include <QCoreApplication>
#include <QCursor>

namespace quarn {

namespace d = design::toolbar;

namespace {

PictureBox* makeButton(QWidget* parent, const d::Button& button) {
    auto* box = new PictureBox(parent, button.name, button.element,
                               loadPicture(QString::fromLatin1(button.picture)), false);
    box->setToolTip(QString::fromLatin1(button.toolTip));
    box->setCursor(Qt::PointingHandCursor);
    return box;
}

} // namespace

QString SongTitle(const QString& fileName) {
    const QString gap(4, QLatin1Char(' '));
    if (fileName.size() < 4) {
        return fileName + gap;
    }
    return fileName.left(fileName.size() - 4) + gap;
}

Toolbar::Toolbar()
    : QWidget(nullptr, Qt::Window | Qt::FramelessWindowHint),
      pToolbar_(new PictureBox(this, "pToolbar", d::kPToolbar,
                               loadPicture(QString::fromLatin1(d::kPToolbarPicture)), false)),
      play_(makeButton(pToolbar_, d::kPlay)), pause_(makeButton(pToolbar_, d::kPause)),
      stop_(makeButton(pToolbar_, d::kStop)), open_(makeButton(pToolbar_, d::kOpen)),
      screenSavers_(makeButton(pToolbar_, d::kScreenSavers)),
      options_(makeButton(pToolbar_, d::kOptions)),
      time_(
          new Label(pToolbar_, "Time", d::kTime, d::kTimeFont, d::kTimeColour, Qt::AlignHCenter)) {
    setObjectName(QStringLiteral("Toolbar"));
    setWindowTitle(QString::fromLatin1(d::kCaption));
    makeBorderless(*this);
    resize(pixelRect({0, 0, d::kClientWidth, d::kClientHeight}).size());
    time_->setText(QString::fromLatin1(d::kTimeCaption));
    connect(play_, &PictureBox::clicked, this, &Toolbar::Play_Click);
    connect(pause_, &PictureBox::clicked, this, &Toolbar::Pause_Click);
    connect(stop_, &PictureBox::clicked, this, &Toolbar::mStop_Click);
    connect(open_, &PictureBox::clicked, this, &Toolbar::mOpen_Click);
    connect(screenSavers_, &PictureBox::clicked, this, &Toolbar::ScreenSavers_Click);
    connect(options_, &PictureBox::clicked, this, &Toolbar::Options_Click);
}

void Toolbar::Load() {
    ShapeForm(*pToolbar_, *this);
    for (PictureBox* button : {play_, pause_, stop_, open_, screenSavers_, options_}) {
        ShapeControl(*button);
    }
    // The time is written in the skin's frame colour.
    time_->SetForeColour(colourWordFromRgb(pToolbar_->Picture().pixel(10, 4)));
    FrmMain& main = frmMain();
    main.CMDLG.SetDefaultExt(QStringLiteral("1"));
    connect(&main.TheShow(), &MediaEngine::Opened, this, &Toolbar::FileOpened);
    connect(&main.TheShow(), &MediaEngine::Refused, this, &Toolbar::ReportRefusal);
}

void Toolbar::Play_Click() {
    FrmMain& main = frmMain();
    if (main.TheShow().FileName().isEmpty()) {
        return;
    }
    main.TheShow().Play();
    SetScreenSaver(false);
    main.WakeMonitor();
}

void Toolbar::Pause_Click() {
    FrmMain& main = frmMain();
    if (main.TheShow().FileName().isEmpty()) {
        return;
    }
    main.TheShow().Pause();
    main.WakeMonitor();
}

void Toolbar::mStop_Click() {
    FrmMain& main = frmMain();
    main.TheShow().Stop();
    SetScreenSaver(true);
    main.WakeMonitor();
}

void Toolbar::mOpen_Click() {
    FrmMain& main = frmMain();
    main.CMDLG.SetFilter(QString::fromLatin1(kMediaFilter));
    main.CMDLG.ShowOpen();
    OpenPath(main.CMDLG.FileName());
}

void Toolbar::OpenPath(const QString& path) {
    FrmMain& main = frmMain();
    // The title strip and the toolbar join the main window first.
    main.Monitor().Dock();

    if (path.isEmpty()) {
        // Cancelled: whatever plays goes on as it was.
        return;
    }
    try {
        main.TheShow().SetFileName(path);
    } catch (const EngineError& error) {
        ReportRefusal(error.code(), error.reason());
    }
    main.WakeMonitor();
}

void Toolbar::FileOpened() {
    FrmMain& main = frmMain();
    main.EnableSeekBar(true);
    main.EnableMarquee(true);
    songName().Label1().setText(SongTitle(FrmMain::GetFileName(main.TheShow().FileName())));
    SetScreenSaver(false);
    main.WakeMonitor();
}

void Toolbar::ReportRefusal(int code, const QString& reason) {
    if (code == EngineError::kCannotPlay) {
        services().messageBox(QStringLiteral("Movie is invalid or you need a codec"),
                              QStringLiteral("Playback Error"), reason);
    } else {
        services().messageBox(QString::number(code), QString::fromLatin1(design::kApplicationTitle),
                              reason);
    }
}

void Toolbar::ScreenSavers_Click() {
    menus().PopupSavers(QCursor::pos());
}

void Toolbar::Options_Click() {
    RemoveTrayIcon(splash());
    // The program ends at once: no window's close handling runs. The engine
    // and the screen-saver hold are released as the program winds down.
    QCoreApplication::exit(0);
}

void Toolbar::moveEvent(QMoveEvent* event) {
    QWidget::moveEvent(event);
    // The main window keeps the toolbar docked; let it look.
    if (IsLoaded(Window::FrmMain)) {
        frmMain().WakeMonitor();
    }
}

} // namespace quarn
