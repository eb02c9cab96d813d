#include "widgets/SeekBar.h"

#include <QMouseEvent>
#include <QStyle>
#include <QStyleOptionSlider>

namespace quarn {

SeekBar::SeekBar(QWidget* parent) : QScrollBar(Qt::Horizontal, parent) {
    setRange(0, 0);
    setPageStep(1);
}

void SeekBar::mousePressEvent(QMouseEvent* event) {
    QStyleOptionSlider option;
    initStyleOption(&option);
    const QStyle::SubControl hit = style()->hitTestComplexControl(
        QStyle::CC_ScrollBar, &option, event->position().toPoint(), this);
    if (event->button() != Qt::LeftButton || !isEnabled() ||
        (hit != QStyle::SC_ScrollBarAddPage && hit != QStyle::SC_ScrollBarSubPage)) {
        QScrollBar::mousePressEvent(event);
        return;
    }
    // A click on the track: the place clicked, along the groove.
    const QRect groove =
        style()->subControlRect(QStyle::CC_ScrollBar, &option, QStyle::SC_ScrollBarGroove, this);
    const QRect thumb =
        style()->subControlRect(QStyle::CC_ScrollBar, &option, QStyle::SC_ScrollBarSlider, this);
    const int span = groove.width() - thumb.width();
    const int at = int(event->position().x()) - groove.left() - thumb.width() / 2;
    const int value = QStyle::sliderValueFromPosition(minimum(), maximum(), at, span);
    setValue(value);
    event->accept();
    emit JumpRequested(value);
}

} // namespace quarn
