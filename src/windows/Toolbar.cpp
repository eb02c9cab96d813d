#include "windows/Toolbar.h"

#include "common/Designs.h"
#include "widgets/AccessibleWindow.h"
#include "widgets/SkinStyles.h"
#include "widgets/TextFitting.h"
#include "widgets/WindowLook.h"
#include "widgets/WindowShaping.h"

#include <QPainter>

namespace quarn {

namespace d = design::toolbar;

namespace {

constexpr int kNoticeMs = 1500;
constexpr int kMuteMarkWidth = 12; // pixels at 1x

// A small loudspeaker, struck through, on the label's see-through ground,
// drawn at the size of the label's height.
class MuteMark : public QWidget {
public:
    explicit MuteMark(QWidget* parent) : QWidget(parent) {
        setObjectName(QStringLiteral("MuteMark"));
        setToolTip(QStringLiteral("Muted"));
    }
    QColor colour;

protected:
    void paintEvent(QPaintEvent*) override {
        // Drawn on a see-through picture first, then onto the toolbar.
        QImage mark(size(), QImage::Format_ARGB32_Premultiplied);
        mark.fill(Qt::transparent);
        draw(mark);
        QPainter(this).drawImage(0, 0, mark);
    }

private:
    void draw(QImage& mark) const {
        QPainter painter(&mark);
        painter.setRenderHint(QPainter::Antialiasing);
        painter.scale(width() / double(kMuteMarkWidth), height() / 17.0);
        painter.setPen(Qt::NoPen);
        painter.setBrush(colour);
        painter.drawPolygon(
            QPolygonF({{1, 6.5}, {3.5, 6.5}, {7, 3.5}, {7, 13.5}, {3.5, 10.5}, {1, 10.5}}));
        painter.setPen(QPen(QColor(220, 70, 70), 1.6));
        painter.drawLine(QPointF(1, 14.5), QPointF(10.5, 3));
    }
};

} // namespace

Toolbar::Toolbar(const Skin& skin, double scale, ActionLookup actions)
    : QWidget(nullptr, Qt::Window | Qt::FramelessWindowHint), actions_(std::move(actions)),
      time_(new Label(this, "Time")), muteMark_(new MuteMark(this)) {
    MarkAsWindow(*this);
    setObjectName(QStringLiteral("Toolbar"));
    setWindowTitle(QString::fromLatin1(d::kCaption));
    MakeBorderless(*this);
    // The buttons' tips show while the main window is the active one, too.
    setAttribute(Qt::WA_AlwaysShowToolTips);
    timeCaption_ = QString::fromLatin1(d::kTimeCaption);
    time_->setText(timeCaption_);
    muteMark_->hide();
    notice_.setSingleShot(true);
    notice_.setInterval(kNoticeMs);
    connect(&notice_, &QTimer::timeout, this, [this] { showText(timeCaption_); });
    ApplySkin(skin, scale);
}

void Toolbar::ApplySkin(const Skin& skin, double scale) {
    const ToolbarSkin& look = skin.toolbar;
    const SkinPicture picture = skin.Picture(look.picture, look.key, scale);
    picture_ = picture.image;
    HoldSize(*this, picture_.size());
    setMask(picture.outline);

    for (PictureButton* button : buttons_) {
        delete button;
    }
    buttons_.clear();
    for (const SkinButton& skinned : look.buttons) {
        auto* button = new PictureButton(this, skinned.name);
        button->SetLook(skin, skinned, look.key, scale);
        button->SetAction(actions_(skinned.command));
        button->show();
        buttons_.push_back(button);
    }

    SetTextLook(*time_, look.time, scale);
    timeRect_ = time_->geometry();
    timeFont_ = time_->font();
    timeColour_ = look.time.colour;
    muteMarkWidth_ = Scaled(kMuteMarkWidth, scale);
    static_cast<MuteMark*>(muteMark_)->colour = timeColour_;
    placeTime();
    time_->raise();
    update();
}

void Toolbar::paintEvent(QPaintEvent*) {
    QPainter(this).drawImage(0, 0, picture_);
}

void Toolbar::ShowTime(const QString& caption, const QString& spoken) {
    timeCaption_ = caption;
    time_->setAccessibleName(spoken.isEmpty() ? caption : spoken);
    if (!notice_.isActive()) {
        showText(caption);
    }
}

void Toolbar::ShowNotice(const QString& notice, int ms) {
    showText(notice);
    notice_.start(ms > 0 ? ms : kNoticeMs);
}

void Toolbar::showText(const QString& text) {
    // Hours (and long notices) are drawn narrower, whole inside the label.
    time_->setFont(FittingFont(timeFont_, text, time_->width() - 2));
    time_->setText(text);
}

void Toolbar::ShowMuted(bool muted) {
    muteMark_->setVisible(muted);
    placeTime();
}

void Toolbar::placeTime() {
    // The mark takes the right end of the time's place; the time the rest.
    const bool muted = !muteMark_->isHidden();
    time_->setGeometry(muted ? timeRect_.adjusted(0, 0, -muteMarkWidth_, 0) : timeRect_);
    muteMark_->setGeometry(timeRect_.right() + 1 - muteMarkWidth_, timeRect_.top(), muteMarkWidth_,
                           timeRect_.height());
    showText(time_->text());
}

bool Toolbar::MuteShown() const {
    return !muteMark_->isHidden();
}

PictureButton* Toolbar::Button(const QString& name) const {
    for (PictureButton* button : buttons_) {
        if (button->objectName() == name) {
            return button;
        }
    }
    return nullptr;
}

} // namespace quarn
