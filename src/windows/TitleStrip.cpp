#include "windows/TitleStrip.h"

#include "common/FileTitles.h"
#include "widgets/Pictures.h"
#include "widgets/WindowLook.h"
#include "widgets/WindowShaping.h"

namespace quarn {

namespace d = design::songName;

// The title's colour once loaded: steel blue.
constexpr ColourWord kTitleColour = MakeColourWord(90, 150, 198);

TitleStrip::TitleStrip()
    : QWidget(nullptr, Qt::Window | Qt::FramelessWindowHint),
      skin_(new PictureBox(this, "PicMainSkin", d::kPicMainSkin,
                           LoadPicture(QString::fromLatin1(d::kPicMainSkinPicture)), true)),
      title_(new Label(skin_, "Label1", d::kLabel1, d::kLabel1Font, d::kLabel1Colour,
                       Qt::AlignHCenter)) {
    setObjectName(QStringLiteral("SongName"));
    setWindowTitle(QString::fromLatin1(d::kCaption));
    MakeBorderless(*this);
    resize(PixelRect({0, 0, d::kClientWidth, d::kClientHeight}).size());
    skin_->AutoSize();
    auto drag = [this](Qt::MouseButton button, QPoint at) { emit DragRequested(at, button); };
    connect(skin_, &PictureBox::Pressed, this, drag);
    connect(title_, &Label::Pressed, this, drag);
    marquee_.setInterval(design::frmMain::kTimer2Interval);
    connect(&marquee_, &QTimer::timeout, this,
            [this] { title_->setText(MarqueeStep(title_->text())); });
    notice_.setSingleShot(true);
    notice_.setInterval(2000);
    connect(&notice_, &QTimer::timeout, this, [this] {
        title_->setText(runningTitle_);
        if (!runningTitle_.isEmpty()) {
            marquee_.start();
        }
    });

    ShapeForm(*skin_, *this);
    title_->SetForeColour(kTitleColour);
}

void TitleStrip::ShowTitle(const QString& title) {
    runningTitle_ = title;
    if (!notice_.isActive()) {
        title_->setText(title);
        marquee_.start();
    }
}

void TitleStrip::ShowNotice(const QString& notice) {
    if (!notice_.isActive()) {
        runningTitle_ = title_->text();
    }
    marquee_.stop();
    title_->setText(notice);
    notice_.start();
}

void TitleStrip::ClearTitle() {
    runningTitle_.clear();
    if (!notice_.isActive()) {
        title_->setText(QString());
    }
    marquee_.stop();
}

} // namespace quarn
