#include "windows/Toolbar.h"

#include "widgets/Pictures.h"
#include "widgets/WindowLook.h"
#include "widgets/WindowShaping.h"

#include <QCursor>

namespace quarn {

namespace d = design::toolbar;

namespace {
constexpr int kNoticeMs = 1500;
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
    connect(&notice_, &QTimer::timeout, this, [this] { time_->setText(timeCaption_); });

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
    time_->SetForeColour(ColourWordFromRgb(skin_->Picture().pixel(10, 4)));
}

void Toolbar::ShowTime(const QString& caption) {
    timeCaption_ = caption;
    if (!notice_.isActive()) {
        time_->setText(caption);
    }
}

void Toolbar::ShowNotice(const QString& notice) {
    time_->setText(notice);
    notice_.start();
}

PictureBox& Toolbar::Button(const char* name) {
    return *skin_->findChild<PictureBox*>(QString::fromLatin1(name));
}

} // namespace quarn
