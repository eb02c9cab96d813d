#include "windows/MainWindow.h"

#include "common/Designs.h"
#include "common/Layout.h"
#include "widgets/Pictures.h"
#include "widgets/WindowLook.h"

#include <QCloseEvent>
#include <QGuiApplication>
#include <QMouseEvent>
#include <QPainter>
#include <QScreen>

namespace quarn {

namespace d = design::frmMain;

namespace {

// The video display: a native window of its own for the engine to draw into.
// Presses on the picture stay here: only the window's margins move the window.
// Its wheel, double clicks and moves go to the main window.
class VideoDisplay : public QWidget {
public:
    explicit VideoDisplay(QWidget* parent) : QWidget(parent) {
        setObjectName(QStringLiteral("TheShow"));
        setGeometry(PixelRect(d::kTheShow));
        SetDesignColours(*this, MakeColourWord(0, 0, 0), MakeColourWord(0, 0, 0));
        setAttribute(Qt::WA_NativeWindow);
        setAttribute(Qt::WA_DontCreateNativeAncestors);
        setMouseTracking(true);
    }

protected:
    void mousePressEvent(QMouseEvent* event) override { event->accept(); }
};

// How long the pointer stays on a full-screen video without moving before it hides.
constexpr int kPointerStillMs = 2000;
constexpr int kNoticeMs = 2000;
constexpr int kWheelNotch = 120;
constexpr int kSecondsPerNotch = 5;

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

QSize designDisplaySize() {
    return PixelRect(d::kTheShow).size();
}

} // namespace

MainWindow::MainWindow()
    : QWidget(nullptr, Qt::Window | Qt::FramelessWindowHint), display_(new VideoDisplay(this)),
      seekBar_(new SeekBar(this)),
      backgroundTile_(new PictureBox(this, "Picture3", d::kPicture3,
                                     LoadPicture(QString::fromLatin1(d::kPicture3Picture)), false)),
      displaySize_(designDisplaySize()) {
    setObjectName(QStringLiteral("frmMain"));
    setWindowTitle(QString::fromLatin1(d::kCaption));
    MakeBorderless(*this);
    SetDesignColours(*this, d::kBackColour, d::kForeColour);
    resize(PixelRect({0, 0, d::kClientWidth, d::kClientHeight}).size());

    seekBar_->setObjectName(QStringLiteral("HScroll1"));
    seekBar_->setGeometry(PixelRect(d::kHScroll1));
    seekBar_->setStyleSheet(QString::fromLatin1(kSeekBarStyle));
    seekBar_->setEnabled(false);
    // Dragging the thumb seeks, and so does a click on the track; the arrows,
    // and the bar following the playing position, do not.
    connect(seekBar_, &QScrollBar::sliderMoved, this, &MainWindow::SeekRequested);
    connect(seekBar_, &SeekBar::JumpRequested, this, &MainWindow::SeekRequested);

    controls_ = new FullScreenControls(this);
    connect(controls_, &FullScreenControls::PlayPauseClicked, this,
            &MainWindow::PlayPauseRequested);
    connect(controls_, &FullScreenControls::SeekRequested, this, &MainWindow::SeekRequested);
    notice_ = new QLabel(this);
    notice_->setObjectName(QStringLiteral("PictureNotice"));
    notice_->setAttribute(Qt::WA_NativeWindow);
    notice_->setStyleSheet(
        QStringLiteral("background: #0b1522; color: #a9cbe6; font-weight: bold; padding: 6px 10px;"
                       "border: 1px solid #5895c1;"));
    notice_->hide();
    noticeShown_.setSingleShot(true);
    noticeShown_.setInterval(kNoticeMs);
    connect(&noticeShown_, &QTimer::timeout, notice_, &QWidget::hide);

    backgroundTile_->AutoSize();
    backgroundTile_->hide();
    // The window is never seen at its design size, only fitted around its display.
    fitAroundDisplay();
    resize(FittedSize());
    CenterOnScreen(*this);

    display_->installEventFilter(this);
    seekBar_->installEventFilter(this);
    setMouseTracking(true);
    pointerStill_.setSingleShot(true);
    pointerStill_.setInterval(kPointerStillMs);
    connect(&pointerStill_, &QTimer::timeout, this, [this] {
        setCursor(Qt::BlankCursor);
        controls_->hide();
    });
}

WId MainWindow::VideoWindow() {
    return display_->winId();
}

void MainWindow::ShowVideo(QSize video) {
    if (video.isEmpty()) {
        return; // sound only: the display keeps its size
    }
    videoSize_ = video;
    fitVideo();
}

void MainWindow::SetZoom(int percent) {
    zoom_ = percent;
    if (!videoSize_.isEmpty()) {
        fitVideo();
    }
}

void MainWindow::fitVideo() {
    const QScreen* shown = screen() != nullptr ? screen() : QGuiApplication::primaryScreen();
    displaySize_ = FitVideoToScreen(videoSize_ * zoom_ / 100, shown->availableGeometry().size());
    fitAroundDisplay();
}

void MainWindow::ShowDisplay() {
    display_->show();
}

void MainWindow::ShowOpened() {
    display_->show();
    seekBar_->setEnabled(true);
}

void MainWindow::ShowEnded() {
    seekBar_->setEnabled(false);
    display_->hide();
    displaySize_ = designDisplaySize();
    videoSize_ = QSize();
    fitAroundDisplay();
}

void MainWindow::ShowReadout(const Readout& readout) {
    seekBar_->setMaximum(readout.maximum);
    // The user's hand on the thumb wins over the playing position.
    if (!seekBar_->isSliderDown()) {
        seekBar_->setValue(readout.value);
    }
    controls_->ShowReadout(readout);
}

void MainWindow::ShowPlaying(bool playing) {
    controls_->ShowPlaying(playing);
}

void MainWindow::ShowVolume(int volume, bool muted) {
    controls_->ShowVolume(volume, muted);
}

void MainWindow::ShowNotice(const QString& text) {
    notice_->setText(text);
    notice_->adjustSize();
    notice_->move(24, 24);
    notice_->show();
    notice_->raise();
    noticeShown_.start();
}

QString MainWindow::Notice() const {
    return notice_->isVisible() ? notice_->text() : QString();
}

void MainWindow::ShowControls() {
    pointerMoved();
}

bool MainWindow::ControlsShown() const {
    return controls_->isVisible();
}

QSize MainWindow::FittedSize() const {
    const MainWindowLayout around =
        MainWindowAround(PixelsToTwips(displaySize_.width()), PixelsToTwips(displaySize_.height()));
    return {TwipsToPixels(around.width), TwipsToPixels(around.height)};
}

void MainWindow::fitAroundDisplay() {
    if (isFullScreen()) {
        display_->setGeometry(rect());
        return;
    }
    display_->setGeometry(QRect(PixelRect(d::kTheShow).topLeft(), displaySize_));
    const MainWindowLayout around =
        MainWindowAround(PixelsToTwips(displaySize_.width()), PixelsToTwips(displaySize_.height()));
    seekBar_->setGeometry(ToPixels(around.seekBar));
    emit SizeWanted(FittedSize());
}

void MainWindow::RePaint() {
    update();
}

void MainWindow::paintEvent(QPaintEvent*) {
    QPainter painter(this);
    const QImage& tile = backgroundTile_->Picture();
    const QSize tilePixels = backgroundTile_->size();
    for (const TwipsPoint& at :
         TilePositions(PixelsToTwips(width()), PixelsToTwips(height()),
                       PixelsToTwips(tilePixels.width()), PixelsToTwips(tilePixels.height()))) {
        painter.drawImage(QRect(QPoint(TwipsToPixels(at.left), TwipsToPixels(at.top)), tilePixels),
                          tile);
    }
}

void MainWindow::SetSpeed(std::int32_t speed) {
    if (speed > 0) {
        emit SpeedRequested(speed / 1000.0);
    }
}

void MainWindow::mousePressEvent(QMouseEvent* event) {
    // Any button on the margins moves the window.
    event->accept();
    emit DragRequested(event->globalPosition().toPoint(), event->button());
}

void MainWindow::resizeEvent(QResizeEvent* event) {
    QWidget::resizeEvent(event);
    if (isFullScreen()) {
        display_->setGeometry(rect());
        controls_->PlaceIn(size());
    }
    RePaint();
}

void MainWindow::changeEvent(QEvent* event) {
    QWidget::changeEvent(event);
    if (event->type() == QEvent::WindowStateChange) {
        // In full screen the video fills the window; back from it the window
        // fits the display again.
        seekBar_->setVisible(!isFullScreen());
        if (isFullScreen()) {
            pointerMoved();
        } else {
            pointerStill_.stop();
            unsetCursor();
            controls_->hide();
            notice_->hide();
        }
        fitAroundDisplay();
    }
}

bool MainWindow::PointerHidden() const {
    return cursor().shape() == Qt::BlankCursor;
}

void MainWindow::pointerMoved() {
    if (isFullScreen()) {
        unsetCursor();
        controls_->PlaceIn(size());
        controls_->show();
        pointerStill_.start();
    }
}

void MainWindow::mouseMoveEvent(QMouseEvent* event) {
    pointerMoved();
    QWidget::mouseMoveEvent(event);
}

int MainWindow::notches(const QWheelEvent& event) {
    wheelTurn_ += event.angleDelta().y();
    const int whole = wheelTurn_ / kWheelNotch;
    wheelTurn_ -= whole * kWheelNotch;
    return whole;
}

bool MainWindow::eventFilter(QObject* watched, QEvent* event) {
    switch (event->type()) {
    case QEvent::Wheel:
        if (const int turned = notches(*static_cast<QWheelEvent*>(event)); turned != 0) {
            if (watched == seekBar_) {
                if (seekBar_->isEnabled()) {
                    emit SeekByRequested(turned * kSecondsPerNotch);
                }
            } else {
                emit VolumeStepRequested(turned);
            }
        }
        return true; // the seek bar does not move itself
    case QEvent::MouseButtonDblClick:
        if (watched == display_) {
            emit FullScreenToggleRequested();
            return true;
        }
        break;
    case QEvent::MouseButtonPress:
        if (watched == display_) {
            rightPressed_ = static_cast<QMouseEvent*>(event)->button() == Qt::RightButton;
        }
        break;
    case QEvent::MouseButtonRelease:
        // A right click on the picture, pressed and released on it: its menu.
        if (watched == display_ && rightPressed_ &&
            static_cast<QMouseEvent*>(event)->button() == Qt::RightButton) {
            rightPressed_ = false;
            const auto* release = static_cast<QMouseEvent*>(event);
            if (display_->rect().contains(release->position().toPoint())) {
                emit PictureMenuRequested(release->globalPosition().toPoint());
            }
            return true;
        }
        break;
    case QEvent::MouseMove:
        pointerMoved();
        break;
    default:
        break;
    }
    return QWidget::eventFilter(watched, event);
}

void MainWindow::closeEvent(QCloseEvent* event) {
    // The window has no close button of its own; a close from the desktop
    // (the window manager's close keys) ends the program, as Exit does,
    // rather than leaving the player without its main window.
    event->ignore();
    emit CloseRequested();
}

} // namespace quarn
