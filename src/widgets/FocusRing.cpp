#include "widgets/FocusRing.h"

#include <QApplication>
#include <QFocusEvent>
#include <QKeyEvent>
#include <QWidget>
#include <algorithm>

namespace quarn {

FocusRing::FocusRing(std::vector<QWidget*> windows, Controls controls)
    : windows_(std::move(windows)), controls_(std::move(controls)) {
    qApp->installEventFilter(this);
}

void FocusRing::windowActivated(QWidget& window) {
    // A window made active keeps the focus itself (its keys are the player's),
    // rather than the toolkit giving it to its first control unasked: a
    // control has the focus only where the user took it there.
    if (window.focusWidget() == nullptr) {
        window.setFocus(Qt::ActiveWindowFocusReason);
    }
}

FocusRing::~FocusRing() {
    qApp->removeEventFilter(this);
}

bool FocusRing::eventFilter(QObject* watched, QEvent* event) {
    if (event->type() == QEvent::WindowActivate &&
        std::find(windows_.begin(), windows_.end(), watched) != windows_.end()) {
        windowActivated(*static_cast<QWidget*>(watched));
        return false;
    }
    if (event->type() != QEvent::KeyPress) {
        return false;
    }
    const auto* key = static_cast<QKeyEvent*>(event);
    const bool forward = key->key() == Qt::Key_Tab && !(key->modifiers() & Qt::ShiftModifier);
    const bool back = key->key() == Qt::Key_Backtab ||
                      (key->key() == Qt::Key_Tab && (key->modifiers() & Qt::ShiftModifier));
    auto* widget = qobject_cast<QWidget*>(watched);
    if ((!forward && !back) || (key->modifiers() & (Qt::ControlModifier | Qt::AltModifier)) ||
        widget == nullptr ||
        std::find(windows_.begin(), windows_.end(), widget->window()) == windows_.end()) {
        return false;
    }
    std::vector<QWidget*> ring;
    for (QWidget* control : controls_()) {
        if (control->isVisible() && control->isEnabled() &&
            (control->focusPolicy() & Qt::TabFocus) != 0) {
            ring.push_back(control);
        }
    }
    if (ring.empty()) {
        return false;
    }
    const auto n = static_cast<int>(ring.size());
    const auto here = std::find(ring.begin(), ring.end(), QApplication::focusWidget());
    const int at = here == ring.end() ? (forward ? -1 : n) : int(here - ring.begin());
    QWidget* next = ring[size_t(((forward ? at + 1 : at - 1) % n + n) % n)];
    if (!next->window()->isActiveWindow()) {
        next->window()->raise();
        next->window()->activateWindow();
    }
    next->setFocus(Qt::TabFocusReason);
    return true;
}

bool FocusCameByKeyboard(QWidget&, const QFocusEvent& event) {
    // The controls take the focus by Tab only: they have it because the user
    // went there, now or before their window was last left.
    return event.reason() != Qt::MouseFocusReason;
}

} // namespace quarn
