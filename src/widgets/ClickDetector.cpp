#include "widgets/ClickDetector.h"

namespace quarn {

void ClickDetector::Pressed(const QMouseEvent& event) {
    button_ = event.button();
}

bool ClickDetector::Released(const QMouseEvent& event, const QRect& widget) {
    const bool click = button_ != Qt::NoButton && event.button() == button_ &&
                       widget.contains(event.position().toPoint());
    button_ = Qt::NoButton;
    return click;
}

} // namespace quarn
