#include "windows/MainWindow.h"

#include "common/Designs.h"
#include "widgets/AccessibleWindow.h"
#include "widgets/SkinStyles.h"
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

} // namespace

MainWindow::MainWindow(const Skin& skin, double scale, ActionLookup actions)
    : QWidget(nullptr, Qt::Window | Qt::FramelessWindowHint), display_(new VideoDisplay(this)),
      seekBar_(new SeekBar(this)) {
    MarkAsWindow(*this);
    setObjectName(QStringLiteral("frmMain"));
    setWindowTitle(QString::fromLatin1(d::kCaption));
    MakeBorderless(*this);
    SetDesignColours(*this, d::kBackColour, d::kForeColour);

    seekBar_->setObjectName(QStringLiteral("HScroll1"));
    seekBar_->setEnabled(false);
    // Dragging the thumb seeks, and so does a click on the track; the arrows,
    // and the bar following the playing position, do not.
    connect(seekBar_, &QScrollBar::sliderMoved, this, &MainWindow::SeekRequested);
    connect(seekBar_, &SeekBar::JumpRequested, this, &MainWindow::SeekRequested);

    controls_ = new FullScreenControls(this, std::move(actions));
    connect(controls_, &FullScreenControls::VolumeRequested, this, &MainWindow::VolumeRequested);
    connect(controls_, &FullScreenControls::SeekRequested, this, &MainWindow::SeekRequested);
    notice_ = new QLabel(this);
    notice_->setObjectName(QStringLiteral("PictureNotice"));
    notice_->setAttribute(Qt::WA_NativeWindow);
    notice_->hide();
    noticeShown_.setSingleShot(true);
    noticeShown_.setInterval(kNoticeMs);
    connect(&noticeShown_, &QTimer::timeout, notice_, &QWidget::hide);

    ApplySkin(skin, scale);
    // The window is never seen at its design size, only fitted around its display.
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
        emit ControlsCover(0);
    });
}

void MainWindow::ApplySkin(const Skin& skin, double scale) {
    const MainWindowSkin& look = skin.main;
    tile_ = skin.Picture(look.tile, KeyRule{}, scale).image;
    border_ = look.border;
    background_ = look.background;
    text_ = look.text;
    font_ = look.font.At(scale);
    borderWidth_ = look.borderWidth > 0 ? std::max(1, Scaled(look.borderWidth, scale)) : 0;
    QPalette palette = this->palette();
    palette.setColor(QPalette::Window, look.background);
    setPalette(palette);
    frame_ = {Scaled(look.display.topLeft(), scale), Scaled(look.extra, scale),
              Scaled(look.seekBarLeft, scale), Scaled(look.seekBarGap, scale),
              Scaled(look.seekBarHeight, scale)};
    const bool empty = displaySize_.isEmpty() || displaySize_ == emptyDisplay_;
    emptyDisplay_ = Scaled(look.display.size(), scale);
    // What the title strip above and the toolbar below add to the group's height.
    const auto companion = [&](const QString& picture, const SkinDock& dock) {
        return Scaled(skin.Original(picture).height() + dock.gap, scale);
    };
    around_ = frame_.extra + QSize(0, companion(skin.titleStrip.picture, skin.titleStrip.dock) +
                                          companion(skin.toolbar.picture, skin.toolbar.dock));
    seekBar_->setStyleSheet(SeekBarStyle(look.seekBar, look.seekBarHeight, scale));
    seekBar_->SetFocusColour(skin.focus);
    marks_ = look.seekBar.marks;
    barMarks_ = skin.fullScreenBar.seekBar.marks;
    noticeLook_ = skin.notice;
    scale_ = scale;
    controls_->ApplySkin(skin, scale);
    ShowChapters(chapters_);
    if (!videoSize_.isEmpty()) {
        fitVideo();
    } else {
        if (empty) {
            displaySize_ = emptyDisplay_;
        }
        fitAroundDisplay();
    }
    update();
}

WId MainWindow::VideoWindow() {
    return display_->winId();
}

