#include "windows/FullScreenControls.h"

#include "widgets/SkinStyles.h"

#include <QFontMetrics>
#include <QPainter>
#include <cmath>

namespace quarn {

FullScreenControls::FullScreenControls(QWidget* parent, ActionLookup actions)
    : QWidget(parent), actions_(std::move(actions)), time_(new QLabel(this)),
      seekBar_(new SeekBar(this)), volume_(new QSlider(Qt::Horizontal, this)) {
    setObjectName(QStringLiteral("FullScreenControls"));
    // Above the engine's own native window.
    setAttribute(Qt::WA_NativeWindow);
    setMouseTracking(true);
    seekBar_->setObjectName(QStringLiteral("FullScreenSeekBar"));
    connect(seekBar_, &QScrollBar::sliderMoved, this, &FullScreenControls::SeekRequested);
    connect(seekBar_, &SeekBar::JumpRequested, this, &FullScreenControls::SeekRequested);
    volume_->setObjectName(QStringLiteral("FullScreenVolume"));
    volume_->setRange(0, 100);
    volume_->setFocusPolicy(Qt::TabFocus);
    volume_->setAccessibleName(QStringLiteral("Volume"));
    // Whoever moves it (the mouse, the keys, a screen reader): the player
    // setting it to the volume it has is not heard (ShowVolume).
    connect(volume_, &QSlider::valueChanged, this, &FullScreenControls::VolumeRequested);
    ShowReadout(ReadoutAt(0, 0));
    hide();
}

void FullScreenControls::ApplySkin(const Skin& skin, double scale) {
    skin_ = skin;
    skinScale_ = scale;
    applyLook(scale);
}

double FullScreenControls::SofaScale(const SkinFont& font, double skinScale, int screenHeight) {
    // Text read from across a room: what is drawn of a time (its digits, and
    // the stroke between them, which reaches from top to bottom) at least 3%
    // of the screen's height.
    const int atOne =
        QFontMetrics(font.At(1)).tightBoundingRect(QStringLiteral("0:00 / 0:00")).height();
    return std::max(skinScale, atOne > 0 ? kSofaText * screenHeight / atOne : skinScale);
}

void FullScreenControls::applyLook(double scale) {
    const Skin& skin = skin_;
    look_ = skin.fullScreenBar;
    scale_ = scale;
    auto picture = [&](const QString& file, QImage& image, QRegion& outline) {
        const SkinPicture shown = skin.Picture(file, look_.key, scale);
        image = shown.image;
        outline = shown.outline;
    };
    picture(look_.left, left_, leftOutline_);
    picture(look_.middle, middle_, middleOutline_);
    picture(look_.right, right_, rightOutline_);
    for (auto& [button, place] : buttons_) {
        delete button;
    }
    buttons_.clear();
    for (const SkinButton& skinned : look_.buttons) {
        auto* button = new PictureButton(this, skinned.name);
        button->SetLook(skin, skinned, look_.key, scale);
        buttons_.emplace_back(button, Scaled(skinned.rect, scale));
        button->SetAction(actions_(skinned.command));
        button->show();
    }
    const auto text = "color: " + look_.time.colour.name() + ";";
    time_->setStyleSheet(text);
    time_->setFont(look_.time.font.At(std::max(scale, textScale_)));
    time_->setAlignment(look_.time.alignment);
    seekBar_->setStyleSheet(SeekBarStyle(look_.seekBar, look_.seekBar.rect.height(), scale));
    seekBar_->SetFocusColour(skin.focus);
    volume_->setStyleSheet(
        SliderStyle(look_.volume, look_.volume.rect.height(), scale, skin.focus));
    setFixedHeight(left_.height());
    resizeEvent(nullptr);
}

std::vector<QWidget*> FullScreenControls::Controls() const {
    std::vector<QWidget*> controls;
    for (const auto& [button, place] : buttons_) {
        controls.push_back(button);
    }
    controls.push_back(seekBar_);
    controls.push_back(volume_);
    return controls;
}

PictureButton* FullScreenControls::Button(const QString& command) const {
    for (size_t i = 0; i < buttons_.size(); ++i) {
        if (look_.buttons.at(i).command == command) {
            return buttons_[i].first;
        }
    }
    return nullptr;
}

void FullScreenControls::ShowReadout(const Readout& readout) {
    seekBar_->setMaximum(readout.maximum);
    if (!seekBar_->isSliderDown()) {
        seekBar_->setValue(readout.value);
    }
    time_->setText(TimeStringFor(readout.value, readout.maximum) + QStringLiteral(" / ") +
                   TimeStringFor(readout.maximum, readout.maximum));
    // Read out in words, as the toolbar's time is.
    time_->setAccessibleName(SpokenTime(readout.value, readout.maximum));
}

void FullScreenControls::ShowVolume(int volume, bool muted) {
    if (!volume_->isSliderDown()) {
        const QSignalBlocker quiet(volume_);
        volume_->setValue(volume);
    }
    volume_->setToolTip(muted ? QStringLiteral("Muted") : QStringLiteral("Vol %1%").arg(volume));
}

void FullScreenControls::PlaceIn(QSize parent) {
    // The time is drawn large enough for the sofa; the bar grows with it as
    // far as that leaves the seek bar at least 40% of the bar's length.
    const double sofa = SofaScale(look_.time.font, skinScale_, parent.height());
    const FullScreenBarSkin& bar = skin_.fullScreenBar;
    const double fixed = std::max(1, bar.seekBar.rect.x() - bar.seekBar.rect.width());
    const double fits = 0.6 * parent.width() / (fixed + 1.2 * bar.margin);
    const double scale = std::max(skinScale_, std::min(sofa, fits));
    if (std::abs(scale - scale_) > 1e-3 || std::abs(sofa - textScale_) > 1e-3) {
        textScale_ = sofa;
        applyLook(scale);
    }
    const int margin = Scaled(look_.margin, scale_);
    setGeometry(
        margin, parent.height() - height() - Scaled(look_.bottom, scale_),
        std::max(left_.width() + right_.width() + Scaled(200, scale_), parent.width() - 2 * margin),
        height());
    raise();
}

QRect FullScreenControls::placed(const QRect& scaled) const {
    const int left = scaled.x() < 0 ? width() + scaled.x() : scaled.x();
    const int w = scaled.width() < 0 ? width() + scaled.width() - left : scaled.width();
    return {left, scaled.y(), std::max(0, w), scaled.height()};
}

void FullScreenControls::resizeEvent(QResizeEvent*) {
    const int w = width();
    const int h = height();
    for (auto& [button, place] : buttons_) {
        button->move(placed(place).topLeft());
    }
    time_->setGeometry(placed(Scaled(look_.time.rect, scale_)));
    seekBar_->setGeometry(placed(Scaled(look_.seekBar.rect, scale_)));
    volume_->setGeometry(placed(Scaled(look_.volume.rect, scale_)));
    // Cut from its pictures, the middle as it is tiled.
    QRegion outline;
    for (int x = left_.width(); x < w - right_.width(); x += std::max(1, middle_.width())) {
        outline += middleOutline_.translated(x, 0) & QRect(x, 0, w - right_.width() - x, h);
    }
    outline += leftOutline_;
    outline += rightOutline_.translated(w - right_.width(), 0);
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
