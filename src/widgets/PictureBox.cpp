#include "widgets/PictureBox.h"

#include "widgets/WindowLook.h"

#include <QPainter>

namespace quarn {

PictureBox::PictureBox(QWidget* parent, const char* name, const design::Element& element,
                       const QImage& picture, bool border)
    : QWidget(parent), picture_(picture), border_(border) {
    setObjectName(QString::fromLatin1(name));
    setGeometry(PixelRect(element));
}

void PictureBox::SetPicture(const QImage& picture) {
    picture_ = picture;
    update();
}

void PictureBox::SetBorder(bool border) {
    border_ = border;
    update();
}

void PictureBox::AutoSize() {
    const int frame = border_ ? 4 : 0;
    resize(picture_.width() + frame, picture_.height() + frame);
}

void PictureBox::paintEvent(QPaintEvent*) {
    QPainter painter(this);
    const int inset = border_ ? 2 : 0;
    painter.drawImage(inset, inset, picture_);
    if (border_) {
        // A sunken 3-D frame, two pixels on every side.
        const QRect r = rect();
        painter.setPen(QColor(128, 128, 128));
        painter.drawLine(r.topLeft(), r.topRight());
        painter.drawLine(r.topLeft(), r.bottomLeft());
        painter.setPen(QColor(64, 64, 64));
        painter.drawLine(r.topLeft() + QPoint(1, 1), r.topRight() + QPoint(-1, 1));
        painter.drawLine(r.topLeft() + QPoint(1, 1), r.bottomLeft() + QPoint(1, -1));
        painter.setPen(QColor(255, 255, 255));
        painter.drawLine(r.bottomLeft(), r.bottomRight());
        painter.drawLine(r.topRight(), r.bottomRight());
        painter.setPen(QColor(212, 208, 200));
        painter.drawLine(r.bottomLeft() + QPoint(1, -1), r.bottomRight() + QPoint(-1, -1));
        painter.drawLine(r.topRight() + QPoint(-1, 1), r.bottomRight() + QPoint(-1, -1));
    }
}

void PictureBox::mousePressEvent(QMouseEvent* event) {
    click_.Pressed(*event);
    emit Pressed(event->button(), event->globalPosition().toPoint());
    event->accept();
}

void PictureBox::mouseReleaseEvent(QMouseEvent* event) {
    event->accept();
    if (click_.Released(*event, rect())) {
        emit Clicked();
    }
}

void PictureBox::mouseMoveEvent(QMouseEvent* event) {
    emit MouseMoved(event->buttons(), event->position().toPoint());
    event->accept();
}

} // namespace quarn