void MainWindow::ShowVideo(QSize video) {
    if (video.isEmpty()) {
        return; // sound only: the display keeps its size
    }
    // Video after all: it shows instead of a cover.
    if (coverShown_) {
        coverShown_ = false;
        display_->show();
        update();
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
    displaySize_ =
        FitVideoToScreen(videoSize_ * zoom_ / 100, shown->availableGeometry().size(), around_);
    fitAroundDisplay();
}

void MainWindow::ShowDisplay() {
    coverShown_ = false;
    display_->show();
    update();
}

void MainWindow::ShowOpened() {
    display_->setVisible(!coverShown_);
    seekBar_->setEnabled(true);
}

void MainWindow::ShowCover(const QImage& cover, const QString& title) {
    coverShown_ = true;
    cover_ = cover;
    coverTitle_ = title;
    display_->hide();
    update();
}

void MainWindow::ShowEnded() {
    coverShown_ = false;
    cover_ = QImage();
    seekBar_->setEnabled(false);
    display_->hide();
    displaySize_ = emptyDisplay_;
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

void MainWindow::ShowVolume(int volume, bool muted) {
    controls_->ShowVolume(volume, muted);
}

void MainWindow::ShowNotice(const QString& text, int ms) {
    // Read from across the room: as large as the full-screen bar's text, at
    // the top of the picture, in the middle.
    const double sofa = FullScreenControls::SofaScale(noticeLook_.font, scale_, height());
    notice_->setStyleSheet(NoticeStyle(noticeLook_, sofa));
    notice_->setFont(noticeLook_.font.At(sofa));
    notice_->setText(text);
    notice_->adjustSize();
    notice_->move((width() - notice_->width()) / 2, Scaled(24, sofa));
    notice_->show();
    notice_->raise();
    noticeShown_.start(ms > 0 ? ms : kNoticeMs);
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
    return MainWindowAround(displaySize_, frame_).size;
}

void MainWindow::fitAroundDisplay() {
    if (isFullScreen()) {
        display_->setGeometry(rect());
        return;
    }
    const MainWindowLayout around = MainWindowAround(displaySize_, frame_);
    display_->setGeometry(around.display);
    seekBar_->setGeometry(around.seekBar);
    emit SizeWanted(around.size);
}

void MainWindow::RePaint() {
    update();
}

void MainWindow::paintEvent(QPaintEvent*) {
    QPainter painter(this);
    const QSize tile = tile_.size();
    for (const TwipsPoint& at :
         TilePositions(PixelsToTwips(width()), PixelsToTwips(height()), PixelsToTwips(tile.width()),
                       PixelsToTwips(tile.height()))) {
        painter.drawImage(QPoint(TwipsToPixels(at.left), TwipsToPixels(at.top)), tile_);
    }
    if (coverShown_) {
        paintCover(painter);
    }
    if (borderWidth_ > 0) {
        const QRect frame = rect();
        painter.fillRect(frame.left(), frame.top(), frame.width(), borderWidth_, border_);
        painter.fillRect(frame.left(), frame.bottom() + 1 - borderWidth_, frame.width(),
                         borderWidth_, border_);
        painter.fillRect(frame.left(), frame.top(), borderWidth_, frame.height(), border_);
        painter.fillRect(frame.right() + 1 - borderWidth_, frame.top(), borderWidth_,
                         frame.height(), border_);
    }
}

void MainWindow::paintCover(QPainter& painter) {
    const QRect place = display_->geometry();
    painter.fillRect(place, background_);
    if (!cover_.isNull()) {
        const QSize fitted = cover_.size().scaled(place.size(), Qt::KeepAspectRatio);
        QRect shown(QPoint(0, 0), fitted);
        shown.moveCenter(place.center());
        painter.setRenderHint(QPainter::SmoothPixmapTransform);
        painter.drawImage(shown, cover_);
        return;
    }
    painter.setPen(text_);
    painter.setFont(font_);
    const int margin = place.width() / 16;
    painter.drawText(place.adjusted(margin, margin, -margin, -margin),
                     Qt::AlignCenter | Qt::TextWordWrap, coverTitle_);
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
        placeControls();
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
            emit ControlsCover(0);
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
        controls_->show();
        placeControls();
        pointerStill_.start();
    }
}

void MainWindow::placeControls() {
    // At the bottom, as large as the screen makes them; subtitles keep above.
    controls_->PlaceIn(size());
    if (controls_->isVisible()) {
        emit ControlsCover(height() - controls_->y());
    }
}

void MainWindow::ShowChapters(const QList<double>& starts) {
    chapters_ = starts;
    seekBar_->SetMarks(starts, marks_);
    controls_->Bar().SetMarks(starts, barMarks_);
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
        // A double click of the left button; two quick right clicks are two
        // menus (the toolkit tells of the second press as a double click).
        if (watched == display_ && static_cast<QMouseEvent*>(event)->button() == Qt::LeftButton) {
            emit FullScreenToggleRequested();
            return true;
        }
        [[fallthrough]];
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
