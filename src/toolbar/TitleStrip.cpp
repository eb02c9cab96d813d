#include "toolbar/TitleStrip.h"

#include "player/Layout.h"
#include "player/Readout.h"
#include "shaping/WindowShaping.h"

namespace quarn {

namespace d = design::songName;

// The title's colour once loaded: steel blue.
constexpr ColourWord kTitleColour = colourWord(90, 150, 198);

TitleStrip::TitleStrip()
    : DockedWindow([](const QRect& main) { return toPixels(TitleStripDock(toTwips(main))); }),
      skin_(new PictureBox(this, "PicMainSkin", d::kPicMainSkin,
                           loadPicture(QString::fromLatin1(d::kPicMainSkinPicture)), true)),
      title_(new Label(skin_, "Label1", d::kLabel1, d::kLabel1Font, d::kLabel1Colour,
                       Qt::AlignHCenter)) {
    setObjectName(QStringLiteral("SongName"));
    setWindowTitle(QString::fromLatin1(d::kCaption));
    makeBorderless(*this);
    resize(pixelRect({0, 0, d::kClientWidth, d::kClientHeight}).size());
    skin_->AutoSize();
    connect(skin_, &PictureBox::pressed, this, &TitleStrip::drag);
    connect(title_, &Label::pressed, this, &TitleStrip::drag);
    marquee_.setInterval(design::frmMain::kTimer2Interval);
    connect(&marquee_, &QTimer::timeout, this,
            [this] { title_->setText(MarqueeStep(title_->text())); });

    ShapeForm(*skin_, *this);
    title_->SetForeColour(kTitleColour);
}

void TitleStrip::ShowTitle(const QString& title) {
    title_->setText(title);
    marquee_.start();
}

void TitleStrip::ClearTitle() {
    title_->setText(QString());
    marquee_.stop();
}

void TitleStrip::drag(Qt::MouseButton button, QPoint grabbedAt) {
    DragWindow(*this, grabbedAt, button);
}

} // namespace quarn
