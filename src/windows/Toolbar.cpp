#include "windows/Toolbar.h"

#include "widgets/Pictures.h"
#include "widgets/WindowLook.h"
#include "widgets/WindowShaping.h"

#include "widgets/TextFitting.h"

#include <QCursor>
#include <QPainter>

namespace quarn {

namespace d = design::toolbar;

namespace {

constexpr int kNoticeMs = 1500;
constexpr int kMuteMarkWidth = 12; // pixels

// A small loudspeaker, struck through, on the label's see-through ground.
QImage muteMarkPicture(const QColor& colour) {
    QImage mark(kMuteMarkWidth, 17, QImage::Format_ARGB32_Premultiplied);
    mark.fill(Qt::transparent);
    QPainter painter(&mark);
    painter.setRenderHint(QPainter::Antialiasing);
    painter.setPen(Qt::NoPen);
    painter.setBrush(colour);
    painter.drawPolygon(
        QPolygonF({{1, 6.5}, {3.5, 6.5}, {7, 3.5}, {7, 13.5}, {3.5, 10.5}, {1, 10.5}}));
    painter.setPen(QPen(QColor(220, 70, 70), 1.6));
    painter.drawLine(QPointF(1, 14.5), QPointF(10.5, 3));
    return mark;
}

} // namespace

Toolbar::Toolbar()
    : QWidget(nullptr, Qt::Window | Qt::FramelessWindowHint),
      skin_(new PictureBox(this, "pToolbar", d::kPToolbar,
                           LoadPicture(QString::fromLatin1(d::kPToolbarPicture)), false)),
      time_(new Label(skin_, "Time", d::kTime, d::kTimeFont, d::kTimeColour, Qt::AlignHCenter)) {
    setObjectName(QStringLiteral("Toolbar"));
    setWindowTitle(QString::fromLatin1(d::kCaption));
    MakeBorderless(*this);
    // The buttons' tips show while the main window is the active one, too.
    setAttribute(Qt::WA_AlwaysShowToolTips);
    resize(PixelRect({0, 0, d::kClientWidth, d::kClientHeight}).size());
    timeCaption_ = QString::fromLatin1(d::kTimeCaption);
    time_->setText(timeCaption_);
    notice_.setSingleShot(true);
    notice_.setInterval(kNoticeMs);
    connect(&notice_, &QTimer::timeout, this, [this] { showText(timeCaption_); });

    ShapeForm(*skin_, *this);
    const std::pair<const d::Button&, void (Toolbar::*)()> buttons[] = {
        {d::kPlay, &Toolbar::PlayClicked}, {d::kPause, &Toolbar::PauseClicked},
        {d::kStop, &Toolbar::StopClicked}, {d::kOpen, &Toolbar::OpenClicked},
        {d::kScreenSavers, nullptr},       {d::kOptions, &Toolbar::ExitClicked}};
    for (const auto& [design, clicked] : buttons) {
        auto* button = new PictureBox(skin_, design.name, design.element,
                                      LoadPicture(QString::fromLatin1(design.picture)), false);
        button->setToolTip(QString::fromLatin1(design.toolTip));
        button->setCursor(Qt::PointingHandCursor);
        ShapeControl(*button);
        if (clicked != nullptr) {
            connect(button, &PictureBox::Clicked, this, clicked);
        } else {
            connect(button, &PictureBox::Clicked, this,
                    [this] { emit EffectsClicked(QCursor::pos()); });
        }
    }
    // The time is written in the skin's frame colour.
    const QRgb frame = skin_->Picture().pixel(10, 4);
    time_->SetForeColour(ColourWordFromRgb(frame));
    muteMark_ = new PictureBox(skin_, "MuteMark",
                               {(d::kTime.left + d::kTime.width) - kMuteMarkWidth * 15,
                                d::kTime.top, kMuteMarkWidth * 15, d::kTime.height},
                               muteMarkPicture(QColor(frame)), false);
    muteMark_->setToolTip(QStringLiteral("Muted"));
    muteMark_->hide();
}

void Toolbar::ShowTime(const QString& caption) {
    timeCaption_ = caption;
    if (!notice_.isActive()) {
        showText(caption);
    }
}

void Toolbar::ShowNotice(const QString& notice) {
    showText(notice);
    notice_.start();
}

void Toolbar::showText(const QString& text) {
    // Hours (and long notices) are drawn narrower, whole inside the label.
    time_->setFont(FittingFont(DesignFont(d::kTimeFont), text, time_->width() - 2));
    time_->setText(text);
}

void Toolbar::ShowMuted(bool muted) {
    // The mark takes the right end of the time's window; the time the rest.
    const QRect label = PixelRect(d::kTime);
    time_->setGeometry(muted ? label.adjusted(0, 0, -kMuteMarkWidth, 0) : label);
    muteMark_->setVisible(muted);
    showText(time_->text());
}

bool Toolbar::MuteShown() const {
    return muteMark_->isVisible();
}

PictureBox& Toolbar::Button(const char* name) {
    return *skin_->findChild<PictureBox*>(QString::fromLatin1(name));
}

} // namespace quarn
