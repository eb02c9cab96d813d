#pragma once

#include <QColor>
#include <QScrollBar>

namespace quarn {

// The seek bar: a horizontal bar of whole seconds. Dragging its thumb asks to
// seek as it moves (sliderMoved); a click on its track asks to jump to the
// place clicked. The arrows step it by a second without asking for anything.
// Reached by Tab, it shows a mark in the skin's focus colour; then Left and
// Right jump 5 s, Page Up and Page Down a minute, Home and End to the ends.
// Screen readers know it as a slider with its value and range.
class SeekBar : public QScrollBar {
    Q_OBJECT
public:
    explicit SeekBar(QWidget* parent);

    void SetFocusColour(const QColor& colour) { focusColour_ = colour; }
    // Marks on the track at these places (seconds): a film's chapters.
    void SetMarks(const QList<double>& seconds, const QColor& colour);
    // Moves the thumb there and asks to jump there, as a click would.
    void JumpTo(int seconds);

signals:
    void JumpRequested(int seconds);

protected:
    bool event(QEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;
    void paintEvent(QPaintEvent* event) override;
    void focusInEvent(QFocusEvent* event) override;

private:
    QColor focusColour_ = Qt::yellow;
    QList<double> marks_;
    QColor markColour_;
    bool focusMarked_ = false;
};

} // namespace quarn
