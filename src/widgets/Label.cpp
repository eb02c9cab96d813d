#include "widgets/Label.h"

#include "widgets/WindowLook.h"

namespace quarn {

Label::Label(QWidget* parent, const char* name, const design::Element& element,
             const design::Font& font, ColourWord colour, Qt::Alignment alignment)
    : QLabel(parent) {
    setObjectName(QString::fromLatin1(name));
    setGeometry(PixelRect(element));
    setFont(DesignFont(font));
    setAlignment(alignment | Qt::AlignVCenter);
    setAttribute(Qt::WA_TranslucentBackground);
    setAutoFillBackground(false);
    SetForeColour(colour);
}

Label::Label(QWidget* parent, const char* name) : QLabel(parent) {
    setObjectName(QString::fromLatin1(name));
    setAttribute(Qt::WA_TranslucentBackground);
    setAutoFillBackground(false);
}

void Label::SetForeColour(ColourWord colour) {
    foreColour_ = colour;
    QPalette palette = this->palette();
    palette.setColor(QPalette::WindowText, ToQColor(colour));
    setPalette(palette);
}

void Label::mousePressEvent(QMouseEvent* event) {
    click_.Pressed(*event);
    emit Pressed(event->button(), event->globalPosition().toPoint());
    event->accept();
}

void Label::mouseReleaseEvent(QMouseEvent* event) {
    event->accept();
    if (click_.Released(*event, rect())) {
        emit Clicked();
    }
}

void Label::mouseMoveEvent(QMouseEvent* event) {
    emit MouseMoved(event->buttons(), event->position().toPoint());
    event->accept();
}

} // namespace quarn
