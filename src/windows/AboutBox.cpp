#include "windows/AboutBox.h"

#include <QKeyEvent>

#include "common/Designs.h"
#include "common/Twips.h"
#include "platform/FileNames.h"
#include "platform/SystemVersion.h"
#include "widgets/WindowShaping.h"
#include "windows/AboutLogic.h"

#include <QMouseEvent>
#include <QPainter>

namespace quarn {

namespace d = design::frmAbout;

AboutBox::AboutBox(const QString& frameFolder)
    : picture_(LoadPicture(QString::fromLatin1(d::kPicture))),
      picture1_(new PictureBox(this, "Picture1", d::kPicture1,
                               LoadPicture(QString::fromLatin1(d::kPicture1Picture)), true)),
      picture2_(new PictureBox(this, "Picture2", d::kPicture2,
                               LoadPicture(QString::fromLatin1(d::kPicture2Picture)), false)),
      label3_(
          new Label(this, "Label3", d::kLabel3, d::kLabel3Font, d::kLabelColour, Qt::AlignLeft)),
      label1_(
          new Label(this, "Label1", d::kLabel1, d::kLabelFont, d::kLabelColour, Qt::AlignHCenter)),
      myWinVer_(new Label(this, "MyWinVer", d::kMyWinVer, d::kLabelFont, d::kLabelColour,
                          Qt::AlignHCenter)),
      label2_(
          new Label(this, "Label2", d::kLabel2, d::kLabelFont, d::kLabelColour, Qt::AlignHCenter)),
      frameFolder_(frameFolder) {
    setObjectName(QStringLiteral("frmAbout"));
    setWindowTitle(QString::fromLatin1(d::kCaption));
    MakeBorderless(*this);
    resize(PixelRect({0, 0, d::kClientWidth, d::kClientHeight}).size());
    picture1_->AutoSize();
    picture2_->AutoSize();
    label3_->setAlignment(Qt::AlignLeft | Qt::AlignTop);
    label1_->setText(QString::fromLatin1(d::kLabel1Caption));
    label2_->setText(QString::fromLatin1(d::kLabel2Caption));
    animation_.setInterval(d::kTimer1Interval);
    connect(&animation_, &QTimer::timeout, this, &AboutBox::NextFrame);
    // "OK" only hides the box; it stays, and its animation goes on.
    connect(label2_, &Label::Clicked, this, &QWidget::hide);
    CenterOnScreen(*this);

    ShapeControl(*picture1_);
    ShapeControl(*picture2_);
    const QString version = GetWinVer();
    if (!about::WinVerCaption(version).isEmpty()) {
        myWinVer_->setText(about::WinVerCaption(GetWinVer()));
    }
    animation_.start();
}

void AboutBox::NextFrame() {
    frame_ = about::NextFrame(frame_);
    // Read afresh on every tick. A frame that is missing or unreadable leaves
    // the picture as it is, and the animation goes on with the next one; what
    // is no plain file (a FIFO would hold the reader for good) is not read.
    const QString path = about::FramePath(frameFolder_, frame_);
    if (!platform::InspectFile(path).regular) {
        return;
    }
    QImage frame(path);
    if (frame.isNull()) {
        return;
    }
    picture1_->SetPicture(frame.convertToFormat(QImage::Format_RGB32));
    ShapeControl(*picture1_);
}

void AboutBox::keyPressEvent(QKeyEvent* event) {
    switch (event->key()) {
    case Qt::Key_Escape:
    case Qt::Key_Return:
    case Qt::Key_Enter:
    case Qt::Key_Space:
        hide();
        return;
    default:
        QWidget::keyPressEvent(event);
    }
}

void AboutBox::paintEvent(QPaintEvent*) {
    QPainter painter(this);
    painter.drawImage(0, 0, picture_);
}

// With exactly the right button held, the colour under the pointer and the
// pointer's place are shown in the version line. Over a label or a picture
// the element takes the movement and nothing is shown.
void AboutBox::mouseMoveEvent(QMouseEvent* event) {
    if (event->buttons() != Qt::RightButton) {
        return;
    }
    const auto x = static_cast<float>(PixelsToTwips(event->position().x()));
    const auto y = static_cast<float>(PixelsToTwips(event->position().y()));
    const QPoint pixel(TwipsToPixels(x), TwipsToPixels(y));
    const QString readout = about::ColourReadout(pixelColour(pixel), x, y);
    myWinVer_->setText(readout);
    // The readout is wider than the line: it reads from its start, so that
    // the colour is whole and only the end of the place is cut off.
    const bool fits = myWinVer_->fontMetrics().horizontalAdvance(readout) <= myWinVer_->width();
    myWinVer_->setAlignment((fits ? Qt::AlignHCenter : Qt::AlignLeft) | Qt::AlignVCenter);
}

std::int32_t AboutBox::pixelColour(QPoint pixel) {
    if (!rect().contains(pixel)) {
        return -1;
    }
    const QImage shown = grab(QRect(pixel, QSize(1, 1))).toImage();
    if (shown.isNull()) {
        return -1;
    }
    return static_cast<std::int32_t>(ColourWordFromRgb(shown.pixel(0, 0)));
}

} // namespace quarn
