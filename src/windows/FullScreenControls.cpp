#include "windows/FullScreenControls.h"

#include "widgets/Pictures.h"
#include "widgets/WindowShaping.h"

#include <QPainter>

namespace quarn {

namespace {

constexpr int kHeight = 44;
constexpr int kMargin = 40; // from the screen's sides
constexpr int kBottom = 24; // from the screen's bottom
constexpr int kCap = 48;    // the rounded ends of the bar
const char* const kText = "color: #a9cbe6; font-weight: bold;";

QImage picture(const char* name) {
    return LoadPicture(QStringLiteral(":/skins/") + QString::fromLatin1(name));
}

} // namespace

FullScreenControls::FullScreenControls(QWidget* parent)
    : QWidget(parent), left_(picture("overlay-left.png")), middle_(picture("overlay-middle.png")),
      right_(picture("overlay-right.png")),
      playPause_(new PictureBox(this, "PlayPause", {0, 0, 255, 315}, picture("pause.png"), false)),
      time_(new QLabel(this)), seekBar_(new SeekBar(this)), volume_(new QLabel(this)) {
    setObjectName(QStringLiteral("FullScreenControls"));
    // Above the engine's own native window.
    setAttribute(Qt::WA_NativeWindow);
    setMouseTracking(true);
    ShapeControl(*playPause_);
    playPause_->setCursor(Qt::PointingHandCursor);
    connect(playPause_, &PictureBox::Clicked, this, &FullScreenControls::PlayPauseClicked);
    time_->setStyleSheet(QString::fromLatin1(kText));
    volume_->setStyleSheet(QString::fromLatin1(kText));
    time_->setAlignment(Qt::AlignCenter);
    volume_->setAlignment(Qt::AlignCenter);
    seekBar_->setObjectName(QStringLiteral("FullScreenSeekBar"));
    seekBar_->setStyleSheet(parent->findChild<QWidget*>(QStringLiteral("HScroll1"))->styleSheet());
    connect(seekBar_, &QScrollBar::sliderMoved, this, &FullScreenControls::SeekRequested);
    connect(seekBar_, &SeekBar::JumpRequested, this, &FullScreenControls::SeekRequested);
    ShowReadout(ReadoutAt(0, 0));
    hide();
}

void FullScreenControls::ShowReadout(const Readout& readout) {
    seekBar_->setMaximum(readout.maximum);
    if (!seekBar_->isSliderDown()) {
        seekBar_->setValue(readout.value);
    }
    time_->setText(TimeString(readout.value) + QStringLiteral(" / ") + TimeString(readout.maximum));
}

void FullScreenControls::ShowPlaying(bool playing) {
    playing_ = playing;
    playPause_->SetPicture(picture(playing ? "pause.png" : "play.png"));
    playPause_->setToolTip(playing ? QStringLiteral("Pause") : QStringLiteral("Play"));
}

void FullScreenControls::ShowVolume(int volume, bool muted) {
    volume_->setText(muted ? QStringLiteral("Muted") : QStringLiteral("Vol %1%").arg(volume));
}

void FullScreenControls::PlaceIn(QSize parent) {
    setGeometry(kMargin, parent.height() - kHeight - kBottom,
                std::max(2 * kCap + 200, parent.width() - 2 * kMargin), kHeight);
    raise();
}

void FullScreenControls::resizeEvent(QResizeEvent*) {
    const int w = width();
    // On the bar's flat body, clear of its rounded ends.
    playPause_->move(34, (kHeight - 21) / 2);
    time_->setGeometry(58, 9, 140, 26);
    volume_->setGeometry(w - 130, 9, 90, 26);
    seekBar_->setGeometry(204, (kHeight - 9) / 2, std::max(40, w - 204 - 140), 9);
    // Cut from its pictures, the middle as it is tiled.
    QRegion outline;
    const QRegion tile = GetSkinRegion(middle_);
    for (int x = left_.width(); x < w - right_.width(); x += std::max(1, middle_.width())) {
        outline += tile.translated(x, 0) & QRect(x, 0, w - right_.width() - x, kHeight);
    }
    outline += GetSkinRegion(left_);
    outline += GetSkinRegion(right_).translated(w - right_.width(), 0);
    setMask(outline);
}

void FullScreenControls::paintEvent(QPaintEvent*) {
    QPainter painter(this);
    const int w = width();
    for (int x = left_.width(); x < w - right_.width(); x += std::max(1, middle_.width())) {
        painter.drawImage(x, 0, middle_);
    }
    painter.drawImage(0, 0, left_);
    painter.drawImage(w - right_.width(), 0, right_);
}

} // namespace quarn
