#pragma once

#include <QMouseEvent>
#include <QRect>

namespace quarn {

// Tells a click from other presses: a press and a release of the same
// button, the release on the widget too.
class ClickDetector {
public:
    void Pressed(const QMouseEvent& event);
    // Whether this release ends a click on the widget whose rectangle is given.
    bool Released(const QMouseEvent& event, const QRect& widget);

private:
    Qt::MouseButton button_ = Qt::NoButton;
};

} // namespace quarn
