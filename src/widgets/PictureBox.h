#pragma once

#include "common/Designs.h"
#include "widgets/ClickDetector.h"

#include <QImage>
#include <QWidget>

namespace quarn {

// A picture element: a child that shows one picture at its origin, optionally
// inside a 2-pixel sunken frame, and takes the picture's size when it is set
// to size itself. Clicks (press and release on it) and presses are reported.
class PictureBox : public QWidget {
    Q_OBJECT
public:
    PictureBox(QWidget* parent, const char* name, const design::Element& element,
               const QImage& picture, bool border);

    const QImage& Picture() const { return picture_; }
    void SetPicture(const QImage& picture);
    bool HasBorder() const { return border_; }
    void SetBorder(bool border);
    // Sizes the element to its picture (plus the frame, if any).
    void AutoSize();

signals:
    void Pressed(Qt::MouseButton button, QPoint globalPos);
    void Clicked();
    void MouseMoved(Qt::MouseButtons buttons, QPoint pos);

protected:
    void paintEvent(QPaintEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;

private:
    QImage picture_;
    bool border_ = false;
    ClickDetector click_;
};

} // namespace quarn
