#include "windows/TitleStrip.h"

#include "common/Designs.h"
#include "common/FileTitles.h"
#include "widgets/AccessibleWindow.h"
#include "widgets/SkinStyles.h"
#include "widgets/WindowLook.h"
#include "widgets/WindowShaping.h"

#include <QMouseEvent>
#include <QPainter>

namespace quarn {

namespace {
constexpr int kNoticeMs = 2000;
} // namespace

TitleStrip::TitleStrip(const Skin& skin, double scale)
    : QWidget(nullptr, Qt::Window | Qt::FramelessWindowHint), title_(new Label(this, "Label1")) {
    MarkAsWindow(*this);
    setObjectName(QStringLiteral("SongName"));
    setWindowTitle(QString::fromLatin1(design::songName::kCaption));
    MakeBorderless(*this);
    connect(title_, &Label::Pressed, this,
            [this](Qt::MouseButton button, QPoint at) { emit DragRequested(at, button); });
    marquee_.setInterval(design::frmMain::kTimer2Interval);
    connect(&marquee_, &QTimer::timeout, this,
            [this] { title_->setText(MarqueeStep(title_->text())); });
    notice_.setSingleShot(true);
    notice_.setInterval(kNoticeMs);
    connect(&notice_, &QTimer::timeout, this, [this] {
        title_->setText(runningTitle_);
        if (!runningTitle_.isEmpty()) {
            marquee_.start();
        }
    });
    ApplySkin(skin, scale);
}

void TitleStrip::ApplySkin(const Skin& skin, double scale) {
    const TitleStripSkin& look = skin.titleStrip;
    const SkinPicture picture = skin.Picture(look.picture, look.key, scale);
    picture_ = picture.image;
    // The window is exactly as large as its picture and takes its outline.
    HoldSize(*this, picture_.size());
    setMask(picture.outline);
    SetTextLook(*title_, look.title, scale);
    update();
}

void TitleStrip::paintEvent(QPaintEvent*) {
    QPainter(this).drawImage(0, 0, picture_);
}

void TitleStrip::mousePressEvent(QMouseEvent* event) {
    event->accept();
    emit DragRequested(event->globalPosition().toPoint(), event->button());
}

void TitleStrip::ShowTitle(const QString& title) {
    runningTitle_ = title;
    // A screen reader reads the whole title, not the part running past.
    title_->setAccessibleName(title.trimmed());
    if (!notice_.isActive()) {
        title_->setText(title);
        marquee_.start();
    }
}

void TitleStrip::ShowStillTitle(const QString& title) {
    ShowTitle(title.trimmed());
    marquee_.stop();
}

void TitleStrip::ShowNotice(const QString& notice, int ms) {
    if (!notice_.isActive()) {
        runningTitle_ = title_->text();
    }
    marquee_.stop();
    title_->setText(notice);
    notice_.start(ms > 0 ? ms : kNoticeMs);
}

void TitleStrip::ClearTitle() {
    runningTitle_.clear();
    title_->setAccessibleName(QString());
    if (!notice_.isActive()) {
        title_->setText(QString());
    }
    marquee_.stop();
}

} // namespace quarn
