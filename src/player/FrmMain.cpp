#include "player/FrmMain.h"

#include "common/Globals.h"
#include "forms/Designs.h"
#include "forms/FormKit.h"
#include "platform/MovieMod.h"
#include "player/MainWindowLogic.h"
#include "player/MediaEngine.h"
#include "shaping/TheShyt.h"
#include "splash/Splash.h"
#include "toolbar/SongName.h"
#include "toolbar/Toolbar.h"
#include "tray/MyTrayMod.h"

#include <QCloseEvent>
#include <QGuiApplication>
#include <QMouseEvent>
#include <QPainter>
#include <QScreen>

namespace quarn {

namespace d = design::frmMain;

namespace {

// The video display. Presses on the picture stay here: only the window's own
// margins move the window.
class VideoArea : public QWidget {
public:
    explicit VideoArea(QWidget* parent) : QWidget(parent) {
        setObjectName(QStringLiteral("TheShow"));
        setGeometry(pixelRect(d::kTheShow));
        setDesignColours(*this, colourWord(0, 0, 0), colourWord(0, 0, 0));
    }

protected:
    void mousePressEvent(QMouseEvent* event) override { event->accept(); }
};

const char* const kSeekBarStyle = R"(
QScrollBar:horizontal { background: #0b1522; border: 1px solid #1d3550; height: 9px; margin: 0 9px; }
QScrollBar:horizontal:disabled { background: #0a0f16; border-color: #141e2a; }
QScrollBar::handle:horizontal { background: #5895c1; min-width: 12px; border-radius: 2px; }
QScrollBar::handle:horizontal:hover { background: #7ab1da; }
QScrollBar::handle:horizontal:disabled { background: #2a3a4a; }
QScrollBar::add-line:horizontal, QScrollBar::sub-line:horizontal {
    background: #162a40; border: 1px solid #1d3550; width: 8px; subcontrol-origin: margin; }
QScrollBar::add-line:horizontal { subcontrol-position: right; }
QScrollBar::sub-line:horizontal { subcontrol-position: left; }
QScrollBar::add-page:horizontal, QScrollBar::sub-page:horizontal { background: none; }
)";

} // namespace

FrmMain::FrmMain()
    : QWidget(nullptr, Qt::Window | Qt::FramelessWindowHint), display_(new VideoArea(this)),
      hScroll1_(new QScrollBar(Qt::Horizontal, this)),
      picture3_(new PictureBox(this, "Picture3", d::kPicture3,
                               loadPicture(QString::fromLatin1(d::kPicture3Picture)), false)),
      theShow_(services().createEngine(display_)), monitor_(*theShow_, *this) {
    setObjectName(QStringLiteral("frmMain"));
    setWindowTitle(QString::fromLatin1(d::kCaption));
    makeBorderless(*this);
    setDesignColours(*this, d::kBackColour, d::kForeColour);
    resize(pixelRect({0, 0, d::kClientWidth, d::kClientHeight}).size());
    centerOnScreen(*this);

    hScroll1_->setObjectName(QStringLiteral("HScroll1"));
    hScroll1_->setGeometry(pixelRect(d::kHScroll1));
    hScroll1_->setMinimum(0);
    hScroll1_->setMaximum(0);
    // A click on the track moves the bar by one second, like the arrows.
    hScroll1_->setPageStep(1);
    hScroll1_->setStyleSheet(QString::fromLatin1(kSeekBarStyle));
    hScroll1_->setEnabled(false);
    // Only the user's dragging of the thumb seeks; clicks on the arrows or the
    // track, and the monitor's own updates, do not.
    connect(hScroll1_, &QScrollBar::sliderMoved, this, &FrmMain::HScroll1_Scroll);

    picture3_->AutoSize();
    picture3_->hide();

    display_->installEventFilter(this);
    connect(theShow_.get(), &MediaEngine::EndOfStream, this, &FrmMain::TheShow_EndOfStream);
    connect(theShow_.get(), &MediaEngine::Failed, this, &FrmMain::TheShow_Failed);

    // The monitor asks for "as often as the system timer allows"; a system
    // timer's tick of about 15 ms is what that meant.
    Timer1.setInterval(kTickMs);
    connect(&Timer1, &QTimer::timeout, this, &FrmMain::Timer1_Timer);
    Timer2.setInterval(d::kTimer2Interval);
    connect(&Timer2, &QTimer::timeout, this, &FrmMain::Timer2_Timer);
}

FrmMain::~FrmMain() {
    Timer1.stop();
    Timer2.stop();
    // The engine goes first, while its display still exists.
    theShow_.reset();
}

void FrmMain::Load() {
    hScroll1_->setMaximum(roundToInt32(theShow_->Duration()));
    toolbar().show();
    AddTrayIcon(splash(), QStringLiteral("Quarn Media Player"));
    WakeMonitor();
}

QString FrmMain::TimeString(std::int32_t seconds) {
    return quarn::TimeString(seconds);
}

QString FrmMain::GetFileName(const QString& path) {
    return quarn::GetFileName(path);
}

void FrmMain::RePaint() {
    update();
}

void FrmMain::paintEvent(QPaintEvent*) {
    QPainter painter(this);
    const QImage& tile = picture3_->Picture();
    const double tileWidth = pixelsToTwips(picture3_->width());
    const double tileHeight = pixelsToTwips(picture3_->height());
    const QSize tilePixels(picture3_->width(), picture3_->height());
    for (const TwipsPoint& at :
         TilePositions(pixelsToTwips(width()), pixelsToTwips(height()), tileWidth, tileHeight)) {
        painter.drawImage(QRect(QPoint(twipsToPixels(at.left), twipsToPixels(at.top)), tilePixels),
                          tile);
    }
}

void FrmMain::CenterForm(QWidget& form) {
    const QScreen* screen =
        form.screen() != nullptr ? form.screen() : QGuiApplication::primaryScreen();
    const QSize size = screen->geometry().size();
    const TwipsPoint at =
        CenteredPosition(pixelsToTwips(size.width()), pixelsToTwips(size.height()),
                         pixelsToTwips(form.width()), pixelsToTwips(form.height()));
    form.move(screen->geometry().topLeft() + QPoint(twipsToPixels(at.left), twipsToPixels(at.top)));
}

void FrmMain::SetSpeed(std::int32_t speed) {
    if (speed > 0) {
        theShow_->SetSpeed(speed / 1000.0);
    }
}

void FrmMain::mousePressEvent(QMouseEvent* event) {
    // Any button on the margins moves the window.
    event->accept();
    DragWindow(*this, event->globalPosition().toPoint(), event->button());
}

void FrmMain::moveEvent(QMoveEvent* event) {
    QWidget::moveEvent(event);
    WakeMonitor();
}

void FrmMain::resizeEvent(QResizeEvent* event) {
    QWidget::resizeEvent(event);
    RePaint();
    WakeMonitor();
}

void FrmMain::changeEvent(QEvent* event) {
    QWidget::changeEvent(event);
    if (event->type() == QEvent::WindowStateChange) {
        WakeMonitor();
    }
}

void FrmMain::showEvent(QShowEvent* event) {
    QWidget::showEvent(event);
    WakeMonitor();
}

void FrmMain::closeEvent(QCloseEvent* event) {
    // The window has no close button of its own; a close from the desktop
    // (the window manager's close keys) ends the program, as Exit does,
    // rather than leaving the player without its main window.
    event->ignore();
    toolbar().Options_Click();
}

bool FrmMain::eventFilter(QObject* watched, QEvent* event) {
    if (watched == display_ && (event->type() == QEvent::Resize || event->type() == QEvent::Show ||
                                event->type() == QEvent::Hide)) {
        WakeMonitor();
    }
    return QWidget::eventFilter(watched, event);
}

void FrmMain::WakeMonitor() {
    quietTicks_ = 0;
    if (!Timer1.isActive()) {
        Timer1.start();
    }
}

FrmMain::Snapshot FrmMain::snapshot() {
    Snapshot s;
    s.position = theShow_->CurrentPosition();
    s.main = geometry();
    if (IsLoaded(Window::SongName)) {
        s.songName = songName().pos();
    }
    if (IsLoaded(Window::Toolbar)) {
        s.toolbar = toolbar().pos();
    }
    return s;
}

void FrmMain::Timer1_Timer() {
    monitor_.Tick();
    // Rest once a while has passed with nothing to follow: nothing playing,
    // no window moving. Idle, the player then costs no processor time. While
    // something plays the monitor never rests, however seldom the position
    // moves (a clip of two pictures a second, a pause in the sound).
    const Snapshot now = snapshot();
    if (now == last_ && !theShow_->Playing()) {
        if (++quietTicks_ >= kQuietTicksBeforeRest) {
            Timer1.stop();
        }
    } else {
        quietTicks_ = 0;
    }
    last_ = now;
}

void FrmMain::Timer2_Timer() {
    monitor_.Marquee();
}

void FrmMain::HScroll1_Scroll(int value) {
    monitor_.Seek(value);
    WakeMonitor();
}

void FrmMain::TheShow_EndOfStream() {
    monitor_.EndOfMedia();
    // Nothing plays any more: the screen saver may come back.
    SetScreenSaver(true);
    WakeMonitor();
}

void FrmMain::TheShow_Failed(const QString& reason) {
    services().messageBox(QStringLiteral("Movie is invalid or you need a codec"),
                          QStringLiteral("Playback Error"), reason);
    TheShow_EndOfStream();
}

void FrmMain::EnableSeekBar(bool enabled) {
    hScroll1_->setEnabled(enabled);
}

void FrmMain::EnableMarquee(bool enabled) {
    if (enabled) {
        Timer2.start();
    } else {
        Timer2.stop();
    }
}

// --- what the playback monitor works on ---

void FrmMain::SetTimeCaption(const QString& caption) {
    toolbar().Time().setText(caption);
}

void FrmMain::SetSeekMaximum(std::int32_t seconds) {
    hScroll1_->setMaximum(seconds);
}

void FrmMain::SetSeekValue(std::int32_t seconds) {
    // The user's hand on the thumb wins over the playing position.
    if (!hScroll1_->isSliderDown()) {
        hScroll1_->setValue(seconds);
    }
}

void FrmMain::PlaceSeekBar(double top, double width) {
    hScroll1_->setGeometry(hScroll1_->x(), twipsToPixels(top), twipsToPixels(width),
                           hScroll1_->height());
}

MonitorView::WindowState FrmMain::MainState() const {
    if (isMinimized()) {
        return WindowState::Minimized;
    }
    if (isMaximized() || isFullScreen()) {
        return WindowState::Maximized;
    }
    return WindowState::Normal;
}

TwipsRect FrmMain::MainGeometry() const {
    return toTwips(geometry());
}

void FrmMain::ResizeMain(double width, double height) {
    const QSize target(twipsToPixels(width), twipsToPixels(height));
    if (size() == target) {
        return;
    }
    resize(target);
    // Grown for a new video, the group stays wholly on the screen.
    if (const QScreen* shown = screen()) {
        const TwipsPoint at =
            GroupOnScreen(toTwips(geometry()), toTwips(shown->availableGeometry()),
                          pixelsToTwips(toolbar().width()), pixelsToTwips(toolbar().height()));
        move(twipsToPixels(at.left), twipsToPixels(at.top));
    }
}

TwipsRect FrmMain::SongNameGeometry() const {
    return toTwips(songName().geometry());
}

void FrmMain::MoveSongName(double left, double top) {
    const QPoint target(twipsToPixels(left), twipsToPixels(top));
    if (songName().pos() != target) {
        songName().move(target);
    }
}

TwipsRect FrmMain::ToolbarGeometry() const {
    return toTwips(toolbar().geometry());
}

void FrmMain::MoveToolbar(double left, double top) {
    const QPoint target(twipsToPixels(left), twipsToPixels(top));
    if (toolbar().pos() != target) {
        toolbar().move(target);
    }
}

QString FrmMain::Title() const {
    return songName().Label1().text();
}

void FrmMain::SetTitle(const QString& title) {
    songName().Label1().setText(title);
}

} // namespace quarn
