#pragma once

#include <QScrollBar>

namespace quarn {

// The seek bar: a horizontal bar of whole seconds. Dragging its thumb asks to
// seek as it moves (sliderMoved); a click on its track asks to jump to the
// place clicked. The arrows step it by a second without asking for anything.
class SeekBar : public QScrollBar {
    Q_OBJECT
public:
    explicit SeekBar(QWidget* parent);

signals:
    void JumpRequested(int seconds);

protected:
    void mousePressEvent(QMouseEvent* event) override;
};

} // namespace quarn
