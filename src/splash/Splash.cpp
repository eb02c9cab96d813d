#include "splash/Splash.h"

#include "common/Globals.h"
#include "forms/Designs.h"
#include "platform/Desktop.h"
#include "player/FrmMain.h"
#include "player/MediaEngine.h"
#include "toolbar/SongName.h"
#include "toolbar/Toolbar.h"

#include <QDir>
#include <QIcon>
#include <QMouseEvent>
#include <QPainter>
#include <QScreen>
#include <QTimer>

namespace quarn {

namespace d = design::splash;

// The label's colour once loaded: steel blue.
constexpr ColourWord kLabelColour = 0x00C6965A;

Splash::Splash()
    : QWidget(nullptr, Qt::Window | Qt::FramelessWindowHint),
      picture_(loadPicture(QString::fromLatin1(d::kPicture))),
      label1_(new Label(this, "Label1", d::kLabel1, d::kLabel1Font, d::kLabel1Colour,
                        Qt::AlignHCenter)),
      introElement_(new QWidget(this)), intro_(services().createEngine(nullptr)) {
    setObjectName(QStringLiteral("Splash"));
    setWindowTitle(QString::fromLatin1(d::kCaption));
    setWindowIcon(loadIcon(QString::fromLatin1(design::kProgramIcon)));
    makeBorderless(*this);
    resize(pixelRect({0, 0, d::kClientWidth, d::kClientHeight}).size());
    label1_->setText(QString::fromLatin1(d::kLabel1Caption));
    // The intro's element only plays sound; it is never seen.
    introElement_->setObjectName(QStringLiteral("Intro"));
    introElement_->setGeometry(pixelRect(d::kIntro));
    introElement_->hide();
    connect(intro_.get(), &MediaEngine::EndOfStream, this, &Splash::Intro_EndOfStream);
    connect(intro_.get(), &MediaEngine::Refused, this, &Splash::introMissing);
    connect(intro_.get(), &MediaEngine::Failed, this, &Splash::introMissing);
}

Splash::~Splash() = default;

QString Splash::IntroPath() {
    return QDir(platform::ProgramDirectory()).filePath(QStringLiteral("intro.mp3"));
}

void Splash::Load() {
    label1_->SetForeColour(kLabelColour);
    try {
        intro_->SetFileName(IntroPath());
    } catch (const EngineError&) {
        introMissing();
    }
    frmMain().CenterForm(*this);
    frmMain();
    songName();
    toolbar();
    frmMain().hide();
    toolbar().hide();
    songName().hide();
}

void Splash::introMissing() {
    // Without its intro the splash goes straight on to the player.
    introFailed_ = true;
    if (isVisible()) {
        comeUpWithoutIntro();
    }
}

void Splash::showEvent(QShowEvent* event) {
    QWidget::showEvent(event);
    if (introFailed_) {
        comeUpWithoutIntro();
    }
}

void Splash::comeUpWithoutIntro() {
    if (!finished_) {
        // Without an intro the player comes up after a glimpse of the splash.
        // Not sooner: the toolbar was shown and hidden again while loading,
        // and the window manager must be done with that before it is shown
        // once more, or it may never map it.
        QTimer::singleShot(kNoIntroMs, this, &Splash::Intro_EndOfStream);
    }
}

void Splash::paintEvent(QPaintEvent*) {
    QPainter painter(this);
    painter.drawImage(0, 0, picture_);
}

void Splash::mousePressEvent(QMouseEvent* event) {
    pressedInside_ = true;
    event->accept();
}

void Splash::mouseReleaseEvent(QMouseEvent* event) {
    const bool click = pressedInside_ && rect().contains(event->position().toPoint());
    pressedInside_ = false;
    event->accept();
    if (click) {
        Form_Click();
    }
}

void Splash::Intro_EndOfStream() {
    if (finished_) {
        return;
    }
    hide();
    FrmMain& main = frmMain();
    main.show();
    songName().show();
    toolbar().show();
    // The title strip first appears centred 800 twips above the main window;
    // from then on the main window keeps it docked.
    const QRect screen = main.screen()->geometry();
    const double left = pixelsToTwips(screen.width()) / 2 - pixelsToTwips(songName().width()) / 2;
    const double top = pixelsToTwips(main.y()) - 800;
    songName().move(screen.left() + twipsToPixels(left), twipsToPixels(top));
    platform::ActivateWindowByTitle(main.windowTitle());
    showPlayer();
}

void Splash::Form_Click() {
    if (finished_) {
        return;
    }
    intro_->Stop();
    hide();
    frmMain().show();
    songName().show();
    toolbar().show();
    platform::ActivateWindowByTitle(frmMain().windowTitle());
    showPlayer();
}

void Splash::showPlayer() {
    finished_ = true;
    if (!pendingFile_.isEmpty()) {
        // Opened once the windows are up, as if chosen with Open.
        QTimer::singleShot(0, this, &Splash::openPendingFile);
    }
}

void Splash::openPendingFile() {
    const QString path = pendingFile_;
    pendingFile_.clear();
    toolbar().OpenPath(path);
}

} // namespace quarn
