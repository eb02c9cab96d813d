#include "toolbar/SongName.h"

#include "common/Globals.h"
#include "player/FrmMain.h"
#include "shaping/TheShyt.h"

namespace quarn {

namespace d = design::songName;

// The title's colour once loaded: steel blue.
constexpr ColourWord kTitleColour = colourWord(90, 150, 198);

SongName::SongName()
    : QWidget(nullptr, Qt::Window | Qt::FramelessWindowHint),
      picMainSkin_(new PictureBox(this, "PicMainSkin", d::kPicMainSkin,
                                  loadPicture(QString::fromLatin1(d::kPicMainSkinPicture)), true)),
      label1_(new Label(picMainSkin_, "Label1", d::kLabel1, d::kLabel1Font, d::kLabel1Colour,
                        Qt::AlignHCenter)) {
    setObjectName(QStringLiteral("SongName"));
    setWindowTitle(QString::fromLatin1(d::kCaption));
    makeBorderless(*this);
    resize(pixelRect({0, 0, d::kClientWidth, d::kClientHeight}).size());
    picMainSkin_->AutoSize();
    connect(picMainSkin_, &PictureBox::pressed, this, &SongName::drag);
    connect(label1_, &Label::pressed, this, &SongName::drag);
}

void SongName::Load() {
    ShapeForm(*picMainSkin_, *this);
    label1_->SetForeColour(kTitleColour);
}

void SongName::drag(Qt::MouseButton button, QPoint grabbedAt) {
    DragWindow(*this, grabbedAt, button);
}

void SongName::moveEvent(QMoveEvent* event) {
    QWidget::moveEvent(event);
    // The main window keeps the strip docked; let it look.
    if (IsLoaded(Window::FrmMain)) {
        frmMain().WakeMonitor();
    }
}

} // namespace quarn
