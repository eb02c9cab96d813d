#include "windows/Splash.h"

#include "common/Designs.h"

#include <QMouseEvent>
#include <QPainter>

namespace quarn {

namespace d = design::splash;

// The words' colour once loaded: steel blue.
constexpr ColourWord kWordsColour = 0x00C6965A;

Splash::Splash()
    : QWidget(nullptr, Qt::Window | Qt::FramelessWindowHint),
      picture_(LoadPicture(QString::fromLatin1(d::kPicture))),
      words_(new Label(this, "Label1", d::kLabel1, d::kLabel1Font, d::kLabel1Colour,
                       Qt::AlignHCenter)) {
    setObjectName(QStringLiteral("Splash"));
    setWindowTitle(QString::fromLatin1(d::kCaption));
    setWindowIcon(LoadIcon(QString::fromLatin1(design::kProgramIcon)));
    MakeBorderless(*this);
    resize(PixelRect({0, 0, d::kClientWidth, d::kClientHeight}).size());
    words_->setText(QString::fromLatin1(d::kLabel1Caption));
    words_->SetForeColour(kWordsColour);
}

void Splash::paintEvent(QPaintEvent*) {
    QPainter painter(this);
    painter.drawImage(0, 0, picture_);
}

void Splash::mousePressEvent(QMouseEvent* event) {
    click_.Pressed(*event);
    event->accept();
}

void Splash::mouseReleaseEvent(QMouseEvent* event) {
    event->accept();
    if (click_.Released(*event, rect())) {
        emit Skipped();
    }
}

} // namespace quarn
