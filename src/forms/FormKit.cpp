#include "forms/FormKit.h"

#include "platform/Desktop.h"

#include <QImageReader>
#include <QMessageBox>
#include <QMouseEvent>
#include <QPainter>
#include <QScreen>
#include <algorithm>

namespace quarn {

QFont designFont(const design::Font& font) {
    QFont f;
    f.setFamilies({QString::fromLatin1(font.family), QString::fromLatin1(font.fallback)});
    f.setPointSizeF(font.pointSize);
    f.setBold(font.bold);
    f.setItalic(font.italic);
    return f;
}

void makeBorderless(QWidget& window) {
    window.setWindowFlags(Qt::Window | Qt::FramelessWindowHint);
    platform::KeepOutOfTaskbar(window);
}

void centerOnScreen(QWidget& window) {
    const QScreen* screen = window.screen();
    if (screen == nullptr) {
        return;
    }
    const QRect area = screen->geometry();
    window.move(area.left() + (area.width() - window.width()) / 2,
                area.top() + (area.height() - window.height()) / 2);
}

void setDesignColours(QWidget& widget, ColourWord back, ColourWord fore) {
    QPalette palette = widget.palette();
    palette.setColor(QPalette::Window, toQColor(back));
    palette.setColor(QPalette::WindowText, toQColor(fore));
    widget.setPalette(palette);
    widget.setAutoFillBackground(true);
}

void ClickDetector::Pressed(const QMouseEvent& event) {
    button_ = event.button();
}

bool ClickDetector::Released(const QMouseEvent& event, const QRect& widget) {
    const bool click = button_ != Qt::NoButton && event.button() == button_ &&
                       widget.contains(event.position().toPoint());
    button_ = Qt::NoButton;
    return click;
}

Label::Label(QWidget* parent, const char* name, const design::Element& element,
             const design::Font& font, ColourWord colour, Qt::Alignment alignment)
    : QLabel(parent) {
    setObjectName(QString::fromLatin1(name));
    setGeometry(pixelRect(element));
    setFont(designFont(font));
    setAlignment(alignment | Qt::AlignVCenter);
    setAttribute(Qt::WA_TranslucentBackground);
    setAutoFillBackground(false);
    SetForeColour(colour);
}

void Label::SetForeColour(ColourWord colour) {
    foreColour_ = colour;
    QPalette palette = this->palette();
    palette.setColor(QPalette::WindowText, toQColor(colour));
    setPalette(palette);
}

void Label::mousePressEvent(QMouseEvent* event) {
    click_.Pressed(*event);
    emit pressed(event->button(), event->globalPosition().toPoint());
    event->accept();
}

void Label::mouseReleaseEvent(QMouseEvent* event) {
    event->accept();
    if (click_.Released(*event, rect())) {
        emit clicked();
    }
}

void Label::mouseMoveEvent(QMouseEvent* event) {
    emit mouseMoved(event->buttons(), event->position().toPoint());
    event->accept();
}

PictureBox::PictureBox(QWidget* parent, const char* name, const design::Element& element,
                       const QImage& picture, bool border)
    : QWidget(parent), picture_(picture), border_(border) {
    setObjectName(QString::fromLatin1(name));
    setGeometry(pixelRect(element));
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
    emit pressed(event->button(), event->globalPosition().toPoint());
    event->accept();
}

void PictureBox::mouseReleaseEvent(QMouseEvent* event) {
    event->accept();
    if (click_.Released(*event, rect())) {
        emit clicked();
    }
}

void PictureBox::mouseMoveEvent(QMouseEvent* event) {
    emit mouseMoved(event->buttons(), event->position().toPoint());
    event->accept();
}

void ShowMessageBox(const QString& text, const QString& title, const QString& detail) {
    QMessageBox box(QMessageBox::NoIcon, title, text, QMessageBox::Ok);
    box.setInformativeText(detail);
    box.exec();
}

QIcon loadIcon(const QString& path) {
    QImageReader reader(path);
    QImage best;
    for (int i = 0; i < std::max(1, reader.imageCount()); ++i) {
        if (i > 0 && !reader.jumpToImage(i)) {
            break;
        }
        const QImage image = reader.read();
        const bool better =
            best.isNull() || (image.hasAlphaChannel() && !best.hasAlphaChannel()) ||
            (image.hasAlphaChannel() == best.hasAlphaChannel() && image.depth() > best.depth());
        if (!image.isNull() && better) {
            best = image;
        }
    }
    return best.isNull() ? QIcon() : QIcon(QPixmap::fromImage(best));
}

QImage loadPicture(const QString& path) {
    QImage image(path);
    if (image.isNull()) {
        image = QImage(1, 1, QImage::Format_RGB32);
        image.fill(Qt::black);
    }
    return image.convertToFormat(QImage::Format_RGB32);
}

} // namespace quarn
