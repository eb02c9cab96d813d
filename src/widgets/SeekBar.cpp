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
    // The thumb drags and the arrows step as ever; anywhere else on the track jumps.
    if (event->button() != Qt::LeftButton || !isEnabled() || hit == QStyle::SC_ScrollBarSlider ||
        hit == QStyle::SC_ScrollBarAddLine || hit == QStyle::SC_ScrollBarSubLine ||
        hit == QStyle::SC_None) {
        QScrollBar::mousePressEvent(event);
        return;
    }
    // A click on the track: the place clicked, along the track the thumb runs on.
    auto part = [&](QStyle::SubControl control) {
        return style()->subControlRect(QStyle::CC_ScrollBar, &option, control, this);
    };
    const QRect thumb = part(QStyle::SC_ScrollBarSlider);
    const QRect track =
        part(QStyle::SC_ScrollBarSubPage) | thumb | part(QStyle::SC_ScrollBarAddPage);
    const int at = int(event->position().x()) - track.left() - thumb.width() / 2;
    const int value =
        QStyle::sliderValueFromPosition(minimum(), maximum(), at, track.width() - thumb.width());
    setValue(value);
    event->accept();
    emit JumpRequested(value);
}

} // namespace quarn
