#pragma once

#include "common/ColourWord.h"
#include "common/Designs.h"
#include "widgets/ClickDetector.h"

#include <QLabel>

namespace quarn {

// A text label: text drawn on its parent, transparent, in the designed font
// and colour. It takes the mouse presses made on it (they do not reach the
// window below) and tells of them.
class Label : public QLabel {
    Q_OBJECT
public:
    Label(QWidget* parent, const char* name, const design::Element& element,
          const design::Font& font, ColourWord colour, Qt::Alignment alignment);
    // A label whose place and look are given later (by a skin).
    Label(QWidget* parent, const char* name);

    void SetForeColour(ColourWord colour);
    ColourWord ForeColour() const { return foreColour_; }

signals:
    void Pressed(Qt::MouseButton button, QPoint globalPos);
    void Clicked();
    void MouseMoved(Qt::MouseButtons buttons, QPoint pos);

protected:
    void mousePressEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;

private:
    ColourWord foreColour_ = 0;
    ClickDetector click_;
};

} // namespace quarn
